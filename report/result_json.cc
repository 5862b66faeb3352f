#include "report/result_json.h"

#include <charconv>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <nlohmann/json.hpp>

#include "common/files.h"
#include "common/run_options.h"
#include "instance/centre_sets.h"
#include "instance/coordinates.h"
#include "instance/demand.h"
#include "instance/instance_record.h"
#include "instance/point_table.h"
#include "report/assignment.h"
#include "report/summary.h"
#include "solver/solution_reader.h"
#include "solver/solver_run.h"

namespace {

// Keys stay in the order written, the order the README documents.
using json = nlohmann::ordered_json;

// A single-precision value as the double nearest to its shortest decimal
// form, so that 10.3 appears as 10.3 and not 10.300000190734863.
double decimalOf(float value) {
  char text[64];
  auto result = std::to_chars(text, text + sizeof text - 1, value);
  *result.ptr = '\0';
  return std::strtod(text, nullptr);
}

// A figure as the report prints it, with two decimals.
double asPrinted(double value) {
  char text[400];
  std::snprintf(text, sizeof text, "%.2f", value);
  return std::strtod(text, nullptr);
}

// A real from "solucao.txt", or null when the solver wrote none (or one
// beyond the range of a double).
json figure(double value) {
  return solverFigures.hasFigures && std::isfinite(value) ? json(value)
                                                          : json(nullptr);
}

json solverPart() {
  json solver = {{"program", kSolverCommand},
                 {"arguments", solverArguments},
                 {"objective", figure(solverFigures.objective)},
                 {"bound", figure(solverFigures.bound)},
                 {"proven", nullptr},
                 {"seconds", figure(solverFigures.seconds)},
                 {"tag", solverFigures.tag}};
  if (solverFigures.hasFigures) {
    // The reals carry five decimals: a bound that reaches the objective to
    // within that rounding proves it.
    double tolerance =
        1e-5 * std::fmax(1.0, std::fabs(solverFigures.objective));
    solver["proven"] =
        solverFigures.bound >= solverFigures.objective - tolerance;
  }
  return solver;
}

// Coordinates in the document only for a table of points: the document of
// a run with --coords stays as it has always been.
bool withPlaces() { return runOptions.points && !coordinates.empty(); }

// The place's own id and name, beside the vertex's, where the table has
// them.
void addOwnNames(json& item, int vertex) {
  if (!withPlaces())
    return;
  std::size_t v = static_cast<std::size_t>(vertex);
  if (v < pointTable.ids.size())
    item["placeId"] = pointTable.ids[v];
  if (v < pointTable.names.size())
    item["name"] = pointTable.names[v];
}

json placeOf(int vertex) {
  const Point& place = coordinates[static_cast<std::size_t>(vertex)];
  return json::array({place.x, place.y});
}

json instancePart() {
  char option[] = {'-', static_cast<char>(runOptions.mode | 0x20), '\0'};
  json instance = {{"file", runOptions.instanceFile},
                   {"layout", runOptions.points        ? "point table"
                              : runOptions.mode == 'B' ? "edge list"
                                                       : "distance matrix"},
                   {"option", option},
                   {"n", record.vertices},
                   {"p", record.facilidades},
                   {"S", decimalOf(record.distServico)}};
  if (withPlaces())
    instance["coordinates"] =
        coordinatesGeographic ? "longitude, latitude" : "x, y";
  return instance;
}

json demandPart() {
  json demand = {
      {"source", demandSource.drawn            ? "random"
                 : demandSource.column.empty() ? "file"
                                               : "table"},
      {"file",
       demandSource.drawn ? json(nullptr) : json(demandSource.fileName)},
      {"seed", demandSource.drawn ? json(demandSource.seed) : json(nullptr)}};
  if (!demandSource.column.empty())
    demand["column"] = demandSource.column;
  return demand;
}

}  // namespace

std::string resultJson() {
  json doc;
  doc["instance"] = instancePart();
  doc["demand"] = demandPart();
  doc["solver"] = solverPart();
  doc["report"] = {{"vertices", record.vertices},
                   {"facilities", record.facilidades},
                   {"serviceDistance", asPrinted(record.distServico)},
                   {"totalDemand", record.popTotal},
                   {"coveredDemand", record.popAtend},
                   {"coveragePercent", asPrinted(coveragePercent())},
                   {"totalDistance", asPrinted(record.custoTotal)},
                   {"overlaps", countOverlaps()}};

  std::vector<VertexResult> vertices = assignVertices();
  std::vector<int32_t> centres = distinctCentres();
  std::vector<int> position(static_cast<std::size_t>(record.vertices), -1);
  json centreList = json::array();
  for (int32_t c : centres) {
    position[c] = static_cast<int>(centreList.size());
    centreList.push_back({{"id", c + 1},
                          {"demand", record.pop[c]},
                          {"coveredDemand", 0},
                          {"covers", json::array()}});
    if (centreSets.existingGiven)
      centreList.back()["existing"] = isExistingCentre(c);
    if (withPlaces())
      centreList.back()["coordinates"] = placeOf(c);
    addOwnNames(centreList.back(), c);
  }
  // Demands can be negative and large; the sums are taken in 64 bits.
  std::vector<int64_t> covered(centres.size(), 0);
  json uncovered = json::array();
  for (int j = 0; j < record.vertices; ++j) {
    const VertexResult& v = vertices[j];
    if (!v.covered) {
      uncovered.push_back(j + 1);
      continue;
    }
    int k = position[v.centre];
    covered[k] += record.pop[j];
    centreList[k]["covers"].push_back(j + 1);
  }
  for (std::size_t k = 0; k < centres.size(); ++k)
    centreList[k]["coveredDemand"] = covered[k];
  doc["centres"] = std::move(centreList);
  doc["uncovered"] = std::move(uncovered);
  if (withPlaces()) {
    json places = json::array();
    for (int j = 0; j < record.vertices; ++j) {
      places.push_back({{"id", j + 1}, {"coordinates", placeOf(j)}});
      addOwnNames(places.back(), j);
    }
    doc["vertices"] = std::move(places);
  }
  // A file name that is not UTF-8 must not stop the document.
  return doc.dump(1, ' ', false, json::error_handler_t::replace) + "\n";
}

void writeResultJson(const std::string& path) {
  OutFile out(path);
  out.write(resultJson());
  out.close();
}
