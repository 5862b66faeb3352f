#include "instance/demand.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <vector>

#include "common/run_options.h"
#include "instance/point_table.h"
#include "instance/random_source.h"
#include "test_util.h"

namespace {

// The deviate cache outlives seeding; bring it to its start state (empty) so
// that a case does not depend on the cases before it.
void emptyNormalCache() {
  seedRandom(1);
  normalDeviate(0.0, 1.0);
  int next = nextDraw();
  seedRandom(1);
  // If that call drew no pair, it emptied the cache; otherwise it filled it.
  if (next != nextDraw())
    normalDeviate(0.0, 1.0);
}

}  // namespace

TEST(RandomSourceTest, DrawsToTheBit) {
  seedRandom(1);
  EXPECT_EQ(nextDraw(), 41);
  EXPECT_EQ(nextDraw(), 18467);
  EXPECT_EQ(nextDraw(), 6334);
  seedRandom(1);
  EXPECT_EQ(uniform01(), 41 / 32767.0);
  // uniformInt(20, 30) on a draw of 32767 is 20 + 32767 mod 11 = 29.
  uint32_t seed = 0;
  for (;; ++seed) {
    seedRandom(seed);
    if (nextDraw() == 32767)
      break;
  }
  seedRandom(seed);
  EXPECT_EQ(uniformInt(20, 30), 29);
}

// Each accepted pair of uniform draws gives two deviates: the first call
// draws the pair, the second takes the cached half without drawing.
TEST(RandomSourceTest, NormalDeviatesComeInPairs) {
  emptyNormalCache();
  seedRandom(12345);
  double first = normalDeviate(0.0, 1.0);
  int afterPair = nextDraw();
  emptyNormalCache();
  seedRandom(12345);
  EXPECT_EQ(normalDeviate(0.0, 1.0), first);
  double second = normalDeviate(80.0, 15.0);
  EXPECT_EQ(nextDraw(), afterPair);

  // Recompute the pair by hand from the same draws.
  emptyNormalCache();
  seedRandom(12345);
  double u, v, s;
  do {
    u = 2.0 * uniform01() - 1.0;
    v = 2.0 * uniform01() - 1.0;
    s = u * u + v * v;
  } while (s >= 1.0);
  double f = std::sqrt(-2.0 * std::log(s) / s);
  EXPECT_EQ(first, u * f);
  EXPECT_EQ(second, 80.0 + v * f * 15.0);
}

namespace {

class DemandTest : public RecordTest {
 protected:
  std::string readFailure(int n, const std::string& text) {
    record.vertices = n;
    return fatalMessage([&] {
      DataReader in(std::string_view(text), "[demanda.txt]");
      readDemandFrom(in);
    });
  }
};

}  // namespace

TEST_F(DemandTest, FileDemandsSumAndExtraValuesAreIgnored) {
  record.vertices = 3;
  DataReader in(std::string_view("5 7\n9 11 x"), "[demanda.txt]");
  readDemandFrom(in);
  EXPECT_EQ(record.pop[0], 5);
  EXPECT_EQ(record.pop[2], 9);
  EXPECT_EQ(record.popTotal, 21);
}

TEST_F(DemandTest, BadFilesEndWithAMessage) {
  EXPECT_EQ(
      readFailure(3, "5 7"),
      "\n>>> Arquivo de dados [demanda.txt] termina antes do fim dos dados");
  EXPECT_EQ(
      readFailure(3, "5 7,\n9"),
      "\n>>> Arquivo de dados [demanda.txt] com valor invalido na linha 1");
  EXPECT_EQ(
      readFailure(2, "1\n2.5"),
      "\n>>> Arquivo de dados [demanda.txt] com valor invalido na linha 2");
  EXPECT_EQ(readFailure(2, "2000000000 2000000000"),
            "\n>>> Populacao total fora do limite de 32 bits");
  EXPECT_EQ(
      readFailure(2, "-2000000000 -2000000000"),
      "\n>>> Arquivo de dados [demanda.txt] com valor negativo na linha 1");
  EXPECT_EQ(
      readFailure(3, "5\n7\n-1 9"),
      "\n>>> Arquivo de dados [demanda.txt] com valor negativo na linha 3");
}

TEST_F(DemandTest, ValuesBeyondNWarnOnceAndAreNotChecked) {
  for (const char* text : {"5 7 9", "5 7 9 -4", "5 7 9 x y z"}) {
    resetRecord();
    record.vertices = 3;
    testing::internal::CaptureStderr();
    DataReader in{std::string_view(text), "[demanda.txt]"};
    readDemandFrom(in);
    EXPECT_EQ(record.popTotal, 21);
    EXPECT_EQ(testing::internal::GetCapturedStderr(),
              std::string(text).size() == 5
                  ? ""
                  : "aviso: Arquivo de dados [demanda.txt] com mais de 3 "
                    "valores, um por vertice; os demais sao ignorados\n")
        << text;
  }
}

TEST_F(DemandTest, DemandFileThatTheRunWritesIsRefused) {
  ScratchFolder folder;
  writeFile("solucao.txt", "5 7");
  ASSERT_EQ(symlink("solucao.txt", "demanda.txt"), 0);
  record.vertices = 2;
  EXPECT_EQ(fatalMessage([] { loadDemand(InputMode::A); }),
            "\n>>> Arquivo de dados [demanda.txt] e o mesmo que solucao.txt, "
            "gravado pela execucao");
}

TEST_F(DemandTest, SmallInstancesDrawUniformTwentyToThirty) {
  record.vertices = 149;
  drawDemand(7);
  int64_t total = 0;
  for (int i = 0; i < 149; ++i) {
    EXPECT_GE(record.pop[i], 20);
    EXPECT_LE(record.pop[i], 30);
    total += record.pop[i];
  }
  EXPECT_EQ(record.popTotal, total);
  seedRandom(7);
  EXPECT_EQ(record.pop[0], uniformInt(20, 30));
}

TEST_F(DemandTest, LargeInstancesDrawTruncatedNormals) {
  emptyNormalCache();
  record.vertices = 150;
  drawDemand(99);
  // The same seed gives the same demands; each is the normal draw truncated
  // toward zero, vertices 0 and 1 sharing the first pair.
  std::vector<int32_t> first(record.pop, record.pop + 150);
  resetRecord();
  record.vertices = 150;
  drawDemand(99);
  EXPECT_EQ(std::vector<int32_t>(record.pop, record.pop + 150), first);
  // 150 calls leave the cache empty, as they found it, so the same calls
  // again after the same seed give the same deviates.
  seedRandom(99);
  bool outsideUniform = false;
  for (int i = 0; i < 150; ++i) {
    double drawn = normalDeviate(80.0, 15.0);
    EXPECT_EQ(first[i], static_cast<int32_t>(drawn)) << i;
    if (first[i] < 20 || first[i] > 30)
      outsideUniform = true;
  }
  EXPECT_TRUE(outsideUniform);
}

// --demand works in every mode and names its file; --seed replaces the
// clock, and the seed used is kept for the result files.
TEST_F(DemandTest, OptionsChooseTheSource) {
  ScratchFolder folder;
  writeFile("pop.txt", "5 7 9");
  writeFile("demanda.txt", "1 1 1");
  record.vertices = 3;
  runOptions = RunOptions{};
  runOptions.demandFile = "pop.txt";
  for (InputMode mode : {InputMode::B, InputMode::G, InputMode::A}) {
    resetRecord();
    record.vertices = 3;
    loadDemand(mode);
    EXPECT_EQ(record.popTotal, 21);
    EXPECT_FALSE(demandSource.drawn);
    EXPECT_EQ(demandSource.fileName, "pop.txt");
  }
  runOptions.demandFile = "short.txt";
  writeFile("short.txt", "5 7");
  EXPECT_EQ(
      fatalMessage([] { loadDemand(InputMode::B); }),
      "\n>>> Arquivo de dados [short.txt] termina antes do fim dos dados");
  runOptions.demandFile = "none.txt";
  EXPECT_EQ(fatalMessage([] { loadDemand(InputMode::A); }),
            "\n>>> Arquivo de dados [none.txt] nao pode ser aberto");

  runOptions = RunOptions{};
  runOptions.seedGiven = true;
  runOptions.seed = 4294967295u;
  resetRecord();
  record.vertices = 3;
  loadDemand(InputMode::G);
  EXPECT_TRUE(demandSource.drawn);
  EXPECT_EQ(demandSource.seed, 4294967295u);
  std::vector<int32_t> seeded(record.pop, record.pop + 3);
  resetRecord();
  record.vertices = 3;
  drawDemand(4294967295u);
  EXPECT_EQ(std::vector<int32_t>(record.pop, record.pop + 3), seeded);
  runOptions = RunOptions{};
}

// With a table of points the sources rank: --demand, then "demanda.txt" in
// mode A, then the table's demand column, then the generator. Each run
// loads its demand once, from a fresh source.
TEST_F(DemandTest, TableColumnRanksBelowFilesAndAboveTheGenerator) {
  ScratchFolder folder;
  writeFile("pop.txt", "5 7");
  writeFile("demanda.txt", "1 1");
  parsePointTable("x,y,Population\n0,0,30\n1,1,40\n", "(t.csv)", false,
                  pointTable);
  runOptions = RunOptions{};
  runOptions.points = true;
  runOptions.instanceFile = "t.csv";
  runOptions.seedGiven = true;
  runOptions.seed = 9;
  auto load = [](InputMode mode) {
    resetRecord();
    record.vertices = 2;
    demandSource = DemandSource{};
    loadDemand(mode);
    return std::vector<int32_t>(record.pop, record.pop + 2);
  };
  runOptions.demandFile = "pop.txt";
  EXPECT_EQ(load(InputMode::A), (std::vector<int32_t>{5, 7}));
  EXPECT_EQ(demandSource.fileName, "pop.txt");
  EXPECT_EQ(demandSource.column, "");
  EXPECT_EQ(load(InputMode::G), (std::vector<int32_t>{5, 7}));
  runOptions.demandFile.clear();
  EXPECT_EQ(load(InputMode::A), (std::vector<int32_t>{1, 1}));
  EXPECT_EQ(demandSource.fileName, "demanda.txt");
  EXPECT_EQ(demandSource.column, "");
  EXPECT_EQ(load(InputMode::G), (std::vector<int32_t>{30, 40}));
  EXPECT_EQ(record.popTotal, 70);
  EXPECT_FALSE(demandSource.drawn);
  EXPECT_EQ(demandSource.fileName, "t.csv");
  EXPECT_EQ(demandSource.column, "Population");
  // Without a demand column, or without --points, the generator.
  parsePointTable("0 0\n1 1\n", "(t.csv)", false, pointTable);
  load(InputMode::G);
  EXPECT_TRUE(demandSource.drawn);
  EXPECT_EQ(demandSource.seed, 9u);
  parsePointTable("0 0 30\n1 1 40\n", "(t.csv)", false, pointTable);
  runOptions.points = false;
  load(InputMode::G);
  EXPECT_TRUE(demandSource.drawn);
  runOptions = RunOptions{};
  pointTable = PointTable{};
}
