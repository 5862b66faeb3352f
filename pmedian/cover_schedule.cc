#include "pmedian/cover_schedule.h"

#include <algorithm>
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

bool raceSearchAndProof(const CoverPhases& phases, CoverLane& search) {
  SearchEffort proofEffort = *search.effort;
  CoverLane proof = startLane(*search.incumbent, proofEffort, 1);
  double proofStart = proof.covered;
  std::atomic<bool> proven{false};
  std::atomic<bool> stop{false};
  proof.stop = &stop;
  std::thread beside([&phases, &proof, &proven] {
    runPhase(phases.relaxation, proof);
    runPhase(phases.branchAndCut, proof);
    if (!laneGoesOn(proof))
      proven.store(true);
  });
  search.effort->halt = &proven;
  runPhase(phases.fullSearch, search);
  runPhase(phases.recombination, search);
  search.effort->halt = nullptr;
  // A better start prunes far more of the tree than the root it costs
  // again; a proof already over, or a run past its deadline, gains nothing.
  // A goal settled needs nothing more of either lane.
  bool settled = search.incumbent->goalSettled();
  bool again = !settled && !proven.load() && !pastDeadline(*search.effort) &&
               search.covered > proofStart + search.incumbent->tolerance();
  if (again || settled)
    stop.store(true);
  beside.join();
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
    runPhase(phases.fullSearch, main);
    runPhase(phases.recombination, main);
  }
  if (!again || !incumbent.gapOpen() || incumbent.goalSettled())
    return;
  CoverLane last = startLane(incumbent, effort, 0);
  runPhase(phases.secondProof, last);
}
