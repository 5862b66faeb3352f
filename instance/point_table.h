#pragma once

// Reads a table of points, as a GIS or a spreadsheet exports it, as the
// instance (--points): one row per vertex, in vertex order, comma-, tab- or
// blank-separated, with an optional header line, RFC 4180 quoting, a UTF-8
// byte order mark and CRLF line ends.
//
//   geonameid,name,latitude,longitude,population
//   2657886,Zwingen,47.43825,7.53027,2162
//   2657889,"Zuzwil, SG",47.47452,9.11196,4226
//
// A header with semicolons and no comma or tab makes a semicolon-separated
// table, where a decimal comma reads as a point ("47,43825").
//
// With a header, columns are found by name (any case): x, lon or longitude
// (then lng, long, then lon_*, lng_*, long_*, longitude_*); y, lat or
// latitude (then lat_*, latitude_*); demand, population or weight (then
// pop, inhabitants, count, then pop_*, *_pop), optional, or the column
// --demand-column names; the place's own id (id, geonameid, fid, objectid,
// gid) and name (name, nome, nom, label), optional. Every row
// has as many fields as the header. Without one,
// by position: x y [demand], or with --geographic lon lat [demand]. Other
// columns are ignored. Latitude and longitude names, or --geographic, make
// the coordinates geographic (degrees, WGS84): distances are great-circle
// metres. Otherwise they are planar: straight-line distance in their unit.

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "instance/coordinates.h"

// Mean Earth radius in metres, for great-circle distances.
constexpr double kEarthRadius = 6371008.8;

// What a table of points holds, vertex by vertex.
struct PointTable {
  std::vector<Point> points;       // x, y; or longitude, latitude
  bool geographic = false;         // the points are longitude, latitude
  std::vector<int32_t> demand;     // the demand column; empty without one
  std::string demandColumn;        // its name in the header, or "3"
  std::vector<double> cosines;     // cosine of each latitude, when geographic
  bool header = false;             // the first row names the columns
  std::vector<std::string> ids;    // the id column, as written; or empty
  std::string idColumn;            // its name in the header
  std::vector<std::string> names;  // the name column, as written; or empty
  std::string nameColumn;          // its name in the header
  int repeatedRows = 0;            // rows with the id, or place and name, of an
                                   // earlier row
  int firstRepeatLine = 0;         // the line of the first of them
  int firstRepeatedLine = 0;       // the line it repeats
  bool degreeLike = false;         // planar, yet written and ranged as degrees
};

// The table of the run, when the instance is one; its demand column is used
// by loadDemand.
extern PointTable pointTable;

// Vertex v's entry in one of pointTable's text columns (ids, names); empty
// when the run has no table or the table no such column.
std::string placeField(const std::vector<std::string>& column, int32_t v);

// The columns the command line names: --demand-column, --id-column,
// --name-column; empty: found by their usual names.
struct NamedColumns {
  std::string demand, id, name;
};

// Parses the text of a table named `label` ("(cities.csv)") into `table`;
// `geographic` is --geographic. A row that cannot be read ends the process
// with a message naming the file, the line and what was expected.
void parsePointTable(std::string_view text, const std::string& label,
                     bool geographic, PointTable& table,
                     const NamedColumns& named = {});

// Reads the named table into pointTable and the record: vertices, p and S
// from the command line, and cost from the points' distances (with
// --sparse, near: the pairs within S). Fills coordinates (and
// coordinatesGeographic) for the result files. Warns when planar places look
// like degrees, and when rows repeat.
void readPointTable(const char* fileName);

// The distance between places i and j of `table` as the matrix holds it:
// great-circle metres or straight-line units, in single precision.
float placeDistance(const PointTable& table, int i, int j);

// Great-circle distance in metres between two points given as longitude,
// latitude in degrees, by the haversine formula in double precision.
double greatCircleMetres(const Point& a, const Point& b);

// Straight-line distance between two points of the plane.
double planarDistance(const Point& a, const Point& b);
