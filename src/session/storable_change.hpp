// Whether a changed document can still be saved and read back: every coordinate, size, angle and
// dimension a finite number within reach. A typed value must never make the document unsavable.
#pragma once

#include <optional>
#include <string>

#include "document/cad_document.hpp"

namespace brontile {

// Why `after` could not be stored, looking only at what differs from `before`; nothing when it
// can.
[[nodiscard]] std::optional<std::string> whyUnstorable(const CADDocument& before,
                                                       const CADDocument& after);

}  // namespace brontile
