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

// Fills centro from "solucao.txt" and writes "solucaoR.txt".
void reassignToCentres();

// Reads the marker, the tag and p centres into centro (allocated here); ends
// the process on a missing or bad value or a centre outside 0 … n-1. Returns
// the tag.
int readSolutionFrom(DataReader& in);
