#pragma once

#include <cstdint>
#include <string>
#include <vector>

// What the long options ask of a run. The defaults leave the run exactly as
// without options: demands from the clock or "demanda.txt", p and S from the
// instance file, no solver arguments, no result files, the run's files in
// the working directory.
struct RunOptions {
  bool seedGiven = false;    // --seed N
  uint32_t seed = 0;         // the N of --seed
  std::string demandFile;    // --demand FILE; empty: the mode decides
  std::string demandColumn;  // --demand-column NAME; empty: by name
  std::string idColumn;      // --id-column NAME: carried to the results
  std::string nameColumn;    // --name-column NAME: carried to the results

  std::string timeLimit;       // --time-limit SECONDS, as given; empty: no cap
  std::string jsonFile;        // --json FILE
  std::string csvFile;         // --csv FILE
  std::string centresFile;     // --centres FILE
  std::string svgFile;         // --svg FILE
  std::string geojsonFile;     // --geojson FILE
  std::string coordsFile;      // --coords FILE
  std::string openFile;        // --open FILE: centres that stay open
  std::string candidatesFile;  // --candidates FILE: sites for new centres
  std::string workFolder;      // --workdir DIR; empty: the working directory
  bool points = false;         // --points: the instance is a table of points
  bool geographic = false;     // --geographic: coordinates are lon, lat
  bool sparse = false;         // --sparse: only the pairs within S are held
  bool facilitiesGiven = false;       // --facilities P
  int32_t facilities = 0;             // the P of --facilities; a list's last
  std::vector<int32_t> facilityList;  // --facilities LIST; empty for one P
  std::string curveFile;              // --curve FILE
  std::string curveSvgFile;           // --curve-svg FILE
  bool targetGiven = false;           // --target-coverage PCT
  double targetPercent = 0;           // the PCT, 0 < PCT <= 100
  bool serviceGiven = false;          // --service-distance S
  float serviceDistance = 0;          // the S of --service-distance
  std::string instanceFile;           // the file after the mode
  char mode = 0;                      // 'B', 'G' or 'A', from -b, -g or -a
};

// The process-wide options, set once from the command line.
extern RunOptions runOptions;
