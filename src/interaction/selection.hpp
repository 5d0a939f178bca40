// What can be picked in the viewport and what is selected: references to faces, sketch entities
// and their points, the selection every tool reads and writes, and the result of a pick.
#pragma once

#include <functional>
#include <optional>
#include <unordered_set>
#include <variant>

#include "base/hashing.hpp"
#include "base/uuid.hpp"
#include "document/body.hpp"
#include "geometry/solid_mesh.hpp"
#include "geometry/vec3.hpp"
#include "sketch/sketch_constraint.hpp"
#include "sketch/sketch_entity.hpp"
#include "sketch/sketch_param_role.hpp"

namespace brontile {

struct CADDocument;

// One face of one body.
struct FaceRef {
    BodyID body;
    FaceID face;
    friend constexpr bool operator==(const FaceRef&, const FaceRef&) = default;
};

// One entity of one sketch.
struct SketchEntityRef {
    Uuid sketch;
    SketchEntityID entity;
    friend constexpr bool operator==(const SketchEntityRef&, const SketchEntityRef&) = default;
};

// One point of one sketch entity: a line's or an arc's start or end, a circle's or an arc's
// centre.
struct SketchPointRef {
    Uuid sketch;
    SketchEntityID entity;
    SketchParamRole role = SketchParamRole::start;
    friend constexpr bool operator==(const SketchPointRef&, const SketchPointRef&) = default;

    [[nodiscard]] SketchEntityRef entityRef() const { return {sketch, entity}; }
};

}  // namespace brontile

template <>
struct std::hash<brontile::FaceRef> {
    std::size_t operator()(const brontile::FaceRef& r) const noexcept {
        return brontile::hashFields(r.body, r.face);
    }
};

template <>
struct std::hash<brontile::SketchEntityRef> {
    std::size_t operator()(const brontile::SketchEntityRef& r) const noexcept {
        return brontile::hashFields(r.sketch, r.entity);
    }
};

template <>
struct std::hash<brontile::SketchPointRef> {
    std::size_t operator()(const brontile::SketchPointRef& r) const noexcept {
        return brontile::hashFields(r.sketch, r.entity, r.role);
    }
};

namespace brontile {

// Whole bodies, faces, sketch entities, their points and constraints may all be selected at once.
struct Selection {
    std::unordered_set<BodyID> bodies;
    std::unordered_set<FaceRef> faces;
    std::unordered_set<SketchEntityRef> sketchEntities;
    std::unordered_set<SketchPointRef> sketchPoints;
    std::unordered_set<SketchConstraintSel> constraints;

    static const Selection empty;

    friend bool operator==(const Selection&, const Selection&) = default;

    [[nodiscard]] bool isEmpty() const {
        return bodies.empty() && faces.empty() && !hasSketchGeometry() && constraints.empty();
    }
    // Curves or points of some sketch are selected.
    [[nodiscard]] bool hasSketchGeometry() const {
        return !sketchEntities.empty() || !sketchPoints.empty();
    }
    // The entities of `sketch` selected as curves or through one of their points: what
    // constraints are made from and listed for, a point standing for its entity.
    [[nodiscard]] std::unordered_set<SketchEntityID> sketchEntityIDs(const Uuid& sketch) const;
    // The sketch of some selected curve or point, if any.
    [[nodiscard]] std::optional<Uuid> anySketchOfGeometry() const;
    // Selected as a whole body (a body selected only through a face does not count).
    [[nodiscard]] bool contains(const BodyID& body) const { return bodies.contains(body); }
    [[nodiscard]] bool contains(const FaceRef& face) const { return faces.contains(face); }
    // The selected bodies and the bodies of selected faces.
    [[nodiscard]] std::unordered_set<BodyID> involvedBodies() const;
    // Drops every reference the document no longer resolves (visibility does not matter).
    void prune(const CADDocument& document);
};

inline const Selection Selection::empty{};

// What a pick found.
using HitTarget = std::variant<FaceRef, SketchEntityRef, SketchPointRef, SketchConstraintSel>;

// The entity a picked curve or point belongs to; nothing for a face or a constraint.
[[nodiscard]] std::optional<SketchEntityRef> pickedEntity(const HitTarget& target);

struct HitResult {
    HitTarget target;
    // The world-space point that was hit.
    Vec3 point;
    // The key candidates are compared by: the ray parameter for faces, biased nearer for sketch
    // geometry and constraint glyphs.
    double distance = 0;
    friend bool operator==(const HitResult&, const HitResult&) = default;
};

}  // namespace brontile

template <>
struct std::hash<brontile::Selection> {
    // Sets have no order: element hashes are summed.
    std::size_t operator()(const brontile::Selection& s) const noexcept {
        std::size_t seed = 0;
        const auto add = [&](const auto& set, std::size_t salt) {
            std::size_t sum = salt;
            for (const auto& item : set) sum += std::hash<std::decay_t<decltype(item)>>{}(item);
            brontile::hashCombine(seed, sum);
        };
        add(s.bodies, 1);
        add(s.faces, 2);
        add(s.sketchEntities, 3);
        add(s.sketchPoints, 5);
        add(s.constraints, 4);
        return seed;
    }
};

template <>
struct std::hash<brontile::HitResult> {
    std::size_t operator()(const brontile::HitResult& r) const noexcept {
        const std::size_t target = std::visit(
            [](const auto& t) { return std::hash<std::decay_t<decltype(t)>>{}(t); }, r.target);
        return brontile::hashFields(target, r.target.index(), r.point, r.distance);
    }
};
