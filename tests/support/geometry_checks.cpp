#include "support/geometry_checks.hpp"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <map>
#include <span>
#include <string>
#include <utility>

namespace brontile::test {
namespace {

constexpr std::size_t kOpenEdgesShown = 4;

// The shortest form that reads back exactly, so near misses show their digits.
std::string shortest(double value) {
    char digits[32];
    return {digits, std::to_chars(digits, digits + sizeof digits, value).ptr};
}

std::string text(std::span<const double> coordinates) {
    std::string out;
    for (const double c : coordinates) out += (out.empty() ? "(" : ", ") + shortest(c);
    return out + ")";
}

std::vector<double> coordinates(const Vec2& v) { return {v.x, v.y}; }
std::vector<double> coordinates(const Vec3& v) { return {v.x, v.y, v.z}; }

// NaN and infinite coordinates fail: their difference is never at most the tolerance.
void expectWithin(std::span<const double> actual, std::span<const double> expected,
                  double tolerance, const Here& where, const std::string& label = {}) {
    for (std::size_t i = 0; i < actual.size(); ++i) {
        if (std::abs(actual[i] - expected[i]) <= tolerance) continue;
        ADD_FAILURE_AT(where.file_name(), static_cast<int>(where.line()))
            << label << text(actual) << " is not within " << shortest(tolerance) << " of "
            << text(expected);
        return;
    }
}

}  // namespace

void expectNear(double actual, double expected, double tolerance, Here where) {
    expectWithin({&actual, 1}, {&expected, 1}, tolerance, where);
}

void expectNear(const Vec2& actual, const Vec2& expected, double tolerance, Here where) {
    expectWithin(coordinates(actual), coordinates(expected), tolerance, where);
}

void expectNear(const Vec3& actual, const Vec3& expected, double tolerance, Here where) {
    expectWithin(coordinates(actual), coordinates(expected), tolerance, where);
}

void expectNear(const std::vector<Vec2>& actual, const std::vector<Vec2>& expected,
                double tolerance, Here where) {
    if (actual.size() != expected.size()) {
        ADD_FAILURE_AT(where.file_name(), static_cast<int>(where.line()))
            << "got " << actual.size() << " points, expected " << expected.size();
        return;
    }
    for (std::size_t i = 0; i < actual.size(); ++i) {
        expectWithin(coordinates(actual[i]), coordinates(expected[i]), tolerance, where,
                     "point " + std::to_string(i) + ": ");
    }
}

testing::AssertionResult isClosed(const SolidMesh& mesh) {
    // Per undirected edge, lower index first: uses from lower to higher and back.
    std::map<std::pair<VertexIndex, VertexIndex>, std::pair<int, int>> uses;
    for (const SolidFace& face : mesh.faces()) {
        for (const PolygonLoop& loop : face.polygons) {
            for (std::size_t i = 0; i < loop.size(); ++i) {
                const VertexIndex a = loop[i], b = loop[(i + 1) % loop.size()];
                auto& [up, down] = uses[std::minmax(a, b)];
                ++(a < b ? up : down);
            }
        }
    }
    std::size_t open = 0;
    std::string shown;
    for (const auto& [edge, use] : uses) {
        if (use == std::pair{1, 1} || ++open > kOpenEdgesShown) continue;
        shown += "\n  " + text(coordinates(mesh.vertices()[edge.first])) + " to " +
                 text(coordinates(mesh.vertices()[edge.second])) + ": " +
                 std::to_string(use.first) + " and " + std::to_string(use.second);
    }
    if (open == 0) return testing::AssertionSuccess();
    return testing::AssertionFailure() << open << " open edges, uses each way:" << shown;
}

testing::AssertionResult hasSimpleLoops(const SolidMesh& mesh) {
    for (std::size_t f = 0; f < mesh.faces().size(); ++f) {
        for (PolygonLoop loop : mesh.faces()[f].polygons) {
            std::sort(loop.begin(), loop.end());
            const auto twice = std::adjacent_find(loop.begin(), loop.end());
            if (twice == loop.end()) continue;
            return testing::AssertionFailure()
                   << "a loop of face " << f << " visits "
                   << text(coordinates(mesh.vertices()[static_cast<std::size_t>(*twice)]))
                   << " twice";
        }
    }
    return testing::AssertionSuccess();
}

testing::AssertionResult hasVolume(const SolidMesh& mesh, double expected,
                                   std::optional<double> tolerance) {
    const double volume = mesh.volume();
    const double allowed = tolerance.value_or(1e-9 * std::max(1.0, std::abs(expected)));
    if (std::abs(volume - expected) <= allowed) return testing::AssertionSuccess();
    return testing::AssertionFailure()
           << "volume " << shortest(volume) << " misses " << shortest(expected) << " by more than "
           << shortest(allowed);
}

testing::AssertionResult hasFreshFaceIds(
    const SolidMesh& result,
    std::initializer_list<std::reference_wrapper<const SolidMesh>> operands) {
    std::map<FaceID, std::size_t> seen;
    for (std::size_t i = 0; i < result.faces().size(); ++i) {
        const FaceID& id = result.faces()[i].id;
        if (!seen.emplace(id, i).second) {
            return testing::AssertionFailure()
                   << "faces " << seen[id] << " and " << i << " share " << id.rawValue.string();
        }
        for (const SolidMesh& operand : operands) {
            if (operand.faceIndex(id)) {
                return testing::AssertionFailure()
                       << "face " << i << " kept the id of an operand's face "
                       << *operand.faceIndex(id);
            }
        }
    }
    return testing::AssertionSuccess();
}

testing::AssertionResult keepsFaceIds(const SolidMesh& result, const SolidMesh& original) {
    const auto ids = [](const SolidMesh& mesh) {
        std::vector<std::string> texts;
        for (const SolidFace& face : mesh.faces()) texts.push_back(face.id.rawValue.string());
        return texts;
    };
    if (ids(result) == ids(original)) return testing::AssertionSuccess();
    return testing::AssertionFailure() << ::testing::PrintToString(ids(result)) << "\n  instead of "
                                       << ::testing::PrintToString(ids(original));
}

}  // namespace brontile::test
