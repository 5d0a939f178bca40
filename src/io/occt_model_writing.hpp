// The last stage of a STEP or IGES export: an Open CASCADE model already transferred, written to
// a file. Open CASCADE's own file writers cannot be stopped; these format the same text piece by
// piece and check the progress between pieces, so a cancel ends the write within milliseconds.
#pragma once

#include <filesystem>

#include <IGESData_IGESModel.hxx>
#include <STEPControl_Writer.hxx>

#include "base/progress.hpp"

namespace brontile::OcctModelWriting {

// Both return false when Open CASCADE fails to write, and throw Cancelled when stopped.
[[nodiscard]] bool writeStep(STEPControl_Writer& writer, const std::filesystem::path& location,
                             const ProgressSpan& progress);
[[nodiscard]] bool writeIges(const Handle(IGESData_IGESModel) & model,
                             const std::filesystem::path& location, const ProgressSpan& progress);

}  // namespace brontile::OcctModelWriting
