// Checks on points and solid meshes whose failures say what is wrong: how far a point is off,
// which edges leave a surface open, how far a volume misses, which face ids were kept.
#pragma once

#include <gtest/gtest.h>

#include <functional>
#include <initializer_list>
#include <optional>
#include <source_location>
#include <vector>

#include "geometry/solid_mesh.hpp"
#include "geometry/vec2.hpp"
#include "geometry/vec3.hpp"

namespace brontile::test {

using Here = std::source_location;

// Fail the test at the caller's line unless every coordinate lies within `tolerance` of the
// expected one; NaN and infinities are never near anything. Lists must have the same length.
void expectNear(double actual, double expected, double tolerance = 1e-12,
                Here where = Here::current());
void expectNear(const Vec2& actual, const Vec2& expected, double tolerance = 1e-12,
                Here where = Here::current());
void expectNear(const Vec3& actual, const Vec3& expected, double tolerance = 1e-12,
                Here where = Here::current());
void expectNear(const std::vector<Vec2>& actual, const std::vector<Vec2>& expected,
                double tolerance = 1e-12, Here where = Here::current());

// Every undirected edge of the polygon loops is used exactly once in each direction: the
// surface is closed and consistently wound. The failure counts the open edges and shows some.
testing::AssertionResult isClosed(const SolidMesh& mesh);

// No polygon loop visits a vertex twice (a spike or a loop pinched at one point).
testing::AssertionResult hasSimpleLoops(const SolidMesh& mesh);

// The enclosed volume is within `tolerance` of `expected`; by default within a billionth of it
// (and at least 1e-9).
testing::AssertionResult hasVolume(const SolidMesh& mesh, double expected,
                                   std::optional<double> tolerance = std::nullopt);

// No two faces of `result` share an id and none has the id of an operand's face: what every
// operation that rebuilds a solid from pieces must give.
testing::AssertionResult hasFreshFaceIds(
    const SolidMesh& result,
    std::initializer_list<std::reference_wrapper<const SolidMesh>> operands);

// The faces of `result` carry the ids of `original`'s faces, in the same order: what transforms
// and moved faces must keep for selections to survive them.
testing::AssertionResult keepsFaceIds(const SolidMesh& result, const SolidMesh& original);

}  // namespace brontile::test
