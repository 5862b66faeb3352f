// The reductions of a covering model and the relaxation's bound against
// brute force on small problems.

#include "pmedian/cover_reduction.h"

#include <gtest/gtest.h>

#include <vector>

#include "pmedian/cover_model.h"
#include "pmedian/exact_cover.h"
#include "pmedian/lagrange_bound.h"
#include "pmedian/pmed_solve.h"
#include "pmedian/random_stream.h"
#include "pmedian/tests/problem_fixture.h"

namespace {

// Vertices in groups of three that cover one another, so that the members
// of a group are covered by the same candidates; each group is also covered
// by a few random candidates from elsewhere. Demands 1 … 9.
PmedProblem groupedProblem(int n, int p, std::uint64_t seed) {
  RandomStream random = randomStream(seed);
  PmedProblem problem;
  problem.n = n;
  problem.p = p;
  problem.cost.assign(static_cast<std::size_t>(n) * n, 0.0f);
  int groups = (n + 2) / 3;
  std::vector<std::vector<char>> extra(groups, std::vector<char>(n, 0));
  for (auto& row : extra)
    for (int i = 0; i < n; ++i)
      row[i] = nextBelow(random, 5) == 0;
  std::vector<float> demand(n);
  for (float& d : demand)
    d = static_cast<float>(1 + nextBelow(random, 9));
  for (int i = 0; i < n; ++i)
    for (int j = 0; j < n; ++j) {
      bool covers = i / 3 == j / 3 || extra[j / 3][i];
      problem.cost[static_cast<std::size_t>(i) * n + j] =
          covers ? 0.0f : demand[j];
    }
  return problem;
}

// Every set of p centres covers what it covered before the merge, and
// vertices were merged.
TEST(CoverReductionTest, MergedDemandsCoverAlike) {
  for (std::uint64_t seed = 1; seed <= 6; ++seed) {
    PmedProblem problem = groupedProblem(13, 3, seed);
    CoverModel model, merged;
    ASSERT_TRUE(buildCoverModel(problem, model));
    ASSERT_TRUE(buildCoverModel(problem, merged));
    EXPECT_GT(mergeIdenticalDemands(merged), 0) << seed;
    EXPECT_EQ(merged.totalWeight, model.totalWeight);
    EXPECT_LT(merged.byList.size(), model.byList.size());
    forEachSubset(model.n, model.p, [&](const std::vector<int>& centres) {
      EXPECT_EQ(uncoveredDemand(merged, centres),
                uncoveredDemand(model, centres))
          << seed;
    });
  }
}

// Against the enumerated optimum: every set that covers more than `lower`,
// its dominated centres replaced by their dominators (which covers no
// less), opens no candidate fixed closed and every candidate fixed open,
// whatever the multipliers (those of the relaxation, and arbitrary ones);
// the relaxation's bound is never below the optimum.
TEST(CoverReductionTest, FixingKeepsEveryBetterSolution) {
  int fixedAny = 0;
  for (std::uint64_t seed = 1; seed <= 8; ++seed) {
    PmedProblem problem = seed % 2 ? groupedProblem(12, 3, seed)
                                   : randomProblem(12, 3, true, 0.3, seed);
    CoverModel model;
    ASSERT_TRUE(buildCoverModel(problem, model));
    mergeIdenticalDemands(model);
    double best = model.totalWeight - optimalCost(problem);
    std::vector<double> relaxed;
    EXPECT_GE(coverLpBound(model, 10, relaxed), best - 1e-6) << seed;
    ASSERT_EQ(static_cast<int>(relaxed.size()), model.n);
    RandomStream random = randomStream(seed);
    std::vector<double> arbitrary(model.n);
    for (double& m : arbitrary)
      m = nextBelow(random, 100) / 10.0;
    std::vector<int> dominator = dominatingCandidates(model);
    for (const std::vector<double>& mu : {relaxed, arbitrary}) {
      for (double lower : {best - 1, best - 3, 0.0}) {
        std::vector<int> fixed = fixByReducedCosts(model, mu, lower, 1.0);
        for (int f : fixed)
          fixedAny += f != 0;
        forEachSubset(model.n, model.p, [&](const std::vector<int>& centres) {
          if (model.totalWeight - uncoveredDemand(model, centres) < lower + 1)
            return;
          EXPECT_TRUE(keepsFixes(fixed, dominator, centres)) << seed;
        });
      }
    }
  }
  // Not an empty claim: candidates were fixed.
  EXPECT_GT(fixedAny, 0);
}

// The whole run on problems the merge and the fixing reduce still finds and
// proves the enumerated optimum.
TEST(CoverReductionTest, SolveKeepsTheOptimum) {
  for (std::uint64_t seed = 1; seed <= 6; ++seed) {
    PmedProblem problem =
        groupedProblem(14, 2 + static_cast<int>(seed % 3), seed);
    double best = optimalCost(problem);
    SolveOutcome outcome = solvePmed(problem, SolveOptions{});
    EXPECT_NEAR(outcome.objective, best, 1e-6) << seed;
    EXPECT_NEAR(medianCost(problem, outcome.centres), best, 1e-6) << seed;
    EXPECT_LE(outcome.bound, best + 1e-6) << seed;
    EXPECT_TRUE(outcome.proven) << seed;
  }
}

// A heavy vertex only candidate 0 covers, and light ones; at multipliers
// equal to the demands the bound is the optimum, 52, so every solution
// covering more than 51 opens 0 and none of the candidates worth 1 (3 is
// left alone: 2 covers all it does). With 1 fixed open, only 0 may join it.
TEST(CoverReductionTest, FixesCandidatesOpenAndClosedAgainstTheLine) {
  PmedProblem problem =
      coverProblem(2, {{}, {2}, {3}, {}, {}, {}}, {50, 1, 1, 1, 1, 1});
  CoverModel model;
  ASSERT_TRUE(buildCoverModel(problem, model));
  std::vector<double> mu = {50, 1, 1, 1, 1, 1};
  EXPECT_EQ(fixByReducedCosts(model, mu, 51, 1.0),
            (std::vector<int>{1, 0, 0, 0, -1, -1}));
  problem.site = {0, 1, 0, 0, 0, 0};
  ASSERT_TRUE(buildCoverModel(problem, model));
  EXPECT_EQ(fixByReducedCosts(model, mu, 51, 1.0),
            (std::vector<int>{1, 1, -1, 0, -1, -1}));
}

}  // namespace
