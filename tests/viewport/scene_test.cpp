// The scene the renderer draws: what each part contributes to the vertex lists and in which
// colours, fast face paths against SolidMesh's own triangles, which edges are drawn, and the
// per-body cache, which draws what the flat builder draws and keeps a body's chunk until its
// mesh, colour or section changes.
#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cmath>
#include <functional>
#include <limits>
#include <memory>
#include <numbers>
#include <optional>
#include <set>
#include <tuple>
#include <unordered_map>
#include <utility>
#include <vector>

#include "support/mesh_fixtures.hpp"
#include "support/sketch_fixtures.hpp"
#include "viewport/render_scene.hpp"
#include "viewport/scene_builder.hpp"
#include "viewport/scene_cache.hpp"
#include "viewport/scene_parts.hpp"

namespace brontile {
namespace {

using test::boxMesh;

SceneInput bareScene() {
    SceneInput input;
    input.document.showGrid = false;
    return input;
}

Vec3 positionOf(const RenderVertex& v) { return {v.position.x, v.position.y, v.position.z}; }

// Within float rounding: lifted colours are sums.
void expectColor(const RenderVertex& v, const RGBA& expected) {
    EXPECT_FLOAT_EQ(v.color.x, expected.r);
    EXPECT_FLOAT_EQ(v.color.y, expected.g);
    EXPECT_FLOAT_EQ(v.color.z, expected.b);
    EXPECT_FLOAT_EQ(v.color.w, expected.a);
}

// The straightforward drawing of one face, from SolidMesh's own triangles and boundary edges.
// A face's corner normal: the normals of the faces naming the vertex (once per naming) within
// 20° of its own, summed in face order.
Vec3 referenceNormal(const SolidMesh& mesh, const SolidFace& face, VertexIndex vertex) {
    Vec3 sum;
    for (const SolidFace& other : mesh.faces()) {
        constexpr double kCos20 = 0.9396926207859084;
        if (face.normal.dot(other.normal) < kCos20) continue;
        for (const PolygonLoop& loop : other.polygons) {
            for (const VertexIndex named : loop) {
                if (named == vertex) sum += other.normal;
            }
        }
    }
    return sum.normalized();
}

void appendReferenceFace(const SolidMesh& mesh, const SolidFace& face, const RGBA& color,
                         SceneBuffers& out) {
    const auto& v = mesh.vertices();
    for (const auto& t : mesh.triangles(face)) {
        for (VertexIndex i : t) {
            out.shaded.emplace_back(v[std::size_t(i)], referenceNormal(mesh, face, i), color);
        }
    }
}

// The body's drawn edges as unordered pairs of end points.
std::multiset<std::pair<std::array<double, 3>, std::array<double, 3>>> edgeSet(
    const SceneBuffers& scene) {
    std::multiset<std::pair<std::array<double, 3>, std::array<double, 3>>> edges;
    for (std::size_t i = 0; i + 1 < scene.lines.size(); i += 2) {
        const Vec3 a = positionOf(scene.lines[i]);
        const Vec3 b = positionOf(scene.lines[i + 1]);
        std::array<double, 3> p{a.x, a.y, a.z}, q{b.x, b.y, b.z};
        if (q < p) std::swap(p, q);
        edges.insert({p, q});
    }
    return edges;
}

// Faces the fast paths must not get wrong: degenerate and slit loops, seams between loops, holes,
// and loops too long for fixed storage, with and without a seam.
SolidMesh awkwardMesh() {
    std::vector<Vec3> v{{0, 0, 0}, {1, 0, 0}, {1, 1, 0}, {0, 1, 0}, {3, 0, 0}, {7, 0, 0},
                        {7, 4, 0}, {3, 4, 0}, {4, 1, 0}, {6, 1, 0}, {6, 3, 0}, {4, 3, 0}};
    for (int i = 0; i < 40; ++i) {
        const double a = 2 * std::numbers::pi * i / 40;
        v.push_back({20 + 5 * std::cos(a), 5 * std::sin(a), 0});
    }
    PolygonLoop ring, arcA, arcB{12};
    for (VertexIndex i = 12; i < 52; ++i) ring.push_back(i);
    for (VertexIndex i = 12; i < 32; ++i) arcA.push_back(i);
    for (VertexIndex i = 31; i < 52; ++i) arcB.push_back(i);
    const auto face = [](std::vector<PolygonLoop> loops) {
        return SolidFace{FaceID::generate(), std::move(loops), Vec3::unitZ};
    };
    std::vector<SolidFace> faces{face({{0, 1, 2}}),
                                 face({{0, 0, 1}}),
                                 face({{0, 1, 2}, {0, 2, 3}}),
                                 face({{4, 5, 6, 7}, {8, 11, 10, 9}}),
                                 face({{0, 1, 2, 3, 2}}),
                                 face({{0, 1}, {0, 1, 1, 2}}),
                                 face({ring}),
                                 face({arcA, arcB})};
    return SolidMesh(std::move(v), std::move(faces));
}

TEST(SceneBuilderGrid, EmptySceneIsEmptyAndTheGridAloneIs250LineVertices) {
    SceneInput input = bareScene();
    EXPECT_EQ(SceneBuilder::build(input), SceneBuffers{});
    input.document.showGrid = true;
    const SceneBuffers grid = SceneBuilder::build(input);
    EXPECT_EQ(grid.lines.size(), 250u);
    EXPECT_TRUE(grid.shaded.empty() && grid.overlayLines.empty() && grid.overlayShaded.empty());
    // The last segment is the 60 mm Z axis.
    EXPECT_EQ(positionOf(grid.lines.back()), (Vec3{0, 0, 60}));
}

// The section cuts on the GPU: it takes nothing out of the lists.
TEST(SceneBuilderBodies, FastFacePathsDrawWhatTheMeshDefines) {
    const std::vector<SolidMesh> meshes{awkwardMesh(),
                                        boxMesh({0, 0, 0}, {2, 3, 4}),
                                        test::triangulatedBoxMesh({-1, -1, -1}, {1, 1, 1}),
                                        test::lShapeMesh(5),
                                        test::sphereMesh({1, 2, 3}, 4, 9, 7),
                                        test::largeMesh(60)};
    for (const bool section : {false, true}) {
        for (const SolidMesh& mesh : meshes) {
            SceneInput input = bareScene();
            if (section) input.section = SectionPlane::main(SectionChoice::right);
            input.document.addBody(mesh);
            SceneBuffers expected;
            for (const SolidFace& face : mesh.faces()) {
                appendReferenceFace(mesh, face, BodyPalette::color(0), expected);
            }
            EXPECT_EQ(SceneBuilder::build(input).shaded, expected.shaded) << mesh.faces().size();
        }
    }
}

// Lines where faces meet at more than 20° and along open edges; none across a smooth surface or
// between coplanar faces.
TEST(SceneBuilderBodies, OnlyFeatureEdgesAreDrawn) {
    const auto linesOf = [](const SolidMesh& mesh) {
        SceneInput input = bareScene();
        input.document.addBody(mesh);
        return SceneBuilder::build(input);
    };
    // A box, and one whose sides are split into coplanar triangles: the twelve edges alone.
    const SceneBuffers box = linesOf(boxMesh({0, 0, 0}, {2, 3, 4}));
    EXPECT_EQ(box.lines.size(), 24u);
    EXPECT_EQ(edgeSet(linesOf(test::triangulatedBoxMesh({0, 0, 0}, {2, 3, 4}))), edgeSet(box));
    // A fine sphere's facets meet at about 6°: no lines. A coarse one's meet at 40°: every edge.
    EXPECT_TRUE(linesOf(test::sphereMesh({0, 0, 0}, 5, 64, 32)).lines.empty());
    EXPECT_FALSE(linesOf(test::sphereMesh({0, 0, 0}, 5, 9, 7)).lines.empty());
}

TEST(SceneBuilderBodies, SelectionAndHoverColours) {
    SceneInput input = bareScene();
    const SolidMesh box = boxMesh({0, 0, 0}, {1, 1, 1});
    const BodyID id = input.document.addBody(box);
    const FaceID picked = box.faces()[2].id;
    input.selection.bodies.insert(id);
    input.selection.faces.insert({id, picked});
    const RGBA brightened = RGBA::selection.lightened(0.05f);

    const SceneBuffers selected = SceneBuilder::build(input);
    ASSERT_EQ(selected.shaded.size(), 36u);
    for (std::size_t i = 0; i < selected.shaded.size(); ++i) {
        expectColor(selected.shaded[i], i / 6 == 2 ? RGBA::selection : brightened);
    }
    // The body's twelve edges, then the selected face's whole outline after them.
    ASSERT_EQ(selected.lines.size(), 24u + 8u);
    for (std::size_t i = 0; i < selected.lines.size(); ++i) {
        expectColor(selected.lines[i],
                    i < 24 ? RGBA{0.55f, 0.30f, 0.05f, 1} : SceneParts::kMarkedFaceOutline);
    }

    input.hover = FaceRef{id, picked};
    const SceneBuffers hovered = SceneBuilder::build(input);
    expectColor(hovered.shaded[12], {1.0f, 0.72f, 0.30f, 1});
    expectColor(hovered.shaded[0], brightened);

    input.document.bodies[0].isVisible = false;
    EXPECT_EQ(SceneBuilder::build(input), SceneBuffers{});
}

TEST(SceneBuilderBodies, ReplacementsDrawInPlaceOfTheirBodyOnly) {
    SceneInput input = bareScene();
    input.section = SectionPlane::main(SectionChoice::top);
    SceneInput direct = input;
    direct.document.addBody(test::lShapeMesh(5));
    const BodyID id = input.document.addBody(boxMesh({0, 0, 0}, {1, 1, 1}));
    input.overlay.replacements[id] = direct.document.bodies[0].mesh;
    EXPECT_EQ(SceneBuilder::build(input), SceneBuilder::build(direct));
    input.document.bodies.clear();
    EXPECT_EQ(SceneBuilder::build(input), SceneBuffers{});
}

TEST(SceneBuilderOverlay, DashedLines) {
    const double inf = std::numeric_limits<double>::infinity();
    // Name, length, dashes, where the last one ends. w = 0.01 gives the shortest dash, 0.4, and
    // gaps of 0.28.
    const std::tuple<const char*, double, std::size_t, double> cases[] = {
        {"zero length draws nothing", 0, 0, 0},
        {"shorter than half a dash is solid", 0.19, 1, 0.19},
        {"a gap ending at the end adds nothing", 0.68, 1, 0.4},
        {"last dash clipped at the end", 1.0, 2, 1.0},
        {"many dashes", 6.8, 10, 6.52},
        {"absurdly long is solid", 1e12, 1, 1e12},
        {"infinitely long is solid", inf, 1, inf},
    };
    const Vec3 a{1, 2, 3};
    for (const auto& [name, length, segments, lastEnd] : cases) {
        SceneInput input = bareScene();
        input.worldUnitsPerPixel = 0.01;
        input.overlay.lines.push_back(
            {a, a + Vec3{0, length, 0}, RGBA::preview, OverlayLineStyle::dashed});
        const auto lines = SceneBuilder::build(input).overlayLines;
        ASSERT_EQ(lines.size(), 2 * segments) << name;
        if (segments == 0) continue;
        EXPECT_EQ(positionOf(lines.front()), a) << name;
        EXPECT_FLOAT_EQ(lines.back().position.y, static_cast<float>(2 + lastEnd)) << name;
        if (segments > 1) {
            EXPECT_FLOAT_EQ(lines[1].position.y, 2.4f) << name;
        }
    }
}

// Flat across the normal (a cross is not) and within the size; nothing for a NaN size.
TEST(SceneBuilderMarkers, ShapesLieInTheirPlaneAndNaNSizesDrawNothing) {
    const Vec3 p{1, 2, 3};
    for (const OverlayMarkerKind kind : allCases<OverlayMarkerKind>()) {
        std::vector<RenderVertex> out, none;
        SceneBuilder::appendSnapMarker({p, RGBA::snap, kind, {0, 0, 2}}, 2, out);
        SceneBuilder::appendSnapMarker({p, RGBA::snap, kind, Vec3::unitZ}, std::nan(""), none);
        EXPECT_TRUE(!out.empty() && none.empty()) << rawValue(kind);
        for (const RenderVertex& v : out) {
            const Vec3 d = positionOf(v) - p;
            EXPECT_TRUE(d.length() <= 2 * std::sqrt(2.0) + 1e-6 &&
                        (kind == OverlayMarkerKind::cross || std::abs(d.z) < 1e-6))
                << rawValue(kind) << " " << d.x << " " << d.y << " " << d.z;
        }
    }
}

// The active sketch draws over everything; the others among the edges, depth-tested and dimmer.
TEST(SceneBuilderSketches, EntityColours) {
    // Name, construction, selected, hovered, the sketch active, colour.
    const std::tuple<const char*, bool, bool, bool, bool, RGBA> cases[] = {
        {"active", false, false, false, true, RGBA::sketch},
        {"inactive", false, false, false, false, RGBA::sketchInactive},
        {"construction wins over inactive", true, false, false, false, RGBA::construction},
        {"selection wins over construction", true, true, false, false, RGBA::selection},
        {"hover wins over selection", true, true, true, false, RGBA::hover},
    };
    for (const auto& [name, construction, selected, hovered, active, expected] : cases) {
        SceneInput input = bareScene();
        const Uuid id = input.document.addSketch(SketchPlane::xz);
        SketchEntity line = test::line({0, 0}, {1, 2});
        line.isConstruction = construction;
        input.document.sketches[0].entities.push_back(line);
        if (selected) input.selection.sketchEntities.insert({id, line.id});
        if (hovered) input.hover = SketchEntityRef{id, line.id};
        if (active) input.activeSketchID = id;
        const SceneBuffers scene = SceneBuilder::build(input);
        // The active sketch's plane grid goes first among the depth-tested lines; over
        // everything go its line and the squares at the line's ends.
        const auto& lines = active ? scene.overlayLines : scene.lines;
        ASSERT_EQ(lines.size(), active ? 2u + 2u * 8u : 2u) << name;
        expectColor(lines[1], expected);
        EXPECT_EQ(positionOf(lines[1]), (Vec3{1, 0, 2})) << name;
    }
}

TEST(SceneBuilderSketches, ActivePlaneAndConstraintGlyphs) {
    SceneInput input = bareScene();
    const Uuid id = input.document.addSketch(SketchPlane::xy);
    Sketch& sketch = input.document.sketches[0];
    const SketchEntity a = test::line({0, 0}, {10, 0}), b = test::line({0, 0}, {0, 10});
    sketch.entities = {a, b};
    using test::constraint;
    sketch.constraints = {
        constraint(SketchConstraintKind::horizontal, {{a.id, SketchParamRole::entity}}),
        constraint(SketchConstraintKind::coincident,
                   {{a.id, SketchParamRole::start}, {b.id, SketchParamRole::start}})};
    const SketchConstraintID flat = sketch.constraints[0].id, joined = sketch.constraints[1].id;
    input.activeSketchID = id;
    input.selection.constraints.insert({id, joined});
    input.hover = SketchConstraintSel{id, flat};

    const SceneBuffers scene = SceneBuilder::build(input);
    EXPECT_EQ(scene.lines.size(), 52u);  // the active sketch's plane
    // Over everything: its two lines, the horizontal glyph's one stroke, the coincident square
    // (a marker, 8 vertices), then a square at each of the lines' four ends.
    ASSERT_EQ(scene.overlayLines.size(), 4u + 2u + 8u + 4u * 8u);
    expectColor(scene.overlayLines[4], {0.75f, 1.0f, 1.0f, 1});
    expectColor(scene.overlayLines[6], RGBA::selection);
    // Not being edited, the sketch and its glyphs take their place among the edges.
    input.activeSketchID.reset();
    const SceneBuffers resting = SceneBuilder::build(input);
    EXPECT_EQ(resting.lines.size(), 4u + 2u + 8u);
    EXPECT_TRUE(resting.overlayLines.empty());
}

// In the sketch being edited, what the constraints pin takes its own colour; constraints an error
// is about are marked.
TEST(SceneBuilderSketches, PinnedGeometryAndFlaggedGlyphs) {
    SceneInput input = bareScene();
    const Uuid id = input.document.addSketch(SketchPlane::xy);
    const SketchEntity a = test::line({0, 0}, {10, 0}), b = test::line({0, 5}, {10, 5});
    Sketch& sketch = input.document.sketches[0];
    sketch.entities = {a, b};
    sketch.constraints = {
        test::constraint(SketchConstraintKind::horizontal, {{b.id, SketchParamRole::entity}})};
    input.activeSketchID = id;
    SketchFreedom freedom;
    freedom.determinedEntities = {a.id};
    freedom.determinedPoints = {{a.id, SketchParamRole::start},
                                {a.id, SketchParamRole::end},
                                {b.id, SketchParamRole::start}};
    input.activeFreedom = freedom;
    input.flagged = {{id, sketch.constraints[0].id}};
    const SceneBuffers scene = SceneBuilder::build(input);
    // Two lines, the glyph's stroke, then the four ends' squares.
    ASSERT_EQ(scene.overlayLines.size(), 4u + 2u + 4u * 8u);
    expectColor(scene.overlayLines[0], RGBA::sketchFixed);
    expectColor(scene.overlayLines[2], RGBA::sketch);
    expectColor(scene.overlayLines[4], RGBA::conflict);
    const RGBA ends[] = {RGBA::sketchFixed, RGBA::sketchFixed, RGBA::sketchFixed, RGBA::sketch};
    for (std::size_t i = 0; i < 4; ++i) expectColor(scene.overlayLines[6 + 8 * i], ends[i]);
}

// The sketch being edited shows a square at every end and centre, flat in its plane; hovered and
// selected ones take those colours (hover first) and come last, so that a marked point shows over
// another in its place. Other sketches show no points.
TEST(SceneBuilderSketches, ActiveSketchPointsAreSquaresMarkedOnesLast) {
    SceneInput input = bareScene();
    input.markerSize = 1;
    const Uuid id = input.document.addSketch(SketchPlane::xz);
    const SketchEntity a = test::line({0, 0}, {4, 0}), bow = test::arc({20, 0}, 1, 0, 1);
    input.document.sketches[0].entities = {a, bow};
    input.activeSketchID = id;
    input.hover = SketchPointRef{id, a.id, SketchParamRole::start};
    input.selection.sketchPoints = {{id, a.id, SketchParamRole::start},
                                    {id, bow.id, SketchParamRole::center}};
    const std::size_t curves = 2 + 2 * 24;
    const std::pair<Vec2, RGBA> squares[] = {{{4, 0}, RGBA::sketch},
                                             {{21, 0}, RGBA::sketch},
                                             {{20 + std::cos(1.0), std::sin(1.0)}, RGBA::sketch},
                                             {{0, 0}, RGBA::hover},
                                             {{20, 0}, RGBA::selection}};
    const SceneBuffers scene = SceneBuilder::build(input);
    ASSERT_EQ(scene.overlayLines.size(), curves + 8 * std::size(squares));
    const SketchPlane& plane = input.document.sketches[0].plane;
    for (std::size_t i = 0; i < std::size(squares); ++i) {
        // A corner, 0.6 marker from the point along both sides.
        const RenderVertex& corner = scene.overlayLines[curves + 8 * i];
        EXPECT_NEAR((positionOf(corner) - plane.toWorld(squares[i].first)).length(),
                    0.6 * std::sqrt(2.0), 1e-5)
            << i;
        expectColor(corner, squares[i].second);
    }
    input.activeSketchID.reset();
    EXPECT_EQ(SceneBuilder::build(input).lines.size(), curves);
}

// Drawn over everything: points first, then arrows; previews are shaded with dark edges, and a
// see-through one (a cut's) goes translucent into its own list.
TEST(SceneBuilderOverlay, HoveredArrowPreviewAndPoint) {
    SceneInput input = bareScene();
    input.overlay.points.push_back({{}, RGBA::snap, OverlayMarkerKind::diamond, Vec3::unitZ});
    input.overlay.arrows.push_back(
        OverlayArrow::extrusion({0, 0, 0}, Vec3::unitZ, 5, false, true, true));
    input.overlay.meshes.push_back({boxMesh({0, 0, 0}, {1, 1, 1}), RGBA::preview});
    const SceneBuffers scene = SceneBuilder::build(input);
    expectColor(scene.overlayShaded[0], RGBA::arrow.lightened(0.22f));
    ASSERT_EQ(scene.overlayLines.size(), 8u + 4u);
    expectColor(scene.overlayLines[11], RGBA::arrowReverse.lightened(0.18f));
    EXPECT_EQ(scene.shaded.size(), 36u);
    expectColor(scene.lines[0], {0.10f, 0.25f, 0.40f, 1});
    input.overlay.meshes[0].showThrough = true;
    const SceneBuffers through = SceneBuilder::build(input);
    EXPECT_TRUE(through.shaded.empty());
    ASSERT_EQ(through.throughShaded.size(), 36u);
    EXPECT_LT(through.throughShaded[0].color.w, 1.0f);
}

void expectSameList(const char* name, const std::vector<RenderVertex>& actual,
                    const std::vector<RenderVertex>& expected) {
    EXPECT_EQ(actual.size(), expected.size()) << name;
    const auto [a, e] = std::ranges::mismatch(actual, expected);
    if (a != actual.end() && e != expected.end()) {
        ADD_FAILURE() << name << " differ first at vertex " << (a - actual.begin());
    }
}

class SceneCacheTest : public ::testing::Test {
protected:
    SceneCacheTest() {
        box = input.document.addBody(test::boxMesh({0, 0, 0}, {10, 10, 10}));
        sphere = input.document.addBody(test::sphereMesh({30, 0, 5}, 5, 9, 7));
        lShape = input.document.addBody(test::lShapeMesh(5));
        split = input.document.addBody(test::triangulatedBoxMesh({-20, -20, 0}, {-10, -10, 10}));
        const SketchEntity a = test::line({0, 0}, {10, 0}), b = test::line({0, 0}, {0, 10});
        Sketch active = test::sketchOf(
            {a, b, test::circle({5, 5}, 2), test::arc({8, 8}, 3, 0, 2)},
            {test::constraint(SketchConstraintKind::horizontal, {{a.id, SketchParamRole::entity}}),
             test::constraint(SketchConstraintKind::coincident,
                              {{a.id, SketchParamRole::start}, {b.id, SketchParamRole::start}})});
        active.entities[1].isConstruction = true;
        input.selection.sketchEntities.insert({active.id, a.id});
        input.selection.constraints.insert({active.id, active.constraints[1].id});
        input.activeSketchID = active.id;
        Sketch other = test::sketchOf({test::line({1, 1}, {4, 4})}, {}, SketchPlane::xz);
        Sketch hidden = test::sketchOf({test::line({2, 2}, {3, 3})});
        hidden.isVisible = false;
        input.document.sketches = {active, other, hidden};
        input.overlay.meshes.push_back({test::boxMesh({0, 0, 20}, {2, 2, 22}), RGBA::preview});
        input.overlay.meshes.push_back(
            {test::boxMesh({0, 0, -5}, {2, 2, 5}), RGBA::previewCut, true});
        input.overlay.lines.push_back(
            {{0, 0, 0}, {50, 0, 0}, RGBA::preview, OverlayLineStyle::dashed});
        input.overlay.points.push_back(
            {{1, 2, 3}, RGBA::snap, OverlayMarkerKind::circle, Vec3::unitZ});
        input.overlay.arrows.push_back(
            OverlayArrow::extrusion({5, 5, 10}, Vec3::unitZ, 4, false, true, true));
    }

    // Rebuilds on the one cache and checks the scene against the flat builder's lists, and every
    // highlight against the chunk vertex it draws over, which flatten does not look at.
    void check() {
        cache.rebuild(input, scene);
        const SceneBuffers flat = flatten(scene), expected = SceneBuilder::build(input);
        expectSameList("shaded", flat.shaded, expected.shaded);
        expectSameList("lines", flat.lines, expected.lines);
        expectSameList("throughShaded", flat.throughShaded, expected.throughShaded);
        expectSameList("overlayShaded", flat.overlayShaded, expected.overlayShaded);
        expectSameList("overlayLines", flat.overlayLines, expected.overlayLines);
        EXPECT_EQ(scene.section, input.section) << "the renderer cuts where the section is";
        std::size_t highlights = 0;
        for (const BodyDraw& draw : scene.bodies) {
            const BodyChunk& chunk = *draw.chunk;
            ASSERT_FALSE(chunk.faceStarts.empty());
            EXPECT_EQ(chunk.faceStarts.back(), chunk.shaded.size());
            std::size_t at = draw.highlightStart;
            for (const FaceRecolor& recolor : draw.recolors) {
                ASSERT_LE(recolor.start + recolor.count, chunk.shaded.size());
                ASSERT_LE(at + recolor.count, scene.highlights.size());
                for (std::size_t k = recolor.start; k < recolor.start + recolor.count; ++k) {
                    RenderVertex vertex = chunk.shaded[k];
                    vertex.color = recolor.color.simd();
                    EXPECT_EQ(scene.highlights[at++], vertex);
                }
            }
            EXPECT_EQ(at - draw.highlightStart, draw.highlightCount);
            highlights += draw.highlightCount;
        }
        EXPECT_EQ(highlights, scene.highlights.size());
    }

    Body& body(const BodyID& id) { return input.document.bodies[*input.document.bodyIndex(id)]; }
    // The id of the index-th face of the mesh drawn for the body.
    FaceID face(const BodyID& id, std::size_t index) {
        const auto replaced = input.overlay.replacements.find(id);
        const SolidMesh& mesh =
            replaced == input.overlay.replacements.end() ? body(id).mesh : replaced->second;
        return mesh.faces()[index].id;
    }
    void select(const BodyID& id, std::size_t index) {
        input.selection.faces.insert({id, face(id, index)});
    }
    void hover(const BodyID& id, std::size_t index) { input.hover = FaceRef{id, face(id, index)}; }
    SceneInput input;
    BodyID box, sphere, lShape, split;
    SceneCache cache;
    RenderScene scene;
};

// After every change the scene is what the flat builder draws, and the chunks replaced are
// exactly those of the bodies listed with the change (whose mesh or colour changed),
// each with a new revision: the others are kept, hidden ones included, and a deleted body's chunk
// is let go.
TEST_F(SceneCacheTest, DrawsWhatTheFlatBuilderDrawsRebuildingOnlyTheChunksThatChanged) {
    // A face of the sphere (centred at x = 30) on its far side.
    const auto& sphereFaces = body(sphere).mesh.faces();
    const auto cutAway = static_cast<std::size_t>(
        std::ranges::find_if(
            sphereFaces,
            [&](const SolidFace& f) { return body(sphere).mesh.centroid(f).x > 30.5; }) -
        sphereFaces.begin());
    const std::vector<BodyID> all{box, sphere, lShape, split}, none;
    const std::vector<std::tuple<const char*, std::function<void()>, std::vector<BodyID>>> steps{
        {"plain", [] {}, all},
        {"a selected body", [&] { input.selection.bodies.insert(sphere); }, none},
        {"faces selected in an unselected and a selected body",
         [&] {
             select(box, 2);
             select(box, 4);
             select(sphere, 3);
         },
         none},
        {"hovered: a selected face of an unselected body", [&] { hover(box, 2); }, none},
        {"hovered: a plain face of an unselected body", [&] { hover(box, 0); }, none},
        {"hovered: a selected face of a selected body", [&] { hover(sphere, 3); }, none},
        {"hovered: a plain face of a selected body", [&] { hover(sphere, 5); }, none},
        {"more than eight faces selected in one body",
         [&] {
             for (std::size_t i = 10; i < 30; ++i) select(sphere, i);
             hover(sphere, 12);
         },
         none},
        {"a replacement in place of a body with selected faces",
         [&] {
             input.overlay.replacements[box] = test::lShapeMesh(8);
             hover(box, 1);
         },
         {box}},
        {"the section cut", [&] { input.section = SectionPlane::main(SectionChoice::front); },
         none},
        {"a hovered face on the far side",
         [&] {
             select(sphere, cutAway);
             hover(sphere, cutAway);
         },
         none},
        {"a zoom",
         [&] {
             input.worldUnitsPerPixel = 0.3;
             input.markerSize = 1.5;
         },
         none},
        {"a hidden body and no grid",
         [&] {
             body(lShape).isVisible = false;
             input.document.showGrid = false;
         },
         none},
        {"a colour and a selected face",
         [&] {
             body(split).colorIndex = 4;
             select(split, 1);
         },
         {split}},
        {"that body's faces reordered",
         [&] {
             const auto& faces = body(split).mesh.faces();
             body(split).mesh =
                 SolidMesh(body(split).mesh.vertices(), {faces.rbegin(), faces.rend()});
         },
         {split}},
        {"the body shown again", [&] { body(lShape).isVisible = true; }, none},
        {"the section off", [&] { input.section.reset(); }, none},
        {"a hovered sketch curve",
         [&] {
             const Sketch& s = input.document.sketches[0];
             input.hover = SketchEntityRef{s.id, s.entities[2].id};
         },
         none},
        {"a body deleted", [&] { input.document.removeBody(sphere); }, none},
        {"a face id carried by two faces",
         [&] {
             std::vector<SolidFace> faces = body(lShape).mesh.faces();
             faces[3].id = faces[1].id;
             body(lShape).mesh = SolidMesh(body(lShape).mesh.vertices(), std::move(faces));
             hover(lShape, 1);
         },
         {lShape}},
        {"the replacement gone",
         [&] {
             input.overlay.replacements.clear();
             hover(box, 3);
         },
         {box}},
    };
    // The chunk each body was last drawn with (kept while it is hidden), and its revision.
    std::unordered_map<BodyID, std::pair<std::weak_ptr<const BodyChunk>, std::uint64_t>> last;
    std::set<std::uint64_t> revisions;
    for (const auto& [name, change, rebuilt] : steps) {
        SCOPED_TRACE(name);
        // A chunk the renderer still holds is never refilled in place.
        const auto held = rebuilt.empty() ? nullptr : last[rebuilt[0]].first.lock();
        const auto copy = held ? std::optional(*held) : std::nullopt;
        change();
        check();
        if (held) {
            EXPECT_EQ(held->shaded, copy->shaded);
            EXPECT_EQ(held->revision, copy->revision);
        }
        for (const BodyDraw& draw : scene.bodies) {
            auto& [chunk, revision] = last[draw.chunk->body];
            const bool isNew = draw.chunk->revision != revision;
            EXPECT_EQ(isNew, std::ranges::count(rebuilt, draw.chunk->body) > 0);
            if (isNew) {
                EXPECT_TRUE(revisions.insert(revision = draw.chunk->revision).second);
            } else {
                EXPECT_EQ(draw.chunk, chunk.lock());
            }
            chunk = draw.chunk;
        }
        for (const auto& [id, drawn] : last) {
            if (!input.document.bodyIndex(id)) {
                EXPECT_TRUE(drawn.first.expired());
            }
        }
    }
}

}  // namespace
}  // namespace brontile
