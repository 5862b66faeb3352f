#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

#include "common/end_mark.h"

// No known path between two vertices; also the start of every nearest-centre
// search.
constexpr float UNREACHABLE = 1000000.0f;

// How the instance is given: `B` an edge list with random demand, `G` the
// upper triangle of a distance matrix with random demand, `A` the matrix with
// demand from "demanda.txt".
enum class InputMode : char { B = 'B', G = 'G', A = 'A' };

// Where the distances come from, which decides how a distance beyond S is
// found when the record holds only the pairs within S: a distance matrix
// (always held whole), a network of edges, or a table of places.
enum class DistanceSource : char { kMatrix, kNetwork, kPoints };

// The pairs of vertices within S of each other, in place of cost on a
// sparse run (--sparse), one compressed structure read through the
// distances seam (distances.h): the vertices within S of v, v itself left
// out, are vertex[start[v] … start[v+1]), increasing, at distance[…] the
// same positions; self[v] is the distance of v to itself (0, or for an
// edge list what its loop record leaves).
struct NearPairs {
  std::vector<int64_t> start;
  std::vector<int32_t> vertex;
  std::vector<float> distance;
  std::vector<float> self;
};

// The one problem of a run, filled stage by stage. Vertices are 0 … n-1.
struct InstanceRecord {
  int32_t vertices = 0;       // n
  int32_t arestas = 0;        // m, edge records of an edge-list instance
  int32_t facilidades = 0;    // p, centres to open
  float distServico = 0.0f;   // S: covered when the distance is at most S
  float** cost = nullptr;     // n rows of n distances, cost[row][column]
  int32_t* pop = nullptr;     // demand of each vertex
  int32_t popTotal = 0;       // sum of pop
  int32_t* centro = nullptr;  // the solver's centres, in its order
  int32_t popAtend = 0;       // population served
  float custoTotal = 0.0f;    // distance from served vertices to centres
  DistanceSource source = DistanceSource::kMatrix;
  bool sparse = false;  // near holds the distances, cost is absent
  NearPairs near;       // the pairs within S, on a sparse run
};

// The process-wide record that every stage reads and writes.
extern InstanceRecord record;

// Zero-filled array of `count` elements of `size` bytes; nullptr when it
// cannot be had. A count of zero gives a valid, empty array.
void* allocateZeroed(std::size_t count, std::size_t size);

// Frees the rows of cost in order, the row vector, pop, then centro, then
// the pairs within S; skips what was never allocated. Leaves the scalar
// fields as they are.
void releaseInstance();
