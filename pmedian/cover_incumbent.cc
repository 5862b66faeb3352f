#include "pmedian/cover_incumbent.h"

#include <algorithm>
#include <cmath>
#include <limits>

#include "pmedian/progress.h"
#include "pmedian/tolerances.h"

CoverIncumbent::CoverIncumbent(double total, double tolerance, bool whole)
    : tolerance_(tolerance),
      whole_(whole),
      goal_(std::numeric_limits<double>::infinity()) {
  held_.upper = total;
}

bool CoverIncumbent::offer(const std::vector<int>& centres, double covered,
                           Claim claim, const char* phase, double seconds) {
  std::lock_guard<std::mutex> hold(lock_);
  bool first = held_.centres.empty() && !centres.empty();
  bool better = covered > held_.covered + tolerance_;
  bool equal = !better && covered >= held_.covered - tolerance_;
  bool taken = first || better ||
               (equal && (claim == Claim::kOptimal ||
                          (claim == Claim::kAnswer && !held_.optimal)));
  if (!taken)
    return false;
  // An equal answer keeps the time its coverage was first reached.
  if (first || better)
    held_.secondsFound = seconds;
  held_.centres = centres;
  held_.covered = covered;
  held_.optimal = claim == Claim::kOptimal;
  held_.foundBy = phase;
  held_.upper = std::max(held_.upper, covered);
  noteBest(covered);
  noteBound(held_.upper);
  return true;
}

double CoverIncumbent::offerBound(double upper, const char* phase) {
  std::lock_guard<std::mutex> hold(lock_);
  double settled = settleUpperBound(whole_, upper);
  if (settled < held_.upper) {
    held_.upper = std::max(settled, held_.covered);
    held_.boundBy = phase;
    noteBound(held_.upper);
  }
  return held_.upper;
}

IncumbentView CoverIncumbent::view() const {
  std::lock_guard<std::mutex> hold(lock_);
  return held_;
}

bool CoverIncumbent::gapOpen() const {
  std::lock_guard<std::mutex> hold(lock_);
  return gapBetween(held_.covered, held_.upper);
}

bool CoverIncumbent::gapBetween(double covered, double upper) const {
  return covered < upper - tolerance_;
}

void CoverIncumbent::setGoal(double coverage) { goal_ = coverage; }

bool CoverIncumbent::goalSettled() const {
  if (!std::isfinite(goal_))
    return false;
  std::lock_guard<std::mutex> hold(lock_);
  return held_.covered >= goal_ - tolerance_ ||
         held_.upper < goal_ - tolerance_;
}
