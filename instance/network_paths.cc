#include "instance/network_paths.h"

#include <algorithm>
#include <cmath>
#include <functional>
#include <numeric>

#include "instance/near_pairs.h"
#include "instance/work_threads.h"

RoadGraph roadGraph;

namespace {

// Below this many searches one thread does them in a few milliseconds.
constexpr int kThreadedSearches = 500;
// Searches taken at a time by a thread.
constexpr int kSearchChunk = 64;

// The largest float that is at most `reach` and below UNREACHABLE: pairs
// at UNREACHABLE or beyond have no path.
float pathBound(double reach) {
  float bound = static_cast<float>(reach);
  if (static_cast<double>(bound) > reach)
    bound = std::nextafter(bound, 0.0f);
  return std::min(bound, std::nextafter(UNREACHABLE, 0.0f));
}

// The edges that stand after the last record of each pair won, loops left
// out, into roadGraph; into `loop`, the last loop record of each vertex
// (negative where none).
void buildRoadGraph(int n, const std::vector<EdgeRecord>& records,
                    std::vector<float>& loop) {
  loop.assign(static_cast<std::size_t>(n), -1.0f);
  std::vector<int64_t> order;
  for (std::size_t r = 0; r < records.size(); ++r) {
    if (records[r].a == records[r].b)
      loop[static_cast<std::size_t>(records[r].a)] = records[r].d;
    else
      order.push_back(static_cast<int64_t>(r));
  }
  auto pair = [&](int64_t r) {
    const EdgeRecord& e = records[static_cast<std::size_t>(r)];
    return std::make_pair(std::min(e.a, e.b), std::max(e.a, e.b));
  };
  // By pair, and within a pair by file order, so that the last is kept.
  std::sort(order.begin(), order.end(), [&](int64_t x, int64_t y) {
    return pair(x) < pair(y) || (pair(x) == pair(y) && x < y);
  });
  std::vector<int64_t> kept;
  for (std::size_t k = 0; k < order.size(); ++k)
    if (k + 1 == order.size() || pair(order[k + 1]) != pair(order[k]))
      kept.push_back(order[k]);
  RoadGraph& g = roadGraph;
  g = RoadGraph{};
  g.pairs = static_cast<int64_t>(kept.size());
  g.start.assign(static_cast<std::size_t>(n) + 1, 0);
  for (int64_t r : kept) {
    ++g.start[static_cast<std::size_t>(records[r].a) + 1];
    ++g.start[static_cast<std::size_t>(records[r].b) + 1];
  }
  for (int v = 0; v < n; ++v)
    g.start[v + 1] += g.start[v];
  g.vertex.resize(static_cast<std::size_t>(g.start[n]));
  g.length.resize(static_cast<std::size_t>(g.start[n]));
  std::vector<int64_t> fill(g.start.begin(), g.start.end() - 1);
  for (int64_t r : kept) {
    const EdgeRecord& e = records[static_cast<std::size_t>(r)];
    int64_t at = fill[e.a]++;
    g.vertex[at] = e.b;
    g.length[at] = e.d;
    at = fill[e.b]++;
    g.vertex[at] = e.a;
    g.length[at] = e.d;
  }
}

// Each vertex's distance to itself as the completion leaves it: 0 without
// a loop record; with one, the shortest closed walk, which is the loop or
// twice the cheapest first step. In the completed matrix every pair that
// no edge joins starts at UNREACHABLE, so a vertex not joined to every
// other can step out at UNREACHABLE.
std::vector<float> selfDistances(int n, const std::vector<float>& loop) {
  std::vector<float> self(static_cast<std::size_t>(n), 0.0f);
  for (int v = 0; v < n; ++v) {
    if (loop[v] < 0)
      continue;
    float step = std::numeric_limits<float>::infinity();
    for (int64_t k = roadGraph.start[v]; k < roadGraph.start[v + 1]; ++k)
      step = std::min(step, roadGraph.length[k]);
    if (roadGraph.start[v + 1] - roadGraph.start[v] < n - 1)
      step = std::min(step, UNREACHABLE);
    self[v] = std::min(loop[v], 2 * step);
  }
  return self;
}

}  // namespace

BoundedSearch::BoundedSearch()
    : distance_(roadGraph.start.empty() ? 0 : roadGraph.start.size() - 1,
                std::numeric_limits<float>::infinity()) {}

void BoundedSearch::push(int32_t v, float d) {
  float& known = distance_[static_cast<std::size_t>(v)];
  if (known == std::numeric_limits<float>::infinity())
    touched_.push_back(v);
  known = d;
  heap_.push_back({d, v});
  std::push_heap(heap_.begin(), heap_.end(), std::greater<Entry>());
}

BoundedSearch::Entry BoundedSearch::pop() {
  std::pop_heap(heap_.begin(), heap_.end(), std::greater<Entry>());
  Entry top = heap_.back();
  heap_.pop_back();
  return top;
}

void fillNearPairsOfNetwork(int n, const std::vector<EdgeRecord>& records) {
  std::vector<float> loop;
  buildRoadGraph(n, records, loop);
  float s = record.distServico;
  int threads = workThreads(n, kThreadedSearches);
  NearPairsBuilder builder(n, threads);
  struct Scratch {
    BoundedSearch search;
    std::vector<std::pair<int32_t, float>> found;
    std::vector<int32_t> vertex;
    std::vector<float> distance;
  };
  std::vector<Scratch> scratch(static_cast<std::size_t>(threads));
  shareOut(n, kSearchChunk, threads, [&](int t, int64_t begin, int64_t end) {
    Scratch& own = scratch[static_cast<std::size_t>(t)];
    for (int64_t v = begin; v < end; ++v) {
      int i = static_cast<int>(v);
      own.found.clear();
      own.search.run(i, s, [&](int32_t j, float d) {
        if (j != i)
          own.found.push_back({j, d});
      });
      std::sort(own.found.begin(), own.found.end());
      own.vertex.clear();
      own.distance.clear();
      for (const auto& [j, d] : own.found) {
        own.vertex.push_back(j);
        own.distance.push_back(d);
      }
      builder.addRow(t, i, own.vertex.data(), own.distance.data(),
                     static_cast<int64_t>(own.vertex.size()));
    }
  });
  builder.finish(record.near);
  record.near.self = selfDistances(n, loop);
  record.sparse = true;
}

void linkNetworkToCentres(const DistinctCentres& centres,
                          std::vector<CentreLink>& links) {
  std::size_t n = links.size();
  // Labels (distance, rank) compared in that order, the rank being the
  // centre's first position in centro: the search settles each vertex at
  // its nearest centre, the first in centro among equals, as the matrix's
  // reassignment picks it.
  std::vector<int32_t> rank(n, -1);
  std::vector<int32_t> labelRank(n, std::numeric_limits<int32_t>::max());
  struct Entry {
    float distance;
    int32_t rank, vertex;
    bool operator>(const Entry& o) const {
      return distance > o.distance || (distance == o.distance && rank > o.rank);
    }
  };
  std::vector<Entry> heap;
  auto better = [&](float d, int32_t r, std::size_t v) {
    return d < links[v].distance ||
           (d == links[v].distance && r < labelRank[v]);
  };
  auto label = [&](std::size_t v, float d, int32_t r) {
    links[v].distance = d;
    links[v].centre = centres.vertex[static_cast<std::size_t>(r)];
    labelRank[v] = r;
    heap.push_back({d, r, static_cast<int32_t>(v)});
    std::push_heap(heap.begin(), heap.end(), std::greater<Entry>());
  };
  for (std::size_t k = 0; k < centres.vertex.size(); ++k) {
    std::size_t c = static_cast<std::size_t>(centres.vertex[k]);
    rank[c] = static_cast<int32_t>(k);
    label(c, 0.0f, static_cast<int32_t>(k));
  }
  while (!heap.empty()) {
    std::pop_heap(heap.begin(), heap.end(), std::greater<Entry>());
    Entry top = heap.back();
    heap.pop_back();
    std::size_t v = static_cast<std::size_t>(top.vertex);
    if (top.distance != links[v].distance || top.rank != labelRank[v])
      continue;
    for (int64_t k = roadGraph.start[v]; k < roadGraph.start[v + 1]; ++k) {
      float d = top.distance + roadGraph.length[static_cast<std::size_t>(k)];
      std::size_t w = static_cast<std::size_t>(roadGraph.vertex[k]);
      // Only a path below UNREACHABLE reaches a centre.
      if (d < UNREACHABLE && better(d, top.rank, w))
        label(w, d, top.rank);
    }
  }
  // A centre finds itself at its distance to itself, which a loop record
  // makes positive: then another centre may lie nearer, within that reach.
  BoundedSearch search;
  for (std::size_t k = 0; k < centres.vertex.size(); ++k) {
    int32_t c = centres.vertex[k];
    float self = record.near.self[static_cast<std::size_t>(c)];
    if (self == 0.0f)
      continue;
    CentreLink& link = links[static_cast<std::size_t>(c)];
    link = CentreLink{};
    int32_t bestRank = std::numeric_limits<int32_t>::max();
    if (self < UNREACHABLE) {
      link.centre = c;
      link.distance = self;
      bestRank = static_cast<int32_t>(k);
    }
    search.run(c, pathBound(self), [&](int32_t u, float d) {
      int32_t r = rank[static_cast<std::size_t>(u)];
      if (u == c || r < 0)
        return;
      if (d < link.distance || (d == link.distance && r < bestRank)) {
        link.centre = u;
        link.distance = d;
        bestRank = r;
      }
    });
  }
}

int64_t centrePairsOfNetwork(const DistinctCentres& centres, double reach) {
  std::size_t n = roadGraph.start.size() - 1;
  std::vector<int32_t> count(n, 0);
  int64_t pairs = 0;
  float bound = pathBound(reach);
  for (std::size_t k = 0; k < centres.vertex.size(); ++k) {
    int32_t c = centres.vertex[k];
    int64_t times = centres.count[k];
    count[static_cast<std::size_t>(c)] = static_cast<int32_t>(times);
    float self = record.near.self[static_cast<std::size_t>(c)];
    if (self <= bound)
      pairs += times * (times - 1) / 2;
  }
  int total = static_cast<int>(centres.vertex.size());
  int threads = workThreads(total, kThreadedSearches / 10);
  std::vector<int64_t> found(static_cast<std::size_t>(threads), 0);
  std::vector<BoundedSearch> searches(static_cast<std::size_t>(threads));
  shareOut(total, 1, threads, [&](int t, int64_t begin, int64_t end) {
    for (int64_t k = begin; k < end; ++k) {
      int32_t a = centres.vertex[static_cast<std::size_t>(k)];
      searches[static_cast<std::size_t>(t)].run(
          a, bound, [&](int32_t b, float) {
            // Each pair once, from its lower vertex.
            if (b > a && count[static_cast<std::size_t>(b)] > 0)
              found[static_cast<std::size_t>(t)] +=
                  static_cast<int64_t>(count[static_cast<std::size_t>(a)]) *
                  count[static_cast<std::size_t>(b)];
          });
    }
  });
  return pairs + std::accumulate(found.begin(), found.end(), int64_t{0});
}

float networkDistance(int i, int j) {
  float found = UNREACHABLE;
  BoundedSearch search;
  search.run(i, pathBound(UNREACHABLE), [&](int32_t v, float d) {
    if (v == j)
      found = std::min(found, d);
  });
  return found;
}

float smallestNetworkDistance() {
  std::size_t n = roadGraph.start.empty() ? 0 : roadGraph.start.size() - 1;
  float smallest = std::numeric_limits<float>::infinity();
  if (n < 2)
    return smallest;
  // Every path is at least its first edge; pairs that no edge joins start
  // at UNREACHABLE in the completed matrix and can only come down to a
  // path, itself no shorter than an edge.
  for (float length : roadGraph.length)
    smallest = std::min(smallest, length);
  if (roadGraph.pairs <
      static_cast<int64_t>(n) * (static_cast<int64_t>(n) - 1) / 2)
    smallest = std::min(smallest, UNREACHABLE);
  return smallest;
}
