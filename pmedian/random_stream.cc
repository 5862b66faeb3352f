#include "pmedian/random_stream.h"

RandomStream randomStream(std::uint64_t seed) {
  return RandomStream{seed * 0x9E3779B97F4A7C15ull + 0x632BE59BD9B4E019ull};
}

std::uint64_t nextBits(RandomStream& stream) {
  std::uint64_t z = (stream.state += 0x9E3779B97F4A7C15ull);
  z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ull;
  z = (z ^ (z >> 27)) * 0x94D049BB133111EBull;
  return z ^ (z >> 31);
}

int nextBelow(RandomStream& stream, int bound) {
  // The multiply-shift keeps the choice independent of the library's
  // distributions, whose algorithms differ between implementations.
  std::uint64_t high = nextBits(stream) >> 32;
  return static_cast<int>((high * static_cast<std::uint64_t>(bound)) >> 32);
}
