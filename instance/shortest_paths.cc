#include "instance/shortest_paths.h"

#include <algorithm>
#include <atomic>
#include <barrier>
#include <cmath>
#include <cstdint>
#include <thread>
#include <vector>

#include "instance/instance_record.h"

#if defined(__x86_64__)
#include <immintrin.h>
#define MCLP_X86_64 1
#endif

void closeShortestPathsPlain(float** cost, int n) {
  bool changed;
  do {
    changed = false;
    for (int i = 0; i < n; ++i) {
      for (int j = 0; j < n; ++j) {
        for (int k = 0; k < n; ++k) {
          // The candidate is formed in double precision; stored, it is
          // rounded back to single precision. A candidate below the stored
          // value can round back to that very value (non-integral lengths,
          // sums beyond 2^24), so a change counts only when the stored
          // value actually decreases; otherwise the passes would never end.
          double candidate =
              static_cast<double>(cost[j][i]) + static_cast<double>(cost[i][k]);
          if (candidate < cost[j][k]) {
            float stored = static_cast<float>(candidate);
            if (stored < cost[j][k])
              changed = true;
            cost[j][k] = stored;
          }
        }
      }
    }
  } while (changed);
}

// The fast completion does the plain loop's work in another arrangement that
// leaves every stored bit and every pass's outcome as they are:
//
// Single precision. Two floats summed in double and rounded to float give
// the float sum, because double holds 53 ≥ 2·24 + 2 bits (rounding twice is
// then harmless for addition). With c the stored value and s the float sum:
// the double candidate is below c and rounds below c exactly when s < c,
// and a candidate not below c rounds to s ≥ c, since rounding is monotone
// and c is a float. So the plain step is c = min(c, s), changed when s < c;
// this is what vector minimum and compare instructions do, branch-free.
//
// Rows in any order. Lengths are non-negative and only sums of them are
// stored, so cost[i][i] ≥ 0 at all times. While i is the intermediate, an
// entry of row i becomes min(cost[i][k], cost[i][i] + cost[i][k]) and one of
// column i min(cost[j][i], cost[j][i] + cost[i][i]): neither changes. Row j
// is then updated from itself, cost[j][i] and row i alone, so the rows of
// one intermediate can be done in any order and on several threads, and
// row i itself can be left out.
//
// Rows that cannot change. Entries only decrease, so the largest entry at the
// start of a pass bounds every entry during it. A row j with cost[j][i] at
// or above that bound forms sums no smaller than any entry it could lower;
// it is skipped. Early in the first pass these are the many rows that reach
// i only through UNREACHABLE. The bound is the matrix's own largest entry,
// not UNREACHABLE, because edges longer than UNREACHABLE can be given.

// Several intermediates per sweep. The passes are bound by memory: every
// intermediate reads and writes the whole matrix. A block of consecutive
// intermediates i0 … i0+B-1 is done in one sweep per row, which still hands
// every entry the operands the plain loop would:
//  - first the block's own rows go through the block's steps one by one, as
//    in the plain loop, and the row of each intermediate is copied at the
//    start of its step, when it is what the other rows read during it;
//  - then each other row j, for steps s = 0 … B-1 in order, needs cost[j][i]
//    as it is after step s - 1: these few entries are brought forward first
//    with the same operations, then every entry of the row takes the B steps
//    in order, reading the copies. Row j needs only itself and the copies,
//    so the rows can again be shared out between threads.
// The copies are B rows, not a second matrix.

namespace {

// Takes row through `steps` intermediates in order: for each step s, row[k]
// becomes min(row[k], through[s] + via[s][k]). True when some entry
// decreased.
using RelaxRow = bool (*)(float* row, const float* const* via,
                          const float* through, int steps, int n);

bool relaxTail(float* row, const float* const* via, const float* through,
               int steps, int begin, int n) {
  bool changed = false;
  for (int k = begin; k < n; ++k) {
    float value = row[k];
    for (int s = 0; s < steps; ++s) {
      float sum = through[s] + via[s][k];
      if (sum < value) {
        value = sum;
        changed = true;
      }
    }
    row[k] = value;
  }
  return changed;
}

// The most intermediates one sweep takes; larger requests are cut to it.
constexpr int kMaxSteps = 64;

#if MCLP_X86_64

// Four entries at a time with the baseline SSE2 instructions. minps returns
// its second operand unless the first is smaller, which is the plain loop's
// keep-unless-below rule.
bool relaxRowSse2(float* row, const float* const* via, const float* through,
                  int steps, int n) {
  __m128 t[kMaxSteps];
  for (int s = 0; s < steps; ++s)
    t[s] = _mm_set1_ps(through[s]);
  __m128 lowered = _mm_setzero_ps();
  int k = 0;
  for (; k + 4 <= n; k += 4) {
    __m128 old = _mm_loadu_ps(row + k);
    __m128 value = old;
    for (int s = 0; s < steps; ++s)
      value = _mm_min_ps(_mm_add_ps(t[s], _mm_loadu_ps(via[s] + k)), value);
    // Values only go down, so some step lowered an entry exactly when it
    // ends below where it started; one compare instead of one per step.
    __m128 below = _mm_cmplt_ps(value, old);
    // Rows settle quickly; leaving unchanged memory alone saves the writes.
    if (_mm_movemask_ps(below)) {
      _mm_storeu_ps(row + k, value);
      lowered = _mm_or_ps(lowered, below);
    }
  }
  bool changed = _mm_movemask_ps(lowered) != 0;
  return relaxTail(row, via, through, steps, k, n) || changed;
}

// Eight entries at a time; chosen at run time on processors that have AVX2.
__attribute__((target("avx2"))) bool relaxRowAvx2(float* row,
                                                  const float* const* via,
                                                  const float* through,
                                                  int steps, int n) {
  __m256 t[kMaxSteps];
  for (int s = 0; s < steps; ++s)
    t[s] = _mm256_set1_ps(through[s]);
  __m256 lowered = _mm256_setzero_ps();
  int k = 0;
  for (; k + 8 <= n; k += 8) {
    __m256 old = _mm256_loadu_ps(row + k);
    __m256 value = old;
    for (int s = 0; s < steps; ++s)
      value = _mm256_min_ps(_mm256_add_ps(t[s], _mm256_loadu_ps(via[s] + k)),
                            value);
    __m256 below = _mm256_cmp_ps(value, old, _CMP_LT_OQ);
    if (_mm256_movemask_ps(below)) {
      _mm256_storeu_ps(row + k, value);
      lowered = _mm256_or_ps(lowered, below);
    }
  }
  bool changed = _mm256_movemask_ps(lowered) != 0;
  return relaxTail(row, via, through, steps, k, n) || changed;
}

#else

bool relaxRowScalar(float* row, const float* const* via, const float* through,
                    int steps, int n) {
  return relaxTail(row, via, through, steps, 0, n);
}

#endif

RelaxRow pickRelaxRow(bool wideVectors) {
#if MCLP_X86_64
  if (wideVectors && __builtin_cpu_supports("avx2"))
    return relaxRowAvx2;
  return relaxRowSse2;
#else
  (void)wideVectors;
  return relaxRowScalar;
#endif
}

// Intermediates per sweep: enough to keep the arithmetic busy while a row
// streams in, few enough that their copies stay in the core's cache.
constexpr int kDefaultBlock = 16;
// Below this size a pass is too short for threads to pay for their start and
// the wait after every block.
constexpr int kThreadedFrom = 192;
// Rows taken at a time by a thread; small enough to even out skipped rows and
// a core lent to another process.
constexpr int kRowChunk = 4;

int pickThreads(int requested, int n) {
  if (requested > 0)
    return requested;
  if (n < kThreadedFrom)
    return 1;
  unsigned cores = std::thread::hardware_concurrency();
  return static_cast<int>(std::clamp(cores, 1u, 8u));
}

// When each row last had an entry lowered, as a step count: pass × n + i
// for intermediate i. Kept across passes to leave out steps that provably
// lower nothing (see stepIsSettled).
using LoweredAt = std::vector<int64_t>;

// One pass over the matrix, block by block.
class Pass {
 public:
  Pass(float** cost, int n, float bound, RelaxRow relax, int block, int pass,
       LoweredAt& loweredAt)
      : cost_(cost),
        n_(n),
        bound_(bound),
        relax_(relax),
        block_(std::clamp(block, 1, kMaxSteps)),
        pass_(pass),
        loweredAt_(loweredAt),
        copies_(static_cast<std::size_t>(block_) * n) {}

  // Runs the block's own rows through its steps and copies the rows the
  // others read; one thread, between the sweeps.
  void startBlock(int first) {
    first_ = first;
    steps_ = std::min(block_, n_ - first);
    for (int s = 0; s < steps_; ++s) {
      int i = first + s;
      float* copy = copies_.data() + static_cast<std::size_t>(s) * n_;
      std::copy(cost_[i], cost_[i] + n_, copy);
      via_[s] = copy;
      for (int r = first; r < first + steps_; ++r) {
        float through = cost_[r][i];
        if (r == i || through >= bound_ || stepIsSettled(r, i))
          continue;
        if (relax_(cost_[r], &via_[s], &through, 1, n_)) {
          loweredAt_[r] = stepCount(i);
          changed_ = true;
        }
      }
    }
  }

  // Takes rows [begin, end) outside the block through its steps; true when
  // some entry decreased.
  bool sweepRows(int begin, int end) const {
    bool changed = false;
    for (int j = begin; j < end; ++j) {
      if (j >= first_ && j < first_ + steps_)
        continue;
      float* row = cost_[j];
      float through[kMaxSteps];
      const float* via[kMaxSteps];
      int active = 0;
      for (int s = 0; s < steps_; ++s) {
        int i = first_ + s;
        // cost[j][i] as steps 0 … s-1 leave it.
        float value = row[i];
        for (int e = 0; e < active; ++e) {
          float sum = through[e] + via[e][i];
          if (sum < value)
            value = sum;
        }
        // Steps whose entry is at the bound lower nothing and are left out,
        // as are settled ones whose entry this block has not lowered.
        if (value >= bound_)
          continue;
        if (value == row[i] && stepIsSettled(j, i))
          continue;
        through[active] = value;
        via[active] = via_[s];
        ++active;
      }
      if (active > 0 && relax_(row, via, through, active, n_)) {
        // The last step of the block stands for whichever step lowered the
        // row: later than the truth, which only leaves out fewer steps.
        loweredAt_[j] = stepCount(first_ + steps_ - 1);
        changed = true;
      }
    }
    return changed;
  }

  int n() const { return n_; }
  int block() const { return block_; }
  bool changed() const { return changed_; }

 private:
  int64_t stepCount(int i) const {
    return static_cast<int64_t>(pass_) * n_ + i;
  }

  // True when step i cannot lower row j in this pass: the same step of the
  // previous pass left every cost[j][k] at most cost[j][i] + cost[i][k], and
  // since then neither row j (so neither cost[j][i]) nor row i has had an
  // entry lowered. Entries only decrease, so the sums are the same and the
  // entries no larger. A row lowered at that very step is still settled.
  bool stepIsSettled(int j, int i) const {
    if (pass_ == 0)
      return false;
    int64_t previous = stepCount(i) - n_;
    return loweredAt_[j] <= previous && loweredAt_[i] <= previous;
  }

  float** cost_;
  int n_;
  float bound_;
  RelaxRow relax_;
  int block_;
  int pass_;
  LoweredAt& loweredAt_;
  std::vector<float> copies_;
  const float* via_[kMaxSteps] = {};
  int first_ = 0;
  int steps_ = 0;
  bool changed_ = false;
};

bool passOnOneThread(Pass& pass) {
  bool changed = false;
  for (int first = 0; first < pass.n(); first += pass.block()) {
    pass.startBlock(first);
    if (pass.sweepRows(0, pass.n()))
      changed = true;
  }
  return changed || pass.changed();
}

// The rows of each block are shared out in chunks; the threads meet after
// every block, and the last to arrive starts the next one.
bool passOnThreads(Pass& pass, int threads) {
  int n = pass.n();
  std::atomic<int> nextRow{0};
  std::atomic<bool> changed{false};
  int first = 0;
  pass.startBlock(first);
  std::barrier meet(threads, [&]() noexcept {
    first += pass.block();
    if (first < n)
      pass.startBlock(first);
    nextRow.store(0, std::memory_order_relaxed);
  });
  auto work = [&]() {
    bool lowered = false;
    for (int block = 0; block < n; block += pass.block()) {
      for (;;) {
        int begin = nextRow.fetch_add(kRowChunk, std::memory_order_relaxed);
        if (begin >= n)
          break;
        if (pass.sweepRows(begin, std::min(n, begin + kRowChunk)))
          lowered = true;
      }
      meet.arrive_and_wait();
    }
    if (lowered)
      changed.store(true, std::memory_order_relaxed);
  };
  std::vector<std::thread> helpers;
  for (int t = 1; t < threads; ++t)
    helpers.emplace_back(work);
  work();
  for (std::thread& helper : helpers)
    helper.join();
  return changed.load(std::memory_order_relaxed) || pass.changed();
}

// The largest entry, and whether every entry is a whole number.
struct MatrixScan {
  float largest = 0.0f;
  bool integral = true;
};

MatrixScan scanMatrix(float** cost, int n) {
  MatrixScan scan;
  for (int j = 0; j < n; ++j) {
    for (int k = 0; k < n; ++k) {
      float value = cost[j][k];
      scan.largest = std::max(scan.largest, value);
      if (value != std::trunc(value))
        scan.integral = false;
    }
  }
  return scan;
}

// True when one pass is known to be final, so that the plain loop's second
// pass would lower nothing and can be left out.
//
// Whole-number entries of at most 2^23: every entry stays a whole number no
// larger than the largest initial one, so every sum formed is a whole number
// of at most 2^24 and single precision holds it exactly; the double sum of
// the plain loop is the same number. The pass is then Floyd–Warshall in
// exact arithmetic on the complete graph whose lengths are the initial
// entries (UNREACHABLE as an ordinary length, the diagonal as self-loops).
// After intermediate i, cost[j][k] is the least length of a walk from j to
// k with inner vertices among 0 … i: such a walk either avoids i, or, cut
// between its first and last visit of i (non-negative lengths, so no
// longer), is a walk j → i and a walk i → k with inner vertices below i,
// which is what the step compares; row and column i are still those of step
// i - 1 (see above). After the pass cost[j][k] is the least length of any
// walk, and cost[j][i] + cost[i][k], the length of a walk j → i → k, is
// never below it: the next pass lowers nothing.
bool onePassIsFinal(const MatrixScan& scan) {
  return scan.integral && scan.largest <= 8388608.0f;
}

}  // namespace

void closeShortestPathsTuned(float** cost, int n, CompletionSettings settings) {
  RelaxRow relax = pickRelaxRow(settings.wideVectors);
  int threads = std::min(pickThreads(settings.threads, n), std::max(n, 1));
  int block = settings.block > 0 ? settings.block : kDefaultBlock;
  MatrixScan scan = scanMatrix(cost, n);
  bool finalAfterOne = onePassIsFinal(scan);
  float bound = scan.largest;
  LoweredAt loweredAt(n, -1);
  for (int number = 0;; ++number) {
    Pass pass(cost, n, bound, relax, block, number, loweredAt);
    bool changed =
        threads > 1 ? passOnThreads(pass, threads) : passOnOneThread(pass);
    if (!changed || finalAfterOne)
      return;
    // The largest entry can only have dropped; a tighter bound skips more.
    bound = scanMatrix(cost, n).largest;
  }
}

void closeShortestPaths(int n) { closeShortestPathsTuned(record.cost, n, {}); }
