#include "io/obj_import.hpp"

#include <charconv>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "geometry/solid_mesh.hpp"
#include "geometry/triangulator.hpp"
#include "geometry/vec2.hpp"
#include "io/mesh_file_reading.hpp"

namespace brontile::ObjImport {
namespace {

using namespace MeshFileReading;

// Lines read between two progress reports.
constexpr std::size_t kLinesPerReport = 65536;
// Reading the lines is this share of the work; welding and grouping the objects the rest.
constexpr double kReadShare = 0.5;

// Newell's normal: the polygon's area vector, whatever its shape.
Vec3 areaNormal(const std::vector<Vec3>& polygon) {
    Vec3 sum = Vec3::zero;
    for (std::size_t i = 0; i < polygon.size(); ++i) {
        sum += polygon[i].cross(polygon[(i + 1) % polygon.size()]);
    }
    return sum;
}

// A polygon's triangles, wound as it is. Faces need not be convex (our own writer leaves an
// L-shaped face one polygon), so a fan from one corner could fold over the polygon's notch.
void appendTriangles(const std::vector<Vec3>& polygon, std::vector<Vec3>& corners) {
    const Vec3 normal = areaNormal(polygon);
    if (polygon.size() == 3 || !(normal.length() > 0)) {
        // A triangle as it is; a polygon without area gives triangles the assembly drops.
        for (std::size_t k = 1; k + 1 < polygon.size(); ++k) {
            corners.insert(corners.end(), {polygon[0], polygon[k], polygon[k + 1]});
        }
        return;
    }
    const SolidMesh::PlaneBasis basis = SolidMesh::planeBasis(normal.normalized());
    std::vector<Vec2> flat;
    flat.reserve(polygon.size());
    for (const Vec3& p : polygon) flat.push_back({p.dot(basis.u), p.dot(basis.v)});
    // Counter-clockwise in (u, v) is counter-clockwise about the normal, the polygon's own sense.
    for (const Triangulator::Triple& t : Triangulator::triangulate(flat)) {
        corners.insert(corners.end(), {polygon[t[0]], polygon[t[1]], polygon[t[2]]});
    }
}

class ObjReader {
public:
    ObjReader(std::string_view text, double scale, Progress& progress)
        : lines_(text), scale_(scale), progress_(progress) {}

    ImportedPart read() {
        while (const auto line = lines_.next()) {
            if (lines_.number() % kLinesPerReport == 0) {
                progress_.setFraction(kReadShare * lines_.fraction());
            }
            readLine(*line);
        }
        finishObject();
        if (part_.bodies.empty()) throw ImportError("the file holds no faces");
        return std::move(part_);
    }

private:
    [[noreturn]] void refuse(std::string_view message) const {
        throw ImportError(atLine(lines_.number(), message));
    }

    void readLine(std::string_view line) {
        line = line.substr(0, line.find('#'));
        std::string_view rest = line;
        const std::string_view keyword = nextWord(rest);
        if (keyword == "v") {
            readVertex(rest);
        } else if (keyword == "f") {
            readFace(rest);
        } else if (keyword == "o" || keyword == "g") {
            finishObject();
            name_ = trimmed(rest);
        }
        // Everything else (vt, vn, usemtl, s, l, curves) has no bearing on the solid.
    }

    // "v x y z", perhaps followed by a weight or a colour, which a solid has no use for.
    void readVertex(std::string_view rest) {
        std::vector<double> numbers;
        for (std::string_view word = nextWord(rest); !word.empty(); word = nextWord(rest)) {
            const auto number = parseNumber(word);
            if (!number) refuse("a vertex needs three numbers");
            numbers.push_back(*number);
        }
        if (numbers.size() < 3) refuse("a vertex needs three numbers");
        vertices_.push_back(checkedPoint({numbers[0], numbers[1], numbers[2]}, scale_,
                                         atLine(lines_.number(), "")));
    }

    // Corners "i", "i/t", "i//n" or "i/t/n"; a negative i counts back from the last vertex read.
    const Vec3& corner(std::string_view word) const {
        const std::string_view index = word.substr(0, word.find('/'));
        std::int64_t number = 0;
        const auto [end, error] =
            std::from_chars(index.data(), index.data() + index.size(), number);
        if (error != std::errc{} || end != index.data() + index.size()) {
            refuse("a face corner needs a vertex number");
        }
        const auto count = static_cast<std::int64_t>(vertices_.size());
        const std::int64_t at = number < 0 ? count + number : number - 1;
        if (number == 0 || at < 0 || at >= count) {
            std::string message = "vertex ";
            message += index;
            message += " does not exist";
            refuse(message);
        }
        return vertices_[static_cast<std::size_t>(at)];
    }

    void readFace(std::string_view rest) {
        std::vector<Vec3> polygon;
        for (std::string_view word = nextWord(rest); !word.empty(); word = nextWord(rest)) {
            polygon.push_back(corner(word));
        }
        if (polygon.size() < 3) refuse("a face needs three corners");
        appendTriangles(polygon, corners_);
    }

    // An object without faces (a name given twice, a group of curves) adds no body.
    void finishObject() {
        if (corners_.empty()) return;
        progress_.check();
        if (auto body = bodyOf(std::move(name_), corners_))
            part_.bodies.push_back(std::move(*body));
        corners_.clear();
        name_.clear();
    }

    Lines lines_;
    double scale_;
    Progress& progress_;
    std::vector<Vec3> vertices_;
    std::vector<Vec3> corners_;
    std::string name_;
    ImportedPart part_;
};

}  // namespace

ImportedPart read(const std::filesystem::path& file, ImportUnit unit, Progress& progress) {
    progress.setPhase("Reading");
    const std::vector<std::byte> bytes = readWholeFile(file);
    return parse(bytes, unit, progress);
}

ImportedPart parse(std::span<const std::byte> bytes, ImportUnit unit, Progress& progress) {
    if (bytes.empty()) throw ImportError("the file is empty");
    return ObjReader(asText(bytes), millimetersPer(unit), progress).read();
}

}  // namespace brontile::ObjImport
