#include "pmedian/cover_model.h"

#include <cmath>

bool buildCoverModel(const PmedProblem& problem, CoverModel& model) {
  int n = problem.n;
  const float* cost = problem.cost.data();
  // Row by row, as the matrix is stored: -1 marks a column with no positive
  // value seen yet.
  std::vector<float> value(n, -1.0f);
  for (int i = 0; i < n; ++i) {
    const float* row = cost + static_cast<std::size_t>(i) * n;
    for (int j = 0; j < n; ++j) {
      float c = row[j];
      if (c == 0) continue;
      if (value[j] < 0)
        value[j] = c;
      else if (value[j] != c)
        return false;
    }
  }
  model.n = n;
  model.p = problem.p;
  model.weight.assign(n, 0.0);
  model.totalWeight = 0;
  model.integral = true;
  for (int j = 0; j < n; ++j) {
    double w = value[j] > 0 ? value[j] : 0.0;
    model.weight[j] = w;
    model.totalWeight += w;
    if (w != std::floor(w)) model.integral = false;
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

double uncoveredDemand(const CoverModel& model,
                       const std::vector<int>& centres) {
  std::vector<char> covered(model.n, 0);
  for (int c : centres)
    for (int k = model.coverStart[c]; k < model.coverStart[c + 1]; ++k)
      covered[model.coverList[k]] = 1;
  double left = 0;
  for (int j = 0; j < model.n; ++j)
    if (!covered[j]) left += model.weight[j];
  return left;
}
