#pragma once

// Small problems for the solver's tests, and their optimum by enumeration.

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <functional>
#include <vector>

#include "common/pmed_file.h"
#include "pmedian/median_search.h"
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

// A covering problem given by its cover lists: centre i covers itself and
// `covers[i]`; vertex j has demand `demand[j]`.
inline PmedProblem coverProblem(int p,
                                const std::vector<std::vector<int>>& covers,
                                const std::vector<float>& demand) {
  int n = static_cast<int>(demand.size());
  PmedProblem problem;
  problem.n = n;
  problem.p = p;
  problem.cost.assign(static_cast<std::size_t>(n) * n, 0.0f);
  for (int i = 0; i < n; ++i)
    for (int j = 0; j < n; ++j)
      if (i != j &&
          std::find(covers[i].begin(), covers[i].end(), j) == covers[i].end())
        problem.cost[static_cast<std::size_t>(i) * n + j] = demand[j];
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

// True when `centres` are p distinct vertices that open every fixed site
// and no forbidden one of `problem`.
inline bool honoursSites(const PmedProblem& problem,
                         const std::vector<int>& centres) {
  std::vector<char> open(problem.n, 0);
  for (int c : centres) {
    if (c < 0 || c >= problem.n || open[c])
      return false;
    open[c] = 1;
  }
  for (int i = 0; i < problem.n && !problem.site.empty(); ++i)
    if ((problem.site[i] > 0 && !open[i]) || (problem.site[i] < 0 && open[i]))
      return false;
  return static_cast<int>(centres.size()) == problem.p;
}

// The least cost of p centres that honour the problem's site rules.
inline double optimalCost(const PmedProblem& problem) {
  double best = INFINITY;
  forEachSubset(problem.n, problem.p, [&](const std::vector<int>& centres) {
    if (honoursSites(problem, centres))
      best = std::min(best, medianCost(problem, centres));
  });
  return best;
}

// True when `centres`, each dominated centre replaced by its dominator
// (which covers no less), open every candidate `fixed` at +1 and none fixed
// at -1, as every solution better than the fixing's line must.
inline bool keepsFixes(const std::vector<int>& fixed,
                       const std::vector<int>& dominator,
                       const std::vector<int>& centres) {
  std::vector<char> open(fixed.size(), 0);
  for (int c : centres)
    open[dominator[c] >= 0 ? dominator[c] : c] = 1;
  for (std::size_t i = 0; i < fixed.size(); ++i)
    if ((fixed[i] < 0 && open[i]) || (fixed[i] > 0 && !open[i]))
      return false;
  return true;
}

// Random site rules for `problem`: up to p - 1 fixed sites and about a
// third of the others forbidden, leaving at least p + 1 allowed.
inline void randomSites(PmedProblem& problem, std::uint64_t seed) {
  RandomStream random = randomStream(seed * 7919 + 1);
  int n = problem.n;
  int p = problem.p;
  problem.site.assign(n, 0);
  int fixed = p > 1 ? nextBelow(random, p) : 0;
  int allowed = n;
  for (int k = 0; k < 3 * n; ++k) {
    int v = nextBelow(random, n);
    if (problem.site[v] != 0)
      continue;
    if (fixed > 0) {
      problem.site[v] = 1;
      --fixed;
    } else if (allowed > p + 1 && nextBelow(random, 3) == 0) {
      problem.site[v] = -1;
      --allowed;
    }
  }
}
