#pragma once

// The result as JSON, vertices numbered from 1 as in the input:
//
//   {"instance": {"file": "inst.txt", "layout": "edge list", "option": "-b",
//                 "n": 4, "p": 2, "S": 10.0},
//    "demand": {"source": "random", "file": null, "seed": 7},
//    "solver": {"program": "Corvadel.exe", "arguments": [],
//               "objective": 40.0, "bound": 40.0, "proven": true,
//               "seconds": 0.01, "tag": 7},
//    "report": {"vertices": 4, "facilities": 2, "serviceDistance": 10.0,
//               "totalDemand": 116, "coveredDemand": 76,
//               "coveragePercent": 65.52, "totalDistance": 9.0,
//               "overlaps": 1},
//    "centres": [{"id": 3, "demand": 30, "coveredDemand": 51,
//                 "covers": [2, 3]}, ...],
//    "uncovered": [4]}
//
// With --open, each centre says whether it was open already ("existing").
// For a table of points, the layout is "point table", the instance names
// its "coordinates" ("longitude, latitude" or "x, y"), each centre carries
// its "coordinates" [x, y], and "vertices" lists every vertex's id and
// coordinates; a demand column makes the demand's source "table", with its
// "column".

#include <string>

// The whole document, from the record, the options and the solver's answer.
std::string resultJson();

// Writes resultJson() to `path`, under a temporary name until complete.
void writeResultJson(const std::string& path);
