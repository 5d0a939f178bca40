#include "io/brep_body.hpp"

#include <algorithm>
#include <cmath>
#include <optional>
#include <unordered_map>
#include <vector>

#include <BRep_Builder.hxx>
#include <Geom_Line.hxx>
#include <Geom_Plane.hxx>
#include <TopoDS.hxx>
#include <TopoDS_Edge.hxx>
#include <TopoDS_Face.hxx>
#include <TopoDS_Shell.hxx>
#include <TopoDS_Solid.hxx>
#include <TopoDS_Vertex.hxx>
#include <TopoDS_Wire.hxx>
#include <gp_Pln.hxx>

#include "io/face_outlines.hpp"

namespace brontile::BRepBody {
namespace {

// Faces made between two progress checks: under a millisecond of work.
constexpr std::size_t kFacesPerCheck = 256;

std::size_t toSize(VertexIndex index) { return static_cast<std::size_t>(index); }

gp_Pnt point(const Vec3& v) { return {v.x, v.y, v.z}; }

// For every vertex, the first vertex at the same position: two indices at one place must be one
// vertex of the shape, or the wires through them would not connect.
std::vector<VertexIndex> firstAtSamePlace(const std::vector<Vec3>& vertices) {
    std::unordered_map<Vec3, VertexIndex> first;
    first.reserve(vertices.size());
    std::vector<VertexIndex> result(vertices.size());
    for (std::size_t i = 0; i < vertices.size(); ++i) {
        result[i] = first.try_emplace(vertices[i], static_cast<VertexIndex>(i)).first->second;
    }
    return result;
}

class ShapeBuilder {
public:
    explicit ShapeBuilder(const SolidMesh& mesh)
        : mesh_(mesh),
          canonical_(firstAtSamePlace(mesh.vertices())),
          vertices_(mesh.vertices().size()) {}

    TopoDS_Shape build(bool closed, const ProgressSpan& progress) {
        TopoDS_Shell shell;
        builder_.MakeShell(shell);
        const auto& faces = mesh_.faces();
        for (std::size_t i = 0; i < faces.size(); ++i) {
            if (i % kFacesPerCheck == 0) progress.setFraction(double(i) / double(faces.size()));
            for (const FaceRegion& region : FaceOutlines::regions(mesh_, faces[i])) {
                if (const auto built = this->face(region)) builder_.Add(shell, *built);
            }
        }
        shell.Closed(closed);
        if (!closed) return shell;
        TopoDS_Solid solid;
        builder_.MakeSolid(solid);
        builder_.Add(solid, shell);
        return solid;
    }

private:
    const Vec3& position(VertexIndex index) const { return mesh_.vertices()[toSize(index)]; }

    // The loop through shape vertices, without the edges that collapsed to a point.
    PolygonLoop canonicalLoop(const PolygonLoop& loop) const {
        PolygonLoop result;
        for (const VertexIndex index : loop) {
            const VertexIndex same = canonical_[toSize(index)];
            if (result.empty() || result.back() != same) result.push_back(same);
        }
        while (result.size() > 1 && result.front() == result.back()) result.pop_back();
        return result;
    }

    const TopoDS_Vertex& vertex(VertexIndex index) {
        TopoDS_Vertex& vertex = vertices_[toSize(index)];
        if (vertex.IsNull()) builder_.MakeVertex(vertex, point(position(index)), kTolerance);
        return vertex;
    }

    // The straight edge between two shape vertices, made once and shared by the two faces that
    // meet there, oriented from `a` to `b`.
    TopoDS_Edge edge(VertexIndex a, VertexIndex b) {
        const SolidMesh::EdgeKey key(a, b);
        auto [it, inserted] = edges_.try_emplace(key);
        if (inserted) {
            const gp_Pnt from = point(position(key.lo));
            const gp_Pnt to = point(position(key.hi));
            const double length = from.Distance(to);
            TopoDS_Edge& edge = it->second;
            builder_.MakeEdge(edge, new Geom_Line(from, gp_Dir(gp_Vec(from, to))), kTolerance);
            TopoDS_Vertex start = vertex(key.lo);
            TopoDS_Vertex end = vertex(key.hi);
            builder_.Add(edge, start.Oriented(TopAbs_FORWARD));
            builder_.Add(edge, end.Oriented(TopAbs_REVERSED));
            builder_.Range(edge, 0, length);
            builder_.UpdateVertex(start, 0, edge, kTolerance);
            builder_.UpdateVertex(end, length, edge, kTolerance);
        }
        const TopoDS_Shape oriented =
            it->second.Oriented(a == key.lo ? TopAbs_FORWARD : TopAbs_REVERSED);
        return TopoDS::Edge(oriented);
    }

    TopoDS_Wire wire(const PolygonLoop& loop, double tolerance) {
        TopoDS_Wire wire;
        builder_.MakeWire(wire);
        for (std::size_t i = 0; i < loop.size(); ++i) {
            const TopoDS_Edge edge = this->edge(loop[i], loop[(i + 1) % loop.size()]);
            if (tolerance > kTolerance) {
                // A face a little off its plane: its edges and vertices must reach the plane.
                builder_.UpdateEdge(edge, tolerance);
                builder_.UpdateVertex(vertex(loop[i]), tolerance);
            }
            builder_.Add(wire, edge);
        }
        wire.Closed(true);
        return wire;
    }

    std::optional<TopoDS_Face> face(const FaceRegion& region) {
        const PolygonLoop outer = canonicalLoop(region.outer);
        if (outer.size() < 3) return std::nullopt;
        std::vector<PolygonLoop> holes;
        for (const PolygonLoop& hole : region.holes) {
            if (PolygonLoop loop = canonicalLoop(hole); loop.size() >= 3) {
                holes.push_back(std::move(loop));
            }
        }
        // The plane through the outer loop's mean point, facing the way the loop winds.
        Vec3 normal;
        Vec3 origin;
        for (std::size_t i = 0; i < outer.size(); ++i) {
            const Vec3& c = position(outer[i]);
            const Vec3& n = position(outer[(i + 1) % outer.size()]);
            normal = normal + Vec3{(c.y - n.y) * (c.z + n.z), (c.z - n.z) * (c.x + n.x),
                                   (c.x - n.x) * (c.y + n.y)};
            origin = origin + c;
        }
        if (normal.length() <= 1e-300) return std::nullopt;
        normal = normal.normalized();
        origin = origin * (1.0 / static_cast<double>(outer.size()));
        double offPlane = 0;
        const auto measure = [&](const PolygonLoop& loop) {
            for (const VertexIndex index : loop) {
                offPlane = std::max(offPlane, std::abs((position(index) - origin).dot(normal)));
            }
        };
        measure(outer);
        for (const PolygonLoop& hole : holes) measure(hole);
        const double tolerance = std::max(kTolerance, offPlane * 1.01);

        TopoDS_Face face;
        builder_.MakeFace(
            face, new Geom_Plane(gp_Pln(point(origin), gp_Dir(normal.x, normal.y, normal.z))),
            tolerance);
        builder_.Add(face, wire(outer, tolerance));
        for (const PolygonLoop& hole : holes) builder_.Add(face, wire(hole, tolerance));
        return face;
    }

    // Open CASCADE's own confusion distance (Precision::Confusion), the tolerance of an exact part.
    static constexpr double kTolerance = 1e-7;

    const SolidMesh& mesh_;
    std::vector<VertexIndex> canonical_;
    std::vector<TopoDS_Vertex> vertices_;
    std::unordered_map<SolidMesh::EdgeKey, TopoDS_Edge> edges_;
    BRep_Builder builder_;
};

}  // namespace

TopoDS_Shape shape(const SolidMesh& mesh, bool closed, const ProgressSpan& progress) {
    return ShapeBuilder(mesh).build(closed, progress);
}

}  // namespace brontile::BRepBody
