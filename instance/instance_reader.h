#pragma once

// Reads the instance file. Two layouts, both whitespace-separated tokens:
//
//   edge list (mode B)        matrix (modes G and A)
//     4 3 1 10.0                3 1 10.0
//     1 2 5                     5 20
//     2 3 7                     12
//     3 4 2.5
//
// The edge list holds n, m, p, S and m records "a b d" with vertices 1 … n;
// its matrix is completed into shortest paths. The matrix layout holds n, p,
// S and the upper triangle row by row, mirrored and not completed.

#include <cstdint>
#include <string>
#include <vector>

#include "common/token_reader.h"
#include "instance/instance_record.h"

// One record "a b d" of an edge list, vertices 0-based.
struct EdgeRecord {
  int32_t a;
  int32_t b;
  float d = 0.0f;
};

// The edge records of the last edge list read, in file order, for the
// picture and the network of a sparse run; empty for the matrix layout.
extern std::vector<EdgeRecord> edgeRecords;

// Opens the named file and reads it into the record: vertices, facilidades,
// distServico, cost and, for an edge list, arestas; with --points, reads it
// as a table of points. Warns when no two vertices lie within S.
void readInstance(const char* fileName, InputMode mode);

// The same from tokens already opened; used by readInstance, tests and fuzz
// targets.
void readInstanceFrom(DataReader& in, InputMode mode);

// Allocates cost for n vertices: zero diagonal, UNREACHABLE elsewhere.
void allocateCost(int n);

// Allocates cost for n vertices, zero-filled, once it is clear it fits in
// memory; a matrix that does not fit ends the process.
void allocateCostRows(int n);

// Puts p and S from the command line (--facilities, --service-distance), where
// given, in place of the instance's, then checks them: p at most n, S below
// UNREACHABLE. `label` names the instance in messages.
void applyRunParameters(const std::string& label);
