#include "instance/random_source.h"

#include <cmath>

namespace {

struct RandomSource {
  uint32_t state = 1;
  double cachedDeviate = 0.0;
  bool cached = false;
};

RandomSource source;

}  // namespace

void seedRandom(uint32_t seed) { source.state = seed; }

int nextDraw() {
  // Unsigned arithmetic wraps modulo 2^32, as the generator requires.
  source.state = source.state * 214013u + 2531011u;
  return static_cast<int>((source.state >> 16) & 0x7FFFu);
}

// Divides by 32767, not 32768, so that both 0.0 and 1.0 can occur.
double uniform01() { return nextDraw() / 32767.0; }

int uniformInt(int a, int b) { return a + nextDraw() % (b - a + 1); }

double normalDeviate(double mean, double spread) {
  double deviate;
  if (source.cached) {
    deviate = source.cachedDeviate;
    source.cached = false;
  } else {
    double u, v, s;
    // s is never 0: 2 * draw - 32767 is odd, so u and v are never 0.
    do {
      u = 2.0 * uniform01() - 1.0;
      v = 2.0 * uniform01() - 1.0;
      s = u * u + v * v;
    } while (s >= 1.0);
    double f = std::sqrt(-2.0 * std::log(s) / s);
    deviate = u * f;
    source.cachedDeviate = v * f;
    source.cached = true;
  }
  return mean + deviate * spread;
}
