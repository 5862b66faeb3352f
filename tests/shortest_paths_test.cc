#include "instance/shortest_paths.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <random>
#include <vector>

#include "instance/instance_reader.h"
#include "instance/instance_record.h"
#include "matrix_fixture.h"

namespace {

// Runs the plain loop on a copy and the fast completion on the record with
// the given settings, and checks that every bit agrees.
void expectSameAsPlain(CompletionSettings settings) {
  Matrix plain = copyOfRecord();
  closeShortestPathsPlain(plain.pointers.data(), record.vertices);
  closeShortestPathsTuned(record.cost, record.vertices, settings);
  EXPECT_EQ(firstDifferentRow(plain), -1)
      << "n " << record.vertices << ", threads " << settings.threads
      << ", wide " << settings.wideVectors << ", block " << settings.block;
}

enum class Lengths {
  Whole,              // 1 … 100: exact arithmetic, one pass is final
  Fractional,         // 0.001 … 100: rounding, passes until nothing lowers
  BeyondUnreachable,  // mixed with lengths up to 3,000,000
  BeyondExact,        // whole numbers up to 2^25, where sums round
  Spread,             // 2^-12 … 2^19: sums round a lot, many passes
  Sparse,             // few edges, isolated vertices
};

std::vector<Edge> randomEdges(int n, Lengths kind, std::mt19937& random) {
  std::vector<Edge> edges;
  if (n == 0)
    return edges;
  std::uniform_int_distribution<int> vertex(0, n - 1);
  std::uniform_int_distribution<int> whole(1, 100);
  std::uniform_real_distribution<float> fraction(0.001f, 100.0f);
  std::uniform_int_distribution<int> huge(900000, 3000000);
  std::uniform_int_distribution<int> beyond(1, 1 << 25);
  std::uniform_real_distribution<float> exponent(-12.0f, 19.0f);
  int count = kind == Lengths::Sparse ? n / 3 : 4 * n;
  for (int e = 0; e < count; ++e) {
    // Self-loops and repeated pairs come out of the draw on their own at
    // small n; a few are forced so that every size has some.
    int a = vertex(random);
    int b = e % 17 == 0 ? a : vertex(random);
    float length = 0.0f;
    switch (kind) {
      case Lengths::Whole:
      case Lengths::Sparse:
        length = static_cast<float>(whole(random));
        break;
      case Lengths::Fractional:
        length = fraction(random);
        break;
      case Lengths::BeyondUnreachable:
        length =
            e % 3 == 0 ? static_cast<float>(huge(random)) : fraction(random);
        break;
      case Lengths::BeyondExact:
        length =
            static_cast<float>(e % 4 == 0 ? whole(random) : beyond(random));
        break;
      case Lengths::Spread:
        length = std::exp2(exponent(random)) * fraction(random) * 0.01f;
        break;
    }
    if (e % 23 == 0)
      length = 0.0f;
    edges.push_back({a, b, length});
    if (e % 11 == 0)
      edges.push_back({a, b, length * 0.5f + 1.0f});
  }
  return edges;
}

class ShortestPathsTest : public ::testing::Test {
 protected:
  void TearDown() override {
    releaseInstance();
    record = InstanceRecord{};
  }
};

TEST_F(ShortestPathsTest, FiveAndSevenMakeTwelve) {
  setUpRecord(3, {{0, 1, 5.0f}, {1, 2, 7.0f}});
  closeShortestPaths(3);
  EXPECT_EQ(record.cost[0][2], 12.0f);
  EXPECT_EQ(record.cost[2][0], 12.0f);
  EXPECT_EQ(record.cost[1][1], 0.0f);
}

TEST_F(ShortestPathsTest, ShorterPathBeatsDirectEdge) {
  setUpRecord(3, {{0, 1, 5.0f}, {1, 2, 7.0f}, {0, 2, 20.0f}});
  closeShortestPaths(3);
  EXPECT_EQ(record.cost[0][2], 12.0f);
  EXPECT_EQ(record.cost[2][0], 12.0f);
}

TEST_F(ShortestPathsTest, IsolatedVertexStaysUnreachable) {
  setUpRecord(4, {{0, 1, 5.0f}, {1, 2, 7.0f}});
  closeShortestPaths(4);
  for (int k = 0; k < 3; ++k) {
    EXPECT_EQ(record.cost[3][k], UNREACHABLE);
    EXPECT_EQ(record.cost[k][3], UNREACHABLE);
  }
  EXPECT_EQ(record.cost[3][3], 0.0f);
}

TEST_F(ShortestPathsTest, SelfLoopShortenedByRoundTrip) {
  setUpRecord(2, {{0, 0, 5.0f}, {0, 1, 1.5f}});
  closeShortestPaths(2);
  EXPECT_EQ(record.cost[0][0], 3.0f);
  EXPECT_EQ(record.cost[1][1], 0.0f);
}

// 1 + 1e-7 lies below 1 + 2^-23 but rounds up to it: the candidate is
// smaller, the stored value is not. Counting that as a change would repeat
// the passes for ever.
TEST_F(ShortestPathsTest, RoundingWithoutDecreaseEnds) {
  const float direct = 1.0f + 0x1p-23f;
  for (int threads : {1, 2}) {
    setUpRecord(3, {{0, 1, 1.0f}, {1, 2, 1e-7f}, {0, 2, direct}});
    ASSERT_LT(1.0 + static_cast<double>(1e-7f), static_cast<double>(direct));
    expectSameAsPlain({threads, true, 0});
    EXPECT_EQ(record.cost[0][2], direct);
  }
}

// A settled step is left out of a later pass only while this block has not
// lowered the row's entry for it. Here, in the confirming pass, rounding lets
// an earlier step of a block of 4 lower cost[6][i] for a later settled step
// i; leaving i out then keeps cost[6][4] and cost[6][5] one unit in the last
// place above the plain loop's.
TEST_F(ShortestPathsTest, SettledStepRunsWhenItsEntryWasJustLowered) {
  const float lengths[7][7] = {
      {0, 23.3857155f, 32.2428551f, 32.2428551f, 55.5285683f, 55.6714287f,
       66.6714249f},
      {2.38571429f, 0, 60.9571419f, 85.5285721f, 105.671425f, 123.385712f,
       132.957153f},
      {23.1000004f, 52.6714287f, 0, 83.5285721f, 47.0999985f, 4.67142868f,
       43.9571419f},
      {44.5285683f, 26.6714287f, 5.0999999f, 0, 5.95714283f, 3.67142844f,
       13.8142862f},
      {100.099998f, 113.528572f, 69.8142853f, 21.9571438f, 0, 127.528572f,
       133.814285f},
      {54.5285683f, 111.385712f, 40.2428551f, 23.3857155f, 21.3857155f, 0,
       108.814285f},
      {55.8142853f, 19.3857155f, 112.242859f, 133.385727f, 76.3857117f,
       79.8142853f, 0},
  };
  for (bool wide : {false, true}) {
    setUpRecord(7, {});
    for (int j = 0; j < 7; ++j)
      for (int k = 0; k < 7; ++k)
        record.cost[j][k] = lengths[j][k];
    expectSameAsPlain({1, wide, 4});
  }
}

// An edge longer than UNREACHABLE is lowered by a path through an entry that
// is still UNREACHABLE; rows reaching the intermediate only at UNREACHABLE
// may therefore be skipped only when UNREACHABLE is the largest entry.
TEST_F(ShortestPathsTest, LengthAboveUnreachableIsLoweredThroughIt) {
  setUpRecord(3, {{0, 2, 3000000.0f}, {1, 2, 0.5f}});
  closeShortestPaths(3);
  EXPECT_EQ(record.cost[0][2], 1000000.5f);
  EXPECT_EQ(record.cost[2][0], 1000000.5f);
  EXPECT_EQ(record.cost[0][1], UNREACHABLE);
}

// Whole numbers beyond 2^24 round when summed, and the second pass lowers
// entries here (found by search): one pass is final only in the exact range.
TEST_F(ShortestPathsTest, WholeLengthsBeyondExactRangeNeedMorePasses) {
  const float given[5][5] = {{0, 45874, 27936920, 14762623, 20837454},
                             {45874, 0, 14852107, 14350738, 24290950},
                             {27936920, 14852107, 0, 2578240, 5116567},
                             {14762623, 14350738, 2578240, 0, 4887883},
                             {20837454, 24290950, 5116567, 4887883, 0}};
  for (int threads : {1, 2}) {
    setUpRecord(5, {});
    for (int j = 0; j < 5; ++j)
      for (int k = 0; k < 5; ++k)
        record.cost[j][k] = given[j][k];
    expectSameAsPlain({threads, true, 0});
    EXPECT_EQ(record.cost[0][4], 19284494.0f);
  }
}

TEST_F(ShortestPathsTest, EmptyAndSingleVertex) {
  setUpRecord(0, {});
  closeShortestPaths(0);
  setUpRecord(1, {{0, 0, 4.0f}});
  closeShortestPaths(1);
  EXPECT_EQ(record.cost[0][0], 4.0f);
}

// Sizes on both sides of the vector widths (4, 8, 32), of the rows a thread
// takes at a time and of the blocks of intermediates, with one to three
// threads, both vector widths and several block sizes.
TEST_F(ShortestPathsTest, MatchesPlainLoopBitForBit) {
  std::mt19937 random(20240611);
  for (Lengths kind :
       {Lengths::Whole, Lengths::Fractional, Lengths::BeyondUnreachable,
        Lengths::BeyondExact, Lengths::Spread, Lengths::Sparse}) {
    for (int n : {0, 1, 2, 3, 4, 5, 7, 8, 9, 15, 16, 17, 24, 33, 45, 64, 100}) {
      std::vector<Edge> edges = randomEdges(n, kind, random);
      setUpRecord(n, edges);
      Matrix plain = copyOfRecord();
      closeShortestPathsPlain(plain.pointers.data(), n);
      for (int threads : {1, 2, 3}) {
        for (bool wide : {false, true}) {
          for (int block : {1, 3, 0, 64}) {
            setUpRecord(n, edges);
            closeShortestPathsTuned(record.cost, n, {threads, wide, block});
            EXPECT_EQ(firstDifferentRow(plain), -1)
                << "lengths " << static_cast<int>(kind) << ", n " << n
                << ", threads " << threads << ", wide " << wide << ", block "
                << block;
          }
        }
      }
    }
  }
}

// Large enough for the default settings to use every core.
TEST_F(ShortestPathsTest, DefaultSettingsMatchPlainLoop) {
  std::mt19937 random(7);
  for (Lengths kind : {Lengths::Whole, Lengths::Fractional, Lengths::Spread}) {
    setUpRecord(300, randomEdges(300, kind, random));
    Matrix plain = copyOfRecord();
    closeShortestPathsPlain(plain.pointers.data(), 300);
    closeShortestPaths(300);
    EXPECT_EQ(firstDifferentRow(plain), -1);
  }
}

}  // namespace
