#include "io/mesh_export.hpp"

#include <algorithm>
#include <array>
#include <bit>
#include <charconv>
#include <cmath>
#include <limits>
#include <string_view>

#include "base/invariant.hpp"
#include "io/atomic_file.hpp"
#include "io/brep_export.hpp"
#include "io/export_checks.hpp"

namespace brontile::MeshExport {
namespace {

using ExportChecks::requireFiniteVertices;
using ExportChecks::visibleBodies;

constexpr std::string_view kStlHeaderText = "Brontile binary STL";
constexpr std::size_t kStlHeaderSize = 80;
constexpr std::size_t kStlCountSize = 4;
constexpr std::size_t kStlTriangleSize = 50;
constexpr std::string_view kObjHeaderLine = "# Brontile OBJ export (mm)\n";
// Vertices, triangles or polygons written between two progress checks: well under a millisecond.
constexpr std::size_t kItemsPerCheck = 8192;

void checkEvery(Progress& progress, std::size_t index) {
    if (index % kItemsPerCheck == kItemsPerCheck - 1) progress.check();
}

// Byte by byte, so the file reads the same whatever the host's byte order.
void appendUInt(std::vector<std::uint8_t>& bytes, std::uint32_t value, int byteCount) {
    for (int i = 0; i < byteCount; ++i) {
        bytes.push_back(static_cast<std::uint8_t>((value >> (8 * i)) & 0xFFu));
    }
}

void appendVector(std::vector<std::uint8_t>& bytes, const Vec3& v) {
    for (const double component : {v.x, v.y, v.z}) {
        appendUInt(bytes, std::bit_cast<std::uint32_t>(static_cast<float>(component)), 4);
    }
}

void appendStlTriangle(std::vector<std::uint8_t>& bytes, const Vec3& a, const Vec3& b,
                       const Vec3& c) {
    appendVector(bytes, (b - a).cross(c - a).normalized());
    appendVector(bytes, a);
    appendVector(bytes, b);
    appendVector(bytes, c);
    appendUInt(bytes, 0, 2);
}

void appendStlHeader(std::vector<std::uint8_t>& bytes, std::uint32_t triangleCount) {
    const std::size_t start = bytes.size();
    bytes.resize(start + kStlHeaderSize, 0);
    std::ranges::copy(kStlHeaderText.substr(0, kStlHeaderSize), bytes.begin() + start);
    appendUInt(bytes, triangleCount, 4);
}

// Fixed notation with six decimals, like "%.6f" but independent of the process locale. The
// sign of a value that rounds to zero is kept ("-0.000000").
void appendFixed(std::string& out, double value) {
    // The largest finite double has 309 integer digits; with sign, point and decimals it fits.
    std::array<char, 330> buffer{};
    const auto result = std::to_chars(buffer.data(), buffer.data() + buffer.size(), value,
                                      std::chars_format::fixed, 6);
    out.append(buffer.data(), result.ptr);
}

void appendInteger(std::string& out, std::int64_t value) {
    std::array<char, 24> buffer{};
    const auto result = std::to_chars(buffer.data(), buffer.data() + buffer.size(), value);
    out.append(buffer.data(), result.ptr);
}

// Every ASCII blank, line breaks included: a line break in a name would end the "o" line early.
std::string objName(std::string name) {
    constexpr std::string_view blanks = " \t\n\v\f\r";
    std::ranges::replace_if(
        name, [&](char c) { return blanks.find(c) != blanks.npos; }, '_');
    return name;
}

void appendObjVertices(std::string& out, const std::vector<Vec3>& vertices, Progress& progress) {
    for (std::size_t i = 0; i < vertices.size(); ++i) {
        checkEvery(progress, i);
        const Vec3& v = vertices[i];
        out += "v ";
        appendFixed(out, v.x);
        out += ' ';
        appendFixed(out, v.y);
        out += ' ';
        appendFixed(out, v.z);
        out += '\n';
    }
}

// Faces stay polygons; `offset` turns the body's own indices into the file's running numbers.
void appendObjFaces(std::string& out, const std::vector<SolidFace>& faces, std::int64_t offset,
                    Progress& progress) {
    for (std::size_t i = 0; i < faces.size(); ++i) {
        checkEvery(progress, i);
        for (const PolygonLoop& loop : faces[i].polygons) {
            if (loop.size() < 3) continue;
            out += 'f';
            for (const VertexIndex index : loop) {
                out += ' ';
                appendInteger(out, index + 1 + offset);
            }
            out += '\n';
        }
    }
}

struct BodyTriangles {
    const Body* body = nullptr;
    std::vector<SolidMesh::FaceTriangle> triangles;
};

// Every visible body's triangles, checked first so nothing is written for a body that cannot be.
std::vector<BodyTriangles> stlTriangles(const CADDocument& document) {
    std::vector<BodyTriangles> result;
    for (const Body* body : visibleBodies(document)) {
        requireFiniteVertices(*body);
        ExportChecks::requireWithin(*body, ExportChecks::kFloatLimit, InterchangeFormat::stl);
        result.push_back({body, body->mesh.allTriangles()});
    }
    return result;
}

}  // namespace

std::size_t stlByteCount(std::uint64_t triangleCount) {
    constexpr std::uint64_t fixedBytes = kStlHeaderSize + kStlCountSize;
    constexpr std::uint64_t maxAddressable =
        (std::numeric_limits<std::size_t>::max() - fixedBytes) / kStlTriangleSize;
    if (triangleCount > kMaxStlTriangles || triangleCount > maxAddressable) {
        throw InterchangeError::tooManyTriangles();
    }
    return static_cast<std::size_t>(fixedBytes + triangleCount * kStlTriangleSize);
}

std::vector<std::uint8_t> stlData(const CADDocument& document) {
    Progress whole;
    return stlData(document, whole);
}

std::vector<std::uint8_t> stlData(const CADDocument& document, Progress& progress) {
    const std::vector<BodyTriangles> bodies = stlTriangles(document);
    std::uint64_t triangleCount = 0;
    for (const auto& body : bodies) triangleCount += body.triangles.size();
    std::vector<std::uint8_t> bytes;
    bytes.reserve(stlByteCount(triangleCount));
    appendStlHeader(bytes, static_cast<std::uint32_t>(triangleCount));
    for (const auto& [body, triangles] : bodies) {
        const auto& v = body->mesh.vertices();
        const auto at = [&](VertexIndex index) { return v[static_cast<std::size_t>(index)]; };
        for (std::size_t i = 0; i < triangles.size(); ++i) {
            checkEvery(progress, i);
            const auto& t = triangles[i];
            appendStlTriangle(bytes, at(t.a), at(t.b), at(t.c));
        }
    }
    // Readers trust the header's count: a mismatch would make every later record unreadable.
    BRONTILE_INVARIANT(bytes.size() == stlByteCount(triangleCount),
                       "an STL whose records disagree with its triangle count");
    return bytes;
}

std::string objString(const CADDocument& document) {
    Progress whole;
    return objString(document, whole);
}

std::string objString(const CADDocument& document, Progress& progress) {
    const std::vector<const Body*> bodies = visibleBodies(document);
    for (const Body* body : bodies) requireFiniteVertices(*body);
    std::string out(kObjHeaderLine);
    std::int64_t offset = 0;
    for (const Body* body : bodies) {
        out += "o " + objName(body->name) + "\n";
        appendObjVertices(out, body->mesh.vertices(), progress);
        appendObjFaces(out, body->mesh.faces(), offset, progress);
        offset += static_cast<std::int64_t>(body->mesh.vertices().size());
    }
    return out;
}

void writeFile(const CADDocument& document, InterchangeFormat format,
               const std::filesystem::path& location) {
    Progress whole;
    writeFile(document, format, location, whole);
}

void writeFile(const CADDocument& document, InterchangeFormat format,
               const std::filesystem::path& location, Progress& progress) {
    // Once the file is whole on disk a stop either came first (nothing goes into place) or is
    // refused (the export ends as if it had not been asked for).
    const auto commit = [&] { progress.commit(); };
    switch (format) {
        case InterchangeFormat::stl: {
            const std::vector<std::uint8_t> bytes = stlData(document, progress);
            return writeFileAtomically(
                location, {reinterpret_cast<const char*>(bytes.data()), bytes.size()}, commit);
        }
        case InterchangeFormat::obj:
            return writeFileAtomically(location, objString(document, progress), commit);
        case InterchangeFormat::threeMF:
            return writeFileAtomically(location, threeMFData(document, progress), commit);
        case InterchangeFormat::step:
        case InterchangeFormat::iges:
            return writeFileAtomically(
                location,
                [&](const std::filesystem::path& temporary) {
                    BRepExport::write(document, format, temporary, location.filename().string(),
                                      progress);
                },
                commit);
    }
}

}  // namespace brontile::MeshExport
