#pragma once

// Helpers shared by the fuzz targets: each target drives one reader over the
// fuzzer's bytes as if they were the file, with the failure routine throwing
// FatalError (an expected rejection) instead of ending the process.

#include <cstddef>
#include <cstdint>
#include <string_view>

#include "common/fatal.h"
#include "common/token_reader.h"
#include "instance/instance_reader.h"
#include "instance/instance_record.h"

inline std::string_view asText(const uint8_t* data, std::size_t size) {
  return std::string_view(reinterpret_cast<const char*>(data), size);
}

// Frees every array of the record and zeroes it, so that no run sees what
// the previous one left and LeakSanitizer sees nothing left behind.
inline void resetRecord() {
  releaseInstance();
  record = InstanceRecord{};
}

// The integer that the first token of `text` announces as n, or 0 when it is
// missing or does not convert (the reader itself rejects that). Read with
// the readers' own tokenizer, so a byte order mark or odd blanks are seen
// the same way.
inline int announcedVertices(std::string_view text) {
  TokenReader tokens(text);
  std::string_view token;
  int n = 0;
  if (!tokens.next(token) || !parseInt(token, n))
    return 0;
  return n;
}

// Reads the fuzzer's bytes as an instance file in `mode` and runs `check` on
// an instance that was accepted. Inputs announcing more than `maxVertices`
// are skipped: their allocation (and, for an edge list, the n^3 completion)
// would spend the fuzzer's time rather than test the reader.
template <typename Check>
int fuzzInstance(const uint8_t* data, std::size_t size, InputMode mode,
                 int maxVertices, Check check) {
  std::string_view text = asText(data, size);
  if (announcedVertices(text) > maxVertices)
    return 0;
  resetRecord();
  DataReader in(text, "(inst.txt)");
  try {
    readInstanceFrom(in, mode);
    check();
  } catch (const FatalError&) {
  }
  resetRecord();
  return 0;
}
