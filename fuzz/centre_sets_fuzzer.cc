// Fuzzes the reader of the files of --open and --candidates, vertices
// numbered from 1: blank- or comma-separated lists, or a table with an "id"
// column, or the places' own ids. The first byte sets the number of vertices
// (0 to 64) and whether there are such ids; the rest of
// the input is the file. A list that is accepted must be what the solver's
// files are written from: 0-based vertices inside the graph, ascending,
// each once.

#include <string>

#include "common/fatal.h"
#include "fuzz/fuzz_input.h"
#include "instance/centre_sets.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size < 1)
    return 0;
  int n = data[0] % 65;
  // An odd first byte also gives the places own ids, "1" … "n" shifted by
  // 60 (so some ids are row numbers and some are not), in a column "gid".
  PlaceIds ids{"gid", "(t.csv)", {}};
  for (int v = 0; v < n; ++v)
    ids.vertex.emplace(std::to_string(v + 61), v);
  std::vector<int32_t> vertices;
  try {
    vertices = parseVertexList(asText(data + 1, size - 1), "<open.txt>", n,
                               data[0] % 2 ? &ids : nullptr);
  } catch (const FatalError&) {
    return 0;
  }
  for (std::size_t k = 0; k < vertices.size(); ++k) {
    if (vertices[k] < 0 || vertices[k] >= n)
      __builtin_trap();
    if (k > 0 && vertices[k] <= vertices[k - 1])
      __builtin_trap();
  }
  return 0;
}
