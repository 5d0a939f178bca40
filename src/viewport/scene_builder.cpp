// Scene building: walks one snapshot in drawing order and writes faces, outlines, sketches and
// previews straight into the vertex lists, without per-face allocations.
#include "viewport/scene_builder.hpp"

#include <algorithm>
#include <array>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <optional>
#include <unordered_set>
#include <variant>

#include "base/overloaded.hpp"
#include "interaction/constraint_glyph.hpp"
#include "viewport/scene_markers.hpp"

namespace brontile::SceneBuilder {
namespace {

using SceneMarkers::appendSegment;
using VertexList = std::vector<RenderVertex>;

// Ground grid: 30 lines either side of each axis, 10 mm apart, every fifth one major.
constexpr int kGridLinesPerSide = 30;
constexpr double kGridPitch = 10;
constexpr double kGridHalfSize = 300;
constexpr int kMajorEvery = 5;
constexpr double kZAxisLength = 60;
constexpr std::size_t kGridVertices = (4 * kGridLinesPerSide + 5) * 2;
constexpr RGBA kGridMajor{0.30f, 0.31f, 0.34f, 1};
constexpr RGBA kGridMinor{0.21f, 0.22f, 0.25f, 1};
constexpr RGBA kNegativeXAxis{0.45f, 0.20f, 0.18f, 1};
constexpr RGBA kPositiveXAxis{0.90f, 0.30f, 0.25f, 1};
constexpr RGBA kNegativeYAxis{0.18f, 0.40f, 0.20f, 1};
constexpr RGBA kPositiveYAxis{0.30f, 0.85f, 0.35f, 1};
constexpr RGBA kZAxis{0.30f, 0.45f, 0.95f, 1};

// Sketch plane frame: a 240 mm square with grid lines at −100…100 mm, 20 mm apart.
constexpr double kPlaneHalfSize = 120;
constexpr double kPlaneGridStart = -100;
constexpr double kPlaneGridStep = 20;
constexpr double kPlaneGridEnd = 119.999999999;
constexpr std::size_t kSketchPlaneVertices = 52;
constexpr RGBA kPlaneBorder{0.35f, 0.55f, 0.85f, 1};
constexpr RGBA kPlaneGrid{0.25f, 0.35f, 0.50f, 1};

constexpr float kSelectedBodyLift = 0.05f;
constexpr float kHoveredFaceLift = 0.14f;
constexpr RGBA kSelectedBodyEdge{0.55f, 0.30f, 0.05f, 1};
constexpr RGBA kPreviewEdge{0.10f, 0.25f, 0.40f, 1};

// Constraint glyphs are a little larger than markers; their own markers a little smaller.
constexpr double kGlyphScale = 1.2;
constexpr double kGlyphMarkerScale = 0.7;
constexpr float kHoveredGlyphLift = 0.2f;
constexpr RGBA kGlyphColor{0.55f, 0.85f, 0.95f, 1};
// Only a reservation hint: a few strokes and one marker per glyph.
constexpr std::size_t kGlyphVertexGuess = 16 + SceneMarkers::kMaxShapeVertices;

constexpr int kArrowSegments = 16;
constexpr float kArrowLineLift = 0.18f;
// Shaft tube, head cone, head back face and reverse cone: at most six triangles per segment.
constexpr std::size_t kArrowVertices = 3 * 6 * kArrowSegments;
constexpr std::size_t kArrowLineVertices = 4;

// Faces with up to this many loop edges (or vertex references) are handled in fixed storage.
constexpr std::size_t kSmallFace = 32;

std::size_t toSize(VertexIndex index) { return static_cast<std::size_t>(index); }

// What every vertex of one face shares. Passed by value so that the compiler can keep it in
// registers: through a reference it would reload it after every store into the output.
struct VertexStyle {
    Float4 normal;
    Float4 color;

    VertexStyle(const Vec3& n, const RGBA& c)
        : normal{static_cast<float>(n.x), static_cast<float>(n.y), static_cast<float>(n.z), 0.0f},
          color(c.simd()) {}
};

// Appends one vertex of the face at the mesh vertex. Meshes check their indices when built, so
// the index is valid. Inlined by force: this is the innermost step of the whole build.
[[gnu::always_inline]] inline void put(const std::vector<Vec3>& vertices, VertexIndex index,
                                       VertexStyle style, VertexList& into) {
    RenderVertex vertex;
    vertex.position = vertices[toSize(index)].simd4();
    vertex.normal = style.normal;
    vertex.color = style.color;
    into.push_back(vertex);
}

// Visits the face's directed loop edges in order, leaving out edges from a vertex to itself;
// stops as soon as the visitor returns false and then returns false too.
template <class Visit>
bool forEachLoopEdge(const SolidFace& face, Visit&& visit) {
    for (const PolygonLoop& loop : face.polygons) {
        if (loop.size() < 2) continue;
        for (std::size_t i = 0; i < loop.size(); ++i) {
            const SolidMesh::Edge edge{loop[i], loop[i + 1 == loop.size() ? 0 : i + 1]};
            if (edge.a != edge.b && !visit(edge)) return false;
        }
    }
    return true;
}

bool sameUndirected(const SolidMesh::Edge& p, const SolidMesh::Edge& q) {
    return (p.a == q.a && p.b == q.b) || (p.a == q.b && p.b == q.a);
}

// Writes faces' triangles through SolidMesh's own triangle walk, and outlines exactly as
// SolidMesh::boundaryEdges defines them, without its per-face allocations: small faces use fixed
// storage, larger ones scratch space kept from face to face.
class FaceEmitter {
public:
    void appendTriangles(const SolidMesh& mesh, const SolidFace& face, VertexStyle style,
                         VertexList& into);
    void appendEdges(const std::vector<Vec3>& vertices, const SolidFace& face, VertexStyle style,
                     VertexList& into);
    // The x of SolidMesh::centroid(face), summed in the same order so it rounds the same way.
    [[nodiscard]] double centroidX(const SolidMesh& mesh, const SolidFace& face);

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

void FaceEmitter::appendTriangles(const SolidMesh& mesh, const SolidFace& face, VertexStyle style,
                                  VertexList& into) {
    const std::vector<Vec3>& vertices = mesh.vertices();
    mesh.forEachTriangle(face, projected_, [&](VertexIndex a, VertexIndex b, VertexIndex c) {
        put(vertices, a, style, into);
        put(vertices, b, style, into);
        put(vertices, c, style, into);
    });
}

void FaceEmitter::appendEdges(const std::vector<Vec3>& vertices, const SolidFace& face,
                              VertexStyle style, VertexList& into) {
    // Most faces are one triangle of three distinct vertices: all three edges are boundary edges.
    if (face.polygons.size() == 1 && face.polygons[0].size() == 3) {
        const PolygonLoop& t = face.polygons[0];
        if (t[0] != t[1] && t[1] != t[2] && t[2] != t[0]) {
            constexpr std::array<std::size_t, 6> kOutline{0, 1, 1, 2, 2, 0};
            for (std::size_t i : kOutline) put(vertices, t[i], style, into);
            return;
        }
    }
    smallEdgeCount_ = 0;
    const bool small = forEachLoopEdge(face, [this](const SolidMesh::Edge& edge) {
        if (smallEdgeCount_ == kSmallFace) return false;
        smallEdges_[smallEdgeCount_++] = edge;
        return true;
    });
    if (small) {
        appendSmallFaceEdges(vertices, style, into);
    } else {
        appendLargeFaceEdges(vertices, face, style, into);
    }
}

// An edge is on the boundary when no other loop edge joins the same two vertices.
void FaceEmitter::appendSmallFaceEdges(const std::vector<Vec3>& vertices, VertexStyle style,
                                       VertexList& into) const {
    for (std::size_t i = 0; i < smallEdgeCount_; ++i) {
        const SolidMesh::Edge& edge = smallEdges_[i];
        bool repeated = false;
        for (std::size_t j = 0; j < smallEdgeCount_ && !repeated; ++j) {
            repeated = j != i && sameUndirected(edge, smallEdges_[j]);
        }
        if (repeated) continue;
        put(vertices, edge.a, style, into);
        put(vertices, edge.b, style, into);
    }
}

void FaceEmitter::appendLargeFaceEdges(const std::vector<Vec3>& vertices, const SolidFace& face,
                                       VertexStyle style, VertexList& into) {
    edges_.clear();
    keyed_.clear();
    forEachLoopEdge(face, [this](const SolidMesh::Edge& edge) {
        keyed_.push_back({SolidMesh::EdgeKey(edge.a, edge.b), edges_.size()});
        edges_.push_back(edge);
        return true;
    });
    std::sort(keyed_.begin(), keyed_.end(), [](const KeyedEdge& p, const KeyedEdge& q) {
        return p.key.lo != q.key.lo ? p.key.lo < q.key.lo : p.key.hi < q.key.hi;
    });
    isBoundary_.assign(edges_.size(), 0);
    for (std::size_t first = 0, next = 0; first < keyed_.size(); first = next) {
        while (next < keyed_.size() && keyed_[next].key == keyed_[first].key) ++next;
        if (next - first == 1) isBoundary_[keyed_[first].order] = 1;
    }
    for (std::size_t i = 0; i < edges_.size(); ++i) {
        if (!isBoundary_[i]) continue;
        put(vertices, edges_[i].a, style, into);
        put(vertices, edges_[i].b, style, into);
    }
}

double FaceEmitter::centroidX(const SolidMesh& mesh, const SolidFace& face) {
    std::size_t count = 0;
    for (const PolygonLoop& loop : face.polygons) {
        if (count + loop.size() > kSmallFace) return mesh.centroid(face).x;
        std::copy(loop.begin(), loop.end(),
                  smallIndices_.begin() + static_cast<std::ptrdiff_t>(count));
        count += loop.size();
    }
    const auto begin = smallIndices_.begin();
    const auto end = begin + static_cast<std::ptrdiff_t>(count);
    std::sort(begin, end);
    const auto distinctEnd = std::unique(begin, end);
    double sum = 0;
    for (auto it = begin; it != distinctEnd; ++it) sum += mesh.vertices()[toSize(*it)].x;
    const auto used = static_cast<double>(distinctEnd - begin);
    return used == 0 ? 0.0 : sum / used;
}

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

// Colours the faces of one body: the body's colour, the exact selection colour for selected
// faces, lifted where the pointer is.
class FaceColors {
public:
    FaceColors(const SceneInput& input, const BodyID& body, const RGBA& base);
    [[nodiscard]] RGBA of(const FaceID& face) const;

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

FaceColors::FaceColors(const SceneInput& input, const BodyID& body, const RGBA& base)
    : selection_(input.selection), body_(body), base_(base) {
    const FaceRef* hover = input.hover ? std::get_if<FaceRef>(&*input.hover) : nullptr;
    if (hover && hover->body == body) hovered_ = IdBits(hover->face);
    for (const FaceRef& ref : selection_.faces) {
        if (ref.body != body) continue;
        if (selectedCount_ < kListedFaces) listed_[selectedCount_] = IdBits(ref.face);
        ++selectedCount_;
    }
}

RGBA FaceColors::of(const FaceID& face) const {
    if (selectedCount_ == 0 && !hovered_) return base_;
    const IdBits bits(face);
    const RGBA color = isSelected(face, bits) ? RGBA::selection : base_;
    return hovered_ == bits ? color.lightened(kHoveredFaceLift) : color;
}

bool FaceColors::isSelected(const FaceID& face, const IdBits& bits) const {
    if (selectedCount_ > kListedFaces) return selection_.faces.contains(FaceRef{body_, face});
    const auto end = listed_.begin() + static_cast<std::ptrdiff_t>(selectedCount_);
    return std::find(listed_.begin(), end, bits) != end;
}

// Upper bounds of what a mesh's triangles and outlines append.
struct VertexCounts {
    std::size_t shaded = 0;
    std::size_t lines = 0;
};

void addMeshCounts(const SolidMesh& mesh, VertexCounts& counts) {
    for (const SolidFace& face : mesh.faces()) {
        for (const PolygonLoop& loop : face.polygons) {
            // Ear clipping gives at most n − 2 triangles; each loop edge is at most one segment.
            if (loop.size() >= 3) counts.shaded += 3 * (loop.size() - 2);
            if (loop.size() >= 2) counts.lines += 2 * loop.size();
        }
    }
}

std::size_t polylineVertexBound(const SketchEntity& entity) {
    return std::visit(
        Overloaded{
            [](const SketchLine&) { return std::size_t{2}; },
            [](const SketchCircle&) { return std::size_t{2 * SketchEntity::circleSegments}; },
            [](const SketchArc&) { return std::size_t{2 * SketchEntity::arcSegments}; },
        },
        entity.geometry);
}

void appendPlanePolyline(const SketchPlane& plane, std::span<const Vec2> points, const RGBA& color,
                         VertexList& into) {
    if (points.empty()) return;
    Vec3 previous = plane.toWorld(points[0]);
    for (std::size_t i = 1; i < points.size(); ++i) {
        const Vec3 next = plane.toWorld(points[i]);
        appendSegment(previous, next, color, into);
        previous = next;
    }
}

// The +X half of a mesh is cut away at the middle x of its box; nothing for a mesh without one.
std::optional<double> sectionCut(const SolidMesh& mesh) {
    const std::optional<AABB> box = mesh.bounds();
    if (!box) return std::nullopt;
    return box->center().x;
}

// One build: walks the input in drawing order and writes the four lists.
class SceneWriter {
public:
    SceneWriter(const SceneInput& input, SceneBuffers& out) : in_(input), out_(out) {}
    void write();

private:
    void reserve();
    [[nodiscard]] std::size_t sketchLineBound() const;
    [[nodiscard]] std::size_t overlayLineBound() const;
    [[nodiscard]] const SolidMesh& meshOf(const Body& body) const;
    template <class Target>
    [[nodiscard]] const Target* hovered() const {
        return in_.hover ? std::get_if<Target>(&*in_.hover) : nullptr;
    }
    void writeBody(const Body& body);
    void writePreview(const OverlayMesh& preview);
    void writeSketch(const Sketch& sketch);
    [[nodiscard]] RGBA entityColor(const Uuid& sketch, const SketchEntity& entity,
                                   const RGBA& plain) const;
    void writeGlyphs(const Sketch& sketch);
    void writeArrow(const OverlayArrow& arrow);

    const SceneInput& in_;
    SceneBuffers& out_;
    FaceEmitter faces_;
};

void SceneWriter::write() {
    reserve();
    if (in_.document.showGrid) appendGrid(out_.lines);
    for (const Body& body : in_.document.bodies) {
        if (body.isVisible) writeBody(body);
    }
    for (const OverlayMesh& preview : in_.overlay.meshes) writePreview(preview);
    for (const Sketch& sketch : in_.document.sketches) {
        if (sketch.isVisible) writeSketch(sketch);
    }
    for (const OverlayLine& line : in_.overlay.lines) {
        SceneMarkers::appendOverlayLine(line, in_.worldUnitsPerPixel, out_.overlayLines);
    }
    for (const OverlayPoint& point : in_.overlay.points) {
        SceneMarkers::appendShape(point, in_.markerSize, out_.overlayLines);
    }
    for (const OverlayArrow& arrow : in_.overlay.arrows) writeArrow(arrow);
}

// Large scenes would otherwise copy their vertex lists several times while growing them.
void SceneWriter::reserve() {
    VertexCounts counts{0, in_.document.showGrid ? kGridVertices : 0};
    for (const Body& body : in_.document.bodies) {
        if (body.isVisible) addMeshCounts(meshOf(body), counts);
    }
    for (const OverlayMesh& preview : in_.overlay.meshes) addMeshCounts(preview.mesh, counts);
    out_.shaded.reserve(counts.shaded);
    out_.lines.reserve(counts.lines + sketchLineBound());
    out_.overlayLines.reserve(overlayLineBound());
    out_.overlayShaded.reserve(in_.overlay.arrows.size() * kArrowVertices);
}

std::size_t SceneWriter::sketchLineBound() const {
    std::size_t count = 0;
    for (const Sketch& sketch : in_.document.sketches) {
        if (!sketch.isVisible) continue;
        if (in_.activeSketchID == sketch.id) count += kSketchPlaneVertices;
        for (const SketchEntity& entity : sketch.entities) count += polylineVertexBound(entity);
    }
    return count;
}

std::size_t SceneWriter::overlayLineBound() const {
    std::size_t count = in_.overlay.points.size() * SceneMarkers::kMaxShapeVertices +
                        in_.overlay.arrows.size() * kArrowLineVertices;
    for (const Sketch& sketch : in_.document.sketches) {
        if (sketch.isVisible) count += sketch.constraints.size() * kGlyphVertexGuess;
    }
    for (const OverlayLine& line : in_.overlay.lines) {
        count += SceneMarkers::overlayLineVertexBound(line, in_.worldUnitsPerPixel);
    }
    return count;
}

const SolidMesh& SceneWriter::meshOf(const Body& body) const {
    const auto& replacements = in_.overlay.replacements;
    if (replacements.empty()) return body.mesh;
    const auto found = replacements.find(body.id);
    return found == replacements.end() ? body.mesh : found->second;
}

void SceneWriter::writeBody(const Body& body) {
    const SolidMesh& mesh = meshOf(body);
    const std::vector<Vec3>& vertices = mesh.vertices();
    const bool selected = in_.selection.contains(body.id);
    const FaceColors colors(in_, body.id,
                            selected ? RGBA::selection.lightened(kSelectedBodyLift)
                                     : BodyPalette::color(body.colorIndex));
    const VertexStyle edge(Vec3::zero, selected ? kSelectedBodyEdge : RGBA::edge);
    const std::optional<double> cut = in_.showSection ? sectionCut(mesh) : std::nullopt;
    for (const SolidFace& face : mesh.faces()) {
        if (cut && faces_.centroidX(mesh, face) > *cut) continue;
        const VertexStyle shade(face.normal, colors.of(face.id));
        faces_.appendTriangles(mesh, face, shade, out_.shaded);
        faces_.appendEdges(vertices, face, edge, out_.lines);
    }
}

void SceneWriter::writePreview(const OverlayMesh& preview) {
    const std::vector<Vec3>& vertices = preview.mesh.vertices();
    const VertexStyle edge(Vec3::zero, kPreviewEdge);
    for (const SolidFace& face : preview.mesh.faces()) {
        faces_.appendTriangles(preview.mesh, face, VertexStyle(face.normal, preview.color),
                               out_.shaded);
        faces_.appendEdges(vertices, face, edge, out_.lines);
    }
}

void SceneWriter::writeSketch(const Sketch& sketch) {
    const bool active = in_.activeSketchID == sketch.id;
    if (active) appendSketchPlane(sketch.plane, out_.lines);
    const RGBA plain = in_.activeSketchID && !active ? RGBA::sketchInactive : RGBA::sketch;
    for (const SketchEntity& entity : sketch.entities) {
        appendPlanePolyline(sketch.plane, entity.polyline(), entityColor(sketch.id, entity, plain),
                            out_.lines);
    }
    writeGlyphs(sketch);
}

// Hover beats selection, selection beats construction, construction beats the sketch's colour.
RGBA SceneWriter::entityColor(const Uuid& sketch, const SketchEntity& entity,
                              const RGBA& plain) const {
    const SketchEntityRef ref{sketch, entity.id};
    const SketchEntityRef* hover = hovered<SketchEntityRef>();
    if (hover && *hover == ref) return RGBA::hover;
    if (in_.selection.sketchEntities.contains(ref)) return RGBA::selection;
    return entity.isConstruction ? RGBA::construction : plain;
}

void SceneWriter::writeGlyphs(const Sketch& sketch) {
    if (sketch.constraints.empty()) return;
    std::unordered_set<SketchConstraintID> selected;
    for (const SketchConstraintSel& sel : in_.selection.constraints) {
        if (sel.sketch == sketch.id) selected.insert(sel.constraint);
    }
    const SketchConstraintSel* hover = hovered<SketchConstraintSel>();
    const SketchPlane& plane = sketch.plane;
    const double markerSize = in_.markerSize * kGlyphMarkerScale;
    for (const ConstraintGlyph& glyph :
         constraintGlyphs(sketch, selected, in_.markerSize * kGlyphScale)) {
        RGBA color = glyph.selected ? RGBA::selection : kGlyphColor;
        if (hover && *hover == SketchConstraintSel{sketch.id, glyph.id}) {
            color = color.lightened(kHoveredGlyphLift);
        }
        for (const auto& [a, b] : glyph.lines) {
            appendSegment(plane.toWorld(a), plane.toWorld(b), color, out_.overlayLines);
        }
        if (!glyph.marker) continue;
        const OverlayPoint marker{plane.toWorld(glyph.point), color, *glyph.marker, plane.normal()};
        SceneMarkers::appendShape(marker, markerSize, out_.overlayLines);
    }
}

void SceneWriter::writeArrow(const OverlayArrow& arrow) {
    const ArrowGizmo gizmo = arrow.gizmo(in_.worldUnitsPerPixel);
    const RGBA color = arrow.drawColor();
    const SolidMesh mesh = gizmo.mesh(kArrowSegments);
    for (const SolidFace& face : mesh.faces()) {
        faces_.appendTriangles(mesh, face, VertexStyle(face.normal, color), out_.overlayShaded);
    }
    appendSegment(gizmo.origin, gizmo.tip(), color.lightened(kArrowLineLift), out_.overlayLines);
    if (gizmo.hasReverse()) {
        const RGBA reverse =
            arrow.hovered ? RGBA::arrowReverse.lightened(kArrowLineLift) : RGBA::arrowReverse;
        appendSegment(gizmo.origin, gizmo.reverseTip(), reverse, out_.overlayLines);
    }
}

}  // namespace

SceneBuffers build(const SceneInput& input) {
    SceneBuffers buffers;
    rebuild(input, buffers);
    return buffers;
}

void rebuild(const SceneInput& input, SceneBuffers& buffers) {
    buffers.shaded.clear();
    buffers.lines.clear();
    buffers.overlayLines.clear();
    buffers.overlayShaded.clear();
    SceneWriter(input, buffers).write();
}

void appendPolyline(std::span<const Vec3> points, const RGBA& color, VertexList& into) {
    SceneMarkers::appendPolyline(points, color, into);
}

void appendGrid(VertexList& into) {
    for (int i = -kGridLinesPerSide; i <= kGridLinesPerSide; ++i) {
        if (i == 0) continue;
        const double v = kGridPitch * i;
        const RGBA& color = i % kMajorEvery == 0 ? kGridMajor : kGridMinor;
        appendSegment({-kGridHalfSize, v, 0}, {kGridHalfSize, v, 0}, color, into);
        appendSegment({v, -kGridHalfSize, 0}, {v, kGridHalfSize, 0}, color, into);
    }
    appendSegment({-kGridHalfSize, 0, 0}, Vec3::zero, kNegativeXAxis, into);
    appendSegment(Vec3::zero, {kGridHalfSize, 0, 0}, kPositiveXAxis, into);
    appendSegment({0, -kGridHalfSize, 0}, Vec3::zero, kNegativeYAxis, into);
    appendSegment(Vec3::zero, {0, kGridHalfSize, 0}, kPositiveYAxis, into);
    appendSegment(Vec3::zero, {0, 0, kZAxisLength}, kZAxis, into);
}

void appendEdges(const SolidMesh& mesh, const SolidFace& face, const RGBA& color,
                 VertexList& into) {
    FaceEmitter().appendEdges(mesh.vertices(), face, VertexStyle(Vec3::zero, color), into);
}

void appendSketchPlane(const SketchPlane& plane, VertexList& into) {
    const Vec3 x = plane.xAxis * kPlaneHalfSize;
    const Vec3 y = plane.yAxis * kPlaneHalfSize;
    const Vec3& o = plane.origin;
    const std::array<Vec3, 5> border{o - x - y, o + x - y, o + x + y, o - x + y, o - x - y};
    SceneMarkers::appendPolyline(border, kPlaneBorder, into);
    for (int step = 0;; ++step) {
        const double t = kPlaneGridStart + kPlaneGridStep * step;
        if (!(t < kPlaneGridEnd)) break;
        appendSegment(o + plane.xAxis * t - y, o + plane.xAxis * t + y, kPlaneGrid, into);
        appendSegment(o - x + plane.yAxis * t, o + x + plane.yAxis * t, kPlaneGrid, into);
    }
}

void appendMarker(const Vec3& point, double size, const RGBA& color, VertexList& into) {
    SceneMarkers::appendCross(point, size, color, into);
}

void appendSnapMarker(const OverlayPoint& point, double size, VertexList& into) {
    SceneMarkers::appendShape(point, size, into);
}

}  // namespace brontile::SceneBuilder
