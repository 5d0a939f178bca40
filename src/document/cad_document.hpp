// The whole model of one open document as a single value. Copies are cheap (meshes are shared),
// which is what lets every edit work on a copy and the undo history keep whole snapshots.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "base/date_time.hpp"
#include "document/body.hpp"
#include "document/camera_state.hpp"
#include "geometry/aabb.hpp"
#include "geometry/length_unit.hpp"
#include "geometry/solid_mesh.hpp"
#include "sketch/sketch.hpp"
#include "sketch/sketch_plane.hpp"

namespace brontile {

struct DocumentMetadata {
    std::string title;
    DateTime createdAt;
    DateTime modifiedAt;

    friend bool operator==(const DocumentMetadata&, const DocumentMetadata&) = default;
};

struct CADDocument {
    // The format version this program writes.
    static constexpr std::int64_t currentSchemaVersion = 2;

    std::int64_t schemaVersion = currentSchemaVersion;
    LengthUnit units = LengthUnit::millimeters;
    DocumentMetadata metadata;
    // In creation order, which is also the drawing and listing order.
    std::vector<Body> bodies;
    std::vector<Sketch> sketches;
    CameraState camera;
    bool showGrid = true;
    // How many bodies and sketches were ever added; they name new ones and never decrease.
    std::int64_t bodyCounter = 0;
    std::int64_t sketchCounter = 0;

    friend bool operator==(const CADDocument&, const CADDocument&) = default;

    // A new, empty millimetre document created and modified at `now`.
    [[nodiscard]] static CADDocument empty(std::string title, DateTime now = currentDateTime());

    [[nodiscard]] std::optional<Body> body(const BodyID& id) const;
    [[nodiscard]] std::optional<std::size_t> bodyIndex(const BodyID& id) const;
    [[nodiscard]] std::optional<Sketch> sketch(const Uuid& id) const;
    [[nodiscard]] std::optional<std::size_t> sketchIndex(const Uuid& id) const;

    // Appends a visible body named "Body n" after the counter (unless named), coloured by the
    // next palette entry in turn, and returns its id.
    BodyID addBody(SolidMesh mesh, std::optional<std::string> name = std::nullopt,
                   BodyID id = BodyID::generate());
    // Removes every body with that id.
    void removeBody(const BodyID& id);
    // Appends an empty visible sketch named "Sketch n" after the counter (unless named).
    Uuid addSketch(const SketchPlane& plane, std::optional<std::string> name = std::nullopt,
                   Uuid id = Uuid::random());

    // The box around every visible body and visible sketch that has points; nothing when there
    // are none.
    [[nodiscard]] std::optional<AABB> bounds() const;
};

}  // namespace brontile
