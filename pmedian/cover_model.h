#pragma once

#include <vector>

#include "common/cover_file.h"
#include "common/pmed_file.h"
#include "pmedian/tolerances.h"

// A problem whose every column holds 0 and at most one positive value w_j is
// a maximal covering problem: centre i covers j where the cost is 0, and the
// p-median objective is the demand w_j of the vertices left uncovered. Only
// vertices with positive demand appear in the lists.
struct CoverModel {
  int n = 0;
  int p = 0;
  std::vector<double> weight;   // w_j; 0 when every candidate covers j
  std::vector<int> coverStart;  // cover list of i: coverList[coverStart[i]..]
  std::vector<int> coverList;   // the weighted vertices i covers, i included
  std::vector<int> byStart;     // covering list of j: byList[byStart[j]..]
  std::vector<int> byList;      // the candidates that cover j
  double totalWeight = 0;       // sum of w_j
  bool integral = false;        // every w_j is a whole number
  std::vector<int> site;  // +1 fixed open, -1 forbidden, 0 free; empty: free
};

// The rule of candidate i: +1 fixed open, -1 forbidden, 0 free.
inline int siteRule(const CoverModel& model, int i) {
  return model.site.empty() ? 0 : model.site[i];
}

// How many candidates are fixed open, and how many may be open at all.
int fixedCount(const CoverModel& model);
int allowedCount(const CoverModel& model);

// Fills `model` and returns true when `problem` has the covering structure;
// false, leaving `model` unspecified, when some column has two positive
// values. The site rules are the problem's.
bool buildCoverModel(const PmedProblem& problem, CoverModel& model);

// Fills `model` from cover lists, with the site rules `site` (empty: all
// free). The model is the one buildCoverModel makes of the same problem
// written as "pmeddata.dat": each demand as single precision holds it, none
// for a vertex that every candidate covers, the lists in the same order.
void buildCoverModel(const CoverLists& lists, const std::vector<int>& site,
                     CoverModel& model);

// For each free candidate whose cover list lies inside another allowed
// candidate's (of two equal lists, the higher index), a candidate that
// covers all it does and is itself not dominated; -1 for the others, fixed
// and forbidden ones included. Some optimal solution uses no dominated
// candidate, so the exact phase may leave them out.
std::vector<int> dominatingCandidates(const CoverModel& model);

// The uncovered demand of `centres`, recomputed from the lists.
double uncoveredDemand(const CoverModel& model,
                       const std::vector<int>& centres);

// The smallest change of coverage taken as one.
inline double coverTolerance(const CoverModel& model) {
  return valueTolerance(model.integral, model.totalWeight);
}
