#pragma once

// The vertices' places in the plane, read from the file --coords names, for
// the picture. Either n lines "x y" in vertex order:
//
//   1380 939
//   2848 96
//
// or a TSPLIB file whose DIMENSION is n, with "id x y" lines, ids 1 … n in
// order, after NODE_COORD_SECTION (an EOF line may end it):
//
//   NAME : kroA100
//   DIMENSION : 100
//   NODE_COORD_SECTION
//   1 1380 939
//   2 2848 96

#include <string_view>
#include <vector>

#include "common/token_reader.h"

struct Point {
  double x = 0.0;
  double y = 0.0;
};

// One place per vertex, vertex order; empty without --coords or a table of
// points.
extern std::vector<Point> coordinates;

// The places are longitude (x) and latitude (y) in degrees: from a table of
// points with such columns, or --geographic.
extern bool coordinatesGeographic;

// Reads the file --coords names (nothing without it) for record.vertices
// vertices; a missing file, a missing or bad value, more places than
// vertices or a TSPLIB DIMENSION other than n ends the process.
void loadCoordinates();

// The same from tokens already opened, for n vertices; used by
// loadCoordinates and tests. `tsplib` selects the layout.
void readCoordinatesFrom(DataReader& in, int n, bool tsplib);

// True when the text holds a NODE_COORD_SECTION, so is read as TSPLIB.
bool isTsplib(std::string_view text);
