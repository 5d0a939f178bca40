#include "sketch/sketch_drag.hpp"

#include <algorithm>
#include <array>
#include <cmath>
#include <numbers>

#include "base/identified.hpp"
#include "sketch/constraint_jacobian.hpp"

namespace brontile {
namespace {

using Role = SketchParamRole;

// How much more the dragged element's parameters weigh than the others'.
constexpr double kHeldWeight = 100;
// Steps per pointer position: pulls towards it (each closes a share of the way the constraints'
// curvature allows), then Newton steps that settle onto the constraints.
constexpr int kMaxPulls = 40;
constexpr int kMaxSettles = 8;
// Where the constraints count as holding, as the solver judges it.
constexpr double kHolding = 1e-7;
constexpr double kSettled = 1e-10;
// Added to the diagonal, relative to its largest entry, so that repeated constraints (whose
// rows depend on each other) leave the system solvable.
constexpr double kRelativeShift = 1e-12;
constexpr double kAbsoluteShift = 1e-14;

double largestChange(const std::vector<double>& from, const std::vector<double>& to) {
    double change = 0;
    for (std::size_t j = 0; j < from.size(); ++j)
        change = std::max(change, std::abs(to[j] - from[j]));
    return change;
}

double wrapped(double angle) { return std::remainder(angle, 2 * std::numbers::pi); }

}  // namespace

SketchDrag::SketchDrag(Sketch sketch, DragHandle handle, Vec2 grab)
    : sketch_(std::move(sketch)),
      handle_(handle),
      grab_(grab),
      entityIndex_(indexOfId(sketch_.entities, handle.entity)),
      pack_(VariablePack::pack(sketch_.entities)),
      residuals_(sketch_.constraints, pack_),
      reference_(pack_.values),
      values_(pack_.values),
      freedom_(pack_.values.size(), 1.0),
      rowsOfUnknown_(pack_.values.size()),
      system_(residuals_.rowCount(), [&] {
          std::vector<std::pair<std::size_t, std::size_t>> pattern;
          for (const ResidualTerm& term : residuals_.terms()) {
              const std::size_t width = ConstraintJacobian::columnCount(term, pack_);
              for (std::size_t c = 0; c < width; ++c) {
                  auto& rows = rowsOfUnknown_[ConstraintJacobian::unknownOf(term, pack_, c)];
                  for (std::size_t r = 0; r < term.rowCount; ++r) rows.push_back(term.firstRow + r);
              }
          }
          for (const auto& rows : rowsOfUnknown_) {
              for (const std::size_t a : rows) {
                  for (const std::size_t b : rows) {
                      if (a < b) pattern.emplace_back(a, b);
                  }
              }
          }
          return pattern;
      }()) {
    // An angle weighs as the arc length it sweeps; the handle's parameters weigh most.
    for (const Slot& slot : pack_.slots) {
        if (slot.kind != SlotKind::angle) continue;
        const double radius =
            std::max(pack_.values[pack_.layouts[slot.entityIndex].start + 2], 1e-3);
        freedom_[slot.index] = 1 / (radius * radius);
    }
    if (!entityIndex_) return;
    const EntityLayout& layout = pack_.layouts[*entityIndex_];
    const SketchEntity& entity = sketch_.entities[*entityIndex_];
    std::vector<std::size_t> held;
    if (!handle_.point) {
        for (std::size_t k = 0; k < layout.count; ++k) {
            if (entity.isLine() || k == 2) held.push_back(k);
        }
    } else if (entity.isLine()) {
        const std::size_t at = *handle_.point == Role::end ? 2 : 0;
        held = {at, at + 1};
    } else if (*handle_.point == Role::start || *handle_.point == Role::end) {
        held = {2, std::size_t{*handle_.point == Role::start ? 3u : 4u}};
    } else {
        held = {0, 1};
    }
    for (const std::size_t k : held) {
        freedom_[layout.start + k] /= kHeldWeight * kHeldWeight;
    }
}

std::vector<double> SketchDrag::targetFor(Vec2 pointer, const std::vector<double>& values) const {
    std::vector<double> target = values;
    if (!entityIndex_) return target;
    const EntityLayout& layout = pack_.layouts[*entityIndex_];
    const SketchEntity& entity = sketch_.entities[*entityIndex_];
    double* t = target.data() + layout.start;
    const double* v = values.data() + layout.start;
    const Vec2 centre{v[0], v[1]};
    if (!handle_.point) {
        if (entity.isLine()) {
            const Vec2 along = pointer - grab_;
            const double* s = reference_.data() + layout.start;
            t[0] = s[0] + along.x;
            t[1] = s[1] + along.y;
            t[2] = s[2] + along.x;
            t[3] = s[3] + along.y;
        } else {
            t[2] = std::max((pointer - centre).length(), kMinimumSolvedRadius);
        }
        return target;
    }
    const Role role = *handle_.point;
    if (entity.isLine() || role == Role::center || role == Role::entity) {
        const std::size_t at = entity.isLine() && role == Role::end ? 2 : 0;
        t[at] = pointer.x;
        t[at + 1] = pointer.y;
        return target;
    }
    // An arc's end: the radius and that angle follow the pointer round the centre.
    const Vec2 out = pointer - centre;
    const std::size_t angle = role == Role::start ? 3 : 4;
    t[2] = std::max(out.length(), kMinimumSolvedRadius);
    t[angle] = v[angle] + wrapped(std::atan2(out.y, out.x) - v[angle]);
    return target;
}

std::optional<std::vector<double>> SketchDrag::step(const std::vector<double>& values,
                                                    const std::vector<double>& target) {
    const std::size_t rows = residuals_.rowCount();
    const std::size_t unknowns = values.size();
    // The derivative entries of each unknown, by row.
    std::vector<std::vector<std::pair<std::size_t, double>>> column(unknowns);
    std::vector<double> residual(rows, 0.0);
    std::array<double, 2 * ConstraintJacobian::kMaxTermColumns> local{};
    for (const ResidualTerm& term : residuals_.terms()) {
        ConstraintJacobian::termRowsAt(term, pack_, reference_, values, local.data());
        ConstraintJacobian::termValues(term, pack_, reference_, values,
                                       residual.data() + term.firstRow);
        const std::size_t width = ConstraintJacobian::columnCount(term, pack_);
        for (std::size_t c = 0; c < width; ++c) {
            const std::size_t j = ConstraintJacobian::unknownOf(term, pack_, c);
            for (std::size_t r = 0; r < term.rowCount; ++r) {
                column[j].emplace_back(term.firstRow + r, local[r * width + c]);
            }
        }
    }
    // The step δ = a + D·Jᵀ·μ with a = target − values is the least weighted change from the
    // target for which J·δ = −r: (J·D·Jᵀ)·μ = −r − J·a.
    std::vector<double> rhs(rows);
    for (std::size_t i = 0; i < rows; ++i) rhs[i] = -residual[i];
    system_.clear();
    double largest = 0;
    std::vector<double> diagonal(rows, 0.0);
    for (std::size_t j = 0; j < unknowns; ++j) {
        const double a = target[j] - values[j];
        for (std::size_t p = 0; p < column[j].size(); ++p) {
            const auto [row, v] = column[j][p];
            rhs[row] -= v * a;
            for (std::size_t q = p; q < column[j].size(); ++q) {
                const auto [other, w] = column[j][q];
                if (row == other && p != q) continue;
                system_.add(row, other, v * freedom_[j] * w);
                if (row == other) diagonal[row] += v * freedom_[j] * w;
            }
        }
    }
    for (const double d : diagonal) largest = std::max(largest, d);
    const auto mu = system_.solve(rhs, kRelativeShift * largest + kAbsoluteShift);
    if (!mu) return std::nullopt;
    std::vector<double> next = target;
    for (std::size_t j = 0; j < unknowns; ++j) {
        double pull = 0;
        for (const auto& [row, v] : column[j]) pull += v * (*mu)[row];
        next[j] += freedom_[j] * pull;
    }
    for (const Slot& slot : pack_.slots) {
        if (slot.kind == SlotKind::radius)
            next[slot.index] = std::max(next[slot.index], kMinimumSolvedRadius);
    }
    return next;
}

double SketchDrag::residualNorm(const std::vector<double>& values) const {
    std::vector<double> rows;
    residuals_.evaluate(pack_, values, rows);
    double sum = 0;
    for (const double r : rows) sum += r * r;
    return std::sqrt(sum);
}

bool SketchDrag::moveTo(Vec2 pointer) {
    if (!entityIndex_ || !pointer.isFinite()) return false;
    std::vector<double> x = values_;
    // Towards the pointer: each step re-anchors what is not held where the last step left it,
    // so that only the handle keeps pulling.
    for (int k = 0; k < kMaxPulls; ++k) {
        auto next = step(x, targetFor(pointer, x));
        if (!next) return false;
        const double change = largestChange(x, *next);
        x = std::move(*next);
        if (change < kSettled) break;
    }
    // Then onto the constraints exactly, changing as little as possible from there.
    for (int k = 0; k < kMaxSettles && residualNorm(x) > kSettled; ++k) {
        auto next = step(x, x);
        if (!next) return false;
        x = std::move(*next);
    }
    if (!(residualNorm(x) < kHolding)) return false;
    if (!std::ranges::all_of(x, [](double v) { return std::isfinite(v); })) return false;
    values_ = std::move(x);
    const auto moved = pack_.entitiesFrom(values_);
    for (std::size_t i = 0; i < moved.size(); ++i) sketch_.entities[i].geometry = moved[i].geometry;
    return true;
}

}  // namespace brontile
