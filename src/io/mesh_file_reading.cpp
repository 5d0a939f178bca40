#include "io/mesh_file_reading.hpp"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstdint>
#include <fstream>
#include <system_error>

#include "io/mesh_assembly.hpp"

namespace brontile::MeshFileReading {
namespace {

constexpr std::string_view kBlanks = " \t\r\v\f";

char lowered(char c) { return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c; }

}  // namespace

std::vector<std::byte> readWholeFile(const std::filesystem::path& file) {
    std::error_code error;
    const std::uintmax_t size = std::filesystem::file_size(file, error);
    std::ifstream in(file, std::ios::binary);
    if (error || !in) throw ImportError("the file cannot be read");
    std::vector<std::byte> bytes(static_cast<std::size_t>(size));
    in.read(reinterpret_cast<char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
    // A file that shrank while it was read is as good as unreadable.
    if (in.gcount() != static_cast<std::streamsize>(bytes.size())) {
        throw ImportError("the file cannot be read");
    }
    return bytes;
}

std::string_view asText(std::span<const std::byte> bytes) {
    return {reinterpret_cast<const char*>(bytes.data()), bytes.size()};
}

std::optional<std::string_view> Lines::next() {
    if (at_ >= text_.size()) return std::nullopt;
    const std::size_t end = std::min(text_.find('\n', at_), text_.size());
    std::string_view line = text_.substr(at_, end - at_);
    if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
    at_ = end + 1;
    ++number_;
    return line;
}

double Lines::fraction() const {
    return text_.empty() ? 1.0
                         : static_cast<double>(std::min(at_, text_.size())) /
                               static_cast<double>(text_.size());
}

std::string_view nextWord(std::string_view& rest) {
    const std::size_t start = std::min(rest.find_first_not_of(kBlanks), rest.size());
    const std::size_t end = std::min(rest.find_first_of(kBlanks, start), rest.size());
    const std::string_view word = rest.substr(start, end - start);
    rest.remove_prefix(end);
    return word;
}

std::string_view trimmed(std::string_view text) {
    const std::size_t start = text.find_first_not_of(kBlanks);
    if (start == text.npos) return {};
    return text.substr(start, text.find_last_not_of(kBlanks) - start + 1);
}

bool isKeyword(std::string_view word, std::string_view keyword) {
    return std::ranges::equal(word, keyword, [](char a, char b) { return lowered(a) == b; });
}

std::optional<double> parseNumber(std::string_view word) {
    // from_chars takes no leading plus, which C's own printf and many exporters write.
    if (word.size() > 1 && word.front() == '+' && word[1] != '-') word.remove_prefix(1);
    double value = 0;
    const auto [end, error] = std::from_chars(word.data(), word.data() + word.size(), value);
    // Out of range is either too small to tell from zero or too large to be anything but an
    // infinity, which the caller refuses as such.
    if (error == std::errc::result_out_of_range) {
        const std::size_t exponent = word.find_first_of("eE");
        const bool tiny = exponent != word.npos && word.substr(exponent + 1).starts_with('-');
        return tiny ? 0.0 : HUGE_VAL;
    }
    if (error != std::errc{} || end != word.data() + word.size()) return std::nullopt;
    return value;
}

std::string atLine(std::size_t line, std::string_view message) {
    std::string text = "line ";
    text += std::to_string(line);
    text += ": ";
    text += message;
    return text;
}

bool isAcceptable(const Vec3& scaled) {
    // Written so that NaN fails too.
    const auto fine = [](double value) { return std::abs(value) <= kCoordinateLimit; };
    return fine(scaled.x) && fine(scaled.y) && fine(scaled.z);
}

Vec3 checkedPoint(const Vec3& point, double scale, std::string_view where) {
    const Vec3 scaled = point * scale;
    if (isAcceptable(scaled)) return scaled;
    for (const double value : {scaled.x, scaled.y, scaled.z}) {
        if (std::isfinite(value) && std::abs(value) <= kCoordinateLimit) continue;
        std::string message(where);
        message +=
            std::isfinite(value) ? "a coordinate lies beyond 1e9 mm" : "a coordinate is not finite";
        throw ImportError(message);
    }
    return scaled;
}

std::optional<ImportedBody> bodyOf(std::string name, std::span<const Vec3> corners) {
    SolidMesh mesh = MeshAssembly::fromTriangles(corners);
    if (mesh.isEmpty()) return std::nullopt;
    return ImportedBody{std::move(name), std::move(mesh), std::nullopt};
}

}  // namespace brontile::MeshFileReading
