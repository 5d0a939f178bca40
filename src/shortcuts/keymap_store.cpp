#include "shortcuts/keymap_store.hpp"

#include <algorithm>
#include <fstream>
#include <sstream>
#include <system_error>

namespace brontile {

namespace {

[[nodiscard]] std::optional<KeymapProfile> readProfile(const std::filesystem::path& file) {
    std::ifstream in(file, std::ios::binary);
    if (!in) return std::nullopt;
    std::ostringstream text;
    text << in.rdbuf();
    if (in.bad()) return std::nullopt;
    try {
        return fromJsonText<KeymapProfile>(text.str());
    } catch (const Error&) {
        // Malformed text or a profile of the wrong shape: the caller falls back.
        return std::nullopt;
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
    const auto file = findProfileFile(candidateBundleDirectories);
    auto profile = file ? readProfile(*file) : std::nullopt;
    return KeymapStore(profile ? std::move(*profile) : KeymapProfile::builtInFallback());
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
