#include "app/options.h"

#include <charconv>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <string_view>

#include "common/run_options.h"
#include "common/token_reader.h"
#include "solver/solver_run.h"

namespace {

constexpr const char* kVersion = "mclp 1.1.0";

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
      "\n***>--svg FILE            a picture of the solution (needs --coords)"
      "\n***>--coords FILE         coordinates: n lines \"x y\", or TSPLIB"
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

}  // namespace

void readCommandLine(int argc, char** argv) {
  int k = 1;
  for (; k < argc && std::strncmp(argv[k], "--", 2) == 0; ++k) {
    std::string_view option = argv[k];
    if (option == "--help")
      help();
    if (option == "--version") {
      std::printf("%s\n", kVersion);
      std::exit(0);
    }
    // Every other option takes the next argument as its value; the last
    // occurrence of an option wins.
    if (k + 1 >= argc)
      usage();
    const char* value = argv[++k];
    if (option == "--seed") {
      if (!parseSeed(value, runOptions.seed))
        usage();
      runOptions.seedGiven = true;
    } else if (option == "--demand") {
      runOptions.demandFile = value;
    } else if (option == "--time-limit") {
      // Checked as the solver program checks it, which it is passed on to.
      double seconds;
      if (!parseSeconds(value, seconds))
        usage();
      runOptions.timeLimit = value;
      solverArguments = {"-L", value};
    } else if (option == "--json") {
      runOptions.jsonFile = value;
    } else if (option == "--csv") {
      runOptions.csvFile = value;
    } else if (option == "--svg") {
      runOptions.svgFile = value;
    } else if (option == "--coords") {
      runOptions.coordsFile = value;
    } else {
      usage();
    }
    // An empty file name cannot be created or opened.
    if (*value == '\0')
      usage();
  }
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
  // A picture needs the vertices' places.
  if (!runOptions.svgFile.empty() && runOptions.coordsFile.empty())
    usage();
}
