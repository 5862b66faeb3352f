#include "instance/near_pairs.h"

#include <algorithm>

NearPairsBuilder::NearPairsBuilder(int n, int threads)
    : n_(n), buffers_(static_cast<std::size_t>(std::max(threads, 1))) {}

void NearPairsBuilder::addRow(int thread, int v,
                              std::vector<std::pair<int32_t, float>>& found) {
  std::sort(found.begin(), found.end());
  Buffer& buffer = buffers_[static_cast<std::size_t>(thread)];
  buffer.pieces.push_back({v, static_cast<int64_t>(buffer.vertex.size()),
                           static_cast<int64_t>(found.size())});
  for (const auto& [j, d] : found) {
    buffer.vertex.push_back(j);
    buffer.distance.push_back(d);
  }
}

void NearPairsBuilder::finish(NearPairs& near) {
  std::size_t n = static_cast<std::size_t>(n_);
  near.start.assign(n + 1, 0);
  for (const Buffer& buffer : buffers_)
    for (const Piece& piece : buffer.pieces)
      near.start[static_cast<std::size_t>(piece.row) + 1] = piece.count;
  for (std::size_t v = 0; v < n; ++v)
    near.start[v + 1] += near.start[v];
  near.vertex.resize(static_cast<std::size_t>(near.start[n]));
  near.distance.resize(static_cast<std::size_t>(near.start[n]));
  for (Buffer& buffer : buffers_) {
    for (const Piece& piece : buffer.pieces) {
      int64_t to = near.start[static_cast<std::size_t>(piece.row)];
      std::copy_n(buffer.vertex.begin() + piece.begin, piece.count,
                  near.vertex.begin() + to);
      std::copy_n(buffer.distance.begin() + piece.begin, piece.count,
                  near.distance.begin() + to);
    }
    // Each buffer is given back as soon as it is merged: the peak is the
    // merged pairs and the buffers not yet merged, never two whole copies
    // after the first buffer.
    buffer = Buffer{};
  }
}

bool findNearPair(const NearPairs& near, int i, int j, float& d) {
  auto first = near.vertex.begin() + near.start[static_cast<std::size_t>(i)];
  auto last = near.vertex.begin() + near.start[static_cast<std::size_t>(i) + 1];
  auto at = std::lower_bound(first, last, j);
  if (at == last || *at != j)
    return false;
  d = near.distance[static_cast<std::size_t>(at - near.vertex.begin())];
  return true;
}
