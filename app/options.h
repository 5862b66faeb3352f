#pragma once

// The command line: mclp [OPTION ...] -b|-g|-a FILE [OPTION ...]. A long
// option after the file name counts as if it stood before the mode; any
// other argument there is ignored.
//
//   mclp --seed 7 --json result.json -b pmed1.txt
//   mclp --points --facilities 20 --service-distance 15000 -g cities.csv

// Fills runOptions (and solverArguments for --time-limit) from the command
// line and sets the run's folder. An unknown option, a missing or
// unconvertible value, a missing mode or file, or options that do not go
// together: the usage block and status 1. A table of points without
// --facilities or --service-distance: a message and status 1. --help and
// --version print and end the process with status 0.
void readCommandLine(int argc, char** argv);
