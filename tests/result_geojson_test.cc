#include "report/result_geojson.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <nlohmann/json.hpp>
#include <random>
#include <sstream>

#include "random_run.h"
#include "report/result_csv.h"

namespace {

using nlohmann::json;

std::vector<std::vector<std::string>> csvCells(const std::string& text) {
  std::vector<std::vector<std::string>> rows;
  std::istringstream lines(text);
  std::string line;
  while (std::getline(lines, line)) {
    rows.emplace_back();
    std::istringstream cells(line + ",");
    std::string cell;
    while (std::getline(cells, cell, ','))
      rows.back().push_back(cell);
  }
  return rows;
}

}  // namespace

// The features are the CSV's rows: same vertices in the same order, each
// field equal (null where the CSV leaves a cell empty), the place as the
// geometry; the covered demand sums to the report's.
TEST(ResultGeojsonTest, FeaturesAreTheCsvRows) {
  ScratchFolder folder;
  std::mt19937 rng(7);
  std::uniform_real_distribution<double> lat(37, 42), lon(-9.5, -6.2);
  std::uniform_int_distribution<int> people(0, 90000);
  // "place" is no name column: the features hold just the CSV's fields.
  std::string table = "place,latitude,longitude,population\n";
  char row[96];
  int n = 80;
  for (int i = 0; i < n; ++i) {
    std::snprintf(row, sizeof row, "\"p%d, x\",%.5f,%.5f,%d\n", i, lat(rng),
                  lon(rng), people(rng));
    table += row;
  }
  // Three islands more than 1000 km from every centre: no centre in the CSV.
  table += "Corvo,39.7,-31.1,430\nHorta,38.5,-28.6,6000\nVila,37,-25.1,5000\n";
  n += 3;
  runPointTable(table, 3, 60000, "9999999 1 0 5 9");
  std::vector<std::vector<std::string>> csv = csvCells(resultCsv());
  json doc = json::parse(resultGeojson());
  EXPECT_EQ(doc["type"], "FeatureCollection");
  const json& features = doc["features"];
  ASSERT_EQ(features.size(), static_cast<std::size_t>(n));
  ASSERT_EQ(csv.size(), static_cast<std::size_t>(n) + 1);
  const std::vector<std::string>& names = csv[0];
  long long covered = 0;
  int empty = 0;
  for (int j = 0; j < n; ++j) {
    const json& feature = features[j];
    EXPECT_EQ(feature["type"], "Feature");
    EXPECT_EQ(feature["geometry"]["type"], "Point");
    const std::vector<std::string>& cells = csv[j + 1];
    ASSERT_EQ(cells.size(), names.size());
    EXPECT_EQ(feature["geometry"]["coordinates"],
              json::array({std::stod(cells[6]), std::stod(cells[7])}));
    const json& properties = feature["properties"];
    EXPECT_EQ(properties.size(), 6u);
    for (std::size_t c = 0; c < 6; ++c) {
      const json& value = properties[names[c]];
      if (cells[c].empty()) {
        EXPECT_TRUE(value.is_null()) << j << " " << names[c];
        ++empty;
      } else {
        EXPECT_EQ(value, json::parse(cells[c])) << j << " " << names[c];
      }
    }
    if (properties["covered"] == 1)
      covered += properties["demand"].get<long long>();
  }
  EXPECT_EQ(covered, record.popAtend);
  EXPECT_EQ(empty, 3 * 2);
  EXPECT_GT(record.popAtend, 0);
  runOptions = RunOptions{};
  coordinates.clear();
  coordinatesGeographic = false;
  resetRecord();
}
