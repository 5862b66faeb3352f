#pragma once

// "pmeddata.dat", the p-median problem the tool hands to the solver, as the
// tool writes it and the solver reads it: n and p, then the n(n-1) costs of
// serving demand vertex j from candidate centre i, one a line ("%11.5f"), i
// in the outer loop and j in the inner one, the diagonal (j = i, cost 0)
// left out. For n = 3, p = 1:
//
//   3  1
//       5.00000        cost of serving 1 from 0
//       0.00000        2 from 0
//       7.00000        0 from 1
//   ...

#include <cstddef>
#include <cstdint>
#include <vector>

#include "common/token_reader.h"
#include "common/vertex_sets.h"

// The problem as read: cost[i * n + j] serves j from i; the diagonal is 0.
// `site` holds the rule of each vertex as a centre: +1 fixed open, -1
// forbidden, 0 free; empty when every vertex is free.
struct PmedProblem {
  int n = 0;
  int p = 0;
  std::vector<float> cost;
  std::vector<int> site;
};

// The rule of vertex i as a centre: +1 fixed open, -1 forbidden, 0 free.
inline int siteRule(const PmedProblem& problem, int i) {
  return problem.site.empty() ? 0 : problem.site[i];
}

// Writes the covering problem of n vertices, p centres and service distance
// S as a p-median problem to `path`: serving j from i costs nothing when
// distance[i][j] <= S and demand[j] otherwise. Every write is checked.
void writePmedData(const char* path, int n, int p, const float* const* distance,
                   const int32_t* demand, float s);

// Largest n whose n x n cost matrix fits in the memory of this machine.
int maxVertices();

// Reads n, p and every cost into `out`; ends the process with a message
// naming the file on a bad header, a bad or negative cost, an early end, or
// an n whose matrix cannot be held.
void readPmedData(DataReader& in, PmedProblem& out);

// Opens `path` and reads it with readPmedData.
void loadPmedData(const char* path, PmedProblem& out);

// Fills `problem.site` from the sets given, fixed open and candidates: a
// vertex neither fixed nor a candidate is forbidden when candidates are
// given. Leaves it empty when `sets` holds neither.
void setSiteRules(const VertexSets& sets, PmedProblem& problem);

// Reads the fixed centres from `fixedPath` and the candidates from
// `candidatesPath` (each nullptr when not given), checks them against the
// problem's p, and sets the problem's site rules; a bad file or sets that
// leave no solution end the process with a message.
void loadSiteRules(const char* fixedPath, const char* candidatesPath,
                   PmedProblem& problem);

// The same for a problem solved for each number of centres of `counts` in
// place of its p: the sets are checked against every one of them.
void loadSiteRules(const char* fixedPath, const char* candidatesPath,
                   const std::vector<int>& counts, PmedProblem& problem);
