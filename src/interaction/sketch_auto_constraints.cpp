#include "interaction/sketch_auto_constraints.hpp"

#include <algorithm>
#include <cstddef>

namespace brontile::SketchAutoConstraints {
namespace {

using Kind = SketchConstraintKind;
using Role = SketchParamRole;

SketchConstraint fresh(Kind kind, std::vector<SketchGeomRef> refs) {
    return {SketchConstraintID::generate(), kind, std::move(refs), std::nullopt};
}

SketchConstraint whole(Kind kind, const SketchEntityID& line) {
    return fresh(kind, {{line, Role::entity}});
}

// Only a snap onto another entity's start or end joins points; midpoints, centres, curves,
// crossings, body vertices and circle quadrants carry no point to share.
void appendCoincident(std::vector<SketchConstraint>& out, const std::optional<SnapHit>& hit,
                      const SketchEntityID& entity, Role role) {
    if (!hit || hit->kind != SnapKind::endpoint || !hit->entityID || !hit->paramRole) return;
    if (*hit->entityID == entity) return;
    out.push_back(fresh(Kind::coincident, {{entity, role}, {*hit->entityID, *hit->paramRole}}));
}

// A coincidence of a and b, unless one joining them, either way round, is there already.
void appendJoint(std::vector<SketchConstraint>& out, const SketchGeomRef& a,
                 const SketchGeomRef& b) {
    const bool there = std::ranges::any_of(out, [&](const SketchConstraint& c) {
        return c.kind == Kind::coincident && c.refs.size() == 2 &&
               ((c.refs[0] == a && c.refs[1] == b) || (c.refs[0] == b && c.refs[1] == a));
    });
    if (!there) out.push_back(fresh(Kind::coincident, {a, b}));
}

std::vector<SketchConstraint> lineConstraints(const SketchEntityID& id,
                                              const std::optional<SnapHit>& fromHit,
                                              const std::optional<SnapHit>& toHit) {
    std::vector<SketchConstraint> result;
    if (toHit && toHit->kind == SnapKind::horizontal) {
        result.push_back(whole(Kind::horizontal, id));
    } else if (toHit && toHit->kind == SnapKind::vertical) {
        result.push_back(whole(Kind::vertical, id));
    }
    appendCoincident(result, fromHit, id, Role::start);
    appendCoincident(result, toHit, id, Role::end);
    return result;
}

// Each edge's end on the next edge's start, the last edge closing on the first.
void appendCorners(std::vector<SketchConstraint>& out, std::span<const SketchEntityID> ids) {
    for (std::size_t i = 0; i < ids.size(); ++i) {
        const SketchEntityID& next = ids[(i + 1) % ids.size()];
        out.push_back(fresh(Kind::coincident, {{ids[i], Role::end}, {next, Role::start}}));
    }
}

}  // namespace

std::vector<SketchConstraint> forLine(const SketchEntityID& id, [[maybe_unused]] const Vec2& from,
                                      [[maybe_unused]] const Vec2& to,
                                      const std::optional<SnapHit>& fromHit,
                                      const std::optional<SnapHit>& toHit) {
    return lineConstraints(id, fromHit, toHit);
}

// The start already lies on the previous segment's end, which took its own snap: a coincidence
// from the start's snap as well would only say the same again.
std::vector<SketchConstraint> forChainSegment(const SketchEntityID& id, const ChainJoints& joints,
                                              const std::optional<SnapHit>& fromHit,
                                              const std::optional<SnapHit>& toHit) {
    std::vector<SketchConstraint> result =
        lineConstraints(id, joints.previous ? std::nullopt : fromHit, toHit);
    if (joints.previous) appendJoint(result, {*joints.previous, Role::end}, {id, Role::start});
    if (joints.closesOn) appendJoint(result, {id, Role::end}, {*joints.closesOn, Role::start});
    return result;
}

std::vector<SketchConstraint> forRectangle(std::span<const SketchEntityID> ids) {
    if (ids.size() != 4) return {};
    std::vector<SketchConstraint> result;
    for (std::size_t i = 0; i < ids.size(); ++i) {
        result.push_back(whole(i % 2 == 0 ? Kind::horizontal : Kind::vertical, ids[i]));
    }
    appendCorners(result, ids);
    return result;
}

std::vector<SketchConstraint> forPolygon(std::span<const SketchEntityID> ids) {
    if (ids.size() < 3) return {};
    std::vector<SketchConstraint> result;
    appendCorners(result, ids);
    return result;
}

}  // namespace brontile::SketchAutoConstraints
