// Fuzzes the instance reader on the edge-list layout (option -b): header,
// edge records and the shortest-path completion that follows them. A matrix
// the reader accepts is also checked: symmetric, as every edge is entered
// both ways, and closed, so that neither the plain completion nor the tuned
// one under other settings lowers any entry of it.

#include <vector>

#include "common/fatal.h"
#include "fuzz/fuzz_input.h"
#include "instance/instance_reader.h"
#include "instance/shortest_paths.h"

namespace {

// The completion costs n^3 per pass and the matrix n^2 floats: an input that
// announces more vertices would spend the fuzzer's time (or its memory
// limit) on arithmetic rather than on parsing. Such inputs are skipped
// before the reader sees them; the reader's own handling of huge n
// (refusal before allocation) is covered by the end-to-end cases.
constexpr int kMaxVertices = 100;

// The accepted matrix, row by row, and row pointers into a copy of it.
struct MatrixCopy {
  std::vector<std::vector<float>> rows;
  std::vector<float*> pointers;
};

MatrixCopy copyCost(int n) {
  MatrixCopy copy;
  for (int i = 0; i < n; ++i)
    copy.rows.emplace_back(record.cost[i], record.cost[i] + n);
  for (auto& row : copy.rows)
    copy.pointers.push_back(row.data());
  return copy;
}

bool sameAsCost(const MatrixCopy& copy, int n) {
  for (int i = 0; i < n; ++i) {
    for (int j = 0; j < n; ++j) {
      // Compared as floats: NaN never gets here (the reader refuses it).
      if (copy.rows[i][j] != record.cost[i][j])
        return false;
    }
  }
  return true;
}

void checkCompleted() {
  int n = record.vertices;
  for (int i = 0; i < n; ++i) {
    for (int j = 0; j < i; ++j) {
      if (record.cost[i][j] != record.cost[j][i])
        __builtin_trap();
    }
  }
  MatrixCopy plain = copyCost(n);
  closeShortestPathsPlain(plain.pointers.data(), n);
  if (!sameAsCost(plain, n))
    __builtin_trap();
  CompletionSettings narrow;
  narrow.threads = 1;
  narrow.wideVectors = false;
  narrow.block = 1;
  MatrixCopy tuned = copyCost(n);
  closeShortestPathsTuned(tuned.pointers.data(), n, narrow);
  if (!sameAsCost(tuned, n))
    __builtin_trap();
  CompletionSettings shared;
  shared.threads = 2;
  MatrixCopy threaded = copyCost(n);
  closeShortestPathsTuned(threaded.pointers.data(), n, shared);
  if (!sameAsCost(threaded, n))
    __builtin_trap();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  return fuzzInstance(data, size, InputMode::B, kMaxVertices, checkCompleted);
}
