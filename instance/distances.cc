#include "instance/distances.h"

#include <limits>
#include <vector>

#include "instance/near_pairs.h"
#include "instance/network_paths.h"
#include "instance/point_pairs.h"
#include "instance/point_table.h"

float selfDistance(int v) {
  if (!record.sparse)
    return record.cost[v][v];
  return record.near.self[static_cast<std::size_t>(v)];
}

float pairDistance(int i, int j) {
  if (!record.sparse)
    return record.cost[i][j];
  if (i == j)
    return selfDistance(i);
  float d;
  if (findNearPair(record.near, i, j, d))
    return d;
  if (record.source == DistanceSource::kPoints)
    return placeDistance(pointTable, i, j);
  return networkDistance(i, j);
}

bool distanceWithinS(int i, int j, float& d) {
  if (!record.sparse || i == j) {
    d = record.sparse ? selfDistance(i) : record.cost[i][j];
    return d <= record.distServico;
  }
  return findNearPair(record.near, i, j, d);
}

DistinctCentres centresOfCentro() {
  DistinctCentres centres;
  std::vector<int32_t> at(static_cast<std::size_t>(record.vertices), -1);
  for (int k = 0; k < record.facilidades; ++k) {
    int32_t c = record.centro[k];
    int32_t& slot = at[static_cast<std::size_t>(c)];
    if (slot < 0) {
      slot = static_cast<int32_t>(centres.vertex.size());
      centres.vertex.push_back(c);
      centres.count.push_back(0);
    }
    ++centres.count[static_cast<std::size_t>(slot)];
  }
  return centres;
}

std::vector<CentreLink> linkToCentres() {
  int n = record.vertices;
  std::vector<CentreLink> links(static_cast<std::size_t>(n));
  if (!record.sparse) {
    for (int j = 0; j < n; ++j) {
      CentreLink& link = links[static_cast<std::size_t>(j)];
      // Strictly nearer only: among equal distances the first in centro
      // wins, and nothing at UNREACHABLE or beyond is reached.
      for (int k = 0; k < record.facilidades; ++k) {
        int c = record.centro[k];
        if (record.cost[c][j] < link.distance) {
          link.distance = record.cost[c][j];
          link.centre = c;
        }
      }
    }
  } else if (record.source == DistanceSource::kPoints) {
    linkPlacesToCentres(pointTable, centresOfCentro(), links);
  } else {
    linkNetworkToCentres(centresOfCentro(), links);
  }
  for (int j = 0; j < n; ++j) {
    CentreLink& link = links[static_cast<std::size_t>(j)];
    link.listed = link.centre >= 0 && link.centre != j &&
                  link.distance <= record.distServico;
  }
  return links;
}

int64_t centrePairsWithin(double reach) {
  if (record.sparse) {
    DistinctCentres centres = centresOfCentro();
    return record.source == DistanceSource::kPoints
               ? centrePairsOfPlaces(pointTable, centres, reach)
               : centrePairsOfNetwork(centres, reach);
  }
  // In a completed edge list UNREACHABLE and beyond mean no path: two
  // centres in parts of the network that no path joins do not overlap,
  // however large S is.
  bool paths = record.source == DistanceSource::kNetwork;
  int64_t pairs = 0;
  int p = record.facilidades;
  for (int i = 0; i + 1 < p; ++i)
    for (int j = i + 1; j < p; ++j) {
      float d = record.cost[record.centro[i]][record.centro[j]];
      if (d <= reach && (!paths || d < UNREACHABLE))
        ++pairs;
    }
  return pairs;
}

float smallestDistance() {
  int n = record.vertices;
  if (record.sparse)
    return record.source == DistanceSource::kPoints
               ? smallestPlaceDistance(pointTable)
               : smallestNetworkDistance();
  float smallest = std::numeric_limits<float>::infinity();
  for (int i = 0; i < n; ++i) {
    const float* row = record.cost[i];
    for (int j = 0; j < n; ++j)
      if (j != i && row[j] < smallest)
        smallest = row[j];
  }
  return smallest;
}

int64_t verticesNearAtPositiveDistance(int64_t enough) {
  int n = record.vertices;
  float s = record.distServico;
  int64_t count = 0;
  for (int i = 0; i < n && count <= enough; ++i) {
    if (record.sparse) {
      const NearPairs& near = record.near;
      for (int64_t k = near.start[static_cast<std::size_t>(i)];
           k < near.start[static_cast<std::size_t>(i) + 1]; ++k)
        if (near.distance[static_cast<std::size_t>(k)] > 0.0f) {
          ++count;
          break;
        }
      continue;
    }
    const float* row = record.cost[i];
    for (int j = 0; j < n; ++j)
      if (j != i && row[j] > 0.0f && row[j] <= s) {
        ++count;
        break;
      }
  }
  return count;
}

std::vector<float> nearestPositiveDistances() {
  int n = record.vertices;
  std::vector<float> nearest;
  if (record.sparse && record.source == DistanceSource::kPoints) {
    nearest = nearestPositivePlaceDistances(pointTable);
  } else {
    nearest.assign(static_cast<std::size_t>(n),
                   std::numeric_limits<float>::infinity());
    for (int i = 0; i < n && !record.sparse; ++i) {
      const float* row = record.cost[i];
      float& own = nearest[static_cast<std::size_t>(i)];
      for (int j = 0; j < n; ++j)
        if (j != i && row[j] > 0.0f && row[j] < own)
          own = row[j];
    }
  }
  // A table's places are never UNREACHABLE apart, but a network's pairs
  // without a path are: those are no neighbours.
  if (record.source != DistanceSource::kPoints)
    for (float& d : nearest)
      if (d >= UNREACHABLE)
        d = std::numeric_limits<float>::infinity();
  return nearest;
}
