// Fuzzes the shortest-path completion that the edge-list reader runs on its
// matrix: the tuned completion, under settings taken from the input, must
// give the plain triple loop's result bit for bit. The reader's own target
// only ever sees matrices it built from text; this one reaches the shapes
// that the tuned code treats specially (integral or not, sums beyond 2^24,
// unreachable entries, positive diagonals, several threads) more directly.
//
// Bytes: n - 1, the settings, the kind of lengths, then one byte per entry
// in row order (entries past the end of the input are unreachable).

#include <cstring>
#include <vector>

#include "fuzz/fuzz_input.h"
#include "instance/shortest_paths.h"

namespace {

// Up to the size at which the tuned code would pick threads by itself, so
// that a run stays short.
constexpr int kMaxVertices = 48;

struct Matrix {
  int n = 0;
  std::vector<float> cells;
  std::vector<float*> rows;
};

Matrix makeMatrix(int n, const std::vector<float>& cells) {
  Matrix m;
  m.n = n;
  m.cells = cells;
  for (int i = 0; i < n; ++i)
    m.rows.push_back(m.cells.data() + i * n);
  return m;
}

// A length from one byte. Lengths are never negative: the reader refuses
// them, since they would let completion lower distances without end.
float lengthOf(uint8_t byte, int kind) {
  if (byte >= 240)
    return UNREACHABLE;
  switch (kind) {
    case 0:
      return static_cast<float>(byte);  // integral, exact sums
    case 1:
      return 0.37f * byte;  // non-integral, sums round
    default:
      return 65536.0f * byte + 0.5f;  // sums beyond 2^24
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size < 3)
    return 0;
  int n = 1 + data[0] % kMaxVertices;
  CompletionSettings settings;
  settings.threads = 1 + (data[1] & 3);
  settings.wideVectors = (data[1] & 4) != 0;
  settings.block = (data[1] >> 3) % 33;  // 0 lets the code pick
  int kind = data[2] % 3;
  bool keepDiagonal = (data[2] & 4) != 0;
  std::vector<float> cells(static_cast<size_t>(n) * n, UNREACHABLE);
  size_t next = 3;
  for (int i = 0; i < n; ++i) {
    for (int j = 0; j < n; ++j) {
      float value = next < size ? lengthOf(data[next++], kind) : UNREACHABLE;
      // The reader starts from a zero diagonal; a record "a a d" can
      // overwrite it.
      cells[i * n + j] = i == j && !keepDiagonal ? 0.0f : value;
    }
  }
  Matrix plain = makeMatrix(n, cells);
  closeShortestPathsPlain(plain.rows.data(), n);
  Matrix tuned = makeMatrix(n, cells);
  closeShortestPathsTuned(tuned.rows.data(), n, settings);
  if (std::memcmp(plain.cells.data(), tuned.cells.data(),
                  plain.cells.size() * sizeof(float)) != 0)
    __builtin_trap();
  return 0;
}
