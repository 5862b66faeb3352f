#pragma once

// "solucao.txt", the solver program's answer, as the solver writes it and the
// tool reads it: leading reals (the solver's figures: the objective, the
// lower bound proven and the seconds used), the end marker, a tag (the seed
// of the search), then the p centres, 0-based (written in increasing
// order):
//
//   2431.00000 2431.00000 0.12
//   9999999
//   1
//   4 17 33
//
// The reader takes any number of leading reals, as a solver of another make
// may write; the tool uses them only when there are exactly three.

#include <vector>

#include "common/token_reader.h"

// The answer of one run of the solver program.
struct SolverAnswer {
  double objective = 0;
  double bound = 0;
  double seconds = 0;
  int seed = 0;
  std::vector<int> centres;
};

// Writes `answer` to "<path>.tmp" and renames it to `path`, so that a run
// that dies midway never leaves a partial solution under the real name.
void writeSolution(const char* path, const SolverAnswer& answer);

// Removes `path` and its temporary twin, left by an earlier run.
void removeSolution(const char* path);

// An answer as read: the leading reals (in double precision, NaN beyond
// its range), the tag and the centres in the order written.
struct SolutionRead {
  std::vector<double> leading;
  int tag = 0;
  std::vector<int> centres;
};

// Reads the leading reals up to the end marker (a real that, in single
// precision truncated toward zero, is 9999999), the tag and `p` centres of
// a graph of `n` vertices; a missing or bad value, or a centre outside
// 0 … n-1, ends the process with a message naming the file and the line.
// Anything after the p-th centre is not read.
void readSolution(DataReader& in, int p, int n, SolutionRead& out);
