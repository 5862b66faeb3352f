// Fuzzes the reader of the fixed centres and the candidate sites
// ("abertos.txt", "candidatos.txt") that the solver program reads and the
// tool writes. The first byte gives the graph's n (0 … 255), so that the
// range checks meet every size; the rest is the file.

#include <vector>

#include "common/fatal.h"
#include "common/vertex_sets.h"
#include "fuzz/fuzz_input.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size == 0)
    return 0;
  int n = data[0];
  DataReader in(asText(data + 1, size - 1), kFixedCentresFile);
  try {
    std::vector<int> vertices = readVertexSet(in, n);
    // A set accepted holds at most n distinct vertices of the graph.
    if (static_cast<int>(vertices.size()) > n)
      __builtin_trap();
    std::vector<char> seen(static_cast<std::size_t>(n), 0);
    for (int v : vertices) {
      if (v < 0 || v >= n || seen[static_cast<std::size_t>(v)])
        __builtin_trap();
      seen[static_cast<std::size_t>(v)] = 1;
    }
  } catch (const FatalError&) {
  }
  return 0;
}
