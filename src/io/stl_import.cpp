#include "io/stl_import.hpp"

#include <algorithm>
#include <array>
#include <bit>
#include <cstdint>
#include <cstring>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "io/mesh_file_reading.hpp"

namespace brontile::StlImport {
namespace {

using namespace MeshFileReading;

constexpr std::size_t kHeaderSize = 80;
constexpr std::size_t kRecordsStart = kHeaderSize + 4;
constexpr std::size_t kRecordSize = 50;
// Triangles read between two progress reports: a few milliseconds of work.
constexpr std::size_t kTrianglesPerReport = 65536;
// Reading the triangles is this share of the work; welding and grouping them the rest.
constexpr double kReadShare = 0.4;
// How much of a file's start decides whether it is text.
constexpr std::size_t kSniffSize = 1024;

std::uint32_t littleEndianWord(const std::byte* at) {
    std::uint32_t word = 0;
    std::memcpy(&word, at, sizeof word);
    if constexpr (std::endian::native == std::endian::big) {
        word = ((word & 0xFFu) << 24) | ((word & 0xFF00u) << 8) | ((word >> 8) & 0xFF00u) |
               (word >> 24);
    }
    return word;
}

// Text STL starts with "solid" and soon names a facet (or ends an empty solid); a binary file
// may start with "solid" too, but its count and floats hold bytes no text has.
bool looksLikeText(std::string_view data) {
    const std::string_view start = data.substr(0, kSniffSize);
    std::string_view rest = start;
    if (!isKeyword(nextWord(rest), "solid")) return false;
    const bool textOnly = std::ranges::none_of(start, [](char c) {
        const auto u = static_cast<unsigned char>(c);
        return u == 0x7F ||
               (u < 0x20 && c != '\n' && c != '\r' && c != '\t' && c != '\f' && c != '\v');
    });
    std::string lower(start);
    std::ranges::transform(lower, lower.begin(), [](char c) {
        return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c;
    });
    return textOnly && (lower.find("facet") != lower.npos || lower.find("endsolid") != lower.npos);
}

Vec3 recordPoint(const std::byte* at) {
    return {std::bit_cast<float>(littleEndianWord(at)),
            std::bit_cast<float>(littleEndianWord(at + 4)),
            std::bit_cast<float>(littleEndianWord(at + 8))};
}

[[noreturn]] void refuseTriangle(std::size_t triangle, const Vec3& point, double scale) {
    std::string where = "triangle ";
    where += std::to_string(triangle + 1);
    where += ": ";
    (void)checkedPoint(point, scale, where);
    throw ImportError(where + "a coordinate is out of range");
}

// Whole records only: a header whose count disagrees with the file's length, or bytes after
// the last record, are common enough in files from other programs to be read past.
std::vector<Vec3> binaryCorners(std::span<const std::byte> bytes, double scale,
                                Progress& progress) {
    const std::size_t count = (bytes.size() - kRecordsStart) / kRecordSize;
    std::vector<Vec3> corners(3 * count);
    for (std::size_t t = 0; t < count; ++t) {
        if (t % kTrianglesPerReport == 0) {
            progress.setFraction(kReadShare * static_cast<double>(t) / static_cast<double>(count));
        }
        // Past the record's normal, which the winding makes redundant.
        const std::byte* record = bytes.data() + kRecordsStart + t * kRecordSize + 12;
        for (std::size_t k = 0; k < 3; ++k) {
            const Vec3 point = recordPoint(record + 12 * k);
            const Vec3 scaled = point * scale;
            if (!isAcceptable(scaled)) refuseTriangle(t, point, scale);
            corners[3 * t + k] = scaled;
        }
    }
    return corners;
}

ImportedPart readBinary(std::span<const std::byte> bytes, double scale, Progress& progress) {
    if (bytes.size() < kRecordsStart) {
        throw ImportError("the file is neither STL text nor long enough for binary STL");
    }
    const std::vector<Vec3> corners = binaryCorners(bytes, scale, progress);
    if (corners.empty()) throw ImportError("the file holds no triangles");
    progress.setFraction(kReadShare);
    std::optional<ImportedBody> body = bodyOf({}, corners);
    if (!body) throw ImportError("the file holds no triangles with any area");
    ImportedPart part;
    part.bodies.push_back(std::move(*body));
    return part;
}

// Text STL, a solid at a time: "solid name", facets of "facet normal …", "outer loop", three
// "vertex x y z", "endloop", "endfacet", then "endsolid". Each solid becomes its own body.
class TextReader {
public:
    TextReader(std::string_view text, double scale, Progress& progress)
        : lines_(text), scale_(scale), progress_(progress) {}

    ImportedPart read() {
        while (const auto line = nextLine()) {
            std::string_view rest = *line;
            if (!isKeyword(nextWord(rest), "solid")) refuse("expected solid");
            readSolid(std::string(trimmed(rest)));
        }
        if (part_.bodies.empty()) throw ImportError("the file holds no triangles");
        return std::move(part_);
    }

private:
    struct Line {
        std::string_view keyword;
        std::string_view rest;
    };

    // The next line that is not blank, or nothing at the end of the text.
    std::optional<std::string_view> nextLine() {
        while (const auto line = lines_.next()) {
            if (lines_.number() % kTrianglesPerReport == 0) {
                progress_.setFraction(kReadShare * lines_.fraction());
            }
            if (!trimmed(*line).empty()) return line;
        }
        return std::nullopt;
    }

    [[noreturn]] void refuse(std::string_view message) const {
        throw ImportError(atLine(lines_.number(), message));
    }

    // The next line split into its keyword and the rest; `expected` says what it should have
    // been when the text ends first.
    Line nextOrRefuse(std::string_view expected) {
        const auto line = nextLine();
        if (!line) {
            std::string message(expected);
            message += ", but the file ends";
            throw ImportError(atLine(lines_.number() + 1, message));
        }
        Line split{{}, *line};
        split.keyword = nextWord(split.rest);
        return split;
    }

    void expect(std::string_view keyword, std::string_view expected) {
        if (!isKeyword(nextOrRefuse(expected).keyword, keyword)) refuse(expected);
    }

    void readSolid(std::string name) {
        std::vector<Vec3> corners;
        for (;;) {
            const Line line = nextOrRefuse("expected facet or endsolid");
            if (isKeyword(line.keyword, "endsolid")) break;
            if (!isKeyword(line.keyword, "facet")) refuse("expected facet or endsolid");
            readFacet(corners);
        }
        // A solid without triangles adds no body; the file as a whole still needs one.
        if (auto body = bodyOf(std::move(name), corners)) part_.bodies.push_back(std::move(*body));
    }

    // After "facet normal …": the loop's corners. A loop of more than three is taken as the fan
    // of triangles from its first corner, as a few writers emit polygons.
    void readFacet(std::vector<Vec3>& corners) {
        const Line outer = nextOrRefuse("expected outer loop");
        std::string_view rest = outer.rest;
        if (!isKeyword(outer.keyword, "outer") || !isKeyword(nextWord(rest), "loop")) {
            refuse("expected outer loop");
        }
        std::vector<Vec3> loop;
        for (;;) {
            const Line line =
                nextOrRefuse(loop.size() < 3 ? "expected vertex" : "expected endloop");
            if (loop.size() >= 3 && isKeyword(line.keyword, "endloop")) break;
            if (!isKeyword(line.keyword, "vertex")) {
                refuse(loop.size() < 3 ? "expected vertex" : "expected vertex or endloop");
            }
            loop.push_back(vertex(line.rest));
        }
        expect("endfacet", "expected endfacet");
        for (std::size_t k = 1; k + 1 < loop.size(); ++k) {
            corners.insert(corners.end(), {loop[0], loop[k], loop[k + 1]});
        }
    }

    Vec3 vertex(std::string_view rest) const {
        std::array<double, 3> xyz{};
        for (double& value : xyz) {
            const auto number = parseNumber(nextWord(rest));
            if (!number) refuse("a vertex needs three numbers");
            value = *number;
        }
        if (!trimmed(rest).empty()) refuse("a vertex needs three numbers");
        return checkedPoint({xyz[0], xyz[1], xyz[2]}, scale_, atLine(lines_.number(), ""));
    }

    Lines lines_;
    double scale_;
    Progress& progress_;
    ImportedPart part_;
};

bool isBinaryBySize(std::span<const std::byte> bytes) {
    if (bytes.size() < kRecordsStart) return false;
    const std::uint64_t count = littleEndianWord(bytes.data() + kHeaderSize);
    return kRecordsStart + count * kRecordSize == bytes.size();
}

}  // namespace

ImportedPart read(const std::filesystem::path& file, ImportUnit unit, Progress& progress) {
    progress.setPhase("Reading");
    const std::vector<std::byte> bytes = readWholeFile(file);
    return parse(bytes, unit, progress);
}

ImportedPart parse(std::span<const std::byte> bytes, ImportUnit unit, Progress& progress) {
    if (bytes.empty()) throw ImportError("the file is empty");
    const double scale = millimetersPer(unit);
    if (isBinaryBySize(bytes) || !looksLikeText(asText(bytes))) {
        return readBinary(bytes, scale, progress);
    }
    return TextReader(asText(bytes), scale, progress).read();
}

}  // namespace brontile::StlImport
