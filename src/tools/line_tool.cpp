#include "tools/line_tool.hpp"

#include "interaction/sketch_auto_constraints.hpp"
#include "tools/tool_values.hpp"

namespace brontile {
namespace {

constexpr double kDegenerateLength = 1e-9;
constexpr double kDegenerateDirectionSquared = 1e-18;
const std::string kStepName = "Sketch Line";

// A hit at the end of a segment just drawn, so that the next segment is joined to it.
SnapHit endpointHit(const Vec2& point, std::optional<SketchEntityID> entity) {
    SnapHit hit;
    hit.point = point;
    hit.kind = SnapKind::endpoint;
    hit.entityID = entity;
    hit.paramRole = SketchParamRole::end;
    return hit;
}

}  // namespace

LineTool::LineTool() : SketchDrawingTool(ToolID::line) {}

void LineTool::clearShape() {
    start_.reset();
    chainStart_.reset();
    startHit_.reset();
    lastDirection_.reset();
}

LineTool::SnapArguments LineTool::snapArguments() const {
    SnapArguments arguments;
    if (chainStart_) arguments.extra.push_back(*chainStart_);
    arguments.lockFrom = start_;
    arguments.lastDirection = lastDirection_;
    return arguments;
}

void LineTool::handle(const PointerEvent& event, const Sketch& sketch, ModelingContext& context) {
    if (event.phase == PointerPhase::up) return;
    if (event.phase == PointerPhase::down) {
        if (event.clickCount >= 2) {
            start_.reset();
            chainStart_.reset();
        } else if (!start_) {
            start_ = current_;
            chainStart_ = current_;
            startHit_ = currentHit_;
        } else if ((*current_ - *start_).length() > kDegenerateLength) {
            addSegment(sketch, context);
        }
    }
    if (const auto latest = activeSketch(context)) updatePreview(*latest, context);
}

void LineTool::addSegment(const Sketch& sketch, ModelingContext& context) {
    const Vec2 from = *start_;
    const Vec2 to = *current_;
    const SketchEntity line{SketchEntityID::generate(), SketchLine{from, to}, false};
    commitShape({line}, SketchAutoConstraints::forLine(line.id, from, to, startHit_, currentHit_),
                sketch, kStepName, context);
    lastDirection_ = to - from;
    if (chainStart_ && (*chainStart_ - to).length() < kDegenerateLength) {
        start_.reset();
        chainStart_.reset();
        startHit_.reset();
        return;
    }
    start_ = to;
    startHit_ = currentHit_ ? *currentHit_ : endpointHit(to, line.id);
}

void LineTool::hudCommit(double value, ModelingContext& context) {
    if (!start_ || !current_) return;
    const auto sketch = activeSketch(context);
    if (!sketch || !ToolValues::acceptPositive(value, "length", kDegenerateLength, context)) {
        return;
    }
    const Vec2 along = *current_ - *start_;
    const Vec2 direction =
        along.lengthSquared() <= kDegenerateDirectionSquared ? Vec2{1, 0} : along.normalized();
    const Vec2 end = *start_ + direction * value;
    addShape({SketchLine{*start_, end}}, *sketch, kStepName, context);
    lastDirection_ = end - *start_;
    start_ = end;
    startHit_ = endpointHit(end, std::nullopt);
    if (const auto latest = activeSketch(context)) updatePreview(*latest, context);
}

std::vector<std::vector<Vec2>> LineTool::previewShape() const {
    if (!start_ || !current_) return {};
    return {{*start_, *current_}};
}

std::optional<HUDState> LineTool::hudState(const ModelingContext&) const {
    if (!start_ || !current_) return std::nullopt;
    return HUDState{"Length",     (*current_ - *start_).length(),
                    std::nullopt, true,
                    snapLabel(),  HUDQuantity::length};
}

}  // namespace brontile
