#include "report/assignment.h"

#include "instance/centre_sets.h"
#include "instance/distances.h"
#include "instance/instance_record.h"

std::vector<VertexResult> assignVertices() {
  int n = record.vertices;
  std::vector<VertexResult> result(static_cast<std::size_t>(n));
  for (int k = 0; k < record.facilidades; ++k) {
    VertexResult& centre = result[record.centro[k]];
    centre.isCentre = true;
    centre.existing = isExistingCentre(record.centro[k]);
  }
  std::vector<CentreLink> links = linkToCentres();
  for (int j = 0; j < n; ++j) {
    VertexResult& v = result[j];
    const CentreLink& link = links[static_cast<std::size_t>(j)];
    // A centre is served even when it is not listed (S below its own
    // distance to itself), by itself.
    v.centre = link.listed || !v.isCentre ? link.centre : j;
    v.covered = link.listed || v.isCentre;
    if (v.centre >= 0)
      v.distance = v.centre == link.centre ? link.distance : selfDistance(j);
  }
  return result;
}

std::vector<int32_t> distinctCentres() { return centresOfCentro().vertex; }
