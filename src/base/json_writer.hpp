// Streams JSON text straight from model values: pretty-printed with two-space indentation, the
// members of every object in ascending key order, numbers in the shortest form that reads back
// to the same double. Writing a large document this way avoids building a JSON tree first.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "base/error.hpp"

namespace brontile {

// The value cannot be written (a number that is not finite, a date outside years 0–9999, text
// that is not UTF-8).
class JsonEncodeError : public Error {
public:
    using Error::Error;
};

template <class T>
struct JsonCodec;

// Misuse (a value without a key inside an object, keys out of order, unbalanced begin/end) is a
// programming error and throws std::logic_error.
class JsonWriter {
public:
    JsonWriter& beginObject();
    JsonWriter& endObject();
    JsonWriter& beginArray();
    JsonWriter& endArray();
    // Names the next member of the current object; keys must ascend within an object.
    JsonWriter& key(std::string_view name);

    JsonWriter& value(bool flag);
    // Throws JsonEncodeError for NaN and infinities, which JSON cannot hold.
    JsonWriter& value(double number);
    JsonWriter& value(std::int64_t number);
    // Throws JsonEncodeError unless the text is valid UTF-8.
    JsonWriter& value(std::string_view text);
    JsonWriter& value(const char* text) { return value(std::string_view(text)); }

    // key(name), then the value through its codec.
    template <class T>
    JsonWriter& member(std::string_view name, const T& v) {
        key(name);
        JsonCodec<T>::write(*this, v);
        return *this;
    }

    // The text of the one complete value written.
    [[nodiscard]] std::string finish() &&;

private:
    struct Level {
        bool isObject = false;
        bool isEmpty = true;
        std::string lastKey;
    };

    void beforeValue();
    void newLine();
    void open(bool isObject, char bracket);
    void close(bool isObject, char bracket);
    void writeQuoted(std::string_view text);

    std::string out_;
    std::vector<Level> levels_;
    bool keyPending_ = false;
    bool done_ = false;
};

}  // namespace brontile
