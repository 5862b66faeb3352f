#include "report/result_geojson.h"

#include <cstdio>
#include <nlohmann/json.hpp>
#include <vector>

#include "common/files.h"
#include "common/run_options.h"
#include "instance/centre_sets.h"
#include "instance/coordinates.h"
#include "instance/instance_record.h"
#include "instance/point_table.h"
#include "report/assignment.h"
#include "report/result_csv.h"

namespace {

// `text` as a JSON string; bytes that are not UTF-8 become U+FFFD.
std::string jsonString(const std::string& text) {
  return nlohmann::json(text).dump(-1, ' ', false,
                                   nlohmann::json::error_handler_t::replace);
}

}  // namespace

std::string resultGeojson() {
  std::vector<VertexResult> vertices = assignVertices();
  // The place's own id and name, for a table of points that has them.
  bool table =
      runOptions.points &&
      pointTable.points.size() == static_cast<std::size_t>(record.vertices);
  bool ids = table && pointTable.ids.size() == pointTable.points.size();
  bool names = table && pointTable.names.size() == pointTable.points.size();
  std::string text = "{\"type\":\"FeatureCollection\",\"features\":[\n";
  text.reserve(static_cast<std::size_t>(record.vertices) * 200 + 64);
  char line[160];
  for (int j = 0; j < record.vertices; ++j) {
    const VertexResult& v = vertices[j];
    const Point& place = coordinates[static_cast<std::size_t>(j)];
    text +=
        "{\"type\":\"Feature\",\"geometry\":{\"type\":\"Point\","
        "\"coordinates\":[";
    appendShortest(text, place.x);
    text += ',';
    appendShortest(text, place.y);
    int length = std::snprintf(line, sizeof line,
                               "]},\"properties\":{\"id\":%d,\"demand\":%d,",
                               j + 1, record.pop[j]);
    text.append(line, static_cast<std::size_t>(length));
    if (v.centre >= 0) {
      length = std::snprintf(line, sizeof line,
                             "\"centre\":%d,\"distance\":", v.centre + 1);
      text.append(line, static_cast<std::size_t>(length));
      appendShortest(text, v.distance);
    } else {
      text += "\"centre\":null,\"distance\":null";
    }
    length =
        std::snprintf(line, sizeof line, ",\"covered\":%d,\"is_centre\":%d",
                      v.covered ? 1 : 0, v.isCentre ? 1 : 0);
    text.append(line, static_cast<std::size_t>(length));
    if (centreSets.existingGiven)
      text += v.existing ? ",\"existing\":1" : ",\"existing\":0";
    if (ids)
      text += ",\"place_id\":" +
              jsonString(pointTable.ids[static_cast<std::size_t>(j)]);
    if (names)
      text += ",\"name\":" +
              jsonString(pointTable.names[static_cast<std::size_t>(j)]);
    text += j + 1 < record.vertices ? "}},\n" : "}}\n";
  }
  text += "]}\n";
  return text;
}

void writeResultGeojson(const std::string& path) {
  OutFile out(path);
  out.write(resultGeojson());
  out.close();
}
