#pragma once

// Writes the solver's answer for the tool to read.
//
// "solucao.txt": the objective, the lower bound proven and the seconds used,
// the end marker, the seed of the search, then the p centres, 0-based and in
// increasing order:
//
//   2431.00000 2431.00000 0.12
//   9999999
//   1
//   4 17 33

#include <vector>

// The answer of one run.
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
