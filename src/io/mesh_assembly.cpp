#include "io/mesh_assembly.hpp"

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdint>
#include <numeric>

namespace brontile::MeshAssembly {
namespace {

// Within this of each other, neighbouring triangles' normals count as one plane's (1e-6 rad).
const double kCoplanarCosine = std::cos(1e-6);
// The grid is this fraction of the part's diagonal: above the 1e-7 relative precision of the
// single-precision coordinates mesh files carry.
constexpr double kGridFraction = 1e-6;
constexpr double kSmallestGrid = 1e-9;

struct Cell {
    std::int64_t x = 0, y = 0, z = 0;
    friend constexpr bool operator==(const Cell&, const Cell&) = default;
    friend constexpr auto operator<=>(const Cell&, const Cell&) = default;
};

// Union–find over triangles.
class Groups {
public:
    explicit Groups(std::size_t count) : parent_(count) {
        std::iota(parent_.begin(), parent_.end(), std::size_t{0});
    }
    std::size_t find(std::size_t i) {
        while (parent_[i] != i) i = parent_[i] = parent_[parent_[i]];
        return i;
    }
    void join(std::size_t a, std::size_t b) { parent_[find(a)] = find(b); }

private:
    std::vector<std::size_t> parent_;
};

struct Welded {
    std::vector<Vec3> vertices;
    // Per input corner, its vertex.
    std::vector<VertexIndex> vertexOf;
};

Welded weld(std::span<const Vec3> corners, double grid) {
    const auto cellOf = [&](const Vec3& p) {
        return Cell{std::llround(p.x / grid), std::llround(p.y / grid), std::llround(p.z / grid)};
    };
    std::vector<std::pair<Cell, std::uint32_t>> keyed(corners.size());
    for (std::size_t i = 0; i < corners.size(); ++i) {
        keyed[i] = {cellOf(corners[i]), static_cast<std::uint32_t>(i)};
    }
    std::ranges::sort(keyed);
    Welded welded;
    welded.vertexOf.resize(corners.size());
    for (std::size_t i = 0; i < keyed.size(); ++i) {
        if (i == 0 || !(keyed[i].first == keyed[i - 1].first)) {
            welded.vertices.push_back(corners[keyed[i].second]);
        }
        welded.vertexOf[keyed[i].second] = static_cast<VertexIndex>(welded.vertices.size() - 1);
    }
    return welded;
}

struct Facet {
    SolidMesh::Triangle corners;
    Vec3 normal;
    // The source face it belongs to, so that faces never merge across sources.
    std::size_t source = 0;
};

// The triangles that keep three corners and some area, with their unit normals.
std::vector<Facet> facetsOf(const Welded& welded, std::span<const std::size_t> sources) {
    std::vector<Facet> facets;
    facets.reserve(sources.size());
    for (std::size_t t = 0; t < sources.size(); ++t) {
        const SolidMesh::Triangle c{welded.vertexOf[3 * t], welded.vertexOf[3 * t + 1],
                                    welded.vertexOf[3 * t + 2]};
        if (c[0] == c[1] || c[1] == c[2] || c[0] == c[2]) continue;
        const Vec3& a = welded.vertices[static_cast<std::size_t>(c[0])];
        const Vec3 n = (welded.vertices[static_cast<std::size_t>(c[1])] - a)
                           .cross(welded.vertices[static_cast<std::size_t>(c[2])] - a);
        const double area = n.length();
        if (!(area > 0)) continue;
        facets.push_back({c, n / area, sources[t]});
    }
    return facets;
}

// A triangle a file gives twice (the same corners, the same way round) would leave each of its
// edges used four times; the first stays. Turned so its smallest corner leads, a triangle reads
// the same whichever corner it was given from.
void dropRepeats(std::vector<Facet>& facets) {
    std::vector<std::pair<SolidMesh::Triangle, std::uint32_t>> keyed(facets.size());
    for (std::size_t f = 0; f < facets.size(); ++f) {
        SolidMesh::Triangle c = facets[f].corners;
        std::ranges::rotate(c, std::ranges::min_element(c));
        keyed[f] = {c, static_cast<std::uint32_t>(f)};
    }
    std::ranges::sort(keyed);
    std::vector<bool> repeat(facets.size(), false);
    bool any = false;
    for (std::size_t i = 1; i < keyed.size(); ++i) {
        if (keyed[i].first != keyed[i - 1].first) continue;
        repeat[keyed[i].second] = true;
        any = true;
    }
    if (!any) return;
    std::size_t kept = 0;
    for (std::size_t f = 0; f < facets.size(); ++f) {
        if (!repeat[f]) facets[kept++] = facets[f];
    }
    facets.resize(kept);
}

bool samePlane(const Facet& a, const Facet& b, const std::vector<Vec3>& vertices, double grid) {
    if (a.source != b.source || a.normal.dot(b.normal) < kCoplanarCosine) return false;
    const Vec3& origin = vertices[static_cast<std::size_t>(a.corners[0])];
    return std::ranges::all_of(b.corners, [&](VertexIndex v) {
        return std::abs(a.normal.dot(vertices[static_cast<std::size_t>(v)] - origin)) <= grid;
    });
}

// Facets sharing an edge and a plane join one group.
Groups groupFacets(const std::vector<Facet>& facets, const std::vector<Vec3>& vertices,
                   double grid) {
    std::vector<std::pair<SolidMesh::EdgeKey, std::uint32_t>> edges;
    edges.reserve(3 * facets.size());
    for (std::size_t f = 0; f < facets.size(); ++f) {
        const auto& c = facets[f].corners;
        for (std::size_t k = 0; k < 3; ++k) {
            edges.push_back({{c[k], c[(k + 1) % 3]}, static_cast<std::uint32_t>(f)});
        }
    }
    std::ranges::sort(edges, [](const auto& x, const auto& y) {
        return std::tie(x.first.lo, x.first.hi, x.second) <
               std::tie(y.first.lo, y.first.hi, y.second);
    });
    Groups groups(facets.size());
    for (std::size_t i = 1; i < edges.size(); ++i) {
        if (!(edges[i].first == edges[i - 1].first)) continue;
        const std::size_t a = edges[i - 1].second;
        const std::size_t b = edges[i].second;
        if (samePlane(facets[a], facets[b], vertices, grid)) groups.join(a, b);
    }
    return groups;
}

SolidMesh assemble(std::span<const Vec3> corners, std::span<const std::size_t> sources) {
    Vec3 low = corners.empty() ? Vec3::zero : corners[0];
    Vec3 high = low;
    for (const Vec3& p : corners) {
        low = {std::min(low.x, p.x), std::min(low.y, p.y), std::min(low.z, p.z)};
        high = {std::max(high.x, p.x), std::max(high.y, p.y), std::max(high.z, p.z)};
    }
    const double grid = weldGrid((high - low).length());
    Welded welded = weld(corners, grid);
    std::vector<Facet> facets = facetsOf(welded, sources);
    dropRepeats(facets);
    Groups groups = groupFacets(facets, welded.vertices, grid);
    // One face per group, in the order of each group's first facet.
    std::vector<std::size_t> faceOfRoot(facets.size(), SIZE_MAX);
    std::vector<SolidFace> faces;
    std::vector<Vec3> normalSums;
    for (std::size_t f = 0; f < facets.size(); ++f) {
        std::size_t& face = faceOfRoot[groups.find(f)];
        if (face == SIZE_MAX) {
            face = faces.size();
            faces.push_back({FaceID::generate(), {}, Vec3::zero});
            normalSums.push_back(Vec3::zero);
        }
        const auto& c = facets[f].corners;
        faces[face].polygons.push_back({c[0], c[1], c[2]});
        normalSums[face] += facets[f].normal;
    }
    for (std::size_t i = 0; i < faces.size(); ++i) faces[i].normal = normalSums[i].normalized();
    // Only the corners some face uses stay, renumbered in order.
    std::vector<VertexIndex> renumbered(welded.vertices.size(), -1);
    std::vector<Vec3> used;
    for (SolidFace& face : faces) {
        for (PolygonLoop& loop : face.polygons) {
            for (VertexIndex& v : loop) {
                VertexIndex& to = renumbered[static_cast<std::size_t>(v)];
                if (to < 0) {
                    to = static_cast<VertexIndex>(used.size());
                    used.push_back(welded.vertices[static_cast<std::size_t>(v)]);
                }
                v = to;
            }
        }
    }
    return SolidMesh(std::move(used), std::move(faces));
}

}  // namespace

double weldGrid(double diagonal) {
    return std::isfinite(diagonal) ? std::max(diagonal * kGridFraction, kSmallestGrid)
                                   : kSmallestGrid;
}

SolidMesh fromTriangles(std::span<const Vec3> corners) {
    const std::vector<std::size_t> sources(corners.size() / 3, 0);
    return assemble(corners.first(sources.size() * 3), sources);
}

SolidMesh fromFaceGroups(std::span<const std::vector<Vec3>> groups) {
    std::vector<Vec3> corners;
    std::vector<std::size_t> sources;
    for (std::size_t g = 0; g < groups.size(); ++g) {
        const std::size_t count = groups[g].size() / 3;
        corners.insert(corners.end(), groups[g].begin(),
                       groups[g].begin() + static_cast<std::ptrdiff_t>(3 * count));
        sources.insert(sources.end(), count, g);
    }
    return assemble(corners, sources);
}

}  // namespace brontile::MeshAssembly
