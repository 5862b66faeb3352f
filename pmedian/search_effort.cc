#include "pmedian/search_effort.h"

#include <algorithm>

#include "pmedian/interrupt.h"
#include "pmedian/progress.h"

double elapsedSeconds(const SearchEffort& effort) {
  return std::chrono::duration<double>(std::chrono::steady_clock::now() -
                                       effort.start)
      .count();
}

bool effortLeft(const SearchEffort& effort) {
  if (effort.work >= effort.budget)
    return false;
  if (effort.halt && effort.halt->load(std::memory_order_relaxed))
    return false;
  if (stopWanted())
    return false;
  // The clock is read once a round; rounds are short.
  double now = elapsedSeconds(effort);
  if (effort.secondsCap > 0 && now >= effort.secondsCap)
    return false;
  return effort.deadline <= 0 || now < effort.deadline;
}

bool pastDeadline(const SearchEffort& effort) {
  return stopWanted() ||
         (effort.deadline > 0 && elapsedSeconds(effort) >= effort.deadline);
}

double secondsWithin(const SearchEffort& effort, double wanted) {
  if (stopWanted())
    return 0;
  if (effort.deadline <= 0)
    return wanted;
  return std::clamp(effort.deadline - elapsedSeconds(effort), 0.0, wanted);
}

void markBest(SearchEffort& effort, const std::vector<int>& centres,
              double value) {
  effort.secondsAtBest = elapsedSeconds(effort);
  if (effort.found)
    effort.found(centres, value);
  else
    noteBest(value);
}

void chargeRoundsFromHere(SearchEffort& effort) {
  effort.budget += effort.work;
}

namespace {

// Lends `parts` of every `of` parts of what is left; returns the whole.
std::int64_t lendBudgetShare(SearchEffort& effort, int parts, int of) {
  std::int64_t whole = effort.budget;
  effort.budget = effort.work + (whole - effort.work) / of * parts;
  return whole;
}

}  // namespace

std::int64_t lendHalfBudget(SearchEffort& effort) {
  return lendBudgetShare(effort, 1, 2);
}

std::int64_t lendSearchBudget(SearchEffort& effort) {
  return lendBudgetShare(effort, 2, 3);
}

void giveBackBudget(SearchEffort& effort, std::int64_t whole) {
  effort.budget = whole;
}

void chargeSwapWork(SearchEffort& effort, std::int64_t listed,
                    std::int64_t read) {
  effort.work += effort.chargeDone ? read : listed;
  effort.spared += listed - read;
}

std::int64_t staleRoundLimit(int p) {
  return std::max<std::int64_t>(2000, std::int64_t{40} * p);
}
