// The end marker's rule, shared by the tool's reader and the solver's
// writer.

#include "common/end_mark.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>

namespace {

// In single precision the reals from 9999999 up to just below 10000000 all
// truncate to the marker; 9999999.7 rounds to 1e7 on reading and does not.
TEST(EndMarkTest, SinglePrecisionTruncationDecides) {
  EXPECT_TRUE(isEndMark(9999999.0f));
  EXPECT_TRUE(isEndMark(static_cast<float>(9999999.3)));
  EXPECT_TRUE(isEndMark(static_cast<float>(9999998.7)));
  EXPECT_FALSE(isEndMark(static_cast<float>(9999999.7)));
  EXPECT_FALSE(isEndMark(9999998.0f));
  EXPECT_FALSE(isEndMark(-9999999.0f));
  EXPECT_FALSE(isEndMark(0.0f));
}

TEST(EndMarkTest, NonFiniteIsNoMarker) {
  EXPECT_FALSE(isEndMark(std::numeric_limits<float>::infinity()));
  EXPECT_FALSE(isEndMark(std::numeric_limits<float>::quiet_NaN()));
}

}  // namespace
