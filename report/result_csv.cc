#include "report/result_csv.h"

#include <charconv>
#include <cstdio>

#include "common/files.h"
#include "common/run_options.h"
#include "instance/centre_sets.h"
#include "instance/coordinates.h"
#include "instance/instance_record.h"
#include "instance/point_table.h"
#include "report/assignment.h"

void appendShortest(std::string& out, float value) {
  char text[64];
  auto result = std::to_chars(text, text + sizeof text, value);
  out.append(text, result.ptr);
}

void appendShortest(std::string& out, double value) {
  char text[64];
  auto result = std::to_chars(text, text + sizeof text, value);
  out.append(text, result.ptr);
}

void appendCsvField(std::string& out, const std::string& field) {
  if (field.find_first_of(",\"\r\n") == std::string::npos) {
    out += field;
    return;
  }
  out += '"';
  for (char c : field) {
    if (c == '"')
      out += '"';
    out += c;
  }
  out += '"';
}

std::string resultCsv() {
  std::vector<VertexResult> vertices = assignVertices();
  // Coordinates only for a table of points: the columns of a run with
  // --coords stay as they have always been.
  bool places = runOptions.points && !coordinates.empty();
  std::string text = "id,demand,centre,distance,covered,is_centre";
  if (centreSets.existingGiven)
    text += ",existing";
  if (places)
    text += coordinatesGeographic ? ",longitude,latitude" : ",x,y";
  std::size_t n = static_cast<std::size_t>(record.vertices);
  bool ids = places && pointTable.ids.size() == n;
  bool names = places && pointTable.names.size() == n;
  if (ids)
    text += ",place_id";
  if (names)
    text += ",name";
  text += '\n';
  char line[160];
  for (int j = 0; j < record.vertices; ++j) {
    const VertexResult& v = vertices[j];
    int length =
        std::snprintf(line, sizeof line, "%d,%d,", j + 1, record.pop[j]);
    text.append(line, static_cast<std::size_t>(length));
    if (v.centre >= 0) {
      length = std::snprintf(line, sizeof line, "%d,", v.centre + 1);
      text.append(line, static_cast<std::size_t>(length));
      appendShortest(text, v.distance);
    } else {
      text += ',';
    }
    text += v.covered ? ",1" : ",0";
    text += v.isCentre ? ",1" : ",0";
    if (centreSets.existingGiven)
      text += v.existing ? ",1" : ",0";
    if (places) {
      text += ',';
      appendShortest(text, coordinates[j].x);
      text += ',';
      appendShortest(text, coordinates[j].y);
    }
    if (ids) {
      text += ',';
      appendCsvField(text, pointTable.ids[static_cast<std::size_t>(j)]);
    }
    if (names) {
      text += ',';
      appendCsvField(text, pointTable.names[static_cast<std::size_t>(j)]);
    }
    text += '\n';
  }
  return text;
}

void writeResultCsv(const std::string& path) {
  OutFile out(path);
  out.write(resultCsv());
  out.close();
}
