#include "tools/arc_tool.hpp"

#include <cmath>

#include "tools/tool_values.hpp"

namespace brontile {
namespace {

constexpr double kDegenerate = 1e-9;
// Typed radii at or below this draw nothing.
constexpr double kSmallestTypedRadius = 1e-6;

double angleOf(const Vec2& v) { return std::atan2(v.y, v.x); }

}  // namespace

ArcTool::ArcTool() : SketchDrawingTool(ToolID::arc) {}

void ArcTool::clearShape() {
    start_.reset();
    end_.reset();
}

ArcTool::SnapArguments ArcTool::snapArguments() const {
    SnapArguments arguments;
    arguments.lockFrom = start_;
    return arguments;
}

std::optional<SketchArc> ArcTool::throughPoints(const Vec2& s, const Vec2& e, const Vec2& t) {
    if (!((e - s).length() >= kDegenerate)) return std::nullopt;
    const double d = 2 * ((s.y - e.y) * t.x + (e.y - t.y) * s.x + (t.y - s.y) * e.x);
    if (!(std::abs(d) > kDegenerate)) return std::nullopt;
    const double ss = s.lengthSquared();
    const double ee = e.lengthSquared();
    const double tt = t.lengthSquared();
    const Vec2 c{(ss * (e.y - t.y) + ee * (t.y - s.y) + tt * (s.y - e.y)) / d,
                 (ss * (t.x - e.x) + ee * (s.x - t.x) + tt * (e.x - s.x)) / d};
    const double radius = (s - c).length();
    if (!(radius > kDegenerate) || !std::isfinite(radius)) return std::nullopt;
    // Counter-clockwise from s passes t before e only when s → t → e turns that way.
    const bool clockwise = (t - s).cross(e - t) < 0;
    const Vec2& from = clockwise ? e : s;
    const Vec2& to = clockwise ? s : e;
    return SketchArc{c, radius, angleOf(from - c), angleOf(to - c)};
}

void ArcTool::handle(const PointerEvent& event, const Sketch& sketch, ModelingContext& context) {
    switch (event.phase) {
        case PointerPhase::down:
            if (!start_) {
                start_ = current_;
            } else if (!end_) {
                // A chord without length makes no arc: wait for another end.
                if ((*current_ - *start_).length() >= kDegenerate) end_ = current_;
            } else if (const auto arc = throughPoints(*start_, *end_, *current_)) {
                add(*arc, sketch, context);
            }
            // The first point shows its HUD at once, so Tab can take a value without a move.
            if (hasFirstPoint()) updatePreview(activeSketch(context).value_or(sketch), context);
            return;
        case PointerPhase::up: return;
        case PointerPhase::drag:
        case PointerPhase::move: return updatePreview(sketch, context);
    }
}

void ArcTool::add(const SketchArc& arc, const Sketch& sketch, ModelingContext& context) {
    addShape({arc}, sketch, "Sketch Arc", context);
    reset(context);
}

void ArcTool::hudCommit(double value, ModelingContext& context) {
    if (!start_ || !end_) return;
    const auto sketch = activeSketch(context);
    if (!sketch || !ToolValues::acceptPositive(value, "radius", kSmallestTypedRadius, context)) {
        return;
    }
    const Vec2 chord = *end_ - *start_;
    const double half = chord.length() / 2;
    // Equal start and end angles would make a full circle, never what a chord asks for.
    if (!(half * 2 >= kDegenerate)) return;
    if (half > value) {
        context.refuseValue("An arc through these points needs a radius of at least " +
                            context.formatted(half) + ".");
        return;
    }
    const Vec2 normal = Vec2{-chord.y, chord.x}.normalized();
    // (r − h)(r + h) rather than r² − h², which overflows long before r does.
    const Vec2 center = (*start_ + *end_) / 2 + normal * std::sqrt((value - half) * (value + half));
    add(SketchArc{center, value, angleOf(*start_ - center), angleOf(*end_ - center)}, *sketch,
        context);
}

std::optional<SketchArc> ArcTool::pendingArc() const {
    if (!start_ || !end_ || !current_) return std::nullopt;
    return throughPoints(*start_, *end_, *current_);
}

std::vector<std::vector<Vec2>> ArcTool::previewShape() const {
    if (const auto arc = pendingArc()) {
        return {SketchEntity{SketchEntityID{}, *arc, false}.polyline()};
    }
    if (start_ && current_) return {{*start_, *current_}};
    return {};
}

std::optional<HUDState> ArcTool::hudState(const ModelingContext&) const {
    if (start_ && !end_ && current_) {
        return HUDState{"Chord",      (*current_ - *start_).length(),
                        std::nullopt, false,
                        std::nullopt, HUDQuantity::length};
    }
    if (const auto arc = pendingArc()) {
        return HUDState{"Radius", arc->radius,  std::nullopt,
                        true,     std::nullopt, HUDQuantity::length};
    }
    // With both ends placed and no third point off the chord yet, the smallest radius that spans
    // the chord, so that a radius can be typed at once.
    if (start_ && end_) {
        return HUDState{"Radius",     (*end_ - *start_).length() / 2,
                        std::nullopt, true,
                        std::nullopt, HUDQuantity::length};
    }
    return std::nullopt;
}

}  // namespace brontile
