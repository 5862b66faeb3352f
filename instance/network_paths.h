#pragma once

// The searches of a sparse run over the network of an edge list: shortest
// paths by Dijkstra's method with a binary heap, bounded at the distance
// asked for, in place of the completion of the whole matrix. Lengths are
// summed in single precision, as the completion stores them, so that the
// distances equal the matrix's wherever its sums are exact (whole lengths
// whose sums stay below 2^24).

#include <cstdint>
#include <limits>
#include <vector>

#include "instance/distances.h"
#include "instance/instance_reader.h"

// The network as the searches walk it: each vertex's neighbours and the
// lengths to them, each pair once with the length of its last record, loops
// left out.
struct RoadGraph {
  std::vector<int64_t> start;
  std::vector<int32_t> vertex;
  std::vector<float> length;
  int64_t pairs = 0;  // distinct pairs of vertices joined by an edge
};

extern RoadGraph roadGraph;

// Builds roadGraph from the edge records of n vertices (file order, the last
// record of a pair winning), fills record.near with the pairs within S by a
// search from every vertex on every core, and the distances of the vertices
// to themselves as the completion leaves them; marks the record sparse.
void fillNearPairsOfNetwork(int n, const std::vector<EdgeRecord>& records);

// The nearest of the distinct `centres` (in centro order, the first
// winning ties) for every vertex, by one search from all of them at once.
void linkNetworkToCentres(const DistinctCentres& centres,
                          std::vector<CentreLink>& links);

// Pairs of positions in centro whose distinct centres lie at most `reach`
// apart along the network, below UNREACHABLE: one bounded search from each
// centre.
int64_t centrePairsOfNetwork(const DistinctCentres& centres, double reach);

// The distance from i to j (i != j), UNREACHABLE when no path is shorter.
float networkDistance(int i, int j);

// The smallest distance between two distinct vertices, as the completed
// matrix holds it; infinite with fewer than two.
float smallestNetworkDistance();

// Calls visit(v, d) for every vertex v at distance d <= bound from
// `source` along roadGraph, nearest first, the source itself first at 0.
class BoundedSearch {
 public:
  BoundedSearch();

  template <typename Visit>
  void run(int source, float bound, Visit visit);

 private:
  struct Entry {
    float distance;
    int32_t vertex;
    bool operator>(const Entry& other) const {
      return distance > other.distance;
    }
  };
  void push(int32_t v, float d);
  Entry pop();

  std::vector<float> distance_;
  std::vector<int32_t> touched_;
  std::vector<Entry> heap_;
};

template <typename Visit>
void BoundedSearch::run(int source, float bound, Visit visit) {
  push(source, 0.0f);
  while (!heap_.empty()) {
    Entry top = pop();
    if (top.distance > distance_[static_cast<std::size_t>(top.vertex)])
      continue;  // an older entry of a vertex reached since more closely
    visit(top.vertex, top.distance);
    int64_t end = roadGraph.start[static_cast<std::size_t>(top.vertex) + 1];
    for (int64_t k = roadGraph.start[static_cast<std::size_t>(top.vertex)];
         k < end; ++k) {
      // The float sum, as the completion stores a candidate: a double sum
      // of two floats rounds to the float sum.
      float d = top.distance + roadGraph.length[static_cast<std::size_t>(k)];
      int32_t w = roadGraph.vertex[static_cast<std::size_t>(k)];
      if (d <= bound && d < distance_[static_cast<std::size_t>(w)])
        push(w, d);
    }
  }
  for (int32_t v : touched_)
    distance_[static_cast<std::size_t>(v)] =
        std::numeric_limits<float>::infinity();
  touched_.clear();
}
