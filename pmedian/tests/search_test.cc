// The searches and bounds against brute force on small random problems.

#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <cmath>
#include <functional>
#include <limits>
#include <vector>

#include "pmedian/cover_incumbent.h"
#include "pmedian/cover_model.h"
#include "pmedian/cover_phases.h"
#include "pmedian/cover_schedule.h"
#include "pmedian/cover_search.h"
#include "pmedian/exact_cover.h"
#include "pmedian/lagrange_bound.h"
#include "pmedian/median_search.h"
#include "pmedian/pmed_solve.h"
#include "pmedian/random_stream.h"
#include "pmedian/tests/problem_fixture.h"

namespace {

std::vector<int> swapped(std::vector<int> centres, int in, int out) {
  *std::find(centres.begin(), centres.end(), out) = in;
  return centres;
}

// A swap search on `state`, which may use what earlier searches kept, and
// one on a copy rebuilt from its centres, which keeps nothing, choose the
// same swap, without and with tabu rules and random choice among equals,
// and draw from their streams alike.
void expectSameSwaps(const CoverModel& model, const CoverState& state,
                     std::uint64_t seed) {
  CoverState rebuilt;
  startCoverState(model, rebuilt);
  for (int c : state.centres)
    openCover(model, rebuilt, c);
  SearchEffort effort;
  CoverSwap kept = bestCoverSwap(model, state, effort);
  CoverSwap walked = bestCoverSwap(model, rebuilt, effort);
  EXPECT_EQ(kept.in, walked.in);
  EXPECT_EQ(kept.out, walked.out);
  EXPECT_EQ(kept.delta, walked.delta);
  RandomStream drawKept = randomStream(seed), drawWalked = randomStream(seed);
  CoverTabu tabu;
  tabu.until.assign(model.n, 0);
  tabu.now = 1;
  for (int i = 0; i < model.n; i += 4)
    tabu.until[i] = 2;
  tabu.aspiration = state.covered;
  tabu.random = &drawKept;
  kept = bestCoverSwap(model, state, effort, &tabu);
  tabu.random = &drawWalked;
  walked = bestCoverSwap(model, rebuilt, effort, &tabu);
  EXPECT_EQ(kept.in, walked.in);
  EXPECT_EQ(kept.out, walked.out);
  EXPECT_EQ(nextBelow(drawKept, 1 << 30), nextBelow(drawWalked, 1 << 30));
}

TEST(CoverSearchTest, BookkeepingMatchesRecountAfterMoves) {
  PmedProblem problem = randomProblem(30, 5, true, 0.25, 7);
  CoverModel model;
  ASSERT_TRUE(buildCoverModel(problem, model));
  CoverState state;
  SearchEffort effort;
  greedyCover(model, state, effort);
  RandomStream random = randomStream(3);
  for (int move = 0; move < 50; ++move) {
    // Searched before each move, so that what it keeps is from before.
    expectSameSwaps(model, state, move);
    int out = state.centres[nextBelow(random, model.p)];
    int in;
    do {
      in = nextBelow(random, model.n);
    } while (state.position[in] >= 0);
    openCover(model, state, in);
    closeCover(model, state, out);
    EXPECT_DOUBLE_EQ(state.covered,
                     model.totalWeight - uncoveredDemand(model, state.centres));
    // The lone open centre covering each vertex, found afresh.
    std::vector<int> covering(model.n, 0), lone(model.n, -1);
    for (int c : state.centres)
      for (int k = model.coverStart[c]; k < model.coverStart[c + 1]; ++k) {
        int j = model.coverList[k];
        lone[j] = ++covering[j] == 1 ? c : -1;
      }
    EXPECT_EQ(state.alone, lone);
    // Demand of each list that a single open centre holds.
    for (int i = 0; i < model.n; ++i) {
      double single = 0;
      for (int k = model.coverStart[i]; k < model.coverStart[i + 1]; ++k)
        if (covering[model.coverList[k]] == 1)
          single += model.weight[model.coverList[k]];
      EXPECT_EQ(state.single[i], single) << i;
    }
    // Gain of a closed i and loss of an open i, from their definitions.
    for (int i = 0; i < model.n; ++i) {
      std::vector<int> with = state.centres;
      double expected;
      if (state.position[i] < 0) {
        with.push_back(i);
        expected = uncoveredDemand(model, state.centres) -
                   uncoveredDemand(model, with);
        EXPECT_DOUBLE_EQ(state.gain[i], expected) << i;
      } else {
        with.erase(std::find(with.begin(), with.end(), i));
        expected = uncoveredDemand(model, with) -
                   uncoveredDemand(model, state.centres);
        EXPECT_DOUBLE_EQ(state.loss[i], expected) << i;
      }
    }
  }
}

// A random covering problem of 25 vertices (p from 2 to 6) and its greedy
// solution; false when the problem is not seen as covering.
bool greedyOnRandom(std::uint64_t seed, CoverModel& model, CoverState& state,
                    SearchEffort& effort) {
  PmedProblem problem =
      randomProblem(25, 2 + static_cast<int>(seed % 5), true, 0.2, seed);
  if (!buildCoverModel(problem, model))
    return false;
  greedyCover(model, state, effort);
  return true;
}

// The best swap's delta is the recomputed change of coverage, and no swap,
// enumerated, does better.
TEST(CoverSearchTest, BestSwapIsExactAndMaximal) {
  for (std::uint64_t seed = 1; seed <= 20; ++seed) {
    CoverModel model;
    CoverState state;
    SearchEffort effort;
    ASSERT_TRUE(greedyOnRandom(seed, model, state, effort));
    CoverSwap swap = bestCoverSwap(model, state, effort);
    ASSERT_GE(swap.in, 0);
    double before = uncoveredDemand(model, state.centres);
    EXPECT_NEAR(swap.delta,
                before - uncoveredDemand(
                             model, swapped(state.centres, swap.in, swap.out)),
                1e-9);
    for (int in = 0; in < model.n; ++in) {
      if (state.position[in] >= 0)
        continue;
      for (int out : state.centres)
        EXPECT_LE(
            before - uncoveredDemand(model, swapped(state.centres, in, out)),
            swap.delta + 1e-9);
    }
  }
}

// Under a tabu list, the chosen swap is allowed or beats the aspiration
// level, and no allowed swap does better.
TEST(CoverSearchTest, TabuSwapIsBestAllowed) {
  for (std::uint64_t seed = 1; seed <= 20; ++seed) {
    CoverModel model;
    CoverState state;
    SearchEffort effort;
    ASSERT_TRUE(greedyOnRandom(seed, model, state, effort));
    RandomStream random = randomStream(seed);
    CoverTabu tabu;
    tabu.now = 10;
    tabu.until.assign(model.n, 0);
    for (int i = 0; i < model.n; ++i)
      if (nextBelow(random, 3) == 0)
        tabu.until[i] = 11;
    // Aspiration at the present coverage in half the cases, out of reach
    // in the others.
    tabu.aspiration = seed % 2 ? state.covered : model.totalWeight;
    tabu.random = &random;
    CoverSwap swap = bestCoverSwap(model, state, effort, &tabu);
    double before = uncoveredDemand(model, state.centres);
    auto allowed = [&](int in, int out, double delta) {
      return (tabu.until[in] <= tabu.now && tabu.until[out] <= tabu.now) ||
             state.covered + delta > tabu.aspiration;
    };
    double bestAllowed = -INFINITY;
    for (int in = 0; in < model.n; ++in) {
      if (state.position[in] >= 0)
        continue;
      for (int out : state.centres) {
        double delta =
            before - uncoveredDemand(model, swapped(state.centres, in, out));
        if (allowed(in, out, delta))
          bestAllowed = std::max(bestAllowed, delta);
      }
    }
    if (bestAllowed == -INFINITY) {
      EXPECT_LT(swap.in, 0) << seed;
      continue;
    }
    ASSERT_GE(swap.in, 0) << seed;
    EXPECT_NEAR(swap.delta,
                before - uncoveredDemand(
                             model, swapped(state.centres, swap.in, swap.out)),
                1e-9);
    EXPECT_TRUE(allowed(swap.in, swap.out, swap.delta)) << seed;
    EXPECT_NEAR(swap.delta, bestAllowed, 1e-9) << seed;
  }
}

// On a ring where each centre covers itself and its two neighbours, four
// centres three apart cover the most there is, 12, in many ways: from one
// of them the search keeps 12 but moves on to another, as it must to find
// the next improvement across such plateaus.
TEST(CoverSearchTest, SearchDriftsAcrossEqualSolutions) {
  const int n = 60;
  std::vector<std::vector<int>> covers(n);
  for (int i = 0; i < n; ++i)
    covers[i] = {(i + 1) % n, (i + n - 1) % n};
  PmedProblem problem = coverProblem(4, covers, std::vector<float>(n, 1.0f));
  CoverModel model;
  ASSERT_TRUE(buildCoverModel(problem, model));
  CoverState state;
  startCoverState(model, state);
  const std::vector<int> start = {1, 4, 7, 10};
  for (int c : start)
    openCover(model, state, c);
  SearchEffort effort;
  effort.budget = 5000000;
  searchCover(model, state, 3, model.totalWeight, 40, effort);
  EXPECT_EQ(state.covered, 12);
  std::vector<int> sorted = state.centres;
  std::sort(sorted.begin(), sorted.end());
  EXPECT_NE(sorted, start);
}

TEST(CoverSearchTest, NotCoveringWhenColumnHasTwoValues) {
  PmedProblem problem = randomProblem(10, 2, false, 0, 1);
  CoverModel model;
  EXPECT_FALSE(buildCoverModel(problem, model));
}

// Recombination, from a greedy start, ends on p distinct centres whose
// counted coverage is the recount and the enumerated optimum.
TEST(CoverSearchTest, RecombinationEndsOnOptimumWithExactBookkeeping) {
  for (std::uint64_t seed = 1; seed <= 12; ++seed) {
    PmedProblem problem =
        randomProblem(16, 2 + static_cast<int>(seed % 4), true, 0.2, seed);
    CoverModel model;
    ASSERT_TRUE(buildCoverModel(problem, model));
    CoverState state;
    SearchEffort effort;
    effort.budget = 50000000;
    greedyCover(model, state, effort);
    recombineCover(model, state, seed, model.totalWeight, 30, effort);
    std::vector<int> sorted = state.centres;
    std::sort(sorted.begin(), sorted.end());
    EXPECT_EQ(std::unique(sorted.begin(), sorted.end()), sorted.end());
    EXPECT_EQ(static_cast<int>(state.centres.size()), model.p) << seed;
    EXPECT_NEAR(state.covered,
                model.totalWeight - uncoveredDemand(model, state.centres),
                1e-9);
    EXPECT_NEAR(state.covered, model.totalWeight - optimalCost(problem), 1e-9)
        << seed;
  }
}

TEST(MedianSearchTest, BestSwapIsExactAndMaximal) {
  for (std::uint64_t seed = 1; seed <= 20; ++seed) {
    PmedProblem problem =
        randomProblem(25, 2 + static_cast<int>(seed % 5), false, 0, seed);
    SearchEffort effort;
    MedianState state;
    setMedianCentres(problem, state, greedyMedian(problem, effort));
    // Start away from the greedy answer so that improving swaps exist.
    int closed = 0;
    while (state.position[closed] >= 0)
      ++closed;
    swapMedian(problem, state, closed, state.centres[0]);
    MedianSwap swap = bestMedianSwap(problem, state, effort);
    ASSERT_GE(swap.in, 0);
    double before = medianCost(problem, state.centres);
    EXPECT_NEAR(state.cost, before, 1e-6);
    EXPECT_NEAR(
        swap.delta,
        before - medianCost(problem, swapped(state.centres, swap.in, swap.out)),
        1e-6);
    for (int in = 0; in < problem.n; ++in) {
      if (state.position[in] >= 0)
        continue;
      for (int out : state.centres)
        EXPECT_LE(before - medianCost(problem, swapped(state.centres, in, out)),
                  swap.delta + 1e-6);
    }
    // After a swap the nearest centres are those recomputed from scratch.
    swapMedian(problem, state, swap.in, swap.out);
    MedianState fresh;
    setMedianCentres(problem, fresh, state.centres);
    EXPECT_EQ(state.dist1, fresh.dist1);
    EXPECT_EQ(state.dist2, fresh.dist2);
    EXPECT_NEAR(state.cost, fresh.cost, 1e-6);
  }
}

TEST(BoundTest, NeverPassesEnumeratedOptimum) {
  for (std::uint64_t seed = 1; seed <= 12; ++seed) {
    int p = 1 + static_cast<int>(seed % 4);
    PmedProblem median = randomProblem(12, p, false, 0, seed);
    double best = optimalCost(median);
    EXPECT_LE(medianLowerBound(median, best, true, 300), best + 1e-6) << seed;
    // Given a poor upper value the steps are larger, still below.
    EXPECT_LE(medianLowerBound(median, 3 * best, true, 300), best + 1e-6)
        << seed;

    PmedProblem covering = randomProblem(12, p, true, 0.3, seed);
    CoverModel model;
    ASSERT_TRUE(buildCoverModel(covering, model));
    double bestCovered = model.totalWeight - optimalCost(covering);
    EXPECT_GE(coverUpperBound(model, bestCovered, 300), bestCovered - 1e-6)
        << seed;
    EXPECT_GE(coverUpperBound(model, 0, 300), bestCovered - 1e-6) << seed;
    // Cut short by a deadline already past, the bound still holds.
    SearchEffort late;
    late.deadline = 1e-9;
    EXPECT_GE(coverUpperBound(model, 0, 300, nullptr, &late),
              bestCovered - 1e-6)
        << seed;
  }
}

// In the hard band (p times the share within S near 1) the covering bound
// comes within a tenth of a percent of the linear relaxation's value, and
// never below it (every multiplier gives a bound at least that high). The
// plain subgradient steps stalled 0.6 to 0.8 % above it here.
TEST(BoundTest, CoverBoundNearsTheRelaxation) {
  for (std::uint64_t seed : {1, 3}) {
    int p = 30;
    PmedProblem covering = randomProblem(1000, p, true, 0.1, seed);
    CoverModel model;
    ASSERT_TRUE(buildCoverModel(covering, model));
    CoverState greedy;
    SearchEffort effort;
    greedyCover(model, greedy, effort);
    std::vector<double> duals, mu;
    double relaxation = coverLpBound(model, 10, duals);
    ASSERT_FALSE(duals.empty());
    double bound = coverUpperBound(model, greedy.covered, 3000, &mu);
    EXPECT_GE(bound, std::floor(relaxation + 1e-6)) << seed;
    EXPECT_LE(bound, 1.001 * relaxation) << seed;
    // The multipliers handed back are those of the bound: sum max(0, w_j -
    // mu_j) plus the p largest sums of mu over a cover list.
    double at = 0;
    for (int j = 0; j < model.n; ++j)
      at += std::max(0.0, model.weight[j] - mu[j]);
    std::vector<double> value(model.n, 0.0);
    for (int i = 0; i < model.n; ++i)
      for (int k = model.coverStart[i]; k < model.coverStart[i + 1]; ++k)
        value[i] += mu[model.coverList[k]];
    std::sort(value.rbegin(), value.rend());
    for (int k = 0; k < p; ++k)
      at += value[k];
    EXPECT_EQ(bound, std::floor(at + 1e-6)) << seed;
  }
}

// The whole run, with and without branch and cut, finds the enumerated
// optimum on small problems, and its bound lies below it.
TEST(SolveTest, ReachesEnumeratedOptimum) {
  for (std::uint64_t seed = 1; seed <= 10; ++seed) {
    for (bool covering : {true, false}) {
      PmedProblem problem = randomProblem(13, 1 + static_cast<int>(seed % 5),
                                          covering, 0.25, seed);
      double best = optimalCost(problem);
      for (double exactSeconds : {0.0, 10.0}) {
        SolveOptions options;
        options.exactSeconds = exactSeconds;
        SolveOutcome outcome = solvePmed(problem, options);
        EXPECT_EQ(outcome.covering, covering);
        EXPECT_EQ(static_cast<int>(outcome.centres.size()), problem.p);
        EXPECT_NEAR(outcome.objective, best, 1e-6) << seed;
        EXPECT_NEAR(medianCost(problem, outcome.centres), best, 1e-6) << seed;
        EXPECT_LE(outcome.bound, best + 1e-6) << seed;
        if (covering && exactSeconds > 0) {
          EXPECT_TRUE(outcome.proven) << seed;
        }
      }
    }
  }
}

TEST(SolveTest, SameInputSameCentres) {
  for (bool covering : {true, false}) {
    PmedProblem problem = randomProblem(150, 12, covering, 0.08, 5);
    SolveOptions options;
    options.exactSeconds = 0;
    options.budget = 20000000;
    SolveOutcome first = solvePmed(problem, options);
    SolveOutcome second = solvePmed(problem, options);
    EXPECT_EQ(first.centres, second.centres);
    EXPECT_EQ(first.rounds, second.rounds);
  }
}

// A proven answer of branch and cut stands against the search's even on a
// tie, whichever reaches the incumbent first; an unproven one only when
// better by the tolerance.
TEST(SolveTest, ProofAnswerStandsOnATieOnlyWhenProven) {
  auto proofStands = [](Claim claim, double proof, double searched,
                        bool proofFirst) {
    CoverIncumbent incumbent(1000, 0.5, true);
    const std::vector<int> byProof = {1}, bySearch = {2};
    for (int turn = 0; turn < 2; ++turn) {
      if ((turn == 0) == proofFirst)
        incumbent.offer(byProof, proof, claim, "prova", 0);
      else
        incumbent.offer(bySearch, searched, Claim::kAnswer, "busca", 0);
    }
    return incumbent.view().centres == byProof;
  };
  for (bool proofFirst : {true, false}) {
    EXPECT_TRUE(proofStands(Claim::kOptimal, 100, 100, proofFirst));
    EXPECT_TRUE(proofStands(Claim::kOptimal, 100, 100.25, proofFirst));
    EXPECT_FALSE(proofStands(Claim::kBetter, 100, 100, proofFirst));
    EXPECT_FALSE(proofStands(Claim::kBetter, 100.5, 100, proofFirst));
    EXPECT_TRUE(proofStands(Claim::kBetter, 100.75, 100, proofFirst));
    EXPECT_FALSE(proofStands(Claim::kBetter, 99, 100, proofFirst));
  }
}

// Three stars far apart, each a centre and three leaves at cost 1: the
// bound meets the cost of the three centres at once, and the answer is
// called proven.
TEST(SolveTest, MedianAnswerProvenWhenBoundMeetsCost) {
  PmedProblem problem;
  problem.n = 12;
  problem.p = 3;
  problem.cost.assign(144, 0.0f);
  for (int i = 0; i < 12; ++i)
    for (int j = 0; j < 12; ++j) {
      bool centre = i % 4 == 0 || j % 4 == 0;
      float cost = i / 4 != j / 4 ? 100.0f : centre ? 1.0f : 2.0f;
      problem.cost[i * 12 + j] = i == j ? 0.0f : cost;
    }
  SolveOutcome outcome = solvePmed(problem, SolveOptions{});
  EXPECT_FALSE(outcome.covering);
  EXPECT_EQ(outcome.objective, 9);
  EXPECT_EQ(outcome.bound, 9);
  EXPECT_TRUE(outcome.proven);
  EXPECT_GE(outcome.secondsProven, 0);
}

TEST(SolveTest, EveryVertexOpenWhenPEqualsN) {
  for (bool covering : {true, false}) {
    PmedProblem problem = randomProblem(6, 6, covering, 0.1, 2);
    SolveOutcome outcome = solvePmed(problem, SolveOptions{});
    EXPECT_EQ(outcome.centres, (std::vector<int>{0, 1, 2, 3, 4, 5}));
    EXPECT_EQ(outcome.objective, 0);
    EXPECT_TRUE(outcome.proven);
  }
}

}  // namespace

namespace {

// Branch and cut alone, from a poor start and no bound, finds and proves
// the enumerated optimum.
TEST(ExactCoverTest, ProvesEnumeratedOptimumFromPoorStart) {
  for (std::uint64_t seed = 1; seed <= 6; ++seed) {
    PmedProblem problem =
        randomProblem(14, 2 + static_cast<int>(seed % 3), true, 0.25, seed);
    CoverModel model;
    ASSERT_TRUE(buildCoverModel(problem, model));
    double bestCovered = model.totalWeight - optimalCost(problem);
    std::vector<int> start;
    for (int k = 0; k < problem.p; ++k)
      start.push_back(k);
    double covered = model.totalWeight - uncoveredDemand(model, start);
    // On one thread and on two (in their repeatable order) alike.
    for (int threads : {1, 2}) {
      ExactResult exact = solveCoverExactly(
          model, start, covered, model.totalWeight, {10, nullptr, threads});
      EXPECT_TRUE(exact.proven) << seed;
      EXPECT_NEAR(exact.covered, bestCovered, 1e-6) << seed;
      EXPECT_NEAR(model.totalWeight - uncoveredDemand(model, exact.centres),
                  bestCovered, 1e-6);
      EXPECT_GE(exact.bound, bestCovered - 1e-6);
    }
    // Stopped at once, it keeps a real solution no worse than the start and
    // a bound that holds.
    std::atomic<bool> stop{true};
    ExactResult stopped = solveCoverExactly(model, start, covered,
                                            model.totalWeight, {10, &stop});
    EXPECT_EQ(static_cast<int>(stopped.centres.size()), problem.p);
    EXPECT_NEAR(model.totalWeight - uncoveredDemand(model, stopped.centres),
                stopped.covered, 1e-6);
    EXPECT_GE(stopped.covered, covered - 1e-6);
    EXPECT_GE(stopped.bound, bestCovered - 1e-6) << seed;
  }
}

// A search stopped by its cap may report its incumbent as the best
// possible: that proves nothing, while a finished one's word does.
TEST(ExactCoverTest, StoppedSearchProvesNothingAtItsIncumbent) {
  double none = std::numeric_limits<double>::infinity();
  EXPECT_EQ(branchAndCutBound({false, false, 100}, true, 0.5, 100, 120), 120);
  EXPECT_EQ(branchAndCutBound({false, true, 100}, true, 0.5, 100, 120), 120);
  EXPECT_EQ(branchAndCutBound({false, false, 110.7}, true, 0.5, 100, 120), 110);
  EXPECT_EQ(branchAndCutBound({false, false, -none}, true, 0.5, 100, 120), 120);
  EXPECT_EQ(branchAndCutBound({true, true, -none}, true, 0.5, 100, 120), 100);
  EXPECT_EQ(branchAndCutBound({true, false, 130}, true, 0.5, 100, 120), 120);
}

}  // namespace

namespace {

// Every dominated candidate points at an undominated one whose cover list
// holds its own; the undominated ones have no such candidate.
TEST(CoverModelTest, DominatorsCoverWhatTheyReplace) {
  for (std::uint64_t seed = 1; seed <= 10; ++seed) {
    PmedProblem problem = randomProblem(40, 3, true, 0.1 + 0.02 * seed, seed);
    CoverModel model;
    ASSERT_TRUE(buildCoverModel(problem, model));
    std::vector<int> dominator = dominatingCandidates(model);
    auto list = [&](int i) {
      return std::vector<int>(
          model.coverList.begin() + model.coverStart[i],
          model.coverList.begin() + model.coverStart[i + 1]);
    };
    auto inside = [&](int i, int k) {
      std::vector<int> a = list(i), b = list(k);
      return std::includes(b.begin(), b.end(), a.begin(), a.end());
    };
    for (int i = 0; i < model.n; ++i) {
      int k = dominator[i];
      if (k >= 0) {
        EXPECT_LT(dominator[k], 0) << seed << " " << i;
        EXPECT_TRUE(inside(i, k)) << seed << " " << i;
        continue;
      }
      for (int other = 0; other < model.n; ++other) {
        if (other == i || !inside(i, other))
          continue;
        // Only an equal list of higher index may hold it.
        EXPECT_EQ(list(other), list(i)) << seed << " " << i;
        EXPECT_GT(other, i) << seed << " " << i;
      }
    }
  }
}

// The search phases of the covering solve on 600 points whose swap searches
// read about a quarter of what they are charged: the second search runs
// where half of the budget's work was spared, never ends below the first
// pass, and here raises it on some seeds; with the budget spent before the
// full search, there is nothing to take up.
TEST(CoverPhasesTest, SecondSearchTakesUpTheSparedWork) {
  for (std::int64_t budget : {20000000, 1}) {
    bool wanted = budget > 1;
    int raised = 0;
    for (std::uint64_t seed = 1; seed <= 3; ++seed) {
      PmedProblem problem = randomProblem(600, 15, true, 0.15, seed);
      CoverModel model;
      ASSERT_TRUE(buildCoverModel(problem, model));
      SolveOptions options;
      CoverWorkshop shop(model, options);
      CoverPhases phases = coverPhases(shop);
      CoverIncumbent incumbent(model.totalWeight, coverTolerance(model),
                               model.integral);
      SearchEffort effort;
      effort.budget = budget;
      CoverLane lane = startLane(incumbent, effort, 0);
      for (const CoverPhase* phase :
           {&phases.start, &phases.bound, &phases.shortSearch,
            &phases.fullSearch, &phases.recombination})
        runPhase(*phase, lane);
      EXPECT_EQ(phases.searchAgainWanted(lane), wanted) << seed;
      double first = lane.covered;
      runPhase(phases.searchAgain, lane);
      EXPECT_GE(lane.covered, first) << seed;
      EXPECT_EQ(lane.covered,
                model.totalWeight - uncoveredDemand(model, lane.centres));
      EXPECT_EQ(shop.state.centres, lane.centres) << seed;
      raised += lane.covered > first;
    }
    EXPECT_EQ(raised > 0, wanted);
  }
}

}  // namespace
