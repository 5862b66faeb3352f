#include "pmedian/pmed_solve.h"

#include <algorithm>
#include <chrono>
#include <cmath>
#include <functional>
#include <utility>

#include "pmedian/cover_incumbent.h"
#include "pmedian/cover_model.h"
#include "pmedian/cover_phases.h"
#include "pmedian/cover_reduction.h"
#include "pmedian/cover_schedule.h"
#include "pmedian/lagrange_bound.h"
#include "pmedian/median_search.h"
#include "pmedian/progress.h"
#include "pmedian/tolerances.h"

namespace {

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

// The centres when the site rules `site` (empty: all free) of n vertices
// leave no choice: every allowed site when there are no more than p (all
// vertices when p = n), else the fixed ones when they are p; empty when
// there is a choice.
std::vector<int> forcedCentres(int n, int p, const std::vector<int>& site) {
  auto rule = [&](int i) { return site.empty() ? 0 : site[i]; };
  int allowed = 0, fixed = 0;
  for (int i = 0; i < n; ++i) {
    allowed += rule(i) >= 0;
    fixed += rule(i) > 0;
  }
  bool allAllowed = allowed <= p;
  if (!allAllowed && fixed < p)
    return {};
  std::vector<int> centres;
  for (int i = 0; i < n; ++i)
    if (rule(i) > 0 || (allAllowed && rule(i) == 0))
      centres.push_back(i);
  return centres;
}

// `previous`, an answer for fewer centres, may start the schedule (see
// CoverWorkshop); empty for none.
SolveOutcome solveCovering(const CoverModel& model, const SolveOptions& options,
                           SearchEffort& effort,
                           const std::vector<int>& previous = {}) {
  CoverIncumbent incumbent(model.totalWeight, coverTolerance(model),
                           model.integral);
  if (options.goal >= 0)
    incumbent.setGoal(model.totalWeight - options.goal);
  std::vector<int> forced = forcedCentres(model.n, model.p, model.site);
  if (!forced.empty()) {
    double covered = model.totalWeight - uncoveredDemand(model, forced);
    markBest(effort, forced, covered);
    incumbent.offer(forced, covered, Claim::kOptimal, "inicio",
                    effort.secondsAtBest);
    incumbent.offerBound(covered, "inicio");
  } else {
    CoverWorkshop shop(model, options);
    shop.previous = previous;
    runCoverSchedule(coverPhases(shop), incumbent, effort);
  }
  IncumbentView answer = incumbent.view();
  effort.secondsAtBest = answer.secondsFound;
  SolveOutcome outcome;
  outcome.covering = true;
  outcome.totalDemand = model.totalWeight;
  outcome.centres = answer.centres;
  outcome.objective = model.totalWeight - answer.covered;
  outcome.bound = std::max(0.0, model.totalWeight - answer.upper);
  outcome.proven = !incumbent.gapOpen();
  return outcome;
}

// `previous`, an answer for fewer centres, grown to p starts the search in
// place of the greedy start when it costs less; empty for none.
SolveOutcome solveMedian(const PmedProblem& problem,
                         const SolveOptions& options, SearchEffort& effort,
                         const std::vector<int>& previous = {}) {
  SolveOutcome outcome;
  int n = problem.n;
  outcome.centres = forcedCentres(n, problem.p, problem.site);
  if (outcome.centres.empty() && problem.p == 1)
    outcome.centres = {bestSingleCentre(problem)};
  if (!outcome.centres.empty()) {
    // Both cases are solved exactly.
    outcome.objective = medianCost(problem, outcome.centres);
    outcome.bound = outcome.objective;
    outcome.proven = true;
    markBest(effort, outcome.centres, outcome.objective);
    return outcome;
  }
  bool whole = wholeCosts(problem);
  MedianState state;
  setMedianCentres(problem, state, greedyMedian(problem, effort));
  if (!previous.empty()) {
    std::vector<int> grown = greedyMedian(problem, effort, previous);
    if (medianCost(problem, grown) < state.cost)
      setMedianCentres(problem, state, grown);
  }
  notePhase("inicio");
  improveMedian(problem, state, effort);
  markBest(effort, state.centres, state.cost);
  double tolerance = valueTolerance(whole, state.cost);
  double cells = static_cast<double>(n) * n;
  int steps = static_cast<int>(std::clamp(kMedianBoundCells / cells,
                                          double{kMedianBoundMinSteps},
                                          double{kMedianBoundMaxSteps}));
  notePhase("limite");
  double lower = medianLowerBound(problem, state.cost, whole, steps);
  noteBound(lower);
  if (state.cost > lower + tolerance) {
    chargeRoundsFromHere(effort);
    notePhase("busca");
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

namespace {

// Each vertex costs the most any candidate would charge it, for a covering
// problem its whole demand: the cost of no centre.
double noCentreCost(const PmedProblem& problem) {
  double objective = 0;
  int n = problem.n;
  for (int j = 0; j < n; ++j) {
    float worst = 0;
    for (int i = 0; i < n; ++i)
      worst =
          std::max(worst, problem.cost[static_cast<std::size_t>(i) * n + j]);
    objective += worst;
  }
  return objective;
}

// No centre serves anyone: each vertex costs `objective` in all, proven.
SolveOutcome nothingOpen(double objective) {
  SolveOutcome outcome;
  outcome.objective = objective;
  outcome.bound = objective;
  outcome.proven = true;
  outcome.secondsProven = 0;
  return outcome;
}

SearchEffort startEffort(const SolveOptions& options) {
  SearchEffort effort;
  effort.budget = options.budget;
  effort.secondsCap = options.searchSeconds;
  // The whole run's cap counts from the program's start; a run already past
  // it keeps a deadline that has passed (0 would mean none).
  if (options.runSeconds > 0)
    effort.deadline =
        std::max(options.runSeconds - options.secondsBefore, 1e-9);
  return effort;
}

SolveOutcome coverOutcome(CoverModel& model, const SolveOptions& options,
                          SearchEffort& effort) {
  dropForbiddenSites(model);
  noteCovering(true);
  return solveCovering(model, options, effort);
}

void endEffort(const SearchEffort& effort, SolveOutcome& outcome) {
  outcome.secondsFound = effort.secondsAtBest;
  if (outcome.proven)
    outcome.secondsProven = elapsedSeconds(effort);
  outcome.rounds = effort.rounds;
}

}  // namespace

SolveOutcome solvePmed(const PmedProblem& problem,
                       const SolveOptions& options) {
  if (problem.p == 0)
    return nothingOpen(noCentreCost(problem));
  SearchEffort effort = startEffort(options);
  CoverModel model;
  bool covering = buildCoverModel(problem, model);
  SolveOutcome outcome;
  if (covering) {
    outcome = coverOutcome(model, options, effort);
  } else {
    noteCovering(false);
    outcome = solveMedian(problem, options, effort);
  }
  endEffort(effort, outcome);
  return outcome;
}

SolveOutcome solveCoverLists(CoverLists& lists, const std::vector<int>& site,
                             const SolveOptions& options) {
  SearchEffort effort = startEffort(options);
  noteCovering(true);
  CoverModel model;
  buildCoverModel(lists, site, model);
  // The model holds all the solve needs; the lists would double the memory.
  lists = CoverLists();
  if (model.p == 0)
    return nothingOpen(model.totalWeight);
  SolveOutcome outcome = coverOutcome(model, options, effort);
  endEffort(effort, outcome);
  return outcome;
}

namespace {

using Clock = std::chrono::steady_clock;

double secondsSince(Clock::time_point start) {
  return std::chrono::duration<double>(Clock::now() - start).count();
}

// Solves one p of a list within `run`, from `previous`, the answer for the
// p before (empty for the first).
using PointSolve = std::function<SolveOutcome(
    int p, const SolveOptions& run, const std::vector<int>& previous)>;

// Solves each p of `list` in turn by `solve`, the first charged with what
// was spent before and since `start`.
std::vector<CurveOutcome> solveEach(const std::vector<int>& list,
                                    const SolveOptions& options,
                                    Clock::time_point start,
                                    const PointSolve& solve) {
  std::vector<CurveOutcome> curve;
  std::vector<int> previous;
  int count = static_cast<int>(list.size());
  for (int k = 0; k < count; ++k) {
    Clock::time_point begun = Clock::now();
    CurveOutcome point;
    point.p = list[static_cast<std::size_t>(k)];
    point.secondsBefore =
        k == 0 ? options.secondsBefore + secondsSince(start) : 0;
    SolveOptions run = options;
    run.secondsBefore = point.secondsBefore;
    noteCurvePoint(point.p, k + 1, count);
    point.outcome = solve(point.p, run, previous);
    point.seconds = point.secondsBefore + secondsSince(begun);
    previous = point.outcome.centres;
    curve.push_back(std::move(point));
  }
  return curve;
}

// A bound for more centres bounds fewer: each bound rises to the best of
// those after it, within its objective; an objective within `tolerance`
// (of its size) of its bound is proven, as of the end of its solve.
void settleCurve(std::vector<CurveOutcome>& curve,
                 const std::function<double(double)>& tolerance) {
  double bound = 0;
  for (std::size_t k = curve.size(); k-- > 0;) {
    SolveOutcome& outcome = curve[k].outcome;
    bound = std::max(bound, outcome.bound);
    outcome.bound = std::min(bound, outcome.objective);
    if (!outcome.proven &&
        outcome.objective <= outcome.bound + tolerance(outcome.objective)) {
      outcome.proven = true;
      outcome.secondsProven = curve[k].seconds - curve[k].secondsBefore;
    }
  }
}

std::vector<CurveOutcome> coverCurve(CoverModel& model,
                                     const std::vector<int>& list,
                                     const SolveOptions& options,
                                     Clock::time_point start) {
  dropForbiddenSites(model);
  noteCovering(true);
  std::vector<CurveOutcome> curve = solveEach(
      list, options, start,
      [&model](int p, const SolveOptions& run,
               const std::vector<int>& previous) {
        model.p = p;
        if (p == 0) {
          SolveOutcome outcome = nothingOpen(model.totalWeight);
          outcome.covering = true;
          outcome.totalDemand = model.totalWeight;
          return outcome;
        }
        SearchEffort effort = startEffort(run);
        SolveOutcome outcome = solveCovering(model, run, effort, previous);
        endEffort(effort, outcome);
        return outcome;
      });
  double tolerance = coverTolerance(model);
  settleCurve(curve, [tolerance](double) { return tolerance; });
  return curve;
}

}  // namespace

std::vector<CurveOutcome> solvePmedCurve(PmedProblem& problem,
                                         const std::vector<int>& list,
                                         const SolveOptions& options) {
  Clock::time_point start = Clock::now();
  CoverModel model;
  if (buildCoverModel(problem, model))
    return coverCurve(model, list, options, start);
  noteCovering(false);
  std::vector<CurveOutcome> curve = solveEach(
      list, options, start,
      [&problem](int p, const SolveOptions& run,
                 const std::vector<int>& previous) {
        problem.p = p;
        if (p == 0)
          return nothingOpen(noCentreCost(problem));
        SearchEffort effort = startEffort(run);
        SolveOutcome outcome = solveMedian(problem, run, effort, previous);
        endEffort(effort, outcome);
        return outcome;
      });
  bool whole = wholeCosts(problem);
  settleCurve(curve, [whole](double objective) {
    return valueTolerance(whole, objective);
  });
  return curve;
}

std::vector<CurveOutcome> solveCoverListsCurve(CoverLists& lists,
                                               const std::vector<int>& site,
                                               const std::vector<int>& list,
                                               const SolveOptions& options) {
  Clock::time_point start = Clock::now();
  CoverModel model;
  buildCoverModel(lists, site, model);
  lists = CoverLists();
  return coverCurve(model, list, options, start);
}
