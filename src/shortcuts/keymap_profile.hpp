// Keyboard bindings as data: a named list of (command, written chord) pairs as stored in keymap
// files, and the small profile used when no file can be read.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "base/json_codec.hpp"
#include "commands/command_id.hpp"

namespace brontile {

struct KeyBinding {
    // Any text; a command no registry knows is kept and simply never runs.
    CommandID command;
    // The chord in its written form ("cmd+shift+k"); see KeyChord::parse.
    std::string key;

    friend bool operator==(const KeyBinding&, const KeyBinding&) = default;
};

struct KeymapProfile {
    std::int64_t version = 1;
    std::string profile;
    // In file order: when two bindings share a chord, the later one takes the key.
    std::vector<KeyBinding> bindings;

    friend bool operator==(const KeymapProfile&, const KeymapProfile&) = default;

    // Version 1, "default": palette.show ← cmd+k, tool.select ← space, tool.cancel ← escape.
    [[nodiscard]] static KeymapProfile builtInFallback();
};

// Keys "command" (a bare string) and "key"; both required, others ignored.
template <>
struct JsonCodec<KeyBinding> {
    static void write(JsonWriter& out, const KeyBinding& binding);
    static KeyBinding read(const JsonReader& in);
};

// Keys "bindings", "profile" and "version"; all required, others ignored.
template <>
struct JsonCodec<KeymapProfile> {
    static void write(JsonWriter& out, const KeymapProfile& profile);
    static KeymapProfile read(const JsonReader& in);
};

}  // namespace brontile
