// The identities of the tools: one name per tool, which commands, the toolbar and the session
// use to ask for it.
#pragma once

#include <functional>
#include <string>
#include <utility>

namespace brontile {

struct ToolID {
    ToolID() = default;
    // Written as its name, such as "line".
    ToolID(std::string raw) : rawValue(std::move(raw)) {}  // NOLINT(google-explicit-constructor)
    ToolID(const char* raw) : rawValue(raw) {}             // NOLINT(google-explicit-constructor)

    std::string rawValue;

    friend bool operator==(const ToolID&, const ToolID&) = default;

    static const ToolID select;
    static const ToolID line;
    static const ToolID rectangle;
    static const ToolID circle;
    static const ToolID arc;
    static const ToolID polygon;
    static const ToolID offset;
    static const ToolID trim;
    static const ToolID extrude;
    static const ToolID revolve;
    static const ToolID fillet;
    static const ToolID shell;
    static const ToolID move;
    static const ToolID rotate;
    static const ToolID scale;
    static const ToolID mirror;
    static const ToolID measure;
    static const ToolID pattern;
    // `unite` is the union tool; `union` itself is a C++ keyword. The raw value stays "union".
    static const ToolID unite;
    static const ToolID subtract;
    static const ToolID intersect;
    static const ToolID section;
};

inline const ToolID ToolID::select{"select"};
inline const ToolID ToolID::line{"line"};
inline const ToolID ToolID::rectangle{"rectangle"};
inline const ToolID ToolID::circle{"circle"};
inline const ToolID ToolID::arc{"arc"};
inline const ToolID ToolID::polygon{"polygon"};
inline const ToolID ToolID::offset{"offset"};
inline const ToolID ToolID::trim{"trim"};
inline const ToolID ToolID::extrude{"extrude"};
inline const ToolID ToolID::revolve{"revolve"};
inline const ToolID ToolID::fillet{"fillet"};
inline const ToolID ToolID::shell{"shell"};
inline const ToolID ToolID::move{"move"};
inline const ToolID ToolID::rotate{"rotate"};
inline const ToolID ToolID::scale{"scale"};
inline const ToolID ToolID::mirror{"mirror"};
inline const ToolID ToolID::section{"section"};
inline const ToolID ToolID::measure{"measure"};
inline const ToolID ToolID::pattern{"pattern"};
inline const ToolID ToolID::unite{"union"};
inline const ToolID ToolID::subtract{"subtract"};
inline const ToolID ToolID::intersect{"intersect"};

// The keys a tool is told about, whatever key the person's keymap binds to them.
enum class ToolKey {
    escape,
    confirm,
    // The Delete key; `delete` itself is a C++ keyword.
    remove,
    // The body-mode key: a solid becomes a new body, joins one, or is cut out of it.
    nextMode,
};

}  // namespace brontile

template <>
struct std::hash<brontile::ToolID> {
    std::size_t operator()(const brontile::ToolID& id) const noexcept {
        return std::hash<std::string>{}(id.rawValue);
    }
};
