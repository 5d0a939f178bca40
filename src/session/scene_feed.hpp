// What the viewport draws and when it draws it again: the scene is built from the document and
// the interaction state, and rebuilt on the next frame after any notice of a change it shows.
#pragma once

#include "session/document_editor.hpp"
#include "session/interaction_state.hpp"
#include "session/sketch_freedoms.hpp"
#include "session/status_lines.hpp"
#include "viewport/scene_cache.hpp"
#include "viewport/viewport_state.hpp"

namespace brontile {

class SceneFeed {
public:
    // Installs itself as the viewport's scene provider; everything given must outlive it.
    SceneFeed(ViewportState& viewport, const DocumentEditor& editor, const InteractionState& state,
              const StatusLines& status, const SketchFreedoms& freedoms, SessionNotifier& notifier);
    SceneFeed(const SceneFeed&) = delete;
    SceneFeed& operator=(const SceneFeed&) = delete;
    ~SceneFeed();

private:
    ViewportState& viewport_;
    // The bodies' vertex chunks, kept between frames and dropped with their bodies.
    SceneCache cache_;
};

}  // namespace brontile
