// Fuzzes the solver program's reader of "pmedcob.dat": header, demands and
// cover lists. The arrays grow only as values arrive, so the work stays
// bounded by the input's length whatever the header announces.

#include "common/cover_file.h"
#include "common/fatal.h"
#include "fuzz/fuzz_input.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  DataReader in(asText(data, size), "pmedcob.dat");
  CoverLists lists;
  try {
    readCoverLists(in, lists);
    // Lists accepted must be whole, as the model built from them takes for
    // granted: n demands >= 0, n + 1 starts from 0 to the entry count, and
    // each list increasing, within 0 … n-1, without its own candidate.
    std::size_t n = static_cast<std::size_t>(lists.n);
    if (lists.p < 0 || lists.p > lists.n || lists.demand.size() != n ||
        lists.start.size() != n + 1 || lists.start[0] != 0 ||
        lists.start[n] != static_cast<int64_t>(lists.vertex.size()))
      __builtin_trap();
    for (std::size_t i = 0; i < n; ++i) {
      if (lists.demand[i] < 0 || lists.start[i + 1] < lists.start[i])
        __builtin_trap();
      for (int64_t k = lists.start[i]; k < lists.start[i + 1]; ++k) {
        int32_t v = lists.vertex[static_cast<std::size_t>(k)];
        if (v < 0 || v >= lists.n || v == static_cast<int32_t>(i) ||
            (k > lists.start[i] &&
             v <= lists.vertex[static_cast<std::size_t>(k - 1)]))
          __builtin_trap();
      }
    }
  } catch (const FatalError&) {
  }
  return 0;
}
