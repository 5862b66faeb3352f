#include "report/assignment.h"

#include "instance/centre_sets.h"
#include "instance/instance_record.h"
#include "solver/solution_reader.h"

std::vector<VertexResult> assignVertices() {
  int n = record.vertices;
  std::vector<VertexResult> result(static_cast<std::size_t>(n));
  for (int k = 0; k < record.facilidades; ++k) {
    VertexResult& centre = result[record.centro[k]];
    centre.isCentre = true;
    centre.existing = isExistingCentre(record.centro[k]);
  }
  for (int j = 0; j < n; ++j) {
    VertexResult& v = result[j];
    float best;
    int nearest = nearestCentre(j, best);
    // The same test that writes a line of "solucaoR.txt"; a centre is
    // served even when that test fails (S below its own distance to itself).
    bool listed = nearest >= 0 && nearest != j && best <= record.distServico;
    v.centre = listed || !v.isCentre ? nearest : j;
    v.covered = listed || v.isCentre;
    if (v.centre >= 0)
      v.distance = record.cost[v.centre][j];
  }
  return result;
}

std::vector<int32_t> distinctCentres() {
  std::vector<char> seen(static_cast<std::size_t>(record.vertices), 0);
  std::vector<int32_t> centres;
  for (int k = 0; k < record.facilidades; ++k) {
    int32_t c = record.centro[k];
    if (!seen[c]) {
      seen[c] = 1;
      centres.push_back(c);
    }
  }
  return centres;
}
