#include "pmedian/exact_cover.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <string>
#include <utility>

#include "CbcEventHandler.hpp"
#include "CbcModel.hpp"
#include "CbcSolver.hpp"
#include "ClpEventHandler.hpp"
#include "ClpSolve.hpp"
#include "CoinPackedMatrix.hpp"
#include "OsiClpSolverInterface.hpp"
#include "pmedian/interrupt.h"
#include "pmedian/tolerances.h"

namespace {

// Stops branch and cut at its next node once `flag` (if any) is raised or
// a stop of the whole run is asked for.
class StopWhenRaised : public CbcEventHandler {
 public:
  explicit StopWhenRaised(const std::atomic<bool>* flag) : flag_(flag) {}
  CbcEventHandler* clone() const override { return new StopWhenRaised(*this); }
  CbcAction event(CbcEvent event) override {
    bool atNode = event == node || event == treeStatus;
    bool raised =
        (flag_ && flag_->load(std::memory_order_relaxed)) || stopWanted();
    return atNode && raised ? stop : noAction;
  }

 private:
  const std::atomic<bool>* flag_;
};

// Stops the simplex at its next iteration once a stop of the run is asked
// for; it then ends unsolved, and its bound is not used.
class StopSimplexWhenAsked : public ClpEventHandler {
 public:
  ClpEventHandler* clone() const override {
    return new StopSimplexWhenAsked(*this);
  }
  int event(Event event) override {
    return event == endOfIteration && stopWanted() ? 0 : -1;
  }
};

// What the model does with candidate i: +1 forces it open, -1 leaves it
// out, 0 lets branch and cut choose. The site rules hold first; `fixed`
// (empty, or one entry a candidate) adds the reductions' fixes.
int fixedAs(const CoverModel& model, const std::vector<int>& fixed, int i) {
  int rule = siteRule(model, i);
  return rule != 0 || fixed.empty() ? rule : fixed[i];
}

// Column names carry the start solution to branch and cut.
std::string columnName(char prefix, int k) {
  char text[16];
  std::snprintf(text, sizeof text, "%c%d", prefix, k);
  return text;
}

// Loads max sum w_j y_j, y_j <= sum of x_i over the `candidates` covering
// j, sum x_i <= p into `solver`: the x of the candidates in their order
// (integer, named x<i>; those `fixed` at +1 forced to 1), then one y for each
// vertex with demand (named y<j>), one row each in the order of the
// vertices, then the row of p. A forbidden site gets no column (at an upper
// bound of 0 it would carry nothing) and a fixed one a lower bound of 1.
// The rows y_j - sum of x_i over the candidates covering j, one for each
// vertex with a y column, then the row sum x_i, of the columns numbered by
// `xColumn` and `yColumn` (-1 where none) out of `columns`.
CoinPackedMatrix coverMatrix(const CoverModel& model,
                             const std::vector<int>& xColumn,
                             const std::vector<int>& yColumn, int count,
                             int columns) {
  int n = model.n;
  // Room for every row and element first: appending to a full matrix copies
  // it whole, which made the build quadratic (minutes at 10,000 vertices).
  int rowCount = 1;
  CoinBigIndex elements = count;
  for (int j = 0; j < n; ++j) {
    if (yColumn[j] < 0)
      continue;
    ++rowCount;
    ++elements;
    for (int m = model.byStart[j]; m < model.byStart[j + 1]; ++m)
      elements += xColumn[model.byList[m]] >= 0;
  }
  CoinPackedMatrix matrix(false, 0, 0);
  matrix.setDimensions(0, columns);
  matrix.reserve(rowCount, elements);
  std::vector<int> index;
  std::vector<double> value;
  for (int j = 0; j < n; ++j) {
    if (yColumn[j] < 0)
      continue;
    index.assign(1, yColumn[j]);
    value.assign(1, 1.0);
    for (int m = model.byStart[j]; m < model.byStart[j + 1]; ++m) {
      int i = model.byList[m];
      if (xColumn[i] < 0)
        continue;
      index.push_back(xColumn[i]);
      value.push_back(-1.0);
    }
    matrix.appendRow(static_cast<int>(index.size()), index.data(),
                     value.data());
  }
  index.resize(count);
  value.assign(count, 1.0);
  for (int c = 0; c < count; ++c)
    index[c] = c;
  matrix.appendRow(count, index.data(), value.data());
  return matrix;
}

void loadCoverModel(const CoverModel& model, const std::vector<int>& candidates,
                    const std::vector<int>& fixed,
                    OsiClpSolverInterface& solver) {
  int n = model.n;
  int count = static_cast<int>(candidates.size());
  std::vector<int> xColumn(n, -1);
  for (int c = 0; c < count; ++c)
    xColumn[candidates[c]] = c;
  std::vector<int> yColumn(n, -1);
  int columns = count;
  for (int j = 0; j < n; ++j)
    if (model.weight[j] > 0)
      yColumn[j] = columns++;
  CoinPackedMatrix matrix =
      coverMatrix(model, xColumn, yColumn, count, columns);
  int rows = matrix.getNumRows();
  std::vector<double> lower(columns, 0.0), upper(columns, 1.0);
  for (int c = 0; c < count; ++c)
    if (fixedAs(model, fixed, candidates[c]) > 0)
      lower[c] = 1.0;
  std::vector<double> objective(columns, 0.0);
  for (int j = 0; j < n; ++j)
    if (yColumn[j] >= 0)
      objective[yColumn[j]] = -model.weight[j];
  std::vector<double> rowLower(rows, -COIN_DBL_MAX), rowUpper(rows, 0.0);
  rowUpper[rows - 1] = model.p;

  solver.messageHandler()->setLogLevel(0);
  // The first relaxation by dual simplex: the automatic choice may pick the
  // "idiot" crash on large models, whose crossover fails on some of ours.
  ClpSolve first;
  first.setSolveType(ClpSolve::useDual);
  first.setPresolveType(ClpSolve::presolveOn);
  solver.setSolveOptions(first);
  solver.loadProblem(matrix, lower.data(), upper.data(), objective.data(),
                     rowLower.data(), rowUpper.data());
  for (int c = 0; c < count; ++c) {
    solver.setInteger(c);
    solver.setColName(c, columnName('x', candidates[c]));
  }
  for (int j = 0; j < n; ++j)
    if (yColumn[j] >= 0)
      solver.setColName(yColumn[j], columnName('y', j));
}

// The candidates that no other one dominates: with at most p of them open
// (coverage only grows with more) the optimum is the same. Leaves out the
// forbidden ones and those `fixed` at -1.
std::vector<int> modelCandidates(const CoverModel& model,
                                 const std::vector<int>& dominator,
                                 const std::vector<int>& fixed) {
  std::vector<int> candidates;
  for (int i = 0; i < model.n; ++i)
    if (dominator[i] < 0 && fixedAs(model, fixed, i) >= 0)
      candidates.push_back(i);
  return candidates;
}

// The search's solution seeds branch and cut, so that only a better one is
// worth its nodes; a dominated centre is replaced by its dominator. A start
// that the reductions left out of the model is not given (no better
// solution is lost: only the start itself). An explicit cutoff instead of
// it left the bound of branch and cut far behind in our runs.
void giveStart(const CoverModel& model, const std::vector<int>& candidates,
               const std::vector<int>& dominator, const std::vector<int>& fixed,
               const std::vector<int>& start, CbcModel& cbc) {
  int n = model.n;
  std::vector<std::pair<std::string, double>> mipStart;
  std::vector<char> open(n, 0);
  std::vector<char> inModel(n, 0);
  for (int i : candidates)
    inModel[i] = 1;
  bool startFits = true;
  for (int c : start) {
    int d = dominator[c] >= 0 ? dominator[c] : c;
    open[d] = 1;
    startFits = startFits && inModel[d];
  }
  for (int i : candidates) {
    startFits = startFits && (open[i] || fixedAs(model, fixed, i) <= 0);
    mipStart.push_back({columnName('x', i), open[i] ? 1.0 : 0.0});
  }
  if (startFits)
    cbc.setMIPStart(mipStart);
}

// Runs branch and cut on `cbc` for at most `seconds` of wall time.
void runBranchAndCut(const CoverModel& model, double seconds, int threadCount,
                     CbcModel& cbc) {
  CbcMain0(cbc);
  cbc.setLogLevel(0);
  std::string limit = std::to_string(seconds);
  std::string increment =
      std::to_string(model.integral ? kWholeIncrement : kFractionalIncrement);
  // Past 100, the threads search in a repeatable order.
  std::string threads = std::to_string(threadCount > 1 ? 100 + threadCount : 0);
  // The cap is wall-clock time, as the user reads it, not processor time.
  // No cuts, no heuristics and no preprocessing: the start is the search's
  // answer, and on our models CBC's general cuts (dense Gomory rows) and
  // its preprocessing made each node slower and the tree larger. Without
  // them pmed36 (p 40, 3 % within S) is proven in about 6 s instead of
  // more than 60, pmed40 (p 10, 10 %) in 13 to 18 s instead of more than 40.
  const char* argv[] = {"corvadel",
                        "-log",
                        "0",
                        "-timeMode",
                        "elapsed",
                        "-sec",
                        limit.c_str(),
                        "-threads",
                        threads.c_str(),
                        "-increment",
                        increment.c_str(),
                        "-cutsOnOff",
                        "off",
                        "-heuristicsOnOff",
                        "off",
                        "-preprocess",
                        "off",
                        "-solve",
                        "-quit"};
  CbcMain1(static_cast<int>(sizeof argv / sizeof argv[0]), argv, cbc);
}

// Fewer than p columns may be open in an answer: any other vertices fill the
// rest.
std::vector<int> fillToP(const CoverModel& model,
                         const std::vector<int>& candidates,
                         const double* solution) {
  int n = model.n;
  int count = static_cast<int>(candidates.size());
  std::vector<int> centres;
  std::vector<char> taken(n, 0);
  for (int c = 0; c < count && static_cast<int>(centres.size()) < model.p; ++c)
    if (solution[c] > 0.5) {
      centres.push_back(candidates[c]);
      taken[candidates[c]] = 1;
    }
  for (int i = 0; i < n && static_cast<int>(centres.size()) < model.p; ++i)
    if (!taken[i] && siteRule(model, i) >= 0)
      centres.push_back(i);
  return centres;
}

// What branch and cut on `cbc` leaves, against `result` holding the start
// and the bound known before it.
ExactResult readBranchAndCut(const CoverModel& model,
                             const std::vector<int>& candidates,
                             ExactResult result, CbcModel& cbc) {
  double tolerance = coverTolerance(model);
  if (const double* best = cbc.bestSolution()) {
    std::vector<int> centres = fillToP(model, candidates, best);
    double exact = model.totalWeight - uncoveredDemand(model, centres);
    if (exact > result.covered + tolerance) {
      result.centres = centres;
      result.covered = exact;
    }
  }
  result.bound = branchAndCutBound(
      {cbc.status() == 0, cbc.isProvenOptimal() || cbc.isProvenInfeasible(),
       -cbc.getBestPossibleObjValue()},
      model.integral, tolerance, result.covered, result.bound);
  result.proven = result.bound <= result.covered + tolerance;
  return result;
}

}  // namespace

double branchAndCutBound(const BranchAndCutEnd& end, bool whole,
                         double tolerance, double covered, double known) {
  double proven = end.bestPossible;
  // Optimal, or nothing better than the start exists: the best known is
  // optimal. Only a search that ran to its end says so.
  if (end.finished && end.proven)
    proven = covered;
  // A search stopped by its cap before its tree held a node reports its
  // incumbent as the best possible (seen on pmed36 stopped at 1 s): a
  // stopped search's bound counts only above the answer.
  else if (!end.finished && !(proven > covered + tolerance))
    return known;
  if (!std::isfinite(proven))
    return known;
  return std::min(known, settleUpperBound(whole, std::max(proven, covered)));
}

double coverLpBound(const CoverModel& model, double seconds,
                    std::vector<double>& multipliers) {
  multipliers.clear();
  std::vector<int> candidates =
      modelCandidates(model, dominatingCandidates(model), {});
  OsiClpSolverInterface solver;
  loadCoverModel(model, candidates, {}, solver);
  solver.getModelPtr()->setMaximumWallSeconds(std::max(seconds, 0.0));
  StopSimplexWhenAsked stopper;
  solver.getModelPtr()->passInEventHandler(&stopper);
  solver.initialSolve();
  if (!solver.isProvenOptimal())
    return model.totalWeight;
  // Row prices of the minimisation are at most 0 on its <= rows; their
  // negatives are the multipliers of the coverage rows.
  const double* price = solver.getRowPrice();
  multipliers.assign(model.n, 0.0);
  int row = 0;
  for (int j = 0; j < model.n; ++j)
    if (model.weight[j] > 0)
      multipliers[j] = std::max(0.0, -price[row++]);
  return -solver.getObjValue();
}

ExactResult solveCoverExactly(const CoverModel& model,
                              const std::vector<int>& start, double covered,
                              double bound, const ExactLimits& limits,
                              const std::vector<int>& fixed) {
  // Only candidates that no other one dominates get a column, nor those
  // that no better solution opens.
  std::vector<int> dominator = dominatingCandidates(model);
  std::vector<int> candidates = modelCandidates(model, dominator, fixed);
  OsiClpSolverInterface solver;
  loadCoverModel(model, candidates, fixed, solver);
  // The first relaxation of a large model can outlast the cap by minutes;
  // the simplex stops at the cap too.
  double seconds = std::max(limits.seconds, 0.0);
  solver.getModelPtr()->setMaximumWallSeconds(seconds);
  CbcModel cbc(solver);
  cbc.setLogLevel(0);
  cbc.messageHandler()->setLogLevel(0);
  giveStart(model, candidates, dominator, fixed, start, cbc);
  StopWhenRaised handler(limits.stop);
  cbc.passInEventHandler(&handler);
  runBranchAndCut(model, seconds, limits.threads, cbc);
  return readBranchAndCut(model, candidates, {start, covered, bound, false},
                          cbc);
}
