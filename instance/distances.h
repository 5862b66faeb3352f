#pragma once

// The one seam every stage reads distances through, whichever store holds
// them: the n x n matrix cost of a dense run, or on a sparse run
// (--sparse) the pairs within S (record.near), with the places of a table
// or the network of an edge list to search when a distance beyond S is
// asked for. Both stores give the same answers, bit for bit, wherever the
// dense path computes its distances exactly.
//
// The rule of the reassignment lives here, once: a vertex's nearest centre
// is the one at the smallest distance below UNREACHABLE, the first in
// centro among equals, and the vertex is listed (served by it) when that
// centre is another vertex within S.

#include <cstdint>
#include <vector>

#include "instance/instance_record.h"

// The distance of v to itself: 0, or what an edge list's loop leaves.
float selfDistance(int v);

// The distance from i to j, whatever it is; on a sparse run a pair beyond
// S is computed or searched for, which costs a search of the network.
float pairDistance(int i, int j);

// True, and `d`, when j lies within S of i (i == j included).
bool distanceWithinS(int i, int j, float& d);

// How a vertex stands to the centres of centro.
struct CentreLink {
  int32_t centre = -1;           // the nearest centre; -1: none below
                                 // UNREACHABLE
  float distance = UNREACHABLE;  // the distance from it
  bool listed = false;           // served by it: another vertex, within S
};

// The link of every vertex, from centro, facilidades and distServico.
std::vector<CentreLink> linkToCentres();

// The centres of centro in its order, each once, and how many times each
// is listed there.
struct DistinctCentres {
  std::vector<int32_t> vertex;
  std::vector<int32_t> count;
};
DistinctCentres centresOfCentro();

// Pairs of positions i < j in centro whose centres lie at most `reach`
// apart (a vertex listed twice forms pairs at its own distance to itself).
// On an edge list a pair without a path, at UNREACHABLE or beyond, never
// counts.
int64_t centrePairsWithin(double reach);

// The smallest distance between two distinct vertices; infinite with
// fewer than two. Not capped at UNREACHABLE.
float smallestDistance();

// The number of vertices with another vertex at a positive distance of at
// most S, counted until it passes `enough`.
int64_t verticesNearAtPositiveDistance(int64_t enough);

// For every vertex, the distance to its nearest other vertex at a positive
// distance; infinite when there is none (distances at UNREACHABLE or beyond
// count as none, but for a table's places). From the matrix, or on a
// sparse run from a table's places (not from a network).
std::vector<float> nearestPositiveDistances();
