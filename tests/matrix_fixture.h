#pragma once

// Edge lists put into the record, and copies of its matrix, for the tests and
// the benchmark of the shortest-path completion.

#include <cstring>
#include <vector>

#include "instance/instance_reader.h"
#include "instance/instance_record.h"

struct Edge {
  int a;
  int b;
  float length;
};

// A fresh record with cost for n vertices and the edges set as the edge-list
// reader sets them: both directions, the last record for a pair winning.
inline void setUpRecord(int n, const std::vector<Edge>& edges) {
  releaseInstance();
  record = InstanceRecord{};
  record.vertices = n;
  allocateCost(n);
  for (const Edge& e : edges) {
    record.cost[e.a][e.b] = e.length;
    record.cost[e.b][e.a] = e.length;
  }
}

// A matrix owned by the caller, for the plain loop to run on beside the
// record.
struct Matrix {
  std::vector<std::vector<float>> rows;
  std::vector<float*> pointers;
};

inline Matrix copyOfRecord() {
  Matrix m;
  int n = record.vertices;
  for (int j = 0; j < n; ++j)
    m.rows.emplace_back(record.cost[j], record.cost[j] + n);
  for (auto& row : m.rows)
    m.pointers.push_back(row.data());
  return m;
}

// Index of the first row whose bytes differ from the record's, or -1.
inline int firstDifferentRow(const Matrix& m) {
  int n = record.vertices;
  for (int j = 0; j < n; ++j)
    if (std::memcmp(m.rows[j].data(), record.cost[j], n * sizeof(float)) != 0)
      return j;
  return -1;
}
