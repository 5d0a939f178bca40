#include "base/utf8.hpp"

#include <array>
#include <cstdint>

namespace brontile {
namespace {

// What may follow a lead byte: the sequence's length and the range of its second byte. Narrowing
// the second byte after E0, ED, F0 and F4 is what shuts out overlong forms, surrogates and code
// points beyond U+10FFFF (the well-formed table of the Unicode standard, chapter 3).
struct LeadByte {
    std::size_t length = 0;
    unsigned char low = 0x80;
    unsigned char high = 0xBF;
};

LeadByte leadByte(unsigned char lead) {
    if (lead >= 0xC2 && lead <= 0xDF) return {2};
    if (lead == 0xE0) return {3, 0xA0, 0xBF};
    if (lead == 0xED) return {3, 0x80, 0x9F};
    if (lead >= 0xE1 && lead <= 0xEF) return {3};
    if (lead == 0xF0) return {4, 0x90, 0xBF};
    if (lead >= 0xF1 && lead <= 0xF3) return {4};
    if (lead == 0xF4) return {4, 0x80, 0x8F};
    return {};
}

// Capitals and their small letters. An `alternating` range pairs each capital with the
// character right after it; otherwise the small letter lies `offset` away.
struct CaseRange {
    char32_t first;
    char32_t last;
    std::int32_t offset;
    bool alternating;
};

constexpr std::array<CaseRange, 14> kCaseRanges{{
    {0x41, 0x5A, 32, false},      // A–Z
    {0xC0, 0xD6, 32, false},      // À–Ö
    {0xD8, 0xDE, 32, false},      // Ø–Þ
    {0x100, 0x12F, 1, true},      // Ā–į
    {0x130, 0x130, -199, false},  // İ → i
    {0x132, 0x137, 1, true},      // Ĳ–ķ
    {0x139, 0x148, 1, true},      // Ĺ–ň
    {0x14A, 0x177, 1, true},      // Ŋ–ŷ
    {0x178, 0x178, -121, false},  // Ÿ → ÿ
    {0x179, 0x17E, 1, true},      // Ź–ž
    {0x391, 0x3A1, 32, false},    // Α–Ρ
    {0x3A3, 0x3AB, 32, false},    // Σ–Ϋ
    {0x400, 0x40F, 80, false},    // Ѐ–Џ
    {0x410, 0x42F, 32, false},    // А–Я
}};

bool isCapitalIn(const CaseRange& range, char32_t c) {
    if (c < range.first || c > range.last) return false;
    return !range.alternating || (c - range.first) % 2 == 0;
}

char32_t shifted(char32_t c, std::int32_t offset) {
    return static_cast<char32_t>(static_cast<std::int32_t>(c) + offset);
}

// Applies `map` to every well-formed character of `text`.
template <class Map>
std::string mappedText(std::string_view text, Map map) {
    std::string result;
    result.reserve(text.size());
    while (!text.empty()) {
        if (const auto c = decodeUtf8(text)) {
            appendUtf8(result, map(c->codePoint));
            text.remove_prefix(c->length);
        } else {
            result.push_back(text.front());
            text.remove_prefix(1);
        }
    }
    return result;
}

}  // namespace

std::optional<DecodedCharacter> decodeUtf8(std::string_view text) {
    if (text.empty()) return std::nullopt;
    const auto byte = [&](std::size_t i) { return static_cast<unsigned char>(text[i]); };
    if (byte(0) < 0x80) return DecodedCharacter{byte(0), 1};
    const LeadByte lead = leadByte(byte(0));
    if (lead.length == 0 || lead.length > text.size()) return std::nullopt;
    if (byte(1) < lead.low || byte(1) > lead.high) return std::nullopt;
    char32_t value = byte(0) & (0x7F >> lead.length);
    for (std::size_t i = 1; i < lead.length; ++i) {
        if ((byte(i) & 0xC0) != 0x80) return std::nullopt;
        value = (value << 6) | (byte(i) & 0x3F);
    }
    return DecodedCharacter{value, lead.length};
}

bool isValidUtf8(std::string_view text) {
    while (!text.empty()) {
        const auto c = decodeUtf8(text);
        if (!c) return false;
        text.remove_prefix(c->length);
    }
    return true;
}

void appendUtf8(std::string& out, char32_t codePoint) {
    const auto byte = [&out](char32_t bits) { out.push_back(static_cast<char>(bits)); };
    if (codePoint < 0x80) {
        byte(codePoint);
    } else if (codePoint < 0x800) {
        byte(0xC0 | (codePoint >> 6));
        byte(0x80 | (codePoint & 0x3F));
    } else if (codePoint < 0x10000) {
        byte(0xE0 | (codePoint >> 12));
        byte(0x80 | ((codePoint >> 6) & 0x3F));
        byte(0x80 | (codePoint & 0x3F));
    } else {
        byte(0xF0 | (codePoint >> 18));
        byte(0x80 | ((codePoint >> 12) & 0x3F));
        byte(0x80 | ((codePoint >> 6) & 0x3F));
        byte(0x80 | (codePoint & 0x3F));
    }
}

char32_t lowercased(char32_t c) {
    for (const CaseRange& range : kCaseRanges) {
        if (isCapitalIn(range, c)) return shifted(c, range.offset);
    }
    return c;
}

char32_t uppercased(char32_t c) {
    // Searching the capitals in table order finds ASCII "I" for "i" before "İ".
    for (const CaseRange& range : kCaseRanges) {
        const char32_t capital = shifted(c, -range.offset);
        if (isCapitalIn(range, capital)) return capital;
    }
    return c;
}

std::string lowercasedText(std::string_view text) { return mappedText(text, lowercased); }

std::string uppercasedText(std::string_view text) { return mappedText(text, uppercased); }

std::string messageExcerpt(std::string_view text) {
    std::size_t end = 0;
    for (std::size_t count = 0; end < text.size(); ++count) {
        if (count == kMessageExcerptLength) return std::string(text.substr(0, end)) + "\u2026";
        const auto c = decodeUtf8(text.substr(end));
        end += c ? c->length : 1;
    }
    return std::string(text);
}

std::string quotedExcerpt(std::string_view text) { return '"' + messageExcerpt(text) + '"'; }

}  // namespace brontile
