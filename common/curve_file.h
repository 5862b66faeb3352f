#pragma once

// "curva.txt", the solver program's answers for a list of p (named by
// "-P LIST", LIST as "10,20,50", increasing), written beside "solucao.txt",
// which then holds the answer for the last p. A count, then one block per p
// in the order of the list: p, the objective, the lower bound proven, the
// seconds spent on that p and 1 when the answer is proven optimal (else 0);
// then its p centres, 0-based, increasing; then the end marker:
//
//   2
//   1 2431.00000 2431.00000 0.02 1
//   17
//   2 1200.00000 1100.00000 0.40 0
//   4 17
//   9999999
//
// The objectives never increase down the list and the bounds never decrease
// up it: an answer for p, with one more site open, is an answer for a
// larger p, and a bound for a larger p bounds every smaller p.

#include <vector>

#include "common/run_files.h"
#include "common/token_reader.h"

// The solver program's option that names the list of p.
inline constexpr const char* kCurveOption = "-P";

// The solver program's option "-G OBJECTIVE": a covering solve ends once its
// answer leaves at most OBJECTIVE of the demand uncovered, or its bound
// shows that no answer can; the tool's search for the fewest centres needs
// no more of each p it tries.
inline constexpr const char* kGoalOption = "-G";

struct CurvePoint {
  int p = 0;
  double objective = 0;
  double bound = 0;
  double seconds = 0;
  bool proven = false;
  std::vector<int> centres;
};

// Parses LIST, "10,20,50": whole numbers >= 0, strictly increasing, at
// least one; false for anything else.
bool parseCurveList(const char* text, std::vector<int>& list);

// Writes `points` to "<path>.tmp" and renames it to `path`.
void writeCurve(const char* path, const std::vector<CurvePoint>& points);

// Reads a curve of a graph of `n` vertices for the list `list`: its count
// and each block's p must be the list's, every centre within 0 … n-1, the end
// marker last. Anything else ends the process with a message naming the file
// and the line.
void readCurve(DataReader& in, int n, const std::vector<int>& list,
               std::vector<CurvePoint>& out);
