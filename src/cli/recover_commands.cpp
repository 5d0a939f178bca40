#include "cli/recover_commands.hpp"

#include <exception>

#include <nlohmann/json.hpp>

#include "base/date_time.hpp"
#include "io/native_package_io.hpp"

namespace brontile::cli {
namespace {

constexpr int kDone = 0;
constexpr int kRefused = 2;

std::string timeText(DateTime time) { return formatDateTime(time).value_or("?"); }

}  // namespace

int recoverList(const RecoveryStore& store, bool json, std::ostream& out) {
    const auto entries = store.leftovers();
    if (json) {
        auto documents = nlohmann::ordered_json::array();
        for (const RecoveryEntry& entry : entries) {
            const auto& file = entry.manifest.file;
            documents.push_back({{"folder", entry.folder.string()},
                                 {"title", entry.manifest.title},
                                 {"file", file ? nlohmann::ordered_json(file->string())
                                               : nlohmann::ordered_json(nullptr)},
                                 {"time", timeText(entry.manifest.time)},
                                 {"damaged", entry.damage.has_value()}});
        }
        out << nlohmann::ordered_json{{"documents", documents}}.dump(2) << '\n';
        return kDone;
    }
    for (const RecoveryEntry& entry : entries) {
        const auto& file = entry.manifest.file;
        out << entry.folder.string() << '\t' << timeText(entry.manifest.time) << '\t'
            << entry.manifest.title << '\t' << (file ? file->string() : "untitled");
        if (entry.damage) out << "\tdamaged: " << *entry.damage;
        out << '\n';
    }
    return kDone;
}

int recoverOne(const RecoveryStore& store, const std::filesystem::path& folder,
               const std::filesystem::path& destination, std::ostream& err) {
    const std::filesystem::path located = folder.has_parent_path() ? folder : store.root() / folder;
    try {
        const CADDocument document = store.load(located);
        static_cast<void>(NativePackageIO::save(document, destination, currentDateTime()));
    } catch (const std::exception& error) {
        err << "brontile-cli: cannot recover " << located.string() << ": " << error.what() << '\n';
        return kRefused;
    }
    return kDone;
}

}  // namespace brontile::cli
