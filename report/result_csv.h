#pragma once

// One row per vertex, for a table join, vertices numbered from 1; centre and
// distance are empty when no centre reaches the vertex:
//
//   id,demand,centre,distance,covered,is_centre
//   1,25,3,7,1,0
//   2,21,,,0,0
//   3,30,3,0,1,1
//
// With --open, an "existing" column after is_centre marks the centres that
// were open already (1) among the chosen ones. When the instance is a table
// of points, each row ends with its place,
// so that a GIS loads the table as it stands: "x,y" for planar points,
// "longitude,latitude" for geographic ones; then, where the table has them,
// the place's own id ("place_id") and its name ("name"), as written.

#include <string>

// The whole table, from the record and the assignment of its vertices.
std::string resultCsv();

// Writes resultCsv() to `path`, under a temporary name until complete.
void writeResultCsv(const std::string& path);

// Appends `field` as one CSV field, quoted (RFC 4180) when it holds a
// comma, a quote or a line end.
void appendCsvField(std::string& out, const std::string& field);

// Appends the shortest text that reads back as `value`.
void appendShortest(std::string& out, float value);
void appendShortest(std::string& out, double value);
