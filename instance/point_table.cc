#include "instance/point_table.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <limits>
#include <thread>

#include "common/fatal.h"
#include "common/files.h"
#include "common/run_options.h"
#include "common/token_reader.h"
#include "instance/instance_reader.h"
#include "instance/instance_record.h"
#include "instance/point_pairs.h"
#include "instance/table_rows.h"
#include "instance/work_threads.h"

PointTable pointTable;

namespace {

// Where the coordinates and the demand stand in a row, and their names for
// messages.
struct Columns {
  int x = -1, y = -1, demand = -1;
  std::string xName, yName, demandName;
  bool geographic = false;
};

bool isNumber(const std::string& field) {
  double value;
  return parseDouble(field, value);
}

// One of the roles a header name may take.
struct Role {
  const char* names[3];
  int Columns::*index;
  std::string Columns::*name;
};

constexpr Role kRoles[] = {
    {{"x", "lon", "longitude"}, &Columns::x, &Columns::xName},
    {{"y", "lat", "latitude"}, &Columns::y, &Columns::yName},
    {{"demand", "population", "weight"},
     &Columns::demand,
     &Columns::demandName}};

Columns columnsByName(const std::vector<std::string>& header,
                      const std::string& label, int line, bool geographic) {
  Columns columns;
  for (std::size_t i = 0; i < header.size(); ++i) {
    std::string name = lowered(header[i]);
    for (const Role& role : kRoles) {
      if (name != role.names[0] && name != role.names[1] &&
          name != role.names[2])
        continue;
      if (columns.*role.index >= 0)
        fatalExit(
            "\n>>> Arquivo de dados %s com duas colunas de mesmo papel no "
            "cabecalho (linha %d): %s e %s",
            label.c_str(), line, (columns.*role.name).c_str(),
            shownField(header[i]).c_str());
      columns.*role.index = static_cast<int>(i);
      columns.*role.name = shownField(header[i]);
    }
  }
  if (columns.x < 0 || columns.y < 0)
    fatalExit("\n>>> Arquivo de dados %s sem coluna %s no cabecalho (linha %d)",
              label.c_str(),
              columns.x < 0 ? "x, lon ou longitude" : "y, lat ou latitude",
              line);
  std::string x = lowered(header[columns.x]);
  std::string y = lowered(header[columns.y]);
  bool xGeographic = x != "x";
  bool yGeographic = y != "y";
  if (xGeographic != yGeographic)
    fatalExit(
        "\n>>> Arquivo de dados %s mistura coordenadas planas e geograficas "
        "no cabecalho (linha %d): %s e %s",
        label.c_str(), line, columns.xName.c_str(), columns.yName.c_str());
  columns.geographic = xGeographic || geographic;
  return columns;
}

Columns columnsByPosition(std::size_t fields, bool geographic) {
  Columns columns;
  columns.geographic = geographic;
  columns.x = 0;
  columns.y = 1;
  columns.xName = geographic ? "1 (longitude)" : "1 (x)";
  columns.yName = geographic ? "2 (latitude)" : "2 (y)";
  if (fields >= 3) {
    columns.demand = 2;
    columns.demandName = "3 (demanda)";
  }
  return columns;
}

class RowValues {
 public:
  RowValues(const std::vector<std::string>& fields, const std::string& label,
            int line)
      : fields_(fields), label_(label), line_(line) {}

  const std::string& field(int index, const std::string& name) const {
    if (static_cast<std::size_t>(index) >= fields_.size())
      fatalExit(
          "\n>>> Arquivo de dados %s com %zu campo(s) na linha %d; esperada a "
          "coluna %s",
          label_.c_str(), fields_.size(), line_, name.c_str());
    return fields_[static_cast<std::size_t>(index)];
  }

  double number(int index, const std::string& name) const {
    const std::string& text = field(index, name);
    double value = 0;
    if (!parseDouble(text, value))
      fatalExit(
          "\n>>> Arquivo de dados %s com valor invalido na linha %d: na "
          "coluna %s, esperado um numero, lido \"%s\"",
          label_.c_str(), line_, name.c_str(), shownField(text).c_str());
    return value + 0.0;
  }

  void inRange(double value, double limit, const char* what) const {
    if (value < -limit || value > limit)
      fatalExit(
          "\n>>> Arquivo de dados %s com %s fora de -%.0f a %.0f na linha %d: "
          "%.10g",
          label_.c_str(), what, limit, limit, line_, value);
  }

  // A demand: a whole number >= 0 in 32 bits, also when written as a real
  // with no fraction ("1234.0", as spreadsheets export whole numbers).
  int32_t demand(int index, const std::string& name) const {
    const std::string& text = field(index, name);
    int whole = 0;
    double value = 0;
    bool ok = parseInt(text, whole);
    if (!ok && parseDouble(text, value) && value == std::floor(value) &&
        std::fabs(value) <= std::numeric_limits<int32_t>::max()) {
      whole = static_cast<int>(value);
      ok = true;
    }
    if (!ok)
      fatalExit(
          "\n>>> Arquivo de dados %s com valor invalido na linha %d: na "
          "coluna %s, esperado um inteiro, lido \"%s\"",
          label_.c_str(), line_, name.c_str(), shownField(text).c_str());
    if (whole < 0)
      fatalExit(
          "\n>>> Arquivo de dados %s com valor negativo na linha %d, coluna %s",
          label_.c_str(), line_, name.c_str());
    return whole;
  }

 private:
  const std::vector<std::string>& fields_;
  const std::string& label_;
  int line_;
};

void readRow(const RowValues& row, const Columns& columns, PointTable& table) {
  Point point{row.number(columns.x, columns.xName),
              row.number(columns.y, columns.yName)};
  if (columns.geographic) {
    row.inRange(point.x, 180, "longitude");
    row.inRange(point.y, 90, "latitude");
  }
  table.points.push_back(point);
  if (columns.demand >= 0)
    table.demand.push_back(row.demand(columns.demand, columns.demandName));
}

constexpr double kRadian = 3.14159265358979323846 / 180.0;

// The haversine formula with the cosines of both latitudes given, so that
// the matrix takes each point's cosine once; greatCircleMetres computes the
// same expression, operation by operation.
double haversine(const Point& a, const Point& b, double cosA, double cosB) {
  double halfLatitude = std::sin((b.y - a.y) * kRadian / 2);
  double halfLongitude = std::sin((b.x - a.x) * kRadian / 2);
  double h =
      halfLatitude * halfLatitude + cosA * cosB * halfLongitude * halfLongitude;
  return 2 * kEarthRadius * std::asin(std::sqrt(std::min(1.0, h)));
}

// Fills rows first, first + step, ... of cost above the diagonal, and their
// mirror images.
void fillRows(const PointTable& table, int first, int step) {
  int n = static_cast<int>(table.points.size());
  for (int i = first; i < n; i += step)
    for (int j = i + 1; j < n; ++j)
      record.cost[i][j] = record.cost[j][i] = placeDistance(table, i, j);
}

// Below this many points one thread fills the matrix in well under a tenth
// of a second.
constexpr int kThreadedPoints = 1000;

void fillDistances(const PointTable& table) {
  int n = static_cast<int>(table.points.size());
  // Rows are dealt out in turn, so that the long first rows and the short
  // last ones even out between threads.
  int threads = workThreads(n, kThreadedPoints);
  std::vector<std::thread> workers;
  for (int t = 1; t < threads; ++t)
    workers.emplace_back(fillRows, std::cref(table), t, threads);
  fillRows(table, 0, threads);
  for (std::thread& worker : workers)
    worker.join();
}

}  // namespace

float placeDistance(const PointTable& table, int i, int j) {
  // Always from the lower index, as the matrix is filled: the distance of a
  // pair is the same bits whichever way it is asked for.
  if (j < i)
    std::swap(i, j);
  const Point& a = table.points[static_cast<std::size_t>(i)];
  const Point& b = table.points[static_cast<std::size_t>(j)];
  double d = table.geographic
                 ? haversine(a, b, table.cosines[static_cast<std::size_t>(i)],
                             table.cosines[static_cast<std::size_t>(j)])
                 : planarDistance(a, b);
  return static_cast<float>(d);
}

double greatCircleMetres(const Point& a, const Point& b) {
  return haversine(a, b, std::cos(a.y * kRadian), std::cos(b.y * kRadian));
}

double planarDistance(const Point& a, const Point& b) {
  double dx = b.x - a.x;
  double dy = b.y - a.y;
  return std::sqrt(dx * dx + dy * dy);
}

void parsePointTable(std::string_view text, const std::string& label,
                     bool geographic, PointTable& table) {
  table = PointTable{};
  TableRows rows(text, label);
  std::vector<std::string> fields;
  if (!rows.next(fields))
    return;
  // A header is a first row whose first two fields are not both numbers.
  bool header =
      fields.size() < 2 || !isNumber(fields[0]) || !isNumber(fields[1]);
  Columns columns = header
                        ? columnsByName(fields, label, rows.line(), geographic)
                        : columnsByPosition(fields.size(), geographic);
  table.geographic = columns.geographic;
  table.demandColumn = columns.demandName;
  if (!header)
    readRow(RowValues(fields, label, rows.line()), columns, table);
  // Under a header every row has its fields: one more or less means a
  // separator inside a field that is not quoted (a decimal comma, a name
  // with a comma), which would shift the columns unseen.
  std::size_t width = header ? fields.size() : 0;
  int headerLine = rows.line();
  while (rows.next(fields)) {
    if (width > 0 && fields.size() != width)
      fatalExit(
          "\n>>> Arquivo de dados %s com %zu campos na linha %d, e o "
          "cabecalho (linha %d) tem %zu",
          label.c_str(), fields.size(), rows.line(), headerLine, width);
    if (table.points.size() >=
        static_cast<std::size_t>(std::numeric_limits<int32_t>::max()))
      fatalExit("\n>>> Memoria insuficiente para cost[%d]",
                std::numeric_limits<int32_t>::max());
    readRow(RowValues(fields, label, rows.line()), columns, table);
  }
  if (table.geographic)
    for (const Point& point : table.points)
      table.cosines.push_back(std::cos(point.y * kRadian));
}

void readPointTable(const char* fileName) {
  std::string label = std::string("(") + fileName + ")";
  parsePointTable(readWholeInput(fileName, label), label, runOptions.geographic,
                  pointTable);
  int n = static_cast<int>(pointTable.points.size());
  record.vertices = n;
  applyRunParameters(label);
  record.source = DistanceSource::kPoints;
  if (runOptions.sparse) {
    fillNearPairsOfPlaces(pointTable);
  } else {
    allocateCostRows(n);
    fillDistances(pointTable);
  }
  coordinates = pointTable.points;
  coordinatesGeographic = pointTable.geographic;
}
