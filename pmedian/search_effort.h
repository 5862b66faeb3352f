#pragma once

#include <atomic>
#include <chrono>
#include <cstdint>
#include <functional>
#include <vector>

// What a search may spend and has spent. The budget counts work (list
// entries and matrix cells walked), so that the same input gives the same
// answer on any machine under any load; the optional wall-clock cap can only
// stop a search earlier.
struct SearchEffort {
  std::int64_t work = 0;    // work done so far
  std::int64_t budget = 0;  // work allowed to the perturbation rounds
  std::int64_t rounds = 0;  // perturbation rounds done
  // The swap search charges each candidate its whole list, though it reads
  // only part of most (see chargeSwapWork): `spared` sums what was charged
  // beyond what was read, and with `chargeDone` only what was read is
  // charged.
  std::int64_t spared = 0;
  bool chargeDone = false;
  double secondsCap = 0;     // wall-clock cap of the rounds; 0 for none
  double deadline = 0;       // seconds after start when the whole run ends;
                             // 0 for none
  double secondsAtBest = 0;  // when the best solution was found
  // Raised by a proof running beside the search: nothing better exists.
  const std::atomic<bool>* halt = nullptr;
  // Takes each best solution marked, in place of the progress line; set by
  // the phase running the search.
  std::function<void(const std::vector<int>&, double)> found;
  std::chrono::steady_clock::time_point start =
      std::chrono::steady_clock::now();
};

// Seconds since the effort's start.
double elapsedSeconds(const SearchEffort& effort);

// True while the rounds may go on: budget, wall-clock cap of the rounds and
// deadline of the whole run not reached, no proof has ended the search and
// no stop was asked for (stopWanted).
bool effortLeft(const SearchEffort& effort);

// True once the deadline of the whole run has passed, or a stop was asked
// for: the run then ends as at its cap.
bool pastDeadline(const SearchEffort& effort);

// Seconds left before the deadline of the whole run, at most `wanted`; no
// less than 0, and 0 once a stop was asked for.
double secondsWithin(const SearchEffort& effort, double wanted);

// Notes the present time as that of the best solution, `centres` of value
// `value` (coverage or cost), and hands it to `effort.found` when set, else
// to the progress line.
void markBest(SearchEffort& effort, const std::vector<int>& centres,
              double value);

// The budget of the perturbation rounds counts from the work done so far:
// the start (greedy and first descent) is not charged to it.
void chargeRoundsFromHere(SearchEffort& effort);

// Lends the first of two searches that share the budget half of what is
// left; returns the whole budget, for giveBackBudget once it is done.
std::int64_t lendHalfBudget(SearchEffort& effort);

// Lends the covering search two thirds of what is left, the rest going to
// the recombination after it; returns the whole budget, for giveBackBudget.
std::int64_t lendSearchBudget(SearchEffort& effort);

// Hands the next search what the one before left of the whole budget.
void giveBackBudget(SearchEffort& effort, std::int64_t whole);

// Charges one candidate of a swap search: `listed`, the work a walk of its
// whole list costs, or with effort.chargeDone `read`, the work done, which
// reads what was kept of the list or passes over it. Charging the whole
// list keeps the budget's end where it was before anything was kept, so
// that the same input gives the same answer as it did.
void chargeSwapWork(SearchEffort& effort, std::int64_t listed,
                    std::int64_t read);

// Rounds without improvement after which the p-median search gives up:
// grows with p, with a floor for small p.
std::int64_t staleRoundLimit(int p);
