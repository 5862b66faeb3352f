// Fuzzes the solver program's reader of "pmeddata.dat": header and the
// n(n-1) costs. No cap on n is needed here: the reader refuses an n whose
// matrix would not fit before reading, and otherwise grows the matrix only
// as values arrive, so the work stays bounded by the input's length.

#include "common/fatal.h"
#include "common/pmed_file.h"
#include "fuzz/fuzz_input.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  DataReader in(asText(data, size), "pmeddata.dat");
  PmedProblem problem;
  try {
    readPmedData(in, problem);
    // A problem accepted must be whole: every cell of the n x n matrix, a
    // zero diagonal, and 0 <= p <= n (no centre at all is a trivial problem
    // the solver answers), as the search takes for granted.
    std::size_t n = static_cast<std::size_t>(problem.n);
    if (problem.p < 0 || problem.p > problem.n || problem.cost.size() != n * n)
      __builtin_trap();
    for (std::size_t i = 0; i < n; ++i) {
      if (problem.cost[i * n + i] != 0.0f)
        __builtin_trap();
    }
  } catch (const FatalError&) {
  }
  return 0;
}
