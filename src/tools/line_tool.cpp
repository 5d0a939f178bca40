#include "tools/line_tool.hpp"

#include "interaction/sketch_auto_constraints.hpp"
#include "tools/tool_values.hpp"

namespace brontile {
namespace {

constexpr double kDegenerateLength = 1e-9;
constexpr double kDegenerateDirectionSquared = 1e-18;
const std::string kStepName = "Sketch Line";

}  // namespace

LineTool::LineTool() : SketchDrawingTool(ToolID::line) {}

void LineTool::clearShape() {
    endChain();
    lastDirection_.reset();
}

void LineTool::endChain() {
    start_.reset();
    chainStart_.reset();
    startHit_.reset();
    firstSegment_.reset();
    lastSegment_.reset();
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
            endChain();
        } else if (!start_) {
            start_ = current_;
            chainStart_ = current_;
            startHit_ = currentHit_;
        } else if ((*current_ - *start_).length() > kDegenerateLength) {
            addSegment(*current_, currentHit_, sketch, context);
        }
    }
    if (const auto latest = activeSketch(context)) updatePreview(*latest, context);
}

void LineTool::addSegment(const Vec2& to, const std::optional<SnapHit>& toHit, const Sketch& sketch,
                          ModelingContext& context) {
    const Vec2 from = *start_;
    const SketchEntity line{SketchEntityID::generate(), SketchLine{from, to}, false};
    const bool closes = chainStart_ && (*chainStart_ - to).length() < kDegenerateLength;
    // A segment deleted meanwhile leaves nothing to join to.
    const auto inSketch = [&](const std::optional<SketchEntityID>& id) {
        return id && sketch.entity(*id) ? id : std::nullopt;
    };
    const SketchAutoConstraints::ChainJoints joints{
        inSketch(lastSegment_), closes ? inSketch(firstSegment_) : std::nullopt};
    commitShape({line}, SketchAutoConstraints::forChainSegment(line.id, joints, startHit_, toHit),
                sketch, kStepName, context);
    lastDirection_ = to - from;
    if (closes) {
        endChain();
        return;
    }
    if (!firstSegment_) firstSegment_ = line.id;
    lastSegment_ = line.id;
    start_ = to;
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
    // No snap placed the typed end: the joins to the chain are all that hold it.
    addSegment(*start_ + direction * value, std::nullopt, *sketch, context);
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
