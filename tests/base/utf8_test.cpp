// The one UTF-8 decoder and encoder, the letter-case pair of key names, and message excerpts.
#include <gtest/gtest.h>

#include <cstdint>
#include <optional>
#include <string>

#include "base/utf8.hpp"

namespace brontile {
namespace {

bool isScalarValue(char32_t c) { return c <= 0x10FFFF && (c < 0xD800 || c > 0xDFFF); }

TEST(Utf8Decoding, AcceptsWellFormedSequencesOnly) {
    const struct {
        std::string name;
        std::string bytes;
        std::optional<DecodedCharacter> decoded;
    } rows[] = {
        // clang-format off
        {"ascii", "A\xff", DecodedCharacter{U'A', 1}},
        {"smallest two-byte", "\xc2\x80", DecodedCharacter{0x80, 2}},
        {"smallest three-byte", "\xe0\xa0\x80", DecodedCharacter{0x800, 3}},
        {"last before surrogates", "\xed\x9f\xbf", DecodedCharacter{0xD7FF, 3}},
        {"smallest four-byte", "\xf0\x90\x80\x80", DecodedCharacter{0x10000, 4}},
        {"largest", "\xf4\x8f\xbf\xbf", DecodedCharacter{0x10FFFF, 4}},
        // Refused.
        {"empty", "", {}}, {"overlong two-byte", "\xc0\xaf", {}},
        {"overlong C1", "\xc1\xbf", {}}, {"overlong three-byte", "\xe0\x9f\xbf", {}},
        {"overlong four-byte", "\xf0\x8f\xbf\xbf", {}}, {"surrogate", "\xed\xa0\x80", {}},
        {"beyond U+10FFFF", "\xf4\x90\x80\x80", {}}, {"lead F5", "\xf5\x80\x80\x80", {}},
        {"lone continuation", "\x80", {}}, {"cut short", "\xe2\x82", {}},
        {"bad continuation", "\xe2\x28\xa1", {}}, {"bad last continuation", "\xf0\x90\x80\x41", {}},
        // clang-format on
    };
    for (const auto& row : rows) EXPECT_EQ(decodeUtf8(row.bytes), row.decoded) << row.name;
    EXPECT_TRUE(isValidUtf8("plain ünïcode ✓ 😀"));
    EXPECT_FALSE(isValidUtf8("ok then \xed\xa0\x80"));
}

TEST(Utf8Encoding, EveryScalarValueDecodesBackFromItsShortestForm) {
    for (char32_t c = 0; c <= 0x10FFFF; ++c) {
        if (!isScalarValue(c)) continue;
        std::string bytes;
        appendUtf8(bytes, c);
        const std::size_t shortest = c < 0x80 ? 1 : c < 0x800 ? 2 : c < 0x10000 ? 3 : 4;
        ASSERT_EQ(decodeUtf8(bytes), (DecodedCharacter{c, shortest}))
            << std::hex << static_cast<std::uint32_t>(c);
    }
}

TEST(LetterCase, UpperCasingUndoesExactlyWhatLowerCasingDoes) {
    for (char32_t c = 0; c <= 0x10FFFF; ++c) {
        if (!isScalarValue(c)) continue;
        const auto code = static_cast<std::uint32_t>(c);
        const char32_t capital = uppercased(c);
        if (capital != c) {
            ASSERT_EQ(static_cast<std::uint32_t>(lowercased(capital)), code) << std::hex << code;
        }
        const char32_t small = lowercased(c);
        if (small != c) {
            ASSERT_NE(static_cast<std::uint32_t>(uppercased(small)),
                      static_cast<std::uint32_t>(small))
                << std::hex << code;
        }
    }
    const struct {
        std::string small;
        std::string capital;
    } pairs[] = {
        {"é", "É"}, {"i", "I"}, {"ÿ", "Ÿ"}, {"ķ", "Ķ"}, {"σ", "Σ"},
        {"я", "Я"}, {"ѐ", "Ѐ"}, {"ı", "ı"}, {"ß", "ß"}, {"\xff", "\xff"},
    };
    for (const auto& pair : pairs) {
        EXPECT_EQ(uppercasedText(pair.small), pair.capital) << pair.small;
        if (pair.small != pair.capital) {
            EXPECT_EQ(lowercasedText(pair.capital), pair.small);
        }
    }
    EXPECT_EQ(lowercasedText("İ"), "i");
    // Whole texts: broken bytes stay as they are, small letters of alternating ranges too.
    EXPECT_EQ(lowercasedText("Cmd+\xC3\x9C\xFF\xC5\xB8"), "cmd+\xC3\xBC\xFF\xC3\xBF");  // Ü, Ÿ
    EXPECT_EQ(lowercasedText("\xC4\x80\xC4\x81\xC5\xB9"), "\xC4\x81\xC4\x81\xC5\xBA");  // Āā Ź
}

TEST(MessageExcerpts, KeepAtMostEightyCharactersAndCutBetweenThem) {
    const auto repeated = [](const std::string& piece, std::size_t count) {
        std::string text;
        for (std::size_t i = 0; i < count; ++i) text += piece;
        return text;
    };
    const struct {
        std::string name;
        std::string text;
        std::string excerpt;
    } rows[] = {
        {"short", "centimeters", "centimeters"},
        {"exactly eighty", repeated("a", 80), repeated("a", 80)},
        {"eighty-one", repeated("a", 81), repeated("a", 80) + "…"},
        {"two-byte characters", repeated("é", 100), repeated("é", 80) + "…"},
        {"four-byte character at the cut", repeated("a", 79) + "😀😀", repeated("a", 79) + "😀…"},
        {"bytes that are not UTF-8", repeated("\xff", 100), repeated("\xff", 80) + "…"},
    };
    for (const auto& row : rows) EXPECT_EQ(messageExcerpt(row.text), row.excerpt) << row.name;
    EXPECT_EQ(quotedExcerpt("inch"), "\"inch\"");
}

}  // namespace
}  // namespace brontile
