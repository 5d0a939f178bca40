// Face picking within one mesh: the plain scan over its triangles, and the bounding-volume tree
// that gives the scan's answer bit for bit over large meshes. Private to the interaction module.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <limits>
#include <vector>

#include "geometry/ray.hpp"
#include "geometry/solid_mesh.hpp"

namespace brontile::MeshHitTree {

// The best face hit so far. `order` is the triangle's position in its mesh's scan order; −1 stands
// for a hit held by an earlier body, which a tie can never take away.
struct FaceBest {
    double t = std::numeric_limits<double>::infinity();
    std::int64_t order = -1;
    std::size_t face = 0;
    bool foundInMesh = false;

    // Equal parameters go to the earlier triangle, as in a scan that only replaces on "<".
    void offer(double hitT, std::int64_t hitOrder, std::size_t hitFace) {
        if (hitT < t || (hitT == t && hitOrder < order)) {
            t = hitT;
            order = hitOrder;
            face = hitFace;
            foundInMesh = true;
        }
    }
};

// Offers `best` every triangle of the mesh the ray hits, in scan order.
void scanMesh(const Ray& ray, const SolidMesh& mesh, FaceBest& best);

struct TreeNode;
struct TreeTriangle;
// A triangle's place on the tree's Morton curve, with its position in the collected list.
struct SortKey {
    std::uint32_t key;
    std::uint32_t index;
};

// A ray prepared for slab tests against boxes grown by the query's padding; prepare it once per
// pick and use it for every tree.
struct RayQuery {
    using Triple = std::array<double, 3>;

    explicit RayQuery(const Ray& r);

    // Where the ray enters the node's padded box (0 when it starts inside), or infinity when it
    // misses it or the box lies behind.
    [[nodiscard]] double entry(const TreeNode& node) const;

    Ray ray;
    Triple inverse{};
    Triple nearOrigin{};  // origin shifted so the entering planes sit `pad` further out
    Triple farOrigin{};
    std::array<std::size_t, 3> nearSide{};  // which corner's plane the ray enters through
};

// Memory for building trees, kept between builds: after an edit the tree of the changed mesh is
// built in the pages the previous tree and build used, instead of faulting in fresh ones, which
// costs as much as the build itself for a large mesh.
struct BuildBuffers {
    BuildBuffers();
    ~BuildBuffers();
    BuildBuffers(const BuildBuffers&) = delete;
    BuildBuffers& operator=(const BuildBuffers&) = delete;

    std::vector<TreeTriangle> triangles;
    std::vector<TreeTriangle> sorted;
    std::vector<TreeNode> nodes;
    std::vector<std::array<std::array<float, 3>, 2>> boxes;
    std::vector<SortKey> keys;
    std::vector<SortKey> keyScratch;
};

// One mesh's triangles in a tree built along a Morton curve, built once and then only read.
class Tree {
public:
    // Builds in `buffers`, taking over the storage that earlier trees handed back to them.
    Tree(const SolidMesh& mesh, BuildBuffers& buffers);
    ~Tree();
    Tree(const Tree&) = delete;
    Tree& operator=(const Tree&) = delete;

    // Offers `best` every hit in the mesh that could beat it, visiting each box the ray enters at
    // or before best.t, so that a tie with an earlier triangle is found too. `mesh` is the mesh
    // the tree was built from.
    void nearest(const RayQuery& query, const SolidMesh& mesh, FaceBest& best) const;

    // Hands the tree's storage to `buffers` for the next build; the tree is empty afterwards.
    void recycle(BuildBuffers& buffers);

private:
    void build(BuildBuffers& buffers);
    void testLeaf(const TreeNode& leaf, const RayQuery& query, const std::vector<Vec3>& vertices,
                  FaceBest& best) const;

    std::vector<TreeNode> nodes_;
    std::vector<TreeTriangle> triangles_;
    // Meshes beyond 32-bit indices (far beyond memory in practice) are scanned instead.
    bool scanOnly_ = false;
};

}  // namespace brontile::MeshHitTree
