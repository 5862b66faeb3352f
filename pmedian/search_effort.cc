#include "pmedian/search_effort.h"

#include <algorithm>

double elapsedSeconds(const SearchEffort& effort) {
  return std::chrono::duration<double>(std::chrono::steady_clock::now() -
                                       effort.start)
      .count();
}

bool effortLeft(const SearchEffort& effort) {
  if (effort.work >= effort.budget)
    return false;
  // The clock is read once a round; rounds are short.
  return effort.secondsCap <= 0 || elapsedSeconds(effort) < effort.secondsCap;
}

void markBest(SearchEffort& effort) {
  effort.secondsAtBest = elapsedSeconds(effort);
}

std::int64_t staleRoundLimit(int p) {
  return std::max<std::int64_t>(2000, std::int64_t{40} * p);
}
