#pragma once

#include <string>

#include "pmedian/pmed_solve.h"

// The solver's one console line, after the run. It begins with a line end
// and ends without one: the tool's report that follows begins with its own.
//   covering:  "\nCorvadel: cobertura C limite U gap G% [otimo ]tempo T s"
//              C the demand covered, U the proven upper bound on it, G the
//              share of U not covered, "otimo" when C is proven optimal;
//   p-median:  "\nCorvadel: objetivo F limite L gap G% tempo T s"
//              F the cost, L the proven lower bound, G the share of F above
//              L.
std::string summaryLine(const SolveOutcome& outcome, double seconds);

// The same for one p of a list: "p N " after "Corvadel: ".
std::string pointSummaryLine(int p, const SolveOutcome& outcome,
                             double seconds);

// What -v adds: " [leitura R achado F prova P rodadas N cobertura|mediana]",
// the read time, the times of the final solution and of the proof (-1 when
// not proven), counted from the program's start, and the rounds run.
std::string summaryDetails(const SolveOutcome& outcome, double readSeconds);
