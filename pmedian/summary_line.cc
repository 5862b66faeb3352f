#include "pmedian/summary_line.h"

#include <algorithm>
#include <cstdio>

std::string summaryLine(const SolveOutcome& outcome, double seconds) {
  char text[256];
  if (outcome.covering) {
    double covered = outcome.totalDemand - outcome.objective;
    double upper = std::max(outcome.totalDemand - outcome.bound, covered);
    double gap = upper > 0 ? 100.0 * (upper - covered) / upper : 0.0;
    std::snprintf(text, sizeof text,
                  "\nCorvadel: cobertura %.2f limite %.2f gap %.2f%% %stempo "
                  "%.2f s",
                  covered, upper, gap, outcome.proven ? "otimo " : "", seconds);
  } else {
    double gap =
        outcome.objective > 0
            ? 100.0 * (outcome.objective - outcome.bound) / outcome.objective
            : 0.0;
    std::snprintf(text, sizeof text,
                  "\nCorvadel: objetivo %.2f limite %.2f gap %.2f%% tempo "
                  "%.2f s",
                  outcome.objective, outcome.bound, gap, seconds);
  }
  return text;
}

std::string pointSummaryLine(int p, const SolveOutcome& outcome,
                             double seconds) {
  std::string line = summaryLine(outcome, seconds);
  const std::string head = "\nCorvadel: ";
  return head + "p " + std::to_string(p) + " " + line.substr(head.size());
}

std::string summaryDetails(const SolveOutcome& outcome, double readSeconds) {
  char text[256];
  std::snprintf(
      text, sizeof text,
      " [leitura %.2f achado %.2f prova %.2f rodadas %lld %s]", readSeconds,
      readSeconds + outcome.secondsFound,
      outcome.secondsProven < 0 ? -1.0 : readSeconds + outcome.secondsProven,
      static_cast<long long>(outcome.rounds),
      outcome.covering ? "cobertura" : "mediana");
  return text;
}
