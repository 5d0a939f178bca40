// The per-body scene: through any sequence of changes on one cache it draws what the flat builder
// draws, it keeps a body's chunk until the body's mesh, colour or section changes, and it lets go
// of the chunks of deleted bodies.
#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <memory>
#include <set>
#include <utility>
#include <vector>

#include "support/mesh_fixtures.hpp"
#include "support/sketch_fixtures.hpp"
#include "viewport/render_scene.hpp"
#include "viewport/scene_builder.hpp"
#include "viewport/scene_cache.hpp"

namespace brontile {
namespace {

using Chunks = std::vector<std::shared_ptr<const BodyChunk>>;

void expectSameList(const char* name, const std::vector<RenderVertex>& actual,
                    const std::vector<RenderVertex>& expected) {
    EXPECT_EQ(actual.size(), expected.size()) << name;
    const auto [a, e] = std::ranges::mismatch(actual, expected);
    if (a != actual.end() && e != expected.end()) {
        ADD_FAILURE() << name << " differ first at vertex " << (a - actual.begin());
    }
}

// The same mesh with its faces in reverse order: the same ids at other indices.
SolidMesh reversedFaces(const SolidMesh& mesh) {
    std::vector<SolidFace> faces(mesh.faces().rbegin(), mesh.faces().rend());
    return SolidMesh(mesh.vertices(), std::move(faces));
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
        expectSameList("overlayShaded", flat.overlayShaded, expected.overlayShaded);
        expectSameList("overlayLines", flat.overlayLines, expected.overlayLines);
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
    Chunks chunks() const {
        Chunks all;
        for (const BodyDraw& draw : scene.bodies) all.push_back(draw.chunk);
        return all;
    }
    std::shared_ptr<const BodyChunk> chunkOf(const BodyID& id) const {
        for (const BodyDraw& draw : scene.bodies) {
            if (draw.chunk->body == id) return draw.chunk;
        }
        return nullptr;
    }

    SceneInput input;
    BodyID box, sphere, lShape, split;
    SceneCache cache;
    RenderScene scene;
};

TEST_F(SceneCacheTest, DrawsWhatTheFlatBuilderDrawsThroughASequenceOfChanges) {
    // A face of the sphere (centred at x = 30) that the section cuts away.
    const auto& sphereFaces = body(sphere).mesh.faces();
    const auto cutAway = static_cast<std::size_t>(
        std::ranges::find_if(
            sphereFaces,
            [&](const SolidFace& f) { return body(sphere).mesh.centroid(f).x > 30.5; }) -
        sphereFaces.begin());
    const std::vector<std::pair<const char*, std::function<void()>>> steps{
        {"plain", [] {}},
        {"a selected body", [&] { input.selection.bodies.insert(sphere); }},
        {"faces selected in an unselected and a selected body",
         [&] {
             select(box, 2);
             select(box, 4);
             select(sphere, 3);
         }},
        {"hovered: a selected face of an unselected body", [&] { hover(box, 2); }},
        {"hovered: a plain face of an unselected body", [&] { hover(box, 0); }},
        {"hovered: a selected face of a selected body", [&] { hover(sphere, 3); }},
        {"hovered: a plain face of a selected body", [&] { hover(sphere, 5); }},
        {"more than eight faces selected in one body",
         [&] {
             for (std::size_t i = 10; i < 30; ++i) select(sphere, i);
             hover(sphere, 12);
         }},
        {"a replacement in place of a body with selected faces",
         [&] {
             input.overlay.replacements[box] = test::lShapeMesh(8);
             hover(box, 1);
         }},
        {"the section cut", [&] { input.showSection = true; }},
        {"a hovered face the section cuts away",
         [&] {
             select(sphere, cutAway);
             hover(sphere, cutAway);
         }},
        {"a zoom",
         [&] {
             input.worldUnitsPerPixel = 0.3;
             input.markerSize = 1.5;
         }},
        {"a hidden body and no grid",
         [&] {
             body(lShape).isVisible = false;
             input.document.showGrid = false;
         }},
        {"a colour and a selected face",
         [&] {
             body(split).colorIndex = 4;
             select(split, 1);
         }},
        {"that body's faces reordered",
         [&] { body(split).mesh = reversedFaces(body(split).mesh); }},
        {"the section off and the body shown again",
         [&] {
             input.showSection = false;
             body(lShape).isVisible = true;
         }},
        {"a hovered sketch curve",
         [&] {
             const Sketch& s = input.document.sketches[0];
             input.hover = SketchEntityRef{s.id, s.entities[2].id};
         }},
        {"a body deleted", [&] { input.document.removeBody(sphere); }},
        {"a face id carried by two faces",
         [&] {
             std::vector<SolidFace> faces = body(lShape).mesh.faces();
             faces[3].id = faces[1].id;
             body(lShape).mesh = SolidMesh(body(lShape).mesh.vertices(), std::move(faces));
             hover(lShape, 1);
         }},
        {"the replacement gone",
         [&] {
             input.overlay.replacements.clear();
             hover(box, 3);
         }},
    };
    for (const auto& [name, change] : steps) {
        SCOPED_TRACE(name);
        change();
        check();
    }
}

TEST_F(SceneCacheTest, HoverSelectionZoomAndVisibilityKeepEveryChunk) {
    check();
    const Chunks before = chunks();
    const std::vector<std::pair<const char*, std::function<void()>>> steps{
        {"hover", [&] { hover(sphere, 4); }},
        {"hover elsewhere", [&] { hover(box, 1); }},
        {"a selected face", [&] { select(box, 1); }},
        {"a selected body", [&] { input.selection.bodies.insert(box); }},
        {"a zoom", [&] { input.worldUnitsPerPixel = 2.5; }},
        {"hidden", [&] { body(lShape).isVisible = false; }},
        {"shown again", [&] { body(lShape).isVisible = true; }},
    };
    for (const auto& [name, change] : steps) {
        SCOPED_TRACE(name);
        change();
        check();
    }
    EXPECT_EQ(chunks(), before);
}

TEST_F(SceneCacheTest, MeshColourAndSectionChangesRebuildTheirChunksOnly) {
    check();
    std::set<std::uint64_t> revisions;
    for (const auto& chunk : chunks()) revisions.insert(chunk->revision);
    // Each change, and the bodies whose chunks it must replace.
    const std::vector<std::pair<std::function<void()>, std::vector<BodyID>>> steps{
        {[&] {
             body(box).mesh = body(box).mesh.translated({1, 0, 0});
         },
         {box}},
        {[&] { body(sphere).colorIndex = 3; }, {sphere}},
        {[&] { input.overlay.replacements[lShape] = test::lShapeMesh(9); }, {lShape}},
        {[&] { input.overlay.replacements.clear(); }, {lShape}},
        {[&] { input.showSection = true; }, {box, sphere, lShape, split}},
    };
    for (std::size_t i = 0; i < steps.size(); ++i) {
        SCOPED_TRACE(i);
        // A chunk the renderer still holds is never refilled in place.
        const std::shared_ptr<const BodyChunk> held = chunkOf(steps[i].second[0]);
        const BodyChunk heldCopy = *held;
        const Chunks before = chunks();
        steps[i].first();
        check();
        EXPECT_EQ(held->shaded, heldCopy.shaded);
        EXPECT_EQ(held->revision, heldCopy.revision);
        for (std::size_t b = 0; b < before.size(); ++b) {
            const bool rebuilt = std::ranges::count(steps[i].second, before[b]->body) > 0;
            EXPECT_EQ(chunks()[b] != before[b], rebuilt) << b;
            if (rebuilt) {
                EXPECT_TRUE(revisions.insert(chunks()[b]->revision).second) << b;
            }
        }
    }
}

TEST_F(SceneCacheTest, ADeletedBodysChunkIsDropped) {
    check();
    const std::weak_ptr<const BodyChunk> deleted = chunkOf(box);
    input.document.removeBody(box);
    check();
    EXPECT_TRUE(deleted.expired());
}

}  // namespace
}  // namespace brontile
