// What both scene paths are drawn from: SceneBuilder's flat lists and SceneCache's per-body chunks
// write faces, outlines, colours and everything around the bodies through this one code, so that
// the two pictures cannot drift apart. Internal to the viewport module.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <optional>
#include <variant>
#include <vector>

#include "document/body.hpp"
#include "geometry/rgba.hpp"
#include "geometry/solid_mesh.hpp"
#include "geometry/vec2.hpp"
#include "geometry/vec3.hpp"
#include "interaction/constraint_glyph.hpp"
#include "interaction/selection.hpp"
#include "viewport/scene_buffers.hpp"
#include "viewport/scene_input.hpp"

namespace brontile::SceneParts {

using VertexList = std::vector<RenderVertex>;

// What every vertex of one face shares. Passed by value so that the compiler can keep it in
// registers: through a reference it would reload it after every store into the output.
struct VertexStyle {
    Float4 normal;
    Float4 color;

    VertexStyle(const Vec3& n, const RGBA& c)
        : normal{static_cast<float>(n.x), static_cast<float>(n.y), static_cast<float>(n.z), 0.0f},
          color(c.simd()) {}
};

// Faces with up to this many loop edges (or vertex references) are handled in fixed storage.
inline constexpr std::size_t kSmallFace = 32;

class SmoothNormals;

// Writes faces' triangles through SolidMesh's own triangle walk, and outlines exactly as
// SolidMesh::boundaryEdges defines them, without its per-face allocations: small faces use fixed
// storage, larger ones scratch space kept from face to face.
class FaceEmitter {
public:
    void appendTriangles(const SolidMesh& mesh, const SolidFace& face, VertexStyle style,
                         VertexList& into);
    // The same triangles shaded with the smooth normals of face `index` of the mesh.
    void appendSmoothTriangles(const SolidMesh& mesh, std::size_t index,
                               const SmoothNormals& normals, const RGBA& color, VertexList& into);
    void appendEdges(const std::vector<Vec3>& vertices, const SolidFace& face, VertexStyle style,
                     VertexList& into);

private:
    struct KeyedEdge {
        SolidMesh::EdgeKey key;
        std::size_t order = 0;
    };

    void appendSmallFaceEdges(const std::vector<Vec3>& vertices, VertexStyle style,
                              VertexList& into) const;
    void appendLargeFaceEdges(const std::vector<Vec3>& vertices, const SolidFace& face,
                              VertexStyle style, VertexList& into);

    std::array<SolidMesh::Edge, kSmallFace> smallEdges_{};
    std::size_t smallEdgeCount_ = 0;
    std::array<VertexIndex, kSmallFace> smallIndices_{};
    std::vector<Vec2> projected_;
    std::vector<SolidMesh::Edge> edges_;
    std::vector<KeyedEdge> keyed_;
    std::vector<char> isBoundary_;
};

// Normals that round a smooth surface: each corner of a face takes the mean normal of the faces
// around its vertex (summed in face order) that lie within 20° of the face's own, so that the
// facets of a revolve, a sphere or a fillet shade as one surface while a box's corners stay sharp.
class SmoothNormals {
public:
    // Indexes the faces around each vertex of `mesh`; kept until the next call.
    void build(const SolidMesh& mesh);
    // The normal of face `face` (an index into the last built mesh's faces) at one of its
    // vertices.
    [[nodiscard]] Float4 at(std::size_t face, VertexIndex vertex) const;

private:
    [[nodiscard]] Float4 corner(std::size_t face, std::size_t vertex) const;

    std::vector<Vec3> faceNormals_;
    // Where each vertex's faces begin in faces_, and the faces in that order.
    std::vector<std::size_t> start_;
    std::vector<std::uint32_t> faces_;
    // Whether all of a vertex's faces meet smoothly, and then the normal all its corners take.
    std::vector<char> whole_;
    std::vector<Float4> vertexNormal_;
};

// The edges worth drawing on a body: where two faces meet at more than 20°, and where a face
// has no neighbour (an open edge). Facets of a smooth surface (a
// revolve, a sphere, a fillet) meet at less and show no lines: shading shows their form.
class FeatureEdges {
public:
    // The loop edges of one face that is drawn (`index` in the mesh's faces).
    void addFace(const SolidFace& face, std::size_t index);
    // Appends the edges worth drawing among the faces added since the last call, and forgets them.
    void append(const SolidMesh& mesh, VertexStyle style, VertexList& into);

private:
    struct Use {
        std::uint32_t face;
        VertexIndex a;
        VertexIndex b;
    };
    std::vector<Use> uses_;
    // Scratch kept from body to body: where each vertex's uses begin, and the uses in that order.
    std::vector<std::size_t> start_;
    std::vector<Use> byVertex_;
};

// A face id as two machine words: bodies that are hovered or have selected faces compare every
// face's id, and a byte-wise comparison per face showed up in whole-scene timings.
struct IdBits {
    std::uint64_t high = 0;
    std::uint64_t low = 0;

    IdBits() = default;
    explicit IdBits(const FaceID& id) {
        const auto& bytes = id.rawValue.bytes();
        std::memcpy(&high, bytes.data(), sizeof high);
        std::memcpy(&low, bytes.data() + sizeof high, sizeof low);
    }
    friend bool operator==(const IdBits&, const IdBits&) = default;
};

// The colour of a body's faces that are neither selected nor hovered, and of its outline.
[[nodiscard]] RGBA bodyColor(const Body& body, bool selected);
[[nodiscard]] RGBA bodyEdgeColor(bool selected);
// The colour of the faces the section view cuts into the body: its own, darker, so the cut reads
// as the inside of the solid.
[[nodiscard]] RGBA capColor(const Body& body, bool selected);
// The outline of a selected or hovered face.
inline constexpr RGBA kMarkedFaceOutline{0.30f, 0.16f, 0.02f, 1};

// A face's colour: `base`, the exact selection colour when selected, lifted where the pointer is.
[[nodiscard]] RGBA faceColor(const RGBA& base, bool selected, bool hovered);

// The mesh the scene shows for the body: a tool's replacement while there is one, else its own.
[[nodiscard]] const SolidMesh& drawnMesh(const SceneInput& input, const Body& body);

// Colours the faces of one body with faceColor, finding which ones are selected and hovered.
class FaceColors {
public:
    FaceColors(const Selection& selection, const std::optional<HitTarget>& hover,
               const BodyID& body, const RGBA& base);
    [[nodiscard]] RGBA of(const FaceID& face) const;
    // Selected or hovered: its outline is drawn whatever its neighbours.
    [[nodiscard]] bool isMarked(const FaceID& face) const;

private:
    // The faces of one body a user selects are usually few: compare them directly and ask the
    // selection's hash set only beyond that.
    static constexpr std::size_t kListedFaces = 8;

    [[nodiscard]] bool isSelected(const FaceID& face, const IdBits& bits) const;

    const Selection& selection_;
    BodyID body_;
    RGBA base_;
    std::optional<IdBits> hovered_;
    std::array<IdBits, kListedFaces> listed_{};
    std::size_t selectedCount_ = 0;
};

// Upper bounds of what a mesh's triangles and outlines append.
struct VertexCounts {
    std::size_t shaded = 0;
    std::size_t lines = 0;
};

void addMeshCounts(const SolidMesh& mesh, VertexCounts& counts);

// Writes the parts of one scene input, keeping its scratch space from face to face and from
// body to body.
class Writer {
public:
    explicit Writer(const SceneInput& input) : in_(input) {}

    // Reserves room in `out` for what writeRest appends, plus `bodies`.
    void reserve(SceneBuffers& out, const VertexCounts& bodies) const;
    // The faces of `mesh`, each in its colour, and their feature edges in `edge`. With
    // `faceStarts`, appends where each face of the mesh begins in `shaded`, then the end.
    // With `outlines`, appends there the whole outline of each selected or hovered face drawn.
    void writeBody(const SolidMesh& mesh, const FaceColors& colors, const RGBA& edge,
                   VertexList& shaded, VertexList& lines,
                   std::vector<std::uint32_t>* faceStarts = nullptr,
                   VertexList* outlines = nullptr);
    // Everything drawn after the bodies, appended in drawing order: preview meshes (shaded and
    // lines), visible sketches with the active plane (lines), their constraint glyphs and the
    // active sketch's points, overlay lines and points (overlay lines), and arrows (overlay shaded
    // and overlay lines).
    void writeRest(SceneBuffers& out);

private:
    [[nodiscard]] std::size_t sketchLineBound() const;
    [[nodiscard]] std::size_t overlayLineBound() const;
    template <class Target>
    [[nodiscard]] const Target* hovered() const {
        return in_.hover ? std::get_if<Target>(&*in_.hover) : nullptr;
    }
    void writePreview(const OverlayMesh& preview, SceneBuffers& out);
    void writeSketch(const Sketch& sketch, SceneBuffers& out);
    [[nodiscard]] RGBA entityColor(const Uuid& sketch, const SketchEntity& entity,
                                   const RGBA& plain) const;
    // A square at every end and centre of the sketch's entities.
    void writePoints(const Sketch& sketch, VertexList& overlayLines) const;
    // Hovered or selected.
    [[nodiscard]] bool isMarked(const SketchPointRef& ref) const;
    // The one place a point's colour is decided.
    [[nodiscard]] RGBA pointColor(const Sketch& sketch, const SketchPointRef& ref) const;
    void writeGlyphs(const Sketch& sketch, VertexList& overlayLines,
                     std::vector<SceneLabel>& labels);
    // The value of a dimension beside its glyph.
    void writeLabel(const Sketch& sketch, const ConstraintGlyph& glyph,
                    std::vector<SceneLabel>& labels) const;
    void writeArrow(const OverlayArrow& arrow, SceneBuffers& out);

    const SceneInput& in_;
    FaceEmitter faces_;
    FeatureEdges featureEdges_;
    SmoothNormals normals_;
};

}  // namespace brontile::SceneParts
