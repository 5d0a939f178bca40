#include "interaction/snap_hit.hpp"

#include <cstddef>

namespace brontile {
namespace {

// Indexed by the kind's declaration order.
constexpr std::array<std::string_view, 11> kDisplayNames{
    "Endpoint", "Midpoint",   "Center",   "On curve", "Intersection", "Perpendicular",
    "Parallel", "Horizontal", "Vertical", "Angle",    "Grid",
};

}  // namespace

std::string_view displayName(SnapKind kind) {
    return kDisplayNames[static_cast<std::size_t>(kind) % kDisplayNames.size()];
}

std::string SnapHit::displayLabel() const {
    return label ? *label : std::string(displayName(kind));
}

}  // namespace brontile
