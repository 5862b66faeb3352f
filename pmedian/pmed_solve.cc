#include "pmedian/pmed_solve.h"

#include <algorithm>
#include <cmath>
#include <numeric>

#include "pmedian/cover_model.h"
#include "pmedian/cover_search.h"
#include "pmedian/exact_cover.h"
#include "pmedian/lagrange_bound.h"
#include "pmedian/median_search.h"

namespace {

// Subgradient steps of the covering bound; each walks the cover lists once.
constexpr int kCoverBoundSteps = 600;
// Restarts without improvement that end the covering search: the first,
// short one before the node-limited branch and cut probe, and the full one
// after it (which the work budget usually ends first on large problems).
constexpr int kProbeRestarts = 5;
constexpr int kCoverStaleRestarts = 2000;
constexpr int kProbeNodes = 200;
constexpr double kProbeSeconds = 10;
// The p-median bound walks the whole matrix each step: the step count
// shrinks with n so that the bound never costs more than about this many
// cells, within a floor and a ceiling.
constexpr double kMedianBoundCells = 2.5e8;
constexpr int kMedianBoundMinSteps = 30;
constexpr int kMedianBoundMaxSteps = 400;

bool wholeCosts(const PmedProblem& problem) {
  for (float c : problem.cost)
    if (c != std::floor(c))
      return false;
  return true;
}

std::vector<int> everyVertex(int n) {
  std::vector<int> all(n);
  std::iota(all.begin(), all.end(), 0);
  return all;
}

SolveOutcome solveCovering(const CoverModel& model, const SolveOptions& options,
                           SearchEffort& effort) {
  SolveOutcome outcome;
  outcome.covering = true;
  double tolerance = coverTolerance(model);
  // A bound on whole demands can be rounded down to a whole number.
  auto settle = [&](double bound) {
    return model.integral ? std::floor(bound + 1e-6) : bound;
  };
  std::vector<int> centres;
  double covered;
  double upper;
  if (model.p >= model.n) {
    centres = everyVertex(model.n);
    covered = upper = model.totalWeight;
  } else {
    CoverState state;
    greedyCover(model, state, effort);
    improveCover(model, state, effort);
    markBest(effort);
    upper = settle(
        coverUpperBound(model, state.covered, tolerance, kCoverBoundSteps));
    auto open = [&] { return state.covered < upper - tolerance; };
    auto seed = static_cast<std::uint64_t>(options.seed);
    effort.budget += effort.work;
    // A short search first, then a short branch and cut bounded by nodes,
    // which proves many problems at once; only a gap still open after it
    // earns the full search and the timed phase. A better solution found by
    // the probe is kept aside rather than handed to the search, so that the
    // search takes the same path whatever the probe's clock allowed.
    if (open()) {
      searchCover(model, state, seed, upper, kProbeRestarts, effort);
    }
    std::vector<int> aside;
    double asideCovered = -1;
    double asideSeconds = 0;
    if (open() && options.exactSeconds > 0) {
      ExactResult probe = solveCoverExactly(
          model, state.centres, state.covered, upper,
          std::min(options.exactSeconds, kProbeSeconds), kProbeNodes);
      upper = settle(probe.bound);
      if (probe.covered > state.covered + tolerance) {
        aside = probe.centres;
        asideCovered = probe.covered;
        asideSeconds = elapsedSeconds(effort);
      }
    }
    if (open() && asideCovered < upper - tolerance)
      searchCover(model, state, seed + 1, upper, kCoverStaleRestarts, effort);
    centres = state.centres;
    covered = model.totalWeight - uncoveredDemand(model, centres);
    // On a tie the probe's answer stands: the search may have been stopped
    // by it, and the answer must not depend on that.
    if (asideCovered > covered - tolerance) {
      centres = aside;
      covered = asideCovered;
      effort.secondsAtBest = asideSeconds;
    }
    upper = std::max(upper, covered);
    if (covered < upper - tolerance && options.exactSeconds > 0) {
      ExactResult exact = solveCoverExactly(model, centres, covered, upper,
                                            options.exactSeconds);
      if (exact.covered > covered + tolerance)
        markBest(effort);
      centres = exact.centres;
      covered = exact.covered;
      upper = settle(exact.bound);
    }
  }
  outcome.centres = centres;
  outcome.objective = model.totalWeight - covered;
  outcome.bound = std::max(0.0, model.totalWeight - std::max(upper, covered));
  outcome.proven = covered >= upper - tolerance;
  return outcome;
}

SolveOutcome solveMedian(const PmedProblem& problem,
                         const SolveOptions& options, SearchEffort& effort) {
  SolveOutcome outcome;
  int n = problem.n;
  if (problem.p >= n) {
    outcome.centres = everyVertex(n);
  } else if (problem.p == 1) {
    outcome.centres = {bestSingleCentre(problem)};
  }
  if (!outcome.centres.empty()) {
    // Both cases are solved exactly.
    outcome.objective = medianCost(problem, outcome.centres);
    outcome.bound = outcome.objective;
    outcome.proven = true;
    markBest(effort);
    return outcome;
  }
  bool whole = wholeCosts(problem);
  MedianState state;
  setMedianCentres(problem, state, greedyMedian(problem, effort));
  improveMedian(problem, state, effort);
  markBest(effort);
  double tolerance = whole ? 1 - 1e-6 : medianTolerance(problem, state);
  double cells = static_cast<double>(n) * n;
  int steps = static_cast<int>(std::clamp(kMedianBoundCells / cells,
                                          double{kMedianBoundMinSteps},
                                          double{kMedianBoundMaxSteps}));
  double lower = medianLowerBound(problem, state.cost, tolerance, steps);
  // Whole costs have a whole optimum: the bound rounds up.
  if (whole)
    lower = std::ceil(lower - 1e-6);
  if (state.cost > lower + tolerance) {
    effort.budget += effort.work;
    searchMedian(problem, state, static_cast<std::uint64_t>(options.seed),
                 lower, staleRoundLimit(problem.p), effort);
  }
  outcome.centres = state.centres;
  outcome.objective = medianCost(problem, state.centres);
  outcome.bound = std::min(lower, outcome.objective);
  outcome.proven = outcome.objective <= lower + tolerance;
  return outcome;
}

}  // namespace

SolveOutcome solvePmed(const PmedProblem& problem,
                       const SolveOptions& options) {
  if (problem.p == 0) {
    // No centre serves anyone: each vertex costs the most any candidate
    // would charge it, for a covering problem its whole demand.
    SolveOutcome outcome;
    int n = problem.n;
    for (int j = 0; j < n; ++j) {
      float worst = 0;
      for (int i = 0; i < n; ++i)
        worst = std::max(worst, problem.cost[static_cast<std::size_t>(i) * n + j]);
      outcome.objective += worst;
    }
    outcome.bound = outcome.objective;
    outcome.proven = true;
    outcome.secondsProven = 0;
    return outcome;
  }
  SearchEffort effort;
  effort.budget = options.budget;
  effort.secondsCap = options.searchSeconds;
  CoverModel model;
  SolveOutcome outcome = buildCoverModel(problem, model)
                             ? solveCovering(model, options, effort)
                             : solveMedian(problem, options, effort);
  outcome.secondsFound = effort.secondsAtBest;
  if (outcome.proven)
    outcome.secondsProven = elapsedSeconds(effort);
  outcome.rounds = effort.rounds;
  return outcome;
}
