#pragma once

// The searches of a sparse run over a table of places, by a k-d tree
// (point_index.h); every distance is placeDistance, as the matrix holds it.

#include <cstdint>
#include <vector>

#include "instance/distances.h"
#include "instance/point_table.h"

// Fills record.near with the pairs of places within S of each other, on
// every core, and marks the record sparse.
void fillNearPairsOfPlaces(const PointTable& table);

// The nearest of the distinct `centres` (in centro order, the first
// winning ties) for every place: centre and distance of each link.
void linkPlacesToCentres(const PointTable& table,
                         const DistinctCentres& centres,
                         std::vector<CentreLink>& links);

// Pairs of positions in centro whose distinct centres lie apart at most
// `reach` (each counted once per pair of positions).
int64_t centrePairsOfPlaces(const PointTable& table,
                            const DistinctCentres& centres, double reach);

// The smallest distance between two distinct places; infinite with fewer
// than two.
float smallestPlaceDistance(const PointTable& table);

// For every place, the distance to its nearest other place at a positive
// distance; infinite when every other place lies at distance 0.
std::vector<float> nearestPositivePlaceDistances(const PointTable& table);
