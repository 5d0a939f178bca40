// Builds the renderer's scene frame after frame while keeping every body's chunk that is still
// right: hovering, selecting and zooming touch only the small lists and the recoloured faces, so a
// frame's cost follows what changed rather than the size of the document.
#pragma once

#include <cstdint>
#include <memory>
#include <unordered_map>
#include <vector>

#include "document/body.hpp"
#include "geometry/solid_mesh.hpp"
#include "viewport/render_scene.hpp"
#include "viewport/scene_input.hpp"
#include "viewport/scene_parts.hpp"

namespace brontile {

namespace SceneParts {
class Writer;
}

// A copy carries the chunks made so far and numbers the ones it makes afterwards from the same
// point as the original, so one renderer should follow one cache.
class SceneCache {
public:
    // Writes the scene for `input` into `scene`; its previous contents are dropped, the capacity
    // of its lists is kept. A visible body keeps its chunk from the previous call while the mesh
    // drawn for it (the same storage, never compared by value) and its colour index are
    // unchanged; otherwise it gets a new chunk with a new revision. Chunks of hidden
    // bodies are kept for when they are shown again; those of bodies gone from the document are
    // dropped.
    void rebuild(const SceneInput& input, RenderScene& scene);

private:
    class FaceLookup;
    // A face the selection or the pointer names.
    struct FaceRequest {
        BodyID body;
        FaceID face;
        bool selected = false;
        bool hovered = false;
    };
    // A face of one body's mesh that requests name, with what they ask for.
    struct FoundFace {
        std::uint32_t index = 0;
        bool selected = false;
        bool hovered = false;
    };
    struct Entry {
        // Held so that the storage the chunk was made from cannot be freed and its address
        // reused by another mesh while the entry compares against it.
        SolidMesh mesh;
        std::int64_t colorIndex = 0;
        std::shared_ptr<BodyChunk> chunk;
        // Made the first time one of the mesh's faces needs a colour of its own; it depends on the
        // mesh alone, so it outlives colour changes.
        std::shared_ptr<const FaceLookup> faces;
        std::uint64_t seenInCall = 0;
    };

    void refresh(Entry& entry, SceneParts::Writer& writer, const Body& body, const SolidMesh& mesh);
    void collectFaceRequests(const SceneInput& input);
    // Recolours the body's selected and hovered faces into `draw` and the scene's highlights.
    void addRecolors(Entry& entry, const Body& body, bool selected, BodyDraw& draw,
                     RenderScene& scene);

    std::unordered_map<BodyID, Entry> entries_;
    std::uint64_t nextRevision_ = 1;
    std::uint64_t calls_ = 0;
    // Scratch kept from call to call: the selected and hovered faces ordered by body, and the
    // faces of one body they name.
    std::vector<FaceRequest> requests_;
    std::vector<FoundFace> found_;
    // Writes the outlines of selected and hovered faces, keeping its scratch space.
    SceneParts::FaceEmitter outlineEmitter_;
};

}  // namespace brontile
