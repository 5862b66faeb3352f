#pragma once

// Which centre serves each vertex, as the report counts it: a vertex is
// covered when "solucaoR.txt" lists it (its nearest centre, the first in
// centro among equal distances, is another vertex within S) or when it is a
// centre. For vertex 3 of n = 4, centres 2 and 0 and S = 10:
//
//   centre 2, distance 7, covered      (listed: 2 3 7.00)
//
// Vertices are 0-based here; the result files add 1.

#include <cstdint>
#include <vector>

struct VertexResult {
  int32_t centre = -1;    // the serving centre, else the nearest; -1: none
  float distance = 0.0f;  // the distance from centre when centre >= 0
  bool covered = false;   // counted in popAtend
  bool isCentre = false;  // listed in centro
  bool existing = false;  // a centre that was open already (--open)
};

// One entry per vertex, from the links to the centres (distances.h).
std::vector<VertexResult> assignVertices();

// The centres of centro in its order, each once.
std::vector<int32_t> distinctCentres();
