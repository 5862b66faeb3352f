#pragma once

#include <cstdint>
#include <string>

// What the long options before the mode ask of a run. The defaults leave the
// run exactly as without options: demands from the clock or "demanda.txt",
// no solver arguments, no result files.
struct RunOptions {
  bool seedGiven = false;    // --seed N
  uint32_t seed = 0;         // the N of --seed
  std::string demandFile;    // --demand FILE; empty: the mode decides
  std::string timeLimit;     // --time-limit SECONDS, as given; empty: no cap
  std::string jsonFile;      // --json FILE
  std::string csvFile;       // --csv FILE
  std::string svgFile;       // --svg FILE
  std::string coordsFile;    // --coords FILE
  std::string instanceFile;  // the file after the mode
  char mode = 0;             // 'B', 'G' or 'A', from -b, -g or -a
};

// The process-wide options, set once from the command line.
extern RunOptions runOptions;
