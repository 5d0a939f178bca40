// The scene builder: what each part of the scene contributes to the four vertex lists, in which
// colours, and that its allocation-free face paths draw exactly what SolidMesh defines.
#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <numbers>
#include <tuple>
#include <vector>

#include "support/mesh_fixtures.hpp"
#include "support/sketch_fixtures.hpp"
#include "viewport/scene_builder.hpp"

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

// With the section on, faces whose centroid lies exactly at the middle stay (the 2 mm box).
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
    ASSERT_EQ(selected.lines.size(), 48u);
    for (const RenderVertex& v : selected.lines) expectColor(v, {0.55f, 0.30f, 0.05f, 1});

    input.hover = FaceRef{id, picked};
    const SceneBuffers hovered = SceneBuilder::build(input);
    expectColor(hovered.shaded[12], {1.0f, 0.72f, 0.30f, 1});
    expectColor(hovered.shaded[0], brightened);

    input.document.bodies[0].isVisible = false;
    EXPECT_EQ(SceneBuilder::build(input), SceneBuffers{});
}

TEST(SceneBuilderBodies, ReplacementsDrawInPlaceOfTheirBodyOnly) {
    SceneInput input = bareScene();
    input.showSection = true;
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

TEST(SceneBuilderSketches, EntityColours) {
    // Name, construction, selected, hovered, another sketch active, colour.
    const std::tuple<const char*, bool, bool, bool, bool, RGBA> cases[] = {
        {"plain", false, false, false, false, RGBA::sketch},
        {"another sketch is active", false, false, false, true, RGBA::sketchInactive},
        {"construction wins over inactive", true, false, false, true, RGBA::construction},
        {"selection wins over construction", true, true, false, true, RGBA::selection},
        {"hover wins over selection", true, true, true, true, RGBA::hover},
    };
    for (const auto& [name, construction, selected, hovered, otherActive, expected] : cases) {
        SceneInput input = bareScene();
        const Uuid id = input.document.addSketch(SketchPlane::xz);
        SketchEntity line = test::line({0, 0}, {1, 2});
        line.isConstruction = construction;
        input.document.sketches[0].entities.push_back(line);
        if (selected) input.selection.sketchEntities.insert({id, line.id});
        if (hovered) input.hover = SketchEntityRef{id, line.id};
        if (otherActive) input.activeSketchID = Uuid::random();
        const auto lines = SceneBuilder::build(input).lines;
        ASSERT_EQ(lines.size(), 2u) << name;
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
    EXPECT_EQ(scene.lines.size(), 52u + 4u);  // the active sketch's plane, then its lines
    // The horizontal glyph's one stroke, then the coincident square (a marker, 8 vertices).
    ASSERT_EQ(scene.overlayLines.size(), 2u + 8u);
    expectColor(scene.overlayLines[0], {0.75f, 1.0f, 1.0f, 1});
    expectColor(scene.overlayLines[2], RGBA::selection);
}

// Drawn over everything: points first, then arrows; previews are shaded with dark edges.
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
}

}  // namespace
}  // namespace brontile
