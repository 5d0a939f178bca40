#include "sketch/sparse_echelon.hpp"

#include <algorithm>
#include <cmath>
#include <functional>
#include <queue>

namespace brontile {

SparseEchelon::SparseEchelon(std::size_t columns, double tolerance)
    : tolerance_(tolerance), pivotOfColumn_(columns, 0), scratch_(columns, 0.0) {}

SparseEchelon::Reduced SparseEchelon::reduce(const SparseRow& row, std::vector<double>& dense,
                                             std::vector<std::size_t>& touched,
                                             bool trackOrigins) const {
    Reduced reduced;
    double norm = 0;
    for (const auto& [column, value] : row) norm += value * value;
    norm = std::sqrt(norm);
    if (!(norm > 0) || !std::isfinite(norm)) return reduced;
    // Pivots are taken in the order they were made: a pivot row is zero in the columns of every
    // earlier pivot, so eliminating one only ever brings in later pivots' columns.
    std::priority_queue<std::size_t, std::vector<std::size_t>, std::greater<>> queue;
    const auto touch = [&](std::size_t column) {
        touched.push_back(column);
        if (const std::size_t owner = pivotOfColumn_[column]) queue.push(owner - 1);
    };
    for (const auto& [column, value] : row) {
        if (value == 0) continue;
        if (dense[column] == 0) touch(column);
        dense[column] += value / norm;
    }
    while (!queue.empty()) {
        const std::size_t p = queue.top();
        queue.pop();
        const Pivot& pivot = pivots_[p];
        const double factor = dense[pivot.column];
        // Already eliminated: the same pivot was queued twice.
        if (factor == 0) continue;
        dense[pivot.column] = 0;
        for (const auto& [column, value] : pivot.rest) {
            if (dense[column] == 0) touch(column);
            dense[column] -= factor * value;
        }
        if (trackOrigins) {
            reduced.origins.insert(reduced.origins.end(), pivot.origins.begin(),
                                   pivot.origins.end());
        }
    }
    for (const std::size_t column : touched) {
        reduced.largest = std::max(reduced.largest, std::abs(dense[column]));
    }
    return reduced;
}

bool SparseEchelon::add(const SparseRow& row, std::size_t origin) {
    std::vector<std::size_t> touched;
    Reduced reduced = reduce(row, scratch_, touched, true);
    const bool independent = reduced.largest > tolerance_;
    if (independent) {
        Pivot pivot;
        double best = 0;
        for (const std::size_t column : touched) {
            if (std::abs(scratch_[column]) > best) {
                best = std::abs(scratch_[column]);
                pivot.column = column;
            }
        }
        const double head = scratch_[pivot.column];
        std::ranges::sort(touched);
        touched.erase(std::unique(touched.begin(), touched.end()), touched.end());
        for (const std::size_t column : touched) {
            if (column != pivot.column && scratch_[column] != 0) {
                pivot.rest.emplace_back(column, scratch_[column] / head);
            }
        }
        pivot.origins = std::move(reduced.origins);
        pivot.origins.push_back(origin);
        std::ranges::sort(pivot.origins);
        pivot.origins.erase(std::unique(pivot.origins.begin(), pivot.origins.end()),
                            pivot.origins.end());
        pivotOfColumn_[pivot.column] = pivots_.size() + 1;
        pivots_.push_back(std::move(pivot));
    }
    for (const std::size_t column : touched) scratch_[column] = 0;
    return independent;
}

bool SparseEchelon::spans(const SparseRow& row) const {
    std::vector<std::size_t> touched;
    const Reduced reduced = reduce(row, scratch_, touched, false);
    for (const std::size_t column : touched) scratch_[column] = 0;
    return reduced.largest <= tolerance_;
}

std::vector<std::size_t> SparseEchelon::originsOf(const SparseRow& row) const {
    std::vector<std::size_t> touched;
    Reduced reduced = reduce(row, scratch_, touched, true);
    for (const std::size_t column : touched) scratch_[column] = 0;
    if (reduced.largest > tolerance_) return {};
    std::ranges::sort(reduced.origins);
    reduced.origins.erase(std::unique(reduced.origins.begin(), reduced.origins.end()),
                          reduced.origins.end());
    return reduced.origins;
}

}  // namespace brontile
