// The unknowns of one sketch for the constraint solver: every geometric parameter of every entity,
// laid out entity by entity in one vector, and the way back from values to geometry.
#pragma once

#include <cstddef>
#include <span>
#include <vector>

#include "sketch/sketch_entity.hpp"

namespace brontile {

enum class SlotKind { coordinate, radius, angle };

struct Slot {
    std::size_t entityIndex = 0;
    std::size_t index = 0;
    SlotKind kind = SlotKind::coordinate;
    friend constexpr bool operator==(const Slot&, const Slot&) = default;
};

// Where one entity's unknowns lie in the value vector.
struct EntityLayout {
    std::size_t entityIndex = 0;
    std::size_t start = 0;
    std::size_t count = 0;
    friend constexpr bool operator==(const EntityLayout&, const EntityLayout&) = default;
};

// Rebuilt radii never drop below this, so circles and arcs keep a direction for their points.
inline constexpr double kMinimumSolvedRadius = 1e-6;

struct VariablePack {
    // The sketch's entities at packing time.
    std::vector<SketchEntity> entities;
    std::vector<double> values;
    std::vector<Slot> slots;
    std::vector<EntityLayout> layouts;

    // A line packs x1, y1, x2, y2; a circle cx, cy, r; an arc cx, cy, r, startAngle, endAngle.
    // Nothing is held fixed, construction entities included.
    [[nodiscard]] static VariablePack pack(std::span<const SketchEntity> entities);

    // Entity `entityIndex` rebuilt from the value vector `state`, radius raised to at least
    // kMinimumSolvedRadius; its id and construction flag are kept.
    [[nodiscard]] SketchEntity entity(std::size_t entityIndex, std::span<const double> state) const;
    // Every entity rebuilt from `state`.
    [[nodiscard]] std::vector<SketchEntity> entitiesFrom(std::span<const double> state) const;
};

}  // namespace brontile
