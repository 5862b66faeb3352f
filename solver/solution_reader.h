#pragma once

// Reads the solver's centres and assigns every vertex to its nearest one.
//
// "solucao.txt" (read): leading reals up to the end marker (a real that, in
// single precision truncated toward zero, is 9999999), the solver's tag, then
// the p centres, 0-based:   2431.0 2431.0 0.02 9999999 7 2 0
//
// "solucaoR.txt" (written): the centres ("%5d" each, no line end after the
// last), one line per covered non-centre vertex ("\n%7d%7d%11.2f": centre,
// vertex, distance), "\n9999999", then "\n<tag>\n":
//
//       2    0
//         2      1       9.00
//   9999999
//   7

#include "common/token_reader.h"

// The solver's answer beyond its centres: its tag and, when "solucao.txt"
// leads with exactly three reals, the objective (demand left uncovered), the
// bound it proved for it and its seconds.
struct SolverFigures {
  int tag = 0;
  bool hasFigures = false;
  double objective = 0.0;
  double bound = 0.0;
  double seconds = 0.0;
};

extern SolverFigures solverFigures;

// Fills centro from "solucao.txt", checks it against the centre sets, and
// writes "solucaoR.txt": a line for each vertex that linkToCentres lists.
void reassignToCentres();

// Ends the process when centro leaves out an existing centre or opens a
// vertex that is neither existing nor a candidate: a solver that does not
// know the sets must not have its answer reported. Ids in messages from 1.
void checkCentreSets();

// Reads the leading reals, the marker, the tag and p centres into centro
// (allocated here) and solverFigures; ends the process on a missing or bad
// value or a centre outside 0 … n-1. Returns the tag.
int readSolutionFrom(DataReader& in);
