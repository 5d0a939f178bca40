#include "shortcuts/keymap_profile.hpp"

#include "commands/app_command_id.hpp"

namespace brontile {

KeymapProfile KeymapProfile::builtInFallback() {
    return KeymapProfile{
        .version = 1,
        .profile = "default",
        .bindings = {{AppCommandID::paletteShow, "cmd+k"},
                     {AppCommandID::toolSelect, "space"},
                     {AppCommandID::toolCancel, "escape"}},
    };
}

void JsonCodec<KeyBinding>::write(JsonWriter& out, const KeyBinding& binding) {
    out.beginObject().member("command", binding.command).member("key", binding.key).endObject();
}

KeyBinding JsonCodec<KeyBinding>::read(const JsonReader& in) {
    return KeyBinding{
        .command = in["command"].as<CommandID>(),
        .key = in["key"].as<std::string>(),
    };
}

void JsonCodec<KeymapProfile>::write(JsonWriter& out, const KeymapProfile& profile) {
    out.beginObject()
        .member("bindings", profile.bindings)
        .member("profile", profile.profile)
        .member("version", profile.version)
        .endObject();
}

KeymapProfile JsonCodec<KeymapProfile>::read(const JsonReader& in) {
    return KeymapProfile{
        .version = in["version"].as<std::int64_t>(),
        .profile = in["profile"].as<std::string>(),
        .bindings = in["bindings"].as<std::vector<KeyBinding>>(),
    };
}

}  // namespace brontile
