#include "base/uuid.hpp"

#include <sys/random.h>

#include <algorithm>
#include <cerrno>
#include <cstddef>
#include <span>
#include <system_error>

namespace brontile {
namespace {

constexpr char kHexDigits[] = "0123456789ABCDEF";

// Positions of the hyphens in the 36-character text form.
constexpr bool isHyphenPosition(std::size_t i) { return i == 8 || i == 13 || i == 18 || i == 23; }

int hexValue(char c) {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    return -1;
}

thread_local ScopedUuidSeed* innermostSeed = nullptr;

void fillRandom(std::span<std::uint8_t> bytes) {
    if (ScopedUuidSeed* seed = ScopedUuidSeed::current()) return seed->fill(bytes);
    std::size_t filled = 0;
    while (filled < bytes.size()) {
        const ssize_t got = getrandom(bytes.data() + filled, bytes.size() - filled, 0);
        if (got < 0) {
            if (errno == EINTR) continue;
            throw std::system_error(errno, std::generic_category(), "getrandom");
        }
        filled += static_cast<std::size_t>(got);
    }
}

Uuid version4(Uuid::Bytes bytes) {
    bytes[6] = static_cast<std::uint8_t>((bytes[6] & 0x0F) | 0x40);  // version 4
    bytes[8] = static_cast<std::uint8_t>((bytes[8] & 0x3F) | 0x80);  // RFC 4122 variant
    return Uuid(bytes);
}

}  // namespace

ScopedUuidSeed::ScopedUuidSeed(std::uint64_t seed) : state_(seed), outer_(innermostSeed) {
    innermostSeed = this;
}

ScopedUuidSeed::~ScopedUuidSeed() { innermostSeed = outer_; }

ScopedUuidSeed* ScopedUuidSeed::current() { return innermostSeed; }

// SplitMix64: statistically sound, and the same sequence on every machine.
void ScopedUuidSeed::fill(std::span<std::uint8_t> bytes) {
    for (std::size_t i = 0; i < bytes.size(); i += 8) {
        std::uint64_t z = (state_ += 0x9E3779B97F4A7C15ull);
        z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ull;
        z = (z ^ (z >> 27)) * 0x94D049BB133111EBull;
        z ^= z >> 31;
        for (std::size_t k = 0; k < 8 && i + k < bytes.size(); ++k) {
            bytes[i + k] = static_cast<std::uint8_t>(z >> (8 * k));
        }
    }
}

Uuid Uuid::random() {
    Bytes bytes;
    fillRandom(bytes);
    return version4(bytes);
}

std::vector<Uuid> Uuid::random(std::size_t count) {
    std::vector<std::uint8_t> pool(count * sizeof(Bytes));
    fillRandom(pool);
    std::vector<Uuid> ids;
    ids.reserve(count);
    for (std::size_t i = 0; i < count; ++i) {
        Bytes bytes;
        std::copy_n(pool.begin() + static_cast<std::ptrdiff_t>(i * bytes.size()), bytes.size(),
                    bytes.begin());
        ids.push_back(version4(bytes));
    }
    return ids;
}

std::optional<Uuid> Uuid::parse(std::string_view text) {
    if (text.size() != 36) return std::nullopt;
    Bytes bytes{};
    std::size_t nibble = 0;
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (isHyphenPosition(i)) {
            if (text[i] != '-') return std::nullopt;
            continue;
        }
        const int value = hexValue(text[i]);
        if (value < 0) return std::nullopt;
        auto& byte = bytes[nibble / 2];
        byte = static_cast<std::uint8_t>(nibble % 2 == 0 ? value << 4 : byte | value);
        ++nibble;
    }
    return Uuid(bytes);
}

std::string Uuid::string() const {
    std::string text;
    text.reserve(36);
    for (std::size_t i = 0; i < bytes_.size(); ++i) {
        if (i == 4 || i == 6 || i == 8 || i == 10) text.push_back('-');
        text.push_back(kHexDigits[bytes_[i] >> 4]);
        text.push_back(kHexDigits[bytes_[i] & 0x0F]);
    }
    return text;
}

}  // namespace brontile
