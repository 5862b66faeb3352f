#include "instance/point_index.h"

#include <algorithm>
#include <cmath>

#include "instance/point_table.h"

namespace {

constexpr double kRadian = 3.14159265358979323846 / 180.0;
constexpr double kHalfPi = 3.14159265358979323846 / 2.0;
// Members a leaf holds at most.
constexpr int32_t kLeafSize = 8;
// The margins of embeddedReach. A distance rounded to single precision may
// lie 2^-24 of itself below the exact one, and the haversine formula and
// the chord of the embedded points round apart by far less than the
// absolute margin (about 6 micrometres on the Earth).
constexpr double kRelativeMargin = 1e-6;
constexpr double kChordMargin = 1e-12;

}  // namespace

PointIndex::PointIndex(const std::vector<Point>& places, bool geographic,
                       std::vector<int32_t> members)
    : geographic_(geographic), members_(std::move(members)) {
  points_.reserve(members_.size());
  for (int32_t i : members_)
    points_.push_back(embed(places[static_cast<std::size_t>(i)]));
  if (!members_.empty()) {
    nodes_.reserve(2 * members_.size() / kLeafSize + 2);
    build(0, static_cast<int32_t>(members_.size()));
  }
}

PointIndex::Vector PointIndex::embed(const Point& place) const {
  if (!geographic_)
    return {place.x, place.y, 0.0};
  double longitude = place.x * kRadian;
  double latitude = place.y * kRadian;
  double c = std::cos(latitude);
  return {c * std::cos(longitude), c * std::sin(longitude), std::sin(latitude)};
}

double PointIndex::embeddedReach(double reach) const {
  double wide = reach * (1 + kRelativeMargin);
  if (!geographic_)
    return wide;
  // The chord of an arc of `wide` metres on the unit sphere; arcs beyond
  // half the circumference reach everything.
  double half = wide / (2 * kEarthRadius);
  return half >= kHalfPi ? 2.0 + kChordMargin
                         : 2 * std::sin(half) + kChordMargin;
}

double PointIndex::boxDistance(const Node& node, const Vector& q) {
  // The same operations as a distance between two members, so that for a
  // planar member the bound never exceeds the distance computed for it:
  // rounding is monotone.
  double sum = 0;
  for (int d = 0; d < 3; ++d) {
    double gap = 0;
    if (q[d] < node.low[d])
      gap = node.low[d] - q[d];
    else if (q[d] > node.high[d])
      gap = q[d] - node.high[d];
    sum += gap * gap;
  }
  return std::sqrt(sum);
}

int32_t PointIndex::build(int32_t begin, int32_t end) {
  int32_t at = static_cast<int32_t>(nodes_.size());
  nodes_.push_back({});
  Node node;
  node.begin = begin;
  node.end = end;
  node.low = node.high = points_[static_cast<std::size_t>(begin)];
  for (int32_t k = begin + 1; k < end; ++k)
    for (int d = 0; d < 3; ++d) {
      node.low[d] = std::min(node.low[d], points_[k][d]);
      node.high[d] = std::max(node.high[d], points_[k][d]);
    }
  if (end - begin > kLeafSize) {
    int axis = 0;
    for (int d = 1; d < 3; ++d)
      if (node.high[d] - node.low[d] > node.high[axis] - node.low[axis])
        axis = d;
    // Members and their points move together: sort an order, then apply it.
    int32_t middle = begin + (end - begin) / 2;
    std::vector<int32_t> order(static_cast<std::size_t>(end - begin));
    for (int32_t k = 0; k < end - begin; ++k)
      order[static_cast<std::size_t>(k)] = begin + k;
    std::nth_element(order.begin(), order.begin() + (middle - begin),
                     order.end(), [&](int32_t a, int32_t b) {
                       return points_[a][axis] < points_[b][axis] ||
                              (points_[a][axis] == points_[b][axis] &&
                               members_[a] < members_[b]);
                     });
    std::vector<int32_t> members(order.size());
    std::vector<Vector> points(order.size());
    for (std::size_t k = 0; k < order.size(); ++k) {
      members[k] = members_[static_cast<std::size_t>(order[k])];
      points[k] = points_[static_cast<std::size_t>(order[k])];
    }
    std::copy(members.begin(), members.end(), members_.begin() + begin);
    std::copy(points.begin(), points.end(), points_.begin() + begin);
    node.left = build(begin, middle);
    node.right = build(middle, end);
  }
  nodes_[static_cast<std::size_t>(at)] = node;
  return at;
}
