// Exact derivatives of each constraint's residual rows over the unknowns its entities own. The
// solver's own step keeps its difference quotients; the freedom analysis and dragging need
// derivatives whose zeros are exact zeros, and want them without n extra evaluations.
#pragma once

#include <cstddef>
#include <span>

#include "sketch/constraint_residuals.hpp"
#include "sketch/variable_pack.hpp"

namespace brontile::ConstraintJacobian {

// The most local columns a term has: two arcs of five unknowns each.
inline constexpr std::size_t kMaxTermColumns = 10;

// The term's local columns: the first entity's unknowns in pack order, then the second's when the
// term reads two distinct entities.
[[nodiscard]] std::size_t columnCount(const ResidualTerm& term, const VariablePack& pack);
// The pack index of local column `column`.
[[nodiscard]] std::size_t unknownOf(const ResidualTerm& term, const VariablePack& pack,
                                    std::size_t column);

// Writes ∂row/∂unknown for each of the term's rows at `values`: out[row * columnCount + column],
// everything else zero. Where a residual has a kink (an absolute value at zero, a line too short
// to have a direction) the derivative of the side the residual evaluates is taken, or zero.
//
// A tangent whose curves share a point at `values` is differentiated in an angle form that holds
// at the same places: its distance form has no first-order change along the shared point.
void termRows(const ResidualTerm& term, const VariablePack& pack, std::span<const double> values,
              double* out);

// The same, the form chosen at `reference` as termValues chooses it.
void termRowsAt(const ResidualTerm& term, const VariablePack& pack,
                std::span<const double> reference, std::span<const double> values, double* out);

// The term's rows at `values` in the form termRows differentiates, that form chosen at
// `reference` (the state the rows were taken at), so that a step and its rows agree.
void termValues(const ResidualTerm& term, const VariablePack& pack,
                std::span<const double> reference, std::span<const double> values, double* out);

}  // namespace brontile::ConstraintJacobian
