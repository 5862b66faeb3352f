// Fixed and forbidden sites against brute force: every phase's answer
// honours them, every bound holds for the constrained problem, and the whole
// solve returns and proves the enumerated constrained optimum.

#include <gtest/gtest.h>

#include <algorithm>
#include <vector>

#include "pmedian/cover_model.h"
#include "pmedian/cover_reduction.h"
#include "pmedian/cover_search.h"
#include "pmedian/exact_cover.h"
#include "pmedian/lagrange_bound.h"
#include "pmedian/median_search.h"
#include "pmedian/pmed_solve.h"
#include "pmedian/tests/problem_fixture.h"

namespace {

// A covering problem of 14 vertices, p from 2 to 5, with random sites; on
// odd seeds the fixed centres are instead the p - 1 sites that cover the
// least, which every move would rather close.
PmedProblem constrainedProblem(std::uint64_t seed) {
  PmedProblem problem =
      randomProblem(14, 2 + static_cast<int>(seed % 4), true, 0.25, seed);
  randomSites(problem, seed);
  if (seed % 2 == 0)
    return problem;
  CoverModel model;
  buildCoverModel(problem, model);
  std::vector<int> order;
  for (int i = 0; i < problem.n; ++i) {
    problem.site[i] = std::min(problem.site[i], 0);
    if (problem.site[i] == 0)
      order.push_back(i);
  }
  auto reach = [&](int i) {
    return model.coverStart[i + 1] - model.coverStart[i];
  };
  std::stable_sort(order.begin(), order.end(),
                   [&](int a, int b) { return reach(a) < reach(b); });
  for (int k = 0; k < problem.p - 1; ++k)
    problem.site[order[k]] = 1;
  return problem;
}

// The model of `problem` as the solve reduces it: forbidden sites cover
// nothing.
CoverModel siteModel(const PmedProblem& problem) {
  CoverModel model;
  buildCoverModel(problem, model);
  dropForbiddenSites(model);
  return model;
}

double coverageOf(const CoverModel& model, const std::vector<int>& centres) {
  return model.totalWeight - uncoveredDemand(model, centres);
}

// The greedy start, the descent, both searches and recombination, on the
// model as read (forbidden sites still in the lists) and as the solve
// reduces it: each answer honours the sites, recombination reaches the
// constrained optimum, and no bound falls below it.
TEST(SiteRulesTest, EverySearchPhaseHonoursSites) {
  for (std::uint64_t seed = 1; seed <= 16; ++seed) {
    PmedProblem problem = constrainedProblem(seed);
    double best = 0;
    for (bool reduced : {false, true}) {
      CoverModel model;
      ASSERT_TRUE(buildCoverModel(problem, model));
      if (reduced)
        dropForbiddenSites(model);
      best = model.totalWeight - optimalCost(problem);
      CoverState state;
      SearchEffort effort;
      effort.budget = 20000000;
      greedyCover(model, state, effort);
      EXPECT_TRUE(honoursSites(problem, state.centres)) << seed;
      improveCover(model, state, effort);
      EXPECT_TRUE(honoursSites(problem, state.centres)) << seed;
      searchCover(model, state, seed, model.totalWeight, 20, effort);
      EXPECT_TRUE(honoursSites(problem, state.centres)) << seed;
      EXPECT_LE(state.covered, best + 1e-9) << seed;
      recombineCover(model, state, seed, model.totalWeight, 30, effort);
      EXPECT_TRUE(honoursSites(problem, state.centres)) << seed;
      EXPECT_NEAR(coverageOf(model, state.centres), best, 1e-9) << seed;
      EXPECT_NEAR(state.covered, best, 1e-9) << seed;
      EXPECT_GE(coverUpperBound(model, 0, 300), best - 1e-9) << seed;
      std::vector<double> mu;
      EXPECT_GE(coverLpBound(model, 10, mu), best - 1e-6) << seed;
    }
  }
}

// Branch and cut from the worst allowed start proves the constrained
// optimum with an answer that honours the sites, merged model or not.
TEST(SiteRulesTest, BranchAndCutProvesConstrainedOptimum) {
  for (std::uint64_t seed = 1; seed <= 10; ++seed) {
    PmedProblem problem = constrainedProblem(seed);
    CoverModel model = siteModel(problem);
    if (seed % 2)
      mergeIdenticalDemands(model);
    double best = model.totalWeight - optimalCost(problem);
    std::vector<int> start;
    for (int i = 0; i < model.n; ++i)
      if (problem.site[i] > 0)
        start.push_back(i);
    for (int i = model.n - 1; static_cast<int>(start.size()) < model.p; --i)
      if (problem.site[i] == 0)
        start.push_back(i);
    ASSERT_TRUE(honoursSites(problem, start));
    ExactResult exact =
        solveCoverExactly(model, start, coverageOf(model, start),
                          model.totalWeight, {10, nullptr, 1});
    EXPECT_TRUE(exact.proven) << seed;
    EXPECT_TRUE(honoursSites(problem, exact.centres)) << seed;
    EXPECT_NEAR(exact.covered, best, 1e-9) << seed;
    EXPECT_GE(exact.bound, best - 1e-9) << seed;
  }
}

// Fixing by reduced costs keeps every allowed solution better than the
// line, and keeps the site rules as they are.
TEST(SiteRulesTest, FixingKeepsEveryBetterAllowedSolution) {
  for (std::uint64_t seed = 1; seed <= 10; ++seed) {
    PmedProblem problem = constrainedProblem(seed);
    CoverModel model = siteModel(problem);
    double best = model.totalWeight - optimalCost(problem);
    std::vector<double> mu;
    coverLpBound(model, 10, mu);
    ASSERT_FALSE(mu.empty());
    std::vector<int> dominator = dominatingCandidates(model);
    std::vector<int> fixed = fixByReducedCosts(model, mu, best - 1, 1.0);
    for (int i = 0; i < model.n; ++i) {
      if (problem.site[i] != 0) {
        EXPECT_EQ(fixed[i], problem.site[i]) << seed << " " << i;
      }
      // A dominator stands in for a free candidate only where allowed.
      if (dominator[i] >= 0) {
        EXPECT_GE(problem.site[dominator[i]], 0) << seed << " " << i;
      }
    }
    forEachSubset(model.n, model.p, [&](const std::vector<int>& centres) {
      if (honoursSites(problem, centres) &&
          coverageOf(model, centres) >= best) {
        EXPECT_TRUE(keepsFixes(fixed, dominator, centres)) << seed;
      }
    });
  }
}

// The whole solve, with and without branch and cut, returns the enumerated
// constrained optimum, honours the sites, and proves it with branch and
// cut; its bound is a bound of the constrained problem.
TEST(SiteRulesTest, SolveReturnsAndProvesConstrainedOptimum) {
  int boundBySites = 0;
  for (std::uint64_t seed = 1; seed <= 12; ++seed) {
    PmedProblem problem = constrainedProblem(seed);
    double best = optimalCost(problem);
    PmedProblem free = problem;
    free.site.clear();
    boundBySites += best > optimalCost(free) + 0.5;
    for (double exactSeconds : {0.0, 10.0}) {
      SolveOptions options;
      options.exactSeconds = exactSeconds;
      SolveOutcome outcome = solvePmed(problem, options);
      EXPECT_TRUE(honoursSites(problem, outcome.centres)) << seed;
      EXPECT_NEAR(outcome.objective, best, 1e-9) << seed;
      EXPECT_NEAR(medianCost(problem, outcome.centres), best, 1e-9) << seed;
      EXPECT_LE(outcome.bound, best + 1e-9) << seed;
      if (exactSeconds > 0) {
        EXPECT_TRUE(outcome.proven) << seed;
      }
    }
  }
  // Not an empty claim: the sites cost coverage in most cases.
  EXPECT_GE(boundBySites, 6);
}

// Sites that leave no choice: p fixed centres, or exactly p allowed sites.
TEST(SiteRulesTest, NoChoiceLeftIsTheAnswer) {
  PmedProblem problem = randomProblem(10, 3, true, 0.3, 4);
  problem.site.assign(10, 0);
  for (int v : {2, 5, 9})
    problem.site[v] = 1;
  SolveOutcome outcome = solvePmed(problem, SolveOptions{});
  EXPECT_EQ(outcome.centres, (std::vector<int>{2, 5, 9}));
  EXPECT_TRUE(outcome.proven);
  EXPECT_NEAR(outcome.objective, optimalCost(problem), 1e-9);

  problem.site.assign(10, -1);
  for (int v : {1, 4})
    problem.site[v] = 0;
  problem.site[7] = 1;
  outcome = solvePmed(problem, SolveOptions{});
  EXPECT_EQ(outcome.centres, (std::vector<int>{1, 4, 7}));
  EXPECT_TRUE(outcome.proven);
  EXPECT_NEAR(outcome.bound, outcome.objective, 1e-9);
}

// The general p-median path under random sites: the greedy start, the
// search and the whole solve honour them, the solve returns the enumerated
// constrained optimum, and its bound is a bound of the constrained problem.
TEST(SiteRulesTest, MedianPathHonoursSites) {
  int boundBySites = 0;
  for (std::uint64_t seed = 1; seed <= 12; ++seed) {
    PmedProblem problem =
        randomProblem(12, 2 + static_cast<int>(seed % 4), false, 0, seed);
    randomSites(problem, seed);
    double best = optimalCost(problem);
    PmedProblem free = problem;
    free.site.clear();
    boundBySites += best > optimalCost(free) + 0.5;
    SearchEffort effort;
    effort.budget = 20000000;
    MedianState state;
    setMedianCentres(problem, state, greedyMedian(problem, effort));
    EXPECT_TRUE(honoursSites(problem, state.centres)) << seed;
    searchMedian(problem, state, seed, 0, 200, effort);
    EXPECT_TRUE(honoursSites(problem, state.centres)) << seed;
    EXPECT_LE(medianLowerBound(problem, best, true, 300), best + 1e-9) << seed;
    SolveOutcome outcome = solvePmed(problem, SolveOptions{});
    EXPECT_FALSE(outcome.covering);
    EXPECT_TRUE(honoursSites(problem, outcome.centres)) << seed;
    EXPECT_NEAR(outcome.objective, best, 1e-9) << seed;
    EXPECT_LE(outcome.bound, best + 1e-9) << seed;
  }
  EXPECT_GE(boundBySites, 6);
  // One fixed centre and p = 1: that centre, proven.
  PmedProblem problem = randomProblem(8, 1, false, 0, 3);
  problem.site.assign(8, 0);
  problem.site[5] = 1;
  SolveOutcome outcome = solvePmed(problem, SolveOptions{});
  EXPECT_EQ(outcome.centres, std::vector<int>{5});
  EXPECT_TRUE(outcome.proven);
}

}  // namespace
