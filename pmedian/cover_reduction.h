#pragma once

#include <vector>

#include "pmedian/cover_model.h"

// Reductions of a covering model that keep its optimum.

// Empties the cover lists of the forbidden candidates: a forbidden site is
// no candidate, and vertices only it covers read alike to the other
// reductions.
void dropForbiddenSites(CoverModel& model);

// Merges the demand vertices that the same candidates cover into the first
// of them, which carries their summed demand; the others get demand 0 and
// leave the lists. Every set of centres covers the same demand as before.
// Returns the number of vertices merged away.
int mergeIdenticalDemands(CoverModel& model);

// What a solution of undominated candidates (see dominatingCandidates)
// covering at least `lower` + `margin` must do with each of them, by the
// Lagrangean bound at multipliers `mu` (one a vertex, any non-negative
// values): -1 when opening it bounds the coverage below that (it stays
// closed), +1 when closing it does (it is open), 0 otherwise and for the
// dominated; the site rules stand as given (+1 fixed, -1 forbidden).
// `margin` is the least improvement that counts: 1 for whole demands.
std::vector<int> fixByReducedCosts(const CoverModel& model,
                                   const std::vector<double>& mu, double lower,
                                   double margin);
