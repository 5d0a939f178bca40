#include "shortcuts/keymap_store.hpp"

#include <algorithm>
#include <fstream>
#include <sstream>
#include <system_error>
#include <variant>

namespace brontile {

namespace {

// The profile in the file, or why it cannot be used.
[[nodiscard]] std::variant<KeymapProfile, std::string> readProfile(
    const std::filesystem::path& file) {
    std::ifstream in(file, std::ios::binary);
    std::ostringstream text;
    if (in) text << in.rdbuf();
    if (!in || in.bad()) return std::string("it cannot be read");
    try {
        return fromJsonText<KeymapProfile>(text.str());
    } catch (const Error& error) {
        return std::string(error.what());
    }
}

// The profile file in the first directory that has one.
[[nodiscard]] std::optional<std::filesystem::path> findProfileFile(
    std::span<const std::filesystem::path> directories) {
    for (const auto& directory : directories) {
        std::error_code error;
        auto file = directory / KeymapStore::kDefaultProfileFileName;
        if (std::filesystem::is_regular_file(file, error)) return file;
    }
    return std::nullopt;
}

}  // namespace

KeymapStore::KeymapStore(KeymapProfile profile) : profile_(std::move(profile)) { rebuildIndex(); }

KeymapStore KeymapStore::loadDefault() {
    const std::vector<std::filesystem::path> directories = defaultBundleDirectories();
    return loadDefault(directories);
}

KeymapStore KeymapStore::loadDefault(
    std::span<const std::filesystem::path> candidateBundleDirectories) {
    return loadDefaultReporting(candidateBundleDirectories).store;
}

KeymapStore::Loaded KeymapStore::loadDefaultReporting() {
    const std::vector<std::filesystem::path> directories = defaultBundleDirectories();
    return loadDefaultReporting(directories);
}

KeymapStore::Loaded KeymapStore::loadDefaultReporting(
    std::span<const std::filesystem::path> candidateBundleDirectories) {
    static constexpr std::string_view kOnlyFallback =
        ", so only Escape, Space and \u2318K have keys.";
    const auto fallback = [](std::string problem) {
        return Loaded{KeymapStore(KeymapProfile::builtInFallback()), std::move(problem)};
    };
    const auto file = findProfileFile(candidateBundleDirectories);
    if (!file) {
        return fallback("The keyboard shortcuts (" + std::string(kBundleName) +
                        ") were not found beside the program" + std::string(kOnlyFallback));
    }
    auto read = readProfile(*file);
    if (auto* problem = std::get_if<std::string>(&read)) {
        return fallback("The keyboard shortcuts in " + file->string() + " could not be used (" +
                        *problem + ")" + std::string(kOnlyFallback));
    }
    return Loaded{KeymapStore(std::get<KeymapProfile>(std::move(read))), std::nullopt};
}

std::vector<std::filesystem::path> KeymapStore::defaultBundleDirectories() {
    std::error_code error;
    const std::filesystem::path executable = std::filesystem::read_symlink("/proc/self/exe", error);
    if (error || executable.empty()) return {};
    const std::filesystem::path folder = executable.parent_path();
    return {folder / kBundleName, folder / ".." / "share" / "brontile" / kBundleName};
}

std::optional<CommandID> KeymapStore::command(const KeyChord& chord) const {
    const auto found = commandByChord_.find(chord);
    if (found == commandByChord_.end()) return std::nullopt;
    return found->second;
}

std::optional<CommandID> KeymapStore::command(const KeyPress& press) const {
    return command(KeyChord{.key = canonicalKeyName(press.key), .modifiers = press.modifiers});
}

std::vector<KeyChord> KeymapStore::chords(const CommandID& command) const {
    const auto found = chordsByCommand_.find(command);
    if (found == chordsByCommand_.end()) return {};
    return found->second;
}

std::optional<KeyChord> KeymapStore::primaryChord(const CommandID& command) const {
    const auto found = chordsByCommand_.find(command);
    if (found == chordsByCommand_.end() || found->second.empty()) return std::nullopt;
    return found->second.front();
}

std::optional<std::string> KeymapStore::displayShortcut(const CommandID& command) const {
    const auto chord = primaryChord(command);
    if (!chord) return std::nullopt;
    return chord->display();
}

std::vector<std::pair<KeyChord, CommandID>> KeymapStore::allBindings() const {
    std::vector<CommandID> commands;
    for (const auto& entry : chordsByCommand_) commands.push_back(entry.first);
    std::ranges::sort(commands, {}, &CommandID::rawValue);
    // Walking each command's chord list (rather than the unordered chord index) makes the order
    // of a command's chords reproducible: binding order.
    std::vector<std::pair<KeyChord, CommandID>> result;
    for (const CommandID& command : commands) {
        const std::vector<KeyChord>& list = chordsByCommand_.at(command);
        for (auto chord = list.begin(); chord != list.end(); ++chord) {
            const bool owns = commandByChord_.at(*chord) == command;
            const bool repeated = std::find(list.begin(), chord, *chord) != chord;
            if (owns && !repeated) result.emplace_back(*chord, command);
        }
    }
    return result;
}

void KeymapStore::bind(const KeyChord& chord, const CommandID& command) {
    std::erase_if(profile_.bindings, [&chord](const KeyBinding& binding) {
        return KeyChord::parse(binding.key) == chord;
    });
    profile_.bindings.push_back(KeyBinding{.command = command, .key = chord.description()});
    rebuildIndex();
}

void KeymapStore::rebuildIndex() {
    commandByChord_.clear();
    chordsByCommand_.clear();
    for (const KeyBinding& binding : profile_.bindings) {
        auto chord = KeyChord::parse(binding.key);
        if (!chord) continue;
        commandByChord_.insert_or_assign(*chord, binding.command);
        chordsByCommand_[binding.command].push_back(std::move(*chord));
    }
}

}  // namespace brontile
