#include "sketch/dense_solve.hpp"

#include <algorithm>
#include <cmath>

namespace brontile {
namespace {

constexpr double kMinimumPivot = 1e-18;

std::optional<std::size_t> pivotRow(const SquareMatrix& a, std::size_t column) {
    std::size_t best = column;
    double bestMagnitude = std::abs(a(column, column));
    for (std::size_t row = column + 1; row < a.size(); ++row) {
        const double magnitude = std::abs(a(row, column));
        if (magnitude > bestMagnitude) {
            best = row;
            bestMagnitude = magnitude;
        }
    }
    if (!(bestMagnitude >= kMinimumPivot)) return std::nullopt;
    return best;
}

// Subtracts multiples of pivot row k from every row below it. Only the pivot row's non-zero
// columns are touched: the rows are banded, so that list is short.
void eliminateBelow(SquareMatrix& a, std::vector<double>& b, std::size_t k,
                    std::vector<std::size_t>& columns) {
    const std::size_t n = a.size();
    columns.clear();
    for (std::size_t j = k + 1; j < n; ++j) {
        if (a(k, j) != 0.0) columns.push_back(j);
    }
    const double pivot = a(k, k);
    for (std::size_t i = k + 1; i < n; ++i) {
        const double factor = a(i, k) / pivot;
        if (factor == 0.0) continue;
        a(i, k) = 0.0;
        for (const std::size_t j : columns) a(i, j) -= factor * a(k, j);
        b[i] -= factor * b[k];
    }
}

std::vector<double> backSubstitute(const SquareMatrix& a, const std::vector<double>& b) {
    const std::size_t n = a.size();
    std::vector<double> x(n, 0.0);
    for (std::size_t k = n; k-- > 0;) {
        double sum = b[k];
        for (std::size_t j = k + 1; j < n; ++j) sum -= a(k, j) * x[j];
        x[k] = sum / a(k, k);
    }
    return x;
}

}  // namespace

void SquareMatrix::swapRows(std::size_t a, std::size_t b) {
    std::swap_ranges(entries_.begin() + static_cast<std::ptrdiff_t>(a * n_),
                     entries_.begin() + static_cast<std::ptrdiff_t>((a + 1) * n_),
                     entries_.begin() + static_cast<std::ptrdiff_t>(b * n_));
}

std::optional<std::vector<double>> DenseSolve::solve(SquareMatrix a, std::vector<double> b) {
    const std::size_t n = a.size();
    if (n == 0 || b.size() != n) return std::nullopt;
    std::vector<std::size_t> columns;
    columns.reserve(n);
    for (std::size_t k = 0; k < n; ++k) {
        const auto pivot = pivotRow(a, k);
        if (!pivot) return std::nullopt;
        if (*pivot != k) {
            a.swapRows(k, *pivot);
            std::swap(b[k], b[*pivot]);
        }
        eliminateBelow(a, b, k, columns);
    }
    return backSubstitute(a, b);
}

}  // namespace brontile
