// Fuzzes the reader of "demanda.txt". The first byte sets the number of
// vertices (0 to 64), so that short, exact and overlong files all occur; the
// rest of the input is the file.

#include "common/fatal.h"
#include "fuzz/fuzz_input.h"
#include "instance/demand.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size < 1)
    return 0;
  resetRecord();
  record.vertices = data[0] % 65;
  DataReader in(asText(data + 1, size - 1), "[demanda.txt]");
  try {
    readDemandFrom(in);
  } catch (const FatalError&) {
  }
  resetRecord();
  return 0;
}
