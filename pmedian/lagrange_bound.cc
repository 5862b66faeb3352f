#include "pmedian/lagrange_bound.h"

#include <algorithm>
#include <limits>
#include <numeric>
#include <vector>

#include "pmedian/tolerances.h"

namespace {

// The p-median bound's subgradient steps start at this fraction of the gap
// and halve after this many steps without a better bound.
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

// The volume algorithm's settings (Barahona and Anbil): the first step
// factor and its limit, the share of each new relaxed solution in the
// average and its floor, the steps without progress after which the step
// factor shrinks, and how much.
constexpr double kFirstVolumeStep = 0.1;
constexpr double kLargestVolumeStep = 2.0;
constexpr double kNewShare = 0.1;
constexpr double kLeastNewShare = 0.01;
constexpr int kVolumePatience = 20;
constexpr double kStepGrowth = 1.1;
constexpr double kStepShrink = 0.66;
constexpr double kSmallestVolumeStep = 1e-7;
// Each step aims this share of the bound below it, or at the coverage
// known when that is nearer: aiming at a coverage far below the bound
// takes steps too long to settle.
constexpr double kAimShare = 0.01;

// The relaxed problem at `mu`, and its solution: sum max(0, w_j - mu_j)
// over the vertices (y_j = 1 where positive), plus the values of the p
// candidates taken, a value being the sum of mu over a cover list: the
// largest of the `free` ones, then the `fixed` ones.
struct CoverRelaxed {
  double bound = 0;
  std::vector<int> taken;
  std::vector<double> value;  // room for the values
};

void solveRelaxed(const CoverModel& model, const std::vector<double>& mu,
                  const std::vector<int>& free, const std::vector<int>& fixed,
                  CoverRelaxed& relaxed) {
  std::vector<double>& value = relaxed.value;
  relaxed.bound = 0;
  for (int j = 0; j < model.n; ++j)
    relaxed.bound += std::max(0.0, model.weight[j] - mu[j]);
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
      relaxed.taken);
  for (int i : relaxed.taken)
    relaxed.bound += value[i];
}

// The average of the relaxed solutions met, as the volume algorithm keeps
// it: y_j, and how much of the average x covers j (sum of x_i over the
// candidates covering j), so that its violation y_j - covers_j needs no
// walk over the lists.
struct VolumeAverage {
  std::vector<double> y, covers;
};

// The violation of the relaxed solution at `mu` (`taken`): y_j less the
// taken centres covering j.
void relaxedViolation(const CoverModel& model, const std::vector<double>& mu,
                      const std::vector<int>& taken,
                      std::vector<double>& violation) {
  for (int j = 0; j < model.n; ++j)
    violation[j] = model.weight[j] > mu[j] ? 1.0 : 0.0;
  for (int i : taken)
    for (int k = model.coverStart[i]; k < model.coverStart[i + 1]; ++k)
      violation[model.coverList[k]] -= 1.0;
}

// Moves the average toward the new relaxed solution of violation `fresh`,
// by the share that makes the average's violation (`direction` before)
// shortest, within [kLeastNewShare, kNewShare]; recomputes `direction`.
void averageIn(const CoverModel& model, const std::vector<double>& mu,
               const std::vector<double>& fresh, VolumeAverage& average,
               std::vector<double>& direction) {
  double across = 0, along = 0;
  for (int j = 0; j < model.n; ++j) {
    double d = fresh[j] - direction[j];
    across += d * d;
    along += direction[j] * d;
  }
  double share = across > 0
                     ? std::clamp(-along / across, kLeastNewShare, kNewShare)
                     : kNewShare;
  for (int j = 0; j < model.n; ++j) {
    double y = model.weight[j] > mu[j] ? 1.0 : 0.0;
    double covers = y - fresh[j];
    average.y[j] = share * y + (1 - share) * average.y[j];
    average.covers[j] = share * covers + (1 - share) * average.covers[j];
    direction[j] = average.y[j] - average.covers[j];
  }
}

// Where the volume algorithm stands: the best multipliers and their bound,
// the average of the relaxed solutions met and its violation, and the step
// factor with the steps since the bound last improved.
struct VolumeState {
  std::vector<double> mu, best, direction, fresh;
  VolumeAverage average;
  CoverRelaxed relaxed;
  std::vector<int> free, fixed;
  double bound = 0;
  double step = kFirstVolumeStep;
  int idle = 0;
};

// Starts from each vertex's demand shared among the candidates covering it.
void startVolume(const CoverModel& model, VolumeState& state) {
  int n = model.n;
  state.mu.assign(n, 0.0);
  for (int j = 0; j < n; ++j) {
    int count = model.byStart[j + 1] - model.byStart[j];
    if (count > 0)
      state.mu[j] = model.weight[j] / count;
  }
  splitSites(model, n, state.free, state.fixed);
  state.relaxed.value.resize(n);
  solveRelaxed(model, state.mu, state.free, state.fixed, state.relaxed);
  state.best = state.mu;
  state.bound = state.relaxed.bound;
  state.direction.resize(n);
  state.fresh.resize(n);
  relaxedViolation(model, state.mu, state.relaxed.taken, state.direction);
  state.average.y.resize(n);
  state.average.covers.resize(n);
  for (int j = 0; j < n; ++j) {
    state.average.y[j] = model.weight[j] > state.mu[j] ? 1.0 : 0.0;
    state.average.covers[j] = state.average.y[j] - state.direction[j];
  }
}

// One step from the best multipliers along the average's violation, aimed
// below the bound and no lower than `lower`; false when the average
// violates nothing (it solves the linear relaxation).
bool volumeStep(const CoverModel& model, double lower, VolumeState& state) {
  int n = model.n;
  std::vector<double>& direction = state.direction;
  double norm = 0;
  for (int j = 0; j < n; ++j) {
    // A multiplier at 0 cannot go lower.
    if (state.best[j] <= 0 && direction[j] < 0)
      direction[j] = 0;
    norm += direction[j] * direction[j];
  }
  if (norm == 0)
    return false;
  double aim = std::max(lower, state.bound - kAimShare * std::abs(state.bound));
  double t = state.step * (state.bound - aim) / norm;
  for (int j = 0; j < n; ++j)
    state.mu[j] = std::max(0.0, state.best[j] + t * direction[j]);
  solveRelaxed(model, state.mu, state.free, state.fixed, state.relaxed);
  relaxedViolation(model, state.mu, state.relaxed.taken, state.fresh);
  double agree = 0;
  for (int j = 0; j < n; ++j)
    agree += state.fresh[j] * direction[j];
  averageIn(model, state.mu, state.fresh, state.average, direction);
  if (state.relaxed.bound < state.bound - sumTolerance(state.bound)) {
    state.bound = state.relaxed.bound;
    state.best = state.mu;
    state.idle = 0;
    // The new solution's violation agrees with the direction taken: the
    // steps may grow.
    if (agree > 0)
      state.step = std::min(kLargestVolumeStep, state.step * kStepGrowth);
  } else if (++state.idle >= kVolumePatience) {
    state.step *= kStepShrink;
    state.idle = 0;
  }
  return true;
}

}  // namespace

double coverUpperBound(const CoverModel& model, double lower, int iterations,
                       std::vector<double>* multipliers,
                       const SearchEffort* effort) {
  double tolerance = coverTolerance(model);
  VolumeState state;
  startVolume(model, state);
  for (int it = 0; it < iterations && state.step > kSmallestVolumeStep; ++it)
    if (settleUpperBound(model.integral, state.bound) <= lower + tolerance ||
        (effort && pastDeadline(*effort)) || !volumeStep(model, lower, state))
      break;
  if (multipliers)
    *multipliers = state.best;
  return settleUpperBound(model.integral, std::max(state.bound, lower));
}
