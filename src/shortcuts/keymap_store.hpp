// The keymap the session consults: turns key presses into commands and gives every view the
// shortcut to show beside a command. Built from a profile, indexed both ways.
#pragma once

#include <filesystem>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <unordered_map>
#include <utility>
#include <vector>

#include "commands/command_id.hpp"
#include "interaction/input_events.hpp"
#include "shortcuts/key_chord.hpp"
#include "shortcuts/keymap_profile.hpp"

namespace brontile {

class KeymapStore {
public:
    // The resource directory holding the shipped profile, and the profile's file name in it.
    static constexpr std::string_view kBundleName = "Brontile_Shortcuts.bundle";
    static constexpr std::string_view kDefaultProfileFileName = "default-keymap.json";

    // Bindings whose key text is not a chord are skipped; they stay in profile().
    explicit KeymapStore(KeymapProfile profile);

    // The shipped profile, found in the first of defaultBundleDirectories() that holds it; the
    // built-in fallback when there is none or it cannot be read or decoded. Never throws.
    [[nodiscard]] static KeymapStore loadDefault();
    // As loadDefault(), saying in words a person can act on why the fallback was taken.
    struct Loaded;
    [[nodiscard]] static Loaded loadDefaultReporting();
    [[nodiscard]] static Loaded loadDefaultReporting(
        std::span<const std::filesystem::path> candidateBundleDirectories);
    // As above, looking in the given bundle directories in order. Only the first directory that
    // holds the profile file is read: a broken file there means the fallback.
    [[nodiscard]] static KeymapStore loadDefault(
        std::span<const std::filesystem::path> candidateBundleDirectories);
    // Next to the running executable, then in ../share/brontile of its folder (an install
    // tree). Empty when the executable's location cannot be found.
    [[nodiscard]] static std::vector<std::filesystem::path> defaultBundleDirectories();

    // The command that owns the chord: the last binding of it in the profile.
    [[nodiscard]] std::optional<CommandID> command(const KeyChord& chord) const;
    // As above for the chord of the press: its key in canonical form, modifiers as held.
    [[nodiscard]] std::optional<CommandID> command(const KeyPress& press) const;
    // Every chord bound to the command, in binding order, including chords a later binding
    // took over (menus still show them). Empty when there is none.
    [[nodiscard]] std::vector<KeyChord> chords(const CommandID& command) const;
    [[nodiscard]] std::optional<KeyChord> primaryChord(const CommandID& command) const;
    // KeyChord::display of the primary chord ("⇧⌘K").
    [[nodiscard]] std::optional<std::string> displayShortcut(const CommandID& command) const;
    // Each chord with the command it dispatches, sorted by the command's raw text; a command's
    // chords keep their binding order.
    [[nodiscard]] std::vector<std::pair<KeyChord, CommandID>> allBindings() const;

    // Makes `chord` dispatch `command`: removes every binding whose text parses to that chord
    // and appends one in the chord's written form. In memory only.
    void bind(const KeyChord& chord, const CommandID& command);

    [[nodiscard]] const KeymapProfile& profile() const { return profile_; }

private:
    void rebuildIndex();

    KeymapProfile profile_;
    // Both derived from profile_ by rebuildIndex(), and only by it.
    std::unordered_map<KeyChord, CommandID> commandByChord_;
    std::unordered_map<CommandID, std::vector<KeyChord>> chordsByCommand_;
};

struct KeymapStore::Loaded {
    KeymapStore store;
    // Nothing when the shipped profile was read.
    std::optional<std::string> problem;
};

}  // namespace brontile
