#include "kernel/mesh_boolean.hpp"

#include <cmath>

#include "base/tolerances.hpp"
#include "kernel/csg.hpp"
#include "kernel/kernel_error.hpp"
#include "kernel/mesh_csg_bridge.hpp"

namespace brontile {

SolidMesh meshBoolean(const SolidMesh& a, const SolidMesh& b, BooleanOp op) {
    const csg_detail::Winding windingA = csg_detail::requireSolidOperand(a);
    const csg_detail::Winding windingB = csg_detail::requireSolidOperand(b);
    csg_detail::PolygonSoup soup;
    auto polygonsA = csg_detail::pooledPolygons(soup, a, windingA);
    auto polygonsB = csg_detail::pooledPolygons(soup, b, windingB);
    if (polygonsA.empty() || polygonsB.empty()) throw KernelError::degenerateResult();
    const auto combined = csg_detail::combine(soup, std::move(polygonsA), std::move(polygonsB), op);
    SolidMesh result = csg_detail::meshFromPooled(soup, combined);
    if (result.isEmpty() || !(std::abs(result.volume()) > kVolumeTolerance)) {
        throw KernelError::degenerateResult();
    }
    return result;
}

}  // namespace brontile
