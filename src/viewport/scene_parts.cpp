// Faces, outlines and everything around the bodies, written straight into vertex lists without
// per-face allocations.
#include "viewport/scene_parts.hpp"

#include <algorithm>
#include <numeric>
#include <span>
#include <unordered_set>

#include "base/overloaded.hpp"
#include "geometry/unit_formatter.hpp"
#include "interaction/constraint_glyph.hpp"
#include "viewport/scene_builder.hpp"
#include "viewport/scene_markers.hpp"

namespace brontile::SceneParts {
namespace {

using SceneMarkers::appendSegment;

constexpr float kSelectedBodyLift = 0.05f;
constexpr float kHoveredFaceLift = 0.14f;
constexpr RGBA kSelectedBodyEdge{0.55f, 0.30f, 0.05f, 1};
constexpr RGBA kPreviewEdge{0.10f, 0.25f, 0.40f, 1};
// Enough of the bodies behind a see-through preview shows to place it.
constexpr float kSeeThroughAlpha = 0.55f;

constexpr std::size_t kSketchPlaneVertices = 52;

// Constraint glyphs are a little larger than markers; their own markers a little smaller.
constexpr double kGlyphScale = 1.2;
constexpr double kGlyphMarkerScale = 0.7;
// Sketch points are drawn a little smaller than glyph markers, so that a coincidence square
// stays visible around the point it joins.
constexpr double kPointMarkerScale = 0.6;
// Vertices of one square marker.
constexpr std::size_t kPointMarkerVertices = 8;
constexpr float kHoveredGlyphLift = 0.2f;
constexpr RGBA kGlyphColor{0.55f, 0.85f, 0.95f, 1};
// Only a reservation hint: a few strokes and one marker per glyph.
constexpr std::size_t kGlyphVertexGuess = 16 + SceneMarkers::kMaxShapeVertices;

constexpr int kArrowSegments = 16;
constexpr float kArrowLineLift = 0.18f;
// Shaft tube, head cone, head back face and reverse cone: at most six triangles per segment.
constexpr std::size_t kArrowVertices = 3 * 6 * kArrowSegments;
constexpr std::size_t kArrowLineVertices = 4;

std::size_t toSize(VertexIndex index) { return static_cast<std::size_t>(index); }

// Appends one vertex of the face at the mesh vertex. Meshes check their indices when built, so
// the index is valid. Inlined by force: this is the innermost step of the whole build.
// cos 20°: faces whose normals are closer meet smoothly, shade as one and show no edge between.
constexpr double kSmoothCosine = 0.9396926207859084;

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

Float4 unitFloat4(const Vec3& v) {
    const Vec3 n = v.normalized();
    return {static_cast<float>(n.x), static_cast<float>(n.y), static_cast<float>(n.z), 0.0f};
}

}  // namespace

// --- SmoothNormals

void SmoothNormals::build(const SolidMesh& mesh) {
    const std::size_t count = mesh.vertices().size();
    const auto& faces = mesh.faces();
    // Side by side: the faces themselves are large, and the passes below read normals only.
    faceNormals_.resize(faces.size());
    for (std::size_t f = 0; f < faces.size(); ++f) faceNormals_[f] = faces[f].normal;
    start_.assign(count + 1, 0);
    // Counted, then placed: a vertex named twice by one face counts that face twice, which
    // weighs nothing wrong into the mean and saves a pass to drop it.
    for (const SolidFace& face : faces) {
        for (const PolygonLoop& loop : face.polygons) {
            for (const VertexIndex v : loop) {
                if (toSize(v) < count) ++start_[toSize(v) + 1];
            }
        }
    }
    for (std::size_t i = 0; i < count; ++i) start_[i + 1] += start_[i];
    faces_.resize(start_[count]);
    std::vector<std::size_t> next(start_.begin(), start_.end() - 1);
    for (std::size_t f = 0; f < faces.size(); ++f) {
        for (const PolygonLoop& loop : faces[f].polygons) {
            for (const VertexIndex v : loop) {
                if (toSize(v) < count) faces_[next[toSize(v)]++] = static_cast<std::uint32_t>(f);
            }
        }
    }
    // Most vertices of a smooth surface have every face around them within 20° of every other:
    // each of their corners gets the same normal, worked out once here.
    whole_.assign(count, 0);
    vertexNormal_.resize(count);
    for (std::size_t v = 0; v < count; ++v) {
        const std::size_t first = start_[v];
        const std::size_t end = start_[v + 1];
        bool whole = first < end;
        Vec3 sum;
        for (std::size_t i = first; i < end && whole; ++i) {
            const Vec3& n = faceNormals_[faces_[i]];
            sum += n;
            for (std::size_t j = first; j < i && whole; ++j) {
                whole = n.dot(faceNormals_[faces_[j]]) >= kSmoothCosine;
            }
        }
        if (!whole) continue;
        whole_[v] = 1;
        vertexNormal_[v] = unitFloat4(sum);
    }
}

Float4 SmoothNormals::at(std::size_t face, VertexIndex vertex) const {
    const std::size_t v = toSize(vertex);
    if (v < whole_.size() && whole_[v]) return vertexNormal_[v];
    return corner(face, v);
}

Float4 SmoothNormals::corner(std::size_t face, std::size_t v) const {
    const Vec3& own = faceNormals_[face];
    Vec3 sum;
    bool named = false;
    if (v + 1 < start_.size()) {
        for (std::size_t k = start_[v]; k < start_[v + 1]; ++k) {
            const Vec3& other = faceNormals_[faces_[k]];
            named = named || faces_[k] == face;
            if (own.dot(other) >= kSmoothCosine) sum += other;
        }
    }
    return unitFloat4(named ? sum : own);
}

// --- FaceEmitter

void FaceEmitter::appendTriangles(const SolidMesh& mesh, const SolidFace& face, VertexStyle style,
                                  VertexList& into) {
    const std::vector<Vec3>& vertices = mesh.vertices();
    mesh.forEachTriangle(face, projected_, [&](VertexIndex a, VertexIndex b, VertexIndex c) {
        put(vertices, a, style, into);
        put(vertices, b, style, into);
        put(vertices, c, style, into);
    });
}

void FaceEmitter::appendSmoothTriangles(const SolidMesh& mesh, std::size_t index,
                                        const SmoothNormals& normals, const RGBA& color,
                                        VertexList& into) {
    const std::vector<Vec3>& vertices = mesh.vertices();
    VertexStyle style(Vec3::zero, color);
    const auto corner = [&](VertexIndex v) {
        style.normal = normals.at(index, v);
        put(vertices, v, style, into);
    };
    mesh.forEachTriangle(mesh.faces()[index], projected_,
                         [&](VertexIndex a, VertexIndex b, VertexIndex c) {
                             corner(a);
                             corner(b);
                             corner(c);
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

// --- Colours

RGBA bodyColor(const Body& body, bool selected) {
    return selected ? RGBA::selection.lightened(kSelectedBodyLift)
                    : BodyPalette::color(body.colorIndex);
}

RGBA capColor(const Body& body, bool selected) {
    constexpr float kCapShade = 0.6f;
    return bodyColor(body, selected).darkened(kCapShade);
}

RGBA bodyEdgeColor(bool selected) { return selected ? kSelectedBodyEdge : RGBA::edge; }

RGBA faceColor(const RGBA& base, bool selected, bool hovered) {
    const RGBA color = selected ? RGBA::selection : base;
    return hovered ? color.lightened(kHoveredFaceLift) : color;
}

const SolidMesh& drawnMesh(const SceneInput& input, const Body& body) {
    const auto& replacements = input.overlay.replacements;
    if (replacements.empty()) return body.mesh;
    const auto found = replacements.find(body.id);
    return found == replacements.end() ? body.mesh : found->second;
}

FaceColors::FaceColors(const Selection& selection, const std::optional<HitTarget>& hover,
                       const BodyID& body, const RGBA& base)
    : selection_(selection), body_(body), base_(base) {
    const FaceRef* hovered = hover ? std::get_if<FaceRef>(&*hover) : nullptr;
    if (hovered && hovered->body == body) hovered_ = IdBits(hovered->face);
    for (const FaceRef& ref : selection_.faces) {
        if (ref.body != body) continue;
        if (selectedCount_ < kListedFaces) listed_[selectedCount_] = IdBits(ref.face);
        ++selectedCount_;
    }
}

RGBA FaceColors::of(const FaceID& face) const {
    if (selectedCount_ == 0 && !hovered_) return base_;
    const IdBits bits(face);
    return faceColor(base_, isSelected(face, bits), hovered_ == bits);
}

bool FaceColors::isMarked(const FaceID& face) const {
    if (selectedCount_ == 0 && !hovered_) return false;
    const IdBits bits(face);
    return hovered_ == bits || isSelected(face, bits);
}

bool FaceColors::isSelected(const FaceID& face, const IdBits& bits) const {
    if (selectedCount_ > kListedFaces) return selection_.faces.contains(FaceRef{body_, face});
    const auto end = listed_.begin() + static_cast<std::ptrdiff_t>(selectedCount_);
    return std::find(listed_.begin(), end, bits) != end;
}

void addMeshCounts(const SolidMesh& mesh, VertexCounts& counts) {
    for (const SolidFace& face : mesh.faces()) {
        for (const PolygonLoop& loop : face.polygons) {
            // Ear clipping gives at most n − 2 triangles; each loop edge is at most one segment.
            if (loop.size() >= 3) counts.shaded += 3 * (loop.size() - 2);
            if (loop.size() >= 2) counts.lines += 2 * loop.size();
        }
    }
}

// --- Writer

// Large scenes would otherwise copy their vertex lists several times while growing them.
void Writer::reserve(SceneBuffers& out, const VertexCounts& bodies) const {
    VertexCounts counts = bodies;
    for (const OverlayMesh& preview : in_.overlay.meshes) addMeshCounts(preview.mesh, counts);
    out.shaded.reserve(out.shaded.size() + counts.shaded);
    out.lines.reserve(out.lines.size() + counts.lines + sketchLineBound());
    out.overlayLines.reserve(out.overlayLines.size() + overlayLineBound());
    out.overlayShaded.reserve(out.overlayShaded.size() +
                              in_.overlay.arrows.size() * kArrowVertices);
}

std::size_t Writer::sketchLineBound() const {
    std::size_t count = 0;
    for (const Sketch& sketch : in_.document.sketches) {
        if (!sketch.isVisible) continue;
        if (in_.activeSketchID == sketch.id) count += kSketchPlaneVertices;
        for (const SketchEntity& entity : sketch.entities) count += polylineVertexBound(entity);
    }
    return count;
}

std::size_t Writer::overlayLineBound() const {
    std::size_t count = in_.overlay.points.size() * SceneMarkers::kMaxShapeVertices +
                        in_.overlay.arrows.size() * kArrowLineVertices;
    for (const Sketch& sketch : in_.document.sketches) {
        if (sketch.isVisible) count += sketch.constraints.size() * kGlyphVertexGuess;
        if (sketch.isVisible && in_.activeSketchID == sketch.id) {
            for (const SketchEntity& entity : sketch.entities) {
                count += entity.pointRoles().size() * kPointMarkerVertices;
            }
        }
    }
    for (const OverlayLine& line : in_.overlay.lines) {
        count += SceneMarkers::overlayLineVertexBound(line, in_.worldUnitsPerPixel);
    }
    return count;
}

void FeatureEdges::addFace(const SolidFace& face, std::size_t index) {
    forEachLoopEdge(face, [&](const SolidMesh::Edge& edge) {
        uses_.push_back({static_cast<std::uint32_t>(index), edge.a, edge.b});
        return true;
    });
}

void FeatureEdges::append(const SolidMesh& mesh, VertexStyle style, VertexList& into) {
    const auto& vertices = mesh.vertices();
    const auto& faces = mesh.faces();
    // The uses gathered by their lower vertex (a counting sort), so that each vertex's few edges
    // are matched among themselves: linear in the edges, where sorting them all cost twice the
    // rest of the scene.
    start_.assign(vertices.size() + 1, 0);
    for (const Use& use : uses_) ++start_[toSize(std::min(use.a, use.b)) + 1];
    std::partial_sum(start_.begin(), start_.end(), start_.begin());
    byVertex_.resize(uses_.size());
    for (const Use& use : uses_) byVertex_[start_[toSize(std::min(use.a, use.b))]++] = use;
    const auto higher = [](const Use& use) { return std::max(use.a, use.b); };
    std::size_t first = 0;
    for (std::size_t v = 0; v < vertices.size(); ++v) {
        const auto run = std::span(byVertex_).subspan(first, start_[v] - first);
        first = start_[v];
        // Sorted by the other end, so that a vertex of many edges (a cone's apex) costs
        // k log k, not k².
        std::ranges::sort(run, {}, higher);
        for (std::size_t i = 0; i < run.size();) {
            std::size_t end = i + 1;
            while (end < run.size() && higher(run[end]) == higher(run[i])) ++end;
            bool draw = end - i != 2;
            if (end - i == 2 && run[i].face != run[i + 1].face) {
                // Both uses in one face are a seam inside it, never drawn.
                draw = faces[run[i].face].normal.dot(faces[run[i + 1].face].normal) < kSmoothCosine;
            }
            if (draw) {
                put(vertices, run[i].a, style, into);
                put(vertices, run[i].b, style, into);
            }
            i = end;
        }
    }
    uses_.clear();
}

void Writer::writeBody(const SolidMesh& mesh, const FaceColors& colors, const RGBA& edge,
                       VertexList& shaded, VertexList& lines,
                       std::vector<std::uint32_t>* faceStarts, VertexList* outlines) {
    const VertexStyle edgeStyle(Vec3::zero, edge);
    normals_.build(mesh);
    const auto& faces = mesh.faces();
    for (std::size_t i = 0; i < faces.size(); ++i) {
        const SolidFace& face = faces[i];
        if (faceStarts) faceStarts->push_back(static_cast<std::uint32_t>(shaded.size()));
        faces_.appendSmoothTriangles(mesh, i, normals_, colors.of(face.id), shaded);
        featureEdges_.addFace(face, i);
        if (outlines != nullptr && colors.isMarked(face.id)) {
            faces_.appendEdges(mesh.vertices(), face, VertexStyle(Vec3::zero, kMarkedFaceOutline),
                               *outlines);
        }
    }
    featureEdges_.append(mesh, edgeStyle, lines);
    if (faceStarts) faceStarts->push_back(static_cast<std::uint32_t>(shaded.size()));
}

void Writer::writeRest(SceneBuffers& out) {
    for (const OverlayMesh& preview : in_.overlay.meshes) writePreview(preview, out);
    for (const Sketch& sketch : in_.document.sketches) {
        if (!sketch.isVisible) continue;
        const auto dragged = in_.overlay.sketches.find(sketch.id);
        writeSketch(dragged == in_.overlay.sketches.end() ? sketch : dragged->second, out);
    }
    for (const OverlayLine& line : in_.overlay.lines) {
        SceneMarkers::appendOverlayLine(line, in_.worldUnitsPerPixel, out.overlayLines);
    }
    for (const OverlayPoint& point : in_.overlay.points) {
        SceneMarkers::appendShape(point, in_.markerSize, out.overlayLines);
    }
    for (const OverlayArrow& arrow : in_.overlay.arrows) writeArrow(arrow, out);
}

void Writer::writePreview(const OverlayMesh& preview, SceneBuffers& out) {
    const VertexStyle edge(Vec3::zero, kPreviewEdge);
    RGBA color = preview.color;
    if (preview.showThrough) color.a = kSeeThroughAlpha;
    std::vector<RenderVertex>& shaded = preview.showThrough ? out.throughShaded : out.shaded;
    const auto& faces = preview.mesh.faces();
    for (std::size_t i = 0; i < faces.size(); ++i) {
        faces_.appendTriangles(preview.mesh, faces[i], VertexStyle(faces[i].normal, color), shaded);
        featureEdges_.addFace(faces[i], i);
    }
    featureEdges_.append(preview.mesh, edge, out.lines);
}

// The sketch being edited is drawn over everything, as it is worked on; the others, dimmer, take
// their place among the bodies' edges, hidden where a body stands in front of them.
void Writer::writeSketch(const Sketch& sketch, SceneBuffers& out) {
    const bool active = in_.activeSketchID == sketch.id;
    if (active) SceneBuilder::appendSketchPlane(sketch.plane, out.lines);
    const RGBA plain = active ? RGBA::sketch : RGBA::sketchInactive;
    VertexList& into = active ? out.overlayLines : out.lines;
    for (const SketchEntity& entity : sketch.entities) {
        appendPlanePolyline(sketch.plane, entity.polyline(), entityColor(sketch.id, entity, plain),
                            into);
    }
    writeGlyphs(sketch, into, out.labels);
    if (active) writePoints(sketch, out.overlayLines);
}

// Only the sketch being edited shows its points: there they are picked and joined, elsewhere they
// would clutter the model.
void Writer::writePoints(const Sketch& sketch, VertexList& overlayLines) const {
    const double size = in_.markerSize * kPointMarkerScale;
    const Vec3 normal = sketch.plane.normal();
    // Drawn after the others, so that a marked point shows even where another shares its place.
    std::vector<OverlayPoint> marked;
    for (const SketchEntity& entity : sketch.entities) {
        for (const SketchParamRole role : entity.pointRoles()) {
            const auto at = entity.point(role);
            if (!at) continue;
            const SketchPointRef ref{sketch.id, entity.id, role};
            const OverlayPoint marker{sketch.plane.toWorld(*at), pointColor(sketch, ref),
                                      OverlayMarkerKind::square, normal};
            if (isMarked(ref)) {
                marked.push_back(marker);
            } else {
                SceneMarkers::appendShape(marker, size, overlayLines);
            }
        }
    }
    for (const OverlayPoint& marker : marked) SceneMarkers::appendShape(marker, size, overlayLines);
}

bool Writer::isMarked(const SketchPointRef& ref) const {
    const SketchPointRef* hover = hovered<SketchPointRef>();
    return (hover && *hover == ref) || in_.selection.sketchPoints.contains(ref);
}

// Hover beats selection, selection beats the sketch's colour.
RGBA Writer::pointColor(const Sketch& sketch, const SketchPointRef& ref) const {
    const SketchPointRef* hover = hovered<SketchPointRef>();
    if (hover && *hover == ref) return RGBA::hover;
    if (in_.selection.sketchPoints.contains(ref)) return RGBA::selection;
    const bool pinned = in_.activeSketchID == sketch.id && in_.activeFreedom &&
                        in_.activeFreedom->isDetermined(SketchGeomRef{ref.entity, ref.role});
    return pinned ? RGBA::sketchFixed : RGBA::sketch;
}

// Hover beats selection, selection beats construction, construction beats a pinned curve's
// colour, which beats the sketch's.
RGBA Writer::entityColor(const Uuid& sketch, const SketchEntity& entity, const RGBA& plain) const {
    const SketchEntityRef ref{sketch, entity.id};
    const SketchEntityRef* hover = hovered<SketchEntityRef>();
    if (hover && *hover == ref) return RGBA::hover;
    if (in_.selection.sketchEntities.contains(ref)) return RGBA::selection;
    if (entity.isConstruction) return RGBA::construction;
    const bool pinned = in_.activeSketchID == sketch && in_.activeFreedom &&
                        in_.activeFreedom->isDetermined(entity.id);
    return pinned ? RGBA::sketchFixed : plain;
}

void Writer::writeGlyphs(const Sketch& sketch, VertexList& overlayLines,
                         std::vector<SceneLabel>& labels) {
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
        if (in_.flagged.contains({sketch.id, glyph.id})) color = RGBA::conflict;
        if (hover && *hover == SketchConstraintSel{sketch.id, glyph.id}) {
            color = color.lightened(kHoveredGlyphLift);
        }
        for (const auto& [a, b] : glyph.lines) {
            appendSegment(plane.toWorld(a), plane.toWorld(b), color, overlayLines);
        }
        writeLabel(sketch, glyph, labels);
        if (!glyph.marker) continue;
        const OverlayPoint marker{plane.toWorld(glyph.point), color, *glyph.marker, plane.normal()};
        SceneMarkers::appendShape(marker, markerSize, overlayLines);
    }
}

void Writer::writeLabel(const Sketch& sketch, const ConstraintGlyph& glyph,
                        std::vector<SceneLabel>& labels) const {
    // Only dimensions are looked up: the search goes through the sketch's constraints, and this
    // runs with every rebuild of the scene.
    if (glyph.kind != SketchConstraintKind::distance &&
        glyph.kind != SketchConstraintKind::radius) {
        return;
    }
    const auto constraint = sketch.constraint(glyph.id);
    if (!constraint || !constraint->value) return;
    std::string text = UnitFormatter::string(*constraint->value, in_.document.units);
    if (constraint->kind == SketchConstraintKind::radius) text = "R " + text;
    labels.push_back({sketch.plane.toWorld(glyph.point), std::move(text),
                      SketchConstraintSel{sketch.id, glyph.id}, glyph.selected});
}

void Writer::writeArrow(const OverlayArrow& arrow, SceneBuffers& out) {
    const ArrowGizmo gizmo = arrow.gizmo(in_.worldUnitsPerPixel);
    const RGBA color = arrow.drawColor();
    const SolidMesh mesh = gizmo.mesh(kArrowSegments);
    for (const SolidFace& face : mesh.faces()) {
        faces_.appendTriangles(mesh, face, VertexStyle(face.normal, color), out.overlayShaded);
    }
    appendSegment(gizmo.origin, gizmo.tip(), color.lightened(kArrowLineLift), out.overlayLines);
    if (gizmo.hasReverse()) {
        const RGBA reverse =
            arrow.hovered ? RGBA::arrowReverse.lightened(kArrowLineLift) : RGBA::arrowReverse;
        appendSegment(gizmo.origin, gizmo.reverseTip(), reverse, out.overlayLines);
    }
}

}  // namespace brontile::SceneParts
