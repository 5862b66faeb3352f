#include "report/summary.h"

#include <cstdio>

#include "instance/distances.h"
#include "instance/instance_record.h"

int countOverlaps() {
  // 2 × S is formed in double precision from the single-precision S.
  return static_cast<int>(
      centrePairsWithin(2.0 * static_cast<double>(record.distServico)));
}

double coveragePercent() {
  // No population at all serves none of it: 0.00 rather than a division by 0.
  return record.popTotal == 0
             ? 0.0
             : static_cast<double>(record.popAtend) / record.popTotal * 100.0;
}

void printReport() {
  double percent = coveragePercent();
  std::printf("\nVertices          :%6d", record.vertices);
  std::printf("\nFacilidades       :%6d", record.facilidades);
  std::printf("\nDistancia Servico :%9.2f",
              static_cast<double>(record.distServico));
  std::printf("\nPopulacao Total   :%6d", record.popTotal);
  std::printf("\nPopulacao Atend.  :%6d", record.popAtend);
  std::printf("\nPerc. Atendimento :%9.2f", percent);
  std::printf("\nCusto Total       :%9.2f",
              static_cast<double>(record.custoTotal));
  std::printf("\nSobreposicoes     :%6d", countOverlaps());
  std::printf("\n");
}
