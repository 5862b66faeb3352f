#include "pmedian/lagrange_bound.h"

#include <algorithm>
#include <limits>
#include <numeric>
#include <vector>

#include "pmedian/tolerances.h"

namespace {

// Subgradient steps start at this fraction of the gap and halve after this
// many steps without a better bound.
constexpr double kFirstStep = 2.0;
constexpr int kPatience = 20;
constexpr double kSmallestStep = 1e-4;

}  // namespace

double medianLowerBound(const PmedProblem& problem, double upper, bool whole,
                        int iterations) {
  double tolerance = valueTolerance(whole, upper);
  int n = problem.n;
  int p = problem.p;
  // Start each multiplier at the cost of the cheapest other server of j.
  std::vector<double> lambda(n, 0.0);
  if (n > 1) {
    std::fill(lambda.begin(), lambda.end(), std::numeric_limits<double>::max());
    for (int i = 0; i < n; ++i) {
      const float* row = problem.cost.data() + static_cast<std::size_t>(i) * n;
      for (int j = 0; j < n; ++j)
        if (j != i)
          lambda[j] = std::min<double>(lambda[j], row[j]);
    }
  }
  std::vector<double> rho(n);
  std::vector<int> order(n);
  std::vector<double> served(n);
  double best = 0;
  double step = kFirstStep;
  int idle = 0;
  for (int it = 0; it < iterations && step > kSmallestStep; ++it) {
    // L(lambda) = sum lambda_j + the p smallest rho_i, where rho_i is what
    // opening i earns against the multipliers.
    for (int i = 0; i < n; ++i) {
      const float* row = problem.cost.data() + static_cast<std::size_t>(i) * n;
      double r = 0;
      for (int j = 0; j < n; ++j)
        r += std::min(0.0, row[j] - lambda[j]);
      rho[i] = r;
    }
    std::iota(order.begin(), order.end(), 0);
    std::nth_element(order.begin(), order.begin() + (p - 1), order.end(),
                     [&](int x, int y) {
                       return rho[x] < rho[y] || (rho[x] == rho[y] && x < y);
                     });
    double value = std::accumulate(lambda.begin(), lambda.end(), 0.0);
    for (int k = 0; k < p; ++k)
      value += rho[order[k]];
    if (value > best + sumTolerance(best)) {
      best = value;
      idle = 0;
    } else if (++idle >= kPatience) {
      step /= 2;
      idle = 0;
    }
    if (settleLowerBound(whole, best) >= upper - tolerance)
      break;
    // Subgradient: 1 minus the number of chosen centres that serve j.
    std::fill(served.begin(), served.end(), 1.0);
    for (int k = 0; k < p; ++k) {
      const float* row =
          problem.cost.data() + static_cast<std::size_t>(order[k]) * n;
      for (int j = 0; j < n; ++j)
        if (row[j] < lambda[j])
          served[j] -= 1.0;
    }
    double norm = 0;
    for (double g : served)
      norm += g * g;
    if (norm == 0)
      break;  // the relaxed solution is feasible: optimal
    double t = step * (upper - value) / norm;
    for (int j = 0; j < n; ++j)
      lambda[j] = std::max(0.0, lambda[j] + t * served[j]);
  }
  return settleLowerBound(whole, std::min(best, upper));
}

double coverUpperBound(const CoverModel& model, double lower, int iterations,
                       std::vector<double>* multipliers) {
  double tolerance = coverTolerance(model);
  if (multipliers)
    multipliers->clear();
  int n = model.n;
  int p = model.p;
  // Start with each vertex's demand shared among the candidates covering it.
  std::vector<double> mu(n, 0.0);
  for (int j = 0; j < n; ++j) {
    int count = model.byStart[j + 1] - model.byStart[j];
    if (count > 0)
      mu[j] = model.weight[j] / count;
  }
  std::vector<double> value(n);
  std::vector<int> order(n);
  std::vector<double> slope(n);
  double best = model.totalWeight;
  double step = kFirstStep;
  int idle = 0;
  for (int it = 0; it < iterations && step > kSmallestStep; ++it) {
    // L(mu) = sum max(0, w_j - mu_j) + the p largest sums of mu over a
    // cover list.
    double bound = 0;
    for (int j = 0; j < n; ++j)
      bound += std::max(0.0, model.weight[j] - mu[j]);
    for (int i = 0; i < n; ++i) {
      double v = 0;
      for (int k = model.coverStart[i]; k < model.coverStart[i + 1]; ++k)
        v += mu[model.coverList[k]];
      value[i] = v;
    }
    std::iota(order.begin(), order.end(), 0);
    std::nth_element(
        order.begin(), order.begin() + (p - 1), order.end(), [&](int x, int y) {
          return value[x] > value[y] || (value[x] == value[y] && x < y);
        });
    for (int k = 0; k < p; ++k)
      bound += value[order[k]];
    if (bound < best - sumTolerance(best)) {
      best = bound;
      idle = 0;
      if (multipliers)
        *multipliers = mu;
    } else if (++idle >= kPatience) {
      step /= 2;
      idle = 0;
    }
    if (settleUpperBound(model.integral, best) <= lower + tolerance)
      break;
    // Subgradient of the minimisation: y_j less the chosen centres that
    // cover j.
    for (int j = 0; j < n; ++j)
      slope[j] = model.weight[j] > mu[j] ? 1.0 : 0.0;
    for (int k = 0; k < p; ++k) {
      int i = order[k];
      for (int m = model.coverStart[i]; m < model.coverStart[i + 1]; ++m)
        slope[model.coverList[m]] -= 1.0;
    }
    double norm = 0;
    for (double g : slope)
      norm += g * g;
    if (norm == 0)
      break;
    double t = step * (bound - lower) / norm;
    for (int j = 0; j < n; ++j)
      mu[j] = std::max(0.0, mu[j] + t * slope[j]);
  }
  if (multipliers && multipliers->empty())
    *multipliers = mu;
  return settleUpperBound(model.integral, std::max(best, lower));
}
