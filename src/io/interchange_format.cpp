#include "io/interchange_format.hpp"

#include <algorithm>

#include "base/utf8.hpp"

namespace brontile {

namespace {

// Raw values are ASCII; upper-casing by hand keeps the locale out of it.
std::string upperName(InterchangeFormat format) {
    std::string name(rawValue(format));
    std::ranges::transform(name, name.begin(), [](char c) {
        return c >= 'a' && c <= 'z' ? static_cast<char>(c - 'a' + 'A') : c;
    });
    return name;
}

}  // namespace

InterchangeError InterchangeError::unsupported(InterchangeFormat format) {
    return {Kind::unsupported, "This writer does not write " + upperName(format) + " files.",
            format};
}

InterchangeError InterchangeError::writerFailed(InterchangeFormat format,
                                                const std::string& reason) {
    return {Kind::writerFailed, "The " + upperName(format) + " writer failed: " + reason, format};
}

InterchangeError InterchangeError::nothingToExport() {
    return {Kind::nothingToExport, "There are no visible bodies to export."};
}

InterchangeError InterchangeError::tooManyTriangles() {
    return {Kind::tooManyTriangles, "The visible bodies have too many triangles for an STL file."};
}

InterchangeError InterchangeError::nonFiniteVertex(const std::string& bodyName) {
    return {Kind::nonFiniteVertex,
            "The body " + quotedExcerpt(bodyName) + " has a vertex that is not a finite number."};
}

InterchangeError InterchangeError::outOfRange(const std::string& bodyName,
                                              InterchangeFormat format) {
    const std::string name = upperName(format);
    const bool an = name == "STL" || name == "OBJ" || name == "IGES";
    return {Kind::outOfRange,
            "The body " + quotedExcerpt(bodyName) + " lies too far from the origin for " +
                (an ? "an " : "a ") + name + " file.",
            format};
}

}  // namespace brontile
