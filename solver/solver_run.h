#pragma once

#include <string>
#include <vector>

// The solver program, looked up by this name on the search path below and
// run in the working directory. It reads "pmeddata.dat" (and
// "pmedmtrx.dat") and leaves "solucao.txt":
//
//   <any number of reals> 9999999 <tag> <p centres, 0-based>
constexpr const char* kSolverCommand = "Corvadel.exe";

// Arguments passed to the solver program after its name; empty unless an option
// sets them.
extern std::vector<std::string> solverArguments;

// Finds the solver program on the search path before anything is written
// for it; ends the process with a message when there is none.
void locateSolver();

// Removes any earlier "solucao.txt", runs the solver found by locateSolver
// (looking it up first if need be) with solverArguments, and waits for it.
// A solver that exits non-zero or ends on a signal ends the process with a
// message, leaving no "solucao.txt". Interrupted meanwhile, the tool passes
// the signal on to the solver, kills it if it has not ended within a grace
// time, and removes the solution it may have left.
// While stop requests are accepted, a first Ctrl-C instead asks the solver to
// stop at its best answer, and runSolver returns with it; a stop asked for
// before the solver has an answer ends the process with status 130 and no
// report.
void runSolver();

// From acceptStopRequests(true) until acceptStopRequests(false), a first
// Ctrl-C does not end the run: the running solver, if any, is asked to stop
// at its best answer, and stopRequested() (common/run_guard.h) is true from
// then on, so that no further solver run is started.
void acceptStopRequests(bool accept);

// The first executable regular file named kSolverCommand in the directories
// of `searchPath` (colon-separated), in their order; empty when none is.
std::string findSolver(const std::string& searchPath);

// The folder of the running executable, so that a program built beside the
// tool is found; empty when it cannot be told.
std::string programDirectory();

// The search path the solver is looked up on: the absolute directories of
// `path` in their order, then `programDir`. Empty and relative entries are
// dropped, because they would search the working directory, and running
// whatever executable lies in a data folder is unsafe.
std::string solverSearchPath(const char* path, const std::string& programDir);
