#include "instance/point_pairs.h"

#include <algorithm>
#include <limits>
#include <numeric>
#include <utility>

#include "instance/near_pairs.h"
#include "instance/point_index.h"
#include "instance/work_threads.h"

namespace {

// Below this many queries one thread answers them in a few milliseconds.
constexpr int kThreadedQueries = 2000;
// Queries taken at a time by a thread.
constexpr int kQueryChunk = 256;

std::vector<int32_t> allPlaces(const PointTable& table) {
  std::vector<int32_t> members(table.points.size());
  std::iota(members.begin(), members.end(), 0);
  return members;
}

}  // namespace

void fillNearPairsOfPlaces(const PointTable& table) {
  int n = static_cast<int>(table.points.size());
  float s = record.distServico;
  PointIndex index(table.points, table.geographic, allPlaces(table));
  int threads = workThreads(n, kThreadedQueries);
  NearPairsBuilder builder(n, threads);
  struct Scratch {
    std::vector<std::pair<int32_t, float>> found;
  };
  std::vector<Scratch> scratch(static_cast<std::size_t>(threads));
  shareOut(n, kQueryChunk, threads, [&](int t, int64_t begin, int64_t end) {
    Scratch& own = scratch[static_cast<std::size_t>(t)];
    for (int64_t v = begin; v < end; ++v) {
      int i = static_cast<int>(v);
      own.found.clear();
      index.near(table.points[static_cast<std::size_t>(i)], s, [&](int32_t j) {
        if (j == i)
          return;
        // The test of the solver's input: a distance equal to S is covered.
        float d = placeDistance(table, i, j);
        if (d <= s)
          own.found.push_back({j, d});
      });
      builder.addRow(t, i, own.found);
    }
  });
  builder.finish(record.near);
  record.near.self.assign(static_cast<std::size_t>(n), 0.0f);
  record.sparse = true;
}

void linkPlacesToCentres(const PointTable& table,
                         const DistinctCentres& centres,
                         std::vector<CentreLink>& links) {
  int n = static_cast<int>(table.points.size());
  // The rank of a centre is its first position in centro, which settles
  // ties as the reassignment does.
  std::vector<int32_t> rank(static_cast<std::size_t>(n), -1);
  for (std::size_t k = 0; k < centres.vertex.size(); ++k)
    rank[static_cast<std::size_t>(centres.vertex[k])] = static_cast<int32_t>(k);
  PointIndex index(table.points, table.geographic, centres.vertex);
  int threads = workThreads(n, kThreadedQueries);
  shareOut(n, kQueryChunk, threads, [&](int, int64_t begin, int64_t end) {
    for (int64_t v = begin; v < end; ++v) {
      int j = static_cast<int>(v);
      CentreLink& link = links[static_cast<std::size_t>(j)];
      int32_t bestRank = std::numeric_limits<int32_t>::max();
      index.nearest(
          table.points[static_cast<std::size_t>(j)], UNREACHABLE,
          [&](int32_t c) -> double {
            float d = placeDistance(table, c, j);
            int32_t r = rank[static_cast<std::size_t>(c)];
            if (d < link.distance ||
                (d == link.distance && link.centre >= 0 && r < bestRank)) {
              link.centre = c;
              link.distance = d;
              bestRank = r;
            }
            return link.distance;
          });
    }
  });
}

int64_t centrePairsOfPlaces(const PointTable& table,
                            const DistinctCentres& centres, double reach) {
  int n = static_cast<int>(table.points.size());
  std::vector<int32_t> count(static_cast<std::size_t>(n), 0);
  int64_t pairs = 0;
  for (std::size_t k = 0; k < centres.vertex.size(); ++k) {
    int64_t times = centres.count[k];
    count[static_cast<std::size_t>(centres.vertex[k])] =
        static_cast<int32_t>(times);
    // A place listed twice is at distance 0 from itself.
    pairs += times * (times - 1) / 2;
  }
  PointIndex index(table.points, table.geographic, centres.vertex);
  for (int32_t a : centres.vertex) {
    index.near(
        table.points[static_cast<std::size_t>(a)], reach, [&](int32_t b) {
          // Each pair once, from its lower vertex; 2 × S is compared in double
          // precision with the single-precision distance.
          if (b > a && static_cast<double>(placeDistance(table, a, b)) <= reach)
            pairs += static_cast<int64_t>(count[static_cast<std::size_t>(a)]) *
                     count[static_cast<std::size_t>(b)];
        });
  }
  return pairs;
}

float smallestPlaceDistance(const PointTable& table) {
  int n = static_cast<int>(table.points.size());
  PointIndex index(table.points, table.geographic, allPlaces(table));
  int threads = workThreads(n, kThreadedQueries);
  std::vector<float> smallest(static_cast<std::size_t>(threads),
                              std::numeric_limits<float>::infinity());
  shareOut(n, kQueryChunk, threads, [&](int t, int64_t begin, int64_t end) {
    float& own = smallest[static_cast<std::size_t>(t)];
    for (int64_t v = begin; v < end; ++v) {
      int i = static_cast<int>(v);
      index.nearest(table.points[static_cast<std::size_t>(i)],
                    std::numeric_limits<double>::max(),
                    [&](int32_t j) -> double {
                      if (j != i)
                        own = std::min(own, placeDistance(table, i, j));
                      return own;
                    });
    }
  });
  return *std::min_element(smallest.begin(), smallest.end());
}

std::vector<float> nearestPositivePlaceDistances(const PointTable& table) {
  int n = static_cast<int>(table.points.size());
  PointIndex index(table.points, table.geographic, allPlaces(table));
  std::vector<float> nearest(static_cast<std::size_t>(n),
                             std::numeric_limits<float>::infinity());
  int threads = workThreads(n, kThreadedQueries);
  shareOut(n, kQueryChunk, threads, [&](int, int64_t begin, int64_t end) {
    for (int64_t v = begin; v < end; ++v) {
      int i = static_cast<int>(v);
      float& own = nearest[static_cast<std::size_t>(i)];
      // Places at distance 0 are passed over and leave the reach as it is.
      index.nearest(table.points[static_cast<std::size_t>(i)],
                    std::numeric_limits<double>::max(),
                    [&](int32_t j) -> double {
                      float d = j == i ? 0.0f : placeDistance(table, i, j);
                      if (d > 0.0f)
                        own = std::min(own, d);
                      return own;
                    });
    }
  });
  return nearest;
}
