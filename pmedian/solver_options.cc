#include "pmedian/solver_options.h"

#include <charconv>
#include <cstring>
#include <string_view>

#include "common/curve_file.h"
#include "common/fatal.h"
#include "common/run_files.h"
#include "common/token_reader.h"
#include "common/vertex_sets.h"

namespace {

// The value after option `argv[k]`, which must exist.
const char* valueOf(int argc, char** argv, int k) {
  if (k + 1 >= argc)
    fatalExit("\n>>> Opcao %s sem valor", argv[k]);
  return argv[k + 1];
}

// A finite real >= 0, as the caps and the goal are written.
double realValue(const char* option, const char* text) {
  double value = 0;
  if (!parseSeconds(text, value))
    fatalExit("\n>>> Valor invalido para a opcao %s: %s", option, text);
  return value;
}

long long wholeValue(const char* option, const char* text, long long low,
                     long long high) {
  std::string_view token(text);
  long long value = 0;
  auto [stop, error] =
      std::from_chars(token.data(), token.data() + token.size(), value);
  if (error != std::errc() || stop != token.data() + token.size() ||
      value < low || value > high)
    fatalExit("\n>>> Valor invalido para a opcao %s: %s", option, text);
  return value;
}

}  // namespace

SolverOptions parseSolverOptions(int argc, char** argv) {
  SolverOptions options;
  for (int k = 1; k < argc; ++k) {
    const char* option = argv[k];
    if (std::strcmp(option, "-q") == 0) {
      options.quiet = true;
    } else if (std::strcmp(option, "-v") == 0) {
      options.verbose = true;
    } else if (std::strcmp(option, kFixedCentresOption) == 0) {
      options.fixedPath = valueOf(argc, argv, k);
      ++k;
    } else if (std::strcmp(option, kCandidateSitesOption) == 0) {
      options.candidatesPath = valueOf(argc, argv, k);
      ++k;
    } else if (std::strcmp(option, kCoverFileOption) == 0) {
      options.coverPath = valueOf(argc, argv, k);
      ++k;
    } else if (std::strcmp(option, kCurveOption) == 0) {
      const char* list = valueOf(argc, argv, k);
      if (!parseCurveList(list, options.curve))
        fatalExit("\n>>> Valor invalido para a opcao %s: %s", option, list);
      ++k;
    } else if (std::strcmp(option, kGoalOption) == 0) {
      options.solve.goal = realValue(option, valueOf(argc, argv, k));
      ++k;
    } else if (std::strcmp(option, "-L") == 0) {
      options.solve.runSeconds = realValue(option, valueOf(argc, argv, k));
      ++k;
    } else if (std::strcmp(option, "-t") == 0) {
      options.solve.exactSeconds = realValue(option, valueOf(argc, argv, k));
      ++k;
    } else if (std::strcmp(option, "-T") == 0) {
      options.solve.searchSeconds = realValue(option, valueOf(argc, argv, k));
      ++k;
    } else if (std::strcmp(option, "-b") == 0) {
      // Millions of work units; a million million is beyond any sane run.
      options.solve.budget =
          wholeValue(option, valueOf(argc, argv, k), 0, 1000000) * 1000000;
      ++k;
    } else if (std::strcmp(option, "-s") == 0) {
      options.solve.seed = static_cast<int>(
          wholeValue(option, valueOf(argc, argv, k), 0, 2147483647));
      ++k;
    } else {
      fatalExit("\n>>> Opcao invalida: %s", option);
    }
  }
  return options;
}
