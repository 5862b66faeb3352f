#include "app/options.h"

#include <charconv>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <limits>
#include <string>
#include <string_view>

#include "app/facility_list.h"
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

// A file name or column name option's value; an empty one names nothing.
const char* nonEmpty(const char* value) {
  if (*value == '\0')
    usage();
  return value;
}

[[noreturn]] void help();

// One long option: its name, the placeholder of its value in the help
// (nullptr: the option takes no value), its help line, and what it does.
// `store` gets the next argument when the option takes a value, nullptr
// otherwise; it calls usage() when the value does not convert.
struct Option {
  const char* name;
  const char* value;
  const char* help;
  void (*store)(const char* value);
};

// Every long option, in the order the help lists them.
constexpr Option kOptions[] = {
    {"--seed", "N", "random demands from seed N (0 ... 4294967295)",
     [](const char* value) {
       if (!parseSeed(value, runOptions.seed))
         usage();
       runOptions.seedGiven = true;
     }},
    {"--demand", "FILE", "demands from FILE, laid out as demanda.txt",
     [](const char* value) { runOptions.demandFile = nonEmpty(value); }},
    {"--time-limit", "SECONDS", "the solver program's whole-run cap",
     [](const char* value) {
       // Checked as the solver program checks it, which it is passed on to.
       double seconds;
       if (!parseSeconds(value, seconds))
         usage();
       runOptions.timeLimit = value;
       solverArguments = {"-L", value};
     }},
    {"--json", "FILE", "the result as JSON",
     [](const char* value) { runOptions.jsonFile = nonEmpty(value); }},
    {"--csv", "FILE", "one row per vertex",
     [](const char* value) { runOptions.csvFile = nonEmpty(value); }},
    {"--centres", "FILE", "one line per centre: its place and what it covers",
     [](const char* value) { runOptions.centresFile = nonEmpty(value); }},
    {"--svg", "FILE", "a picture of the solution (needs coordinates)",
     [](const char* value) { runOptions.svgFile = nonEmpty(value); }},
    {"--coords", "FILE", "coordinates: n lines \"x y\", or TSPLIB",
     [](const char* value) { runOptions.coordsFile = nonEmpty(value); }},
    {"--points", nullptr,
     "FILE is a table of points (x y [demand]), with -g or -a",
     [](const char*) { runOptions.points = true; }},
    {"--geographic", nullptr,
     "coordinates are longitude, latitude (a header's x, y too)",
     [](const char*) { runOptions.geographic = true; }},
    {"--demand-column", "NAME", "the demand column of a table of points",
     [](const char* value) { runOptions.demandColumn = nonEmpty(value); }},
    {"--id-column", "NAME", "the places' own ids, carried to the results",
     [](const char* value) { runOptions.idColumn = nonEmpty(value); }},
    {"--name-column", "NAME", "the places' names, carried to the results",
     [](const char* value) { runOptions.nameColumn = nonEmpty(value); }},
    {"--facilities", "P",
     "p, instead of the instance file's; a list, 10,20,50 or "
     "25:250:25, for a curve (up to the time limit for each p)",
     [](const char* value) {
       // One p as always, or a list or range of p for a coverage curve,
       // whose last (largest) p the solver's input is written for.
       runOptions.facilityList.clear();
       if (parseFacilityList(value, runOptions.facilityList))
         runOptions.facilities = runOptions.facilityList.back();
       else if (!parseCount(value, runOptions.facilities))
         usage();
       runOptions.facilitiesGiven = true;
     }},
    {"--service-distance", "S", "S, instead of the instance file's",
     [](const char* value) {
       if (!parseDistance(value, runOptions.serviceDistance))
         usage();
       runOptions.serviceGiven = true;
     }},
    {"--geojson", "FILE", "the result as GeoJSON (needs coordinates)",
     [](const char* value) { runOptions.geojsonFile = nonEmpty(value); }},
    {"--workdir", "DIR", "the folder for the solver's files",
     [](const char* value) { runOptions.workFolder = nonEmpty(value); }},
    {"--open", "FILE", "centres that exist already and stay open",
     [](const char* value) { runOptions.openFile = nonEmpty(value); }},
    {"--candidates", "FILE", "the only sites where new centres may open",
     [](const char* value) { runOptions.candidatesFile = nonEmpty(value); }},
    {"--target-coverage", "PCT",
     "the fewest centres that cover PCT % of the demand (0 < PCT <= 100)",
     [](const char* value) {
       double percent = 0;
       if (!parseDouble(value, percent) || !(percent > 0) || percent > 100)
         usage();
       runOptions.targetPercent = percent;
       runOptions.targetGiven = true;
     }},
    {"--curve", "FILE", "the p of a curve or of a target search, as CSV",
     [](const char* value) { runOptions.curveFile = nonEmpty(value); }},
    {"--curve-svg", "FILE", "the same as a picture",
     [](const char* value) { runOptions.curveSvgFile = nonEmpty(value); }},
    {"--sparse", nullptr,
     "hold only the pairs within S (tables of points, edge lists)",
     [](const char*) { runOptions.sparse = true; }},
    {"--help", nullptr, "this text", [](const char*) { help(); }},
    {"--version", nullptr, "the version",
     [](const char*) {
       std::printf("%s\n", kVersion);
       std::exit(0);
     }},
};

// The help's first column: an option and its placeholder, padded to this
// width and followed by two spaces. A longer one pushes its help text right.
constexpr int kHelpColumn = 20;

[[noreturn]] void help() {
  printModes();
  std::fputs("\n*** Options, before -b, -g or -a:\n", stdout);
  for (const Option& option : kOptions) {
    std::string column = option.name;
    if (option.value != nullptr)
      column.append(" ").append(option.value);
    std::printf("\n***>%-*s  %s", kHelpColumn, column.c_str(), option.help);
  }
  std::fputs("\n", stdout);
  std::exit(0);
}

// Reads the option at argv[k] (which starts with "--") and its value, if it
// takes one; returns the index of the argument after them. The last
// occurrence of an option wins.
int readOption(int argc, char** argv, int k) {
  std::string_view name = argv[k];
  for (const Option& option : kOptions) {
    if (name != option.name)
      continue;
    if (option.value == nullptr) {
      option.store(nullptr);
      return k + 1;
    }
    // An option with a value takes the next argument, whatever it is.
    if (k + 1 >= argc)
      usage();
    option.store(argv[k + 1]);
    return k + 2;
  }
  usage();
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
  // Only a curve has a table of p to write; the fewest centres for a target
  // are searched for, not given.
  if ((!runOptions.curveFile.empty() || !runOptions.curveSvgFile.empty()) &&
      runOptions.facilityList.empty() && !runOptions.targetGiven)
    usage();
  if (runOptions.targetGiven && runOptions.facilitiesGiven)
    usage();
  // A distance matrix is read whole whatever is kept of it, and the
  // distances beyond S that the results need would be gone.
  if (runOptions.sparse && !runOptions.points && runOptions.mode != 'B')
    fatalExit(
        "\n>>> Opcao --sparse com uma matriz de distancias: a matriz ja traz "
        "todos os pares; --sparse vale para tabelas de pontos (--points) e "
        "listas de arestas (-b)");
  bool facilities = runOptions.facilitiesGiven || runOptions.targetGiven;
  if (runOptions.points && (!facilities || !runOptions.serviceGiven)) {
    std::string missing = !facilities && !runOptions.serviceGiven
                              ? "--facilities P e --service-distance S"
                          : !facilities ? "--facilities P"
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
