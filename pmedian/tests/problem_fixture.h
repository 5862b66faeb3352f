#pragma once

// Small problems for the solver's tests, and their optimum by enumeration.

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <functional>
#include <vector>

#include "pmedian/median_search.h"
#include "pmedian/pmed_data.h"
#include "pmedian/random_stream.h"

// Points in the unit square; a covering problem covers within `radius` and
// charges the vertex's whole demand (1 … 9) otherwise; a median problem
// charges distance times demand, rounded to whole numbers.
inline PmedProblem randomProblem(int n, int p, bool covering, double radius,
                                 std::uint64_t seed) {
  RandomStream random = randomStream(seed);
  std::vector<double> x(n), y(n);
  std::vector<int> demand(n);
  for (int j = 0; j < n; ++j) {
    x[j] = nextBelow(random, 1000) / 1000.0;
    y[j] = nextBelow(random, 1000) / 1000.0;
    demand[j] = 1 + nextBelow(random, 9);
  }
  PmedProblem problem;
  problem.n = n;
  problem.p = p;
  problem.cost.assign(static_cast<std::size_t>(n) * n, 0.0f);
  for (int i = 0; i < n; ++i) {
    for (int j = 0; j < n; ++j) {
      if (i == j)
        continue;
      double d = std::hypot(x[i] - x[j], y[i] - y[j]);
      problem.cost[i * n + j] =
          covering ? (d <= radius ? 0.0f : static_cast<float>(demand[j]))
                   : static_cast<float>(std::round(d * 100) * demand[j]);
    }
  }
  return problem;
}

// Calls `visit` on every set of p vertices.
inline void forEachSubset(
    int n, int p, const std::function<void(const std::vector<int>&)>& visit) {
  std::vector<int> pick(p);
  for (int k = 0; k < p; ++k)
    pick[k] = k;
  for (;;) {
    visit(pick);
    int k = p - 1;
    while (k >= 0 && pick[k] == n - p + k)
      --k;
    if (k < 0)
      return;
    ++pick[k];
    for (int m = k + 1; m < p; ++m)
      pick[m] = pick[m - 1] + 1;
  }
}

inline double optimalCost(const PmedProblem& problem) {
  double best = INFINITY;
  forEachSubset(problem.n, problem.p, [&](const std::vector<int>& centres) {
    best = std::min(best, medianCost(problem, centres));
  });
  return best;
}
