#pragma once

// --target-coverage PCT: the fewest centres whose coverage reaches PCT % of
// the whole demand, searched for with the solver's answers and bounds.
//
// p must hold the existing centres, and is at most every site allowed. A
// p whose answer reaches the target shows that p, and every larger p,
// suffices; a p whose bound lies below it shows that p, and every smaller p,
// does not. The search halves the p not yet decided either way, and ends
// when the fewest is proven, or when every p between the largest that does
// not suffice and the smallest that does is one the solver could not decide
// within its cap: the fewest lies in that interval. A stop asked for by
// Ctrl-C ends the search with the interval proven so far.

#include <cstdint>

struct TargetOutcome {
  int64_t demand = 0;  // the demand to reach
  int32_t least = 0;   // the fewest lies between least and most
  int32_t most = 0;    // the p of the answer reported
};

extern TargetOutcome targetOutcome;

// Runs the solver as often as the search needs, once per p tried, each
// asked only whether p reaches the target, then once more for the p found,
// solved in full; leaves curveAnswers with every p tried, "solucao.txt" with
// the answer of the p reported and record.facilidades at that p. A target that
// even every site allowed cannot reach ends the process with a message that
// gives the coverage reachable at all.
void searchFewestCentres();

// The result line: the fewest p, "minimo" when proven, or the interval.
void printTargetOutcome();
