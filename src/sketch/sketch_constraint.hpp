// Geometric constraints between sketch entities as stored in a sketch: what kind, which points
// of which entities, and the typed value of a dimension.
#pragma once

#include <array>
#include <cstddef>
#include <functional>
#include <optional>
#include <string_view>
#include <vector>

#include "base/hashing.hpp"
#include "base/raw_value_enum.hpp"
#include "base/uuid.hpp"
#include "geometry/vec2.hpp"
#include "sketch/sketch_entity.hpp"
#include "sketch/sketch_param_role.hpp"

namespace brontile {

using SketchConstraintID = Identifier<struct SketchConstraintIDTag>;

// One point (or the whole) of one entity.
struct SketchGeomRef {
    SketchEntityID entity;
    SketchParamRole role = SketchParamRole::entity;
    friend constexpr bool operator==(const SketchGeomRef&, const SketchGeomRef&) = default;
};

// One constraint of one sketch, as held in a selection.
struct SketchConstraintSel {
    Uuid sketch;
    SketchConstraintID constraint;
    friend constexpr bool operator==(const SketchConstraintSel&,
                                     const SketchConstraintSel&) = default;
};

enum class SketchConstraintKind {
    coincident,
    horizontal,
    vertical,
    parallel,
    perpendicular,
    equalLength,
    equalRadius,
    midpoint,
    tangent,
    distance,
    radius,
    // Holds one point where it stands.
    fix,
};

template <>
struct RawValueCases<SketchConstraintKind> {
    using K = SketchConstraintKind;
    static constexpr std::array<RawValueCase<K>, 12> cases{{
        {K::coincident, "coincident"},
        {K::horizontal, "horizontal"},
        {K::vertical, "vertical"},
        {K::parallel, "parallel"},
        {K::perpendicular, "perpendicular"},
        {K::equalLength, "equalLength"},
        {K::equalRadius, "equalRadius"},
        {K::midpoint, "midpoint"},
        {K::tangent, "tangent"},
        {K::distance, "distance"},
        {K::radius, "radius"},
        {K::fix, "fix"},
    }};
};

// "Coincident", "Equal length", … as the interface names the kind.
[[nodiscard]] std::string_view displayName(SketchConstraintKind kind);
// The symbol drawn beside a constraint, UTF-8 ("●", "H", "∥", "⟂", …).
[[nodiscard]] std::string_view glyph(SketchConstraintKind kind);

struct SketchConstraint {
    SketchConstraintID id;
    SketchConstraintKind kind = SketchConstraintKind::coincident;
    // Referenced points in the order each kind fixes.
    std::vector<SketchGeomRef> refs;
    // Millimetres; present only for distance and radius.
    std::optional<double> value;
    // Where a fix holds its point, in sketch coordinates; present only for fix.
    std::optional<Vec2> position = std::nullopt;

    friend bool operator==(const SketchConstraint&, const SketchConstraint&) = default;

    [[nodiscard]] bool isDimension() const {
        return kind == SketchConstraintKind::distance || kind == SketchConstraintKind::radius;
    }
    [[nodiscard]] bool involves(const SketchEntityID& entity) const;
};

}  // namespace brontile

template <>
struct std::hash<brontile::SketchGeomRef> {
    std::size_t operator()(const brontile::SketchGeomRef& ref) const noexcept {
        return brontile::hashFields(ref.entity, ref.role);
    }
};

template <>
struct std::hash<brontile::SketchConstraintSel> {
    std::size_t operator()(const brontile::SketchConstraintSel& sel) const noexcept {
        return brontile::hashFields(sel.sketch, sel.constraint);
    }
};

template <>
struct std::hash<brontile::SketchConstraint> {
    std::size_t operator()(const brontile::SketchConstraint& c) const noexcept {
        std::size_t seed = brontile::hashFields(c.id, c.kind);
        for (const auto& ref : c.refs) {
            brontile::hashCombine(seed, std::hash<brontile::SketchGeomRef>{}(ref));
        }
        brontile::hashCombine(seed, c.value ? brontile::hashDouble(*c.value) : 0x5EEDu);
        if (c.position) {
            brontile::hashCombine(seed, brontile::hashDouble(c.position->x));
            brontile::hashCombine(seed, brontile::hashDouble(c.position->y));
        }
        return seed;
    }
};
