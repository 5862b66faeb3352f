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

// Into `taken`, the p centres that a relaxed solution opens under the site
// rules: the first of the `free` ones in the order `first`, then the `fixed`
// ones.
template <typename First>
void takeCentres(const std::vector<int>& free, const std::vector<int>& fixed,
                 int p, First first, std::vector<int>& taken) {
  int take = p - static_cast<int>(fixed.size());
  taken = free;
  if (take > 0)
    std::nth_element(taken.begin(), taken.begin() + (take - 1), taken.end(),
                     first);
  taken.resize(static_cast<std::size_t>(std::max(take, 0)));
  taken.insert(taken.end(), fixed.begin(), fixed.end());
}

// The free and the fixed candidates of `problem` (or model), in order; the
// forbidden ones are in neither.
template <typename Problem>
void splitSites(const Problem& problem, int n, std::vector<int>& free,
                std::vector<int>& fixed) {
  for (int i = 0; i < n; ++i) {
    if (siteRule(problem, i) > 0)
      fixed.push_back(i);
    else if (siteRule(problem, i) == 0)
      free.push_back(i);
  }
}

// Steps `lambda` along the subgradient, 1 minus the number of the `taken`
// centres that serve j, by `scale` over its squared norm; false when the
// subgradient is 0.
bool stepMedianMultipliers(const PmedProblem& problem,
                           const std::vector<int>& taken, double scale,
                           std::vector<double>& lambda,
                           std::vector<double>& served) {
  int n = problem.n;
  std::fill(served.begin(), served.end(), 1.0);
  for (int i : taken) {
    const float* row = problem.cost.data() + static_cast<std::size_t>(i) * n;
    for (int j = 0; j < n; ++j)
      if (row[j] < lambda[j])
        served[j] -= 1.0;
  }
  double norm = 0;
  for (double g : served)
    norm += g * g;
  if (norm == 0)
    return false;
  double t = scale / norm;
  for (int j = 0; j < n; ++j)
    lambda[j] = std::max(0.0, lambda[j] + t * served[j]);
  return true;
}

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
  std::vector<int> free, fixed, order;
  splitSites(problem, n, free, fixed);
  std::vector<double> rho(n);
  std::vector<double> served(n);
  double best = 0;
  double step = kFirstStep;
  int idle = 0;
  for (int it = 0; it < iterations && step > kSmallestStep; ++it) {
    // L(lambda) = sum lambda_j + the p smallest rho_i that the site rules
    // allow, where rho_i is what opening i earns against the multipliers.
    for (int i = 0; i < n; ++i) {
      const float* row = problem.cost.data() + static_cast<std::size_t>(i) * n;
      double r = 0;
      for (int j = 0; j < n; ++j)
        r += std::min(0.0, row[j] - lambda[j]);
      rho[i] = r;
    }
    takeCentres(
        free, fixed, p,
        [&](int x, int y) {
          return rho[x] < rho[y] || (rho[x] == rho[y] && x < y);
        },
        order);
    double value = std::accumulate(lambda.begin(), lambda.end(), 0.0);
    for (int i : order)
      value += rho[i];
    if (value > best + sumTolerance(best)) {
      best = value;
      idle = 0;
    } else if (++idle >= kPatience) {
      step /= 2;
      idle = 0;
    }
    if (settleLowerBound(whole, best) >= upper - tolerance)
      break;
    // A subgradient of 0: the relaxed solution is feasible, so optimal.
    if (!stepMedianMultipliers(problem, order, step * (upper - value), lambda,
                               served))
      break;
  }
  return settleLowerBound(whole, std::min(best, upper));
}

namespace {

// The Lagrangean bound of the covering problem at `mu`: sum max(0, w_j -
// mu_j), plus the values of the p candidates taken, a value being the sum
// of mu over a cover list: the largest of the `free` ones, then the `fixed`
// ones. `taken` receives them; `value` is room for the values.
double coverLagrangean(const CoverModel& model, const std::vector<double>& mu,
                       const std::vector<int>& free,
                       const std::vector<int>& fixed,
                       std::vector<double>& value, std::vector<int>& taken) {
  double bound = 0;
  for (int j = 0; j < model.n; ++j)
    bound += std::max(0.0, model.weight[j] - mu[j]);
  for (int i = 0; i < model.n; ++i) {
    double v = 0;
    for (int k = model.coverStart[i]; k < model.coverStart[i + 1]; ++k)
      v += mu[model.coverList[k]];
    value[i] = v;
  }
  takeCentres(
      free, fixed, model.p,
      [&](int x, int y) {
        return value[x] > value[y] || (value[x] == value[y] && x < y);
      },
      taken);
  for (int i : taken)
    bound += value[i];
  return bound;
}

// Steps `mu` along the subgradient of the minimisation, y_j less the taken
// centres that cover j, by `step` of the distance from `bound` to `lower`;
// false when the subgradient is 0 (the relaxed solution is feasible).
bool stepCoverMultipliers(const CoverModel& model,
                          const std::vector<int>& taken, double step,
                          double bound, double lower, std::vector<double>& mu,
                          std::vector<double>& slope) {
  int n = model.n;
  for (int j = 0; j < n; ++j)
    slope[j] = model.weight[j] > mu[j] ? 1.0 : 0.0;
  for (int i : taken)
    for (int m = model.coverStart[i]; m < model.coverStart[i + 1]; ++m)
      slope[model.coverList[m]] -= 1.0;
  double norm = 0;
  for (double g : slope)
    norm += g * g;
  if (norm == 0)
    return false;
  double t = step * (bound - lower) / norm;
  for (int j = 0; j < n; ++j)
    mu[j] = std::max(0.0, mu[j] + t * slope[j]);
  return true;
}

}  // namespace

double coverUpperBound(const CoverModel& model, double lower, int iterations,
                       std::vector<double>* multipliers) {
  double tolerance = coverTolerance(model);
  if (multipliers)
    multipliers->clear();
  int n = model.n;
  // Start with each vertex's demand shared among the candidates covering it.
  std::vector<double> mu(n, 0.0);
  for (int j = 0; j < n; ++j) {
    int count = model.byStart[j + 1] - model.byStart[j];
    if (count > 0)
      mu[j] = model.weight[j] / count;
  }
  std::vector<int> free, fixed, taken;
  splitSites(model, n, free, fixed);
  std::vector<double> value(n), slope(n);
  double best = model.totalWeight;
  double step = kFirstStep;
  int idle = 0;
  for (int it = 0; it < iterations && step > kSmallestStep; ++it) {
    double bound = coverLagrangean(model, mu, free, fixed, value, taken);
    if (bound < best - sumTolerance(best)) {
      best = bound;
      idle = 0;
      if (multipliers)
        *multipliers = mu;
    } else if (++idle >= kPatience) {
      step /= 2;
      idle = 0;
    }
    if (settleUpperBound(model.integral, best) <= lower + tolerance ||
        !stepCoverMultipliers(model, taken, step, bound, lower, mu, slope))
      break;
  }
  if (multipliers && multipliers->empty())
    *multipliers = mu;
  return settleUpperBound(model.integral, std::max(best, lower));
}
