// Gaussian elimination with partial pivoting for the solver's small square systems.
#pragma once

#include <algorithm>
#include <cstddef>
#include <optional>
#include <vector>

namespace brontile {

// A square matrix stored row by row.
class SquareMatrix {
public:
    explicit SquareMatrix(std::size_t n = 0) : n_(n), entries_(n * n, 0.0) {}

    [[nodiscard]] std::size_t size() const { return n_; }
    [[nodiscard]] double& operator()(std::size_t row, std::size_t column) {
        return entries_[row * n_ + column];
    }
    [[nodiscard]] double operator()(std::size_t row, std::size_t column) const {
        return entries_[row * n_ + column];
    }
    // Every entry back to zero, keeping the storage.
    void clear() { std::fill(entries_.begin(), entries_.end(), 0.0); }
    void swapRows(std::size_t a, std::size_t b);

private:
    std::size_t n_;
    std::vector<double> entries_;
};

namespace DenseSolve {

// The x with A·x = b, or nothing when A is empty, b does not have one entry per row, or a
// column's largest remaining pivot is below 1e-18 in magnitude (NaN counts as below). Pivoting
// takes the largest magnitude at or below the diagonal, the first such row on ties. Products
// with an exact zero are skipped, which leaves every result as the full elimination gives it
// and makes the solver's mostly-banded systems cheap.
[[nodiscard]] std::optional<std::vector<double>> solve(SquareMatrix a, std::vector<double> b);

}  // namespace DenseSolve
}  // namespace brontile
