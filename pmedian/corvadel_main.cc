// The p-median solver program the mclp tool runs: reads "pmeddata.dat" from
// the working directory, or the cover lists named by -K (and, when named by -F
// and -C, the centres that stay open and the sites allowed), solves, and leaves
// "solucao.txt" there. Covering problems (each column 0 or one demand) are
// solved as such, and proven optimal where the time allows. With -P LIST it
// solves for each p of the list and leaves "curva.txt" too. A first Ctrl-C
// (or SIGUSR1) stops the solve at its best answer, written as always, and the
// status is then 130; a second one ends the program at once.

#include <chrono>
#include <cstdio>
#include <string>
#include <vector>

#include "common/cover_file.h"
#include "common/curve_file.h"
#include "common/fatal.h"
#include "common/pmed_file.h"
#include "common/run_files.h"
#include "common/solution_file.h"
#include "pmedian/interrupt.h"
#include "pmedian/pmed_solve.h"
#include "pmedian/progress.h"
#include "pmedian/solver_options.h"
#include "pmedian/summary_line.h"

namespace {

// With -P: every p of the list solved, "curva.txt" written with all and
// "solucao.txt" with the last, as a run for that p alone writes it; then a
// summary line for each p, in the order of the list.
void solveCurve(const SolverOptions& options, PmedProblem& problem,
                CoverLists& lists) {
  std::vector<CurveOutcome> curve =
      options.coverPath ? solveCoverListsCurve(lists, problem.site,
                                               options.curve, options.solve)
                        : solvePmedCurve(problem, options.curve, options.solve);
  clearProgress();
  std::vector<CurvePoint> points;
  for (const CurveOutcome& point : curve)
    points.push_back({point.p, point.outcome.objective, point.outcome.bound,
                      point.seconds, point.outcome.proven,
                      point.outcome.centres});
  writeCurve(kCurveFile, points);
  const CurveOutcome& last = curve.back();
  writeSolution(
      kSolutionFile,
      SolverAnswer{last.outcome.objective, last.outcome.bound, last.seconds,
                   options.solve.seed, last.outcome.centres});
  if (options.quiet)
    return;
  std::string lines;
  for (const CurveOutcome& point : curve) {
    lines += pointSummaryLine(point.p, point.outcome, point.seconds);
    if (options.verbose)
      lines += summaryDetails(point.outcome, point.secondsBefore);
  }
  std::fputs(lines.c_str(), stdout);
}

}  // namespace

int main(int argc, char** argv) {
  watchInterrupts();
  auto start = std::chrono::steady_clock::now();
  // First of all, so that no failure below can leave an earlier run's
  // answer to be read as this one's.
  removeSolution(kSolutionFile);
  removeSolution(kCurveFile);
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
  if (options.curve.empty()) {
    loadSiteRules(options.fixedPath, options.candidatesPath, problem);
  } else {
    for (int p : options.curve)
      if (p > problem.n)
        fatalExit("\n>>> %d centros para apenas %d vertices", p, problem.n);
    loadSiteRules(options.fixedPath, options.candidatesPath, options.curve,
                  problem);
  }
  double readSeconds =
      std::chrono::duration<double>(std::chrono::steady_clock::now() - start)
          .count();
  options.solve.secondsBefore = readSeconds;
  if (!options.curve.empty()) {
    solveCurve(options, problem, lists);
    std::fflush(stdout);
    return stopWanted() ? kSolverStoppedStatus : 0;
  }
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
  // A stopped run's answer is written whole; the status tells its caller
  // that the solve did not run its course.
  return stopWanted() ? kSolverStoppedStatus : 0;
}
