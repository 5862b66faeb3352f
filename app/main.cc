// mclp: maximal covering location on a network, solved through a p-median
// solver program. Reads the instance, gives every vertex a demand, writes the
// solver's input, runs it, reassigns vertices to the chosen centres and
// prints the coverage.

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include "common/run_guard.h"
#include "instance/demand.h"
#include "instance/instance_reader.h"
#include "instance/instance_record.h"
#include "report/coverage.h"
#include "report/summary.h"
#include "solver/solution_reader.h"
#include "solver/solver_files.h"
#include "solver/solver_run.h"

namespace {

[[noreturn]] void usage() {
  std::fputs("\n*** Usage:", stdout);
  std::fputs("\n***>-b [file]     Run for Beasley's data files [file]\n",
             stdout);
  std::fputs("\n***>-g [file]     Run for Galvao's data files [file]\n",
             stdout);
  std::fputs("\n***>-a [file]     Run for ArcView data files [file]\n", stdout);
  std::exit(1);
}

}  // namespace

int main(int argc, char** argv) {
  // Without a known option and a file name there is nothing to run.
  if (argc < 3)
    usage();
  InputMode mode;
  if (std::strcmp(argv[1], "-b") == 0)
    mode = InputMode::B;
  else if (std::strcmp(argv[1], "-g") == 0)
    mode = InputMode::G;
  else if (std::strcmp(argv[1], "-a") == 0)
    mode = InputMode::A;
  else
    usage();
  std::string fileName = argv[2];

  guardRun();
  readInstance(fileName.c_str(), mode);
  loadDemand(mode);
  locateSolver();
  writeSolverFiles();
  runSolver();
  reassignToCentres();
  evaluateCoverage();
  printReport();
  releaseInstance();
  return 0;
}
