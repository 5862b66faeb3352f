#include "instance/point_table.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <random>
#include <string>
#include <vector>

#include "common/run_options.h"
#include "test_util.h"

namespace {

constexpr double kPi = 3.14159265358979323846;

PointTable parse(const std::string& text, bool geographic = false) {
  PointTable table;
  parsePointTable(text, "(t.csv)", geographic, table);
  return table;
}

std::string failure(const std::string& text, bool geographic = false) {
  return fatalMessage([&] { parse(text, geographic); });
}

void expectPoints(const PointTable& table, const std::vector<Point>& points) {
  ASSERT_EQ(table.points.size(), points.size());
  for (std::size_t i = 0; i < points.size(); ++i) {
    EXPECT_EQ(table.points[i].x, points[i].x) << i;
    EXPECT_EQ(table.points[i].y, points[i].y) << i;
  }
}

class PointTableTest : public RecordTest {
 protected:
  void TearDown() override {
    runOptions = RunOptions{};
    pointTable = PointTable{};
    coordinates.clear();
    coordinatesGeographic = false;
    RecordTest::TearDown();
  }
};

}  // namespace

// Columns found by name whatever their order, case or quoting; the other
// columns, rows of empty fields and blank lines are passed over.
TEST_F(PointTableTest, HeaderNamesColumnsInAnyOrderAndCase) {
  PointTable table = parse(
      "\xEF\xBB\xBF"
      "\"Munic\xC3\xADpio, \"\"sede\"\"\",POPULATION,\"Latitude\",LON\r\n"
      "\"Zuzwil, SG\",4226,47.47452,9.11196\r\n"
      ",,,\r\n"
      "\r\n"
      "\"S\xC3\xA3o \"\"Jo\xC3\xA3o\"\", 2\",1234.0,41.1,-8.6\r\n");
  EXPECT_TRUE(table.geographic);
  expectPoints(table, {{9.11196, 47.47452}, {-8.6, 41.1}});
  EXPECT_EQ(table.demand, (std::vector<int32_t>{4226, 1234}));
  EXPECT_EQ(table.demandColumn, "POPULATION");

  // Lone CR line ends; planar names; no demand column.
  table = parse("Y,name,X\r2,a,1\r\r4,\"b\rc\",3\r");
  EXPECT_FALSE(table.geographic);
  expectPoints(table, {{1, 2}, {3, 4}});
  EXPECT_TRUE(table.demand.empty());
  EXPECT_EQ(table.demandColumn, "");
}

TEST_F(PointTableTest, PositionalAndTabSeparatedTables) {
  PointTable table = parse("  1 2   30\n\n 3.5\t-4 0  \n");
  expectPoints(table, {{1, 2}, {3.5, -4}});
  EXPECT_EQ(table.demand, (std::vector<int32_t>{30, 0}));
  EXPECT_EQ(table.demandColumn, "3 (demanda)");

  table = parse("1\t2\n\t\n5e2\t-0\n");
  expectPoints(table, {{1, 2}, {500, 0}});
  EXPECT_TRUE(table.demand.empty());
  EXPECT_FALSE(std::signbit(table.points[1].y));

  // Names with blanks stay whole between tabs.
  table = parse(
      "city name\tweight\tx\ty\nRio de Janeiro\t7\t1\t2\n"
      "Sao Paulo \t 8 \t3\t4\n");
  expectPoints(table, {{1, 2}, {3, 4}});
  EXPECT_EQ(table.demand, (std::vector<int32_t>{7, 8}));
  EXPECT_EQ(table.demandColumn, "weight");
}

// Without a header, --geographic reads longitude then latitude; without it
// the same values are a plane and go unchecked.
TEST_F(PointTableTest, GeographicFlagWithoutHeader) {
  PointTable table = parse("-8.61 41.15 10\n-9.13 38.72 20\n", true);
  EXPECT_TRUE(table.geographic);
  expectPoints(table, {{-8.61, 41.15}, {-9.13, 38.72}});
  EXPECT_FALSE(parse("-8.61 95 10\n").geographic);
  EXPECT_EQ(failure("-8.61 95 10\n", true),
            "\n>>> Arquivo de dados (t.csv) com latitude fora de -90 a 90 na "
            "linha 1: 95");
  EXPECT_TRUE(parse("x,y\n1,2\n", true).geographic);
}

TEST_F(PointTableTest, BadRowsNameFileLineAndExpectation) {
  const std::string longName(39, 'a');
  struct Case {
    std::string text;
    bool geographic;
    std::string message;
  } cases[] = {
      {"x,y\n1,2\n3\n", false,
       "com 1 campos na linha 3, e o cabecalho (linha 1) tem 2"},
      {"name,lat,lon\nLisboa,38.71667,-9,13333\n", false,
       "com 4 campos na linha 2, e o cabecalho (linha 1) tem 3"},
      {"1 2\n3\n", false, "com 1 campo(s) na linha 2; esperada a coluna 2 (y)"},
      {"1 2 3\n4 5\n", false,
       "com 2 campo(s) na linha 2; esperada a coluna 3 (demanda)"},
      {"1 2\n-8 x\n", true,
       "com valor invalido na linha 2: na coluna 2 (latitude), esperado um "
       "numero, lido \"x\""},
      // The row is numbered by the line it starts on, after a name that
      // spans two lines.
      {"name,x,y\n\"two\nlines\",1,\n4,5,6\n", false,
       "com valor invalido na linha 2: na coluna y, esperado um numero, lido "
       "\"\""},
      {"x,y\n\"1\n2\",3\n", false,
       "com valor invalido na linha 2: na coluna x, esperado um numero, lido "
       "\"1?2\""},
      // At most 40 bytes shown, never half a UTF-8 character.
      {"x,y\n1," + longName + "\xC3\xA9zz\n", false,
       "com valor invalido na linha 2: na coluna y, esperado um numero, lido "
       "\"" +
           longName + "...\""},
      {"x,y\n1,nan\n", false,
       "com valor invalido na linha 2: na coluna y, esperado um numero, lido "
       "\"nan\""},
      {"lat,lon\n41,-8\n-90.5,-8\n", false,
       "com latitude fora de -90 a 90 na linha 3: -90.5"},
      {"Lat,Longitude\n41,180.25\n", false,
       "com longitude fora de -180 a 180 na linha 2: 180.25"},
      {"x,y,demand\n1,2,12.5\n", false,
       "com valor invalido na linha 2: na coluna demand, esperado um inteiro, "
       "lido \"12.5\""},
      {"x,y,demand\n1,2,3e9\n", false,
       "com valor invalido na linha 2: na coluna demand, esperado um inteiro, "
       "lido \"3e9\""},
      {"x,y,Weight\n1,2,-3\n", false,
       "com valor negativo na linha 2, coluna Weight"},
      {"x,y\n1,2\n\"3,4\n", false,
       "com aspas sem fechamento a partir da linha 3"},
      {"x,y\n\"1\"2,3\n", false, "com texto depois das aspas na linha 2"},
      {"\n\nlon,X,y\n", false,
       "com duas colunas de mesmo papel no cabecalho (linha 3): lon e X"},
      {"population,x,weight,y\n", false,
       "com duas colunas de mesmo papel no cabecalho (linha 1): population e "
       "weight"},
      {"name,x\n", false,
       "sem coluna y, lat ou latitude no cabecalho (linha 1)"},
      {"name,latitude\n", false,
       "sem coluna x, lon ou longitude no cabecalho (linha 1)"},
      {"name|lat|lon\nPorto,41.1,-8.6\n", false,
       "com 1 campo no cabecalho (linha 1), separado por brancos, e 3 campos "
       "na linha 2, separados por virgulas: o cabecalho e as linhas usam "
       "separadores diferentes"},
      {"x,y,POP_2010,total_pop\n", false,
       "com duas colunas de mesmo papel no cabecalho (linha 1): POP_2010 e "
       "total_pop"},
      {"x;y\n1;2\n3,5;4,5,5\n", false,
       "com valor invalido na linha 3: na coluna y, esperado um numero, lido "
       "\"4,5,5\""},
      {"x,Lat\n1,2\n", false,
       "mistura coordenadas planas e geograficas no cabecalho (linha 1): x e "
       "Lat"},
  };
  for (const Case& c : cases)
    EXPECT_EQ(failure(c.text, c.geographic),
              std::string("\n>>> Arquivo de dados (t.csv) ") + c.message)
        << c.text;
}

// The later names of a role count only where the earlier ones are absent,
// so that a header read before they existed reads the same.
TEST_F(PointTableTest, ColumnSynonymsAndSemicolonExports) {
  struct Case {
    std::string text;
    std::string demandColumn;
    bool geographic;
    std::string column;  // the demand column found
  } cases[] = {
      {"lat,lng,pop\n41.1,-8.6,7\n", "", true, "pop"},
      {"LAT_DD,Lon_DD,Inhabitants\n41.1,-8.6,7\n", "", true, "Inhabitants"},
      {"latitude,longitude,lat_rad,long\n41.1,-8.6,1,2\n", "", true, ""},
      {"y,x,count,population,pop_2020\n41.1,-8.6,1,7,2\n", "", false,
       "population"},
      {"y,x,COUNT,hab\n41.1,-8.6,1,7\n", "HAB", false, "hab"},
      // A semicolon-separated export: decimal commas, quoted fields as
      // before, whole numbers written with a comma.
      {"\"nome\";latitude;longitude;POP_2020\r\n"
       "\"Porto; centro\";41,1;-8,6;7,0\r\n",
       "", true, "POP_2020"},
      {"-8.6;41.1;7\n", "", false, "3 (demanda)"},
  };
  for (const Case& c : cases) {
    PointTable table;
    parsePointTable(c.text, "(t.csv)", false, table, {c.demandColumn, "", ""});
    EXPECT_EQ(table.geographic, c.geographic) << c.text;
    EXPECT_EQ(table.demandColumn, c.column) << c.text;
    expectPoints(table, {{-8.6, 41.1}});
    EXPECT_EQ(table.demand, c.column.empty() ? std::vector<int32_t>{}
                                             : std::vector<int32_t>{7})
        << c.text;
  }
  EXPECT_EQ(
      fatalMessage([] {
        PointTable table;
        parsePointTable("x,y,pop\n1,2,3\n", "(t.csv)", false, table,
                        {"hab", "", ""});
      }),
      "\n>>> Arquivo de dados (t.csv) sem coluna hab no cabecalho (linha 1), "
      "pedida por --demand-column");
  EXPECT_EQ(
      fatalMessage([] {
        PointTable table;
        parsePointTable("1 2 3\n", "(t.csv)", false, table, {"hab", "", ""});
      }),
      "\n>>> Arquivo de dados (t.csv) sem cabecalho: --demand-column "
      "pede uma coluna com nome");
}

// Spreadsheets write whole numbers as reals; a fraction or a sign is not a
// demand.
TEST_F(PointTableTest, DemandIsAWholeNumberWrittenAnyWay) {
  PointTable table =
      parse("x,y,demand\n0,0,1234.0\n0,0,1e3\n0,0,+7\n0,0,2147483647.0\n");
  EXPECT_EQ(table.demand, (std::vector<int32_t>{1234, 1000, 7, 2147483647}));
  EXPECT_EQ(failure("x,y,demand\n0,0,-1.0\n"),
            "\n>>> Arquivo de dados (t.csv) com valor negativo na linha 2, "
            "coluna demand");
}

// Cut a table at every length: it reads as a prefix of the whole table (its
// last point possibly cut short) or fails with a message naming the file.
TEST_F(PointTableTest, Truncate) {
  const std::string text =
      "\xEF\xBB\xBFgeonameid,name,latitude,longitude,population\r\n"
      "2735943,Porto,41.14961,-8.61099,249633\r\n"
      "2657889,\"Zuzwil, \"\"SG\"\"\",47.47452,9.11196,4226\r\n"
      ",,,,\r\n"
      "2267057,\"Lis\nbon\",38.71667,-9.13333,517802\r\n";
  const PointTable whole = parse(text);
  ASSERT_EQ(whole.points.size(), 3u);
  for (std::size_t length = 0; length <= text.size(); ++length) {
    PointTable table;
    try {
      parsePointTable(text.substr(0, length), "(t.csv)", false, table);
    } catch (const FatalError& error) {
      EXPECT_EQ(error.message.rfind("\n>>> Arquivo de dados (t.csv) ", 0), 0u)
          << length << error.message;
      continue;
    }
    ASSERT_LE(table.points.size(), whole.points.size()) << length;
    EXPECT_EQ(table.demand.size(), table.points.size()) << length;
    for (std::size_t i = 0; i + 1 < table.points.size(); ++i) {
      EXPECT_EQ(table.points[i].x, whole.points[i].x) << length;
      EXPECT_EQ(table.points[i].y, whole.points[i].y) << length;
      EXPECT_EQ(table.demand[i], whole.demand[i]) << length;
    }
  }
}

// Checked against geometry, not against the formula: arcs of a sphere of
// the mean Earth radius.
TEST_F(PointTableTest, GreatCircleMetresFollowTheSphere) {
  const double degree = kEarthRadius * kPi / 180;
  EXPECT_NEAR(greatCircleMetres({0, 0}, {0, 1}), degree, 1e-6);
  EXPECT_NEAR(greatCircleMetres({-71, 45}, {-71, 46}), degree, 1e-6);
  // Across the antimeridian, one degree of the equator.
  EXPECT_NEAR(greatCircleMetres({179.5, 0}, {-179.5, 0}), degree, 1e-6);
  EXPECT_NEAR(greatCircleMetres({0, 0}, {90, 0}), kPi / 2 * kEarthRadius, 1e-6);
  // From a pole to the equator, whatever the longitudes.
  EXPECT_NEAR(greatCircleMetres({17, 90}, {-123, 0}), kPi / 2 * kEarthRadius,
              1e-6);
  EXPECT_NEAR(greatCircleMetres({0, 0}, {180, 0}), kPi * kEarthRadius, 1e-6);
  // Near the antipodes the arcsine magnifies the last bit of its argument:
  // within a metre, half the spacing of single precision at that distance.
  EXPECT_NEAR(greatCircleMetres({30, 60}, {-150, -60}), kPi * kEarthRadius,
              1.0);
  EXPECT_EQ(greatCircleMetres({-8.6, 41.1}, {-8.6, 41.1}), 0.0);
  std::mt19937 rng(3);
  std::uniform_real_distribution<double> lon(-180, 180), lat(-90, 90);
  for (int i = 0; i < 1000; ++i) {
    Point a{lon(rng), lat(rng)}, b{lon(rng), lat(rng)};
    ASSERT_EQ(greatCircleMetres(a, b), greatCircleMetres(b, a));
  }
  EXPECT_EQ(planarDistance({1, 2}, {4, 6}), 5.0);
  EXPECT_EQ(planarDistance({4, 6}, {1, 2}), 5.0);
}

// Above 1000 points the matrix is filled by several threads; every cell is
// still the single-precision great-circle distance of its pair.
TEST_F(PointTableTest, ReadFillsTheWholeMatrix) {
  ScratchFolder folder;
  std::mt19937 rng(16);
  std::uniform_real_distribution<double> lon(-180, 180), lat(-89.99, 89.99);
  std::string text = "lat,lon\n";
  std::vector<Point> points;
  char row[64];
  for (int i = 0; i < 1201; ++i) {
    std::snprintf(row, sizeof row, "%.5f,%.5f\n", lat(rng), lon(rng));
    text += row;
    double y = std::strtod(row, nullptr);
    double x = std::strtod(std::strchr(row, ',') + 1, nullptr);
    points.push_back({x, y});
  }
  writeFile("t.csv", text);
  readPointTable("t.csv");
  ASSERT_EQ(record.vertices, 1201);
  EXPECT_TRUE(coordinatesGeographic);
  ASSERT_EQ(coordinates.size(), points.size());
  for (int i = 0; i < 1201; ++i) {
    ASSERT_EQ(coordinates[i].x, points[i].x) << i;
    ASSERT_EQ(coordinates[i].y, points[i].y) << i;
    ASSERT_EQ(record.cost[i][i], 0.0f) << i;
    for (int j = i + 1; j < 1201; ++j) {
      ASSERT_EQ(record.cost[i][j],
                static_cast<float>(greatCircleMetres(points[i], points[j])))
          << i << " " << j;
      ASSERT_EQ(record.cost[j][i], record.cost[i][j]) << i << " " << j;
    }
  }

  resetRecord();
  writeFile("p.csv", "0 0\n3 4\n");
  readPointTable("p.csv");
  EXPECT_FALSE(coordinatesGeographic);
  EXPECT_EQ(record.cost[1][0], 5.0f);
  EXPECT_EQ(fatalMessage([] { readPointTable("none.csv"); }),
            "\n>>> Arquivo de dados (none.csv) nao pode ser aberto");
}
