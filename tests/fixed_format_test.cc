#include "common/fixed_format.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <limits>
#include <random>
#include <string>

namespace {

void expectSameAsPrintf(double value, int width, int precision) {
  char fast[kFixedMax];
  char slow[kFixedMax];
  std::size_t length = formatFixed(value, width, precision, fast);
  std::snprintf(slow, sizeof slow, "%*.*f", width, precision, value);
  ASSERT_EQ(std::string(fast, length), std::string(slow)) << value;
}

}  // namespace

// The fast formatter must give the bytes of "%11.5f" (and "%11.2f") for every
// value the files can hold: single-precision distances, integer demands,
// halfway cases in both directions, and values wider than the field.
TEST(FixedFormatTest, SameBytesAsFormattedPrint) {
  const double special[] = {0.0,
                            -0.0,
                            1.0,
                            0.5,
                            2.5,
                            1e6,
                            9999999.0,
                            1.005,
                            2.675,
                            0.000005,
                            0.000015,
                            0.000025,
                            0.0000049999,
                            123456.789012,
                            -7.25,
                            1e-40,
                            std::numeric_limits<float>::max(),
                            std::numeric_limits<double>::max(),
                            std::numeric_limits<float>::denorm_min(),
                            2147483647.0,
                            -2147483648.0};
  for (double v : special) {
    expectSameAsPrintf(v, 11, 5);
    expectSameAsPrintf(v, 11, 2);
  }
  std::mt19937 random(2026);
  for (int i = 0; i < 200000; ++i) {
    // Single-precision values of many magnitudes, and exact halfway cases:
    // k / 2^m has a finite binary expansion ending in a 5 at some digit.
    float f = std::ldexp(static_cast<float>(random() % 100000000),
                         static_cast<int>(random() % 40) - 30);
    expectSameAsPrintf(f, 11, 5);
    double halfway = (2.0 * (random() % 2000000) + 1) / 2e5 / 2.0 * 1.0;
    expectSameAsPrintf(halfway, 11, 5);
    expectSameAsPrintf((random() % 200001) / 64.0, 11, 5);
    expectSameAsPrintf(static_cast<int32_t>(random()), 11, 5);
  }
}
