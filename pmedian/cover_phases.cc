#include "pmedian/cover_phases.h"

#include <algorithm>
#include <utility>

#include "pmedian/cover_reduction.h"
#include "pmedian/exact_cover.h"
#include "pmedian/lagrange_bound.h"
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
// The first relaxation gets at most this long; on models where it takes
// longer, branch and cut would not get past its root within the cap.
constexpr double kRelaxationSeconds = 10;
// The volume algorithm in the proof's lane walks the cover lists about
// this many times over in all, within these step counts.
constexpr double kVolumeEntries = 2e9;
constexpr int kLeastVolumeSteps = 600;
constexpr int kMostVolumeSteps = 3000;
// The simplex cannot stop before it has loaded the model and factorised a
// first basis, which takes about this long per list entry (100,000 points
// and 54 million entries: 9 s to load, 23 s more to its first check of
// the clock). With less time left it would outlast the run's cap.
constexpr double kSimplexSecondsPerEntry = 1e-6;

// A search phase's answer: the search lane's solution, its coverage
// recounted from the lists, free of the rounding its updates gathered.
void searchFound(CoverWorkshop& shop, CoverLane& lane) {
  const CoverModel& model = shop.model;
  double covered =
      model.totalWeight - uncoveredDemand(model, shop.state.centres);
  laneFound(lane, shop.state.centres, covered, Claim::kAnswer);
}

// Greedy start and first descent. On a problem so large that the descent
// would take the whole cap (100,000 points), it stops at half the time
// left, so that the bound gets the other half: an answer without a bound
// has no honest gap. An answer for fewer centres, grown to p, starts the
// descent instead when it covers more, so that more centres never cover
// less.
void startPhase(CoverWorkshop& shop, CoverLane& lane) {
  SearchEffort& effort = *lane.effort;
  greedyCover(shop.model, shop.state, effort);
  if (!shop.previous.empty()) {
    CoverState grown;
    growCover(shop.model, grown, shop.previous, effort);
    if (grown.covered > shop.state.covered)
      shop.state = std::move(grown);
  }
  double deadline = effort.deadline;
  if (deadline > 0)
    effort.deadline = std::max(
        1e-9, (deadline + std::min(elapsedSeconds(effort), deadline)) / 2);
  improveCover(shop.model, shop.state, effort);
  bool cut = pastDeadline(effort);
  effort.deadline = deadline;
  if (cut && !pastDeadline(effort))
    notePhaseShortened(lane.phase);
  markBest(*lane.effort, shop.state.centres, shop.state.covered);
  searchFound(shop, lane);
}

void boundPhase(CoverWorkshop& shop, CoverLane& lane) {
  laneBound(lane, coverUpperBound(shop.model, lane.covered, kCoverBoundSteps,
                                  nullptr, lane.effort));
}

// The search lane goes on from its own solution.
void searchPhase(CoverWorkshop& shop, CoverLane& lane, std::uint64_t seed,
                 int staleRestarts) {
  restoreCover(shop.model, shop.state, lane.centres);
  searchCover(shop.model, shop.state, seed, laneTarget(lane), staleRestarts,
              *lane.effort);
  searchFound(shop, lane);
}

void shortSearchPhase(CoverWorkshop& shop, CoverLane& lane) {
  // The budget of the rounds is not charged for the start.
  chargeRoundsFromHere(*lane.effort);
  searchPhase(shop, lane, static_cast<std::uint64_t>(shop.options.seed),
              kShortRestarts);
}

void fullSearch(CoverWorkshop& shop, CoverLane& lane) {
  std::int64_t whole = lendSearchBudget(*lane.effort);
  searchPhase(shop, lane, static_cast<std::uint64_t>(shop.options.seed) + 1,
              kCoverStaleRestarts);
  giveBackBudget(*lane.effort, whole);
}

void recombination(CoverWorkshop& shop, CoverLane& lane) {
  restoreCover(shop.model, shop.state, lane.centres);
  recombineCover(shop.model, shop.state,
                 static_cast<std::uint64_t>(shop.options.seed) + 2,
                 laneTarget(lane), kRecombineStale, *lane.effort);
  searchFound(shop, lane);
}

void fullSearchPhase(CoverWorkshop& shop, CoverLane& lane) {
  shop.searchStart = lane.centres;
  shop.searchWork = lane.effort->work;
  shop.searchSpared = lane.effort->spared;
  fullSearch(shop, lane);
}

void recombinationPhase(CoverWorkshop& shop, CoverLane& lane) {
  recombination(shop, lane);
}

// Charged each candidate's whole list, the swap searches of large problems
// read far less (kept lists, candidates passed over), and the search and
// the recombination end with most of their budget's work never done.
// Where at least half of it was spared, both run once more from where the
// search started, with the same seeds, charged only what they read; the
// better of the two answers stands. Both passes count work, not time, so
// the answer is still that of the input alone, and never below the first.
// A budget spent before the full search began leaves nothing to take up.
bool searchAgainWanted(const CoverWorkshop& shop, const CoverLane& lane) {
  const SearchEffort& effort = *lane.effort;
  std::int64_t budget = effort.budget - shop.searchWork;
  return budget > 0 && effort.spared - shop.searchSpared >= budget / 2 &&
         laneGoesOn(lane);
}

void searchAgainPhase(CoverWorkshop& shop, CoverLane& lane) {
  if (!searchAgainWanted(shop, lane))
    return;
  SearchEffort& effort = *lane.effort;
  std::vector<int> first = lane.centres;
  double firstCovered = lane.covered;
  std::int64_t work = effort.work;
  effort.work = shop.searchWork;
  effort.chargeDone = true;
  lane.centres = shop.searchStart;
  fullSearch(shop, lane);
  recombination(shop, lane);
  effort.chargeDone = false;
  effort.work = std::max(work, effort.work);
  if (lane.covered < firstCovered) {
    lane.centres = std::move(first);
    lane.covered = firstCovered;
    restoreCover(shop.model, shop.state, lane.centres);
  }
}

// Steps of the volume algorithm in the proof's lane: as many as about
// kVolumeEntries list entries allow, within a floor and a ceiling.
int volumeSteps(const CoverModel& model) {
  double entries = std::max<double>(1.0, model.coverList.size());
  return static_cast<int>(std::clamp(kVolumeEntries / entries,
                                     double{kLeastVolumeSteps},
                                     double{kMostVolumeSteps}));
}

// Solves the linear relaxation once, within `seconds`, which may lower the
// bound. One not solved in time leaves `shop.mu` empty, and is tried again
// only with at least twice the time: branch and cut would not get past its
// root.
void relax(CoverWorkshop& shop, CoverLane& lane, double seconds) {
  // Past the cap nothing here could be finished, and the copy of a large
  // model alone takes seconds.
  if (pastDeadline(*lane.effort))
    return;
  if (!shop.exactReady) {
    shop.exactModel = shop.model;
    mergeIdenticalDemands(shop.exactModel);
    shop.exactReady = true;
    // The volume algorithm comes within a few hundredths of a percent of
    // the relaxation's value in seconds, where the simplex may take
    // minutes (5,000 random points: 22 to 43 s).
    laneBound(lane, coverUpperBound(shop.exactModel, lane.covered,
                                    volumeSteps(shop.exactModel), nullptr,
                                    lane.effort));
  }
  seconds = secondsWithin(*lane.effort, seconds);
  if (!shop.mu.empty() || seconds <= 2 * shop.relaxationTried)
    return;
  double entries = static_cast<double>(shop.exactModel.coverList.size());
  if (seconds < kSimplexSecondsPerEntry * entries) {
    shop.relaxationTried = seconds;
    if (!pastDeadline(*lane.effort))
      notePhaseShortened(lane.phase);
    return;
  }
  double bound = coverLpBound(shop.exactModel, seconds, shop.mu);
  if (shop.mu.empty())
    shop.relaxationTried = seconds;
  laneBound(lane, bound);
}

void relaxationPhase(CoverWorkshop& shop, CoverLane& lane) {
  relax(shop, lane, std::min(shop.options.exactSeconds, kRelaxationSeconds));
}

// Branch and cut from the lane's answer on `threads` threads, until proven,
// the phase's or the run's cap, or the lane's stop; only once the
// relaxation was solved.
void cut(CoverWorkshop& shop, CoverLane& lane, int threads) {
  if (shop.mu.empty())
    return;
  // The relaxation alone may have closed the gap: the lane's answer is
  // then proven optimal.
  if (!laneGapOpen(lane)) {
    laneFound(lane, lane.centres, lane.covered, Claim::kOptimal);
    return;
  }
  if (!laneGoesOn(lane))
    return;
  const CoverModel& model = shop.exactModel;
  std::vector<int> fixed =
      fixByReducedCosts(model, shop.mu, lane.covered,
                        leastGain(model.integral, model.totalWeight));
  double seconds = secondsWithin(*lane.effort, shop.options.exactSeconds);
  if (seconds <= 0 || (lane.stop && lane.stop->load()))
    return;
  ExactResult exact =
      solveCoverExactly(model, lane.centres, lane.covered, lane.upper,
                        {seconds, lane.stop, threads}, fixed);
  if (exact.covered > lane.covered + coverTolerance(model))
    lane.effort->secondsAtBest = elapsedSeconds(*lane.effort);
  laneBound(lane, exact.bound);
  laneFound(lane, exact.centres, exact.covered,
            exact.proven ? Claim::kOptimal : Claim::kBetter);
}

void branchAndCutPhase(CoverWorkshop& shop, CoverLane& lane) {
  cut(shop, lane, 1);
}

void secondProofPhase(CoverWorkshop& shop, CoverLane& lane) {
  relax(shop, lane, shop.options.exactSeconds);
  cut(shop, lane, 2);
}

}  // namespace

CoverPhases coverPhases(CoverWorkshop& shop) {
  auto in = [&shop](void (*phase)(CoverWorkshop&, CoverLane&)) {
    return [&shop, phase](CoverLane& lane) { phase(shop, lane); };
  };
  CoverPhases phases;
  phases.start = {"inicio", in(startPhase)};
  phases.bound = {"limite", in(boundPhase)};
  phases.shortSearch = {"busca curta", in(shortSearchPhase)};
  phases.fullSearch = {"busca", in(fullSearchPhase), true};
  phases.recombination = {"recombinacao", in(recombinationPhase), true};
  phases.searchAgain = {"segunda busca", in(searchAgainPhase), true};
  phases.searchAgainWanted = [&shop](const CoverLane& lane) {
    return searchAgainWanted(shop, lane);
  };
  phases.relaxation = {"relaxacao", in(relaxationPhase)};
  phases.branchAndCut = {"prova", in(branchAndCutPhase), true};
  phases.secondProof = {"segunda prova", in(secondProofPhase), true};
  phases.prove = shop.options.exactSeconds > 0;
  return phases;
}
