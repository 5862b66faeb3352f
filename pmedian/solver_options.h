#pragma once

#include <vector>

#include "pmedian/pmed_solve.h"

// The command line of the solver program. The tool runs it with none, so
// every option has a default that suits it:
//   -L SECONDS  wall-clock cap of the whole run, reading included (default
//               28, 0 for none); at the cap the best answer and bound known
//               are written
//   -t SECONDS  cap of the branch-and-cut phase (default 30, 0 skips it)
//   -T SECONDS  cap of the perturbation rounds (default none)
//   -b MILLIONS work budget of the perturbation rounds (default 3000)
//   -s SEED     seed of the perturbation rounds (default 1)
//   -F FILE     the centres that exist and stay open ("abertos.txt")
//   -C FILE     the only sites where a new centre may open
//               ("candidatos.txt"); see common/vertex_sets.h
//   -K FILE     read the covering problem as cover lists from FILE
//               ("pmedcob.dat", common/cover_file.h) in place of
//               "pmeddata.dat"
//   -P LIST     solve for each p of LIST ("10,20,50", increasing) in place
//               of the file's p, each within its own -L cap, reading and
//               building the problem once; leaves "curva.txt" with every
//               answer (common/curve_file.h) and "solucao.txt" with the
//               last, and a summary line for each p, "p N " after
//               "Corvadel: "
//   -G OBJECTIVE  covering problems: end once an answer leaves at most
//               OBJECTIVE uncovered (a real >= 0), or the bound shows that
//               none can; the answer need not then be optimal
//   -q          no summary line on the console
//   -v          the summary line adds read time, time of the final solution,
//               time of the proof, rounds run and the model solved
struct SolverOptions {
  SolveOptions solve;
  const char* fixedPath = nullptr;       // -F; nullptr when not given
  const char* candidatesPath = nullptr;  // -C
  const char* coverPath = nullptr;       // -K
  std::vector<int> curve;                // -P; empty when not given
  bool quiet = false;
  bool verbose = false;
};

// Reads the options; ends the process with a message on an unknown option
// or a missing or bad value.
SolverOptions parseSolverOptions(int argc, char** argv);
