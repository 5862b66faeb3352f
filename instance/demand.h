#pragma once

// Gives every vertex a demand in pop and sums them into popTotal. A demand
// file (--demand FILE, else "demanda.txt" in mode A) holds n integers, one
// per vertex, in vertex order, e.g.
//
//   25 21
//   30 40
//
// anything after the n-th ignored. Otherwise a table of points gives them
// from its demand column, when it has one. Otherwise they are drawn: uniform 20
// … 30 when n < 150, otherwise normal (80, 15) truncated toward zero, seeded by
// --seed or from the clock in whole seconds.

#include <cstdint>
#include <string>
#include <vector>

#include "common/token_reader.h"
#include "instance/instance_record.h"

// Where the demands of the run came from, for the result files.
struct DemandSource {
  bool drawn = false;    // random; otherwise read from fileName
  uint32_t seed = 0;     // the seed the random demands were drawn from
  std::string fileName;  // the demand file read, or the table of points
  std::string column;    // the table's demand column; empty for a file
};

extern DemandSource demandSource;

// Fills pop, popTotal and demandSource from runOptions and the mode.
void loadDemand(InputMode mode);

// Allocates pop and fills it from the named demand file; its messages name
// the file as "[NAME]".
void readDemandFile(const char* fileName);

// Allocates pop and fills it from the tokens of a demand file; used by
// loadDemand, tests and fuzz targets.
void readDemandFrom(DataReader& in);

// Allocates pop and draws it after seeding the generator with `seed`.
void drawDemand(uint32_t seed);

// Allocates pop and takes it from a table's demand column (n values >= 0).
void takeTableDemand(const std::vector<int32_t>& demand);
