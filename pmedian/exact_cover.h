#pragma once

#include <atomic>
#include <vector>

#include "pmedian/cover_model.h"

// What the exact phase leaves: the best centres known (the start when the
// phase found none better), their coverage, and the proven upper bound on
// coverage.
struct ExactResult {
  std::vector<int> centres;
  double covered = 0;
  double bound = 0;
  bool proven = false;
};

// The bound of the linear relaxation of the model below and, in
// `multipliers`, its duals of the coverage rows, one a vertex (0 where no
// row); empty when the relaxation was not solved within `seconds` of wall
// time, and the bound is then the whole demand.
double coverLpBound(const CoverModel& model, double seconds,
                    std::vector<double>& multipliers);

// How long and how branch and cut may run: its wall-clock cap; a flag that,
// once raised, stops it at its next node; and the threads it uses (several
// search in a repeatable order).
struct ExactLimits {
  double seconds = 0;
  const std::atomic<bool>* stop = nullptr;
  int threads = 1;
};

// How branch and cut ended: run to its end (not stopped by a cap or a
// flag), its best proven optimal or nothing better than its start found,
// and the best possible coverage it reported.
struct BranchAndCutEnd {
  bool finished = false;
  bool proven = false;
  double bestPossible = 0;
};

// The upper bound on coverage after branch and cut ended as `end`, with
// `covered` the best coverage known then and `known` the bound known before
// it (never above `known`); rounded down for `whole` demands.
double branchAndCutBound(const BranchAndCutEnd& end, bool whole,
                         double tolerance, double covered, double known);

// Solves max sum w_j y_j, y_j <= sum of x_i over the candidates covering j,
// sum x_i <= p, x binary, y in [0, 1] (dominated candidates left out; the
// answer is filled up to p centres with allowed sites; the site rules hold
// through the bounds of x) by branch and cut, starting from
// `start` (coverage `covered`), within `limits`.
// `bound` is an upper bound already known; the result's is never above it.
// Only solutions better than `start` are sought: `fixed` (empty, or one
// entry a candidate as fixByReducedCosts gives) leaves out the candidates
// such a solution cannot open and forces in those it must.
ExactResult solveCoverExactly(const CoverModel& model,
                              const std::vector<int>& start, double covered,
                              double bound, const ExactLimits& limits,
                              const std::vector<int>& fixed = {});
