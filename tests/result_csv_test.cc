#include "report/result_csv.h"

#include <gtest/gtest.h>

#include <random>
#include <sstream>

#include "random_run.h"

namespace {

struct Row {
  int id, demand, centre;
  double distance;
  int covered, isCentre;
};

// Parses the table; an empty centre or distance reads as 0 and -1.
std::vector<Row> parseCsv(const std::string& text) {
  std::istringstream lines(text);
  std::string line;
  std::getline(lines, line);
  EXPECT_EQ(line, "id,demand,centre,distance,covered,is_centre");
  std::vector<Row> rows;
  while (std::getline(lines, line)) {
    std::vector<std::string> cells;
    std::istringstream fields(line);
    std::string cell;
    while (std::getline(fields, cell, ','))
      cells.push_back(cell);
    EXPECT_EQ(cells.size(), 6u) << line;
    if (cells.size() != 6)
      break;
    rows.push_back({std::stoi(cells[0]), std::stoi(cells[1]),
                    cells[2].empty() ? 0 : std::stoi(cells[2]),
                    cells[3].empty() ? -1.0 : std::stod(cells[3]),
                    std::stoi(cells[4]), std::stoi(cells[5])});
  }
  return rows;
}

}  // namespace

// One row per vertex in order, ids from 1; the covered rows sum to the
// report's served demand and their distances to its total distance.
TEST(ResultCsvTest, RandomInstancesAgreeWithTheReport) {
  ScratchFolder folder;
  std::mt19937 rng(77);
  for (int round = 0; round < 300; ++round) {
    runRandomInstance(rng);
    std::vector<Row> rows = parseCsv(resultCsv());
    ASSERT_EQ(rows.size(), static_cast<std::size_t>(record.vertices));
    std::vector<int> isCentre(record.vertices, 0);
    for (int k = 0; k < record.facilidades; ++k)
      isCentre[record.centro[k]] = 1;
    long long served = 0;
    double distance = 0;
    for (int j = 0; j < record.vertices; ++j) {
      const Row& row = rows[j];
      ASSERT_EQ(row.id, j + 1);
      ASSERT_EQ(row.demand, record.pop[j]);
      ASSERT_EQ(row.isCentre, isCentre[j]);
      if (row.centre > 0) {
        ASSERT_EQ(isCentre[row.centre - 1], 1);
        ASSERT_EQ(row.distance, record.cost[row.centre - 1][j]);
      }
      if (row.covered) {
        served += row.demand;
        if (row.centre != row.id)
          distance += row.distance;
      } else {
        ASSERT_FALSE(row.isCentre);
      }
    }
    ASSERT_EQ(served, record.popAtend);
    ASSERT_NEAR(distance, record.custoTotal, 1e-3);
    resetRecord();
  }
}

TEST(ResultCsvTest, VertexNoCentreReachesHasEmptyCells) {
  ScratchFolder folder;
  resetRecord();
  // Vertex 3 is 1000000 away from everything: no centre reaches it.
  DataReader in(std::string_view("3 1 1 1  1 2 2"), "(inst.txt)");
  readInstanceFrom(in, InputMode::B);
  record.pop = static_cast<int32_t*>(allocateZeroed(3, sizeof(int32_t)));
  writeFile("solucao.txt", "9999999 1 0");
  reassignToCentres();
  EXPECT_EQ(resultCsv(),
            "id,demand,centre,distance,covered,is_centre\n"
            "1,0,1,0,1,1\n2,0,1,2,0,0\n3,0,,,0,0\n");
  resetRecord();
}

// A table of points adds each vertex's place as read, in the shortest text
// that reads back the same; -0 was read as 0.
TEST(ResultCsvTest, TableOfPointsEndsRowsWithThePlace) {
  ScratchFolder folder;
  runPointTable(
      "x,y,weight\n0.5,1e-7,3\n3.5,4.0000001,4\n0.5,-0,5\n0.5,12.5,6\n", 1, 5,
      "9999999 1 0");
  EXPECT_EQ(resultCsv(),
            "id,demand,centre,distance,covered,is_centre,x,y\n"
            "1,3,1,0,1,1,0.5,1e-07\n"
            "2,4,1,5,1,0,3.5,4.0000001\n"
            "3,5,1,1e-07,1,0,0.5,0\n"
            "4,6,1,12.5,0,0,0.5,12.5\n");
  runPointTable("lat,lon\n41.14961,-8.61099\n38.71667,-9.13333\n", 1, 1000,
                "9999999 1 0");
  std::string csv = resultCsv();
  EXPECT_EQ(csv.substr(0, csv.find('\n')),
            "id,demand,centre,distance,covered,is_centre,longitude,latitude");
  EXPECT_NE(csv.find(",0,1,1,-8.61099,41.14961\n2,"), std::string::npos);
  EXPECT_EQ(csv.substr(csv.size() - 19), ",-9.13333,38.71667\n");

  // Places from --coords leave the table as it has always been.
  runOptions = RunOptions{};
  runOptions.coordsFile = "xy.txt";
  std::string placed = resultCsv();
  coordinates.clear();
  EXPECT_EQ(placed, resultCsv());
  EXPECT_EQ(placed.substr(0, placed.find('\n')),
            "id,demand,centre,distance,covered,is_centre");
  runOptions = RunOptions{};
  coordinatesGeographic = false;
  resetRecord();
}
