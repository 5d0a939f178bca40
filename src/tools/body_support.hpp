// What the tools that work on whole bodies share: which body the selection means, picking a body
// by one of its faces, a body's centre, and the check every changed mesh passes before it is
// written.
#pragma once

#include <exception>
#include <functional>
#include <optional>
#include <string>
#include <string_view>

#include "geometry/ray.hpp"
#include "tools/modeling_context.hpp"

namespace brontile::BodySupport {

// The first body, in document order, that the selection involves (whole or through a face).
[[nodiscard]] std::optional<Body> firstInvolvedBody(const ModelingContext& context);

// The body whose face the ray hits first; nothing when it hits no face of an existing body.
[[nodiscard]] std::optional<BodyID> bodyUnder(const Ray& ray, ModelingContext& context);

// Selects exactly this body.
void selectOnly(const BodyID& body, ModelingContext& context);

// The centre of the mesh's box, or the origin when it has no box.
[[nodiscard]] Vec3 centre(const SolidMesh& mesh);

// The one selected face, resolved in the document: nothing unless exactly one face is selected
// and its body and face still exist.
struct SelectedFace {
    FaceRef ref;
    SolidMesh mesh;
    SolidFace face;
};
[[nodiscard]] std::optional<SelectedFace> selectedFace(const ModelingContext& context);

// Whether a changed mesh can be written: every coordinate lies within kMaxCoordinate and the
// volume is a finite number. Otherwise the error line says that `operation` was refused and why.
bool acceptResult(const SolidMesh& mesh, std::string_view operation, ModelingContext& context);
// The words acceptResult puts on the error line, or nothing when the mesh may be written.
[[nodiscard]] std::optional<std::string> reachProblem(const SolidMesh& mesh,
                                                      std::string_view operation);
// Why a kernel's result may not be written to the body named `bodyName`: reachProblem, or a gap
// where the sources (asked only when the result is open) had none. A question without the
// session, so that a worker can ask it where the result was made and leave the window's thread
// only the recording.
[[nodiscard]] std::optional<std::string> resultProblem(const SolidMesh& mesh,
                                                       std::string_view operation,
                                                       const std::string& bodyName,
                                                       const std::function<bool()>& sourceClosed);
// Puts the problem, if any, on the error line; true when there is none.
bool accepted(const std::optional<std::string>& problem, ModelingContext& context);

// Whether a kernel's result may be written to the body named `bodyName`: it must be closed (every
// edge used once each way) when what it came from was. Otherwise the error line says "The
// operation would leave <body> with a gap in its surface; nothing was changed." A safety net:
// the kernel itself must never leave a gap.
bool acceptSolid(const SolidMesh& mesh, const std::string& bodyName, ModelingContext& context,
                 bool sourceClosed = true);
// The error line's words when the kernel refused to change the body named `bodyName`: a result
// it could not close reads as acceptSolid says it, anything else as the kernel put it.
[[nodiscard]] std::string refusal(const std::exception& error, const std::string& bodyName);

// A long operation's kernel work on the body named `bodyName`: the finish that `work` returns, or
// when the kernel refuses, one that puts the refusal on the error line. A stop goes through.
[[nodiscard]] ModelingContext::Finish refusing(
    const std::string& bodyName, const std::function<ModelingContext::Finish()>& work);

// Replaces the body's mesh as one step named `stepName` when acceptResult and acceptSolid allow
// it; a body that is gone by then changes nothing. Returns whether the mesh was accepted.
bool replaceMesh(const BodyID& body, const SolidMesh& mesh, std::string_view stepName,
                 ModelingContext& context);
// The same with the checks already made (resultProblem, on a worker).
bool writeMesh(const BodyID& body, const SolidMesh& mesh, std::string_view stepName,
               const std::optional<std::string>& problem, ModelingContext& context);

}  // namespace brontile::BodySupport
