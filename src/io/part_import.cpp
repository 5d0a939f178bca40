#include "io/part_import.hpp"

#include <algorithm>
#include <cctype>
#include <cmath>

#include "io/brep_import.hpp"
#include "io/obj_import.hpp"
#include "io/stl_import.hpp"
#include "io/three_mf_import.hpp"

namespace brontile::PartImport {
namespace {

std::string lowerExtension(const std::filesystem::path& file) {
    std::string extension = file.extension().string();
    if (!extension.empty()) extension.erase(0, 1);
    std::ranges::transform(extension, extension.begin(),
                           [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    return extension;
}

std::int64_t nearestPaletteIndex(const RGBA& color) {
    std::int64_t best = 0;
    double bestDistance = 0;
    for (std::size_t i = 0; i < BodyPalette::colors.size(); ++i) {
        const RGBA& p = BodyPalette::colors[i];
        const double d = (p.r - color.r) * (p.r - color.r) + (p.g - color.g) * (p.g - color.g) +
                         (p.b - color.b) * (p.b - color.b);
        if (i == 0 || d < bestDistance) {
            best = static_cast<std::int64_t>(i);
            bestDistance = d;
        }
    }
    return best;
}

// Beyond this many millimetres from the origin a coordinate is out of any part's range.
constexpr double kFarthest = 1e9;

// Whatever reader made the part: nothing non-finite or out of range may reach a body.
void checkCoordinates(const ImportedPart& part) {
    for (const ImportedBody& body : part.bodies) {
        for (const Vec3& v : body.mesh.vertices()) {
            if (!v.isFinite()) throw ImportError("a coordinate is not a finite number");
            if (std::abs(v.x) > kFarthest || std::abs(v.y) > kFarthest ||
                std::abs(v.z) > kFarthest) {
                throw ImportError("a coordinate lies beyond 1 000 km of the origin");
            }
        }
    }
}

ImportedPart readByFormat(const std::filesystem::path& file, ImportUnit unit, Progress& progress) {
    const std::string extension = lowerExtension(file);
    if (extension == "stl") return StlImport::read(file, unit, progress);
    if (extension == "obj") return ObjImport::read(file, unit, progress);
    if (extension == "3mf") return ThreeMfImport::read(file, progress);
    return BrepImport::read(file, progress);
}

}  // namespace

const std::vector<std::string>& extensions() {
    static const std::vector<std::string> known{"stl", "obj", "3mf", "step", "stp", "iges", "igs"};
    return known;
}

bool isImportable(const std::filesystem::path& file) {
    return std::ranges::find(extensions(), lowerExtension(file)) != extensions().end();
}

bool asksUnit(const std::filesystem::path& file) {
    const std::string extension = lowerExtension(file);
    return extension == "stl" || extension == "obj";
}

ImportedPart read(const std::filesystem::path& file, ImportUnit unit, Progress& progress) {
    std::string name = file.filename().string();
    if (!isImportable(file)) throw ImportError(name + ": not a file Brontile can import");
    ImportedPart part;
    try {
        part = readByFormat(file, unit, progress);
        checkCoordinates(part);
    } catch (const Cancelled&) {
        throw;
    } catch (const std::exception& error) {
        name += ": ";
        name += error.what();
        throw ImportError(name);
    }
    std::erase_if(part.bodies, [](const ImportedBody& body) { return body.mesh.isEmpty(); });
    if (part.bodies.empty()) throw ImportError(name + ": no solid in it");
    return part;
}

std::vector<Body> bodiesOf(const ImportedPart& part, const std::filesystem::path& file,
                           std::int64_t firstColorIndex) {
    std::vector<Body> bodies;
    const std::string stem = file.stem().string();
    std::int64_t unnamed = 0;
    for (const ImportedBody& imported : part.bodies) {
        Body body;
        body.id = BodyID::generate();
        body.mesh = imported.mesh;
        if (!imported.name.empty()) {
            body.name = imported.name;
        } else {
            body.name = stem;
            if (++unnamed > 1) {
                body.name += ' ';
                body.name += std::to_string(unnamed);
            }
        }
        body.colorIndex = imported.color
                              ? nearestPaletteIndex(*imported.color)
                              : firstColorIndex + static_cast<std::int64_t>(bodies.size());
        bodies.push_back(std::move(body));
    }
    return bodies;
}

CADDocument documentOf(const ImportedPart& part, const std::filesystem::path& file,
                       const DateTime& created) {
    CADDocument document = CADDocument::empty(file.stem().string(), created);
    for (Body& body : bodiesOf(part, file, 0)) document.bodies.push_back(std::move(body));
    document.bodyCounter = static_cast<std::int64_t>(document.bodies.size());
    return document;
}

}  // namespace brontile::PartImport
