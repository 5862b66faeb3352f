#pragma once

#include <cstdint>

// A small deterministic generator (splitmix64), so that the same seed picks
// the same moves on every machine and with every standard library.
struct RandomStream {
  std::uint64_t state = 0;
};

// Starts the stream of `seed`.
RandomStream randomStream(std::uint64_t seed);

// The next 64 random bits.
std::uint64_t nextBits(RandomStream& stream);

// A uniform integer in 0 … bound-1; bound must be positive.
int nextBelow(RandomStream& stream, int bound);
