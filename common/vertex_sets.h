#pragma once

// The two sets of vertices that the tool may hand the solver program beside
// "pmeddata.dat", and that the solver honours in every phase:
// "abertos.txt", the centres that exist already and stay open, and
// "candidatos.txt", the only vertices where a new centre may open (a fixed
// centre stays open wherever it is, listed there or not). Each is a count
// k, then k vertex indices from 0, as in "pmeddata.dat" and "solucao.txt",
// increasing, each once, whitespace-separated; written one a line:
//
//   3
//   0
//   7
//   12
//
// The tool names them to the solver with -F abertos.txt and -C
// candidatos.txt, only for the sets given; without either the solver is
// started with no arguments.

#include <string>
#include <vector>

#include "common/run_files.h"
#include "common/token_reader.h"

// The files' names, kFixedCentresFile and kCandidateSitesFile, are in
// common/run_files.h with the other files of the contract.
inline constexpr const char* kFixedCentresOption = "-F";
inline constexpr const char* kCandidateSitesOption = "-C";

// Both sets as read; `candidates` holds meaning only when `hasCandidates`
// (without it every vertex is a candidate).
struct VertexSets {
  std::vector<int> fixed;
  std::vector<int> candidates;
  bool hasCandidates = false;
};

// Reads one set of vertices of a graph of `n` vertices, in the order
// written; ends the process with a message naming the file on a count that
// is not a whole number in 0..n, an index that is not one or lies outside
// 0..n-1, an index given twice, fewer indices than the count (an early end)
// or more.
std::vector<int> readVertexSet(DataReader& in, int n);

// Opens `path` and reads it with readVertexSet; a file that cannot be
// opened ends the process with a message naming it.
std::vector<int> loadVertexSet(const char* path, int n);

// Writes `vertices` to `path` in the layout above, through a temporary
// file renamed into place; a failed write ends the process.
void writeVertexSet(const char* path, const std::vector<int>& vertices);

// Ends the process with a message when no solution of `p` centres honours
// `sets`: more fixed centres than p, or fewer allowed sites (fixed ones and
// candidates together) than p.
void checkVertexSets(const VertexSets& sets, int p);
