// A geometry header reaching up into the document layer: the layering check must refuse it.
#pragma once

#include "base/error.hpp"
#include "document/cad_document.hpp"
