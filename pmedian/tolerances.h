#pragma once

// The numeric tolerances of the solver, in one place, named for what they
// compare. Coverage and cost are sums of single-precision values held in
// doubles: whole numbers stay exact, other values carry rounding.

#include <cmath>

// Slack of a sum against rounding, relative to its size.
constexpr double kRelativeSlack = 1e-9;
// Two whole numbers that differ by less than this are equal.
constexpr double kWholeTolerance = 0.5;
// Rounding that a bound (a subgradient sum, a simplex value) may carry
// before it is rounded to a whole number.
constexpr double kBoundRounding = 1e-6;
// The least improvement branch and cut looks for: just under 1 between
// whole coverages, so that it prunes every node less than one above its
// best; a hair otherwise.
constexpr double kWholeIncrement = 0.999;
constexpr double kFractionalIncrement = 1e-6;

// The rounding slack of a sum of size `size`.
inline double sumTolerance(double size) {
  return kRelativeSlack * (1.0 + std::abs(size));
}

// The smallest difference taken as one between two values (coverages or
// costs) of size about `size`: whole or not.
inline double valueTolerance(bool whole, double size) {
  return whole ? kWholeTolerance : sumTolerance(size);
}

// The least a better answer than `size` beats it by: the next whole number
// when values are whole.
inline double leastGain(bool whole, double size) {
  return whole ? 1.0 : sumTolerance(size);
}

// A bound from above on a whole optimum is a whole number: rounds down.
inline double settleUpperBound(bool whole, double bound) {
  return whole ? std::floor(bound + kBoundRounding) : bound;
}

// A bound from below on a whole optimum: rounds up.
inline double settleLowerBound(bool whole, double bound) {
  return whole ? std::ceil(bound - kBoundRounding) : bound;
}
