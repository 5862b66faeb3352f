#include "app/options.h"

#include <charconv>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <limits>
#include <string>
#include <string_view>

#include "common/fatal.h"
#include "common/run_files.h"
#include "common/run_options.h"
#include "common/token_reader.h"
#include "solver/solver_run.h"

namespace {

constexpr const char* kVersion = "mclp 1.2.0";

void printModes() {
  std::fputs("\n*** Usage:", stdout);
  std::fputs("\n***>-b [file]     Run for Beasley's data files [file]\n",
             stdout);
  std::fputs("\n***>-g [file]     Run for Galvao's data files [file]\n",
             stdout);
  std::fputs("\n***>-a [file]     Run for ArcView data files [file]\n", stdout);
}

// Every command line that cannot be run ends here, with the same bytes as a
// command line without options that cannot be run.
[[noreturn]] void usage() {
  printModes();
  std::exit(1);
}

[[noreturn]] void help() {
  printModes();
  std::fputs(
      "\n*** Options, before -b, -g or -a:\n"
      "\n***>--seed N              random demands from seed N (0 ... "
      "4294967295)"
      "\n***>--demand FILE         demands from FILE, laid out as "
      "demanda.txt"
      "\n***>--time-limit SECONDS  the solver program's whole-run cap"
      "\n***>--json FILE           the result as JSON"
      "\n***>--csv FILE            one row per vertex"
      "\n***>--centres FILE        one line per centre: its place and what it "
      "covers"
      "\n***>--svg FILE            a picture of the solution (needs "
      "coordinates)"
      "\n***>--coords FILE         coordinates: n lines \"x y\", or TSPLIB"
      "\n***>--points              FILE is a table of points (x y [demand]),"
      " with -g or -a"
      "\n***>--geographic          coordinates are longitude, latitude (a"
      " header's x, y too)"
      "\n***>--demand-column NAME  the demand column of a table of points"
      "\n***>--id-column NAME      the places' own ids, carried to the results"
      "\n***>--name-column NAME    the places' names, carried to the results"
      "\n***>--facilities P        p, instead of the instance file's"
      "\n***>--service-distance S  S, instead of the instance file's"
      "\n***>--geojson FILE        the result as GeoJSON (needs coordinates)"
      "\n***>--workdir DIR         the folder for the solver's files"
      "\n***>--open FILE           centres that exist already and stay open"
      "\n***>--candidates FILE     the only sites where new centres may open"
      "\n***>--sparse              hold only the pairs within S (tables of "
      "points, edge lists)"
      "\n***>--help                this text"
      "\n***>--version             the version\n",
      stdout);
  std::exit(0);
}

bool parseSeed(std::string_view text, uint32_t& seed) {
  auto [stop, error] =
      std::from_chars(text.data(), text.data() + text.size(), seed);
  return !text.empty() && error == std::errc() &&
         stop == text.data() + text.size();
}

// A count of centres: a whole number >= 0, written as the whole token.
bool parseCount(std::string_view text, int32_t& count) {
  int value = 0;
  if (!parseInt(text, value) || value < 0)
    return false;
  count = value;
  return true;
}

// A distance, read as the instance files read it: a finite real >= 0, "-0"
// reading as 0.
bool parseDistance(std::string_view text, float& distance) {
  float value = 0;
  if (!parseFloat(text, value) || !(value >= 0.0f) ||
      value == std::numeric_limits<float>::infinity())
    return false;
  distance = value + 0.0f;
  return true;
}

// A file name option's value; an empty name cannot be created or opened.
const char* fileValue(const char* value) {
  if (*value == '\0')
    usage();
  return value;
}

// Reads the option at argv[k] (which starts with "--") and its value, if it
// takes one; returns the index of the argument after them. The last
// occurrence of an option wins.
int readOption(int argc, char** argv, int k) {
  std::string_view option = argv[k];
  if (option == "--help")
    help();
  if (option == "--version") {
    std::printf("%s\n", kVersion);
    std::exit(0);
  }
  if (option == "--points") {
    runOptions.points = true;
    return k + 1;
  }
  if (option == "--geographic") {
    runOptions.geographic = true;
    return k + 1;
  }
  if (option == "--sparse") {
    runOptions.sparse = true;
    return k + 1;
  }
  // Every other option takes the next argument as its value.
  if (k + 1 >= argc)
    usage();
  const char* value = argv[k + 1];
  if (option == "--seed") {
    if (!parseSeed(value, runOptions.seed))
      usage();
    runOptions.seedGiven = true;
  } else if (option == "--facilities") {
    if (!parseCount(value, runOptions.facilities))
      usage();
    runOptions.facilitiesGiven = true;
  } else if (option == "--service-distance") {
    if (!parseDistance(value, runOptions.serviceDistance))
      usage();
    runOptions.serviceGiven = true;
  } else if (option == "--time-limit") {
    // Checked as the solver program checks it, which it is passed on to.
    double seconds;
    if (!parseSeconds(value, seconds))
      usage();
    runOptions.timeLimit = value;
    solverArguments = {"-L", value};
  } else if (option == "--demand") {
    runOptions.demandFile = fileValue(value);
  } else if (option == "--demand-column") {
    if (*value == '\0')
      usage();
    runOptions.demandColumn = value;
  } else if (option == "--id-column" || option == "--name-column") {
    if (*value == '\0')
      usage();
    (option == "--id-column" ? runOptions.idColumn : runOptions.nameColumn) =
        value;
  } else if (option == "--json") {
    runOptions.jsonFile = fileValue(value);
  } else if (option == "--csv") {
    runOptions.csvFile = fileValue(value);
  } else if (option == "--centres") {
    runOptions.centresFile = fileValue(value);
  } else if (option == "--svg") {
    runOptions.svgFile = fileValue(value);
  } else if (option == "--geojson") {
    runOptions.geojsonFile = fileValue(value);
  } else if (option == "--coords") {
    runOptions.coordsFile = fileValue(value);
  } else if (option == "--open") {
    runOptions.openFile = fileValue(value);
  } else if (option == "--candidates") {
    runOptions.candidatesFile = fileValue(value);
  } else if (option == "--workdir") {
    runOptions.workFolder = fileValue(value);
  } else {
    usage();
  }
  return k + 2;
}

// Combinations that cannot be run: the usage block. A table of points
// without p or S: a message saying which is missing.
void checkCombinations() {
  bool places = runOptions.points || !runOptions.coordsFile.empty();
  // A table of points is its own coordinates; it is never an edge list.
  if (runOptions.points &&
      (runOptions.mode == 'B' || !runOptions.coordsFile.empty()))
    usage();
  // A picture and a GeoJSON need the vertices' places.
  if ((!runOptions.svgFile.empty() || !runOptions.geojsonFile.empty()) &&
      !places)
    usage();
  if (runOptions.geographic && !places)
    usage();
  // Only a table of points has named columns.
  if ((!runOptions.demandColumn.empty() || !runOptions.idColumn.empty() ||
       !runOptions.nameColumn.empty()) &&
      !runOptions.points)
    usage();
  // A distance matrix is read whole whatever is kept of it, and the
  // distances beyond S that the results need would be gone.
  if (runOptions.sparse && !runOptions.points && runOptions.mode != 'B')
    fatalExit(
        "\n>>> Opcao --sparse com uma matriz de distancias: a matriz ja traz "
        "todos os pares; --sparse vale para tabelas de pontos (--points) e "
        "listas de arestas (-b)");
  if (runOptions.points &&
      (!runOptions.facilitiesGiven || !runOptions.serviceGiven)) {
    std::string missing =
        !runOptions.facilitiesGiven && !runOptions.serviceGiven
            ? "--facilities P e --service-distance S"
        : !runOptions.facilitiesGiven ? "--facilities P"
                                      : "--service-distance S";
    fatalExit("\n>>> Uma tabela de pontos nao traz p nem S: informe %s",
              missing.c_str());
  }
}

}  // namespace

void readCommandLine(int argc, char** argv) {
  int k = 1;
  while (k < argc && std::strncmp(argv[k], "--", 2) == 0)
    k = readOption(argc, argv, k);
  // The mode and the file name; all three comparisons are exact.
  if (k + 1 >= argc)
    usage();
  if (std::strcmp(argv[k], "-b") == 0)
    runOptions.mode = 'B';
  else if (std::strcmp(argv[k], "-g") == 0)
    runOptions.mode = 'G';
  else if (std::strcmp(argv[k], "-a") == 0)
    runOptions.mode = 'A';
  else
    usage();
  runOptions.instanceFile = argv[k + 1];
  // A long option after the file name counts as if it stood before the
  // mode; a user who adds one at the end means it. Any other argument there
  // is ignored.
  for (k += 2; k < argc;) {
    if (std::strncmp(argv[k], "--", 2) == 0)
      k = readOption(argc, argv, k);
    else
      ++k;
  }
  checkCombinations();
  setRunFolder(runOptions.workFolder);
}
