// Fuzzes the instance reader on the matrix layout (options -g and -a, which
// read the file the same way): header and upper triangle.

#include "common/fatal.h"
#include "fuzz/fuzz_input.h"
#include "instance/instance_reader.h"

namespace {

// The matrix costs n^2 floats to allocate and initialise whatever the input
// holds; beyond this an input would spend the fuzzer's time (or its memory
// limit) on the allocation. No completion runs in this layout, so the cap
// can be higher than for the edge list.
constexpr int kMaxVertices = 300;

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  return fuzzInstance(data, size, InputMode::G, kMaxVertices, [] {});
}
