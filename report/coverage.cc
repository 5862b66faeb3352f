#include "report/coverage.h"

#include <cstdint>
#include <vector>

#include "common/end_mark.h"
#include "common/fatal.h"
#include "common/files.h"
#include "common/run_files.h"
#include "instance/distances.h"
#include "instance/instance_record.h"

namespace {

int readIndex(DataReader& in, int value) {
  if (value < 0 || value >= record.vertices)
    fatalExit(
        "\n>>> Arquivo de dados %s com vertice fora de 0 a %d na linha %d",
        in.label().c_str(), record.vertices - 1, in.line());
  return value;
}

}  // namespace

void evaluateCoverageFrom(DataReader& in) {
  // A vertex served is counted once, even when it is a centre that also has
  // an assignment line (a tie at distance 0) or is listed twice as a centre;
  // otherwise more population could be served than exists.
  std::vector<char> served(static_cast<std::size_t>(record.vertices), 0);
  int64_t popAtend = 0;
  auto serve = [&](int v) {
    if (!served[v]) {
      served[v] = 1;
      popAtend += record.pop[v];
    }
  };
  record.custoTotal = 0.0f;
  in.skipLine();
  for (int c = in.readInt(); c != END_MARK; c = in.readInt()) {
    readIndex(in, c);
    int v = readIndex(in, in.readInt());
    in.readAnyFloat();
    serve(v);
    // Summed in single precision, from the distances and not the printed
    // text.
    record.custoTotal += pairDistance(c, v);
  }
  for (int i = 0; i < record.facilidades; ++i)
    serve(record.centro[i]);
  if (popAtend < INT32_MIN || popAtend > INT32_MAX)
    fatalExit("\n>>> Populacao atendida fora do limite de 32 bits");
  record.popAtend = static_cast<int32_t>(popAtend);
}

void evaluateCoverage() {
  std::FILE* file = openForReading(runPath(kReassignmentFile));
  if (!file)
    fatalExit("\n>>> Arquivo de dados solucaoR.txt nao pode ser aberto");
  DataReader in(file, "solucaoR.txt");
  evaluateCoverageFrom(in);
  closeReading(file);
}
