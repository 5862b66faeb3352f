#pragma once

#include <cstddef>
#include <cstdint>

#include "common/end_mark.h"

// No known path between two vertices; also the start of every nearest-centre
// search.
constexpr float UNREACHABLE = 1000000.0f;

// How the instance is given: `B` an edge list with random demand, `G` the
// upper triangle of a distance matrix with random demand, `A` the matrix with
// demand from "demanda.txt".
enum class InputMode : char { B = 'B', G = 'G', A = 'A' };

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
};

// The process-wide record that every stage reads and writes.
extern InstanceRecord record;

// Zero-filled array of `count` elements of `size` bytes; nullptr when it
// cannot be had. A count of zero gives a valid, empty array.
void* allocateZeroed(std::size_t count, std::size_t size);

// Frees the rows of cost in order, the row vector, pop, then centro; skips
// what was never allocated. Leaves the scalar fields as they are.
void releaseInstance();
