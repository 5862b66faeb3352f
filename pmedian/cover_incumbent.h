#pragma once

#include <mutex>
#include <vector>

// The best covering answer known to a solve and the proven upper bound on
// coverage, with the phase each came from: one record that every phase
// reads and improves, from either of two threads.

// How an answer offered to the incumbent stands against an equal one (equal
// within the tolerance):
//   kBetter  taken only when better;
//   kAnswer  a lane's answer: it also replaces an equal answer that is not
//            proven optimal, so that a lane's later answer stands over its
//            earlier ones and over the other lane's unproven one;
//   kOptimal proven optimal: it replaces any equal answer, and no equal one
//            replaces it.
// The rules make the answer kept the same whichever lane offers first.
enum class Claim { kBetter, kAnswer, kOptimal };

// What the incumbent holds at one moment.
struct IncumbentView {
  std::vector<int> centres;  // empty until the first answer
  double covered = 0;
  double upper = 0;          // proven upper bound on coverage
  bool optimal = false;      // the answer came proven optimal
  const char* foundBy = "";  // the phase that found the answer
  const char* boundBy = "";  // the phase that proved the bound
  double secondsFound = 0;   // when the answer's coverage was first reached
};

class CoverIncumbent {
 public:
  // An incumbent with no answer and the bound `total` (all demand covered);
  // values apart by less than `tolerance` are equal; bounds are rounded
  // down to whole numbers when demands are `whole`.
  CoverIncumbent(double total, double tolerance, bool whole);

  // Offers `centres` covering `covered`, found by `phase` at `seconds`;
  // true when taken. Notes a better coverage on the progress line.
  bool offer(const std::vector<int>& centres, double covered, Claim claim,
             const char* phase, double seconds);

  // Offers the upper bound `upper`, proven by `phase`; returns the bound
  // held after it, never below the coverage held.
  double offerBound(double upper, const char* phase);

  // A copy of what is held now.
  IncumbentView view() const;

  // True while the bound is above the coverage by the tolerance.
  bool gapOpen() const;

  // True when `covered` and `upper` still leave room for a better answer.
  bool gapBetween(double covered, double upper) const;

  // Sets the coverage that settles the solve's question: an answer that
  // reaches it, or a bound below it, ends the solve as a proof would,
  // without being a proof of optimality.
  void setGoal(double coverage);

  // True once the answer or the bound held settles the goal set; false
  // without one.
  bool goalSettled() const;

  // The goal set; infinity without one.
  double goal() const { return goal_; }

  double tolerance() const { return tolerance_; }
  bool whole() const { return whole_; }

 private:
  mutable std::mutex lock_;
  IncumbentView held_;
  double tolerance_;
  bool whole_;
  double goal_;
};
