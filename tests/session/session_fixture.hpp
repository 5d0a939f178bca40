// A session on a scripted platform, with a small keymap of its own and a box body, for tests.
#pragma once

#include <memory>

#include "session/document_session.hpp"
#include "session/scripted_platform.hpp"
#include "support/mesh_fixtures.hpp"

namespace brontile::test {

inline KeymapStore testKeymap() {
    KeymapProfile profile = KeymapProfile::builtInFallback();
    profile.bindings.push_back({"sketch.new", "s"});
    profile.bindings.push_back({"tool.confirm", "return"});
    return KeymapStore(std::move(profile));
}

struct SessionFixture {
    ScriptedPlatform platform{DateTime{} + std::chrono::hours(24 * 365 * 56)};
    std::unique_ptr<DocumentSession> session =
        std::make_unique<DocumentSession>(platform, testKeymap());

    SessionFixture() { session->viewport().viewSize = {1200, 800}; }

    // The view point where the world point appears.
    [[nodiscard]] Vec2 screenAt(const Vec3& world) const {
        const ViewportState& view = session->viewport();
        return view.camera.viewPoint(world, view.viewSize).value();
    }

    // A press of the primary button where (x, y) on the ground appears.
    void pressAt(double x, double y) {
        session->input().pointer(PointerPhase::down, screenAt({x, y, 0}), {}, 1);
    }

    // Adds a 10 mm box as one recorded step and returns its id.
    BodyID addBox() {
        BodyID id;
        session->interaction().mutate("Add Box", [&](CADDocument& document) {
            id = document.addBody(boxMesh({0, 0, 0}, {10, 10, 10}));
        });
        return id;
    }
};

}  // namespace brontile::test
