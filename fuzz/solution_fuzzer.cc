// Fuzzes the reader of the solver's "solucao.txt". The first two bytes set n
// (0 to 32) and p (0 to n), so that centres in and out of range, and files
// that end before the p-th centre, all occur; the rest is the file.

#include "common/fatal.h"
#include "fuzz/fuzz_input.h"
#include "solver/solution_reader.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size < 2)
    return 0;
  resetRecord();
  record.vertices = data[0] % 33;
  record.facilidades = data[1] % (record.vertices + 1);
  DataReader in(asText(data + 2, size - 2), "solucao.txt");
  try {
    int tag = readSolutionFrom(in);
    // Every centre accepted must index the matrix that reassignment uses.
    for (int i = 0; i < record.facilidades; ++i) {
      if (record.centro[i] < 0 || record.centro[i] >= record.vertices)
        __builtin_trap();
    }
    (void)tag;
  } catch (const FatalError&) {
  }
  resetRecord();
  return 0;
}
