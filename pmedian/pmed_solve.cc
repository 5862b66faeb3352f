#include "pmedian/pmed_solve.h"

#include <algorithm>
#include <atomic>
#include <cmath>
#include <memory>
#include <numeric>
#include <thread>

#include "pmedian/cover_model.h"
#include "pmedian/cover_reduction.h"
#include "pmedian/cover_search.h"
#include "pmedian/exact_cover.h"
#include "pmedian/lagrange_bound.h"
#include "pmedian/median_search.h"
#include "pmedian/progress.h"

namespace {

// Subgradient steps of the covering bound; each walks the cover lists once.
constexpr int kCoverBoundSteps = 600;
// Restarts without improvement that end the covering search: the first,
// short one that hands branch and cut its start, and the full one beside
// branch and cut (which the work budget usually ends first on large
// problems).
constexpr int kShortRestarts = 5;
constexpr int kCoverStaleRestarts = 2000;
// Children without a better solution that end the recombination after it.
constexpr int kRecombineStale = 500;
// The linear relaxation gets at most this long; on models where it takes
// longer, branch and cut would not get past its root within the cap.
constexpr double kRelaxationSeconds = 10;
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

// The best covering answer known and the proven upper bound on coverage,
// as the phases below hand it on.
struct CoverAnswer {
  std::vector<int> centres;
  double covered = 0;
  double upper = 0;
};

// A bound on whole demands can be rounded down to a whole number.
double settledBound(const CoverModel& model, double bound) {
  return model.integral ? std::floor(bound + 1e-6) : bound;
}

bool gapOpen(const CoverModel& model, const CoverAnswer& answer) {
  return answer.covered < answer.upper - coverTolerance(model);
}

void noteCoverAnswer(const CoverAnswer& answer) {
  noteBest(answer.covered);
  noteBound(answer.upper);
}

// Greedy start, first descent and the Lagrangean bound; leaves the state at
// the descent's solution.
CoverAnswer startCovering(const CoverModel& model, CoverState& state,
                          SearchEffort& effort) {
  notePhase("inicio");
  greedyCover(model, state, effort);
  improveCover(model, state, effort);
  markBest(effort, state.covered);
  notePhase("limite");
  CoverAnswer answer{state.centres, state.covered,
                     settledBound(model, coverUpperBound(model, state.covered,
                                                         coverTolerance(model),
                                                         kCoverBoundSteps))};
  noteCoverAnswer(answer);
  return answer;
}

// What the exact phases learn once and share: the multipliers of the linear
// relaxation, and whether it was solved at all within its time.
struct Relaxation {
  double triedSeconds = 0;  // the longest time it was given and ran out of
  std::vector<double> mu;   // empty until solved
};

// Solves the linear relaxation once, within `seconds`, which may lower the
// bound; returns the candidates its reduced costs fix against the best
// coverage known, for the exact phase. A relaxation not solved in time
// leaves `relaxation.mu` empty: branch and cut would not get past its root.
// It is tried again only with at least twice the time.
std::vector<int> reduceForExactPhase(const CoverModel& model,
                                     CoverAnswer& answer,
                                     Relaxation& relaxation, double seconds) {
  if (relaxation.mu.empty() && seconds > 2 * relaxation.triedSeconds) {
    notePhase("limite");
    double bound = coverLpBound(model, seconds, relaxation.mu);
    if (relaxation.mu.empty())
      relaxation.triedSeconds = seconds;
    answer.upper = std::max(answer.covered,
                            std::min(answer.upper, settledBound(model, bound)));
    noteBound(answer.upper);
  }
  if (relaxation.mu.empty())
    return {};
  double margin = model.integral ? 1.0 : coverTolerance(model);
  return fixByReducedCosts(model, relaxation.mu, answer.covered, margin);
}

// Branch and cut from `answer` until proven, the phase's or the run's cap,
// or `stop` (when given) is raised; on `threads` threads.
void proveCovering(const CoverModel& model, CoverAnswer& answer,
                   Relaxation& relaxation, const SolveOptions& options,
                   SearchEffort& effort,
                   const std::atomic<bool>* stop = nullptr, int threads = 1) {
  std::vector<int> fixed = reduceForExactPhase(
      model, answer, relaxation, secondsWithin(effort, options.exactSeconds));
  double seconds = secondsWithin(effort, options.exactSeconds);
  if (!gapOpen(model, answer) || relaxation.mu.empty() || seconds <= 0 ||
      (stop && stop->load()))
    return;
  ExactResult exact =
      solveCoverExactly(model, answer.centres, answer.covered, answer.upper,
                        {seconds, stop, threads}, fixed);
  // The search beside may know a better solution: only the time is noted
  // here, and the bound shown.
  if (exact.covered > answer.covered + coverTolerance(model))
    effort.secondsAtBest = elapsedSeconds(effort);
  answer.centres = exact.centres;
  answer.covered = exact.covered;
  answer.upper = settledBound(model, exact.bound);
  noteBound(answer.upper);
}

// Solves the linear relaxation and, when it was solved in time, runs
// proveCovering, on a thread of its own beside the full search on the other
// core: it starts from the short search's answer and has its own account of
// effort, so that the search's path stays its own.
// Raises `proven` when it closes the gap, which stops the search; stop()
// ends it early, its bound still holding.
class ProofBeside {
 public:
  ProofBeside(const CoverModel& model, const CoverAnswer& start,
              Relaxation& relaxation, const SolveOptions& options,
              const SearchEffort& effort)
      : answer_(start), effort_(effort) {
    thread_ = std::thread([this, &model, &relaxation, &options] {
      reduceForExactPhase(model, answer_, relaxation,
                          secondsWithin(effort_, std::min(options.exactSeconds,
                                                          kRelaxationSeconds)));
      if (!relaxation.mu.empty())
        proveCovering(model, answer_, relaxation, options, effort_, &stop_);
      if (!gapOpen(model, answer_))
        proven_.store(true);
    });
  }
  ProofBeside(const ProofBeside&) = delete;
  ProofBeside& operator=(const ProofBeside&) = delete;
  ~ProofBeside() { finish(); }

  const std::atomic<bool>& proven() const { return proven_; }
  void stop() { stop_.store(true); }

  // Waits for the proof to end; then its answer and its own effort.
  void finish() {
    if (thread_.joinable())
      thread_.join();
  }
  const CoverAnswer& answer() const { return answer_; }
  const SearchEffort& effort() const { return effort_; }

 private:
  CoverAnswer answer_;
  SearchEffort effort_;
  std::atomic<bool> proven_{false};
  std::atomic<bool> stop_{false};
  std::thread thread_;
};

// A short search; while a gap remains after it, the full search and then
// recombination on one core, and branch and cut from the short search's
// answer on the other. A proof stops the search; its answer is then the
// same whatever the clock allowed the search. When the search ends first,
// with a better answer than the one branch and cut started from, branch
// and cut starts again from the search's answer on both cores: a better
// start prunes far more of the tree than the root it costs again. The
// search's answer, and so the second proof's, does not depend on the clock.
CoverAnswer solveCoveringProblem(const CoverModel& model,
                                 const SolveOptions& options,
                                 SearchEffort& effort) {
  if (model.p >= model.n) {
    markBest(effort, model.totalWeight);
    return {everyVertex(model.n), model.totalWeight, model.totalWeight};
  }
  double tolerance = coverTolerance(model);
  CoverState state;
  CoverAnswer answer = startCovering(model, state, effort);
  auto seed = static_cast<std::uint64_t>(options.seed);
  chargeRoundsFromHere(effort);
  notePhase("busca");
  if (gapOpen(model, answer))
    searchCover(model, state, seed, answer.upper, kShortRestarts, effort);
  answer.centres = state.centres;
  answer.covered = state.covered;
  // Declared before the proof, whose thread reads them until it ends.
  CoverModel exactModel;
  Relaxation relaxation;
  std::unique_ptr<ProofBeside> proof;
  double proofStart = answer.covered;
  if (gapOpen(model, answer) && options.exactSeconds > 0) {
    // The relaxation and branch and cut work on the merged model (vertices
    // that the same candidates cover count as one, with fewer rows); the
    // search keeps the model as read, so that its path does not change
    // with the merge.
    exactModel = model;
    mergeIdenticalDemands(exactModel);
    proof = std::make_unique<ProofBeside>(exactModel, answer, relaxation,
                                          options, effort);
  }
  if (gapOpen(model, answer)) {
    notePhase(proof ? "busca e prova" : "busca");
    if (proof)
      effort.halt = &proof->proven();
    std::int64_t whole = lendSearchBudget(effort);
    searchCover(model, state, seed + 1, answer.upper, kCoverStaleRestarts,
                effort);
    giveBackBudget(effort, whole);
    recombineCover(model, state, seed + 2, answer.upper, kRecombineStale,
                   effort);
    effort.halt = nullptr;
  }
  answer.centres = state.centres;
  answer.covered = model.totalWeight - uncoveredDemand(model, state.centres);
  answer.upper = std::max(answer.upper, answer.covered);
  bool proveAgain = false;
  if (proof) {
    proveAgain = !proof->proven() && !pastDeadline(effort) &&
                 answer.covered > proofStart + tolerance;
    if (proveAgain)
      proof->stop();
    else if (!proof->proven())
      notePhase("prova");
    proof->finish();
    const CoverAnswer& proved = proof->answer();
    if (proofAnswerStands(!gapOpen(model, proved), proved.covered,
                          answer.covered, tolerance)) {
      if (proved.covered > answer.covered + tolerance)
        effort.secondsAtBest = proof->effort().secondsAtBest;
      answer.centres = proved.centres;
      answer.covered = proved.covered;
    }
    answer.upper =
        std::max(answer.covered, std::min(answer.upper, proved.upper));
  }
  if (proveAgain && gapOpen(model, answer)) {
    notePhase("prova");
    // It starts from the answer and finds nothing worse.
    proveCovering(exactModel, answer, relaxation, options, effort, nullptr, 2);
  }
  noteCoverAnswer(answer);
  return answer;
}

SolveOutcome solveCovering(const CoverModel& model, const SolveOptions& options,
                           SearchEffort& effort) {
  CoverAnswer answer = solveCoveringProblem(model, options, effort);
  SolveOutcome outcome;
  outcome.covering = true;
  outcome.totalDemand = model.totalWeight;
  outcome.centres = answer.centres;
  outcome.objective = model.totalWeight - answer.covered;
  outcome.bound =
      std::max(0.0, model.totalWeight - std::max(answer.upper, answer.covered));
  outcome.proven = !gapOpen(model, answer);
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
    markBest(effort, outcome.objective);
    return outcome;
  }
  bool whole = wholeCosts(problem);
  MedianState state;
  setMedianCentres(problem, state, greedyMedian(problem, effort));
  notePhase("inicio");
  improveMedian(problem, state, effort);
  markBest(effort, state.cost);
  double tolerance = whole ? 1 - 1e-6 : medianTolerance(problem, state);
  double cells = static_cast<double>(n) * n;
  int steps = static_cast<int>(std::clamp(kMedianBoundCells / cells,
                                          double{kMedianBoundMinSteps},
                                          double{kMedianBoundMaxSteps}));
  notePhase("limite");
  double lower = medianLowerBound(problem, state.cost, tolerance, steps);
  // Whole costs have a whole optimum: the bound rounds up.
  if (whole)
    lower = std::ceil(lower - 1e-6);
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
        worst =
            std::max(worst, problem.cost[static_cast<std::size_t>(i) * n + j]);
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
  // The whole run's cap counts from the program's start; a run already past
  // it keeps a deadline that has passed (0 would mean none).
  if (options.runSeconds > 0)
    effort.deadline =
        std::max(options.runSeconds - options.secondsBefore, 1e-9);
  CoverModel model;
  bool covering = buildCoverModel(problem, model);
  noteCovering(covering);
  SolveOutcome outcome = covering ? solveCovering(model, options, effort)
                                  : solveMedian(problem, options, effort);
  outcome.secondsFound = effort.secondsAtBest;
  if (outcome.proven)
    outcome.secondsProven = elapsedSeconds(effort);
  outcome.rounds = effort.rounds;
  return outcome;
}

bool proofAnswerStands(bool proven, double proof, double searched,
                       double tolerance) {
  return proven || proof > searched + tolerance;
}
