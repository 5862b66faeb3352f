#pragma once

// The result as an RFC 7946 GeoJSON FeatureCollection, one Point feature per
// vertex in vertex order, with the fields of the CSV as properties (null
// where the CSV leaves a cell empty; "existing" with --open), one feature a
// line:
//
//   {"type":"FeatureCollection","features":[
//   {"type":"Feature","geometry":{"type":"Point","coordinates":[-8.61,41.15]},
//    "properties":{"id":1,"demand":237591,"centre":1,"distance":0,
//    "covered":1,"is_centre":1}},
//   ...
//   ]}
//
// Geographic places are written as longitude, latitude; planar ones as they
// were given.

#include <string>

// The whole document, from the record, the coordinates and the assignment.
std::string resultGeojson();

// Writes resultGeojson() to `path`, under a temporary name until complete.
void writeResultGeojson(const std::string& path);
