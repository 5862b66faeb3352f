#pragma once

// "pmedcob.dat", the covering problem as cover lists, which the tool writes
// in place of "pmeddata.dat" and "pmedmtrx.dat" with --sparse and names to
// the solver with "-K pmedcob.dat". The header "n  p  e" (e the number of
// list entries in all), then the n demands, one a line, then one line per
// candidate centre i = 0 … n-1: the count k of the vertices other than i
// that lie within S of i, and those k vertices, 0-based and increasing.
// For n = 3, p = 1, S = 10, distances 5 (0-1), 20 (0-2), 12 (1-2) and
// demands 25, 21, 30:
//
//   3  1  2
//   25
//   21
//   30
//   1 1
//   1 0
//   0
//
// A candidate always covers itself. As in "pmeddata.dat", a vertex that
// every candidate covers carries no demand for the solver.

#include <cstdint>

#include "common/token_reader.h"

// Writes the cover lists of n vertices to `path`, under a temporary name
// renamed into place when complete: the vertices that candidate i covers
// besides itself are vertex[start[i] … start[i+1]), increasing; demand has
// n entries >= 0. Every write is checked.
void writeCoverLists(const char* path, int n, int p, const int32_t* demand,
                     const int64_t* start, const int32_t* vertex);
