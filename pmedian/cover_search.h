#pragma once

#include <cstdint>
#include <vector>

#include "pmedian/cover_model.h"
#include "pmedian/random_stream.h"
#include "pmedian/search_effort.h"

// The open centres of a covering solution and the bookkeeping that makes a
// swap cost time in proportion to the cover lists it touches: how many open
// centres cover each vertex, which one when it is a single one, and for every
// candidate the demand it would gain by opening and lose by closing.
struct CoverState {
  std::vector<int> centres;       // open centres, in opening order
  std::vector<int> position;      // index in centres, -1 when closed
  std::vector<int> count;         // open centres covering j
  std::vector<std::int64_t> sum;  // sum of the open centres covering j
  std::vector<int> alone;         // the one open centre covering j, or -1
  std::vector<double> gain;       // uncovered demand that i covers
  std::vector<double> loss;       // demand covered by i alone
  std::vector<double> single;     // demand that i covers and one open
                                  // centre covers
  // What the swap search last found in the list of each candidate, kept
  // while none of its vertices changes centres: the open centres that hold
  // some of them alone, in the order first met, and the demand each holds
  // of them; heldCount[i] is 255 when unknown or too many to keep.
  mutable std::vector<std::uint8_t> heldCount;
  mutable std::vector<int> heldCentre;
  mutable std::vector<double> heldDemand;
  mutable bool anyHeld = false;  // some candidate keeps its centres
  double covered = 0;            // demand covered
};

// One exchange: open `in`, close `out`; `delta` is the change of coverage.
struct CoverSwap {
  int in = -1;
  int out = -1;
  double delta = 0;
};

// Moves a tabu search may not make: a candidate whose `until` lies beyond
// `now` may not change side (closed stays closed, open stays open), unless
// the move lifts coverage above `aspiration`.
// Equal moves are chosen among at random when `random` is given, so that
// the walk does not circle among the lowest indices on a plateau.
struct CoverTabu {
  std::vector<std::int64_t> until;
  std::int64_t now = 0;
  double aspiration = 0;
  RandomStream* random = nullptr;
};

// Resets `state` to no open centre.
void startCoverState(const CoverModel& model, CoverState& state);

// Opens the closed candidate `a`, updating every count, gain and loss.
void openCover(const CoverModel& model, CoverState& state, int a);

// Closes the open centre `r`, updating every count, gain and loss.
void closeCover(const CoverModel& model, CoverState& state, int r);

// Opens the p centres one at a time, each the candidate of largest gain
// (lowest index among equals), from an empty state.
void greedyCover(const CoverModel& model, CoverState& state,
                 SearchEffort& effort);

// Opens the allowed centres `from` (an answer for fewer centres) with the
// fixed ones, then as greedyCover until p are open: the answer for fewer
// centres with the sites that add most to it.
void growCover(const CoverModel& model, CoverState& state,
               const std::vector<int>& from, SearchEffort& effort);

// The swap of largest coverage gain (delta may be 0 or negative when no swap
// improves), among the moves `tabu` allows when given; in = -1 when there is
// no such move.
CoverSwap bestCoverSwap(const CoverModel& model, const CoverState& state,
                        SearchEffort& effort, const CoverTabu* tabu = nullptr);

// Moves `state` to the open set `centres`, opening and closing only the
// difference.
void restoreCover(const CoverModel& model, CoverState& state,
                  const std::vector<int>& centres);

// Applies improving swaps, the best each time, until none improves or the
// run's deadline has passed.
void improveCover(const CoverModel& model, CoverState& state,
                  SearchEffort& effort);

// Searches from `state`: a tabu walk restarted from the shaken best solution
// when it stalls, then a variable neighbourhood search, each with half the
// budget; ends when the budget is spent, `staleRounds` restarts or rounds
// pass without improvement, or the coverage reaches `target`; leaves the
// best solution in `state`.
void searchCover(const CoverModel& model, CoverState& state, std::uint64_t seed,
                 double target, std::int64_t staleRounds, SearchEffort& effort);

// Recombination from `state`: a pool of good, distinct solutions (the given
// one and others from randomised greedy starts, each polished by a short
// tabu walk), then children of two members drawn at random: the union of
// their centres cut back to p by closing the least useful, then polished,
// and kept in place of the pool's worst when better. Ends like searchCover,
// a round being a child; leaves the best solution in `state`.
void recombineCover(const CoverModel& model, CoverState& state,
                    std::uint64_t seed, double target, std::int64_t staleRounds,
                    SearchEffort& effort);
