// The staircase sketches the sketch benchmarks share: chains of lines joined by tangent arcs,
// tied by coincidences, horizontals and verticals, equal radii and a few dimensions, as a user
// draws them.
#pragma once

#include <cmath>
#include <numbers>
#include <random>

#include "sketch/sketch.hpp"

namespace brontile::bench {

using Kind = SketchConstraintKind;
using Role = SketchParamRole;

constexpr double kStep = 10;
constexpr double kRadius = 2;

struct ChainBuilder {
    Sketch sketch;
    Vec2 cursor{0, 0};
    bool horizontal = true;

    void constrain(Kind kind, std::vector<SketchGeomRef> refs, std::optional<double> v = {}) {
        sketch.constraints.push_back({SketchConstraintID::generate(), kind, std::move(refs), v});
    }

    // The previous entity's far end meets `ref`.
    void join(const SketchGeomRef& ref, Role previousEnd) {
        if (sketch.entities.size() < 2) return;
        const auto& previous = sketch.entities[sketch.entities.size() - 2];
        constrain(Kind::coincident, {{previous.id, previousEnd}, ref});
    }

    Role addLine(Role previousEnd) {
        const Vec2 end = cursor + (horizontal ? Vec2{kStep, 0} : Vec2{0, kStep});
        const SketchEntity e{SketchEntityID::generate(), SketchLine{cursor, end}, false};
        sketch.entities.push_back(e);
        join({e.id, Role::start}, previousEnd);
        constrain(horizontal ? Kind::horizontal : Kind::vertical, {{e.id, Role::entity}});
        if (sketch.entities.size() % 10 == 1) {
            constrain(Kind::distance, {{e.id, Role::start}, {e.id, Role::end}}, kStep);
        }
        cursor = end;
        return Role::end;
    }

    // A quarter arc turning the chain left (after a horizontal) or right (after a vertical).
    // Arcs run counter-clockwise, so the right turn is traversed from the arc's end to its start.
    Role addArc() {
        constexpr double pi = std::numbers::pi;
        const SketchEntity& line = sketch.entities.back();
        const bool left = horizontal;
        const Vec2 center = cursor + (left ? Vec2{0, kRadius} : Vec2{kRadius, 0});
        const SketchArc arc =
            left ? SketchArc{center, kRadius, -pi / 2, 0} : SketchArc{center, kRadius, pi / 2, pi};
        const SketchEntity e{SketchEntityID::generate(), arc, false};
        const SketchEntityID lineID = line.id;
        sketch.entities.push_back(e);
        const Role near = left ? Role::start : Role::end;
        join({e.id, near}, Role::end);
        constrain(Kind::tangent, {{lineID, Role::entity}, {e.id, Role::center}});
        if (sketch.entities.size() == 2) {
            constrain(Kind::radius, {{e.id, Role::center}}, kRadius);
        } else {
            const auto& previousArc = sketch.entities[sketch.entities.size() - 3];
            constrain(Kind::equalRadius, {{previousArc.id, Role::center}, {e.id, Role::center}});
        }
        cursor = left ? center + Vec2{kRadius, 0} : center + Vec2{0, kRadius};
        horizontal = !horizontal;
        return left ? Role::end : Role::start;
    }
};

inline Sketch staircase(int entityCount) {
    ChainBuilder b;
    b.sketch.id = Uuid::random();
    Role previousEnd = Role::end;
    for (int i = 0; i < entityCount; ++i) {
        previousEnd = i % 2 == 0 ? b.addLine(previousEnd) : b.addArc();
    }
    return b.sketch;
}

inline Sketch perturbed(Sketch sketch) {
    std::mt19937 random(42);
    std::uniform_real_distribution<double> jitter(-0.3, 0.3);
    for (auto& e : sketch.entities) {
        if (auto* l = std::get_if<SketchLine>(&e.geometry)) {
            l->start += {jitter(random), jitter(random)};
            l->end += {jitter(random), jitter(random)};
        } else if (auto* a = std::get_if<SketchArc>(&e.geometry)) {
            a->center += {jitter(random), jitter(random)};
            a->radius += jitter(random) * 0.2;
        }
    }
    return sketch;
}

}  // namespace brontile::bench
