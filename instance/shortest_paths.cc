#include "instance/shortest_paths.h"

#include <algorithm>
#include <atomic>
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

// Several intermediates per sweep. Taken one at a time, every intermediate
// reads and writes the whole matrix for one addition and one minimum per
// entry, and the processor mostly waits for memory. A block of consecutive
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
  // Four vectors at a time, so that each step's row and sum are fetched once
  // for 32 entries.
  for (; k + 32 <= n; k += 32) {
    __m256 old0 = _mm256_loadu_ps(row + k);
    __m256 old1 = _mm256_loadu_ps(row + k + 8);
    __m256 old2 = _mm256_loadu_ps(row + k + 16);
    __m256 old3 = _mm256_loadu_ps(row + k + 24);
    __m256 value0 = old0, value1 = old1, value2 = old2, value3 = old3;
    for (int s = 0; s < steps; ++s) {
      const float* from = via[s] + k;
      __m256 sum = t[s];
      value0 = _mm256_min_ps(_mm256_add_ps(sum, _mm256_loadu_ps(from)), value0);
      value1 =
          _mm256_min_ps(_mm256_add_ps(sum, _mm256_loadu_ps(from + 8)), value1);
      value2 =
          _mm256_min_ps(_mm256_add_ps(sum, _mm256_loadu_ps(from + 16)), value2);
      value3 =
          _mm256_min_ps(_mm256_add_ps(sum, _mm256_loadu_ps(from + 24)), value3);
    }
    __m256 below0 = _mm256_cmp_ps(value0, old0, _CMP_LT_OQ);
    __m256 below1 = _mm256_cmp_ps(value1, old1, _CMP_LT_OQ);
    __m256 below2 = _mm256_cmp_ps(value2, old2, _CMP_LT_OQ);
    __m256 below3 = _mm256_cmp_ps(value3, old3, _CMP_LT_OQ);
    __m256 below = _mm256_or_ps(_mm256_or_ps(below0, below1),
                                _mm256_or_ps(below2, below3));
    if (_mm256_movemask_ps(below)) {
      _mm256_storeu_ps(row + k, value0);
      _mm256_storeu_ps(row + k + 8, value1);
      _mm256_storeu_ps(row + k + 16, value2);
      _mm256_storeu_ps(row + k + 24, value3);
      lowered = _mm256_or_ps(lowered, below);
    }
  }
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
// streams in, few enough that their copies stay in the core's cache. A
// matrix beyond the shared cache comes from memory on every sweep, so there
// fewer, longer sweeps pay.
constexpr int kDefaultBlock = 16;
constexpr int kLargeBlock = 32;
constexpr int kLargeFrom = 2048;

// Below this size a pass is too short for threads to pay for their start and
// for waiting on each other.
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
// lower nothing (see stepIsSettled). Atomic because a thread may read the
// entry of a row that another thread is already taking through the next
// block; a newer count only leaves out fewer steps.
using LoweredAt = std::vector<std::atomic<int64_t>>;

// One pass over the matrix, block by block. Two blocks can be under way at
// once, so the copies are kept for two.
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
        loweredAt_(loweredAt) {
    for (Copies& copies : copies_)
      copies.rows.resize(static_cast<std::size_t>(block_) * n);
  }

  int n() const { return n_; }
  int blocks() const { return (n_ + block_ - 1) / block_; }
  int firstOf(int b) const { return b * block_; }
  int stepsOf(int b) const { return std::min(block_, n_ - firstOf(b)); }
  bool changed() const { return changed_.load(std::memory_order_relaxed); }

  // Runs block b's own rows through its steps and copies the rows the others
  // read. Needs those rows done with block b - 1 and nobody still reading
  // the copies of block b - 2.
  void startBlock(int b) {
    Copies& copies = copies_[b & 1];
    int first = firstOf(b);
    int steps = stepsOf(b);
    for (int s = 0; s < steps; ++s) {
      int i = first + s;
      float* copy = copies.rows.data() + static_cast<std::size_t>(s) * n_;
      std::copy(cost_[i], cost_[i] + n_, copy);
      copies.via[s] = copy;
      for (int r = first; r < first + steps; ++r) {
        float through = cost_[r][i];
        if (r == i || through >= bound_ || stepIsSettled(r, i))
          continue;
        if (relax_(cost_[r], &copies.via[s], &through, 1, n_)) {
          loweredAt_[r].store(stepCount(i), std::memory_order_relaxed);
          changed_.store(true, std::memory_order_relaxed);
        }
      }
    }
  }

  // Takes row j, outside block b, through the block's steps; true when some
  // entry decreased.
  bool sweepRow(int b, int j) const {
    const Copies& copies = copies_[b & 1];
    int first = firstOf(b);
    int steps = stepsOf(b);
    float* row = cost_[j];
    float through[kMaxSteps];
    const float* via[kMaxSteps];
    int active = 0;
    for (int s = 0; s < steps; ++s) {
      int i = first + s;
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
      via[active] = copies.via[s];
      ++active;
    }
    if (active == 0 || !relax_(row, via, through, active, n_))
      return false;
    // The last step of the block stands for whichever step lowered the row:
    // later than the truth, which only leaves out fewer steps.
    loweredAt_[j].store(stepCount(first + steps - 1),
                        std::memory_order_relaxed);
    return true;
  }

 private:
  struct Copies {
    std::vector<float> rows;
    const float* via[kMaxSteps] = {};
  };

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
    return loweredAt_[j].load(std::memory_order_relaxed) <= previous &&
           loweredAt_[i].load(std::memory_order_relaxed) <= previous;
  }

  float** cost_;
  int n_;
  float bound_;
  RelaxRow relax_;
  int block_;
  int pass_;
  LoweredAt& loweredAt_;
  Copies copies_[2];
  std::atomic<bool> changed_{false};
};

bool passOnOneThread(Pass& pass) {
  bool changed = false;
  for (int b = 0; b < pass.blocks(); ++b) {
    pass.startBlock(b);
    int first = pass.firstOf(b);
    int last = first + pass.stepsOf(b);
    for (int j = 0; j < pass.n(); ++j)
      if ((j < first || j >= last) && pass.sweepRow(b, j))
        changed = true;
  }
  return changed || pass.changed();
}

// A pass on several threads without a meeting after every block, so that a
// thread held up (the cores are shared) stalls the others only when they
// run a whole block ahead. Rows are handed out in chunks from one counter
// running through all blocks; each block's chunks start at the next block's
// own rows, so that the next block can be started early. A thread sweeps a
// row once the block is started and the row is done with the block before.
class ThreadedPass {
 public:
  ThreadedPass(Pass& pass, int threads)
      : pass_(pass),
        threads_(threads),
        chunksPerBlock_((pass.n() + kRowChunk - 1) / kRowChunk),
        rowBlocks_(pass.n()),
        rowsDone_(pass.blocks()) {}

  bool run() {
    startBlock(0);
    std::vector<std::thread> helpers;
    for (int t = 1; t < threads_; ++t)
      helpers.emplace_back([this]() { work(); });
    work();
    for (std::thread& helper : helpers)
      helper.join();
    return changed_.load(std::memory_order_relaxed) || pass_.changed();
  }

 private:
  void startBlock(int b) {
    pass_.startBlock(b);
    int first = pass_.firstOf(b);
    int steps = pass_.stepsOf(b);
    for (int r = first; r < first + steps; ++r)
      rowBlocks_[r].store(b + 1, std::memory_order_release);
    rowsDone_[b].fetch_add(steps, std::memory_order_acq_rel);
    started_.store(b + 1, std::memory_order_release);
  }

  // Starts the next block if it may start and nobody has; true if it did.
  bool tryStartBlock() {
    int b = claimed_.load(std::memory_order_acquire);
    if (b >= pass_.blocks())
      return false;
    int first = pass_.firstOf(b);
    for (int r = first; r < first + pass_.stepsOf(b); ++r)
      if (rowBlocks_[r].load(std::memory_order_acquire) < b)
        return false;
    if (b >= 2 && rowsDone_[b - 2].load(std::memory_order_acquire) < pass_.n())
      return false;
    if (!claimed_.compare_exchange_strong(b, b + 1, std::memory_order_acq_rel))
      return false;
    startBlock(b);
    return true;
  }

  // Waits, starting blocks meanwhile, until `ready` holds.
  template <typename Ready>
  void waitFor(Ready ready) {
    while (!ready())
      if (!tryStartBlock())
        std::this_thread::yield();
  }

  void work() {
    int n = pass_.n();
    int64_t chunks = static_cast<int64_t>(pass_.blocks()) * chunksPerBlock_;
    bool lowered = false;
    for (;;) {
      int64_t chunk = nextChunk_.fetch_add(1, std::memory_order_relaxed);
      if (chunk >= chunks)
        break;
      int b = static_cast<int>(chunk / chunksPerBlock_);
      int begin = static_cast<int>(chunk % chunksPerBlock_) * kRowChunk;
      waitFor([&]() { return started_.load(std::memory_order_acquire) > b; });
      int first = pass_.firstOf(b);
      int last = first + pass_.stepsOf(b);
      // Rows from the start of the next block on, wrapping around.
      int offset = last < n ? last : 0;
      for (int t = begin; t < std::min(n, begin + kRowChunk); ++t) {
        int j = offset + t < n ? offset + t : offset + t - n;
        if (j >= first && j < last)
          continue;
        waitFor([&]() {
          return rowBlocks_[j].load(std::memory_order_acquire) >= b;
        });
        if (pass_.sweepRow(b, j))
          lowered = true;
        rowBlocks_[j].store(b + 1, std::memory_order_release);
        rowsDone_[b].fetch_add(1, std::memory_order_acq_rel);
      }
    }
    if (lowered)
      changed_.store(true, std::memory_order_relaxed);
  }

  Pass& pass_;
  int threads_;
  int chunksPerBlock_;
  // Blocks each row is done with.
  std::vector<std::atomic<int>> rowBlocks_;
  // Rows done with each block, its own included.
  std::vector<std::atomic<int>> rowsDone_;
  std::atomic<int64_t> nextChunk_{0};
  // Blocks claimed for starting, and blocks started.
  std::atomic<int> claimed_{1};
  std::atomic<int> started_{0};
  std::atomic<bool> changed_{false};
};

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
  int block = settings.block > 0 ? settings.block
              : n >= kLargeFrom  ? kLargeBlock
                                 : kDefaultBlock;
  MatrixScan scan = scanMatrix(cost, n);
  bool finalAfterOne = onePassIsFinal(scan);
  float bound = scan.largest;
  LoweredAt loweredAt(n);
  for (std::atomic<int64_t>& at : loweredAt)
    at.store(-1, std::memory_order_relaxed);
  for (int number = 0;; ++number) {
    Pass pass(cost, n, bound, relax, block, number, loweredAt);
    bool changed =
        threads > 1 ? ThreadedPass(pass, threads).run() : passOnOneThread(pass);
    if (!changed || finalAfterOne)
      return;
    // The largest entry can only have dropped; a tighter bound skips more.
    bound = scanMatrix(cost, n).largest;
  }
}

void closeShortestPaths(int n) { closeShortestPathsTuned(record.cost, n, {}); }
