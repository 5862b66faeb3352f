#pragma once

#include <cstdint>
#include <vector>

#include "common/cover_file.h"
#include "common/pmed_file.h"

// How a run may spend its effort; the defaults are those of a run with no
// options.
struct SolveOptions {
  double runSeconds = 28;    // wall-clock cap of the whole run; 0 for none
  double secondsBefore = 0;  // seconds of the run spent before solving
  double exactSeconds = 30;  // cap of the branch-and-cut phase; 0 skips it
  double searchSeconds = 0;  // optional cap of the perturbation rounds
  std::int64_t budget = 3000000000;  // work units of the perturbation rounds
  int seed = 1;                      // seed of the perturbation rounds
  // Covering problems: the solve ends once an answer leaves at most this
  // demand uncovered, or the bound shows that none can; < 0 for none.
  double goal = -1;
};

// The answer and how it was reached.
struct SolveOutcome {
  std::vector<int> centres;
  double objective = 0;       // p-median cost of centres
  double bound = 0;           // proven lower bound on the p-median cost
  double totalDemand = 0;     // covering: the demand of every vertex
  bool covering = false;      // solved as a covering problem
  bool proven = false;        // objective shown optimal
  double secondsFound = 0;    // when the final solution was found
  double secondsProven = -1;  // when it was proven optimal; -1 if never
  std::int64_t rounds = 0;    // perturbation rounds run
};

// Solves `problem` within its site rules: a covering problem by the
// schedule of phases in cover_schedule.h; any other by greedy start, swap
// search, bound and perturbation rounds while a gap remains. Every phase
// ends by the whole run's cap.
SolveOutcome solvePmed(const PmedProblem& problem, const SolveOptions& options);

// Solves the covering problem of `lists` ("pmedcob.dat") within the site
// rules `site` (empty: all free), as solvePmed solves the same problem
// written as "pmeddata.dat": the same model, the same phases. The lists are
// released once the model is built.
SolveOutcome solveCoverLists(CoverLists& lists, const std::vector<int>& site,
                             const SolveOptions& options);

// The answer for one p of a list.
struct CurveOutcome {
  int p = 0;
  SolveOutcome outcome;
  double secondsBefore = 0;  // spent before its solve began: for the first
                             // p the reading and the model's building
  double seconds = 0;        // spent on it, secondsBefore included
};

// Solves `problem` for each p of `list` in place of its own p (which it is
// left holding): increasing, each within 0 … n, the site rules checked
// against every one. The model is built once; each p has its own cap
// options.runSeconds, the first counting options.secondsBefore and the
// building against it. The answer for one p, grown to the next by the sites
// that add most, starts the next when better than its greedy start, so
// that more centres never do worse. Then each bound is raised to the best
// bound of any larger p (fewer centres never do better), capped at its
// objective, and an answer within the tolerance of its bound is proven.
std::vector<CurveOutcome> solvePmedCurve(PmedProblem& problem,
                                         const std::vector<int>& list,
                                         const SolveOptions& options);

// The same for the covering problem of `lists` within the site rules
// `site`; the lists are released once the model is built.
std::vector<CurveOutcome> solveCoverListsCurve(CoverLists& lists,
                                               const std::vector<int>& site,
                                               const std::vector<int>& list,
                                               const SolveOptions& options);
