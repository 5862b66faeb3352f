#include "instance/shortest_paths.h"

#include <algorithm>
#include <atomic>
#include <barrier>
#include <cmath>
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
            if (stored < cost[j][k]) changed = true;
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

namespace {

using RelaxRow = bool (*)(float* row, const float* via, float through, int n);

// Relaxes row[k] through the intermediate, one entry at a time, from `begin`;
// true when some entry decreased.
bool relaxTail(float* row, const float* via, float through, int begin, int n) {
  bool changed = false;
  for (int k = begin; k < n; ++k) {
    float sum = through + via[k];
    if (sum < row[k]) {
      row[k] = sum;
      changed = true;
    }
  }
  return changed;
}

#if MCLP_X86_64

// Four entries per step with the baseline SSE2 instructions. minps returns
// its second operand unless the first is smaller, which is the plain loop's
// keep-unless-below rule.
bool relaxRowSse2(float* row, const float* via, float through, int n) {
  __m128 t = _mm_set1_ps(through);
  __m128 lowered = _mm_setzero_ps();
  int k = 0;
  for (; k + 4 <= n; k += 4) {
    __m128 sum = _mm_add_ps(t, _mm_loadu_ps(via + k));
    __m128 old = _mm_loadu_ps(row + k);
    __m128 below = _mm_cmplt_ps(sum, old);
    // Rows settle quickly; leaving unchanged memory alone saves the writes.
    if (_mm_movemask_ps(below)) {
      _mm_storeu_ps(row + k, _mm_min_ps(sum, old));
      lowered = _mm_or_ps(lowered, below);
    }
  }
  bool changed = _mm_movemask_ps(lowered) != 0;
  return relaxTail(row, via, through, k, n) || changed;
}

// Eight entries per step; chosen at run time on processors that have AVX2.
__attribute__((target("avx2"))) bool relaxRowAvx2(float* row,
                                                  const float* via,
                                                  float through, int n) {
  __m256 t = _mm256_set1_ps(through);
  __m256 lowered = _mm256_setzero_ps();
  int k = 0;
  for (; k + 8 <= n; k += 8) {
    __m256 sum = _mm256_add_ps(t, _mm256_loadu_ps(via + k));
    __m256 old = _mm256_loadu_ps(row + k);
    __m256 below = _mm256_cmp_ps(sum, old, _CMP_LT_OQ);
    if (_mm256_movemask_ps(below)) {
      _mm256_storeu_ps(row + k, _mm256_min_ps(sum, old));
      lowered = _mm256_or_ps(lowered, below);
    }
  }
  bool changed = _mm256_movemask_ps(lowered) != 0;
  return relaxTail(row, via, through, k, n) || changed;
}

#else

bool relaxRowScalar(float* row, const float* via, float through, int n) {
  return relaxTail(row, via, through, 0, n);
}

#endif

RelaxRow pickRelaxRow(bool wideVectors) {
#if MCLP_X86_64
  if (wideVectors && __builtin_cpu_supports("avx2")) return relaxRowAvx2;
  return relaxRowSse2;
#else
  (void)wideVectors;
  return relaxRowScalar;
#endif
}

// Below this size a pass is too short for threads to pay for their start and
// the wait after every intermediate.
constexpr int kThreadedFrom = 192;
// Rows taken at a time by a thread; small enough to even out skipped rows and
// a core lent to another process.
constexpr int kRowChunk = 8;

int pickThreads(int requested, int n) {
  if (requested > 0) return requested;
  if (n < kThreadedFrom) return 1;
  unsigned cores = std::thread::hardware_concurrency();
  return static_cast<int>(std::clamp(cores, 1u, 8u));
}

// Relaxes rows [begin, end) through intermediate i; true when some entry
// decreased.
bool relaxRows(float** cost, int n, int i, int begin, int end, float bound,
               RelaxRow relax) {
  const float* via = cost[i];
  bool changed = false;
  for (int j = begin; j < end; ++j) {
    float through = cost[j][i];
    if (j == i || through >= bound) continue;
    if (relax(cost[j], via, through, n)) changed = true;
  }
  return changed;
}

bool passOnOneThread(float** cost, int n, float bound, RelaxRow relax) {
  bool changed = false;
  for (int i = 0; i < n; ++i)
    if (relaxRows(cost, n, i, 0, n, bound, relax)) changed = true;
  return changed;
}

// One pass with the rows of each intermediate shared out in chunks; all
// threads meet after every intermediate, because the next one reads rows
// the others may still be writing.
bool passOnThreads(float** cost, int n, float bound, RelaxRow relax,
                   int threads) {
  std::atomic<int> nextRow{0};
  std::atomic<bool> changed{false};
  std::barrier meet(threads, [&nextRow]() noexcept {
    nextRow.store(0, std::memory_order_relaxed);
  });
  auto work = [&]() {
    bool lowered = false;
    for (int i = 0; i < n; ++i) {
      for (;;) {
        int begin = nextRow.fetch_add(kRowChunk, std::memory_order_relaxed);
        if (begin >= n) break;
        int end = std::min(n, begin + kRowChunk);
        if (relaxRows(cost, n, i, begin, end, bound, relax)) lowered = true;
      }
      meet.arrive_and_wait();
    }
    if (lowered) changed.store(true, std::memory_order_relaxed);
  };
  std::vector<std::thread> helpers;
  for (int t = 1; t < threads; ++t) helpers.emplace_back(work);
  work();
  for (std::thread& helper : helpers) helper.join();
  return changed.load(std::memory_order_relaxed);
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
      if (value != std::trunc(value)) scan.integral = false;
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
  MatrixScan scan = scanMatrix(cost, n);
  bool finalAfterOne = onePassIsFinal(scan);
  float bound = scan.largest;
  for (;;) {
    bool changed = threads > 1
                       ? passOnThreads(cost, n, bound, relax, threads)
                       : passOnOneThread(cost, n, bound, relax);
    if (!changed || finalAfterOne) return;
    // The largest entry can only have dropped; a tighter bound skips more.
    bound = scanMatrix(cost, n).largest;
  }
}

void closeShortestPaths(int n) { closeShortestPathsTuned(record.cost, n, {}); }
