#include "solver/curve_reader.h"

#include <algorithm>
#include <cmath>
#include <string>

#include "common/curve_file.h"
#include "common/fatal.h"
#include "common/files.h"
#include "common/run_files.h"
#include "common/run_options.h"
#include "instance/distances.h"
#include "instance/instance_record.h"
#include "solver/solution_reader.h"
#include "solver/solver_run.h"

std::vector<CurveAnswer> curveAnswers;

// Borrows record.centro for the count.
int64_t servedBy(std::vector<int32_t>& centres) {
  int32_t* held = record.centro;
  int32_t p = record.facilidades;
  record.centro = centres.data();
  record.facilidades = static_cast<int32_t>(centres.size());
  checkCentreSets();
  std::vector<CentreLink> links = linkToCentres();
  std::vector<char> centre(static_cast<std::size_t>(record.vertices), 0);
  for (int32_t c : centres)
    centre[static_cast<std::size_t>(c)] = 1;
  int64_t served = 0;
  for (int j = 0; j < record.vertices; ++j)
    if (links[static_cast<std::size_t>(j)].listed ||
        centre[static_cast<std::size_t>(j)])
      served += record.pop[j];
  record.centro = held;
  record.facilidades = p;
  return served;
}

std::vector<CurveAnswer> solveCurve(const std::vector<int32_t>& list,
                                    int64_t leftAtMost) {
  std::vector<std::string> held = solverArguments;
  if (leftAtMost >= 0) {
    solverArguments.push_back(kGoalOption);
    solverArguments.push_back(std::to_string(leftAtMost));
  }
  std::string text;
  for (int32_t p : list) {
    if (!text.empty())
      text += ',';
    text += std::to_string(p);
  }
  solverArguments.push_back(kCurveOption);
  solverArguments.push_back(text);
  runSolver();
  solverArguments = held;
  std::FILE* file = openForReading(runPath(kCurveFile));
  if (!file)
    fatalExit("\n>>> Arquivo de dados %s nao pode ser aberto", kCurveFile);
  DataReader in(file, kCurveFile);
  std::vector<CurvePoint> points;
  readCurve(in, record.vertices, std::vector<int>(list.begin(), list.end()),
            points);
  closeReading(file);
  std::vector<CurveAnswer> answers;
  for (const CurvePoint& point : points) {
    CurveAnswer answer;
    answer.p = point.p;
    answer.centres.assign(point.centres.begin(), point.centres.end());
    answer.covered = servedBy(answer.centres);
    // The solver's bound is on the demand left unserved; demands are whole,
    // so the coverage is at most its whole part.
    double upper = std::floor(record.popTotal - point.bound + 1e-6);
    answer.upper = std::isfinite(upper)
                       ? std::max(upper, static_cast<double>(answer.covered))
                       : static_cast<double>(record.popTotal);
    answer.seconds = point.seconds;
    answer.proven = point.proven;
    answers.push_back(std::move(answer));
  }
  return answers;
}

void tightenCurve(std::vector<CurveAnswer>& curve) {
  std::sort(
      curve.begin(), curve.end(),
      [](const CurveAnswer& a, const CurveAnswer& b) { return a.p < b.p; });
  for (std::size_t k = curve.size(); k-- > 1;)
    curve[k - 1].upper = std::max(std::min(curve[k - 1].upper, curve[k].upper),
                                  static_cast<double>(curve[k - 1].covered));
  for (CurveAnswer& answer : curve) {
    answer.proven =
        answer.proven || answer.upper <= static_cast<double>(answer.covered);
    if (answer.proven)
      answer.upper = static_cast<double>(answer.covered);
  }
}

void solveForFacilities() {
  curveAnswers.clear();
  if (runOptions.facilityList.empty()) {
    runSolver();
    return;
  }
  curveAnswers = solveCurve(runOptions.facilityList);
  tightenCurve(curveAnswers);
}

double curveGap(const CurveAnswer& answer) {
  return answer.upper > 0
             ? 100.0 * (answer.upper - static_cast<double>(answer.covered)) /
                   answer.upper
             : 0.0;
}
