#include "sketch/skyline_ldlt.hpp"

#include <algorithm>
#include <cmath>
#include <deque>

namespace brontile {
namespace {

using Graph = std::vector<std::vector<std::size_t>>;

Graph graphOf(std::size_t size, const std::vector<std::pair<std::size_t, std::size_t>>& pattern) {
    Graph graph(size);
    for (const auto& [a, b] : pattern) {
        if (a == b || a >= size || b >= size) continue;
        graph[a].push_back(b);
        graph[b].push_back(a);
    }
    for (auto& neighbours : graph) {
        std::ranges::sort(neighbours);
        neighbours.erase(std::unique(neighbours.begin(), neighbours.end()), neighbours.end());
    }
    return graph;
}

// Reverse Cuthill–McKee: breadth first from a least-connected node of each piece, neighbours
// taken fewest connections first, the whole order reversed. Returns the new position of each.
std::vector<std::size_t> bandOrder(const Graph& graph) {
    const std::size_t size = graph.size();
    std::vector<std::size_t> byDegree(size);
    for (std::size_t i = 0; i < size; ++i) byDegree[i] = i;
    std::ranges::stable_sort(
        byDegree, [&](std::size_t a, std::size_t b) { return graph[a].size() < graph[b].size(); });
    std::vector<bool> seen(size, false);
    std::vector<std::size_t> visit;
    visit.reserve(size);
    for (const std::size_t root : byDegree) {
        if (seen[root]) continue;
        seen[root] = true;
        std::deque<std::size_t> queue{root};
        while (!queue.empty()) {
            const std::size_t node = queue.front();
            queue.pop_front();
            visit.push_back(node);
            std::vector<std::size_t> next;
            for (const std::size_t n : graph[node]) {
                if (!seen[n]) {
                    seen[n] = true;
                    next.push_back(n);
                }
            }
            std::ranges::stable_sort(next, [&](std::size_t a, std::size_t b) {
                return graph[a].size() < graph[b].size();
            });
            queue.insert(queue.end(), next.begin(), next.end());
        }
    }
    std::vector<std::size_t> order(size);
    for (std::size_t k = 0; k < size; ++k) order[visit[size - 1 - k]] = k;
    return order;
}

}  // namespace

SkylineLdlt::SkylineLdlt(std::size_t size,
                         const std::vector<std::pair<std::size_t, std::size_t>>& pattern)
    : size_(size), first_(size), start_(size + 1, 0) {
    const Graph graph = graphOf(size, pattern);
    order_ = bandOrder(graph);
    original_.resize(size);
    for (std::size_t i = 0; i < size; ++i) original_[order_[i]] = i;
    for (std::size_t row = 0; row < size; ++row) {
        std::size_t first = row;
        for (const std::size_t n : graph[original_[row]]) first = std::min(first, order_[n]);
        first_[row] = first;
        start_[row + 1] = start_[row] + (row - first + 1);
    }
    values_.assign(start_[size], 0.0);
}

void SkylineLdlt::clear() { std::ranges::fill(values_, 0.0); }

double& SkylineLdlt::at(std::size_t row, std::size_t column) {
    return values_[start_[row] + (column - first_[row])];
}

void SkylineLdlt::add(std::size_t i, std::size_t k, double value) {
    std::size_t row = order_[i];
    std::size_t column = order_[k];
    if (row < column) std::swap(row, column);
    at(row, column) += value;
}

std::optional<std::vector<double>> SkylineLdlt::solve(const std::vector<double>& b, double shift) {
    factored_ = values_;
    // L below the diagonal, D on it, row by row: l(i,j) = (a(i,j) − Σ l(i,k)·d(k)·l(j,k)) / d(j).
    const auto entry = [&](std::size_t row, std::size_t column) -> double& {
        return factored_[start_[row] + (column - first_[row])];
    };
    for (std::size_t i = 0; i < size_; ++i) {
        for (std::size_t j = first_[i]; j < i; ++j) {
            double sum = entry(i, j);
            for (std::size_t k = std::max(first_[i], first_[j]); k < j; ++k) {
                sum -= entry(i, k) * entry(k, k) * entry(j, k);
            }
            entry(i, j) = sum / entry(j, j);
        }
        double pivot = entry(i, i) + shift;
        for (std::size_t k = first_[i]; k < i; ++k)
            pivot -= entry(i, k) * entry(i, k) * entry(k, k);
        if (!(pivot > 0) || !std::isfinite(pivot)) return std::nullopt;
        entry(i, i) = pivot;
    }
    std::vector<double> x(size_);
    for (std::size_t i = 0; i < size_; ++i) x[i] = b[original_[i]];
    for (std::size_t i = 0; i < size_; ++i) {
        for (std::size_t k = first_[i]; k < i; ++k) x[i] -= entry(i, k) * x[k];
    }
    for (std::size_t i = 0; i < size_; ++i) x[i] /= entry(i, i);
    for (std::size_t i = size_; i-- > 0;) {
        for (std::size_t k = first_[i]; k < i; ++k) x[k] -= entry(i, k) * x[i];
    }
    std::vector<double> result(size_);
    for (std::size_t i = 0; i < size_; ++i) result[original_[i]] = x[i];
    return result;
}

}  // namespace brontile
