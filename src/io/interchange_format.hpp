// The exchange formats the user can pick when exporting, and the reasons an export is refused.
// Every format has a writer; the refusal for a format without one stays for callers that ask.
#pragma once

#include <array>
#include <optional>
#include <string>

#include "base/error.hpp"
#include "base/raw_value_enum.hpp"

namespace brontile {

// The raw value is also the extension of the exported file's name.
enum class InterchangeFormat { step, iges, stl, obj, threeMF };

template <>
struct RawValueCases<InterchangeFormat> {
    static constexpr std::array<RawValueCase<InterchangeFormat>, 5> cases{{
        {InterchangeFormat::step, "step"},
        {InterchangeFormat::iges, "iges"},
        {InterchangeFormat::stl, "stl"},
        {InterchangeFormat::obj, "obj"},
        {InterchangeFormat::threeMF, "3mf"},
    }};
};

class InterchangeError : public Error {
public:
    enum class Kind {
        unsupported,
        nothingToExport,
        tooManyTriangles,
        nonFiniteVertex,
        outOfRange,
        writerFailed,
    };

    // A writer was handed a format it does not write, e.g. "This writer does not write STEP
    // files."
    [[nodiscard]] static InterchangeError unsupported(InterchangeFormat format);
    // "There are no visible bodies to export."
    [[nodiscard]] static InterchangeError nothingToExport();
    // More triangles than the 32-bit count of a binary STL file can hold.
    [[nodiscard]] static InterchangeError tooManyTriangles();
    // A vertex with a NaN or infinite coordinate, which no reader of the file could use.
    [[nodiscard]] static InterchangeError nonFiniteVertex(const std::string& bodyName);
    // A coordinate beyond what the format can carry: "The body "NAME" lies too far from the
    // origin for an STL file." (a 3MF, a STEP, an IGES file).
    [[nodiscard]] static InterchangeError outOfRange(const std::string& bodyName,
                                                     InterchangeFormat format);
    // The library that writes the format refused: "The 3MF writer failed: " and its reason.
    [[nodiscard]] static InterchangeError writerFailed(InterchangeFormat format,
                                                       const std::string& reason);

    [[nodiscard]] Kind kind() const { return kind_; }
    // The format for `unsupported`, `outOfRange` and `writerFailed`; nothing for the others.
    [[nodiscard]] std::optional<InterchangeFormat> format() const { return format_; }

private:
    InterchangeError(Kind kind, const std::string& description,
                     std::optional<InterchangeFormat> format = std::nullopt)
        : Error(description), kind_(kind), format_(format) {}

    Kind kind_;
    std::optional<InterchangeFormat> format_;
};

}  // namespace brontile
