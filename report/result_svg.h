#pragma once

// The solution drawn on the plane of the coordinates: a legend band on top
// (n, p, S, coverage, the solver's gap; S in km or m for geographic places),
// then, from the bottom layer up, the edges of an edge list in faint grey,
// each centre's service area (the places within S of it) as a translucent
// disc in its colour, a thin line from each covered vertex
// to its centre, every vertex as a dot (coloured by its centre when covered,
// grey when not) and each centre as a larger square outlined in black with
// id "centre-<id>" (ids from 1), with a tooltip naming its place where a
// table of points has a name or an id column. The longest side of the drawing
// is 1000 units, y grows upward, coordinates carry one decimal and styles are
// shared through classes, so 5,000 vertices take well under a megabyte.
// Geographic places are drawn north up in an equirectangular projection scaled
// by the cosine of the middle latitude. Groups of places far from the rest
// (islands off a coast) are drawn apart, in insets under the main area, so
// that they do not shrink it to a corner. The picture is never narrower than
// its legend. With more centres than colours, neighbouring centres get colours
// that differ plainly:
//
//   <svg xmlns="http://www.w3.org/2000/svg" width="1040" height="1080" ...>
//   <style>.u{fill:#a0a0a0} .k0{fill:#e6194b;stroke:#e6194b} ...</style>
//   <g class="k0"><path class="l" d="M512.0 300.5L498.2 310.0"/>
//   <circle cx="498.2" cy="310.0" r="4"/></g> ...

#include <string>
#include <vector>

#include "instance/coordinates.h"

// The whole picture, from the record, coordinates, edgeRecords and the
// solver's answer.
std::string resultSvg();

// Writes resultSvg() to `path`, under a temporary name until complete.
void writeResultSvg(const std::string& path);

// S as the legends show it: in kilometres (or metres below 1 km) for
// geographic places, whose distances are metres; as the distances are
// otherwise, in their own unit ("%.2f").
std::string serviceDistanceText();

// The k-th colour of the palette, "#rrggbb".
const char* centreColour(int k);

// The palette index of each centre of distinctCentres(), drawn at `places`
// (as drawn, one per vertex): the k-th colour for the k-th centre while
// there are colours enough; otherwise the colour whose nearest centre in a
// look-alike colour lies farthest.
std::vector<int> centreColours(const std::vector<Point>& places);

// The CIE 1976 difference between two "#rrggbb" colours.
double colourDifference(const char* a, const char* b);

// The fill colour of an uncovered vertex.
constexpr const char* kUncoveredColour = "#a0a0a0";
