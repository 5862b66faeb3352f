#include "instance/point_table.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <limits>
#include <thread>
#include <unordered_map>

#include "common/fatal.h"
#include "common/files.h"
#include "common/run_options.h"
#include "common/token_reader.h"
#include "common/warning.h"
#include "instance/instance_reader.h"
#include "instance/instance_record.h"
#include "instance/point_pairs.h"
#include "instance/table_rows.h"
#include "instance/work_threads.h"

PointTable pointTable;

namespace {

// Where the coordinates, the demand, the place's own id and its name stand
// in a row, and their names for messages.
struct Columns {
  int x = -1, y = -1, demand = -1, id = -1, name = -1;
  std::string xName, yName, demandName, idName, nameName;
  bool geographic = false;
};

// A number as the table writes it; in a semicolon-separated table a
// decimal comma stands for the point ("47,43825"), since the comma cannot
// be the separator there.
bool numberOf(const std::string& field, bool decimalComma, double& value) {
  if (decimalComma && field.find('.') == std::string::npos) {
    std::size_t comma = field.find(',');
    if (comma != std::string::npos &&
        field.find(',', comma + 1) == std::string::npos) {
      std::string pointed = field;
      pointed[comma] = '.';
      return parseDouble(pointed, value);
    }
  }
  return parseDouble(field, value);
}

bool isNumber(const std::string& field, bool decimalComma) {
  double value;
  return numberOf(field, decimalComma, value);
}

// A header name matched by a role: exactly one of `names`, or a name that
// starts with one of `prefixes` followed by '_' ("lon_dd", "pop_2020") or
// ends with '_' and one of `suffixes` ("total_pop").
struct NameSet {
  std::vector<std::string> names, prefixes, suffixes;

  bool matches(const std::string& low) const {
    for (const std::string& name : names)
      if (low == name)
        return true;
    for (const std::string& prefix : prefixes)
      if (low.size() > prefix.size() + 1 &&
          low.compare(0, prefix.size(), prefix) == 0 &&
          low[prefix.size()] == '_')
        return true;
    for (const std::string& suffix : suffixes)
      if (low.size() > suffix.size() + 1 &&
          low.compare(low.size() - suffix.size(), suffix.size(), suffix) == 0 &&
          low[low.size() - suffix.size() - 1] == '_')
        return true;
    return false;
  }
};

// One of the roles a header name may take. The names come in tiers, tried
// in turn: the first tier that matches some column decides, so that a
// header that read well before the later tiers existed reads as it did.
// Two columns of one tier are refused where `unique`; otherwise the first
// is taken.
struct Role {
  std::vector<NameSet> tiers;
  int Columns::*index;
  std::string Columns::*name;
  bool unique;
};

const std::vector<Role>& roles() {
  static const std::vector<Role> kRoles = {
      {{{{"x", "lon", "longitude"}, {}, {}},
        {{"lng", "long"}, {}, {}},
        {{}, {"lon", "lng", "long", "longitude"}, {}}},
       &Columns::x,
       &Columns::xName,
       true},
      {{{{"y", "lat", "latitude"}, {}, {}}, {{}, {"lat", "latitude"}, {}}},
       &Columns::y,
       &Columns::yName,
       true},
      {{{{"demand", "population", "weight"}, {}, {}},
        {{"pop", "inhabitants", "count"}, {}, {}},
        {{}, {"pop"}, {"pop"}}},
       &Columns::demand,
       &Columns::demandName,
       true},
      {{{{"id", "geonameid", "fid", "objectid", "gid"}, {}, {}}},
       &Columns::id,
       &Columns::idName,
       false},
      {{{{"name", "nome", "nom", "label"}, {}, {}}},
       &Columns::name,
       &Columns::nameName,
       false},
  };
  return kRoles;
}

void findRole(const Role& role, const std::vector<std::string>& lows,
              const std::vector<std::string>& header, const std::string& label,
              int line, Columns& columns) {
  for (const NameSet& tier : role.tiers) {
    for (std::size_t i = 0; i < lows.size(); ++i) {
      if (!tier.matches(lows[i]))
        continue;
      if (columns.*role.index >= 0) {
        if (!role.unique)
          break;
        fatalExit(
            "\n>>> Arquivo de dados %s com duas colunas de mesmo papel no "
            "cabecalho (linha %d): %s e %s",
            label.c_str(), line, (columns.*role.name).c_str(),
            shownField(header[i]).c_str());
      }
      columns.*role.index = static_cast<int>(i);
      columns.*role.name = shownField(header[i]);
    }
    if (columns.*role.index >= 0)
      return;
  }
}

// The column an option names (--demand-column and the like): the name as
// written, else in any case.
void findNamedColumn(const std::string& wanted, const char* option,
                     int Columns::*index, std::string Columns::*name,
                     const std::vector<std::string>& header,
                     const std::string& label, int line, Columns& columns) {
  columns.*index = -1;
  for (int pass = 0; pass < 2 && columns.*index < 0; ++pass)
    for (std::size_t i = 0; i < header.size() && columns.*index < 0; ++i)
      if (pass == 0 ? header[i] == wanted
                    : lowered(header[i]) == lowered(wanted)) {
        columns.*index = static_cast<int>(i);
        columns.*name = shownField(header[i]);
      }
  if (columns.*index < 0)
    fatalExit(
        "\n>>> Arquivo de dados %s sem coluna %s no cabecalho (linha %d), "
        "pedida por %s",
        label.c_str(), shownField(wanted).c_str(), line, option);
}

Columns columnsByName(const std::vector<std::string>& header,
                      const std::string& label, int line, bool geographic,
                      const NamedColumns& named) {
  Columns columns;
  std::vector<std::string> lows;
  for (const std::string& name : header)
    lows.push_back(lowered(name));
  for (const Role& role : roles())
    if (role.index != &Columns::demand || named.demand.empty())
      findRole(role, lows, header, label, line, columns);
  if (!named.demand.empty())
    findNamedColumn(named.demand, "--demand-column", &Columns::demand,
                    &Columns::demandName, header, label, line, columns);
  if (!named.id.empty())
    findNamedColumn(named.id, "--id-column", &Columns::id, &Columns::idName,
                    header, label, line, columns);
  if (!named.name.empty())
    findNamedColumn(named.name, "--name-column", &Columns::name,
                    &Columns::nameName, header, label, line, columns);
  if (columns.x < 0 || columns.y < 0)
    fatalExit("\n>>> Arquivo de dados %s sem coluna %s no cabecalho (linha %d)",
              label.c_str(),
              columns.x < 0 ? "x, lon ou longitude" : "y, lat ou latitude",
              line);
  bool xGeographic = lows[static_cast<std::size_t>(columns.x)] != "x";
  bool yGeographic = lows[static_cast<std::size_t>(columns.y)] != "y";
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
            int line, bool decimalComma)
      : fields_(fields),
        label_(label),
        line_(line),
        decimalComma_(decimalComma) {}

  int line() const { return line_; }

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
    if (!numberOf(text, decimalComma_, value))
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
    if (!ok && numberOf(text, decimalComma_, value) &&
        value == std::floor(value) &&
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
  bool decimalComma_;
};

// Digits after the decimal mark of a number as written ("47.43825": 5).
int decimals(const std::string& text) {
  std::size_t mark = text.find_first_of(".,");
  if (mark == std::string::npos)
    return 0;
  int count = 0;
  for (std::size_t i = mark + 1;
       i < text.size() && text[i] >= '0' && text[i] <= '9'; ++i)
    ++count;
  return count;
}

// Degrees as tables write them carry at least this many decimals; the
// small planar grids of examples and tests are whole or nearly so.
constexpr int kDegreeDecimals = 3;

// What the rows show as they are read: whether planar places could be
// degrees, and which rows repeat an earlier one.
struct RowScan {
  bool withinDegrees = true;  // every x within -180 … 180, every y -90 … 90
  std::size_t degreeDecimalRows = 0;  // rows with a coordinate so written
  std::unordered_map<std::string, int> idLines;     // id -> first line
  std::unordered_map<std::string, int> placeLines;  // x, y, name -> line
};

void noteRepeat(PointTable& table, int line, int earlier) {
  if (table.repeatedRows++ == 0) {
    table.firstRepeatLine = line;
    table.firstRepeatedLine = earlier;
  }
}

void readRow(const RowValues& row, const Columns& columns, PointTable& table,
             RowScan& scan) {
  Point point{row.number(columns.x, columns.xName),
              row.number(columns.y, columns.yName)};
  if (columns.geographic) {
    row.inRange(point.x, 180, "longitude");
    row.inRange(point.y, 90, "latitude");
  } else {
    scan.withinDegrees = scan.withinDegrees && std::fabs(point.x) <= 180 &&
                         std::fabs(point.y) <= 90;
    if (decimals(row.field(columns.x, columns.xName)) >= kDegreeDecimals ||
        decimals(row.field(columns.y, columns.yName)) >= kDegreeDecimals)
      ++scan.degreeDecimalRows;
  }
  table.points.push_back(point);
  if (columns.demand >= 0)
    table.demand.push_back(row.demand(columns.demand, columns.demandName));
  // A row repeats an earlier one with its id, or with its place and name;
  // the first repeat found counts once.
  int repeated = 0;
  if (columns.id >= 0) {
    const std::string& id = row.field(columns.id, columns.idName);
    table.ids.push_back(id);
    if (!id.empty()) {
      auto [at, fresh] = scan.idLines.emplace(id, row.line());
      if (!fresh)
        repeated = at->second;
    }
  }
  if (columns.name >= 0) {
    const std::string& name = row.field(columns.name, columns.nameName);
    table.names.push_back(name);
    std::string key(2 * sizeof(double), '\0');
    // -0 and 0 are one place.
    double x = point.x + 0.0, y = point.y + 0.0;
    std::memcpy(key.data(), &x, sizeof x);
    std::memcpy(key.data() + sizeof x, &y, sizeof y);
    key += name;
    auto [at, fresh] = scan.placeLines.emplace(std::move(key), row.line());
    if (!fresh && repeated == 0 && !name.empty())
      repeated = at->second;
  }
  if (repeated > 0)
    noteRepeat(table, row.line(), repeated);
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

// Warns about what the rows suggest is a mistake, without changing what
// they give: degrees read as a plane, and rows that repeat.
void warnTableRows(const PointTable& table, const std::string& label) {
  if (table.degreeLike)
    warn(
        "Arquivo de dados %s com coordenadas planas (x, y) que cabem todas "
        "em longitude e latitude, escritas como graus: se forem graus, use "
        "--geographic (x como longitude, y como latitude)",
        label.c_str());
  if (table.repeatedRows > 0)
    warn(
        "Arquivo de dados %s com %d linha(s) repetida(s) (mesmo id, ou mesmas "
        "coordenadas e mesmo nome), a primeira na linha %d, igual a linha %d; "
        "todas contam como vertices",
        label.c_str(), table.repeatedRows, table.firstRepeatLine,
        table.firstRepeatedLine);
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

// A header of one field over rows of several means the header and the rows
// are separated differently (a header saved apart, an export mixed by
// hand): the message names both separators rather than a missing column.
void refuseSeparatorMismatch(const TableRows& rows, const std::string& label,
                             int headerLine) {
  TableRows probe(rows.rest(), label, rows.nextLine());
  std::vector<std::string> fields;
  if (!probe.next(fields) || fields.size() < 2)
    return;
  fatalExit(
      "\n>>> Arquivo de dados %s com 1 campo no cabecalho (linha %d), "
      "separado por %s, e %zu campos na linha %d, separados por %s: o "
      "cabecalho e as linhas usam separadores diferentes",
      label.c_str(), headerLine, separatorName(rows.separator()), fields.size(),
      probe.line(), separatorName(probe.separator()));
}

void parsePointTable(std::string_view text, const std::string& label,
                     bool geographic, PointTable& table,
                     const NamedColumns& named) {
  table = PointTable{};
  TableRows rows(text, label);
  bool decimalComma = rows.separator() == ';';
  std::vector<std::string> fields;
  if (!rows.next(fields))
    return;
  // A header is a first row whose first two fields are not both numbers.
  bool header = fields.size() < 2 || !isNumber(fields[0], decimalComma) ||
                !isNumber(fields[1], decimalComma);
  if (header && fields.size() == 1)
    refuseSeparatorMismatch(rows, label, rows.line());
  if (!header &&
      (!named.demand.empty() || !named.id.empty() || !named.name.empty()))
    fatalExit(
        "\n>>> Arquivo de dados %s sem cabecalho: %s pede uma coluna com "
        "nome",
        label.c_str(),
        !named.demand.empty() ? "--demand-column"
        : !named.id.empty()   ? "--id-column"
                              : "--name-column");
  Columns columns =
      header ? columnsByName(fields, label, rows.line(), geographic, named)
             : columnsByPosition(fields.size(), geographic);
  table.header = header;
  table.geographic = columns.geographic;
  table.demandColumn = columns.demandName;
  table.idColumn = columns.idName;
  table.nameColumn = columns.nameName;

  RowScan scan;
  if (!header)
    readRow(RowValues(fields, label, rows.line(), decimalComma), columns, table,
            scan);
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
    readRow(RowValues(fields, label, rows.line(), decimalComma), columns, table,
            scan);
  }
  // Degrees read as a plane: most rows written as degrees are, and all
  // within their ranges.
  table.degreeLike = !table.geographic && !table.points.empty() &&
                     scan.withinDegrees &&
                     2 * scan.degreeDecimalRows >= table.points.size();
  if (table.geographic)
    for (const Point& point : table.points)
      table.cosines.push_back(std::cos(point.y * kRadian));
}

std::string placeField(const std::vector<std::string>& column, int32_t v) {
  std::size_t at = static_cast<std::size_t>(v);
  return v >= 0 && at < column.size() ? column[at] : std::string();
}

void readPointTable(const char* fileName) {
  std::string label = std::string("(") + fileName + ")";
  parsePointTable(
      readWholeInput(fileName, label), label, runOptions.geographic, pointTable,
      {runOptions.demandColumn, runOptions.idColumn, runOptions.nameColumn});
  warnTableRows(pointTable, label);
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
