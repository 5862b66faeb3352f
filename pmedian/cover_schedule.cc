#include "pmedian/cover_schedule.h"

#include <algorithm>
#include <memory>
#include <thread>

#include "pmedian/progress.h"
#include "pmedian/tolerances.h"

CoverLane startLane(CoverIncumbent& incumbent, SearchEffort& effort, int slot) {
  IncumbentView now = incumbent.view();
  CoverLane lane;
  lane.incumbent = &incumbent;
  lane.effort = &effort;
  lane.slot = slot;
  lane.centres = now.centres;
  lane.covered = now.covered;
  lane.upper = now.upper;
  return lane;
}

void laneFound(CoverLane& lane, const std::vector<int>& centres, double covered,
               Claim claim) {
  lane.centres = centres;
  lane.covered = covered;
  lane.upper = std::max(lane.upper, covered);
  lane.incumbent->offer(centres, covered, claim, lane.phase,
                        lane.effort->secondsAtBest);
}

void laneBound(CoverLane& lane, double upper) {
  lane.upper = std::max(
      lane.covered,
      std::min(lane.upper, settleUpperBound(lane.incumbent->whole(), upper)));
  lane.incumbent->offerBound(upper, lane.phase);
}

bool laneGapOpen(const CoverLane& lane) {
  return lane.incumbent->gapBetween(lane.covered, lane.upper);
}

bool laneGoesOn(const CoverLane& lane) {
  return laneGapOpen(lane) && !lane.incumbent->goalSettled();
}

double laneTarget(const CoverLane& lane) {
  return std::min(lane.upper, lane.incumbent->goal());
}

void runPhase(const CoverPhase& phase, CoverLane& lane) {
  lane.phase = phase.name;
  notePhase(lane.slot, phase.name);
  lane.effort->found = [&lane](const std::vector<int>& centres,
                               double covered) {
    laneFound(lane, centres, covered, Claim::kBetter);
  };
  phase.run(lane);
  if (!phase.untilCap && pastDeadline(*lane.effort))
    notePhaseShortened(phase.name);
  lane.effort->found = nullptr;
  notePhase(lane.slot, nullptr);
}

void runSearchPhases(const CoverPhases& phases, CoverLane& lane) {
  runPhase(phases.fullSearch, lane);
  runPhase(phases.recombination, lane);
  runPhase(phases.searchAgain, lane);
}

namespace {

// The proof's lane on a thread of its own: the relaxation and branch and
// cut on one thread, from what the incumbent holds when it starts. Only
// branch and cut stops at once when asked; the relaxation runs to its end.
struct ProofBeside {
  ProofBeside(const CoverPhases& phases, const CoverLane& search)
      : effort(*search.effort),
        lane(startLane(*search.incumbent, effort, 1)),
        start(lane.covered) {
    lane.stop = &stop;
    thread = std::thread([this, &phases] {
      runPhase(phases.relaxation, lane);
      cutting.store(true);
      runPhase(phases.branchAndCut, lane);
      if (!laneGoesOn(lane))
        proven.store(true);
    });
  }
  ~ProofBeside() { end(false); }

  // Stops the proof at its next node when `now`, and waits for its end.
  void end(bool now) {
    if (now)
      stop.store(true);
    if (thread.joinable())
      thread.join();
  }

  SearchEffort effort;
  CoverLane lane;
  double start;  // the coverage it started from
  std::atomic<bool> proven{false};
  std::atomic<bool> stop{false};
  std::atomic<bool> cutting{false};  // past the relaxation
  std::thread thread;
};

}  // namespace

bool raceSearchAndProof(const CoverPhases& phases, CoverLane& search) {
  auto proof = std::make_unique<ProofBeside>(phases, search);
  search.effort->halt = &proof->proven;
  // A better start prunes far more of the tree than the root it costs
  // again; a proof already over, or a run past its deadline, gains nothing.
  auto restartPays = [&] {
    return !search.incumbent->goalSettled() && !proof->proven.load() &&
           !pastDeadline(*search.effort) &&
           search.covered > proof->start + search.incumbent->tolerance();
  };
  runPhase(phases.fullSearch, search);
  runPhase(phases.recombination, search);
  if (phases.searchAgainWanted && phases.searchAgainWanted(search)) {
    // The proof restarts from the better answer at once, rather than
    // after the second search, which may take most of the cap; but not
    // while its relaxation runs, which the search would wait for.
    if (proof->cutting.load() && restartPays()) {
      proof->end(true);
      proof = std::make_unique<ProofBeside>(phases, search);
      search.effort->halt = &proof->proven;
    }
    runPhase(phases.searchAgain, search);
  }
  search.effort->halt = nullptr;
  // A goal settled needs nothing more of either lane.
  bool settled = search.incumbent->goalSettled();
  bool again = restartPays();
  proof->end(again || settled);
  return again;
}

void runCoverSchedule(const CoverPhases& phases, CoverIncumbent& incumbent,
                      SearchEffort& effort) {
  CoverLane main = startLane(incumbent, effort, 0);
  runPhase(phases.start, main);
  runPhase(phases.bound, main);
  if (laneGoesOn(main))
    runPhase(phases.shortSearch, main);
  if (!laneGoesOn(main))
    return;
  bool again = false;
  if (phases.prove) {
    again = raceSearchAndProof(phases, main);
  } else {
    runSearchPhases(phases, main);
  }
  if (!again || !incumbent.gapOpen() || incumbent.goalSettled())
    return;
  CoverLane last = startLane(incumbent, effort, 0);
  runPhase(phases.secondProof, last);
}
