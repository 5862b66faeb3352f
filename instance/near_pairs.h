#pragma once

// Building and reading the pairs within S (NearPairs, instance_record.h).
// Rows are found on several threads in any order; each thread keeps the
// rows it found in buffers of its own, merged once into the compressed
// structure, so that no vertex holds a small vector of its own.

#include <cstdint>
#include <utility>
#include <vector>

#include "instance/instance_record.h"

class NearPairsBuilder {
 public:
  NearPairsBuilder(int n, int threads);

  // Row v as thread `thread` found it: the vertices and their distances, in
  // any order, each vertex once; sorted here by vertex.
  void addRow(int thread, int v, std::vector<std::pair<int32_t, float>>& found);

  // Moves every row into `near` (start, vertex and distance; self is left
  // as it is); rows never added are empty.
  void finish(NearPairs& near);

 private:
  struct Piece {
    int32_t row;
    int64_t begin;
    int64_t count;
  };
  struct Buffer {
    std::vector<int32_t> vertex;
    std::vector<float> distance;
    std::vector<Piece> pieces;
  };
  int n_;
  std::vector<Buffer> buffers_;
};

// True and the distance `d` when j is within S of i (i != j): a binary
// search in row i.
bool findNearPair(const NearPairs& near, int i, int j, float& d);

// The number of ordered pairs within S (i != j).
inline int64_t nearPairCount(const NearPairs& near) {
  return near.start.empty() ? 0 : near.start.back();
}
