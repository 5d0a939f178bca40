#include "tools/tool_values.hpp"

#include <cmath>
#include <string>

namespace brontile::ToolValues {
namespace {

// In steps: far below any distance a pointer can tell apart, far above rounding errors.
constexpr double kStepSlack = 1e-9;

}  // namespace

double step(LengthUnit units) { return units == LengthUnit::inches ? 25.4 / 16 : 1.0; }

double roundedDrag(double distance, LengthUnit units, ModifierSet modifiers) {
    if (modifiers.contains(ModifierSet::option)) return distance;
    const double size = step(units);
    // A drag that ends a rounding error short of a whole step has reached it.
    const double steps = distance / size;
    return std::trunc(steps + std::copysign(kStepSlack, steps)) * size;
}

std::optional<double> axisParameter(const Ray& ray, const Vec3& anchor, const Vec3& direction) {
    const auto closest = ray.closestParameters(anchor, direction);
    if (!closest) return std::nullopt;
    return closest->lineT;
}

bool acceptTyped(double value, std::string_view quantity, ModelingContext& context) {
    if (std::isfinite(value)) return true;
    context.refuseValue("The typed " + std::string(quantity) +
                        " is not a finite number; nothing was changed.");
    return false;
}

bool acceptPositive(double value, std::string_view quantity, double smallest,
                    ModelingContext& context) {
    if (!acceptTyped(value, quantity, context)) return false;
    if (value > smallest) return true;
    context.refuseValue("A " + std::string(quantity) + " must be more than 0.");
    return false;
}

}  // namespace brontile::ToolValues
