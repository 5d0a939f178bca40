// Symmetric positive definite systems with a fixed sparse pattern, solved many times over with
// new values: the unknowns are renumbered once (reverse Cuthill–McKee, which keeps the chained
// shapes sketches are made of in a narrow band), then each solve factors LDLᵀ in profile storage,
// where the work grows with the band's width squared rather than the size cubed.
#pragma once

#include <cstddef>
#include <optional>
#include <utility>
#include <vector>

namespace brontile {

class SkylineLdlt {
public:
    // `pattern` lists the pairs that may be nonzero off the diagonal, either way round; the
    // diagonal always is.
    SkylineLdlt(std::size_t size, const std::vector<std::pair<std::size_t, std::size_t>>& pattern);

    [[nodiscard]] std::size_t size() const { return size_; }
    // Sets every value to zero, keeping the pattern.
    void clear();
    // Adds to the entry (i, k) and its mirror, which must be in the pattern or on the diagonal.
    void add(std::size_t i, std::size_t k, double value);
    // Solves (A + shift·I)·x = b; nothing when a pivot is not positive or not finite.
    [[nodiscard]] std::optional<std::vector<double>> solve(const std::vector<double>& b,
                                                           double shift);

private:
    [[nodiscard]] double& at(std::size_t row, std::size_t column);

    std::size_t size_ = 0;
    // Old index to new and back.
    std::vector<std::size_t> order_;
    std::vector<std::size_t> original_;
    // Row r holds columns first_[r] … r, from values_[start_[r]].
    std::vector<std::size_t> first_;
    std::vector<std::size_t> start_;
    std::vector<double> values_;
    std::vector<double> factored_;
};

}  // namespace brontile
