#include "report/result_json.h"

#include <gtest/gtest.h>

#include <nlohmann/json.hpp>
#include <random>
#include <set>

#include "common/run_options.h"
#include "instance/demand.h"
#include "random_run.h"

namespace {

using nlohmann::json;

class ResultJsonTest : public RecordTest {
 protected:
  void SetUp() override {
    RecordTest::SetUp();
    runOptions = RunOptions{};
    runOptions.mode = 'G';
    runOptions.instanceFile = "inst.txt";
    demandSource = DemandSource{true, 42, "", ""};
  }
  ScratchFolder folder;
};

}  // namespace

// Every vertex appears once, as covered by one centre or as uncovered, ids
// from 1; the covered demand summed over the centres is the report's.
TEST_F(ResultJsonTest, RandomInstancesAgreeWithTheReport) {
  std::mt19937 rng(2024);
  for (int round = 0; round < 300; ++round) {
    runRandomInstance(rng);
    json doc = json::parse(resultJson());
    int n = record.vertices;
    ASSERT_EQ(doc["report"]["coveredDemand"], record.popAtend);
    ASSERT_EQ(doc["report"]["totalDemand"], record.popTotal);
    ASSERT_EQ(doc["instance"]["n"], n);
    std::multiset<int> seen;
    std::set<int> centreIds;
    long long covered = 0;
    for (const json& centre : doc["centres"]) {
      int id = centre["id"];
      ASSERT_TRUE(centreIds.insert(id).second);
      ASSERT_EQ(centre["demand"], record.pop[id - 1]);
      long long sum = 0;
      for (int v : centre["covers"]) {
        seen.insert(v);
        sum += record.pop[v - 1];
        // Within S of its centre, or the centre itself.
        ASSERT_TRUE(v == id ||
                    record.cost[id - 1][v - 1] <= record.distServico);
      }
      ASSERT_EQ(centre["coveredDemand"], sum);
      covered += sum;
    }
    ASSERT_EQ(covered, record.popAtend);
    for (int v : doc["uncovered"]) {
      seen.insert(v);
      ASSERT_EQ(centreIds.count(v), 0u);
    }
    ASSERT_EQ(seen.size(), static_cast<std::size_t>(n));
    for (int v = 1; v <= n; ++v)
      ASSERT_EQ(seen.count(v), 1u) << "vertex " << v;
    for (int k = 0; k < record.facilidades; ++k)
      ASSERT_EQ(centreIds.count(record.centro[k] + 1), 1u);
  }
}

TEST_F(ResultJsonTest, SolverFiguresAndProof) {
  loadWorkedExample();
  auto solve = [](const char* answer) {
    writeFile("solucao.txt", answer);
    std::free(record.centro);
    record.centro = nullptr;
    reassignToCentres();
    evaluateCoverage();
    return json::parse(resultJson())["solver"];
  };
  json solver = solve("40.00000 39.99999 0.25\n9999999\n7\n2 0\n");
  EXPECT_EQ(solver["objective"], 40.0);
  EXPECT_EQ(solver["bound"], 39.99999);
  EXPECT_EQ(solver["proven"], true);
  EXPECT_EQ(solver["seconds"], 0.25);
  EXPECT_EQ(solver["tag"], 7);
  EXPECT_EQ(solve("40 39 0.25 9999999 7 2 0")["proven"], false);
  // Without exactly three leading reals the solver gave no figures.
  for (const char* answer :
       {"9999999 7 2 0", "1 2 9999999 7 2 0", "1 2 3 4 9999999 7 2 0"}) {
    solver = solve(answer);
    EXPECT_TRUE(solver["objective"].is_null()) << answer;
    EXPECT_TRUE(solver["proven"].is_null()) << answer;
  }
}

TEST_F(ResultJsonTest, DemandSourceAndInstance) {
  DataReader in(std::string_view("3 1 2.3  1 5  1"), "(inst.txt)");
  readInstanceFrom(in, InputMode::G);
  record.pop = static_cast<int32_t*>(allocateZeroed(3, sizeof(int32_t)));
  writeFile("solucao.txt", "9999999 1 0");
  reassignToCentres();
  evaluateCoverage();
  json doc = json::parse(resultJson());
  // S as its shortest decimal, not the single-precision value widened.
  EXPECT_EQ(doc["instance"]["S"], 2.3);
  EXPECT_EQ(doc["instance"]["layout"], "distance matrix");
  EXPECT_EQ(doc["demand"]["seed"], 42);
  EXPECT_TRUE(doc["demand"]["file"].is_null());
  demandSource = DemandSource{false, 0, "pop\xff.txt", ""};
  doc = json::parse(resultJson());
  EXPECT_TRUE(doc["demand"]["seed"].is_null());
  // A file name that is not UTF-8 still gives a valid document.
  EXPECT_EQ(doc["demand"]["file"], "pop\xef\xbf\xbd.txt");
}

// A table of points puts its places in the document as read; the demand's
// source is the table's column.
TEST_F(ResultJsonTest, TableOfPointsCarriesItsPlaces) {
  runPointTable("x,y,weight\n0.5,1e-7,3\n3.5,4.0000001,4\n0.5,12.5,6\n", 2, 5,
                "9999999 1 2 1");
  std::string text = resultJson();
  json doc = json::parse(text);
  EXPECT_EQ(doc["instance"]["layout"], "point table");
  EXPECT_EQ(doc["instance"]["coordinates"], "x, y");
  EXPECT_EQ(doc["demand"], json::parse(R"({"source": "table", "file": "t.csv",
      "seed": null, "column": "weight"})"));
  ASSERT_EQ(doc["centres"].size(), 2u);
  EXPECT_EQ(doc["centres"][0]["id"], 3);
  EXPECT_EQ(doc["centres"][0]["coordinates"], json::array({0.5, 12.5}));
  EXPECT_EQ(doc["centres"][1]["coordinates"], json::array({3.5, 4.0000001}));
  EXPECT_EQ(doc["vertices"], json::parse(R"([
      {"id": 1, "coordinates": [0.5, 1e-7]},
      {"id": 2, "coordinates": [3.5, 4.0000001]},
      {"id": 3, "coordinates": [0.5, 12.5]}])"));
  // Shortest text, not the seventeen digits of the double.
  EXPECT_NE(text.find("4.0000001\n"), std::string::npos);
  EXPECT_NE(text.find("1e-07\n"), std::string::npos);

  runPointTable("longitude,latitude\n-8.61099,41.14961\n", 1, 10,
                "9999999 1 0");
  doc = json::parse(resultJson());
  EXPECT_EQ(doc["instance"]["coordinates"], "longitude, latitude");
  EXPECT_EQ(doc["demand"]["source"], "random");
  EXPECT_FALSE(doc["demand"].contains("column"));
  EXPECT_EQ(doc["vertices"][0]["coordinates"],
            json::array({-8.61099, 41.14961}));

  // Places from --coords leave the document as it has always been.
  runOptions = RunOptions{};
  runOptions.mode = 'G';
  runOptions.instanceFile = "inst.txt";
  runOptions.coordsFile = "xy.txt";
  std::string placed = resultJson();
  coordinates.clear();
  EXPECT_EQ(placed, resultJson());
  EXPECT_EQ(placed.find("coordinates"), std::string::npos);
  coordinatesGeographic = false;
}
