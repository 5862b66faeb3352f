#pragma once

#include <vector>

#include "pmedian/cover_model.h"
#include "pmedian/pmed_data.h"

// A lower bound on the p-median cost: relaxes "every vertex is served once"
// with one multiplier a vertex and improves the multipliers by subgradient
// steps toward `upper`, the cost of a known solution. Stops early once the
// bound is within `tolerance` of `upper`.
double medianLowerBound(const PmedProblem& problem, double upper,
                        double tolerance, int iterations);

// An upper bound on the demand p centres can cover: relaxes "j counts only
// when a chosen centre covers it" with one multiplier a vertex, stepped
// toward `lower`, the coverage of a known solution. Stops early once the
// bound is within `tolerance` of `lower`. When `multipliers` is given, it
// receives those of the best bound found.
double coverUpperBound(const CoverModel& model, double lower, double tolerance,
                       int iterations,
                       std::vector<double>* multipliers = nullptr);
