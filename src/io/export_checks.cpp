#include "io/export_checks.hpp"

#include <algorithm>
#include <cmath>
#include <limits>

#include "io/interchange_format.hpp"

namespace brontile::ExportChecks {

std::vector<const Body*> visibleBodies(const CADDocument& document) {
    std::vector<const Body*> bodies;
    for (const Body& body : document.bodies) {
        if (body.isVisible) bodies.push_back(&body);
    }
    if (bodies.empty()) throw InterchangeError::nothingToExport();
    return bodies;
}

// A NaN or infinite coordinate would make a file other programs reject; refuse it here rather
// than write it.
void requireFiniteVertices(const Body& body) {
    const auto& vertices = body.mesh.vertices();
    if (!std::ranges::all_of(vertices, [](const Vec3& v) { return v.isFinite(); })) {
        throw InterchangeError::nonFiniteVertex(body.name);
    }
}

// Checked before any narrowing, since converting a double beyond the float range is undefined.
void requireWithin(const Body& body, double limit, InterchangeFormat format) {
    const auto fits = [limit](const Vec3& v) {
        return std::abs(v.x) <= limit && std::abs(v.y) <= limit && std::abs(v.z) <= limit;
    };
    if (!std::ranges::all_of(body.mesh.vertices(), fits)) {
        throw InterchangeError::outOfRange(body.name, format);
    }
}

static_assert(kFloatLimit == std::numeric_limits<float>::max());

}  // namespace brontile::ExportChecks
