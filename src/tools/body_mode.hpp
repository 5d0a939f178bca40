// What a tool that makes a solid does with it: a new body, or joined to a body, or cut out of
// one. Extrude and revolve share the choice, its default, its words and its commit.
#pragma once

#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "interaction/scene_overlay.hpp"
#include "sketch/profile.hpp"
#include "tools/modeling_context.hpp"

namespace brontile {

enum class BodyMode { newBody, join, cut };

namespace BodyModes {

// A visible body with a planar face in the regions' plane (within 1e-6 mm, facing either way)
// that the regions overlap: the body a sketch drawn on it works on.
struct FaceContact {
    BodyID body;
    // The face's outward normal: an extrusion along it leaves the body, against it enters.
    Vec3 outward;
};
[[nodiscard]] std::optional<FaceContact> faceUnder(const std::vector<Profile>& regions,
                                                   const CADDocument& document);

// The first visible body, in document order, whose box meets the solid's.
[[nodiscard]] std::optional<BodyID> bodyMeeting(const SolidMesh& solid,
                                                const CADDocument& document);

// The next mode the mode key gives: new body → join → cut → new body; join and cut only with a
// body to work on.
[[nodiscard]] BodyMode next(BodyMode mode, bool haveTarget);

// "New body", "Join Body 1", "Cut Body 1": the HUD's detail.
[[nodiscard]] std::string detail(BodyMode mode, const std::optional<BodyID>& target,
                                 const CADDocument& document);
// The solid as its tool previews it: tinted by the mode, and shown through the bodies for a cut,
// whose solid lies inside the body it cuts.
[[nodiscard]] OverlayMesh preview(SolidMesh solid, BodyMode mode);

// What a tool does once its solids are recorded: the bodies made or changed, for the selection.
using Recorded = std::function<void(const std::vector<BodyID>&, ModelingContext&)>;

// Records the solids as one step named `stepName`: each a new body, or all joined to the target,
// or all cut out of it, keeping the target's identity, name and colour; then `recorded`. A join
// or cut runs as the session's long operation, "Joining" or "Cutting", and `recorded` comes once
// it is done. Refuses with a reason on the error line, recording nothing and never calling
// `recorded`, a cut that would leave no solid and any result with a gap in its surface.
void record(std::vector<SolidMesh> solids, BodyMode mode, const std::optional<BodyID>& target,
            const std::string& stepName, ModelingContext& context, Recorded recorded);

}  // namespace BodyModes
}  // namespace brontile
