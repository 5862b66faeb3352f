// The p-median solver program the mclp tool runs: reads "pmeddata.dat" from
// the working directory, solves, and leaves "solucao.txt" there. Covering
// problems (each column 0 or one demand) are solved as such, and proven
// optimal where the time allows.

#include <chrono>
#include <cstdio>

#include "pmedian/interrupt.h"
#include "pmedian/pmed_data.h"
#include "pmedian/pmed_solve.h"
#include "pmedian/solution_writer.h"
#include "pmedian/solver_options.h"

int main(int argc, char** argv) {
  watchInterrupts();
  auto start = std::chrono::steady_clock::now();
  // First of all, so that no failure below can leave an earlier run's
  // answer to be read as this one's.
  removeSolution("solucao.txt");
  SolverOptions options = parseSolverOptions(argc, argv);
  PmedProblem problem;
  loadPmedData("pmeddata.dat", problem);
  double readSeconds =
      std::chrono::duration<double>(std::chrono::steady_clock::now() - start)
          .count();
  SolveOutcome outcome = solvePmed(problem, options.solve);
  double seconds =
      std::chrono::duration<double>(std::chrono::steady_clock::now() - start)
          .count();
  SolverAnswer answer{outcome.objective, outcome.bound, seconds,
                      options.solve.seed, outcome.centres};
  writeSolution("solucao.txt", answer);
  if (!options.quiet) {
    double gap =
        outcome.objective > 0
            ? 100.0 * (outcome.objective - outcome.bound) / outcome.objective
            : 0.0;
    // Begins with a line end and ends without one: the tool's report that
    // follows begins with its own.
    std::printf("\nCorvadel: objetivo %.2f limite %.2f gap %.2f%% tempo %.2f s",
                outcome.objective, outcome.bound, gap, seconds);
    if (options.verbose)
      std::printf(" [leitura %.2f achado %.2f prova %.2f rodadas %lld %s]",
                  readSeconds, readSeconds + outcome.secondsFound,
                  outcome.secondsProven < 0
                      ? -1.0
                      : readSeconds + outcome.secondsProven,
                  static_cast<long long>(outcome.rounds),
                  outcome.covering ? "cobertura" : "mediana");
  }
  std::fflush(stdout);
  return 0;
}
