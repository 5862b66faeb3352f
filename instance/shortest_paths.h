#pragma once

// Completes cost (n × n, in the record) into shortest-path distances:
// Floyd–Warshall passes with i as the intermediate vertex, repeated until a
// pass lowers no entry. UNREACHABLE acts as infinity.
void closeShortestPaths(int n);

// The plain triple loop on any matrix; the reference for the result of
// closeShortestPaths, bit for bit.
void closeShortestPathsPlain(float** cost, int n);
