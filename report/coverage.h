#pragma once

// Measures the solution from "solucaoR.txt": skips its first line (the
// centres), then reads "centre vertex distance" lines up to 9999999. Sets
// popAtend (the demand of every listed vertex and every centre, each vertex
// counted once) and custoTotal (the single-precision sum of the distances
// of the lines' pairs; the printed distance is not used).

#include "common/token_reader.h"

void evaluateCoverage();

// The same from tokens already opened; used by evaluateCoverage, tests and
// fuzz targets.
void evaluateCoverageFrom(DataReader& in);
