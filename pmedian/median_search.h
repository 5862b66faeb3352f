#pragma once

#include <cstdint>
#include <vector>

#include "common/pmed_file.h"
#include "pmedian/search_effort.h"

// The open centres of a p-median solution with, for every vertex, its
// nearest and second-nearest open centre: what the fast interchange needs to
// price a swap in one pass over the vertices.
struct MedianState {
  std::vector<int> centres;   // open centres
  std::vector<int> position;  // index in centres, -1 when closed
  std::vector<int> near1;     // nearest open centre of j
  std::vector<int> near2;     // second nearest; -1 when p = 1
  std::vector<double> dist1;  // cost of serving j from near1
  std::vector<double> dist2;  // from near2
  std::vector<double> loss;   // extra cost of closing r: j go to near2
  double cost = 0;            // the p-median objective
};

// One exchange: open `in`, close `out`; `delta` is the decrease of cost.
struct MedianSwap {
  int in = -1;
  int out = -1;
  double delta = 0;
};

// Makes `centres` the open set and recomputes every field.
void setMedianCentres(const PmedProblem& problem, MedianState& state,
                      const std::vector<int>& centres);

// The cost of `centres`, recomputed from the matrix.
double medianCost(const PmedProblem& problem, const std::vector<int>& centres);

// The p centres chosen greedily: the fixed ones and the allowed ones of
// `from` (an answer for fewer centres; or, without any, the best single
// centre), then each the allowed one of largest decrease of cost (lowest
// index among equals); gains are re-priced lazily, as they only shrink.
std::vector<int> greedyMedian(const PmedProblem& problem, SearchEffort& effort,
                              const std::vector<int>& from = {});

// The best single allowed centre, exactly: the row of least sum.
int bestSingleCentre(const PmedProblem& problem);

// The swap of largest cost decrease (possibly 0 or negative) that opens an
// allowed site and closes a centre not fixed; needs p >= 2; in = -1 when
// there is no such swap.
MedianSwap bestMedianSwap(const PmedProblem& problem, const MedianState& state,
                          SearchEffort& effort);

// Opens `in` and closes `out`, updating the nearest centres.
void swapMedian(const PmedProblem& problem, MedianState& state, int in,
                int out);

// Applies improving swaps, the best each time, until none improves.
void improveMedian(const PmedProblem& problem, MedianState& state,
                   SearchEffort& effort);

// Variable neighbourhood search from `state`, within the site rules, until the
// budget is spent, a `staleRounds` pass without improvement, or the cost
// reaches `target`; leaves the best solution in `state`.
void searchMedian(const PmedProblem& problem, MedianState& state,
                  std::uint64_t seed, double target, std::int64_t staleRounds,
                  SearchEffort& effort);

// The smallest improvement taken as one, against rounding of the sums.
double medianTolerance(const PmedProblem& problem, const MedianState& state);
