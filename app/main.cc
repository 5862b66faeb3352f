// mclp: maximal covering location on a network, solved through a p-median
// solver program. Reads the instance, gives every vertex a demand, writes the
// solver's input, runs it, reassigns vertices to the chosen centres and
// prints the coverage; writes the result files the options name.

#include <csignal>

#include "app/options.h"
#include "common/run_guard.h"
#include "common/run_options.h"
#include "common/warning.h"
#include "instance/centre_sets.h"
#include "instance/coordinates.h"
#include "instance/demand.h"
#include "instance/instance_reader.h"
#include "instance/instance_record.h"
#include "report/coverage.h"
#include "report/result_curve.h"
#include "report/result_files.h"
#include "report/summary.h"
#include "solver/curve_reader.h"
#include "solver/solution_reader.h"
#include "solver/solver_files.h"
#include "solver/solver_run.h"
#include "solver/target_search.h"

int main(int argc, char** argv) {
  readCommandLine(argc, argv);
  InputMode mode = static_cast<InputMode>(runOptions.mode);

  guardRun();
  readInstance(runOptions.instanceFile.c_str(), mode);
  loadDemand(mode);
  loadCoordinates();
  loadCentreSets();
  locateSolver();
  writeSolverFiles();
  // Ctrl-C while solving stops the solver at its best answer, which the
  // run then reports; Ctrl-C anywhere else, or a second one, ends it.
  acceptStopRequests(true);
  if (runOptions.targetGiven)
    searchFewestCentres();
  else
    solveForFacilities();
  acceptStopRequests(false);
  if (stopRequested())
    warn(
        "interrompido (Ctrl-C): o relatorio traz a melhor solucao achada ate "
        "ali");
  reassignToCentres();
  evaluateCoverage();
  writeResultFiles();
  writeCurveFiles();
  printCurve();
  printTargetOutcome();
  printReport();
  releaseInstance();
  // A run stopped by Ctrl-C ends as an interrupted one, its report written.
  return stopRequested() ? 128 + SIGINT : 0;
}
