// What the STL and OBJ readers share: the whole file in memory, its text taken a line at a time,
// numbers read the same whatever the process locale, and the checks every coordinate passes
// before it becomes part of a body.
#pragma once

#include <cstddef>
#include <filesystem>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "geometry/vec3.hpp"
#include "io/imported_part.hpp"

namespace brontile::MeshFileReading {

// Beyond this, in millimetres, a coordinate is taken for a damaged file rather than a part.
inline constexpr double kCoordinateLimit = 1e9;

// The file's bytes, read at once; ImportError when it cannot be read.
[[nodiscard]] std::vector<std::byte> readWholeFile(const std::filesystem::path& file);

[[nodiscard]] std::string_view asText(std::span<const std::byte> bytes);

// A text's lines, numbered from 1, without their line breaks (LF or CRLF).
class Lines {
public:
    explicit Lines(std::string_view text) : text_(text) {}
    // The next line, or nothing at the end of the text.
    [[nodiscard]] std::optional<std::string_view> next();
    // The number of the line last returned.
    [[nodiscard]] std::size_t number() const { return number_; }
    // The share of the text read so far, in [0, 1].
    [[nodiscard]] double fraction() const;

private:
    std::string_view text_;
    std::size_t at_ = 0;
    std::size_t number_ = 0;
};

// Splits off the first blank-separated word of `rest`, leaving the words after it.
[[nodiscard]] std::string_view nextWord(std::string_view& rest);
[[nodiscard]] std::string_view trimmed(std::string_view text);
// Whether `word` is `keyword`, ignoring the case of ASCII letters.
[[nodiscard]] bool isKeyword(std::string_view word, std::string_view keyword);
// A decimal number as C writes it ("-1.5e3", "+2", "nan"), or nothing.
[[nodiscard]] std::optional<double> parseNumber(std::string_view word);

// "line 12: " followed by `message`.
[[nodiscard]] std::string atLine(std::size_t line, std::string_view message);

// Whether a point already in millimetres is finite and within kCoordinateLimit.
[[nodiscard]] bool isAcceptable(const Vec3& scaled);

// The point in millimetres; ImportError (prefixed by `where`, as "line 12: ") when a coordinate
// is not finite or lies beyond kCoordinateLimit once scaled.
[[nodiscard]] Vec3 checkedPoint(const Vec3& point, double scale, std::string_view where);

// The body made of these triangles' corners; none when they weld to nothing.
[[nodiscard]] std::optional<ImportedBody> bodyOf(std::string name, std::span<const Vec3> corners);

}  // namespace brontile::MeshFileReading
