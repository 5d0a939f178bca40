// UTF-8 as every part of the program reads and writes it: one decoder that decides what counts as
// well formed, the matching encoder, the one pair of letter-case mappings key names use, and the
// short excerpts of user text that messages quote.
#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>

namespace brontile {

struct DecodedCharacter {
    char32_t codePoint = 0;
    // The bytes it took, 1 to 4.
    std::size_t length = 0;

    friend bool operator==(const DecodedCharacter&, const DecodedCharacter&) = default;
};

// The character `text` starts with; nothing when `text` is empty or does not start with
// well-formed UTF-8. Overlong forms, surrogates (U+D800–U+DFFF), code points beyond U+10FFFF and
// sequences cut short are not well formed.
[[nodiscard]] std::optional<DecodedCharacter> decodeUtf8(std::string_view text);

// Whether the whole of `text` is well-formed UTF-8.
[[nodiscard]] bool isValidUtf8(std::string_view text);

// Appends the UTF-8 form of `codePoint`, which must be a Unicode scalar value (at most U+10FFFF,
// not a surrogate); as decodeUtf8 returns them.
void appendUtf8(std::string& out, char32_t codePoint);

// The small letter of a capital of ASCII, Latin-1, Latin Extended-A, Greek or Cyrillic; every
// other character as it is. Enough for key names without the full Unicode tables.
[[nodiscard]] char32_t lowercased(char32_t c);
// The inverse on what lowercased covers: the capital that lowercased maps to `c` (the ASCII one
// where two do, so "i" becomes "I", not "İ"); every other character as it is.
[[nodiscard]] char32_t uppercased(char32_t c);

// `text` with lowercased / uppercased applied to each character; bytes that are not UTF-8 stay.
[[nodiscard]] std::string lowercasedText(std::string_view text);
[[nodiscard]] std::string uppercasedText(std::string_view text);

// The most characters of user text a message quotes.
inline constexpr std::size_t kMessageExcerptLength = 80;

// `text` for quoting in a message: whole when it has at most kMessageExcerptLength characters,
// otherwise its first kMessageExcerptLength characters followed by "…", never cutting a
// character in two. A byte that is not UTF-8 counts as one character.
[[nodiscard]] std::string messageExcerpt(std::string_view text);
// messageExcerpt(text) in double quotes: Invalid UUID "1234…".
[[nodiscard]] std::string quotedExcerpt(std::string_view text);

}  // namespace brontile
