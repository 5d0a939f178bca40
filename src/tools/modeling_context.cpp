#include "tools/modeling_context.hpp"

#include "geometry/unit_formatter.hpp"

namespace brontile {

std::string ModelingContext::formatted(double valueMM) const {
    return UnitFormatter::string(valueMM, document().units);
}

}  // namespace brontile
