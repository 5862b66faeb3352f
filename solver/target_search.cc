#include "solver/target_search.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <set>
#include <string>
#include <vector>

#include "common/fatal.h"
#include "common/files.h"
#include "common/run_files.h"
#include "common/run_guard.h"
#include "common/run_options.h"
#include "common/solution_file.h"
#include "instance/centre_sets.h"
#include "instance/instance_record.h"
#include "solver/curve_reader.h"

TargetOutcome targetOutcome;

namespace {

// Every site a centre may stand at: the existing centres and the
// candidates, or every vertex.
std::vector<int32_t> allowedSites() {
  std::vector<int32_t> sites;
  if (!centreSets.candidatesGiven) {
    for (int32_t v = 0; v < record.vertices; ++v)
      sites.push_back(v);
    return sites;
  }
  sites = centreSets.existing;
  for (int32_t v : centreSets.candidates)
    if (!isExistingCentre(v))
      sites.push_back(v);
  std::sort(sites.begin(), sites.end());
  return sites;
}

double percentOf(double demand) {
  return record.popTotal > 0 ? 100.0 * demand / record.popTotal : 0.0;
}

std::string readWhole(const char* path) {
  std::FILE* file = openForReading(path);
  if (!file)
    fatalExit("\n>>> Arquivo de dados solucao.txt nao pode ser aberto");
  std::string bytes;
  char buffer[65536];
  for (std::size_t got; (got = std::fread(buffer, 1, sizeof buffer, file)) > 0;)
    bytes.append(buffer, got);
  closeReading(file);
  return bytes;
}

// Every allowed site open, which covers `reachable`, as the answer for
// their number: a row of the table, and "solucao.txt" as the solver would
// write it (the demand left uncovered, proven, since no more sites exist).
void everySiteOpen(const std::vector<int32_t>& sites, int64_t reachable) {
  CurveAnswer answer;
  answer.p = static_cast<int32_t>(sites.size());
  answer.covered = reachable;
  answer.upper = static_cast<double>(reachable);
  answer.proven = true;
  answer.centres = sites;
  curveAnswers.push_back(answer);
  double uncovered = static_cast<double>(record.popTotal - reachable);
  writeSolution(runPath(kSolutionFile),
                {uncovered, uncovered, 0, 0,
                 std::vector<int>(sites.begin(), sites.end())});
}

// The p found, solved in full as a run for it alone is: the search asked of
// it only whether it reaches the target. The better of the two answers is
// kept, with the lower of their bounds, and `solution` holds it.
void solveInFull(int32_t p, std::string& solution) {
  auto row = std::find_if(curveAnswers.begin(), curveAnswers.end(),
                          [p](const CurveAnswer& a) { return a.p == p; });
  if (row == curveAnswers.end() || row->proven)
    return;
  CurveAnswer full = solveCurve({p}).front();
  double upper = std::min(row->upper, full.upper);
  if (full.covered >= row->covered) {
    *row = std::move(full);
    solution = readWhole(runPath(kSolutionFile));
  }
  row->upper = std::max(upper, static_cast<double>(row->covered));
}

}  // namespace

void searchFewestCentres() {
  double percent = runOptions.targetPercent;
  // Whole demands: the least that reaches percent % of the total.
  int64_t demand =
      static_cast<int64_t>(std::ceil(percent / 100.0 * record.popTotal - 1e-9));
  targetOutcome.demand = demand;
  std::vector<int32_t> sites = allowedSites();
  int64_t reachable = servedBy(sites);
  if (reachable < demand)
    fatalExit(
        "\n>>> Cobertura de %.2f%% inalcancavel: com todos os %zu locais "
        "permitidos abertos, a cobertura e %.2f%% (%lld de %d)",
        percent, sites.size(), percentOf(static_cast<double>(reachable)),
        static_cast<long long>(reachable), record.popTotal);
  int32_t lo = static_cast<int32_t>(centreSets.existing.size());
  int32_t hi = static_cast<int32_t>(sites.size());
  bool hiAnswered = false;
  std::string hiSolution;
  std::set<int32_t> undecided;
  curveAnswers.clear();
  // Each p tried needs only to reach the target or to be shown unable to.
  auto probe = [&](int32_t p) {
    CurveAnswer answer = solveCurve({p}, record.popTotal - demand).front();
    if (answer.covered >= demand) {
      hi = p;
      hiAnswered = true;
      hiSolution = readWhole(runPath(kSolutionFile));
    } else if (answer.upper < static_cast<double>(demand)) {
      lo = p + 1;
    } else {
      undecided.insert(p);
    }
    curveAnswers.push_back(std::move(answer));
  };
  // A stop asked for (Ctrl-C) ends the search with what it has proved.
  for (;;) {
    int32_t until = undecided.empty() ? hi : std::min(hi, *undecided.begin());
    if (lo >= until || stopRequested())
      break;
    probe(lo + (until - lo) / 2);
  }
  // The p found, solved in full. When none was found, every site open
  // reaches the target: that answer needs no solver.
  if (hiAnswered && !stopRequested())
    solveInFull(hi, hiSolution);
  if (!hiAnswered) {
    everySiteOpen(sites, reachable);
    hiSolution = readWhole(runPath(kSolutionFile));
  }
  targetOutcome.least = lo;
  targetOutcome.most = hi;
  record.facilidades = hi;
  tightenCurve(curveAnswers);
  OutFile out(runPath(kSolutionFile),
              "\n>>> Arquivo de dados solucao.txt nao pode ser criado");
  out.write(hiSolution);
  out.close();
}

void printTargetOutcome() {
  if (!runOptions.targetGiven)
    return;
  if (targetOutcome.least >= targetOutcome.most)
    std::printf("\nMenor p para %.2f%% da demanda (%lld): %d (minimo)\n",
                runOptions.targetPercent,
                static_cast<long long>(targetOutcome.demand),
                targetOutcome.most);
  else
    std::printf("\nMenor p para %.2f%% da demanda (%lld): entre %d e %d\n",
                runOptions.targetPercent,
                static_cast<long long>(targetOutcome.demand),
                targetOutcome.least, targetOutcome.most);
}
