#pragma once

// The centres a planner already has (--open FILE), which stay open and count
// within p, and the only sites where a new centre may open (--candidates
// FILE). Each file lists vertices numbered from 1, as the edge lists, the
// rows of a table of points and the result files number them: separated by
// blanks, commas or line ends, or as the "id" column of a table with a
// header (the tool's own CSV, filtered in a spreadsheet, will do):
//
//   3 17 42          id,name,population
//   108              3,Porto,237591
//                    17,Lisboa,517802
//
// A table of points with an id column of its own (geonameid, fid, …) also
// lets the files name places by those ids: a table with that column (the
// planner's own filtered copy of the table will do), or a plain list of
// them. A plain list is read as row numbers while every value is one
// (1 … n), as before; "id" in a header always means the row number.

#include <cstdint>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

struct CentreSets {
  bool existingGiven = false;       // --open
  std::vector<int32_t> existing;    // 0-based, ascending, each once
  bool candidatesGiven = false;     // --candidates
  std::vector<int32_t> candidates;  // 0-based, ascending, each once
};

// The sets of the run; empty without the options.
extern CentreSets centreSets;

// Reads the files --open and --candidates name (nothing without them) for
// record.vertices vertices and record.facilidades centres. A vertex outside
// 1 … n, more existing centres than p, or fewer candidates (beyond the
// existing centres) than the new centres to open ends the process; a vertex
// listed twice gets a warning and counts once.
void loadCentreSets();

// The places' own ids of a table of points: the name of its id column,
// the table's label for messages, and the vertex (0-based) of each id, the
// first row where an id repeats.
struct PlaceIds {
  std::string column;
  std::string table;
  std::unordered_map<std::string, int32_t> vertex;
};

// The ids of the run's table of points; empty column when it has none.
PlaceIds placeIdsOfTable();

// The vertices of one such file, 0-based, ascending, each once; `label`
// names it in messages; `ids`, when given, are the places' own ids the
// file may name them by. Used by loadCentreSets, tests and fuzz targets.
std::vector<int32_t> parseVertexList(std::string_view text,
                                     const std::string& label, int n,
                                     const PlaceIds* ids = nullptr);

// True when vertex v (0-based) is an existing centre.
bool isExistingCentre(int32_t v);
