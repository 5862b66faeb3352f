#include "report/result_centres.h"

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <vector>

#include "common/files.h"
#include "instance/coordinates.h"
#include "instance/distances.h"
#include "instance/instance_record.h"
#include "instance/point_table.h"
#include "report/assignment.h"

namespace {

// The entry of vertex v in a column of the table of points, "-" where the
// column is missing or the field empty.
std::string tableField(const std::vector<std::string>& column, int32_t v) {
  std::string field = placeField(column, v);
  return field.empty() ? "-" : field;
}

std::string number(const char* format, double value) {
  char text[64];
  std::snprintf(text, sizeof text, format, value);
  return text;
}

// The display width of a UTF-8 text: its bytes less its continuation bytes.
std::size_t width(const std::string& text) {
  return static_cast<std::size_t>(std::count_if(
      text.begin(), text.end(),
      [](char c) { return (static_cast<unsigned char>(c) & 0xC0) != 0x80; }));
}

}  // namespace

std::string centresSummary() {
  std::vector<int32_t> centres = distinctCentres();
  int n = record.vertices;
  // How many centres cover each vertex, then what each covers.
  std::vector<int> count(static_cast<std::size_t>(n), 0);
  auto covers = [](int32_t c, int j) {
    float d = 0;
    return j == c || distanceWithinS(c, j, d);
  };
  for (int32_t c : centres)
    for (int j = 0; j < n; ++j)
      count[static_cast<std::size_t>(j)] += covers(c, j);
  bool places = !coordinates.empty();
  std::vector<std::vector<std::string>> rows;
  rows.push_back({"vertice", "id", "nome"});
  if (places) {
    rows[0].push_back(coordinatesGeographic ? "longitude" : "x");
    rows[0].push_back(coordinatesGeographic ? "latitude" : "y");
  }
  rows[0].push_back("so_este");
  rows[0].push_back("ao_todo");
  for (int32_t c : centres) {
    int64_t alone = 0, all = 0;
    for (int j = 0; j < n; ++j) {
      if (!covers(c, j))
        continue;
      all += record.pop[j];
      if (count[static_cast<std::size_t>(j)] == 1)
        alone += record.pop[j];
    }
    std::vector<std::string> row = {std::to_string(c + 1),
                                    tableField(pointTable.ids, c),
                                    tableField(pointTable.names, c)};
    if (places) {
      const Point& at = coordinates[static_cast<std::size_t>(c)];
      row.push_back(number("%.6f", at.x));
      row.push_back(number("%.6f", at.y));
    }
    row.push_back(std::to_string(alone));
    row.push_back(std::to_string(all));
    rows.push_back(std::move(row));
  }
  std::vector<std::size_t> widest(rows[0].size(), 0);
  for (const auto& row : rows)
    for (std::size_t k = 0; k < row.size(); ++k)
      widest[k] = std::max(widest[k], width(row[k]));
  std::string text;
  for (const auto& row : rows) {
    for (std::size_t k = 0; k < row.size(); ++k) {
      std::string pad(widest[k] - width(row[k]), ' ');
      // The id and the name are text; the rest are numbers.
      bool left = k == 1 || k == 2;
      text += k > 0 ? "  " : "";
      text += left ? row[k] + (k + 1 < row.size() ? pad : "") : pad + row[k];
    }
    text += '\n';
  }
  return text;
}

void writeCentresSummary(const std::string& path) {
  OutFile out(path);
  out.write(centresSummary());
  out.close();
}
