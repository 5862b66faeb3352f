#pragma once

// Completes cost (n × n, in the record) into shortest-path distances:
// Floyd–Warshall passes with i as the intermediate vertex, repeated until a
// pass lowers no entry. UNREACHABLE acts as infinity.
void closeShortestPaths(int n);

// The plain triple loop on any matrix; the reference for the result of
// closeShortestPaths, bit for bit.
void closeShortestPathsPlain(float** cost, int n);

// How closeShortestPathsTuned runs: worker threads (0 picks from the machine
// and the size), whether vector instructions wider than the x86-64 baseline
// may be used when the processor has them, and intermediates per sweep over
// the matrix (0 picks, at most 64).
struct CompletionSettings {
  int threads = 0;
  bool wideVectors = true;
  int block = 0;
};

// The completion behind closeShortestPaths on any matrix, with explicit
// settings (tests and benchmarks); every setting gives the plain result.
void closeShortestPathsTuned(float** cost, int n, CompletionSettings settings);
