#include "pmedian/cover_model.h"

#include <cmath>

namespace {

// The one positive value of each column (-1 where there is none), read row
// by row as the matrix is stored; false when a column has two.
bool columnValues(const PmedProblem& problem, std::vector<float>& value) {
  int n = problem.n;
  value.assign(n, -1.0f);
  for (int i = 0; i < n; ++i) {
    const float* row = problem.cost.data() + static_cast<std::size_t>(i) * n;
    for (int j = 0; j < n; ++j) {
      float c = row[j];
      if (c == 0)
        continue;
      if (value[j] < 0)
        value[j] = c;
      else if (value[j] != c)
        return false;
    }
  }
  return true;
}

}  // namespace

bool buildCoverModel(const PmedProblem& problem, CoverModel& model) {
  int n = problem.n;
  const float* cost = problem.cost.data();
  std::vector<float> value;
  if (!columnValues(problem, value))
    return false;
  model.n = n;
  model.p = problem.p;
  model.site = problem.site;
  model.weight.assign(n, 0.0);
  model.totalWeight = 0;
  model.integral = true;
  for (int j = 0; j < n; ++j) {
    double w = value[j] > 0 ? value[j] : 0.0;
    model.weight[j] = w;
    model.totalWeight += w;
    if (w != std::floor(w))
      model.integral = false;
  }
  model.coverStart.assign(n + 1, 0);
  model.byStart.assign(n + 1, 0);
  for (int i = 0; i < n; ++i) {
    const float* row = cost + static_cast<std::size_t>(i) * n;
    for (int j = 0; j < n; ++j) {
      if (row[j] == 0 && model.weight[j] > 0) {
        ++model.coverStart[i + 1];
        ++model.byStart[j + 1];
      }
    }
  }
  for (int i = 0; i < n; ++i) {
    model.coverStart[i + 1] += model.coverStart[i];
    model.byStart[i + 1] += model.byStart[i];
  }
  model.coverList.resize(model.coverStart[n]);
  model.byList.resize(model.byStart[n]);
  std::vector<int> byFill(model.byStart.begin(), model.byStart.end() - 1);
  for (int i = 0; i < n; ++i) {
    const float* row = cost + static_cast<std::size_t>(i) * n;
    int fill = model.coverStart[i];
    for (int j = 0; j < n; ++j) {
      if (row[j] == 0 && model.weight[j] > 0) {
        model.coverList[fill++] = j;
        model.byList[byFill[j]++] = i;
      }
    }
  }
  return true;
}

void buildCoverModel(const CoverLists& lists, const std::vector<int>& site,
                     CoverModel& model) {
  int n = lists.n;
  model.n = n;
  model.p = lists.p;
  model.site = site;
  // How many candidates cover each vertex, itself included.
  std::vector<int> covers(n, 1);
  for (int32_t j : lists.vertex)
    ++covers[j];
  model.weight.assign(n, 0.0);
  model.totalWeight = 0;
  model.integral = true;
  for (int j = 0; j < n; ++j) {
    // The dense file carries each demand as a single-precision cost.
    double w = covers[j] < n ? static_cast<float>(lists.demand[j]) : 0.0f;
    model.weight[j] = w;
    model.totalWeight += w;
    if (w != std::floor(w))
      model.integral = false;
  }
  model.coverStart.assign(n + 1, 0);
  model.coverList.clear();
  model.coverList.reserve(lists.vertex.size() + n);
  model.byStart.assign(n + 1, 0);
  for (int i = 0; i < n; ++i) {
    // The list of i with i itself in its place, weighted vertices only.
    bool selfDone = false;
    auto add = [&](int j) {
      if (model.weight[j] > 0) {
        model.coverList.push_back(j);
        ++model.byStart[j + 1];
      }
    };
    for (int64_t k = lists.start[i]; k < lists.start[i + 1]; ++k) {
      int j = lists.vertex[k];
      if (!selfDone && j > i) {
        add(i);
        selfDone = true;
      }
      add(j);
    }
    if (!selfDone)
      add(i);
    model.coverStart[i + 1] = static_cast<int>(model.coverList.size());
  }
  for (int j = 0; j < n; ++j)
    model.byStart[j + 1] += model.byStart[j];
  model.byList.resize(model.byStart[n]);
  std::vector<int> byFill(model.byStart.begin(), model.byStart.end() - 1);
  for (int i = 0; i < n; ++i)
    for (int k = model.coverStart[i]; k < model.coverStart[i + 1]; ++k)
      model.byList[byFill[model.coverList[k]]++] = i;
}

namespace {

// True when the sorted list a is a subset of the sorted list b.
bool sortedSubset(const int* a, int aSize, const int* b, int bSize) {
  int k = 0;
  for (int m = 0; m < aSize; ++m) {
    while (k < bSize && b[k] < a[m])
      ++k;
    if (k == bSize || b[k] != a[m])
      return false;
    ++k;
  }
  return true;
}

}  // namespace

namespace {

// The candidate that stands in for those covering nothing: the first
// allowed one that covers something, else the first allowed one of all.
int standIn(const CoverModel& model) {
  int first = -1;
  for (int i = 0; i < model.n; ++i) {
    if (siteRule(model, i) < 0)
      continue;
    if (model.coverStart[i + 1] > model.coverStart[i])
      return i;
    if (first < 0)
      first = i;
  }
  return first;
}

// An allowed candidate not yet dominated whose list holds that of i (of
// `size` entries), larger or equal and of lower index; -1 when none.
int dominatorOf(const CoverModel& model, const std::vector<int>& by, int i) {
  const int* list = model.coverList.data() + model.coverStart[i];
  int size = model.coverStart[i + 1] - model.coverStart[i];
  // Every dominating candidate covers the element covered by fewest.
  int rarest = list[0];
  for (int m = 1; m < size; ++m)
    if (model.byStart[list[m] + 1] - model.byStart[list[m]] <
        model.byStart[rarest + 1] - model.byStart[rarest])
      rarest = list[m];
  for (int b = model.byStart[rarest]; b < model.byStart[rarest + 1]; ++b) {
    int k = model.byList[b];
    if (k == i || by[k] >= 0 || siteRule(model, k) < 0)
      continue;
    const int* other = model.coverList.data() + model.coverStart[k];
    int otherSize = model.coverStart[k + 1] - model.coverStart[k];
    // Larger lists, or equal ones of lower index, dominate: a strict
    // order, so every chain of dominance ends.
    if (otherSize < size || (otherSize == size && k > i))
      continue;
    if (sortedSubset(list, size, other, otherSize))
      return k;
  }
  return -1;
}

}  // namespace

std::vector<int> dominatingCandidates(const CoverModel& model) {
  int n = model.n;
  std::vector<int> by(n, -1);
  int stand = standIn(model);
  for (int i = 0; i < n; ++i) {
    // A fixed centre is open whatever covers more; a forbidden one is no
    // candidate at all.
    if (siteRule(model, i) != 0)
      continue;
    if (model.coverStart[i + 1] == model.coverStart[i])
      by[i] = stand != i ? stand : -1;
    else
      by[i] = dominatorOf(model, by, i);
  }
  for (int i = 0; i < n; ++i) {
    int k = by[i];
    while (k >= 0 && by[k] >= 0)
      k = by[k];
    by[i] = k;
  }
  return by;
}

int fixedCount(const CoverModel& model) {
  int count = 0;
  for (int rule : model.site)
    count += rule > 0;
  return count;
}

int allowedCount(const CoverModel& model) {
  int count = model.n;
  for (int rule : model.site)
    count -= rule < 0;
  return count;
}

double uncoveredDemand(const CoverModel& model,
                       const std::vector<int>& centres) {
  std::vector<char> covered(model.n, 0);
  for (int c : centres)
    for (int k = model.coverStart[c]; k < model.coverStart[c + 1]; ++k)
      covered[model.coverList[k]] = 1;
  double left = 0;
  for (int j = 0; j < model.n; ++j)
    if (!covered[j])
      left += model.weight[j];
  return left;
}
