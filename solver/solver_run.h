#pragma once

#include <string>
#include <vector>

// The solver program, run by this bare name through the command interpreter
// in the working directory. It reads "pmeddata.dat" (and "pmedmtrx.dat") and
// leaves "solucao.txt":
//
//   <any number of reals> 9999999 <tag> <p centres, 0-based>
constexpr const char* kSolverCommand = "Corvadel.exe";

// Arguments passed to the solver program after its name; empty unless an option
// sets them.
extern std::vector<std::string> solverArguments;

// The command line the solver is run with: its name, then solverArguments,
// each quoted for the command interpreter.
std::string solverCommandLine();

// Removes any earlier "solucao.txt", makes the solver findable, runs it and
// waits for it. Its exit status is not examined: a solver that failed shows
// up when "solucao.txt" is opened.
void runSolver();

// The folder of the running executable, so that a program built beside the
// tool is found; empty when it cannot be told.
std::string programDirectory();

// The search path the solver command is run with: the absolute directories
// of `path` in their order, then `programDir`. Empty and relative entries are
// dropped, because they would search the working directory, and running
// whatever executable lies in a data folder is unsafe.
std::string solverSearchPath(const char* path, const std::string& programDir);
