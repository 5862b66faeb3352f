#include "pmedian/cover_search.h"

#include <algorithm>

#include "pmedian/random_stream.h"

namespace {

// Perturbation sizes go from 1 to this (or fewer when p or n - p is small).
constexpr int kLargestShake = 20;
constexpr int kStallFloor = 100;
// Tabu tenures, drawn from [t, 2t) for a closed centre and [t, 2t] for an
// opened one.
constexpr int kClosedTenure = 20;
constexpr int kOpenedTenure = 2;
constexpr int kStallPerCentre = 2;

// A closed candidate that covers a random uncovered vertex: when p centres
// nearly cover everything, a uniformly random candidate almost never helps,
// while this one always brings some demand in. Falls back to any closed
// candidate once nothing is left uncovered.
int enteringCentre(const CoverModel& model, const CoverState& state,
                   std::vector<int>& uncovered, RandomStream& random) {
  while (!uncovered.empty()) {
    int k = nextBelow(random, static_cast<int>(uncovered.size()));
    int j = uncovered[k];
    if (state.count[j] == 0) {
      int first = model.byStart[j];
      int size = model.byStart[j + 1] - first;
      // From a random place in j's covering list, the first allowed one.
      int offset = size > 0 ? nextBelow(random, size) : 0;
      for (int m = 0; m < size; ++m) {
        int c = model.byList[first + (offset + m) % size];
        if (siteRule(model, c) >= 0)
          return c;
      }
    }
    uncovered[k] = uncovered.back();
    uncovered.pop_back();
  }
  int in;
  do {
    in = nextBelow(random, model.n);
  } while (state.position[in] >= 0 || siteRule(model, in) < 0);
  return in;
}

// How many centres a swap may close (the open ones not fixed) and open (the
// closed allowed ones): p and n - p when every site is free.
struct SwapRoom {
  int open = 0;
  int closed = 0;
};

SwapRoom swapRoom(const CoverModel& model) {
  return {model.p - fixedCount(model), allowedCount(model) - model.p};
}

// Opens the fixed centres and those of `from`, then the others one at a
// time, each among the `choices` allowed closed candidates of largest gain
// (lowest index among equals): the first of them, or one drawn by `random`
// when given.
void openByGain(const CoverModel& model, CoverState& state, int choices,
                RandomStream* random, SearchEffort& effort,
                const std::vector<int>& from = {}) {
  startCoverState(model, state);
  for (int i = 0; i < model.n; ++i)
    if (siteRule(model, i) > 0)
      openCover(model, state, i);
  for (int c : from)
    if (state.position[c] < 0)
      openCover(model, state, c);
  choices = std::min(choices, swapRoom(model).closed + 1);
  auto after = [&](int a, int b) {
    return state.gain[a] > state.gain[b] ||
           (state.gain[a] == state.gain[b] && a < b);
  };
  std::vector<int> top;  // sorted by `after`
  while (static_cast<int>(state.centres.size()) < model.p) {
    top.clear();
    for (int i = 0; i < model.n; ++i) {
      if (state.position[i] >= 0 || siteRule(model, i) < 0)
        continue;
      if (static_cast<int>(top.size()) == choices && !after(i, top.back()))
        continue;
      if (static_cast<int>(top.size()) == choices)
        top.pop_back();
      top.insert(std::upper_bound(top.begin(), top.end(), i, after), i);
    }
    effort.work += model.n;
    int size = static_cast<int>(top.size());
    if (size == 0)
      return;  // fewer allowed sites than p: the reader refuses that
    openCover(model, state, random ? top[nextBelow(*random, size)] : top[0]);
  }
}

// Shakes the solution by k swaps, each closing a random open centre and
// opening a candidate that brings uncovered demand in.
void shakeCover(const CoverModel& model, CoverState& state, int k,
                RandomStream& random, std::vector<int>& uncovered,
                SearchEffort& effort) {
  uncovered.clear();
  for (int j = 0; j < model.n; ++j)
    if (state.count[j] == 0 && model.weight[j] > 0)
      uncovered.push_back(j);
  effort.work += model.n;
  for (int step = 0; step < k; ++step) {
    int out;
    do {
      out = state.centres[nextBelow(random, model.p)];
    } while (siteRule(model, out) > 0);
    int in = enteringCentre(model, state, uncovered, random);
    openCover(model, state, in);
    closeCover(model, state, out);
  }
}

// Variable neighbourhood search: shake by k swaps that bring in uncovered
// demand, re-improve by best swaps, and move to any solution at least as
// good (most covering moves tie, so drifting across equal solutions finds
// the next improvement); ends like searchCover.
void shakeAndImprove(const CoverModel& model, CoverState& state,
                     RandomStream& random, double target,
                     std::int64_t staleRounds, SearchEffort& effort) {
  double tolerance = coverTolerance(model);
  SwapRoom room = swapRoom(model);
  int largest = std::min({kLargestShake, room.open, room.closed});
  std::vector<int> best = state.centres;
  double bestCovered = state.covered;
  std::int64_t stale = 0;
  int k = 1;
  std::vector<int> uncovered;
  while (effortLeft(effort) && stale < staleRounds &&
         bestCovered < target - tolerance) {
    ++effort.rounds;
    ++stale;
    shakeCover(model, state, k, random, uncovered, effort);
    improveCover(model, state, effort);
    if (state.covered > bestCovered + tolerance) {
      bestCovered = state.covered;
      best = state.centres;
      stale = 0;
      k = 1;
      markBest(effort, best, bestCovered);
    } else if (state.covered > bestCovered - tolerance) {
      best = state.centres;
      k = k % largest + 1;
    } else {
      restoreCover(model, state, best);
      k = k % largest + 1;
    }
  }
  restoreCover(model, state, best);
}

// A candidate keeps what the swap search found in its list for fewer
// than this many centres; kNotHeld marks a list to walk again.
constexpr int kHeldCentres = 16;
constexpr std::uint8_t kNotHeld = 255;

// The single centre of j may change: every candidate whose list holds j
// walks it again.
void forgetHeld(const CoverModel& model, CoverState& state, int j) {
  if (!state.anyHeld)
    return;
  for (int m = model.byStart[j]; m < model.byStart[j + 1]; ++m)
    state.heldCount[model.byList[m]] = kNotHeld;
}

}  // namespace

void restoreCover(const CoverModel& model, CoverState& state,
                  const std::vector<int>& centres) {
  std::vector<char> wanted(model.n, 0);
  for (int c : centres)
    wanted[c] = 1;
  std::vector<int> current = state.centres;
  for (int c : current)
    if (!wanted[c])
      closeCover(model, state, c);
  for (int c : centres)
    if (state.position[c] < 0)
      openCover(model, state, c);
}

void startCoverState(const CoverModel& model, CoverState& state) {
  int n = model.n;
  state.centres.clear();
  state.position.assign(n, -1);
  state.count.assign(n, 0);
  state.sum.assign(n, 0);
  state.alone.assign(n, -1);
  state.gain.assign(n, 0.0);
  state.loss.assign(n, 0.0);
  state.single.assign(n, 0.0);
  state.heldCount.assign(n, kNotHeld);
  state.anyHeld = false;
  // Read only where heldCount says they were written.
  state.heldCentre.resize(static_cast<std::size_t>(n) * kHeldCentres);
  state.heldDemand.resize(static_cast<std::size_t>(n) * kHeldCentres);
  state.covered = 0;
  for (int i = 0; i < n; ++i)
    for (int k = model.coverStart[i]; k < model.coverStart[i + 1]; ++k)
      state.gain[i] += model.weight[model.coverList[k]];
}

void openCover(const CoverModel& model, CoverState& state, int a) {
  state.position[a] = static_cast<int>(state.centres.size());
  state.centres.push_back(a);
  for (int k = model.coverStart[a]; k < model.coverStart[a + 1]; ++k) {
    int j = model.coverList[k];
    double w = model.weight[j];
    if (state.count[j] == 0) {
      // j becomes covered: no candidate gains it any more, and a alone
      // holds it.
      for (int m = model.byStart[j]; m < model.byStart[j + 1]; ++m) {
        int c = model.byList[m];
        state.gain[c] -= w;
        state.single[c] += w;
      }
      state.loss[a] += w;
      state.covered += w;
    } else if (state.count[j] == 1) {
      // Its single centre no longer loses j by closing.
      state.loss[state.sum[j]] -= w;
      for (int m = model.byStart[j]; m < model.byStart[j + 1]; ++m)
        state.single[model.byList[m]] -= w;
    }
    forgetHeld(model, state, j);
    ++state.count[j];
    state.sum[j] += a;
    state.alone[j] = state.count[j] == 1 ? a : -1;
  }
}

void closeCover(const CoverModel& model, CoverState& state, int r) {
  int last = state.centres.back();
  state.centres[state.position[r]] = last;
  state.position[last] = state.position[r];
  state.centres.pop_back();
  state.position[r] = -1;
  for (int k = model.coverStart[r]; k < model.coverStart[r + 1]; ++k) {
    int j = model.coverList[k];
    double w = model.weight[j];
    --state.count[j];
    state.sum[j] -= r;
    if (state.count[j] == 0) {
      for (int m = model.byStart[j]; m < model.byStart[j + 1]; ++m) {
        int c = model.byList[m];
        state.gain[c] += w;
        state.single[c] -= w;
      }
      state.loss[r] -= w;
      state.covered -= w;
    } else if (state.count[j] == 1) {
      state.loss[state.sum[j]] += w;
      for (int m = model.byStart[j]; m < model.byStart[j + 1]; ++m)
        state.single[model.byList[m]] += w;
    }
    state.alone[j] = state.count[j] == 1 ? static_cast<int>(state.sum[j]) : -1;
    forgetHeld(model, state, j);
  }
  // The sums above leave rounding residue; a closed centre holds nothing.
  state.loss[r] = 0;
}

void greedyCover(const CoverModel& model, CoverState& state,
                 SearchEffort& effort) {
  openByGain(model, state, 1, nullptr, effort);
}

void growCover(const CoverModel& model, CoverState& state,
               const std::vector<int>& from, SearchEffort& effort) {
  openByGain(model, state, 1, nullptr, effort, from);
}

namespace {

// Whole sums below this are exact in a double, with room for the
// differences of a swap.
constexpr double kExactSums = 0x1p50;

bool barredBy(const CoverTabu* tabu, int i) {
  return tabu && tabu->until[i] > tabu->now;
}

// The open free centres of least loss (lowest index among equals): of all,
// and of those `tabu` allows; -1 where none.
struct Cheapest {
  int all = -1;
  int allowed = -1;
};

Cheapest cheapestCentres(const CoverModel& model, const CoverState& state,
                         const CoverTabu* tabu) {
  Cheapest cheapest;
  for (int r : state.centres) {
    if (siteRule(model, r) > 0)
      continue;
    auto cheaper = [&](int than) {
      return than < 0 || state.loss[r] < state.loss[than] ||
             (state.loss[r] == state.loss[than] && r < than);
    };
    if (cheaper(cheapest.all))
      cheapest.all = r;
    if (!barredBy(tabu, r) && cheaper(cheapest.allowed))
      cheapest.allowed = r;
  }
  return cheapest;
}

// For the closed candidate a: into extra[r], the demand that the open
// centre r alone covers and a covers too, and into `touched` every such r,
// in the order first met. From what the last walk of a's list kept when
// none of its vertices has changed centres since; else by walking the list,
// keeping what it finds. extra[-1] takes the vertices no single centre
// holds, so that the walk does not branch on each; it starts nonzero, and
// never counts as touched. Returns the entries read: those kept, or the
// list's length.
int sumShared(const CoverModel& model, const CoverState& state, int a,
              double* extra, std::vector<int>& touched) {
  touched.clear();
  std::size_t first = static_cast<std::size_t>(a) * kHeldCentres;
  int held = state.heldCount[a];
  if (held != kNotHeld) {
    for (int k = 0; k < held; ++k) {
      int r = state.heldCentre[first + k];
      touched.push_back(r);
      extra[r] = state.heldDemand[first + k];
    }
    return held;
  }
  const int* list = model.coverList.data();
  const int* alone = state.alone.data();
  const double* weight = model.weight.data();
  for (int k = model.coverStart[a]; k < model.coverStart[a + 1]; ++k) {
    int j = list[k];
    int r = alone[j];
    if (extra[r] == 0)
      touched.push_back(r);
    extra[r] += weight[j];
  }
  int size = static_cast<int>(touched.size());
  int read = model.coverStart[a + 1] - model.coverStart[a];
  if (size >= kHeldCentres)
    return read;
  for (int k = 0; k < size; ++k) {
    state.heldCentre[first + k] = touched[k];
    state.heldDemand[first + k] = extra[touched[k]];
  }
  state.heldCount[a] = static_cast<std::uint8_t>(size);
  state.anyHeld = true;
  return read;
}

}  // namespace

CoverSwap bestCoverSwap(const CoverModel& model, const CoverState& state,
                        SearchEffort& effort, const CoverTabu* tabu) {
  CoverSwap best;
  // Closing an open centre r while opening a loses loss[r], except the
  // vertices that r alone covers and a covers too: extra[r] sums those for
  // the current a. Any r that a touches nothing of is no better than the
  // centre of smallest loss, so only touched centres and that one (the
  // cheapest allowed one, and the cheapest of all for aspiration) are tried.
  Cheapest cheapest = cheapestCentres(model, state, tabu);
  if (cheapest.all < 0)
    return best;
  static thread_local std::vector<double> sums;
  static thread_local std::vector<int> touched;
  sums.assign(model.n + 1, 0.0);
  sums[0] = 1;
  double* extra = sums.data() + 1;
  int ties = 0;
  // No swap that opens a gains more than gain[a], nor loses less than
  // what a covers of the vertices a single centre holds falls short of the
  // smallest loss: extra[r] is at most loss[r] and at most single[a]. A
  // candidate whose bound lies below the best swap so far (or equals it,
  // when equals do not replace it) is passed over unwalked, as every one of
  // its swaps would be. Only where the sums are exact, whole numbers well
  // within a double, so that the bound never falls below a computed delta.
  bool exact = model.integral && model.totalWeight < kExactSums;
  bool drawTies = tabu && tabu->random;
  double leastLoss = state.loss[cheapest.all];
  auto upperOf = [&](int a) {
    return state.gain[a] + std::min(0.0, state.single[a] - leastLoss);
  };
  // Without tabu rules the best swap is the first found of largest delta,
  // so the best swap of any one candidate is a floor: a candidate whose
  // bound lies below it cannot be first. The candidate of largest bound
  // gives it.
  double floor = 0;
  bool floored = false;
  if (exact && !tabu) {
    int lead = -1;
    for (int a = 0; a < model.n; ++a)
      if (state.position[a] < 0 && siteRule(model, a) >= 0 &&
          (lead < 0 || upperOf(a) > upperOf(lead)))
        lead = a;
    if (lead >= 0) {
      sumShared(model, state, lead, extra, touched);
      floor = state.gain[lead] - state.loss[cheapest.all];
      for (int r : touched) {
        if (siteRule(model, r) == 0)
          floor = std::max(floor, state.gain[lead] - state.loss[r] + extra[r]);
        extra[r] = 0;
      }
      floored = true;
    }
  }
  for (int a = 0; a < model.n; ++a) {
    if (state.position[a] >= 0 || siteRule(model, a) < 0)
      continue;
    // Each candidate is charged its whole list, as a walk of every list
    // would be, or what was read of it; see chargeSwapWork.
    int listed = model.coverStart[a + 1] - model.coverStart[a] + 1;
    if (exact) {
      double upper = upperOf(a);
      if ((floored && upper < floor) ||
          (best.in >= 0 &&
           (upper < best.delta || (upper == best.delta && !drawTies)))) {
        chargeSwapWork(effort, listed, 1);
        continue;
      }
    }
    chargeSwapWork(effort, listed,
                   sumShared(model, state, a, extra, touched) + 1);
    auto consider = [&](int r) {
      if (siteRule(model, r) > 0)
        return;
      double d = state.gain[a] - state.loss[r] + extra[r];
      if (best.in >= 0 && d < best.delta)
        return;
      if ((barredBy(tabu, a) || barredBy(tabu, r)) &&
          state.covered + d <= tabu->aspiration)
        return;
      if (best.in >= 0 && d == best.delta) {
        // Reservoir choice among equals: each kept with equal chance.
        if (!tabu || !tabu->random || (best.in == a && best.out == r))
          return;
        if (nextBelow(*tabu->random, ++ties) != 0)
          return;
      } else {
        ties = 1;
      }
      best = {a, r, d};
    };
    if (cheapest.allowed >= 0)
      consider(cheapest.allowed);
    consider(cheapest.all);
    for (int r : touched) {
      consider(r);
      extra[r] = 0;
    }
    if (cheapest.allowed >= 0)
      extra[cheapest.allowed] = 0;
    extra[cheapest.all] = 0;
  }
  return best;
}

void improveCover(const CoverModel& model, CoverState& state,
                  SearchEffort& effort) {
  double tolerance = coverTolerance(model);
  while (!pastDeadline(effort)) {
    CoverSwap swap = bestCoverSwap(model, state, effort);
    if (swap.in < 0 || swap.delta < tolerance)
      return;
    openCover(model, state, swap.in);
    closeCover(model, state, swap.out);
  }
}

namespace {

// Makes `swap` and bars both its centres from changing side again for a
// while. A closed centre stays out longer than an opened one stays in: the
// walk must not undo its last step, yet keep freedom among the open.
void makeTabuMove(const CoverModel& model, CoverState& state,
                  const CoverSwap& swap, const SwapRoom& room,
                  RandomStream& random, CoverTabu& tabu) {
  openCover(model, state, swap.in);
  closeCover(model, state, swap.out);
  tabu.until[swap.out] =
      tabu.now + 1 +
      std::min(room.closed - 1,
               kClosedTenure + nextBelow(random, kClosedTenure));
  tabu.until[swap.in] =
      tabu.now + 1 +
      std::min(room.open - 1,
               kOpenedTenure + nextBelow(random, kOpenedTenure + 1));
  ++tabu.now;
}

// Tabu search: walks across plateaus of equal coverage, restarted from the
// shaken best solution whenever it stalls; ends like searchCover. Only a
// solution above `record`, the best the whole search knows, counts as found.
void tabuWalk(const CoverModel& model, CoverState& state, RandomStream& random,
              double target, std::int64_t staleRounds, SearchEffort& effort,
              double record = -1) {
  SwapRoom room = swapRoom(model);
  if (room.open <= 0 || room.closed <= 0 || state.centres.empty())
    return;
  double tolerance = coverTolerance(model);
  int largest = std::min({kLargestShake, room.open, room.closed});
  // A tabu walk gives up after this many moves without a better solution.
  int stallLimit = std::max(kStallFloor, kStallPerCentre * model.p);
  std::vector<int> best = state.centres;
  double bestCovered = state.covered;
  CoverTabu tabu;
  tabu.until.assign(model.n, 0);
  tabu.random = &random;
  std::int64_t stale = 0;
  int stall = 0;
  int k = 1;
  std::vector<int> uncovered;
  while (effortLeft(effort) && stale < staleRounds &&
         bestCovered < target - tolerance) {
    tabu.aspiration = bestCovered + tolerance;
    CoverSwap swap = bestCoverSwap(model, state, effort, &tabu);
    if (swap.in >= 0)
      makeTabuMove(model, state, swap, room, random, tabu);
    if (state.covered > bestCovered + tolerance) {
      bestCovered = state.covered;
      best = state.centres;
      stale = 0;
      stall = 0;
      k = 1;
      if (bestCovered > record + tolerance)
        markBest(effort, best, bestCovered);
      continue;
    }
    if (swap.in >= 0 && ++stall < stallLimit)
      continue;
    // Stalled: restart from the best solution, shaken by k swaps that
    // each bring in some uncovered demand.
    ++effort.rounds;
    ++stale;
    stall = 0;
    restoreCover(model, state, best);
    std::fill(tabu.until.begin(), tabu.until.end(), 0);
    shakeCover(model, state, k, random, uncovered, effort);
    k = k % largest + 1;
  }
  restoreCover(model, state, best);
}

}  // namespace

void searchCover(const CoverModel& model, CoverState& state, std::uint64_t seed,
                 double target, std::int64_t staleRounds,
                 SearchEffort& effort) {
  SwapRoom room = swapRoom(model);
  if (room.open <= 0 || room.closed <= 0 || state.centres.empty())
    return;
  RandomStream random = randomStream(seed);
  // Two searches share the budget. The tabu walk is the stronger on
  // problems from road-like graphs, where the best solutions sit in narrow
  // basins; the neighbourhood search, which drifts across equal solutions,
  // on scattered points, where the plateaus are wide. Each alone missed
  // optima the other found.
  std::int64_t whole = lendHalfBudget(effort);
  tabuWalk(model, state, random, target, staleRounds, effort);
  giveBackBudget(effort, whole);
  shakeAndImprove(model, state, random, target, staleRounds, effort);
}

namespace {

// The pool of recombination: its size, the restarts without improvement of
// the tabu walk that polishes each new solution, and the candidates among
// which a randomised greedy start picks each centre.
constexpr int kPoolSize = 10;
constexpr int kPolishRestarts = 10;
constexpr int kGreedyChoices = 4;

// Opens every centre of `other` in `state` too, then closes the open centre
// of least loss (lowest index among equals) until p remain: of the union of
// two good solutions, it keeps what covers most alone.
void mergeCover(const CoverModel& model, CoverState& state,
                const std::vector<int>& other, SearchEffort& effort) {
  for (int c : other)
    if (state.position[c] < 0)
      openCover(model, state, c);
  while (static_cast<int>(state.centres.size()) > model.p) {
    int out = -1;
    for (int r : state.centres)
      if (siteRule(model, r) == 0 &&
          (out < 0 || state.loss[r] < state.loss[out] ||
           (state.loss[r] == state.loss[out] && r < out)))
        out = r;
    effort.work += static_cast<std::int64_t>(state.centres.size());
    closeCover(model, state, out);
  }
}

struct PoolEntry {
  std::vector<int> centres;  // sorted, so that equal solutions compare equal
  double covered = 0;
};

// Puts the solution of `state` into `pool` in place of its worst member
// when it is better than that one and not already in it; true if it was.
bool offerToPool(std::vector<PoolEntry>& pool, const CoverState& state,
                 double tolerance) {
  PoolEntry entry{state.centres, state.covered};
  std::sort(entry.centres.begin(), entry.centres.end());
  for (const PoolEntry& member : pool)
    if (member.centres == entry.centres)
      return false;
  if (static_cast<int>(pool.size()) < kPoolSize) {
    pool.push_back(std::move(entry));
    return true;
  }
  auto worst = std::min_element(pool.begin(), pool.end(),
                                [](const PoolEntry& a, const PoolEntry& b) {
                                  return a.covered < b.covered;
                                });
  if (entry.covered <= worst->covered + tolerance)
    return false;
  *worst = std::move(entry);
  return true;
}

}  // namespace

void recombineCover(const CoverModel& model, CoverState& state,
                    std::uint64_t seed, double target, std::int64_t staleRounds,
                    SearchEffort& effort) {
  SwapRoom room = swapRoom(model);
  if (room.open <= 0 || room.closed <= 0 || state.centres.empty())
    return;
  double tolerance = coverTolerance(model);
  RandomStream random = randomStream(seed);
  std::vector<int> best = state.centres;
  double bestCovered = state.covered;
  auto polish = [&] {
    improveCover(model, state, effort);
    tabuWalk(model, state, random, target, kPolishRestarts, effort,
             bestCovered);
    if (state.covered > bestCovered + tolerance) {
      bestCovered = state.covered;
      best = state.centres;
      markBest(effort, best, bestCovered);
      return true;
    }
    return false;
  };
  // The pool starts with the best solution and others from varied starts.
  std::vector<PoolEntry> pool;
  offerToPool(pool, state, tolerance);
  for (int k = 1;
       k < kPoolSize && effortLeft(effort) && bestCovered < target - tolerance;
       ++k) {
    // Starts that differ, yet stay good.
    openByGain(model, state, kGreedyChoices, &random, effort);
    polish();
    offerToPool(pool, state, tolerance);
  }
  // Then children of two members drawn at random, each polished and kept
  // when better than the pool's worst.
  std::int64_t stale = 0;
  while (pool.size() >= 2 && effortLeft(effort) && stale < staleRounds &&
         bestCovered < target - tolerance) {
    ++effort.rounds;
    ++stale;
    int size = static_cast<int>(pool.size());
    int a = nextBelow(random, size);
    int b = nextBelow(random, size - 1);
    if (b >= a)
      ++b;
    restoreCover(model, state, pool[a].centres);
    mergeCover(model, state, pool[b].centres, effort);
    if (polish())
      stale = 0;
    offerToPool(pool, state, tolerance);
  }
  restoreCover(model, state, best);
}
