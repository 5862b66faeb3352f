// Fuzzes the reader of tables of points. The first byte's lowest bit is
// --geographic; the rest of the input is the table. A table that is accepted
// must hold what its readers rely on: finite places, within range when
// geographic, one demand >= 0 per place when it has a demand column and none
// without, and great-circle distances between 0 and half the globe.

#include <cmath>

#include "common/fatal.h"
#include "fuzz/fuzz_input.h"
#include "instance/point_table.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size < 1)
    return 0;
  PointTable table;
  try {
    parsePointTable(asText(data + 1, size - 1), "(t.csv)", (data[0] & 1) != 0,
                    table);
  } catch (const FatalError&) {
    return 0;
  }
  std::size_t demands = table.demandColumn.empty() ? 0 : table.points.size();
  if (table.demand.size() != demands)
    __builtin_trap();
  for (int32_t demand : table.demand)
    if (demand < 0)
      __builtin_trap();
  const double halfGlobe = 3.14159265358979323846 * kEarthRadius * (1 + 1e-12);
  for (std::size_t i = 0; i < table.points.size(); ++i) {
    const Point& p = table.points[i];
    if (!std::isfinite(p.x) || !std::isfinite(p.y))
      __builtin_trap();
    if (!table.geographic)
      continue;
    if (std::fabs(p.x) > 180 || std::fabs(p.y) > 90)
      __builtin_trap();
    if (i > 0) {
      double d = greatCircleMetres(table.points[i - 1], p);
      if (!(d >= 0 && d <= halfGlobe))
        __builtin_trap();
    }
  }
  return 0;
}
