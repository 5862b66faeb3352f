#pragma once

#include <atomic>
#include <functional>
#include <vector>

#include "pmedian/cover_incumbent.h"
#include "pmedian/search_effort.h"

// The covering solve as a schedule of phases around one incumbent. Phases
// run in lanes: a lane is a line of phases on one thread, each going on
// from where the one before left the lane. A lane starts from what the
// incumbent holds and hands every answer and bound it finds to the
// incumbent at once, but never takes up another lane's answers on the way,
// so that what it does does not hang on when they arrive.
struct CoverLane {
  CoverIncumbent* incumbent = nullptr;
  SearchEffort* effort = nullptr;  // the lane's own account of work
  int slot = 0;                    // its place on the progress line
  std::vector<int> centres;        // where the lane stands
  double covered = 0;
  double upper = 0;  // the least bound the lane knows
  // Raised to end the lane's phase early; nullptr when nothing stops it.
  const std::atomic<bool>* stop = nullptr;
  const char* phase = "";  // the phase running
};

// One phase: its name on the progress line and its call, which reads the
// lane and hands what it finds to laneFound and laneBound.
struct CoverPhase {
  const char* name = "";
  std::function<void(CoverLane&)> run;
  // The phase runs until the run's cap by design (the searches and the
  // proofs); the others end on their own, unless the cap cuts them short.
  bool untilCap = false;
};

// Every phase of the covering solve. The greedy start, the Lagrangean bound
// and the short search run first; while a gap remains the full search and
// recombination race, on one core, the relaxation and branch and cut on the
// other; the second proof may follow.
struct CoverPhases {
  CoverPhase start, bound, shortSearch, fullSearch, recombination, searchAgain,
      relaxation, branchAndCut, secondProof;
  // True when the second search would run from where `lane` stands; unset:
  // never.
  std::function<bool(const CoverLane&)> searchAgainWanted;
  bool prove = true;  // false: no relaxation, branch and cut or proof
};

// A lane on `slot` starting from what `incumbent` holds, with `effort`.
CoverLane startLane(CoverIncumbent& incumbent, SearchEffort& effort, int slot);

// The running phase of `lane` found `centres` covering `covered`: the lane
// moves there, and the incumbent is offered it under `claim`, at the time
// of the lane's effort's last best.
void laneFound(CoverLane& lane, const std::vector<int>& centres, double covered,
               Claim claim);

// The running phase of `lane` proved the bound `upper`.
void laneBound(CoverLane& lane, double upper);

// True while the lane's work may still pay: its own answer and bound leave
// room for a better one, and the incumbent has not settled its goal.
bool laneGoesOn(const CoverLane& lane);

// The coverage at which the lane's search may stop: its bound, or the
// incumbent's goal when that is lower.
double laneTarget(const CoverLane& lane);

// True while the lane's own answer and bound leave room for a better one.
bool laneGapOpen(const CoverLane& lane);

// Runs `phase` in `lane`: names it on the progress line, and routes the
// best solutions its searches mark to the incumbent.
void runPhase(const CoverPhase& phase, CoverLane& lane);

// The search phases in `lane`: the full search, the recombination, and the
// second pass that takes up the work they spared.
void runSearchPhases(const CoverPhases& phases, CoverLane& lane);

// Runs the schedule on `incumbent`, the main lane with `effort`.
void runCoverSchedule(const CoverPhases& phases, CoverIncumbent& incumbent,
                      SearchEffort& effort);

// The proof race, from the lane `search` stands in: the search phases
// there, the relaxation and branch and cut in a lane of their own on a
// second thread, from the same answer. A proof stops the search. When the
// second search will run and the first two search phases found an answer
// better than the proof's start, the proof starts again from it beside the
// second search. True when the second proof should follow: the search
// ended first, before the run's deadline, with an answer better than the
// proof's start.
bool raceSearchAndProof(const CoverPhases& phases, CoverLane& search);
