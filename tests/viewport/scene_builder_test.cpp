// The scene builder: what each part of the scene contributes to the four vertex lists, in which
// colours, and that its allocation-free face paths draw exactly what SolidMesh defines.
#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <numbers>
#include <vector>

#include "support/mesh_fixtures.hpp"
#include "viewport/scene_builder.hpp"
#include "viewport/scene_markers.hpp"

namespace brontile {
namespace {

using test::boxMesh;

SceneInput bareScene() {
    SceneInput input;
    input.document.showGrid = false;
    return input;
}

RGBA colorOf(const RenderVertex& v) { return {v.color.x, v.color.y, v.color.z, v.color.w}; }
Vec3 positionOf(const RenderVertex& v) { return {v.position.x, v.position.y, v.position.z}; }

void expectColor(const RGBA& actual, const RGBA& expected) {
    EXPECT_FLOAT_EQ(actual.r, expected.r);
    EXPECT_FLOAT_EQ(actual.g, expected.g);
    EXPECT_FLOAT_EQ(actual.b, expected.b);
    EXPECT_FLOAT_EQ(actual.a, expected.a);
}

// The straightforward drawing of one face, from SolidMesh's own triangles and boundary edges.
void appendReferenceFace(const SolidMesh& mesh, const SolidFace& face, const RGBA& color,
                         SceneBuffers& out) {
    const auto& v = mesh.vertices();
    for (const auto& t : mesh.triangles(face)) {
        for (VertexIndex i : t) out.shaded.emplace_back(v[std::size_t(i)], face.normal, color);
    }
    for (const auto& e : mesh.boundaryEdges(face)) {
        out.lines.emplace_back(v[std::size_t(e.a)], Vec3::zero, RGBA::edge);
        out.lines.emplace_back(v[std::size_t(e.b)], Vec3::zero, RGBA::edge);
    }
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
    const Vec3 up = Vec3::unitZ;
    std::vector<SolidFace> faces{
        {FaceID::generate(), {{0, 1, 2}}, up},
        {FaceID::generate(), {{0, 0, 1}}, up},
        {FaceID::generate(), {{0, 1, 2}, {0, 2, 3}}, up},
        {FaceID::generate(), {{4, 5, 6, 7}, {8, 11, 10, 9}}, up},
        {FaceID::generate(), {{0, 1, 2, 3, 2}}, up},
        {FaceID::generate(), {{0, 1}, {0, 1, 1, 2}}, up},
        {FaceID::generate(), {ring}, up},
        {FaceID::generate(), {arcA, arcB}, up},
    };
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

TEST(SceneBuilderBodies, FastFacePathsDrawWhatTheMeshDefines) {
    const std::vector<SolidMesh> meshes{
        awkwardMesh(),
        boxMesh({0, 0, 0}, {2, 3, 4}),
        test::triangulatedBoxMesh({-1, -1, -1}, {1, 1, 1}),
        test::lShapeMesh(5),
        test::sphereMesh({1, 2, 3}, 4, 9, 7),
        test::largeMesh(60),
    };
    for (const bool section : {false, true}) {
        for (const SolidMesh& mesh : meshes) {
            SceneInput input = bareScene();
            input.showSection = section;
            input.document.addBody(mesh);
            const double middle = mesh.bounds()->center().x;
            SceneBuffers expected;
            for (const SolidFace& face : mesh.faces()) {
                if (section && mesh.centroid(face).x > middle) continue;
                appendReferenceFace(mesh, face, BodyPalette::color(0), expected);
            }
            EXPECT_EQ(SceneBuilder::build(input), expected) << mesh.faces().size();
        }
    }
    const SolidMesh awkward = awkwardMesh();
    for (const SolidFace& face : awkward.faces()) {
        std::vector<RenderVertex> edges;
        SceneBuilder::appendEdges(awkward, face, RGBA::edge, edges);
        SceneBuffers expected;
        appendReferenceFace(awkward, face, RGBA::edge, expected);
        EXPECT_EQ(edges, expected.lines);
    }
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
        expectColor(colorOf(selected.shaded[i]), i / 6 == 2 ? RGBA::selection : brightened);
    }
    ASSERT_EQ(selected.lines.size(), 48u);
    for (const RenderVertex& v : selected.lines) expectColor(colorOf(v), {0.55f, 0.30f, 0.05f, 1});

    input.hover = FaceRef{id, picked};
    const SceneBuffers hovered = SceneBuilder::build(input);
    expectColor(colorOf(hovered.shaded[12]), {1.0f, 0.72f, 0.30f, 1});
    expectColor(colorOf(hovered.shaded[0]), brightened);

    input.document.bodies[0].isVisible = false;
    EXPECT_EQ(SceneBuilder::build(input), SceneBuffers{});
}

TEST(SceneBuilderBodies, SectionKeepsFacesAtTheMiddleAndReplacementsNeedTheirBody) {
    SceneInput input = bareScene();
    const Vec3 up = Vec3::unitZ;
    // Box x runs 0…6, middle 3: centroid x 1, exactly 3, and 5.
    std::vector<SolidFace> faces{{FaceID::generate(), {{0, 1, 2}}, up},
                                 {FaceID::generate(), {{2, 3, 4}}, up},
                                 {FaceID::generate(), {{4, 5, 6}}, up}};
    const SolidMesh strip(
        {{0, 0, 0}, {2, 0, 0}, {1, 1, 0}, {3, 0, 0}, {5, 1, 0}, {4, 0, 0}, {6, 0, 0}},
        std::move(faces));
    const BodyID id = input.document.addBody(boxMesh({0, 0, 0}, {1, 1, 1}));
    input.overlay.replacements[id] = strip;
    input.showSection = true;
    EXPECT_EQ(SceneBuilder::build(input).shaded.size(), 6u);

    input.overlay.replacements.clear();
    input.overlay.replacements[BodyID::generate()] = strip;
    input.document.bodies.clear();
    EXPECT_EQ(SceneBuilder::build(input), SceneBuffers{});
}

TEST(SceneBuilderOverlay, DashedLines) {
    struct Case {
        const char* name;
        double length;
        std::size_t segments;
        double lastEnd;
    };
    // w = 0.01 gives the shortest dash, 0.4, and gaps of 0.28.
    const Case cases[] = {
        {"zero length draws nothing", 0, 0, 0},
        {"shorter than half a dash is solid", 0.19, 1, 0.19},
        {"a gap ending at the end adds nothing", 0.68, 1, 0.4},
        {"last dash clipped at the end", 1.0, 2, 1.0},
        {"many dashes", 6.8, 10, 6.52},
        {"absurdly long is solid", 1e12, 1, 1e12},
    };
    const Vec3 a{1, 2, 3};
    for (const Case& c : cases) {
        SceneInput input = bareScene();
        input.worldUnitsPerPixel = 0.01;
        input.overlay.lines.push_back(
            {a, a + Vec3{0, c.length, 0}, RGBA::preview, OverlayLineStyle::dashed});
        const auto lines = SceneBuilder::build(input).overlayLines;
        ASSERT_EQ(lines.size(), 2 * c.segments) << c.name;
        if (c.segments == 0) continue;
        EXPECT_EQ(positionOf(lines.front()), a) << c.name;
        EXPECT_FLOAT_EQ(lines.back().position.y, static_cast<float>(2 + c.lastEnd)) << c.name;
        if (c.segments > 1) {
            EXPECT_FLOAT_EQ(lines[1].position.y, 2.4f) << c.name;
        }
    }
    const double inf = std::numeric_limits<double>::infinity();
    std::vector<RenderVertex> out;
    SceneMarkers::appendOverlayLine(
        {{0, 0, 0}, {inf, 0, 0}, RGBA::preview, OverlayLineStyle::dashed}, 1, out);
    EXPECT_LE(out.size(), 2u);
}

TEST(SceneBuilderMarkers, ShapesLieInTheirPlaneWithTheirVertexCounts) {
    struct Case {
        OverlayMarkerKind kind;
        std::size_t vertices;
    };
    const Case cases[] = {{OverlayMarkerKind::cross, 6},    {OverlayMarkerKind::square, 8},
                          {OverlayMarkerKind::triangle, 6}, {OverlayMarkerKind::circle, 28},
                          {OverlayMarkerKind::diamond, 8},  {OverlayMarkerKind::tick, 6}};
    const Vec3 p{1, 2, 3};
    const Vec3 normal{0, 0, 2};
    for (const Case& c : cases) {
        std::vector<RenderVertex> out;
        SceneBuilder::appendSnapMarker({p, RGBA::snap, c.kind, normal}, 2, out);
        ASSERT_EQ(out.size(), c.vertices);
        for (const RenderVertex& v : out) {
            const Vec3 d = positionOf(v) - p;
            if (c.kind != OverlayMarkerKind::cross) {
                EXPECT_NEAR(d.z, 0, 1e-6);
            }
            EXPECT_LE(d.length(), 2 * std::sqrt(2.0) + 1e-6);
        }
    }
    std::vector<RenderVertex> out;
    SceneBuilder::appendSnapMarker({p, RGBA::snap, OverlayMarkerKind::circle, normal},
                                   std::numeric_limits<double>::quiet_NaN(), out);
    EXPECT_TRUE(out.empty());
}

TEST(SceneBuilderSketches, EntityColours) {
    struct Case {
        const char* name;
        bool construction, selected, hovered, otherActive;
        RGBA expected;
    };
    const Case cases[] = {
        {"plain", false, false, false, false, RGBA::sketch},
        {"another sketch is active", false, false, false, true, RGBA::sketchInactive},
        {"construction wins over inactive", true, false, false, true, RGBA::construction},
        {"selection wins over construction", true, true, false, true, RGBA::selection},
        {"hover wins over selection", true, true, true, true, RGBA::hover},
    };
    for (const Case& c : cases) {
        SceneInput input = bareScene();
        const Uuid id = input.document.addSketch(SketchPlane::xz);
        const SketchEntity line{SketchEntityID::generate(), SketchLine{{0, 0}, {1, 2}},
                                c.construction};
        input.document.sketches[0].entities.push_back(line);
        if (c.selected) input.selection.sketchEntities.insert({id, line.id});
        if (c.hovered) input.hover = SketchEntityRef{id, line.id};
        if (c.otherActive) input.activeSketchID = Uuid::random();
        const auto lines = SceneBuilder::build(input).lines;
        ASSERT_EQ(lines.size(), 2u) << c.name;
        expectColor(colorOf(lines[1]), c.expected);
        EXPECT_EQ(positionOf(lines[1]), (Vec3{1, 0, 2})) << c.name;
    }
}

TEST(SceneBuilderSketches, ActivePlaneAndConstraintGlyphs) {
    SceneInput input = bareScene();
    const Uuid id = input.document.addSketch(SketchPlane::xy);
    Sketch& sketch = input.document.sketches[0];
    const SketchEntity a{SketchEntityID::generate(), SketchLine{{0, 0}, {10, 0}}};
    const SketchEntity b{SketchEntityID::generate(), SketchLine{{0, 0}, {0, 10}}};
    sketch.entities = {a, b};
    const SketchConstraint flat{SketchConstraintID::generate(),
                                SketchConstraintKind::horizontal,
                                {{a.id, SketchParamRole::entity}},
                                std::nullopt};
    const SketchConstraint joined{SketchConstraintID::generate(),
                                  SketchConstraintKind::coincident,
                                  {{a.id, SketchParamRole::start}, {b.id, SketchParamRole::start}},
                                  std::nullopt};
    sketch.constraints = {flat, joined};
    input.activeSketchID = id;
    input.selection.constraints.insert({id, joined.id});
    input.hover = SketchConstraintSel{id, flat.id};

    const SceneBuffers scene = SceneBuilder::build(input);
    EXPECT_EQ(scene.lines.size(), 52u + 4u);
    // The horizontal glyph's one stroke, then the coincident square (a marker, 8 vertices).
    ASSERT_EQ(scene.overlayLines.size(), 2u + 8u);
    expectColor(colorOf(scene.overlayLines[0]), {0.75f, 1.0f, 1.0f, 1});
    expectColor(colorOf(scene.overlayLines[2]), RGBA::selection);
    const Vec3 corner = positionOf(scene.overlayLines[2]);
    EXPECT_NEAR(std::abs(corner.x) + std::abs(corner.y), 2 * input.markerSize * 0.7, 1e-5);
}

TEST(SceneBuilderOverlay, ArrowsPreviewsAndPoints) {
    SceneInput input = bareScene();
    input.overlay.arrows.push_back(
        OverlayArrow::extrusion({0, 0, 0}, Vec3::unitZ, 5, false, false, false));
    const SceneBuffers still = SceneBuilder::build(input);
    EXPECT_EQ(still.overlayShaded.size(), 5u * 16 * 3);
    ASSERT_EQ(still.overlayLines.size(), 2u);
    expectColor(colorOf(still.overlayLines[0]), RGBA::arrow.lightened(0.18f));
    const ArrowGizmo gizmo = input.overlay.arrows[0].gizmo(input.worldUnitsPerPixel);
    EXPECT_EQ(positionOf(still.overlayLines[1]), Vec3(gizmo.tip().simd()));

    input.overlay.arrows[0] = OverlayArrow::extrusion({0, 0, 0}, Vec3::unitZ, 5, false, true, true);
    const SceneBuffers hovered = SceneBuilder::build(input);
    EXPECT_EQ(hovered.overlayShaded.size(), 6u * 16 * 3);
    ASSERT_EQ(hovered.overlayLines.size(), 4u);
    expectColor(colorOf(hovered.overlayShaded[0]), RGBA::arrow.lightened(0.22f));
    expectColor(colorOf(hovered.overlayLines[3]), RGBA::arrowReverse.lightened(0.18f));

    input.overlay.arrows.clear();
    input.overlay.meshes.push_back({boxMesh({0, 0, 0}, {1, 1, 1}), RGBA::preview});
    input.overlay.points.push_back({{}, RGBA::snap, OverlayMarkerKind::diamond, Vec3::unitZ});
    const SceneBuffers preview = SceneBuilder::build(input);
    EXPECT_EQ(preview.shaded.size(), 36u);
    expectColor(colorOf(preview.lines[0]), {0.10f, 0.25f, 0.40f, 1});
    EXPECT_EQ(preview.overlayLines.size(), 8u);
}

}  // namespace
}  // namespace brontile
