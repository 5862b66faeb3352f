// Fuzzes the bounded searches of a sparse run on an edge list against the
// completed matrix of a dense one: the same small network is read both ways
// and everything asked through the distance seam must agree. With whole
// lengths the two sum exactly and must agree bit for bit; with other
// lengths they sum in different orders and round differently, so only the
// sets within S are compared, where the distance is not within a relative
// 1e-6 of S.
//
// Bytes: n, the kind of lengths, S, the number of centres and the centres,
// then three bytes per edge record (its two ends and its length).

#include <cmath>
#include <cstdio>
#include <string>
#include <vector>

#include "fuzz/fuzz_input.h"
#include "tests/seam_answers.h"

namespace {

constexpr int kMaxVertices = 40;
constexpr int kMaxEdges = 120;

// A length from one byte: small whole lengths, zeros, lengths that only a
// single edge may span (below UNREACHABLE) and lengths at or beyond it.
float lengthOf(uint8_t byte, bool whole) {
  if (byte >= 240)
    return 3000000.0f + byte;
  if (byte >= 220)
    return 700000.0f + byte;
  if (byte >= 200)
    return 0.0f;
  return whole ? static_cast<float>(byte % 16) : 0.37f * byte;
}

bool sameLinks(const std::vector<CentreLink>& a,
               const std::vector<CentreLink>& b) {
  if (a.size() != b.size())
    return false;
  for (std::size_t j = 0; j < a.size(); ++j)
    if (a[j].centre != b[j].centre || a[j].distance != b[j].distance ||
        a[j].listed != b[j].listed)
      return false;
  return true;
}

bool sameAnswers(const SeamAnswers& a, const SeamAnswers& b) {
  return a.within == b.within && a.self == b.self &&
         sameLinks(a.links, b.links) && a.pairs == b.pairs &&
         a.smallest == b.smallest && a.beyond == b.beyond;
}

// The pairs within S agree but where the distance that one side found
// within S lies within a relative 1e-6 of S.
bool sameWithinAwayFromS(const SeamAnswers& a, const SeamAnswers& b, float s) {
  for (std::size_t i = 0; i < a.within.size(); ++i)
    for (std::size_t j = 0; j < a.within[i].size(); ++j) {
      float x = a.within[i][j], y = b.within[i][j];
      if ((x >= 0) == (y >= 0))
        continue;
      if (std::fabs(std::fmax(x, y) - s) > 1e-6 * s)
        return false;
    }
  return true;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size < 4)
    return 0;
  int n = data[0] % (kMaxVertices + 1);
  bool whole = (data[1] & 1) == 0;
  float s = whole ? static_cast<float>(data[2] % 32) : 0.37f * data[2];
  std::size_t next = 4;
  std::vector<int32_t> centres;
  for (int k = 0; n > 0 && k < data[3] % 7 && next < size; ++k)
    centres.push_back(data[next++] % n);
  std::string edges;
  int m = 0;
  for (; n > 0 && m < kMaxEdges && next + 3 <= size; ++m, next += 3) {
    char line[64];
    // Nine digits read back as the same float.
    std::snprintf(line, sizeof line, "%d %d %.9g\n", 1 + data[next] % n,
                  1 + data[next + 1] % n,
                  static_cast<double>(lengthOf(data[next + 2], whole)));
    edges += line;
  }
  char header[64];
  std::snprintf(header, sizeof header, "%d %d 0 %.9g\n", n, m,
                static_cast<double>(s));
  resetRecord();
  try {
    std::array<SeamAnswers, 2> answers =
        askEdgeListBothWays(header + edges, centres);
    if (whole ? !sameAnswers(answers[0], answers[1])
              : !sameWithinAwayFromS(answers[0], answers[1], s))
      __builtin_trap();
  } catch (const FatalError&) {
    __builtin_trap();  // every input built here is a valid edge list
  }
  resetRecord();
  return 0;
}
