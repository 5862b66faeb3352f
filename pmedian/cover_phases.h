#pragma once

#include <cstdint>
#include <vector>

#include "pmedian/cover_model.h"
#include "pmedian/cover_schedule.h"
#include "pmedian/cover_search.h"
#include "pmedian/pmed_solve.h"

// What the phases of one covering solve share besides the incumbent: the
// search lane's solution, carried from search to search, and what the
// relaxation learns once for both proofs.
struct CoverWorkshop {
  CoverWorkshop(const CoverModel& searched, const SolveOptions& run)
      : model(searched), options(run) {}

  const CoverModel& model;  // as read: the searches' path keeps to it
  const SolveOptions& options;
  CoverState state;  // the search lane's solution
  // An answer for fewer centres (the last p of a list), which the start
  // grows to p when that covers more than the greedy start; empty: none.
  std::vector<int> previous;
  // The relaxation and branch and cut work on a copy with the vertices
  // that the same candidates cover merged into one (fewer rows).
  CoverModel exactModel;
  bool exactReady = false;
  double relaxationTried = 0;  // the longest time it was given and ran out
  std::vector<double> mu;      // its multipliers; empty until solved
  // Where the full search started, and the work charged and spared then.
  std::vector<int> searchStart;
  std::int64_t searchWork = 0;
  std::int64_t searchSpared = 0;
};

// The phases of the covering solve, working on `shop`, which must outlive
// them.
CoverPhases coverPhases(CoverWorkshop& shop);
