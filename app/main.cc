// mclp: maximal covering location on a network, solved through a p-median
// solver program. Reads the instance, gives every vertex a demand, writes the
// solver's input, runs it, reassigns vertices to the chosen centres and
// prints the coverage; writes the result files the options name.

#include "app/options.h"
#include "common/run_guard.h"
#include "common/run_options.h"
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
  if (runOptions.targetGiven)
    searchFewestCentres();
  else
    solveForFacilities();
  reassignToCentres();
  evaluateCoverage();
  writeResultFiles();
  writeCurveFiles();
  printCurve();
  printTargetOutcome();
  printReport();
  releaseInstance();
  return 0;
}
