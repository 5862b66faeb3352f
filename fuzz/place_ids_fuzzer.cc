// Fuzzes the table of points and the files of --open and --candidates
// together, as the run reads them: the input up to its first NUL byte is the
// table, the rest the file (no NUL: no file). The table's own ids are taken
// as the run takes them, from the process-wide table.
//
// What must hold, on every input whose table is accepted:
// - the table written again comma-separated, every field quoted, with a
//   decimal comma of a semicolon table turned into a point, reads the same:
//   accepted or not alike, the same places, demands, ids and names;
// - the ids name each place by the first row that holds the id, every
//   non-empty id of the table is there, and nothing else;
// - the file, when accepted, gives vertices inside the table, ascending,
//   each once;
// - rows picked by the file's bytes (all rows without a file), listed by
//   their own ids in a table under the id column, or by their row numbers
//   in a plain list, come back as exactly those places.

#include <set>
#include <string>
#include <vector>

#include "common/fatal.h"
#include "common/run_options.h"
#include "fuzz/fuzz_input.h"
#include "instance/centre_sets.h"
#include "instance/point_table.h"
#include "instance/table_rows.h"

namespace {

// A field as a comma-separated table quotes it.
std::string quoted(const std::string& field) {
  std::string text = "\"";
  for (char c : field) {
    if (c == '"')
      text += '"';
    text += c;
  }
  return text + '"';
}

// A field of a semicolon table with one comma and no point, with a point
// for the comma, as the table's reader takes a number; any other as it is.
std::string pointed(std::string field, bool decimalComma) {
  std::size_t comma = field.find(',');
  if (decimalComma && field.find('.') == std::string::npos &&
      comma != std::string::npos &&
      field.find(',', comma + 1) == std::string::npos)
    field[comma] = '.';
  return field;
}

// The rows of `text` written again comma-separated, every field quoted and
// pointed. A first line of two empty fields (a row the reader skips) makes
// the separator a comma whatever the first row holds. Throws FatalError
// where the rows cannot be split.
std::string commaSeparated(std::string_view text, bool& decimalComma) {
  TableRows rows(text, "(t.csv)");
  decimalComma = rows.separator() == ';';
  std::string out = ",\n";
  std::vector<std::string> fields;
  while (rows.next(fields)) {
    for (std::size_t i = 0; i < fields.size(); ++i) {
      out += i > 0 ? "," : "";
      out += quoted(pointed(fields[i], decimalComma));
    }
    out += '\n';
  }
  return out;
}

bool sameColumn(const std::vector<std::string>& a,
                const std::vector<std::string>& b, bool decimalComma) {
  if (a.size() != b.size())
    return false;
  for (std::size_t i = 0; i < a.size(); ++i)
    if (pointed(a[i], decimalComma) != b[i])
      return false;
  return true;
}

// `b` is `a` written the other way. The column names as messages show them
// are cut short, so past a decimal comma only their presence is compared.
bool samePlaces(const PointTable& a, const PointTable& b, bool decimalComma) {
  if (a.points.size() != b.points.size() || a.geographic != b.geographic ||
      a.header != b.header || a.demand != b.demand ||
      !sameColumn(a.ids, b.ids, decimalComma) ||
      !sameColumn(a.names, b.names, decimalComma))
    return false;
  const std::string PointTable::*columns[] = {&PointTable::demandColumn,
                                              &PointTable::idColumn,
                                              &PointTable::nameColumn};
  for (auto column : columns)
    if (decimalComma ? (a.*column).empty() != (b.*column).empty()
                     : a.*column != b.*column)
      return false;
  for (std::size_t i = 0; i < a.points.size(); ++i)
    if (a.points[i].x != b.points[i].x || a.points[i].y != b.points[i].y)
      return false;
  return true;
}

// The ids must be what the table's id column holds: each non-empty id once,
// at the first row that holds it.
void checkIds(const PointTable& table, const PlaceIds& ids) {
  if (table.idColumn.empty() || table.ids.empty()) {
    if (!ids.column.empty() || !ids.vertex.empty())
      __builtin_trap();
    return;
  }
  if (ids.column != lowered(table.idColumn))
    __builtin_trap();
  std::set<std::string> distinct;
  for (const std::string& id : table.ids)
    if (!id.empty())
      distinct.insert(id);
  if (ids.vertex.size() != distinct.size())
    __builtin_trap();
  for (const auto& [id, v] : ids.vertex) {
    if (v < 0 || static_cast<std::size_t>(v) >= table.ids.size() ||
        table.ids[static_cast<std::size_t>(v)] != id || id.empty())
      __builtin_trap();
    for (int32_t u = 0; u < v; ++u)
      if (table.ids[static_cast<std::size_t>(u)] == id)
        __builtin_trap();
  }
}

void checkVertices(const std::vector<int32_t>& vertices, int n) {
  for (std::size_t k = 0; k < vertices.size(); ++k) {
    if (vertices[k] < 0 || vertices[k] >= n)
      __builtin_trap();
    if (k > 0 && vertices[k] <= vertices[k - 1])
      __builtin_trap();
  }
}

// Rows picked by the lowest bit of the file's bytes, taken in turn; every
// row without a file.
std::vector<int32_t> pickedRows(int n, std::string_view file) {
  std::vector<int32_t> rows;
  for (int v = 0; v < n; ++v)
    if (file.empty() || (file[static_cast<std::size_t>(v) % file.size()] & 1))
      rows.push_back(v);
  return rows;
}

void checkRoundTrips(const PointTable& table, const PlaceIds& ids,
                     std::string_view file) {
  int n = static_cast<int>(table.points.size());
  std::vector<int32_t> picked = pickedRows(n, file);
  if (picked.empty())
    return;
  // By row numbers, which the ids never hide.
  std::string numbers;
  for (int32_t v : picked)
    numbers += std::to_string(v + 1) + "\n";
  if (parseVertexList(numbers, "<rows.txt>", n,
                      ids.column.empty() ? nullptr : &ids) != picked)
    __builtin_trap();
  // By the places' own ids, under their column; "id" there is the row
  // number, so a table whose own ids are headed "id" has none to name.
  if (ids.column.empty() || ids.column == "id")
    return;
  std::string listed = quoted(ids.column) + ",row\n";
  std::set<int32_t> expected;
  for (int32_t v : picked) {
    const std::string& id = table.ids[static_cast<std::size_t>(v)];
    if (id.empty())
      continue;
    listed += quoted(id) + "," + std::to_string(v + 1) + "\n";
    expected.insert(ids.vertex.at(id));
  }
  if (expected.empty())
    return;
  std::vector<int32_t> read = parseVertexList(listed, "<ids.csv>", n, &ids);
  if (read != std::vector<int32_t>(expected.begin(), expected.end()))
    __builtin_trap();
}

void clearRun() {
  pointTable = PointTable{};
  resetRecord();
  runOptions.instanceFile.clear();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  std::string_view input = asText(data, size);
  std::size_t nul = input.find('\0');
  std::string_view text = input.substr(0, nul);
  std::string_view file = nul == std::string_view::npos ? std::string_view()
                                                        : input.substr(nul + 1);

  clearRun();
  bool accepted = true;
  try {
    parsePointTable(text, "(t.csv)", false, pointTable);
  } catch (const FatalError&) {
    accepted = false;
  }
  // The same rows written the other way are read alike.
  std::string rewritten;
  bool split = true, decimalComma = false;
  try {
    rewritten = commaSeparated(text, decimalComma);
  } catch (const FatalError&) {
    split = false;
  }
  if (accepted && !split)
    __builtin_trap();
  if (split) {
    PointTable again;
    bool acceptedAgain = true;
    try {
      parsePointTable(rewritten, "(t.csv)", false, again);
    } catch (const FatalError&) {
      acceptedAgain = false;
    }
    if (acceptedAgain != accepted ||
        (accepted && !samePlaces(pointTable, again, decimalComma)))
      __builtin_trap();
  }
  if (!accepted) {
    clearRun();
    return 0;
  }

  int n = static_cast<int>(pointTable.points.size());
  record.vertices = n;
  record.source = DistanceSource::kPoints;
  runOptions.instanceFile = "t.csv";
  PlaceIds ids = placeIdsOfTable();
  checkIds(pointTable, ids);
  const PlaceIds* own = ids.column.empty() ? nullptr : &ids;
  try {
    checkVertices(parseVertexList(file, "<open.txt>", n, own), n);
  } catch (const FatalError&) {
  }
  checkRoundTrips(pointTable, ids, file);
  clearRun();
  return 0;
}
