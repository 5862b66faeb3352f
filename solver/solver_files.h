#pragma once

// Writes the solver's two input files from the record.
//
// "pmeddata.dat": "n  p", then for every candidate centre i (outer loop) and
// demand vertex j != i (inner loop) the cost of serving j from i: 0 when
// cost[i][j] <= S, the demand pop[j] otherwise. For n = 3, p = 1:
//
//   3  1
//       0.00000
//      30.00000
//   ...
//
// "pmedmtrx.dat": "n p S" ("%7.2f"), then the upper triangle of cost row by
// row, one "%11.5f" value per line.
//
// With --sparse, "pmedcob.dat" (common/cover_file.h) in place of both,
// named to the solver by "-K pmedcob.dat".
//
// With --open and --candidates, also "abertos.txt" and "candidatos.txt": the
// count, then the vertices (0-based) one a line, named to the solver by
// "-F abertos.txt" and "-C candidatos.txt" after its other arguments.
void writeSolverFiles();
