#include "pmedian/median_search.h"

#include <algorithm>
#include <limits>
#include <queue>

#include "pmedian/random_stream.h"
#include "pmedian/tolerances.h"

namespace {

constexpr double kFar = std::numeric_limits<double>::infinity();
constexpr int kLargestShake = 20;

inline double costAt(const PmedProblem& problem, int i, int j) {
  return problem.cost[static_cast<std::size_t>(i) * problem.n + j];
}

// Finds the two nearest open centres of j from scratch; equal costs go to
// the centre listed first, so that the result does not depend on history
// other than the list order.
void nearestTwo(const PmedProblem& problem, MedianState& state, int j) {
  int first = -1, second = -1;
  double d1 = kFar, d2 = kFar;
  for (int c : state.centres) {
    double d = costAt(problem, c, j);
    if (d < d1) {
      second = first;
      d2 = d1;
      first = c;
      d1 = d;
    } else if (d < d2) {
      second = c;
      d2 = d;
    }
  }
  state.near1[j] = first;
  state.near2[j] = second;
  state.dist1[j] = d1;
  state.dist2[j] = d2;
}

void recomputeLoss(const PmedProblem& problem, MedianState& state) {
  std::fill(state.loss.begin(), state.loss.end(), 0.0);
  state.cost = 0;
  for (int j = 0; j < problem.n; ++j) {
    state.cost += state.dist1[j];
    if (state.near2[j] >= 0)
      state.loss[state.near1[j]] += state.dist2[j] - state.dist1[j];
  }
}

void restoreCentres(const PmedProblem& problem, MedianState& state,
                    const std::vector<int>& best) {
  std::vector<char> wanted(problem.n, 0);
  for (int c : best)
    wanted[c] = 1;
  std::vector<int> leaving, coming;
  for (int c : state.centres)
    if (!wanted[c])
      leaving.push_back(c);
  for (int c : best)
    if (state.position[c] < 0)
      coming.push_back(c);
  for (std::size_t k = 0; k < leaving.size(); ++k)
    swapMedian(problem, state, coming[k], leaving[k]);
}

}  // namespace

double medianTolerance(const PmedProblem&, const MedianState& state) {
  return sumTolerance(state.cost);
}

double medianCost(const PmedProblem& problem, const std::vector<int>& centres) {
  double total = 0;
  for (int j = 0; j < problem.n; ++j) {
    double d = kFar;
    for (int c : centres)
      d = std::min(d, costAt(problem, c, j));
    total += d;
  }
  return total;
}

void setMedianCentres(const PmedProblem& problem, MedianState& state,
                      const std::vector<int>& centres) {
  int n = problem.n;
  state.centres = centres;
  state.position.assign(n, -1);
  for (std::size_t k = 0; k < centres.size(); ++k)
    state.position[centres[k]] = static_cast<int>(k);
  state.near1.assign(n, -1);
  state.near2.assign(n, -1);
  state.dist1.assign(n, kFar);
  state.dist2.assign(n, kFar);
  state.loss.assign(n, 0.0);
  for (int j = 0; j < n; ++j)
    nearestTwo(problem, state, j);
  recomputeLoss(problem, state);
}

int bestSingleCentre(const PmedProblem& problem) {
  int best = 0;
  double bestSum = kFar;
  for (int i = 0; i < problem.n; ++i) {
    if (siteRule(problem, i) < 0)
      continue;
    const float* row =
        problem.cost.data() + static_cast<std::size_t>(i) * problem.n;
    double sum = 0;
    for (int j = 0; j < problem.n; ++j)
      sum += row[j];
    if (sum < bestSum) {
      bestSum = sum;
      best = i;
    }
  }
  return best;
}

std::vector<int> greedyMedian(const PmedProblem& problem, SearchEffort& effort,
                              const std::vector<int>& from) {
  int n = problem.n;
  // The fixed centres and those of `from` open first; without any, the
  // best single centre.
  std::vector<int> centres;
  for (int i = 0; i < n; ++i)
    if (siteRule(problem, i) > 0)
      centres.push_back(i);
  for (int c : from)
    if (siteRule(problem, c) == 0)
      centres.push_back(c);
  if (centres.empty())
    centres.push_back(bestSingleCentre(problem));
  effort.work += static_cast<std::int64_t>(n) * n;
  std::vector<double> nearest(n, kFar);
  std::vector<char> open(n, 0);
  for (int c : centres) {
    open[c] = 1;
    for (int j = 0; j < n; ++j)
      nearest[j] = std::min(nearest[j], costAt(problem, c, j));
  }
  // Lazy greedy: a stale gain is an upper bound of the true one, because a
  // candidate's gain only shrinks as centres open. The candidate on top,
  // once re-priced, is taken if it is still on top.
  auto gainOf = [&](int a) {
    const float* row = problem.cost.data() + static_cast<std::size_t>(a) * n;
    double g = 0;
    for (int j = 0; j < n; ++j)
      if (row[j] < nearest[j])
        g += nearest[j] - row[j];
    effort.work += n;
    return g;
  };
  // Larger gain first, then lower index.
  auto below = [](const std::pair<double, int>& x,
                  const std::pair<double, int>& y) {
    return x.first < y.first || (x.first == y.first && x.second > y.second);
  };
  std::priority_queue<std::pair<double, int>,
                      std::vector<std::pair<double, int>>, decltype(below)>
      queue(below);
  for (int a = 0; a < n; ++a)
    if (!open[a] && siteRule(problem, a) >= 0)
      queue.push({gainOf(a), a});
  while (static_cast<int>(centres.size()) < problem.p && !queue.empty()) {
    auto [stale, a] = queue.top();
    queue.pop();
    double fresh = gainOf(a);
    if (!queue.empty() && below({fresh, a}, queue.top())) {
      queue.push({fresh, a});
      continue;
    }
    centres.push_back(a);
    open[a] = 1;
    const float* row = problem.cost.data() + static_cast<std::size_t>(a) * n;
    for (int j = 0; j < n; ++j)
      nearest[j] = std::min<double>(nearest[j], row[j]);
  }
  return centres;
}

MedianSwap bestMedianSwap(const PmedProblem& problem, const MedianState& state,
                          SearchEffort& effort) {
  MedianSwap best;
  int n = problem.n;
  static thread_local std::vector<double> netLoss;
  netLoss.assign(n, 0.0);
  for (int a = 0; a < n; ++a) {
    if (state.position[a] >= 0 || siteRule(problem, a) < 0)
      continue;
    // Opening a saves `profit` on the vertices it is nearer to; closing r
    // then costs loss[r] less what a takes over from r's customers.
    for (int r : state.centres)
      netLoss[r] = state.loss[r];
    const float* row = problem.cost.data() + static_cast<std::size_t>(a) * n;
    double profit = 0;
    for (int j = 0; j < n; ++j) {
      double d = row[j];
      double d1 = state.dist1[j];
      if (d < d1) {
        profit += d1 - d;
        netLoss[state.near1[j]] -= state.dist2[j] - d1;
      } else if (d < state.dist2[j]) {
        netLoss[state.near1[j]] -= state.dist2[j] - d;
      }
    }
    effort.work += n + static_cast<std::int64_t>(state.centres.size());
    for (int r : state.centres) {
      double delta = profit - netLoss[r];
      if (siteRule(problem, r) == 0 && (best.in < 0 || delta > best.delta))
        best = {a, r, delta};
    }
  }
  return best;
}

void swapMedian(const PmedProblem& problem, MedianState& state, int in,
                int out) {
  int slot = state.position[out];
  state.centres[slot] = in;
  state.position[in] = slot;
  state.position[out] = -1;
  const float* row =
      problem.cost.data() + static_cast<std::size_t>(in) * problem.n;
  for (int j = 0; j < problem.n; ++j) {
    if (state.near1[j] == out || state.near2[j] == out) {
      nearestTwo(problem, state, j);
      continue;
    }
    double d = row[j];
    if (d < state.dist1[j]) {
      state.near2[j] = state.near1[j];
      state.dist2[j] = state.dist1[j];
      state.near1[j] = in;
      state.dist1[j] = d;
    } else if (d < state.dist2[j]) {
      state.near2[j] = in;
      state.dist2[j] = d;
    }
  }
  recomputeLoss(problem, state);
}

void improveMedian(const PmedProblem& problem, MedianState& state,
                   SearchEffort& effort) {
  if (state.centres.size() < 2)
    return;
  for (;;) {
    MedianSwap swap = bestMedianSwap(problem, state, effort);
    if (swap.in < 0 || swap.delta <= medianTolerance(problem, state))
      return;
    swapMedian(problem, state, swap.in, swap.out);
  }
}

void searchMedian(const PmedProblem& problem, MedianState& state,
                  std::uint64_t seed, double target, std::int64_t staleRounds,
                  SearchEffort& effort) {
  int n = problem.n;
  int p = problem.p;
  // How many centres a swap may close (the open ones not fixed) and open
  // (the closed allowed ones): p and n - p when every site is free.
  int closable = p, openable = n - p;
  for (int rule : problem.site) {
    closable -= rule > 0;
    openable -= rule < 0;
  }
  if (p < 2 || closable < 1 || openable < 1)
    return;
  int largest = std::min({kLargestShake, closable, openable});
  RandomStream random = randomStream(seed);
  std::vector<int> best = state.centres;
  double bestCost = state.cost;
  std::int64_t stale = 0;
  int k = 1;
  while (effortLeft(effort) && stale < staleRounds &&
         bestCost > target + medianTolerance(problem, state)) {
    ++effort.rounds;
    ++stale;
    for (int step = 0; step < k; ++step) {
      int out;
      do {
        out = state.centres[nextBelow(random, p)];
      } while (siteRule(problem, out) > 0);
      int in;
      do {
        in = nextBelow(random, n);
      } while (state.position[in] >= 0 || siteRule(problem, in) < 0);
      swapMedian(problem, state, in, out);
    }
    improveMedian(problem, state, effort);
    double tolerance = medianTolerance(problem, state);
    if (state.cost < bestCost - tolerance) {
      bestCost = state.cost;
      best = state.centres;
      stale = 0;
      k = 1;
      markBest(effort, best, bestCost);
    } else {
      restoreCentres(problem, state, best);
      k = k % largest + 1;
    }
  }
  restoreCentres(problem, state, best);
}
