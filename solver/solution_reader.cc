#include "solver/solution_reader.h"

#include <algorithm>
#include <cstdint>
#include <vector>

#include "common/end_mark.h"
#include "common/fatal.h"
#include "common/files.h"
#include "common/run_files.h"
#include "common/solution_file.h"
#include "instance/centre_sets.h"
#include "instance/distances.h"
#include "instance/instance_record.h"
#include "solver/solver_run.h"

SolverFigures solverFigures;

int readSolutionFrom(DataReader& in) {
  int p = record.facilidades;
  record.centro = static_cast<int32_t*>(allocateZeroed(p, sizeof(int32_t)));
  if (!record.centro)
    fatalExit("\n>>> Memoria insuficiente para centro[%d]", p);
  SolutionRead answer;
  readSolution(in, p, record.vertices, answer);
  solverFigures = SolverFigures{};
  if (answer.leading.size() == 3) {
    solverFigures.hasFigures = true;
    solverFigures.objective = answer.leading[0];
    solverFigures.bound = answer.leading[1];
    solverFigures.seconds = answer.leading[2];
  }
  solverFigures.tag = answer.tag;
  std::copy(answer.centres.begin(), answer.centres.end(), record.centro);
  return answer.tag;
}

void checkCentreSets() {
  int p = record.facilidades;
  std::vector<int32_t> chosen(record.centro, record.centro + p);
  std::sort(chosen.begin(), chosen.end());
  for (int32_t v : centreSets.existing)
    if (!std::binary_search(chosen.begin(), chosen.end(), v))
      fatalExit("\n>>> Programa %s fechou o centro existente %d",
                kSolverCommand, v + 1);
  if (!centreSets.candidatesGiven)
    return;
  for (int32_t c : chosen)
    if (!isExistingCentre(c) &&
        !std::binary_search(centreSets.candidates.begin(),
                            centreSets.candidates.end(), c))
      fatalExit("\n>>> Programa %s abriu o vertice %d, que nao e candidato",
                kSolverCommand, c + 1);
}

void reassignToCentres() {
  std::FILE* file = openForReading(runPath(kSolutionFile));
  if (!file)
    fatalExit("\n>>> Arquivo de dados solucao.txt nao pode ser aberto");
  OutFile out(runPath(kReassignmentFile),
              "\n>>> Arquivo de dados solucaoR.txt nao pode ser aberto");
  DataReader in(file, "solucao.txt");
  int tag = readSolutionFrom(in);
  checkCentreSets();
  int p = record.facilidades;
  for (int i = 0; i < p; ++i)
    out.print("%5d", record.centro[i]);
  std::vector<CentreLink> links = linkToCentres();
  for (int j = 0; j < record.vertices; ++j) {
    const CentreLink& link = links[static_cast<std::size_t>(j)];
    if (link.listed)
      out.print("\n%7d%7d%11.2f", link.centre, j,
                static_cast<double>(link.distance));
  }
  out.print("\n%d", END_MARK);
  out.print("\n%d\n", tag);
  closeReading(file);
  out.close();
}
