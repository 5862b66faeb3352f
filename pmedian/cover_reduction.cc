#include "pmedian/cover_reduction.h"

#include <algorithm>
#include <cstdint>
#include <unordered_map>

namespace {

// Rebuilds both lists from the cover relation in `model.coverList`, keeping
// only vertices whose demand is still positive, and no forbidden candidate.
void keepWeightedVertices(CoverModel& model) {
  int n = model.n;
  std::vector<int> coverStart(n + 1, 0);
  std::vector<int> coverList;
  coverList.reserve(model.coverList.size());
  for (int i = 0; i < n; ++i) {
    if (siteRule(model, i) < 0) {
      coverStart[i + 1] = static_cast<int>(coverList.size());
      continue;
    }
    for (int k = model.coverStart[i]; k < model.coverStart[i + 1]; ++k) {
      int j = model.coverList[k];
      if (model.weight[j] > 0)
        coverList.push_back(j);
    }
    coverStart[i + 1] = static_cast<int>(coverList.size());
  }
  std::vector<int> byStart(n + 1, 0);
  for (int j : coverList)
    ++byStart[j + 1];
  for (int j = 0; j < n; ++j)
    byStart[j + 1] += byStart[j];
  std::vector<int> byList(coverList.size());
  std::vector<int> fill(byStart.begin(), byStart.end() - 1);
  for (int i = 0; i < n; ++i)
    for (int k = coverStart[i]; k < coverStart[i + 1]; ++k)
      byList[fill[coverList[k]]++] = i;
  model.coverStart = std::move(coverStart);
  model.coverList = std::move(coverList);
  model.byStart = std::move(byStart);
  model.byList = std::move(byList);
}

}  // namespace

void dropForbiddenSites(CoverModel& model) {
  if (allowedCount(model) < model.n)
    keepWeightedVertices(model);
}

int mergeIdenticalDemands(CoverModel& model) {
  int n = model.n;
  // Covering lists are sorted by candidate; equal lists hash alike, and a
  // hash match is confirmed by comparing the lists.
  std::unordered_multimap<std::uint64_t, int> seen;
  seen.reserve(static_cast<std::size_t>(n));
  int merged = 0;
  for (int j = 0; j < n; ++j) {
    if (model.weight[j] <= 0)
      continue;
    const int* list = model.byList.data() + model.byStart[j];
    int size = model.byStart[j + 1] - model.byStart[j];
    std::uint64_t hash = 1469598103934665603ull ^ static_cast<unsigned>(size);
    for (int m = 0; m < size; ++m)
      hash = (hash ^ static_cast<std::uint64_t>(list[m])) * 1099511628211ull;
    auto [from, to] = seen.equal_range(hash);
    int into = -1;
    for (auto it = from; it != to && into < 0; ++it) {
      int r = it->second;
      if (model.byStart[r + 1] - model.byStart[r] == size &&
          std::equal(list, list + size, model.byList.data() + model.byStart[r]))
        into = r;
    }
    if (into < 0) {
      seen.emplace(hash, j);
      continue;
    }
    model.weight[into] += model.weight[j];
    model.weight[j] = 0;
    ++merged;
  }
  if (merged > 0)
    keepWeightedVertices(model);
  return merged;
}

namespace {

// The Lagrangean bound at the multipliers behind `value` (the sum of mu over
// each cover list), as fixByReducedCosts forces candidates in and out.
struct ReducedBound {
  std::vector<int> order;  // free undominated candidates, largest value first
  int take = 0;            // how many of them the bound takes
  double bound = 0;        // sum max(0, w - mu) + fixed values + taken values
};

ReducedBound reducedBound(const CoverModel& model,
                          const std::vector<double>& mu,
                          const std::vector<double>& value) {
  // Only undominated candidates count: with copies of one cover list among
  // the largest values the bound would take that list several times.
  std::vector<int> dominator = dominatingCandidates(model);
  ReducedBound reduced;
  reduced.take = model.p;
  for (int j = 0; j < model.n; ++j)
    reduced.bound += std::max(0.0, model.weight[j] - mu[j]);
  for (int i = 0; i < model.n; ++i) {
    if (siteRule(model, i) > 0) {
      reduced.bound += value[i];
      --reduced.take;
    } else if (siteRule(model, i) == 0 && dominator[i] < 0) {
      reduced.order.push_back(i);
    }
  }
  std::sort(reduced.order.begin(), reduced.order.end(), [&](int x, int y) {
    return value[x] > value[y] || (value[x] == value[y] && x < y);
  });
  int count = static_cast<int>(reduced.order.size());
  for (int k = 0; k < std::min(reduced.take, count); ++k)
    reduced.bound += value[reduced.order[k]];
  return reduced;
}

}  // namespace

std::vector<int> fixByReducedCosts(const CoverModel& model,
                                   const std::vector<double>& mu, double lower,
                                   double margin) {
  int n = model.n;
  // The site rules hold whatever the bound says.
  std::vector<int> fixed =
      model.site.empty() ? std::vector<int>(n, 0) : model.site;
  // L(mu) = sum max(0, w_j - mu_j) + the fixed values + the largest free
  // ones, a value being the sum of mu over a cover list. Forcing a
  // candidate in or out changes only which values are summed.
  std::vector<double> value(n, 0.0);
  for (int i = 0; i < n; ++i)
    for (int k = model.coverStart[i]; k < model.coverStart[i + 1]; ++k)
      value[i] += mu[model.coverList[k]];
  ReducedBound reduced = reducedBound(model, mu, value);
  const std::vector<int>& order = reduced.order;
  int take = reduced.take;
  int count = static_cast<int>(order.size());
  if (take <= 0 || take >= count)
    return fixed;
  double last = value[order[take - 1]];  // the smallest value taken
  double next = value[order[take]];      // the largest value left out
  // Sums carry rounding; a fix needs its bound clearly below the line.
  double line = lower + margin - sumTolerance(lower);
  for (int k = 0; k < count; ++k) {
    int i = order[k];
    if (k < take) {
      if (reduced.bound - value[i] + next < line)
        fixed[i] = 1;
    } else if (reduced.bound - last + value[i] < line) {
      fixed[i] = -1;
    }
  }
  return fixed;
}
