// Fuzzes the read-back of "solucaoR.txt" by the coverage evaluation. The
// first bytes build the record it needs, as the earlier stages would leave
// it: n (1 to 24), p (0 to n), whether the demands are large enough for the
// served total to pass 32 bits, then the p centres. The rest is the file.

#include <cstdint>
#include <cstdlib>

#include "common/fatal.h"
#include "fuzz/fuzz_input.h"
#include "instance/instance_reader.h"
#include "report/coverage.h"

namespace {

// The record for these header bytes; `data` holds at least 3 + p of them.
void buildRecord(const uint8_t* data, int n, int p) {
  bool large = data[2] & 1;
  record.vertices = n;
  record.facilidades = p;
  record.distServico = 4.0f;
  allocateCost(n);
  for (int i = 0; i < n; ++i) {
    for (int j = 0; j < n; ++j)
      record.cost[i][j] = 1.5f * std::abs(i - j);
  }
  record.pop = static_cast<int32_t*>(allocateZeroed(n, sizeof(int32_t)));
  int64_t total = 0;
  for (int i = 0; i < n; ++i) {
    record.pop[i] = large ? INT32_MAX / 4 : 20 + i;
    total += record.pop[i];
  }
  record.popTotal = static_cast<int32_t>(total > INT32_MAX ? INT32_MAX : total);
  record.centro = static_cast<int32_t*>(allocateZeroed(p, sizeof(int32_t)));
  for (int i = 0; i < p; ++i)
    record.centro[i] = data[3 + i] % n;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size < 3)
    return 0;
  int n = 1 + data[0] % 24;
  int p = data[1] % (n + 1);
  size_t used = 3 + static_cast<size_t>(p);
  if (size < used)
    return 0;
  resetRecord();
  buildRecord(data, n, p);
  DataReader in(asText(data + used, size - used), "solucaoR.txt");
  try {
    evaluateCoverageFrom(in);
    // Each vertex is counted once, so no more can be served than exists.
    int64_t all = 0;
    for (int i = 0; i < record.vertices; ++i)
      all += record.pop[i];
    if (record.popAtend < 0 || record.popAtend > all)
      __builtin_trap();
  } catch (const FatalError&) {
  }
  resetRecord();
  return 0;
}
