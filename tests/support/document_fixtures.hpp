// Documents the tests build on, with fixed ids so that their written form is fixed too.
#pragma once

#include <cstdint>

#include "document/cad_document.hpp"

namespace brontile::test {

// 00000000-0000-4000-8000-0000000000NN.
Uuid fixedId(std::uint8_t n);

// Something of every kind (inches, a hidden body, a tilted sketch with every entity kind and a
// dimension) and values awkward to write: quotes and accents, 1e300, −0, the smallest int64,
// shortest-form doubles. Every id is fixed.
CADDocument richDocument();

}  // namespace brontile::test
