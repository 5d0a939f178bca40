#include "tools/trim_tool.hpp"

#include <algorithm>
#include <cmath>
#include <limits>
#include <unordered_set>

#include "tools/sketch_support.hpp"

namespace brontile {
namespace {

// A click farther than this many view points from every curve trims nothing.
constexpr double kReachPixels = 8;
constexpr double kParallelCross = 1e-12;
// Crossings this close to an end only touch the line.
constexpr double kEndParameter = 0.0001;
constexpr double kShortestPiece = 1e-6;

}  // namespace

TrimTool::TrimTool() : ModelingTool(ToolID::trim) {}

void TrimTool::activate(ModelingContext& context) {
    static_cast<void>(SketchSupport::ensureActiveSketch(context));
}

std::vector<double> TrimTool::splitParameters(const SketchLine& line,
                                              const std::vector<SketchLine>& others) {
    const Vec2 d = line.end - line.start;
    std::vector<double> parameters{0, 1};
    for (const SketchLine& other : others) {
        const Vec2 e = other.end - other.start;
        const double cross = d.cross(e);
        if (!(std::abs(cross) > kParallelCross)) continue;
        const Vec2 w = other.start - line.start;
        const double s = w.cross(e) / cross;
        const double u = w.cross(d) / cross;
        if (s >= 0 && s <= 1 && u >= 0 && u <= 1 && s > kEndParameter && s < 1 - kEndParameter) {
            parameters.push_back(s);
        }
    }
    std::ranges::sort(parameters);
    return parameters;
}

void TrimTool::pointer(const PointerEvent& event, ModelingContext& context) {
    if (event.phase != PointerPhase::down) return;
    const auto& sketchID = context.activeSketchID();
    if (!sketchID) return;
    const auto sketch = context.document().sketch(*sketchID);
    if (!sketch) return;
    const auto p = SketchSupport::pointOnPlane(event.ray, sketch->plane);
    if (!p) return;
    const SketchEntity* nearest = nullptr;
    double nearestDistance = std::numeric_limits<double>::infinity();
    for (const SketchEntity& entity : sketch->entities) {
        const double distance = entity.distance(*p);
        if (distance < nearestDistance) {
            nearest = &entity;
            nearestDistance = distance;
        }
    }
    if (nearest == nullptr || !(nearestDistance <= kReachPixels * context.worldUnitsPerPixel())) {
        return;
    }
    const SketchEntityID target = nearest->id;
    std::vector<SketchEntity> pieces;
    if (const auto* line = std::get_if<SketchLine>(&nearest->geometry)) {
        std::vector<SketchLine> others;
        for (const SketchEntity& entity : sketch->entities) {
            const auto* other = std::get_if<SketchLine>(&entity.geometry);
            if (other != nullptr && entity.id != target) others.push_back(*other);
        }
        const std::vector<double> splits = splitParameters(*line, others);
        if (splits.size() > 2) {
            const Vec2 d = line->end - line->start;
            const double lengthSquared = d.lengthSquared();
            const double t = lengthSquared <= kParallelCross
                                 ? 0
                                 : std::clamp((*p - line->start).dot(d) / lengthSquared, 0.0, 1.0);
            const auto upper = std::ranges::upper_bound(splits, t);
            const std::size_t b = std::min<std::size_t>(
                static_cast<std::size_t>(upper - splits.begin()), splits.size() - 1);
            const double low = splits[b - 1];
            const double high = splits[b];
            for (const SketchLine& piece : {SketchLine{line->start, line->start + d * low},
                                            SketchLine{line->start + d * high, line->end}}) {
                if ((piece.end - piece.start).length() > kShortestPiece) {
                    pieces.push_back({SketchEntityID::generate(), piece, nearest->isConstruction});
                }
            }
        }
    }
    // The curve goes with every constraint that names it, as a deletion does.
    context.mutate("Trim", [&](CADDocument& document) {
        const auto index = document.sketchIndex(*sketchID);
        if (!index) return;
        Sketch& edited = document.sketches[*index];
        std::erase_if(edited.entities, [&](const SketchEntity& e) { return e.id == target; });
        edited.dropConstraintsForDeletedEntities({target});
        edited.entities.insert(edited.entities.end(), pieces.begin(), pieces.end());
    });
}

}  // namespace brontile
