// Sparse rows brought one at a time into echelon form, to tell which rows (and which directions)
// lie in the span of the rows seen so far. Each row is reduced against the pivots in the order
// they were made; a row left with nothing above the tolerance adds nothing to the rank.
#pragma once

#include <cstddef>
#include <span>
#include <utility>
#include <vector>

namespace brontile {

// Column and value pairs, any order, each column at most once.
using SparseRow = std::vector<std::pair<std::size_t, double>>;

class SparseEchelon {
public:
    // Rows are judged after scaling to unit length: a reduced row whose largest entry is at most
    // `tolerance` lies in the span.
    SparseEchelon(std::size_t columns, double tolerance);

    // Adds the row, tagged with who it came from. True when it raised the rank.
    bool add(const SparseRow& row, std::size_t origin);
    // Whether the row lies in the span of the rows added, without adding it.
    [[nodiscard]] bool spans(const SparseRow& row) const;
    // The origins of the pivot rows the row was reduced with, a superset of the rows needed to
    // make it, sorted; nothing when it is not in the span.
    [[nodiscard]] std::vector<std::size_t> originsOf(const SparseRow& row) const;

    [[nodiscard]] std::size_t rank() const { return pivots_.size(); }
    [[nodiscard]] std::size_t columns() const { return pivotOfColumn_.size(); }

private:
    struct Pivot {
        std::size_t column = 0;
        // Without the pivot column itself, divided by the pivot entry.
        SparseRow rest;
        std::vector<std::size_t> origins;
    };
    struct Reduced {
        double largest = 0;
        std::vector<std::size_t> origins;
    };

    // The row reduced against every pivot, in a dense scratch vector; the columns it touches are
    // listed in `touched`.
    Reduced reduce(const SparseRow& row, std::vector<double>& dense,
                   std::vector<std::size_t>& touched, bool trackOrigins) const;

    double tolerance_;
    std::vector<Pivot> pivots_;
    // For each column, 1 + the index of the pivot that owns it, or 0.
    std::vector<std::size_t> pivotOfColumn_;
    mutable std::vector<double> scratch_;
};

}  // namespace brontile
