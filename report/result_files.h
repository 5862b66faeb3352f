#pragma once

// Writes the result files the options name (--json, --csv, --svg,
// --geojson, --centres), each complete under a temporary name and then renamed
// into place; nothing without them. Reads the record after evaluateCoverage.
void writeResultFiles();
