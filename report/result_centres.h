#pragma once

// A short text summary of the chosen centres (--centres FILE), one line per
// centre in the solver's order, under a header line:
//
//   vertice  id       nome    longitude  latitude  so_este  ao_todo
//       206  2267057  Lisboa  -9.13333   38.71667   412003   630101
//
// The tool's own vertex number (from 1); the place's own id and name where
// the table of points has those columns ("-" otherwise); its coordinates
// where there are any (x and y for planar ones, and no columns without
// them); the demand within S of this centre and of no other one (so_este),
// and the demand within S of it in all (ao_todo), a centre covering
// itself. Columns are separated by two blanks and padded to their widest
// entry; text columns are left-aligned, numbers right-aligned.

#include <string>

// The whole summary, from the record after evaluateCoverage.
std::string centresSummary();

// Writes centresSummary() to `path`, under a temporary name until complete.
void writeCentresSummary(const std::string& path);
