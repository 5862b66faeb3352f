// The p-median solver program the mclp tool runs: reads "pmeddata.dat" from
// the working directory, or the cover lists named by -K (and, when named by -F
// and -C, the centres that stay open and the sites allowed), solves, and leaves
// "solucao.txt" there. Covering problems (each column 0 or one demand) are
// solved as such, and proven optimal where the time allows.

#include <chrono>
#include <cstdio>
#include <string>

#include "common/cover_file.h"
#include "common/pmed_file.h"
#include "common/run_files.h"
#include "common/solution_file.h"
#include "pmedian/interrupt.h"
#include "pmedian/pmed_solve.h"
#include "pmedian/progress.h"
#include "pmedian/solver_options.h"
#include "pmedian/summary_line.h"

int main(int argc, char** argv) {
  watchInterrupts();
  auto start = std::chrono::steady_clock::now();
  // First of all, so that no failure below can leave an earlier run's
  // answer to be read as this one's.
  removeSolution(kSolutionFile);
  SolverOptions options = parseSolverOptions(argc, argv);
  startProgress(!options.quiet);
  // With -K the problem holds only n, p and the site rules; the lists hold
  // the rest.
  PmedProblem problem;
  CoverLists lists;
  if (options.coverPath) {
    loadCoverLists(options.coverPath, lists);
    problem.n = lists.n;
    problem.p = lists.p;
  } else {
    loadPmedData(kCostFile, problem);
  }
  loadSiteRules(options.fixedPath, options.candidatesPath, problem);
  double readSeconds =
      std::chrono::duration<double>(std::chrono::steady_clock::now() - start)
          .count();
  options.solve.secondsBefore = readSeconds;
  SolveOutcome outcome =
      options.coverPath ? solveCoverLists(lists, problem.site, options.solve)
                        : solvePmed(problem, options.solve);
  double seconds =
      std::chrono::duration<double>(std::chrono::steady_clock::now() - start)
          .count();
  SolverAnswer answer{outcome.objective, outcome.bound, seconds,
                      options.solve.seed, outcome.centres};
  clearProgress();
  writeSolution(kSolutionFile, answer);
  if (!options.quiet) {
    std::string line = summaryLine(outcome, seconds);
    if (options.verbose)
      line += summaryDetails(outcome, readSeconds);
    std::fputs(line.c_str(), stdout);
  }
  std::fflush(stdout);
  return 0;
}
