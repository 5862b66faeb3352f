#pragma once

#include <chrono>
#include <cstdint>

// What a search may spend and has spent. The budget counts work (list
// entries and matrix cells walked), so that the same input gives the same
// answer on any machine under any load; the optional wall-clock cap can only
// stop a search earlier.
struct SearchEffort {
  std::int64_t work = 0;     // work done so far
  std::int64_t budget = 0;   // work allowed to the perturbation rounds
  std::int64_t rounds = 0;   // perturbation rounds done
  double secondsCap = 0;     // wall-clock cap of the rounds; 0 for none
  double secondsAtBest = 0;  // when the best solution was found
  std::chrono::steady_clock::time_point start =
      std::chrono::steady_clock::now();
};

// Seconds since the effort's start.
double elapsedSeconds(const SearchEffort& effort);

// True while the rounds may go on: budget and wall-clock cap not reached.
bool effortLeft(const SearchEffort& effort);

// Notes the present time as that of the best solution.
void markBest(SearchEffort& effort);

// Rounds without improvement after which the p-median search gives up:
// grows with p, with a floor for small p.
std::int64_t staleRoundLimit(int p);
