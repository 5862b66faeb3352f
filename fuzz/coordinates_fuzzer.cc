// Fuzzes the reader of coordinates files, in both layouts. The first byte
// sets the number of vertices (0 to 64); the rest of the input is the file,
// read as TSPLIB when it holds a NODE_COORD_SECTION.

#include "common/fatal.h"
#include "fuzz/fuzz_input.h"
#include "instance/coordinates.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size < 1)
    return 0;
  std::string_view text = asText(data + 1, size - 1);
  DataReader in(text, "{xy.txt}");
  try {
    readCoordinatesFrom(in, data[0] % 65, isTsplib(text));
  } catch (const FatalError&) {
  }
  return 0;
}
