#include "sketch/sketch_constraint.hpp"

#include <algorithm>

namespace brontile {
namespace {

struct KindText {
    std::string_view displayName;
    std::string_view glyph;
};

// Indexed by the kind's declaration order.
constexpr std::array<KindText, 12> kKindTexts{{
    {"Coincident", "\u25CF"},
    {"Horizontal", "H"},
    {"Vertical", "V"},
    {"Parallel", "\u2225"},
    {"Perpendicular", "\u27C2"},
    {"Equal length", "="},
    {"Equal radius", "="},
    {"Midpoint", "M"},
    {"Tangent", "\u2299"},
    {"Distance", "\u2194"},
    {"Radius", "\u2300"},
    {"Fix", "\u2693"},
}};

const KindText& textOf(SketchConstraintKind kind) {
    return kKindTexts[static_cast<std::size_t>(kind) % kKindTexts.size()];
}

}  // namespace

std::string_view displayName(SketchConstraintKind kind) { return textOf(kind).displayName; }

std::string_view glyph(SketchConstraintKind kind) { return textOf(kind).glyph; }

bool SketchConstraint::involves(const SketchEntityID& entity) const {
    return std::any_of(refs.begin(), refs.end(),
                       [&](const SketchGeomRef& ref) { return ref.entity == entity; });
}

}  // namespace brontile
