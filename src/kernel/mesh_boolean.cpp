#include "kernel/mesh_boolean.hpp"

#include <cmath>
#include <optional>
#include <utility>

#include "base/tolerances.hpp"
#include "kernel/kernel_error.hpp"
#include "kernel/mesh_csg_bridge.hpp"
#include "kernel/solid_combine.hpp"

namespace brontile {

SolidMesh meshBoolean(const SolidMesh& a, const SolidMesh& b, BooleanOp op) {
    Progress whole;
    return meshBoolean(a, b, op, whole);
}

SolidMesh meshBoolean(const SolidMesh& a, const SolidMesh& b, BooleanOp op, Progress& progress) {
    csg_detail::WorkPacer pacer(progress);
    pacer.check();
    const csg_detail::Winding windingA = csg_detail::requireSolidOperand(a);
    const csg_detail::Winding windingB = csg_detail::requireSolidOperand(b);
    pacer.check();
    csg_detail::PolygonSoup soup;
    const auto solidA = csg_detail::pooledSolid(soup, a, windingA, pacer);
    const auto solidB = csg_detail::pooledSolid(soup, b, windingB, pacer);
    if (solidA.triangles.empty() || solidB.triangles.empty()) {
        throw KernelError::degenerateResult();
    }
    const auto combined = csg_detail::combineSolids(soup, solidA, solidB, op, pacer);
    std::optional<SolidMesh> result = csg_detail::meshFromPooled(soup, combined, pacer);
    pacer.check();
    if (!result) throw KernelError::openResult();
    if (result->isEmpty() || !(std::abs(result->volume()) > kVolumeTolerance)) {
        throw KernelError::degenerateResult();
    }
    return std::move(*result);
}

}  // namespace brontile
