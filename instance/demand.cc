#include "instance/demand.h"

#include <cstdint>
#include <ctime>
#include <string>

#include "common/fatal.h"
#include "common/files.h"
#include "common/run_files.h"
#include "common/run_options.h"
#include "common/warning.h"
#include "instance/point_table.h"
#include "instance/random_source.h"

DemandSource demandSource;

namespace {

// Allocates pop on first use; the demand of every vertex starts at 0.
void allocatePop() {
  if (record.pop)
    return;
  int n = record.vertices;
  record.pop = static_cast<int32_t*>(allocateZeroed(n, sizeof(int32_t)));
  if (!record.pop)
    fatalExit("\n>>> Memoria insuficiente para pop[%d]", n);
  record.popTotal = 0;
}

// Demands from a file can sum past the 32-bit total; the sum is taken in 64
// bits and refused when it does not fit.
void setPopTotal(int64_t total) {
  if (total < INT32_MIN || total > INT32_MAX)
    fatalExit("\n>>> Populacao total fora do limite de 32 bits");
  record.popTotal = static_cast<int32_t>(total);
}

// A table of points without a demand column gets random demands, which a
// planner rarely means: the warning names what was looked for, and the
// seed that repeats the draw.
void warnDrawnForTable() {
  if (!runOptions.points)
    return;
  if (pointTable.header)
    warn(
        "Arquivo de dados (%s) sem coluna de demanda no cabecalho (demand, "
        "population, weight, pop, inhabitants, count, pop_*, *_pop; ou "
        "--demand-column NOME): demandas aleatorias, semente %u",
        runOptions.instanceFile.c_str(), demandSource.seed);
  else
    warn(
        "Arquivo de dados (%s) sem coluna de demanda (a terceira): demandas "
        "aleatorias, semente %u",
        runOptions.instanceFile.c_str(), demandSource.seed);
}

}  // namespace

void readDemandFrom(DataReader& in) {
  allocatePop();
  int64_t total = 0;
  for (int i = 0; i < record.vertices; ++i) {
    record.pop[i] = in.readInt();
    // A negative demand would be a negative cost for the solver.
    if (record.pop[i] < 0)
      fatalExit("\n>>> Arquivo de dados %s com valor negativo na linha %d",
                in.label().c_str(), in.line());
    total += record.pop[i];
  }
  setPopTotal(total);
  if (in.moreTokens())
    warn(
        "Arquivo de dados %s com mais de %d valores, um por vertice; os "
        "demais sao ignorados",
        in.label().c_str(), record.vertices);
}

void drawDemand(uint32_t seed) {
  allocatePop();
  seedRandom(seed);
  int n = record.vertices;
  int64_t total = 0;
  for (int i = 0; i < n; ++i) {
    // The threshold tests n, not i: every vertex follows the same rule.
    record.pop[i] = n < 150 ? uniformInt(20, 30)
                            : static_cast<int32_t>(normalDeviate(80.0, 15.0));
    total += record.pop[i];
  }
  setPopTotal(total);
}

void readDemandFile(const char* fileName) {
  allocatePop();
  std::string label = std::string("[") + fileName + "]";
  std::FILE* file = openForReading(fileName);
  if (!file)
    fatalExit("\n>>> Arquivo de dados %s nao pode ser aberto", label.c_str());
  refuseRunOutput(file, label.c_str());
  DataReader in(file, label);
  readDemandFrom(in);
  closeReading(file);
}

void takeTableDemand(const std::vector<int32_t>& demand) {
  allocatePop();
  int64_t total = 0;
  for (int i = 0; i < record.vertices; ++i) {
    record.pop[i] = demand[static_cast<std::size_t>(i)];
    total += record.pop[i];
  }
  setPopTotal(total);
}

void loadDemand(InputMode mode) {
  allocatePop();
  // The first source that applies: a file named for it, "demanda.txt" as
  // the mode says, the demand column of a table of points, the generator.
  if (!runOptions.demandFile.empty() || mode == InputMode::A) {
    demandSource.drawn = false;
    demandSource.fileName =
        runOptions.demandFile.empty() ? kDemandFile : runOptions.demandFile;
    readDemandFile(demandSource.fileName.c_str());
  } else if (runOptions.points && !pointTable.demandColumn.empty()) {
    demandSource.drawn = false;
    demandSource.fileName = runOptions.instanceFile;
    demandSource.column = pointTable.demandColumn;
    takeTableDemand(pointTable.demand);
  } else {
    demandSource.drawn = true;
    demandSource.seed = runOptions.seedGiven
                            ? runOptions.seed
                            : static_cast<uint32_t>(std::time(nullptr));
    drawDemand(demandSource.seed);
    warnDrawnForTable();
  }
}
