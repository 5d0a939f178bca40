// Per-vertex mitre offset of a closed polygon; each corner is handled on its own.
#include "sketch/offset_2d.hpp"

#include <algorithm>
#include <cmath>
#include <cstddef>

namespace brontile::Offset2D {
namespace {

// Below this squared length the two edge normals cancel: the path doubles back.
constexpr double kDoubleBackLengthSquared = 1e-12;
// The lowest cosine of half the turning angle; caps mitres at four times the distance.
constexpr double kMinHalfTurnCosine = 0.25;

Vec2 rightNormal(const Vec2& direction) { return {direction.y, -direction.x}; }

// The first point from `index` on, stepping by `step` round the loop, that differs from it by
// more than the normalisation length. Taking edges to such points keeps zero-length edges from
// giving a corner no direction. The point itself when all others coincide with it.
Vec2 distinctNeighbour(std::span<const Vec2> loop, std::size_t index, std::size_t step) {
    const Vec2& p = loop[index];
    for (std::size_t j = (index + step) % loop.size(); j != index; j = (j + step) % loop.size()) {
        if ((loop[j] - p).length() > kNormalizeEpsilon) return loop[j];
    }
    return p;
}

Vec2 offsetCorner(const Vec2& prev, const Vec2& p, const Vec2& next, double distance) {
    const Vec2 inNormal = rightNormal((p - prev).normalized());
    const Vec2 outNormal = rightNormal((next - p).normalized());
    const Vec2 mitre = inNormal + outNormal;
    if (mitre.lengthSquared() < kDoubleBackLengthSquared) return p + inNormal * distance;
    const Vec2 direction = mitre.normalized();
    const double cosine = std::max(std::abs(inNormal.dot(direction)), kMinHalfTurnCosine);
    return p + direction * distance / cosine;
}

}  // namespace

std::vector<Vec2> offset(std::span<const Vec2> loop, double distance) {
    if (loop.size() < 3 || !std::isfinite(distance)) return {loop.begin(), loop.end()};
    std::vector<Vec2> result;
    result.reserve(loop.size());
    const std::size_t backwards = loop.size() - 1;
    for (std::size_t i = 0; i < loop.size(); ++i) {
        result.push_back(offsetCorner(distinctNeighbour(loop, i, backwards), loop[i],
                                      distinctNeighbour(loop, i, 1), distance));
    }
    return result;
}

}  // namespace brontile::Offset2D
