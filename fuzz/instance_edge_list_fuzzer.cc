// Fuzzes the instance reader on the edge-list layout (option -b): header,
// edge records and the shortest-path completion that follows them.

#include "common/fatal.h"
#include "fuzz/fuzz_input.h"
#include "instance/instance_reader.h"

namespace {

// The completion costs n^3 per pass and the matrix n^2 floats: an input that
// announces more vertices would spend the fuzzer's time (or its memory
// limit) on arithmetic rather than on parsing. Such inputs are skipped
// before the reader sees them; the reader's own handling of huge n
// (refusal before allocation) is covered by the end-to-end cases.
constexpr int kMaxVertices = 100;

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  std::string_view text = asText(data, size);
  if (announcedVertices(text) > kMaxVertices) return 0;
  resetRecord();
  DataReader in(text, "(inst.txt)");
  try {
    readInstanceFrom(in, InputMode::B);
  } catch (const FatalError&) {
  }
  resetRecord();
  return 0;
}
