#include "base/json_writer.hpp"

#include <array>
#include <charconv>
#include <cmath>
#include <stdexcept>

#include "base/utf8.hpp"

namespace brontile {

JsonWriter& JsonWriter::beginObject() {
    open(true, '{');
    return *this;
}

JsonWriter& JsonWriter::endObject() {
    if (keyPending_) throw std::logic_error("JsonWriter: a key without a value");
    close(true, '}');
    return *this;
}

JsonWriter& JsonWriter::beginArray() {
    open(false, '[');
    return *this;
}

JsonWriter& JsonWriter::endArray() {
    close(false, ']');
    return *this;
}

JsonWriter& JsonWriter::key(std::string_view name) {
    if (levels_.empty() || !levels_.back().isObject || keyPending_) {
        throw std::logic_error("JsonWriter: a key outside an object");
    }
    Level& level = levels_.back();
    if (!level.isEmpty) {
        if (name <= level.lastKey) throw std::logic_error("JsonWriter: keys out of order");
        out_ += ',';
    }
    level.isEmpty = false;
    level.lastKey = name;
    newLine();
    writeQuoted(name);
    out_ += ": ";
    keyPending_ = true;
    return *this;
}

JsonWriter& JsonWriter::value(bool flag) {
    beforeValue();
    out_ += flag ? "true" : "false";
    return *this;
}

JsonWriter& JsonWriter::value(double number) {
    if (!std::isfinite(number)) {
        throw JsonEncodeError("A number that is not finite (NaN or infinity) cannot be saved.");
    }
    beforeValue();
    // "-0" would read back as the integer 0; "-0.0" keeps the sign.
    if (number == 0 && std::signbit(number)) {
        out_ += "-0.0";
        return *this;
    }
    std::array<char, 32> buffer{};
    const auto result = std::to_chars(buffer.data(), buffer.data() + buffer.size(), number);
    out_.append(buffer.data(), result.ptr);
    return *this;
}

JsonWriter& JsonWriter::value(std::int64_t number) {
    beforeValue();
    std::array<char, 24> buffer{};
    const auto result = std::to_chars(buffer.data(), buffer.data() + buffer.size(), number);
    out_.append(buffer.data(), result.ptr);
    return *this;
}

JsonWriter& JsonWriter::value(std::string_view text) {
    beforeValue();
    writeQuoted(text);
    return *this;
}

std::string JsonWriter::finish() && {
    if (!done_ || !levels_.empty()) throw std::logic_error("JsonWriter: incomplete value");
    return std::move(out_);
}

void JsonWriter::beforeValue() {
    if (levels_.empty()) {
        if (done_) throw std::logic_error("JsonWriter: more than one top-level value");
        done_ = true;
        return;
    }
    Level& level = levels_.back();
    if (level.isObject) {
        if (!keyPending_) throw std::logic_error("JsonWriter: an object member without a key");
        keyPending_ = false;
        return;
    }
    if (!level.isEmpty) out_ += ',';
    level.isEmpty = false;
    newLine();
}

void JsonWriter::newLine() {
    out_ += '\n';
    out_.append(levels_.size() * 2, ' ');
}

void JsonWriter::open(bool isObject, char bracket) {
    beforeValue();
    out_ += bracket;
    levels_.push_back({isObject, true, {}});
}

void JsonWriter::close(bool isObject, char bracket) {
    if (levels_.empty() || levels_.back().isObject != isObject) {
        throw std::logic_error("JsonWriter: unbalanced end");
    }
    const bool wasEmpty = levels_.back().isEmpty;
    levels_.pop_back();
    if (!wasEmpty) newLine();
    out_ += bracket;
}

void JsonWriter::writeQuoted(std::string_view text) {
    static constexpr char kHex[] = "0123456789abcdef";
    out_ += '"';
    for (std::size_t i = 0; i < text.size();) {
        const auto c = static_cast<unsigned char>(text[i]);
        if (c >= 0x80) {
            const auto character = decodeUtf8(text.substr(i));
            if (!character) throw JsonEncodeError("Text that is not valid UTF-8 cannot be saved.");
            out_.append(text.substr(i, character->length));
            i += character->length;
            continue;
        }
        switch (c) {
            case '"': out_ += "\\\""; break;
            case '\\': out_ += "\\\\"; break;
            case '\n': out_ += "\\n"; break;
            case '\r': out_ += "\\r"; break;
            case '\t': out_ += "\\t"; break;
            case '\b': out_ += "\\b"; break;
            case '\f': out_ += "\\f"; break;
            default:
                if (c < 0x20) {
                    out_ += "\\u00";
                    out_ += kHex[c >> 4];
                    out_ += kHex[c & 0x0F];
                } else {
                    out_ += static_cast<char>(c);
                }
        }
        ++i;
    }
    out_ += '"';
}

}  // namespace brontile
