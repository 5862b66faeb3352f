#pragma once

// The answers for every p of --facilities LIST, from "curva.txt"
// (common/curve_file.h), each recounted here as the report counts coverage:
// a vertex is served when a centre lies within S of it.

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

// One entry per p of runOptions.facilityList, in its order; empty for a
// single p.
extern std::vector<CurveAnswer> curveAnswers;

// Names the list to the solver program: "-P 10,20,50". Nothing for a single
// p.
void nameCurveToSolver();

// Reads "curva.txt", checks each answer against the centre sets and recounts
// its coverage. The bound of a larger p bounds every smaller one: each
// upper is the least of its own and those after it. Nothing for a single p.
void readCurveAnswers();

// The gap between the coverage and its bound, as a percentage of the bound.
double curveGap(const CurveAnswer& answer);
