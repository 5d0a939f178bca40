// Reading JSON into model values. A JsonReader is a view of one value in a parsed document that
// knows the path leading to it, so that every failure names the key or index that is wrong.
#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include <nlohmann/json.hpp>

#include "base/error.hpp"

namespace brontile {

// A parsed JSON value. Objects keep their keys sorted.
using Json = nlohmann::json;

// The text is not JSON, or the JSON does not describe the expected value. The message says what
// is wrong and where ("Missing required key \"normal\" (at bodies[0].mesh.faces[2])").
class JsonDecodeError : public Error {
public:
    using Error::Error;
};

template <class T>
struct JsonCodec;

// A view of one JSON value being read, with the path that leads to it. Readers of children
// refer to their parent, so a child must not outlive the reader it came from.
class JsonReader {
public:
    explicit JsonReader(const Json& value) : value_(&value) {}

    [[nodiscard]] const Json& json() const { return *value_; }

    // The member `key` of this object; fails when this is not an object or the key is missing.
    [[nodiscard]] JsonReader operator[](std::string_view key) const;
    // The member `key`, or nothing when it is absent or null.
    [[nodiscard]] std::optional<JsonReader> optionalMember(std::string_view key) const;
    // The element `index` of this array (index < size()).
    [[nodiscard]] JsonReader at(std::size_t index) const;

    // Fail unless this is an object / an array.
    const Json::object_t& object() const;
    const Json::array_t& array() const;

    template <class T>
    [[nodiscard]] T as() const {
        return JsonCodec<T>::read(*this);
    }
    // Reads an array, element by element.
    template <class T>
    [[nodiscard]] std::vector<T> asArray() const {
        const auto& items = array();
        std::vector<T> result;
        result.reserve(items.size());
        for (std::size_t i = 0; i < items.size(); ++i) result.push_back(at(i).template as<T>());
        return result;
    }

    // "bodies[0].mesh.faces[2]", or "the top level" at the root.
    [[nodiscard]] std::string path() const;
    // Throws JsonDecodeError: "<problem> (at <path>)".
    [[noreturn]] void fail(std::string_view problem) const;
    // Throws the type-mismatch error for a value that is not of the `expected` JSON kind.
    [[noreturn]] void failType(std::string_view expected) const;

private:
    JsonReader(const Json& value, const JsonReader& parent, std::string_view key)
        : value_(&value), parent_(&parent), key_(key) {}
    JsonReader(const Json& value, const JsonReader& parent, std::size_t index)
        : value_(&value), parent_(&parent), index_(index) {}

    void appendPath(std::string& out) const;

    const Json* value_;
    const JsonReader* parent_ = nullptr;
    std::string_view key_;
    std::optional<std::size_t> index_;
};

// Parses JSON text; malformed text throws JsonDecodeError naming the line and column.
[[nodiscard]] Json parseJsonText(std::string_view text);

}  // namespace brontile
