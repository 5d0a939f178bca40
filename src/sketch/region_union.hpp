// Several regions of one sketch taken as one: where two share a boundary it disappears, so that
// picked neighbours extrude or revolve as one solid.
#pragma once

#include <span>
#include <vector>

#include "sketch/profile.hpp"

namespace brontile {

// The regions the given ones make together, each with its holes; the entities of all of them go
// with every result. The regions must come from one sketch's regions (Arrangement::regions),
// whose shared boundaries run through exactly the same points.
[[nodiscard]] std::vector<Profile> unitedRegions(std::span<const Profile> regions);

}  // namespace brontile
