// 128-bit identities. Every id in a document (bodies, faces, sketches, entities, constraints)
// is one of these, written in the 36-character upper-case form.
#pragma once

#include <array>
#include <compare>
#include <cstdint>
#include <functional>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace brontile {

class Uuid {
public:
    using Bytes = std::array<std::uint8_t, 16>;

    // The nil UUID (all zero bits).
    constexpr Uuid() = default;
    constexpr explicit Uuid(const Bytes& bytes) : bytes_(bytes) {}

    // A fresh random (version 4) UUID from the operating system's entropy source. This is the only
    // place identities are invented, so tests that need fixed ids pass them in instead.
    [[nodiscard]] static Uuid random();
    // `count` of them from one read of the entropy source: a boolean names thousands of faces.
    [[nodiscard]] static std::vector<Uuid> random(std::size_t count);

    // Parses "E621E1F8-C36C-495A-93FC-0C247A3E6E5F" in either letter case; nothing for anything
    // else.
    [[nodiscard]] static std::optional<Uuid> parse(std::string_view text);

    // Upper-case 8-4-4-4-12 hexadecimal text.
    [[nodiscard]] std::string string() const;

    [[nodiscard]] const Bytes& bytes() const { return bytes_; }
    [[nodiscard]] bool isNil() const { return *this == Uuid{}; }

    friend constexpr bool operator==(const Uuid&, const Uuid&) = default;
    friend constexpr auto operator<=>(const Uuid&, const Uuid&) = default;

private:
    Bytes bytes_{};
};

// While one lives, Uuid::random on its thread draws from a generator seeded with `seed` instead
// of the operating system, so that a replayed script names everything the same way every time.
// Scopes nest; the innermost one is used.
class ScopedUuidSeed {
public:
    explicit ScopedUuidSeed(std::uint64_t seed);
    ~ScopedUuidSeed();
    ScopedUuidSeed(const ScopedUuidSeed&) = delete;
    ScopedUuidSeed& operator=(const ScopedUuidSeed&) = delete;

    // The next bytes of this generator.
    void fill(std::span<std::uint8_t> bytes);
    // The innermost seed of this thread, if any.
    [[nodiscard]] static ScopedUuidSeed* current();

private:
    std::uint64_t state_;
    ScopedUuidSeed* outer_;
};

// One-field identity types: distinct C++ types over the same UUID so that a body id can never be
// passed where a face id is expected.
template <class Tag>
struct Identifier {
    Uuid rawValue;

    [[nodiscard]] static Identifier generate() { return Identifier{Uuid::random()}; }
    [[nodiscard]] static std::vector<Identifier> generate(std::size_t count) {
        std::vector<Identifier> ids;
        ids.reserve(count);
        for (const Uuid& id : Uuid::random(count)) ids.push_back(Identifier{id});
        return ids;
    }

    friend constexpr bool operator==(const Identifier&, const Identifier&) = default;
    friend constexpr auto operator<=>(const Identifier&, const Identifier&) = default;
};

}  // namespace brontile

template <>
struct std::hash<brontile::Uuid> {
    std::size_t operator()(const brontile::Uuid& id) const noexcept {
        std::uint64_t hi = 0;
        std::uint64_t lo = 0;
        for (int i = 0; i < 8; ++i) {
            hi = (hi << 8) | id.bytes()[static_cast<std::size_t>(i)];
            lo = (lo << 8) | id.bytes()[static_cast<std::size_t>(i + 8)];
        }
        // Random UUIDs are already well mixed; folding the halves is enough.
        return static_cast<std::size_t>(hi ^ (lo * 0x9E3779B97F4A7C15ull));
    }
};

template <class Tag>
struct std::hash<brontile::Identifier<Tag>> {
    std::size_t operator()(const brontile::Identifier<Tag>& id) const noexcept {
        return std::hash<brontile::Uuid>{}(id.rawValue);
    }
};
