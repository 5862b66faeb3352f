#pragma once

#include <vector>

#include "common/pmed_file.h"
#include "pmedian/cover_model.h"
#include "pmedian/search_effort.h"

// A lower bound on the p-median cost: relaxes "every vertex is served once"
// with one multiplier a vertex and improves the multipliers by subgradient
// steps toward `upper`, the cost of a known solution. Rounded up to a whole
// number when every cost is `whole`; stops early once it meets `upper`.
double medianLowerBound(const PmedProblem& problem, double upper, bool whole,
                        int iterations);

// An upper bound on the demand p centres can cover: relaxes "j counts only
// when a chosen centre covers it" with one multiplier a vertex, improved by
// the volume algorithm (steps along the violation of an average of the
// relaxed solutions, aimed just below the bound and never below `lower`,
// the coverage of a known solution), which nears the linear relaxation's
// value. Rounded down to a whole number for whole demands; stops early once
// it meets `lower`, or once the run's deadline has passed when `effort` is
// given (every step's bound is valid, so the bound found so far stands).
// When `multipliers` is given, it receives those of the bound.
double coverUpperBound(const CoverModel& model, double lower, int iterations,
                       std::vector<double>* multipliers = nullptr,
                       const SearchEffort* effort = nullptr);
