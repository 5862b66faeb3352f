#include "instance/work_threads.h"

#include <algorithm>
#include <atomic>
#include <thread>
#include <vector>

int workThreads(int64_t items, int64_t threadedFrom) {
  if (items < threadedFrom)
    return 1;
  return static_cast<int>(
      std::clamp(std::thread::hardware_concurrency(), 1u, 8u));
}

void shareOut(int64_t count, int64_t chunk, int threads,
              const std::function<void(int, int64_t, int64_t)>& work) {
  std::atomic<int64_t> next{0};
  auto run = [&](int thread) {
    for (;;) {
      int64_t begin = next.fetch_add(chunk, std::memory_order_relaxed);
      if (begin >= count)
        return;
      work(thread, begin, std::min(count, begin + chunk));
    }
  };
  std::vector<std::thread> helpers;
  for (int t = 1; t < threads; ++t)
    helpers.emplace_back(run, t);
  run(0);
  for (std::thread& helper : helpers)
    helper.join();
}
