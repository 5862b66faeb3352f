#pragma once

// Work shared out between the machine's cores, for the stages that search
// every vertex's neighbourhood on large instances.

#include <cstdint>
#include <functional>

// Threads for `items` items of work: 1 below `threadedFrom`, else the
// machine's cores (at most 8).
int workThreads(int64_t items, int64_t threadedFrom);

// Runs work(thread, begin, end) over [0, count) in chunks of at most `chunk`
// items, taken in turn from one counter by `threads` threads (thread 0 is
// the caller's), so that a core lent to another process delays only its
// own chunk.
void shareOut(int64_t count, int64_t chunk, int threads,
              const std::function<void(int, int64_t, int64_t)>& work);
