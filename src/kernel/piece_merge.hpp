// Joins the kept pieces of one cut triangle back into whole polygons. Cutting along every plane
// of the other operand's band shreds a large triangle into slivers, most of which end up kept
// side by side; their shared edges and the points the cuts left along straight runs only add
// triangles to every later operation.
#pragma once

#include <optional>
#include <span>
#include <vector>

#include "kernel/polygon_soup.hpp"

namespace brontile::csg_detail {

// The outlines of the region the kept pieces cover (kept[i] for pieces[i]; all pieces lie in one
// plane, facing `normal`), without points where an outline runs straight on, each loop wound
// as the pieces are. Nothing when the region has a hole or an outline touches itself: the
// pieces are then best kept as they are.
[[nodiscard]] std::optional<std::vector<std::vector<Vec3>>> mergedOutlines(
    const PolygonSoup& soup, std::span<const SoupPolygon> pieces, const std::vector<bool>& kept,
    const Vec3& normal);

}  // namespace brontile::csg_detail
