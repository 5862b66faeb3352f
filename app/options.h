#pragma once

// The command line: mclp [OPTION ...] -b|-g|-a FILE. The long options stand
// before the mode; anything after the file name is ignored.
//
//   mclp --seed 7 --json result.json -b pmed1.txt

// Fills runOptions (and solverArguments for --time-limit) from the command
// line. An unknown option, a missing or unconvertible value, a missing mode
// or file: the usage block and status 1. --help and --version print and end
// the process with status 0.
void readCommandLine(int argc, char** argv);
