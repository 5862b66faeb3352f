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
#include <vector>

#include "common/token_reader.h"

// The cover lists as read: candidate i covers, besides itself, the vertices
// vertex[start[i] … start[i+1]), increasing; start has n + 1 entries.
struct CoverLists {
  int n = 0;
  int p = 0;
  std::vector<int32_t> demand;
  std::vector<int64_t> start;
  std::vector<int32_t> vertex;
};

// Writes the cover lists of n vertices to `path`, under a temporary name
// renamed into place when complete: the vertices that candidate i covers
// besides itself are vertex[start[i] … start[i+1]), increasing; demand has
// n entries >= 0. Every write is checked.
void writeCoverLists(const char* path, int n, int p, const int32_t* demand,
                     const int64_t* start, const int32_t* vertex);

// Reads the header, the demands and the lists into `out`; ends the process
// with a message naming the file and the line on a bad header, a negative
// demand, a count or vertex out of range, a list out of order or naming its
// own candidate, a total other than the header's, or values beyond the
// layout. The arrays grow as lines arrive, so a header announcing huge
// counts over a short file fails on the missing values.
void readCoverLists(DataReader& in, CoverLists& out);

// Opens `path` and reads it with readCoverLists.
void loadCoverLists(const char* path, CoverLists& out);
