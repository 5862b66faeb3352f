#include "instance/shortest_paths.h"

#include "instance/instance_record.h"

void closeShortestPathsPlain(float** cost, int n) {
  bool changed;
  do {
    changed = false;
    for (int i = 0; i < n; ++i) {
      for (int j = 0; j < n; ++j) {
        for (int k = 0; k < n; ++k) {
          // The candidate is formed in double precision; stored, it is
          // rounded back to single precision. A candidate below the stored
          // value can round back to that very value (non-integral lengths,
          // sums beyond 2^24), so a change counts only when the stored
          // value actually decreases; otherwise the passes would never end.
          double candidate =
              static_cast<double>(cost[j][i]) + static_cast<double>(cost[i][k]);
          if (candidate < cost[j][k]) {
            float stored = static_cast<float>(candidate);
            if (stored < cost[j][k]) changed = true;
            cost[j][k] = stored;
          }
        }
      }
    }
  } while (changed);
}

void closeShortestPaths(int n) { closeShortestPathsPlain(record.cost, n); }
