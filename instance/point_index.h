#pragma once

// A k-d tree over places, for the searches of a sparse run that must not
// look at every pair: the pairs within S, each vertex's nearest centre, the
// centres within 2 × S. Geographic places are indexed as points of the unit
// sphere, where the straight-line (chord) distance grows with the
// great-circle distance everywhere, across the antimeridian and at the
// poles alike; planar places as they are. The tree only narrows the
// candidates, with a margin: every distance compared is computed as the
// matrix of the dense path holds it, so that both paths agree to the bit.

#include <array>
#include <cstdint>
#include <vector>

#include "instance/coordinates.h"

class PointIndex {
 public:
  // Indexes the places listed in `members` (indices into `places`).
  PointIndex(const std::vector<Point>& places, bool geographic,
             std::vector<int32_t> members);

  // Calls visit(i) for every member i whose distance from `place` (metres
  // for geographic places, else the plane's unit) may be at most `reach`:
  // every one within reach, and perhaps some just beyond it.
  template <typename Visit>
  void near(const Point& place, double reach, Visit visit) const;

  // A nearest-first search: calls visit(i) for members in an order that
  // meets near ones early; visit returns the reach still wanted, and the
  // search leaves out every member that lies surely farther than the reach
  // last returned. Starts with `reach`.
  template <typename Visit>
  void nearest(const Point& place, double reach, Visit visit) const;

 private:
  using Vector = std::array<double, 3>;
  struct Node {
    Vector low, high;  // the box of the node's members
    int32_t begin, end;
    int32_t left = -1, right = -1;  // children; -1 for a leaf
  };

  Vector embed(const Point& place) const;
  // The straight-line reach in the embedding that a distance of `reach`
  // cannot exceed, with a margin for the rounding of either.
  double embeddedReach(double reach) const;
  static double boxDistance(const Node& node, const Vector& q);
  int32_t build(int32_t begin, int32_t end);

  template <typename Visit>
  void walkNear(int32_t node, const Vector& q, double bound,
                Visit& visit) const;
  template <typename Visit>
  double walkNearest(int32_t node, const Vector& q, double bound,
                     Visit& visit) const;

  bool geographic_;
  std::vector<int32_t> members_;
  std::vector<Vector> points_;  // embedded, in members_ order
  std::vector<Node> nodes_;
};

template <typename Visit>
void PointIndex::walkNear(int32_t at, const Vector& q, double bound,
                          Visit& visit) const {
  const Node& node = nodes_[static_cast<std::size_t>(at)];
  if (boxDistance(node, q) > bound)
    return;
  if (node.left < 0) {
    for (int32_t k = node.begin; k < node.end; ++k)
      visit(members_[static_cast<std::size_t>(k)]);
    return;
  }
  walkNear(node.left, q, bound, visit);
  walkNear(node.right, q, bound, visit);
}

template <typename Visit>
void PointIndex::near(const Point& place, double reach, Visit visit) const {
  if (!nodes_.empty())
    walkNear(0, embed(place), embeddedReach(reach), visit);
}

template <typename Visit>
double PointIndex::walkNearest(int32_t at, const Vector& q, double bound,
                               Visit& visit) const {
  const Node& node = nodes_[static_cast<std::size_t>(at)];
  if (node.left < 0) {
    for (int32_t k = node.begin; k < node.end; ++k)
      bound = embeddedReach(visit(members_[static_cast<std::size_t>(k)]));
    return bound;
  }
  const Node& left = nodes_[static_cast<std::size_t>(node.left)];
  const Node& right = nodes_[static_cast<std::size_t>(node.right)];
  double toLeft = boxDistance(left, q);
  double toRight = boxDistance(right, q);
  int32_t first = node.left, second = node.right;
  if (toRight < toLeft) {
    std::swap(first, second);
    std::swap(toLeft, toRight);
  }
  if (toLeft <= bound)
    bound = walkNearest(first, q, bound, visit);
  if (toRight <= bound)
    bound = walkNearest(second, q, bound, visit);
  return bound;
}

template <typename Visit>
void PointIndex::nearest(const Point& place, double reach, Visit visit) const {
  if (nodes_.empty())
    return;
  Vector q = embed(place);
  double bound = embeddedReach(reach);
  if (boxDistance(nodes_[0], q) <= bound)
    walkNearest(0, q, bound, visit);
}
