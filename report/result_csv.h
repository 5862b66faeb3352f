#pragma once

// One row per vertex, for a table join, vertices numbered from 1; centre and
// distance are empty when no centre reaches the vertex:
//
//   id,demand,centre,distance,covered,is_centre
//   1,25,3,7,1,0
//   2,21,,,0,0
//   3,30,3,0,1,1

#include <string>

// The whole table, from the record and the assignment of its vertices.
std::string resultCsv();

// Writes resultCsv() to `path`, under a temporary name until complete.
void writeResultCsv(const std::string& path);
