#pragma once

// Gives every vertex a demand in pop and sums them into popTotal. Mode A
// reads "demanda.txt": n integers, one per vertex, in vertex order, e.g.
//
//   25 21
//   30 40
//
// anything after the n-th ignored. Other modes draw them: uniform 20 … 30
// when n < 150, otherwise normal (80, 15) truncated toward zero, seeded from
// the clock in whole seconds.

#include "common/token_reader.h"
#include "instance/instance_record.h"

void loadDemand(InputMode mode);

// Allocates pop and fills it from the tokens of a demand file; used by
// loadDemand, tests and fuzz targets.
void readDemandFrom(DataReader& in);

// Allocates pop and draws it after seeding the generator with `seed`.
void drawDemand(uint32_t seed);
