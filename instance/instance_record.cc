#include "instance/instance_record.h"

#include <cstdlib>

InstanceRecord record;

void* allocateZeroed(std::size_t count, std::size_t size) {
  return std::calloc(count == 0 ? 1 : count, size);
}

void releaseInstance() {
  if (record.cost) {
    for (int32_t i = 0; i < record.vertices; ++i)
      std::free(record.cost[i]);
    std::free(record.cost);
    record.cost = nullptr;
  }
  std::free(record.pop);
  record.pop = nullptr;
  std::free(record.centro);
  record.centro = nullptr;
  record.near = NearPairs{};
}
