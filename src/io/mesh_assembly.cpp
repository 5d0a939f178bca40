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

std::uint64_t hashOf(const Cell& c) {
    auto h = static_cast<std::uint64_t>(c.x) * 0x9E3779B97F4A7C15ull;
    h ^= static_cast<std::uint64_t>(c.y) * 0xC2B2AE3D27D4EB4Full;
    h ^= static_cast<std::uint64_t>(c.z) * 0x165667B19E3779F9ull;
    return h ^ (h >> 29);
}

// Corners in one grid cell become one vertex, the first corner found there. An open-addressed
// table over the cells keeps this linear: a million-triangle file is welded in tens of
// milliseconds, where sorting its corners took several times as long.
Welded weld(std::span<const Vec3> corners, double grid) {
    const auto cellOf = [&](const Vec3& p) {
        return Cell{std::llround(p.x / grid), std::llround(p.y / grid), std::llround(p.z / grid)};
    };
    constexpr std::uint32_t empty = UINT32_MAX;
    std::size_t size = 16;
    while (size < 2 * corners.size()) size *= 2;
    std::vector<std::uint32_t> table(size, empty);
    std::vector<Cell> cells;
    Welded welded;
    welded.vertexOf.resize(corners.size());
    for (std::size_t i = 0; i < corners.size(); ++i) {
        const Cell cell = cellOf(corners[i]);
        std::size_t slot = hashOf(cell) & (size - 1);
        while (table[slot] != empty && !(cells[table[slot]] == cell))
            slot = (slot + 1) & (size - 1);
        if (table[slot] == empty) {
            table[slot] = static_cast<std::uint32_t>(cells.size());
            cells.push_back(cell);
            welded.vertices.push_back(corners[i]);
        }
        welded.vertexOf[i] = table[slot];
    }
    return welded;
}

// What meets at each vertex, listed together (offsets per vertex into one array), so that
// neighbours are found by looking at a vertex's few items rather than by sorting all of them.
// `each(emit)` calls emit(vertex, item) for every item, the same way both times it is called.
template <class Item, class Each>
std::vector<Item> byVertex(std::size_t vertexCount, std::vector<std::uint32_t>& start, Each each) {
    start.assign(vertexCount + 1, 0);
    each([&](VertexIndex v, const Item&) { ++start[static_cast<std::size_t>(v) + 1]; });
    for (std::size_t v = 0; v < vertexCount; ++v) start[v + 1] += start[v];
    std::vector<Item> items(start.back());
    std::vector<std::uint32_t> next(start.begin(), start.end() - 1);
    each([&](VertexIndex v, const Item& item) {
        items[next[static_cast<std::size_t>(v)]++] = item;
    });
    return items;
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
// the same whichever corner it was given from, and repeats meet under that corner.
void dropRepeats(std::vector<Facet>& facets, std::size_t vertexCount) {
    using Keyed = std::pair<SolidMesh::Triangle, std::uint32_t>;
    std::vector<std::uint32_t> start;
    std::vector<Keyed> keyed = byVertex<Keyed>(vertexCount, start, [&](auto emit) {
        for (std::size_t f = 0; f < facets.size(); ++f) {
            SolidMesh::Triangle c = facets[f].corners;
            std::ranges::rotate(c, std::ranges::min_element(c));
            emit(c[0], Keyed{c, static_cast<std::uint32_t>(f)});
        }
    });
    std::vector<bool> repeat(facets.size(), false);
    bool any = false;
    for (std::size_t v = 0; v + 1 < start.size(); ++v) {
        const auto from = keyed.begin() + start[v];
        const auto to = keyed.begin() + start[v + 1];
        std::sort(from, to);
        for (auto i = from; i != to && i + 1 != to; ++i) {
            if (i->first != (i + 1)->first) continue;
            repeat[(i + 1)->second] = true;
            any = true;
        }
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

// Facets sharing an edge and a plane join one group. Each edge is listed under its smaller
// corner; the edges there that end at the same other corner are the one edge's uses.
Groups groupFacets(const std::vector<Facet>& facets, const std::vector<Vec3>& vertices,
                   double grid) {
    using Use = std::pair<VertexIndex, std::uint32_t>;  // the edge's larger corner, its facet
    std::vector<std::uint32_t> start;
    std::vector<Use> uses = byVertex<Use>(vertices.size(), start, [&](auto emit) {
        for (std::size_t f = 0; f < facets.size(); ++f) {
            const auto& c = facets[f].corners;
            for (std::size_t k = 0; k < 3; ++k) {
                const VertexIndex a = c[k];
                const VertexIndex b = c[(k + 1) % 3];
                emit(std::min(a, b), Use{std::max(a, b), static_cast<std::uint32_t>(f)});
            }
        }
    });
    Groups groups(facets.size());
    for (std::size_t v = 0; v + 1 < start.size(); ++v) {
        const auto from = uses.begin() + start[v];
        const auto to = uses.begin() + start[v + 1];
        std::sort(from, to);
        for (auto i = from; i != to && i + 1 != to; ++i) {
            if (i->first != (i + 1)->first) continue;
            if (samePlane(facets[i->second], facets[(i + 1)->second], vertices, grid)) {
                groups.join(i->second, (i + 1)->second);
            }
        }
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
    dropRepeats(facets, welded.vertices.size());
    Groups groups = groupFacets(facets, welded.vertices, grid);
    // One face per group, in the order of each group's first facet.
    std::vector<std::size_t> faceOfRoot(facets.size(), SIZE_MAX);
    std::vector<SolidFace> faces;
    std::vector<Vec3> normalSums;
    for (std::size_t f = 0; f < facets.size(); ++f) {
        std::size_t& face = faceOfRoot[groups.find(f)];
        if (face == SIZE_MAX) {
            face = faces.size();
            faces.push_back({FaceID{}, {}, Vec3::zero});
            normalSums.push_back(Vec3::zero);
        }
        const auto& c = facets[f].corners;
        faces[face].polygons.push_back({c[0], c[1], c[2]});
        normalSums[face] += facets[f].normal;
    }
    // Drawn at once: one request to the system's entropy source rather than one per face.
    const std::vector<FaceID> ids = FaceID::generate(faces.size());
    for (std::size_t i = 0; i < faces.size(); ++i) {
        faces[i].id = ids[i];
        faces[i].normal = normalSums[i].normalized();
    }
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
