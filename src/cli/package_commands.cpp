#include "cli/package_commands.hpp"

#include <algorithm>
#include <cctype>
#include <optional>
#include <ostream>
#include <string>

#include "base/raw_value_enum.hpp"
#include "io/mesh_check.hpp"
#include "io/mesh_export.hpp"
#include "io/native_package_io.hpp"
#include "io/part_import.hpp"
#include "replay/session_trace.hpp"
#include "sketch/sketch_constraint_solver.hpp"

namespace brontile::cli {
namespace {

using replay::number;
using replay::OrderedJson;
using replay::vec;

// The package's document, or a part file imported into a new one (its numbers taken in `unit`
// where the file does not say); nothing after saying why on `err`.
std::optional<CADDocument> load(const std::filesystem::path& package, std::ostream& err,
                                std::string* error = nullptr,
                                ImportUnit unit = ImportUnit::millimeters) {
    try {
        if (PartImport::isImportable(package)) {
            Progress progress;
            return PartImport::documentOf(PartImport::read(package, unit, progress), package,
                                          currentDateTime());
        }
        return NativePackageIO::load(package);
    } catch (const std::exception& failure) {
        if (error != nullptr) *error = failure.what();
        err << "brontile-cli: cannot open " << package << ": " << failure.what() << '\n';
        return std::nullopt;
    }
}

bool solves(const Sketch& sketch) {
    Sketch copy = sketch;
    return SketchConstraintSolver::solve(copy).success;
}

OrderedJson bodyInfo(const Body& body) {
    const MeshCheckResult check = MeshCheck::check(body.mesh);
    const std::optional<AABB> bounds = body.mesh.bounds();
    return {{"name", body.name},
            {"isVisible", body.isVisible},
            {"triangleCount", body.mesh.triangleCount()},
            {"faceCount", body.mesh.faces().size()},
            {"volume", number(check.volume)},
            {"bounds", bounds ? OrderedJson{{"min", vec(bounds->min)}, {"max", vec(bounds->max)}}
                              : OrderedJson(nullptr)},
            {"closed", check.closed},
            {"openEdges", check.openEdges}};
}

OrderedJson documentInfo(const CADDocument& document) {
    OrderedJson bodies = OrderedJson::array();
    for (const Body& body : document.bodies) bodies.push_back(bodyInfo(body));
    OrderedJson sketches = OrderedJson::array();
    for (const Sketch& sketch : document.sketches) {
        sketches.push_back({{"name", sketch.name},
                            {"entities", sketch.entities.size()},
                            {"constraints", sketch.constraints.size()},
                            {"solves", solves(sketch)}});
    }
    return {{"title", document.metadata.title},
            {"units", std::string(rawValue(document.units))},
            {"bodies", std::move(bodies)},
            {"sketches", std::move(sketches)}};
}

void writeText(const OrderedJson& info, std::ostream& out) {
    out << info["title"].get<std::string>() << " (" << info["units"].get<std::string>() << ")\n";
    out << info["bodies"].size() << " bodies\n";
    for (const auto& body : info["bodies"]) {
        out << "  " << body["name"].get<std::string>()
            << (body["isVisible"].get<bool>() ? "" : " (hidden)") << ": " << body["triangleCount"]
            << " triangles, " << body["faceCount"] << " faces, volume " << body["volume"].dump()
            << " mm³, "
            << (body["closed"].get<bool>() ? "closed"
                                           : "open (" + body["openEdges"].dump() + " open edges)")
            << '\n';
    }
    out << info["sketches"].size() << " sketches\n";
    for (const auto& sketch : info["sketches"]) {
        out << "  " << sketch["name"].get<std::string>() << ": " << sketch["entities"]
            << " entities, " << sketch["constraints"] << " constraints, "
            << (sketch["solves"].get<bool>() ? "solves" : "does not solve") << '\n';
    }
}

}  // namespace

int info(const std::filesystem::path& package, bool json, std::ostream& out, std::ostream& err) {
    const auto document = load(package, err);
    if (!document) return kUnusable;
    const OrderedJson description = documentInfo(*document);
    if (json) {
        out << description.dump(2) << '\n';
    } else {
        writeText(description, out);
    }
    return 0;
}

int check(const std::filesystem::path& package, std::ostream& out, std::ostream& err) {
    std::string error;
    const auto document = load(package, err, &error);
    OrderedJson bodies = OrderedJson::array();
    bool allClosed = true;
    if (document) {
        for (const BodyCheck& body : MeshCheck::bodies(*document)) {
            if (body.isVisible && !body.mesh.closed) allClosed = false;
            bodies.push_back({{"name", body.name},
                              {"isVisible", body.isVisible},
                              {"closed", body.mesh.closed},
                              {"openEdges", body.mesh.openEdges},
                              {"volume", number(body.mesh.volume)}});
        }
    }
    const OrderedJson result{{"package",
                              {{"ok", document.has_value()},
                               {"error", document ? OrderedJson(nullptr) : OrderedJson(error)}}},
                             {"bodies", std::move(bodies)}};
    out << result.dump(2) << '\n';
    if (!document) return kUnusable;
    return allClosed ? kAllClosed : kOpenBody;
}

int importPart(const std::filesystem::path& part, const std::filesystem::path& destination,
               ImportUnit unit, std::ostream& out, std::ostream& err) {
    const auto document = load(part, err, nullptr, unit);
    if (!document) return kUnusable;
    try {
        static_cast<void>(NativePackageIO::save(*document, destination, currentDateTime()));
    } catch (const std::exception& error) {
        err << "brontile-cli: cannot write " << destination << ": " << error.what() << '\n';
        return kUnusable;
    }
    for (const BodyCheck& body : MeshCheck::bodies(*document)) {
        out << body.name << ": " << (body.mesh.closed ? "closed" : "not closed") << ", "
            << body.mesh.openEdges << " open edges\n";
    }
    return 0;
}

int exportPackage(const std::filesystem::path& package, const std::filesystem::path& destination,
                  std::ostream& err) {
    std::string extension = destination.extension().string();
    if (!extension.empty()) extension.erase(0, 1);
    std::ranges::transform(extension, extension.begin(),
                           [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    if (extension == "stp") extension = "step";
    if (extension == "igs") extension = "iges";
    const auto format = fromRawValue<InterchangeFormat>(extension);
    if (!format) {
        err << "brontile-cli: cannot tell the format of " << destination
            << ": the file name must end in .stl, .obj, .3mf, .step, .stp, .iges or .igs\n";
        return kUnusable;
    }
    const auto document = load(package, err);
    if (!document) return kUnusable;
    try {
        MeshExport::writeFile(*document, *format, destination);
    } catch (const std::exception& error) {
        err << "brontile-cli: export failed: " << error.what() << '\n';
        return kUnusable;
    }
    for (const std::string& name : MeshCheck::openVisibleBodies(*document)) {
        err << "brontile-cli: warning: " << name << " is not closed (exported as it is)\n";
    }
    return 0;
}

}  // namespace brontile::cli
