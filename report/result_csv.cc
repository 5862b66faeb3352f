#include "report/result_csv.h"

#include <charconv>
#include <cstdio>

#include "common/files.h"
#include "instance/instance_record.h"
#include "report/assignment.h"

std::string resultCsv() {
  std::vector<VertexResult> vertices = assignVertices();
  std::string text = "id,demand,centre,distance,covered,is_centre\n";
  char line[160];
  for (int j = 0; j < record.vertices; ++j) {
    const VertexResult& v = vertices[j];
    int length =
        std::snprintf(line, sizeof line, "%d,%d,", j + 1, record.pop[j]);
    text.append(line, static_cast<std::size_t>(length));
    if (v.centre >= 0) {
      length = std::snprintf(line, sizeof line, "%d,", v.centre + 1);
      text.append(line, static_cast<std::size_t>(length));
      // The shortest text that reads back as the same distance.
      auto result = std::to_chars(line, line + sizeof line, v.distance);
      text.append(line, result.ptr);
    } else {
      text += ',';
    }
    text += v.covered ? ",1" : ",0";
    text += v.isCentre ? ",1\n" : ",0\n";
  }
  return text;
}

void writeResultCsv(const std::string& path) {
  OutFile out(path);
  out.write(resultCsv());
  out.close();
}
