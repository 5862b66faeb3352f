#pragma once

// The answers for every p of --facilities LIST (or every p tried for
// --target-coverage), from "curva.txt" (common/curve_file.h), each recounted
// here as the report counts coverage: a vertex is served when a centre lies
// within S of it.

#include <cstdint>
#include <string>
#include <vector>

struct CurveAnswer {
  int32_t p = 0;
  int64_t covered = 0;  // the demand the p centres serve, recounted
  double upper = 0;     // the best bound on the coverage known for p
  bool proven = false;  // covered reaches upper
  double seconds = 0;   // the solver's seconds on this p
  std::vector<int32_t> centres;
};

// One entry per p of runOptions.facilityList, or per p tried, in increasing
// order; empty for a single p.
extern std::vector<CurveAnswer> curveAnswers;

// Runs the solver: once as always for a single p; for a list, once with
// "-P LIST", reading back "curva.txt" into curveAnswers, tightened.
void solveForFacilities();

// Runs the solver with "-P LIST" for `list` (increasing) and reads its
// answers back, each checked against the centre sets and recounted, its bound
// its own (as a whole demand, never below the coverage). With `leftAtMost`
// >= 0 each p's solve ends once its answer leaves at most that demand
// uncovered, or its bound shows that none can ("-G").
std::vector<CurveAnswer> solveCurve(const std::vector<int32_t>& list,
                                    int64_t leftAtMost = -1);

// Sorts `curve` by p and tightens it: the bound of a larger p bounds every
// smaller one, each upper is the least of its own and those after it; an
// answer that reaches its bound is proven.
void tightenCurve(std::vector<CurveAnswer>& curve);

// The demand that `centres` serve, counted as the report counts it, after
// checking them against the centre sets.
int64_t servedBy(std::vector<int32_t>& centres);

// The gap between the coverage and its bound, as a percentage of the bound.
double curveGap(const CurveAnswer& answer);
