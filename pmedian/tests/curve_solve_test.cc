// A list of p solved in one run, against enumeration.

#include <gtest/gtest.h>

#include <algorithm>
#include <vector>

#include "pmedian/median_search.h"
#include "pmedian/pmed_solve.h"
#include "pmedian/tests/problem_fixture.h"

namespace {

// The cost of no centre: each vertex's largest cost, for a covering problem
// its whole demand.
double noCentreCost(const PmedProblem& problem) {
  double total = 0;
  for (int j = 0; j < problem.n; ++j) {
    float worst = 0;
    for (int i = 0; i < problem.n; ++i)
      worst = std::max(worst, problem.cost[i * problem.n + j]);
    total += worst;
  }
  return total;
}

// Small covering problems (and p-median ones) with and without sites, branch
// and cut, or time: each answer honours the sites and costs what it says,
// each bound lies below the enumerated optimum and a proven answer is that
// optimum; down the list the costs never rise and neither do their bounds
// (in coverage terms: the demand covered and its upper bound never fall).
// Without time only the largest p, every allowed site open, has a close
// bound, which then bounds the others.
TEST(CurveSolveTest, EachPAgainstEnumeration) {
  struct Case {
    std::uint64_t seed;
    int n;
    bool covering;
    bool sites;  // random sites; the list then runs from as many centres
                 // as are fixed to as many as are allowed
    double exactSeconds;  // covering: proven whenever branch and cut runs;
                          // < 0: none, and the run's cap already past
    std::vector<int> list;
  };
  const Case cases[] = {
      {1, 12, true, false, 30, {0, 1, 2, 3, 12}},
      {2, 14, true, false, 30, {0, 2, 4, 6, 14}},
      {3, 16, true, false, 0, {1, 2, 3, 5, 8}},
      {4, 15, true, true, 30, {}},
      {5, 16, true, true, 0, {}},
      {6, 12, false, false, 0, {0, 1, 3, 4, 12}},
      {7, 16, true, true, -1, {}},
      {8, 14, true, true, -1, {}},
      {9, 16, false, true, -1, {}},
  };
  for (const Case& c : cases) {
    PmedProblem problem = randomProblem(c.n, 4, c.covering, 0.2, c.seed);
    std::vector<int> list = c.list;
    if (c.sites) {
      randomSites(problem, c.seed);
      int fixed = static_cast<int>(
          std::count(problem.site.begin(), problem.site.end(), 1));
      int allowed = static_cast<int>(
          c.n - std::count(problem.site.begin(), problem.site.end(), -1));
      list = {fixed, fixed + 1, fixed + 3, allowed};
      ASSERT_LT(fixed + 3, allowed) << c.seed;
    }
    SolveOptions options;
    options.exactSeconds = std::max(c.exactSeconds, 0.0);
    if (c.exactSeconds < 0)
      options.runSeconds = 1e-9;
    std::vector<CurveOutcome> curve = solvePmedCurve(problem, list, options);
    ASSERT_EQ(curve.size(), list.size()) << c.seed;
    for (std::size_t k = 0; k < list.size(); ++k) {
      const SolveOutcome& answer = curve[k].outcome;
      problem.p = list[k];
      double best =
          problem.p == 0 ? noCentreCost(problem) : optimalCost(problem);
      SCOPED_TRACE(testing::Message()
                   << "seed " << c.seed << " p " << problem.p);
      EXPECT_EQ(curve[k].p, problem.p);
      EXPECT_EQ(answer.covering, c.covering);
      EXPECT_TRUE(honoursSites(problem, answer.centres));
      if (problem.p > 0) {
        EXPECT_NEAR(medianCost(problem, answer.centres), answer.objective,
                    1e-9);
      }
      EXPECT_GE(answer.objective, best - 1e-9);
      EXPECT_LE(answer.bound, best + 1e-9);
      if (answer.proven) {
        EXPECT_NEAR(answer.objective, best, 1e-9);
      }
      if (c.covering && c.exactSeconds > 0) {
        EXPECT_TRUE(answer.proven);
      }
      if (k > 0) {
        EXPECT_LE(answer.objective, curve[k - 1].outcome.objective + 1e-9);
        EXPECT_LE(answer.bound, curve[k - 1].outcome.bound + 1e-9);
      }
    }
  }
}

}  // namespace
