// Candidate collection and ranking for snapping. Every point candidate must lie within ten pixels
// of the cursor to be taken, so curves, crossings and body edges whose padded bounds miss that
// window are skipped before any work is spent on them; the padding covers every tolerance of the
// computations skipped, so skipping never changes which candidate wins.
#include "interaction/snap_engine.hpp"

#include <algorithm>
#include <array>
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <limits>
#include <numbers>
#include <string_view>
#include <unordered_set>
#include <variant>
#include <vector>

#include "base/invariant.hpp"
#include "base/overloaded.hpp"
#include "sketch/curve_intersection.hpp"

namespace brontile::SnapEngine {
namespace {

constexpr double kMinUnitsPerPixel = 1e-9;
constexpr double kReachPixels = 10;
// Alignment needs the cursor this far from the segment's start to have a direction at all.
constexpr double kMinLockPixels = 2;
// Half-width of the band around L's axes that still aligns; also the shortest run for parallel.
constexpr double kAxisBandPixels = 12;
constexpr double kWideLimitPixels = 40;
constexpr double kPlaneTolerancePixels = 3;
constexpr double kMinPlaneTolerance = 1e-4;
constexpr double kAlignAngle = std::numbers::pi / 24;  // 7.5°
constexpr double kPerpendicularOvershoot = 0.15;
constexpr double kGuideHalfLength = 280;
// Polar directions closer than this to an axis are left to horizontal and vertical.
constexpr double kAxisComponent = 1e-6;
constexpr double kMinGridStep = 1e-12;
constexpr int kNoRank = 100;

// How far a crossing may lie off its curves: segment parameters may overshoot by kEps, arc
// points may miss the radius by max(r·1e-8, 1e-6), body-edge crossings by 1e-9·|d| + 1e-6.
constexpr double kParameterTolerance = CurveIntersection::kEps;
constexpr double kArcRelativeTolerance = 1e-8;
constexpr double kArcAbsoluteTolerance = 1e-6;
constexpr double kCrossingAbsoluteTolerance = 1e-6;
// Added to every bound used for skipping, far above the rounding of the points computed inside.
constexpr double kRelativeSlack = 1e-9;
constexpr double kAbsoluteSlack = 1e-12;

const RGBA kPale{0.8f, 0.85f, 0.9f, 1.0f};

int rankOf(SnapKind kind) {
    switch (kind) {
        case SnapKind::endpoint: return 0;
        case SnapKind::intersection: return 1;
        case SnapKind::midpoint: return 2;
        case SnapKind::center: return 3;
        case SnapKind::perpendicular: return 4;
        case SnapKind::onCurve: return 5;
        case SnapKind::horizontal:
        case SnapKind::vertical: return 6;
        case SnapKind::parallel: return 7;
        case SnapKind::polar: return 8;
        case SnapKind::grid: return kNoRank;
    }
    return kNoRank;
}

double magnitude(const Vec2& p) { return std::max(std::abs(p.x), std::abs(p.y)); }
double slack(double scale) { return kRelativeSlack * scale + kAbsoluteSlack; }

bool hasGrid(double step) { return step > kMinGridStep && std::isfinite(step); }

// Halves away from zero; a value the step cannot represent stays as it is.
double gridRounded(double value, double step) {
    if (!hasGrid(step)) return value;
    const double rounded = std::round(value / step) * step;
    return std::isfinite(rounded) ? rounded : value;
}

struct Box2 {
    Vec2 min;
    Vec2 max;

    [[nodiscard]] static Box2 around(const Vec2& a, const Vec2& b, double pad) {
        return {{std::min(a.x, b.x) - pad, std::min(a.y, b.y) - pad},
                {std::max(a.x, b.x) + pad, std::max(a.y, b.y) + pad}};
    }
    // Written as "not apart" so that a box with NaN bounds is never skipped.
    [[nodiscard]] bool meets(const Box2& o) const {
        return !(o.max.x < min.x || max.x < o.min.x || o.max.y < min.y || max.y < o.min.y);
    }
};

struct Candidate {
    Vec2 point{};
    SnapKind kind = SnapKind::endpoint;
    std::optional<SketchEntityID> entity{};
    std::optional<SketchEntityID> second{};
    std::optional<SketchParamRole> role{};
    std::string_view label{};
    std::optional<Vec2> guideStart{};
    std::optional<Vec2> guideEnd{};
};

// The best candidate so far: a lower rank wins, then a strictly smaller score, so the first of
// equal candidates stays.
class Selection {
public:
    Selection(const Vec2& cursor, double reach) : cursor_(cursor), reach_(reach) {
        const double pad = reach + slack(reach + magnitude(cursor));
        window_ = Box2::around(cursor, cursor, pad);
    }

    [[nodiscard]] const Vec2& cursor() const { return cursor_; }
    // Any point outside this box is farther than the reach from the cursor.
    [[nodiscard]] const Box2& window() const { return window_; }
    [[nodiscard]] bool empty() const { return !best_; }

    // Scored by the distance from the cursor and taken within the reach.
    void offer(const Candidate& c) { offer(c, cursor_.distance(c.point), reach_); }

    void offer(const Candidate& c, double score, double limit) {
        if (!(score <= limit)) return;  // NaN scores are never taken
        const int rank = rankOf(c.kind);
        if (rank < rank_ || (rank == rank_ && score < score_)) {
            rank_ = rank;
            score_ = score;
            best_ = c;
        }
    }

    [[nodiscard]] std::optional<SnapHit> hit() const {
        if (!best_) return std::nullopt;
        const Candidate& c = *best_;
        std::optional<std::string> label;
        if (!c.label.empty()) label = std::string(c.label);
        return SnapHit{c.point,      c.kind,     c.entity, c.second,
                       c.guideStart, c.guideEnd, label,    c.role};
    }

private:
    Vec2 cursor_;
    double reach_;
    Box2 window_;
    int rank_ = kNoRank;
    double score_ = std::numeric_limits<double>::max();
    std::optional<Candidate> best_;
};

// ---- Bodies ----

struct PlanarEdge {
    Vec2 a;
    Vec2 b;
    Box2 box;
};

double crossingTolerance(const Vec2& a, const Vec2& b) {
    return kParameterTolerance * a.distance(b) + kCrossingAbsoluteTolerance;
}

// Twice an edge's crossing tolerance plus slack: the Manhattan length bounds the Euclidean one
// without a square root.
double edgePad(const Vec2& d, double scale) {
    const double manhattan = std::abs(d.x) + std::abs(d.y);
    return 2 * (kParameterTolerance * manhattan + kCrossingAbsoluteTolerance) + slack(scale);
}

// Holds every point on the segment and every crossing segmentIntersection reports on it.
Box2 edgeBox(const Vec2& a, const Vec2& b) {
    return Box2::around(a, b, edgePad(b - a, std::max(magnitude(a), magnitude(b))));
}

// Vertex classes that reject most edges before their bounds are measured: off the plane, or
// beyond a side of the window widened by more than any edge's pad.
enum VertexClass : std::uint8_t {
    kLeft = 1,
    kRight = 2,
    kBelow = 4,
    kAbove = 8,
    kOffPlane = 16,
};

std::uint8_t sidesBeyond(const Vec2& p, const Box2& box) {
    return static_cast<std::uint8_t>(
        (p.x < box.min.x ? kLeft : 0) | (p.x > box.max.x ? kRight : 0) |
        (p.y < box.min.y ? kBelow : 0) | (p.y > box.max.y ? kAbove : 0));
}

// The mesh seen from the sketch plane: where its vertices lie and how they sit to the window.
struct PlanarVertices {
    std::vector<std::uint8_t> classes;
    std::vector<Vec2> local;
    bool any = false;
};

PlanarVertices planarVertices(const SolidMesh& mesh, const SketchPlane& plane, double tolerance,
                              Selection& selection) {
    const auto& vertices = mesh.vertices();
    const Vec3 normal = plane.normal();
    PlanarVertices result{std::vector<std::uint8_t>(vertices.size(), kOffPlane),
                          std::vector<Vec2>(vertices.size())};
    double largest = 0;
    for (std::size_t i = 0; i < vertices.size(); ++i) {
        if (!(std::abs((vertices[i] - plane.origin).dot(normal)) <= tolerance)) continue;
        result.local[i] = plane.toLocal(vertices[i]);
        result.classes[i] = 0;
        result.any = true;
        largest = std::max(largest, magnitude(result.local[i]));
        selection.offer({.point = result.local[i], .label = "Vertex"});
    }
    // No in-plane edge is longer than 4·largest in Manhattan length; doubling covers rounding.
    const double pad = 2 * edgePad({2 * largest, 2 * largest}, largest);
    const Box2& w = selection.window();
    const Box2 wide{w.min - Vec2{pad, pad}, w.max + Vec2{pad, pad}};
    for (std::size_t i = 0; i < vertices.size(); ++i) {
        if (result.classes[i] == 0) result.classes[i] = sidesBeyond(result.local[i], wide);
    }
    return result;
}

// The face's polygon edges lying in the plane whose bounds meet the window. Every occurrence of
// an edge has the same ends, so an edge is either always kept or always dropped.
void collectNearFaceEdges(const SolidFace& face, const PlanarVertices& planar, const Box2& window,
                          std::vector<SolidMesh::Edge>& out) {
    out.clear();
    for (const auto& polygon : face.polygons) {
        const std::size_t n = polygon.size();
        for (std::size_t i = 0; i < n; ++i) {
            const auto a = static_cast<std::size_t>(polygon[i]);
            const auto b = static_cast<std::size_t>(polygon[i + 1 < n ? i + 1 : 0]);
            const std::uint8_t ca = planar.classes[a];
            const std::uint8_t cb = planar.classes[b];
            // Off the plane, or both ends beyond the same side of the window.
            if (a == b || ((ca | cb) & kOffPlane) || (ca & cb)) continue;
            if (!edgeBox(planar.local[a], planar.local[b]).meets(window)) continue;
            out.push_back({static_cast<VertexIndex>(a), static_cast<VertexIndex>(b)});
        }
    }
}

// Offers the mesh's in-plane outline edges near the cursor, in the order and direction of
// SolidMesh::uniqueEdges (a face's seams dropped, the first face's direction kept), and appends
// them to `nearEdges` for the crossing pass.
void offerBodyEdges(const SolidMesh& mesh, const PlanarVertices& planar, Selection& selection,
                    std::vector<PlanarEdge>& nearEdges) {
    std::unordered_set<SolidMesh::EdgeKey> taken;
    std::vector<SolidMesh::Edge> faceEdges;
    for (const SolidFace& face : mesh.faces()) {
        collectNearFaceEdges(face, planar, selection.window(), faceEdges);
        for (const SolidMesh::Edge& e : faceEdges) {
            const SolidMesh::EdgeKey key(e.a, e.b);
            const auto uses = std::count_if(faceEdges.begin(), faceEdges.end(), [&](const auto& o) {
                return SolidMesh::EdgeKey(o.a, o.b) == key;
            });
            if (uses != 1 || !taken.insert(key).second) continue;
            const Vec2 a = planar.local[static_cast<std::size_t>(e.a)];
            const Vec2 b = planar.local[static_cast<std::size_t>(e.b)];
            selection.offer(
                {.point = (a + b) / 2, .kind = SnapKind::midpoint, .label = "Edge midpoint"});
            selection.offer({.point = Vec2::closestPointOnSegment(selection.cursor(), a, b),
                             .kind = SnapKind::onCurve,
                             .label = "Edge"});
            nearEdges.push_back({a, b, edgeBox(a, b)});
        }
    }
}

void offerBodies(std::span<const Body> bodies, const SketchPlane& plane, double unitsPerPixel,
                 Selection& selection) {
    const double tolerance = std::max(kPlaneTolerancePixels * unitsPerPixel, kMinPlaneTolerance);
    std::vector<PlanarEdge> nearEdges;
    for (const Body& body : bodies) {
        if (!body.isVisible) continue;
        const auto planar = planarVertices(body.mesh, plane, tolerance, selection);
        if (planar.any) offerBodyEdges(body.mesh, planar, selection, nearEdges);
    }
    // Crossings of edges far from the cursor lie far from it too, so only near edges can cross.
    for (std::size_t i = 0; i < nearEdges.size(); ++i) {
        for (std::size_t j = i + 1; j < nearEdges.size(); ++j) {
            const PlanarEdge& p = nearEdges[i];
            const PlanarEdge& q = nearEdges[j];
            if (!p.box.meets(q.box)) continue;
            const auto crossing = segmentIntersection(p.a, p.b, q.a, q.b);
            if (crossing) {
                selection.offer(
                    {.point = *crossing, .kind = SnapKind::intersection, .label = "Edge"});
            }
        }
    }
}

// ---- Sketch entities ----

enum class Shape { line, circle, arc };

// Bounds holding every candidate an entity offers and every crossing point on it.
struct EntityReach {
    Shape shape = Shape::line;
    Box2 box;
    bool near = false;
};

Box2 circleBox(const Vec2& center, double radius) {
    const double r = std::abs(radius);
    const double pad =
        std::max(r * kArcRelativeTolerance, kArcAbsoluteTolerance) + slack(magnitude(center) + r);
    return Box2::around(center - Vec2{r, r}, center + Vec2{r, r}, pad);
}

EntityReach reachOf(const SketchEntity& entity, const Box2& window) {
    EntityReach reach =
        std::visit(Overloaded{
                       [](const SketchLine& l) {
                           const double pad = 2 * kParameterTolerance * l.start.distance(l.end) +
                                              slack(std::max(magnitude(l.start), magnitude(l.end)));
                           return EntityReach{Shape::line, Box2::around(l.start, l.end, pad)};
                       },
                       [](const SketchCircle& c) {
                           return EntityReach{Shape::circle, circleBox(c.center, c.radius)};
                       },
                       [](const SketchArc& a) {
                           return EntityReach{Shape::arc, circleBox(a.center, a.radius)};
                       },
                   },
                   entity.geometry);
    reach.near = reach.box.meets(window);
    return reach;
}

void offerEntityPoints(const SketchEntity& entity, Selection& selection) {
    const auto point = [&](const Vec2& p, SnapKind kind,
                           std::optional<SketchParamRole> role = std::nullopt) {
        selection.offer({.point = p, .kind = kind, .entity = entity.id, .role = role});
    };
    std::visit(Overloaded{
                   [&](const SketchLine& l) {
                       point(l.start, SnapKind::endpoint, SketchParamRole::start);
                       point(l.end, SnapKind::endpoint, SketchParamRole::end);
                       point((l.start + l.end) / 2, SnapKind::midpoint);
                   },
                   [&](const SketchCircle& c) {
                       for (const Vec2& q : entity.endpoints()) point(q, SnapKind::endpoint);
                       point(c.center, SnapKind::center);
                   },
                   [&](const SketchArc& a) {
                       point(a.startPoint(), SnapKind::endpoint, SketchParamRole::start);
                       point(a.endPoint(), SnapKind::endpoint, SketchParamRole::end);
                       point(a.pointAt(a.startAngle + a.sweep() / 2), SnapKind::midpoint);
                       point(a.center, SnapKind::center);
                   },
               },
               entity.geometry);
    point(entity.closestPoint(selection.cursor()), SnapKind::onCurve);
}

// Whether the pair can cross near the cursor, judged by the curves every crossing provably lies
// on: the first of two lines (the point is computed along it), the line of a line and a curve,
// and every arc (arcs keep only points on them). Two full circles are left to circlePairs: when
// they nearly coincide, their "touching" point can lie well outside both.
bool mayCrossNearCursor(const EntityReach& first, const EntityReach& second) {
    if (first.shape == Shape::line && second.shape == Shape::line) return first.near;
    if (first.shape == Shape::circle && second.shape == Shape::circle) return false;
    return (first.shape == Shape::circle || first.near) &&
           (second.shape == Shape::circle || second.near);
}

// The winner among crossing candidates, which all share one rank: the smallest score, then the
// pair and point order, so pairs may be visited in any order.
struct CrossingWinner {
    double score = std::numeric_limits<double>::infinity();
    std::array<std::size_t, 3> order{};
    std::optional<Candidate> candidate;

    void consider(const Candidate& c, double candidateScore, std::array<std::size_t, 3> at) {
        if (!candidate || candidateScore < score || (candidateScore == score && at < order)) {
            score = candidateScore;
            order = at;
            candidate = c;
        }
    }
};

class CrossingSearch {
public:
    CrossingSearch(const Sketch& sketch, const std::vector<EntityReach>& reach, double limit,
                   const Vec2& cursor)
        : sketch_(sketch), reach_(reach), limit_(limit), cursor_(cursor) {}

    // Every pair with a near entity, each once.
    void nearPairs() {
        const std::size_t n = reach_.size();
        for (std::size_t i = 0; i < n; ++i) {
            if (!reach_[i].near) continue;
            for (std::size_t j = 0; j < n; ++j) {
                if (j == i || (j < i && reach_[j].near)) continue;
                const std::size_t lo = std::min(i, j);
                const std::size_t hi = std::max(i, j);
                if (mayCrossNearCursor(reach_[lo], reach_[hi])) consider(lo, hi);
            }
        }
    }

    // Circles whose padded boxes are apart are farther apart than touching circles can be.
    void circlePairs() {
        std::vector<std::size_t> circles;
        for (std::size_t i = 0; i < reach_.size(); ++i) {
            if (reach_[i].shape == Shape::circle) circles.push_back(i);
        }
        for (std::size_t a = 0; a < circles.size(); ++a) {
            for (std::size_t b = a + 1; b < circles.size(); ++b) {
                if (reach_[circles[a]].box.meets(reach_[circles[b]].box))
                    consider(circles[a], circles[b]);
            }
        }
    }

    [[nodiscard]] const CrossingWinner& winner() const { return winner_; }

private:
    void consider(std::size_t i, std::size_t j) {
        const SketchEntity& a = sketch_.entities[i];
        const SketchEntity& b = sketch_.entities[j];
        const auto points = CurveIntersection::intersections(a.geometry, b.geometry);
        for (std::size_t k = 0; k < points.size(); ++k) {
            const double score = cursor_.distance(points[k]);
            if (!(score <= limit_)) continue;
            winner_.consider({.point = points[k],
                              .kind = SnapKind::intersection,
                              .entity = a.id,
                              .second = b.id},
                             score, {i, j, k});
        }
    }

    const Sketch& sketch_;
    const std::vector<EntityReach>& reach_;
    double limit_;
    Vec2 cursor_;
    CrossingWinner winner_;
};

void offerSketch(const Sketch& sketch, double reachDistance, Selection& selection) {
    std::vector<EntityReach> reach;
    reach.reserve(sketch.entities.size());
    for (const SketchEntity& e : sketch.entities) {
        reach.push_back(reachOf(e, selection.window()));
        if (reach.back().near) offerEntityPoints(e, selection);
    }
    CrossingSearch crossings(sketch, reach, reachDistance, selection.cursor());
    crossings.nearPairs();
    crossings.circlePairs();
    const CrossingWinner& winner = crossings.winner();
    if (winner.candidate) selection.offer(*winner.candidate, winner.score, reachDistance);
}

// ---- Alignment with the segment's start ----

struct Alignment {
    Alignment(const Vec2& lockFrom, const Vec2& cursor, double w)
        : from(lockFrom), v(cursor - lockFrom), length(v.length()), unitsPerPixel(w) {}

    Vec2 from;
    Vec2 v;
    double length;
    double unitsPerPixel;
    double sinAlign = std::sin(kAlignAngle);
};

void offerPerpendiculars(const Sketch& sketch, const Alignment& al, Selection& selection) {
    for (const SketchEntity& e : sketch.entities) {
        const auto* line = std::get_if<SketchLine>(&e.geometry);
        if (line == nullptr) continue;
        const Vec2 d = line->end - line->start;
        const double lengthSq = d.lengthSquared();
        if (!(lengthSq > kDegenerateSegmentLengthSquared)) continue;
        const double t = (al.from - line->start).dot(d) / lengthSq;
        if (!(t >= -kPerpendicularOvershoot && t <= 1 + kPerpendicularOvershoot)) continue;
        const Vec2 foot = line->start + d * t;
        selection.offer({.point = foot,
                         .kind = SnapKind::perpendicular,
                         .entity = e.id,
                         .guideStart = al.from,
                         .guideEnd = foot});
    }
}

void offerParallels(const Sketch& sketch, const Alignment& al, Selection& selection) {
    const double limit =
        std::max(al.unitsPerPixel + al.length * al.sinAlign, kWideLimitPixels * al.unitsPerPixel);
    for (const SketchEntity& e : sketch.entities) {
        const auto* line = std::get_if<SketchLine>(&e.geometry);
        if (line == nullptr) continue;
        const Vec2 d = line->end - line->start;
        if (!(d.lengthSquared() > kDegenerateSegmentLengthSquared)) continue;
        Vec2 u = d / d.length();
        if (!(al.v.angle(u) < kAlignAngle)) {
            if (!(al.v.angle(-u) < kAlignAngle)) continue;
            u = -u;
        }
        const Vec2 p = al.from + u * al.length;
        selection.offer({.point = p,
                         .kind = SnapKind::parallel,
                         .entity = e.id,
                         .guideStart = al.from - u * kGuideHalfLength,
                         .guideEnd = al.from + u * kGuideHalfLength},
                        selection.cursor().distance(p), limit);
    }
}

bool nearAxis(const Vec2& v, const Vec2& axis) {
    return v.angle(axis) < kAlignAngle || v.angle(-axis) < kAlignAngle;
}

void offerAxes(const Alignment& al, double gridStep, Selection& selection) {
    const double w = al.unitsPerPixel;
    const double limit = std::max(w + al.length * al.sinAlign, kAxisBandPixels * w);
    const Vec2& c = selection.cursor();
    const Vec2& l = al.from;
    if (std::abs(al.v.x) < kAxisBandPixels * w || nearAxis(al.v, {1, 0})) {
        selection.offer({.point = {gridRounded(c.x, gridStep), l.y},
                         .kind = SnapKind::horizontal,
                         .guideStart = Vec2{l.x - kGuideHalfLength, l.y},
                         .guideEnd = Vec2{l.x + kGuideHalfLength, l.y}},
                        std::abs(al.v.y), limit);
    }
    if (std::abs(al.v.y) < kAxisBandPixels * w || nearAxis(al.v, {0, 1})) {
        selection.offer({.point = {l.x, gridRounded(c.y, gridStep)},
                         .kind = SnapKind::vertical,
                         .guideStart = Vec2{l.x, l.y - kGuideHalfLength},
                         .guideEnd = Vec2{l.x, l.y + kGuideHalfLength}},
                        std::abs(al.v.x), limit);
    }
}

Vec2 rotated(const Vec2& u, double angle) {
    const double c = std::cos(angle);
    const double s = std::sin(angle);
    return {u.x * c - u.y * s, u.x * s + u.y * c};
}

// The eight 45° directions, then the previous segment's direction turned by each 45° step.
std::vector<Vec2> polarDirections(const std::optional<Vec2>& lastDirection) {
    std::vector<Vec2> directions;
    for (int k = 0; k < 8; ++k) directions.push_back(rotated({1, 0}, k * std::numbers::pi / 4));
    if (lastDirection && lastDirection->lengthSquared() > kDegenerateSegmentLengthSquared) {
        const Vec2 u = lastDirection->normalized();
        for (int k = 0; k < 8; ++k) directions.push_back(rotated(u, k * std::numbers::pi / 4));
    }
    return directions;
}

void offerPolar(const Alignment& al, const std::optional<Vec2>& lastDirection,
                Selection& selection) {
    std::optional<Vec2> best;
    double bestDistance = std::numeric_limits<double>::max();
    Vec2 bestPoint;
    // Both senses of every direction are in the list, so a direction within the angle of v
    // already points the way v does.
    for (const Vec2& u : polarDirections(lastDirection)) {
        if (!(al.v.angle(u) < kAlignAngle)) continue;
        const Vec2 p = al.from + u * al.length;
        const double distance = selection.cursor().distance(p);
        if (distance < bestDistance) {
            best = u;
            bestDistance = distance;
            bestPoint = p;
        }
    }
    if (!best) return;
    const Vec2 direction = (bestPoint - al.from).normalized();
    if (std::abs(direction.x) < kAxisComponent || std::abs(direction.y) < kAxisComponent) return;
    const double w = al.unitsPerPixel;
    selection.offer({.point = bestPoint,
                     .kind = SnapKind::polar,
                     .guideStart = al.from - *best * kGuideHalfLength,
                     .guideEnd = al.from + *best * kGuideHalfLength},
                    bestDistance, std::max(kWideLimitPixels * w, w + al.length * al.sinAlign));
}

void offerAlignment(const Sketch& sketch, const Vec2& lockFrom,
                    const std::optional<Vec2>& lastDirection, double gridStep, double unitsPerPixel,
                    Selection& selection) {
    const Alignment al(lockFrom, selection.cursor(), unitsPerPixel);
    if (!(al.length > kMinLockPixels * unitsPerPixel)) return;
    offerPerpendiculars(sketch, al, selection);
    if (al.length > kAxisBandPixels * unitsPerPixel) offerParallels(sketch, al, selection);
    offerAxes(al, gridStep, selection);
    offerPolar(al, lastDirection, selection);
}

// ---- Decoration ----

OverlayMarkerKind markerFor(SnapKind kind) {
    switch (kind) {
        case SnapKind::endpoint: return OverlayMarkerKind::square;
        case SnapKind::midpoint: return OverlayMarkerKind::triangle;
        case SnapKind::center: return OverlayMarkerKind::circle;
        case SnapKind::onCurve:
        case SnapKind::perpendicular: return OverlayMarkerKind::tick;
        case SnapKind::intersection: return OverlayMarkerKind::diamond;
        case SnapKind::parallel:
        case SnapKind::horizontal:
        case SnapKind::vertical:
        case SnapKind::polar:
        case SnapKind::grid: return OverlayMarkerKind::cross;
    }
    BRONTILE_UNREACHABLE("a snap kind outside the enumeration");
}

bool hasGuide(SnapKind kind) {
    return kind == SnapKind::perpendicular || kind == SnapKind::parallel ||
           kind == SnapKind::horizontal || kind == SnapKind::vertical || kind == SnapKind::polar;
}

void outline(const Sketch& sketch, const std::optional<SketchEntityID>& id, SceneOverlay& overlay) {
    if (!id) return;
    const auto entity = sketch.entity(*id);
    if (!entity) return;
    std::vector<Vec3> points;
    for (const Vec2& p : entity->polyline()) points.push_back(sketch.plane.toWorld(p));
    overlay.addPolyline(points, RGBA::snap.withAlpha(0.95f));
}

}  // namespace

std::optional<SnapHit> snap(const Vec2& cursor, const Sketch& sketch, double worldUnitsPerPixel,
                            std::span<const Vec2> extraPoints, std::optional<Vec2> lockFrom,
                            std::optional<Vec2> lastDirection, double gridStep, bool disable,
                            std::span<const Body> bodies) {
    if (disable || !cursor.isFinite()) return std::nullopt;
    // Written so that NaN falls back to the minimum too.
    const double w =
        worldUnitsPerPixel > kMinUnitsPerPixel ? worldUnitsPerPixel : kMinUnitsPerPixel;
    const double reach = kReachPixels * w;
    Selection selection(cursor, reach);
    for (const Vec2& p : extraPoints) selection.offer({.point = p});
    offerBodies(bodies, sketch.plane, w, selection);
    offerSketch(sketch, reach, selection);
    if (lockFrom && lockFrom->isFinite())
        offerAlignment(sketch, *lockFrom, lastDirection, gridStep, w, selection);
    if (selection.empty() && hasGrid(gridStep)) {
        return SnapHit{.point = {gridRounded(cursor.x, gridStep), gridRounded(cursor.y, gridStep)},
                       .kind = SnapKind::grid};
    }
    return selection.hit();
}

void decorate(const Vec2& cursor, const Sketch& sketch, SceneOverlay& overlay,
              const std::optional<SnapHit>& hit) {
    const bool feature = hit && hit->kind != SnapKind::grid;
    overlay.points.push_back(
        {sketch.plane.toWorld(hit ? hit->point : cursor), feature ? RGBA::snap : kPale,
         hit ? markerFor(hit->kind) : OverlayMarkerKind::cross, sketch.plane.normal()});
    if (!hit) return;
    if (feature) {
        outline(sketch, hit->entityID, overlay);
        outline(sketch, hit->secondEntityID, overlay);
    }
    if (hit->guideStart && hit->guideEnd) {
        const bool guide = hasGuide(hit->kind);
        overlay.lines.push_back({sketch.plane.toWorld(*hit->guideStart),
                                 sketch.plane.toWorld(*hit->guideEnd),
                                 guide ? RGBA::snap.withAlpha(0.7f) : RGBA::snap,
                                 guide ? OverlayLineStyle::dashed : OverlayLineStyle::solid});
    }
}

std::optional<Vec2> segmentIntersection(const Vec2& a1, const Vec2& a2, const Vec2& b1,
                                        const Vec2& b2) {
    const auto point = CurveIntersection::lineLine(a1, a2, b1, b2);
    if (!point) return std::nullopt;
    const auto onSegment = [&](const Vec2& a, const Vec2& b) {
        return point->distance(Vec2::closestPointOnSegment(*point, a, b)) <=
               crossingTolerance(a, b);
    };
    if (!onSegment(a1, a2) || !onSegment(b1, b2)) return std::nullopt;
    return point;
}

}  // namespace brontile::SnapEngine
