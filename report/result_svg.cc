#include "report/result_svg.h"

#include <algorithm>
#include <cmath>
#include <cstdarg>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <vector>

#include "common/files.h"
#include "instance/centre_sets.h"
#include "instance/coordinates.h"
#include "instance/instance_reader.h"
#include "instance/instance_record.h"
#include "instance/point_table.h"
#include "report/assignment.h"
#include "report/summary.h"
#include "solver/solution_reader.h"

namespace {

// Twelve colours that stay apart from each other, from grey and from white.
constexpr const char* kPalette[] = {"#e6194b", "#3cb44b", "#4363d8", "#f58231",
                                    "#911eb4", "#42d4f4", "#f032e6", "#8fbf1f",
                                    "#469990", "#9a6324", "#800000", "#000075"};
constexpr int kColours = sizeof kPalette / sizeof kPalette[0];
// Colours closer than this (CIE 1976 difference) are told apart only side by
// side: red and maroon, green and lime, blue and navy, purple and magenta.
constexpr double kLookAlike = 40.0;

constexpr double kSide = 1000.0;     // the longest side of the plot
constexpr double kPad = 20.0;        // blank border around the plot
constexpr double kLegend = 36.0;     // height of the legend band
constexpr double kMinWidth = 760.0;  // room for the legend's text
// Width of one character of the legend (15 px sans-serif) at most: digits
// take 9.54 px in DejaVu Sans, the widest of the common fonts; most letters
// less.
constexpr double kLegendCharWidth = 10.0;

void append(std::string& out, const char* format, ...)
    __attribute__((format(printf, 2, 3)));

void append(std::string& out, const char* format, ...) {
  char text[512];
  va_list args;
  va_start(args, format);
  int length = std::vsnprintf(text, sizeof text, format, args);
  va_end(args);
  if (length > 0)
    out.append(text, std::min<std::size_t>(static_cast<std::size_t>(length),
                                           sizeof text - 1));
}

// Straight segments gathered into paths of at most kSegments each: one path
// per segment would bloat the file, and renderers stroke one long path with
// many crossings very slowly (minutes for 15,000 edges).
constexpr int kSegments = 50;

class SegmentPaths {
 public:
  SegmentPaths(std::string& out, const char* style)
      : out_(out), style_(style) {}
  ~SegmentPaths() {
    if (count_ > 0)
      out_ += "\"/>\n";
  }
  void add(double x1, double y1, double x2, double y2) {
    if (count_ == kSegments) {
      out_ += "\"/>\n";
      count_ = 0;
    }
    if (count_++ == 0)
      append(out_, "<path class=\"%s\" d=\"", style_);
    append(out_, "M%.1f %.1fL%.1f %.1f", x1, y1, x2, y2);
  }

 private:
  std::string& out_;
  const char* style_;
  int count_ = 0;
};

// Maps the coordinates onto the drawing: the bounding box scaled so that
// its longer side is kSide, y flipped so that it grows upward.
struct Frame {
  double minX = 0, maxY = 0, scale = 1, left = kPad, top = kLegend + kPad;
  double width = kMinWidth, height = kLegend + 2 * kPad;

  double x(const Point& p) const { return left + (p.x - minX) * scale; }
  double y(const Point& p) const { return top + (maxY - p.y) * scale; }
};

// The shrink of the longitudes: the cosine of the middle latitude; 1 for
// planar places.
double longitudeShrink() {
  if (!coordinatesGeographic || coordinates.empty())
    return 1.0;
  double south = coordinates[0].y, north = south;
  for (const Point& p : coordinates) {
    south = std::min(south, p.y);
    north = std::max(north, p.y);
  }
  return std::cos((south + north) / 2 * 3.14159265358979323846 / 180);
}

// The places as drawn: planar coordinates as they are; geographic ones
// (longitude, latitude) in an equirectangular projection whose longitudes
// are scaled by the cosine of the middle latitude, so that a country keeps
// its shape near that latitude, north up.
std::vector<Point> drawnPlaces() {
  if (!coordinatesGeographic || coordinates.empty())
    return coordinates;
  double shrink = longitudeShrink();
  std::vector<Point> places;
  places.reserve(coordinates.size());
  for (const Point& p : coordinates)
    places.push_back({p.x * shrink, p.y});
  return places;
}

Frame frameOf(const std::vector<Point>& points, std::size_t legendChars) {
  Frame f;
  f.width =
      std::max(kMinWidth,
               static_cast<double>(legendChars) * kLegendCharWidth + 2 * kPad);
  if (points.empty())
    return f;
  double minX = points[0].x, maxX = minX, minY = points[0].y, maxY = minY;
  for (const Point& p : points) {
    minX = std::min(minX, p.x);
    maxX = std::max(maxX, p.x);
    minY = std::min(minY, p.y);
    maxY = std::max(maxY, p.y);
  }
  double span = std::max(maxX - minX, maxY - minY);
  f.minX = minX;
  f.maxY = maxY;
  f.scale = span > 0 ? kSide / span : 1.0;
  double plotWidth = (maxX - minX) * f.scale;
  // The legend is never cut off: the picture is at least as wide as it.
  f.width = std::max(
      {plotWidth + 2 * kPad, kMinWidth,
       static_cast<double>(legendChars) * kLegendCharWidth + 2 * kPad});
  // A narrow plot is centred in the band the legend needs.
  f.left = (f.width - plotWidth) / 2;
  f.height = kLegend + (maxY - minY) * f.scale + 2 * kPad;
  return f;
}

// A box of the drawing's plane.
struct Box {
  double minX = HUGE_VAL, minY = HUGE_VAL, maxX = -HUGE_VAL, maxY = -HUGE_VAL;

  void add(const Point& p) {
    minX = std::min(minX, p.x);
    maxX = std::max(maxX, p.x);
    minY = std::min(minY, p.y);
    maxY = std::max(maxY, p.y);
  }
  void add(const Box& b) {
    add(Point{b.minX, b.minY});
    add(Point{b.maxX, b.maxY});
  }
  double side() const { return std::max(maxX - minX, maxY - minY); }
  // How far apart the two boxes lie: the larger of their gaps along x and
  // along y; 0 when they overlap.
  double gap(const Box& b) const {
    return std::max(
        {b.minX - maxX, minX - b.maxX, b.minY - maxY, minY - b.maxY, 0.0});
  }
};

// The grid that groups places into clusters: cells of 1/kCells of the
// longer side, neighbouring occupied cells in one cluster.
constexpr int kCells = 64;
// Below this many places the whole table is drawn at one scale.
constexpr int kInsetPlaces = 50;
// At most this many insets, holding at most this share of the places;
// anything more scattered is drawn whole.
constexpr std::size_t kMaxInsets = 4;
constexpr double kMaxInsetShare = 0.25;
// The largest inset, in drawing units.
constexpr double kInsetWidth = 320, kInsetHeight = 240, kInsetMargin = 12;

int findRoot(std::vector<int>& parent, int i) {
  while (parent[i] != i)
    i = parent[i] = parent[parent[i]];
  return i;
}

// Places far from the rest, such as islands hundreds of kilometres off a
// coast, would shrink the main area to a corner: each place's region, 0 for
// the main area and k >= 1 for the k-th group drawn apart in an inset. The
// main area is the largest cluster with every cluster that lies within half
// its size of it; the rest gather into groups the same way. Everything is
// region 0 for a small or scattered table.
std::vector<int> regionsOf(const std::vector<Point>& places) {
  std::size_t n = places.size();
  std::vector<int> region(n, 0);
  if (n < static_cast<std::size_t>(kInsetPlaces))
    return region;
  Box all;
  for (const Point& p : places)
    all.add(p);
  double side = all.side();
  if (!(side > 0) || !std::isfinite(side))
    return region;
  constexpr int kGrid = kCells + 1;
  auto cellOf = [&](const Point& p) {
    int col = std::clamp(static_cast<int>((p.x - all.minX) / side * kCells), 0,
                         kCells);
    int row = std::clamp(static_cast<int>((p.y - all.minY) / side * kCells), 0,
                         kCells);
    return row * kGrid + col;
  };
  std::vector<int> count(kGrid * kGrid, 0), parent(kGrid * kGrid);
  for (int c = 0; c < kGrid * kGrid; ++c)
    parent[c] = c;
  for (const Point& p : places)
    ++count[cellOf(p)];
  for (int row = 0; row < kGrid; ++row)
    for (int col = 0; col < kGrid; ++col) {
      if (count[row * kGrid + col] == 0)
        continue;
      for (int dr = 0; dr <= 1; ++dr)
        for (int dc = -1; dc <= 1; ++dc) {
          int r = row + dr, c = col + dc;
          if ((dr == 0 && dc <= 0) || c < 0 || c >= kGrid || r >= kGrid ||
              count[r * kGrid + c] == 0)
            continue;
          parent[findRoot(parent, r * kGrid + c)] =
              findRoot(parent, row * kGrid + col);
        }
    }
  // The clusters: their places and boxes.
  std::vector<int> clusterOf(kGrid * kGrid, -1);
  std::vector<Box> boxes;
  std::vector<std::size_t> sizes;
  std::vector<int> placeCluster(n);
  for (std::size_t i = 0; i < n; ++i) {
    int root = findRoot(parent, cellOf(places[i]));
    if (clusterOf[root] < 0) {
      clusterOf[root] = static_cast<int>(boxes.size());
      boxes.emplace_back();
      sizes.push_back(0);
    }
    int k = clusterOf[root];
    placeCluster[i] = k;
    boxes[k].add(places[i]);
    ++sizes[k];
  }
  // Clusters gathered around the largest first, then around each largest
  // left over: a group takes in every cluster within half its size.
  std::vector<int> order(boxes.size());
  for (std::size_t k = 0; k < order.size(); ++k)
    order[k] = static_cast<int>(k);
  std::stable_sort(order.begin(), order.end(),
                   [&](int a, int b) { return sizes[a] > sizes[b]; });
  std::vector<int> groupOf(boxes.size(), -1);
  std::vector<Box> groups;
  double mainSide = 0;
  for (int first : order) {
    if (groupOf[first] >= 0)
      continue;
    int g = static_cast<int>(groups.size());
    groupOf[first] = g;
    groups.push_back(boxes[first]);
    // The main area's size sets how far apart a group must lie.
    double reach =
        0.5 * std::max(g == 0 ? boxes[first].side() : mainSide, side / kCells);
    for (bool grown = true; grown;) {
      grown = false;
      for (int k : order)
        if (groupOf[k] < 0 && groups[g].gap(boxes[k]) <= reach) {
          groupOf[k] = g;
          groups[g].add(boxes[k]);
          grown = true;
        }
      if (g == 0)
        reach = 0.5 * std::max(groups[0].side(), side / kCells);
    }
    if (g == 0)
      mainSide = groups[0].side();
  }
  std::size_t apart = 0;
  for (std::size_t k = 0; k < boxes.size(); ++k)
    if (groupOf[k] > 0)
      apart += sizes[k];
  if (groups.size() < 2 || groups.size() > kMaxInsets + 1 ||
      static_cast<double>(apart) > kMaxInsetShare * static_cast<double>(n))
    return region;
  for (std::size_t i = 0; i < n; ++i)
    region[i] = groupOf[placeCluster[i]];
  return region;
}

// The frames of the picture: the main area's, then one per inset, in a row
// under the main area, each at the main scale or smaller to fit its box.
struct Layout {
  std::vector<int> region;  // each place's frame
  std::vector<Frame> frames;
  std::vector<Box> outlines;  // each inset's box on the picture
  double width = kMinWidth, height = kLegend + 2 * kPad;

  double x(const std::vector<Point>& places, int j) const {
    return frames[region[j]].x(places[j]);
  }
  double y(const std::vector<Point>& places, int j) const {
    return frames[region[j]].y(places[j]);
  }
  double scale(int j) const { return frames[region[j]].scale; }
};

Layout layoutOf(const std::vector<Point>& places, std::size_t legendChars) {
  Layout layout;
  layout.region = regionsOf(places);
  int regions = places.empty() ? 1
                               : 1 + *std::max_element(layout.region.begin(),
                                                       layout.region.end());
  std::vector<std::vector<Point>> members(static_cast<std::size_t>(regions));
  for (std::size_t i = 0; i < places.size(); ++i)
    members[layout.region[i]].push_back(places[i]);
  Frame main = frameOf(members[0], legendChars);
  layout.frames.push_back(main);
  layout.width = main.width;
  layout.height = main.height;
  if (regions == 1)
    return layout;
  // The insets, left to right under the main area.
  double left = kPad, top = main.height, row = 0;
  for (int g = 1; g < regions; ++g) {
    Box box;
    for (const Point& p : members[g])
      box.add(p);
    double wide = box.maxX - box.minX, tall = box.maxY - box.minY;
    double scale = main.scale;
    if (wide > 0)
      scale = std::min(scale, (kInsetWidth - 2 * kInsetMargin) / wide);
    if (tall > 0)
      scale = std::min(scale, (kInsetHeight - 2 * kInsetMargin) / tall);
    Frame f;
    f.minX = box.minX;
    f.maxY = box.maxY;
    f.scale = scale;
    f.left = left + kInsetMargin;
    f.top = top + kInsetMargin;
    Box outline;
    outline.add(Point{left, top});
    outline.add(Point{left + wide * scale + 2 * kInsetMargin,
                      top + tall * scale + 2 * kInsetMargin});
    layout.frames.push_back(f);
    layout.outlines.push_back(outline);
    left = outline.maxX + kPad;
    row = std::max(row, outline.maxY - top);
  }
  layout.height += row + kPad;
  // The main area stays centred when the insets make the picture wider.
  if (left > layout.width) {
    layout.frames[0].left += (left - layout.width) / 2;
    layout.width = left;
  }
  return layout;
}

// The solver's gap between its objective and its bound, as a percentage of
// the objective; empty when the solver wrote no figures.
std::string gapText() {
  if (!solverFigures.hasFigures || !std::isfinite(solverFigures.objective) ||
      !std::isfinite(solverFigures.bound))
    return "n/a";
  double gap =
      solverFigures.objective > 0
          ? std::max(0.0, solverFigures.objective - solverFigures.bound) /
                solverFigures.objective * 100.0
          : 0.0;
  char text[64];
  std::snprintf(text, sizeof text, "%.2f %%", gap);
  return text;
}

void appendStyle(std::string& out, int colours) {
  append(out,
         "<style>"
         "text{font:15px sans-serif;fill:#000}"
         "circle{stroke:none}"
         ".e{fill:none;stroke:#d8d8d8;stroke-width:0.6}"
         ".l{fill:none;stroke-width:0.7;stroke-opacity:0.55}"
         ".u{fill:%s}"
         ".d{fill-opacity:0.12;stroke-opacity:0.45;stroke-width:0.8}",
         kUncoveredColour);
  for (int k = 0; k < std::min(colours, kColours); ++k)
    append(out, ".k%d{fill:%s;stroke:%s}", k, kPalette[k], kPalette[k]);
  // After the colours, whose stroke it overrides: centres are outlined in
  // black.
  append(out, ".m{stroke:#000;stroke-width:1.5}</style>\n");
}

}  // namespace

const char* centreColour(int k) { return kPalette[k % kColours]; }

double colourDifference(const char* a, const char* b) {
  // CIE 1976 difference of the two sRGB colours in L*a*b* (D65).
  auto lab = [](const char* hex, double out[3]) {
    double linear[3];
    for (int c = 0; c < 3; ++c) {
      double v =
          std::strtol(std::string(hex + 1 + 2 * c, 2).c_str(), nullptr, 16) /
          255.0;
      linear[c] = v <= 0.04045 ? v / 12.92 : std::pow((v + 0.055) / 1.055, 2.4);
    }
    double xyz[3] = {
        (0.4124 * linear[0] + 0.3576 * linear[1] + 0.1805 * linear[2]) /
            0.95047,
        0.2126 * linear[0] + 0.7152 * linear[1] + 0.0722 * linear[2],
        (0.0193 * linear[0] + 0.1192 * linear[1] + 0.9505 * linear[2]) /
            1.08883};
    double f[3];
    for (int c = 0; c < 3; ++c)
      f[c] =
          xyz[c] > 0.008856 ? std::cbrt(xyz[c]) : 7.787 * xyz[c] + 16.0 / 116;
    out[0] = 116 * f[1] - 16;
    out[1] = 500 * (f[0] - f[1]);
    out[2] = 200 * (f[1] - f[2]);
  };
  double x[3], y[3];
  lab(a, x);
  lab(b, y);
  return std::sqrt((x[0] - y[0]) * (x[0] - y[0]) +
                   (x[1] - y[1]) * (x[1] - y[1]) +
                   (x[2] - y[2]) * (x[2] - y[2]));
}

std::vector<int> centreColours(const std::vector<Point>& places) {
  const std::vector<int32_t> centres = distinctCentres();
  std::vector<int> colour(centres.size());
  // With no more centres than colours, each has its own, in order.
  if (centres.size() <= static_cast<std::size_t>(kColours)) {
    for (std::size_t k = 0; k < centres.size(); ++k)
      colour[k] = static_cast<int>(k);
    return colour;
  }
  // Otherwise each centre in turn takes the colour that lies farthest from
  // centres in the same colour or a look-alike one, so that neighbours
  // differ plainly; a look-alike at twice the distance counts as the same
  // colour at once the distance.
  double weight[kColours][kColours];
  for (int a = 0; a < kColours; ++a)
    for (int b = 0; b < kColours; ++b)
      weight[a][b] = a == b ? 1.0
                     : colourDifference(kPalette[a], kPalette[b]) < kLookAlike
                         ? 0.5
                         : 0.0;
  for (std::size_t k = 0; k < centres.size(); ++k) {
    const Point& here = places[static_cast<std::size_t>(centres[k])];
    double nearest[kColours];
    std::fill(nearest, nearest + kColours, HUGE_VAL);
    for (std::size_t m = 0; m < k; ++m) {
      const Point& there = places[static_cast<std::size_t>(centres[m])];
      double d = std::hypot(here.x - there.x, here.y - there.y);
      for (int c = 0; c < kColours; ++c)
        if (weight[c][colour[m]] > 0)
          nearest[c] = std::min(nearest[c], d / weight[c][colour[m]]);
    }
    colour[k] = static_cast<int>(std::max_element(nearest, nearest + kColours) -
                                 nearest);
  }
  return colour;
}

namespace {}  // namespace

std::string serviceDistanceText() {
  double s = record.distServico;
  char text[64];
  if (!coordinatesGeographic)
    std::snprintf(text, sizeof text, "%.2f", s);
  else if (s >= 1000)
    std::snprintf(text, sizeof text, "%g km", std::round(s / 10) / 100);
  else
    std::snprintf(text, sizeof text, "%g m", std::round(s * 100) / 100);
  return text;
}

namespace {

std::string legendText() {
  char legend[400];
  std::snprintf(legend, sizeof legend,
                "n = %d, p = %d, S = %s, coverage %.2f %%, solver gap %s; %s",
                record.vertices, record.facilidades,
                serviceDistanceText().c_str(), coveragePercent(),
                gapText().c_str(),
                centreSets.existingGiven
                    ? "squares: new centres, diamonds: existing centres, "
                      "grey: uncovered"
                    : "squares: centres, grey: uncovered");
  return legend;
}

// An edge between the main area and an inset is left out: the two ends are
// drawn at different scales.
void appendEdges(std::string& out, const Layout& f,
                 const std::vector<Point>& places) {
  SegmentPaths edges(out, "e");
  for (const EdgeRecord& e : edgeRecords) {
    if (e.a == e.b || f.region[e.a] != f.region[e.b])
      continue;
    edges.add(f.x(places, e.a), f.y(places, e.a), f.x(places, e.b),
              f.y(places, e.b));
  }
}

// Per centre, in its colour: the lines to its vertices, then their dots;
// then the uncovered vertices in grey.
void appendVertices(std::string& out, const Layout& f,
                    const std::vector<Point>& places,
                    const std::vector<int32_t>& centres,
                    const std::vector<int>& colours, double radius) {
  int n = record.vertices;
  std::vector<VertexResult> vertices = assignVertices();
  std::vector<std::vector<int>> members(centres.size());
  std::vector<int> position(static_cast<std::size_t>(n), -1);
  for (std::size_t k = 0; k < centres.size(); ++k)
    position[centres[k]] = static_cast<int>(k);
  for (int j = 0; j < n; ++j)
    if (vertices[j].covered)
      members[position[vertices[j].centre]].push_back(j);
  for (std::size_t k = 0; k < centres.size(); ++k) {
    int c = centres[k];
    append(out, "<g class=\"k%d\">\n", colours[k]);
    {
      SegmentPaths lines(out, "l");
      for (int j : members[k])
        if (j != c && f.region[j] == f.region[c])
          lines.add(f.x(places, c), f.y(places, c), f.x(places, j),
                    f.y(places, j));
    }
    for (int j : members[k])
      append(out, "<circle cx=\"%.1f\" cy=\"%.1f\" r=\"%.1f\"/>\n",
             f.x(places, j), f.y(places, j), radius);
    out += "</g>\n";
  }
  out += "<g class=\"u\">\n";
  for (int j = 0; j < n; ++j)
    if (!vertices[j].covered)
      append(out, "<circle cx=\"%.1f\" cy=\"%.1f\" r=\"%.1f\"/>\n",
             f.x(places, j), f.y(places, j), radius);
  out += "</g>\n";
}

// Each centre's service area, the places within S of it, as a translucent
// disc in its colour under everything else: a circle on the plane; for
// geographic places the ellipse that S on the ground makes in the drawing's
// projection at the centre's latitude (latitude drawn as it is, longitude
// shrunk by the cosine of the middle latitude).
void appendServiceAreas(std::string& out, const Layout& f,
                        const std::vector<Point>& places,
                        const std::vector<int32_t>& centres,
                        const std::vector<int>& colours, double shrink) {
  constexpr double kDegree = 3.14159265358979323846 / 180;
  double s = record.distServico;
  for (std::size_t k = 0; k < centres.size(); ++k) {
    int c = centres[k];
    double rx = s * f.scale(c), ry = rx;
    if (coordinatesGeographic) {
      ry = s / kEarthRadius / kDegree * f.scale(c);
      double latitude =
          coordinates[static_cast<std::size_t>(centres[k])].y * kDegree;
      // Near a pole the ellipse would widen without end; ten times the
      // plot is past any edge.
      rx = std::min(ry * shrink / std::max(std::cos(latitude), 1e-9),
                    10 * kSide);
    }
    append(out,
           "<ellipse class=\"k%d d\" cx=\"%.1f\" cy=\"%.1f\" rx=\"%.1f\" "
           "ry=\"%.1f\"/>\n",
           colours[k], f.x(places, c), f.y(places, c), rx, ry);
  }
}

// The tooltip of a centre of a table of points that names its places:
// "Lisboa (2267057)", the name or the id alone where only one is there,
// escaped for XML; empty otherwise.
std::string centreTitle(int32_t v) {
  std::string name = placeField(pointTable.names, v);
  std::string id = placeField(pointTable.ids, v);
  std::string text =
      name.empty() || id.empty() ? name + id : name + " (" + id + ")";
  std::string escaped;
  for (char ch : text) {
    switch (ch) {
      case '&':
        escaped += "&amp;";
        break;
      case '<':
        escaped += "&lt;";
        break;
      case '>':
        escaped += "&gt;";
        break;
      case '"':
        escaped += "&quot;";
        break;
      default:
        // Control characters have no place in XML text.
        if (static_cast<unsigned char>(ch) >= 0x20 || ch == '\t')
          escaped += ch;
    }
  }
  return escaped;
}

// Ends a centre's mark: with its tooltip where it has one.
void endMark(std::string& out, const char* element, int32_t v) {
  std::string title = centreTitle(v);
  if (title.empty())
    out += "/>\n";
  else
    out += "><title>" + title + "</title></" + element + ">\n";
}

// Each centre a square of side `mark` outlined in black; a centre that was
// open already a diamond a little larger; a tooltip names the place.
void appendCentres(std::string& out, const Layout& f,
                   const std::vector<Point>& places,
                   const std::vector<int32_t>& centres,
                   const std::vector<int>& colours, double mark) {
  for (std::size_t k = 0; k < centres.size(); ++k) {
    double x = f.x(places, centres[k]), y = f.y(places, centres[k]);
    if (isExistingCentre(centres[k])) {
      double h = 0.75 * mark;
      append(out,
             "<path id=\"centre-%d\" class=\"k%d m\" d=\"M%.1f %.1fL%.1f "
             "%.1fL%.1f %.1fL%.1f %.1fZ\"",
             centres[k] + 1, colours[k], x, y - h, x + h, y, x, y + h, x - h,
             y);
      endMark(out, "path", centres[k]);
      continue;
    }
    append(out,
           "<rect id=\"centre-%d\" class=\"k%d m\" x=\"%.1f\" y=\"%.1f\" "
           "width=\"%.1f\" height=\"%.1f\"",
           centres[k] + 1, colours[k], x - mark / 2, y - mark / 2, mark, mark);
    endMark(out, "rect", centres[k]);
  }
}

}  // namespace

std::string resultSvg() {
  int n = record.vertices;
  std::string legend = legendText();
  std::vector<Point> places = drawnPlaces();
  Layout f = layoutOf(places, legend.size());
  std::vector<int32_t> centres = distinctCentres();
  std::vector<int> colours = centreColours(places);
  // Dots shrink as vertices crowd: 5 units for 100 vertices, 2 for 5,000.
  double radius = n > 0 ? std::clamp(50.0 / std::sqrt(n), 1.5, 5.0) : 5.0;
  double mark = std::max(2.2 * radius, 6.0);

  std::string out;
  out.reserve(static_cast<std::size_t>(n) * 90 + edgeRecords.size() * 30 +
              4096);
  append(out,
         "<svg xmlns=\"http://www.w3.org/2000/svg\" width=\"%.0f\" "
         "height=\"%.0f\" viewBox=\"0 0 %.0f %.0f\">\n",
         std::ceil(f.width), std::ceil(f.height), std::ceil(f.width),
         std::ceil(f.height));
  appendStyle(out, static_cast<int>(centres.size()));
  out += "<rect width=\"100%\" height=\"100%\" fill=\"#fff\"/>\n";
  // Each inset in a thin grey frame.
  for (const Box& b : f.outlines)
    append(out,
           "<rect class=\"i\" x=\"%.1f\" y=\"%.1f\" width=\"%.1f\" "
           "height=\"%.1f\" fill=\"none\" stroke=\"#909090\"/>\n",
           b.minX, b.minY, b.maxX - b.minX, b.maxY - b.minY);
  appendEdges(out, f, places);
  appendServiceAreas(out, f, places, centres, colours, longitudeShrink());
  appendVertices(out, f, places, centres, colours, radius);
  appendCentres(out, f, places, centres, colours, mark);
  append(out, "<text x=\"%.0f\" y=\"24\">%s</text>\n", kPad, legend.c_str());
  out += "</svg>\n";
  return out;
}

void writeResultSvg(const std::string& path) {
  OutFile out(path);
  out.write(resultSvg());
  out.close();
}
