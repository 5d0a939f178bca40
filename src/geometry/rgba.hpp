// Colours in single precision, 0…1 per channel, with the fixed colours of the interface and the
// palette bodies take their colour from.
#pragma once

#include <algorithm>
#include <array>
#include <cstddef>
#include <cstdint>
#include <functional>

#include "base/hashing.hpp"
#include "geometry/float_vectors.hpp"

namespace brontile {

struct RGBA {
    float r = 0, g = 0, b = 0, a = 0;

    static const RGBA white;
    static const RGBA selection;
    static const RGBA hover;
    static const RGBA sketch;
    static const RGBA sketchInactive;
    // Sketch curves and points the constraints pin down.
    static const RGBA sketchFixed;
    // Constraints an error is about.
    static const RGBA conflict;
    static const RGBA construction;
    static const RGBA edge;
    static const RGBA preview;
    // A tool solid that will join a body, or be cut out of one.
    static const RGBA previewJoin;
    static const RGBA previewCut;
    static const RGBA snap;
    static const RGBA arrow;
    static const RGBA arrowReverse;

    constexpr RGBA() = default;
    constexpr RGBA(float red, float green, float blue, float alpha)
        : r(red), g(green), b(blue), a(alpha) {}

    friend constexpr bool operator==(const RGBA&, const RGBA&) = default;

    [[nodiscard]] constexpr Float4 simd() const { return {r, g, b, a}; }
    [[nodiscard]] constexpr RGBA withAlpha(float alpha) const { return {r, g, b, alpha}; }
    // Brighter by `amount` on each colour channel, capped at 1 (alpha unchanged).
    // Each channel times `factor` (0…1), alpha kept.
    [[nodiscard]] constexpr RGBA darkened(float factor) const {
        return {r * factor, g * factor, b * factor, a};
    }
    [[nodiscard]] constexpr RGBA lightened(float amount) const {
        return {std::min(r + amount, 1.0f), std::min(g + amount, 1.0f), std::min(b + amount, 1.0f),
                a};
    }
};

inline constexpr RGBA RGBA::white{1.0f, 1.0f, 1.0f, 1.0f};
inline constexpr RGBA RGBA::selection{1.0f, 0.58f, 0.16f, 1.0f};
// Vivid where the palette is muted, so that neither reads as a body's own colour.
inline constexpr RGBA RGBA::hover{0.25f, 0.88f, 1.0f, 1.0f};
inline constexpr RGBA RGBA::sketch{0.93f, 0.94f, 0.96f, 1.0f};
inline constexpr RGBA RGBA::sketchInactive{0.55f, 0.58f, 0.62f, 1.0f};
inline constexpr RGBA RGBA::sketchFixed{0.42f, 0.84f, 0.56f, 1.0f};
inline constexpr RGBA RGBA::conflict{1.0f, 0.36f, 0.32f, 1.0f};
inline constexpr RGBA RGBA::construction{0.5f, 0.55f, 0.6f, 1.0f};
inline constexpr RGBA RGBA::edge{0.09f, 0.1f, 0.12f, 1.0f};
inline constexpr RGBA RGBA::preview{0.35f, 0.72f, 1.0f, 1.0f};
inline constexpr RGBA RGBA::previewJoin{0.42f, 0.86f, 0.5f, 1.0f};
inline constexpr RGBA RGBA::previewCut{1.0f, 0.38f, 0.34f, 1.0f};
inline constexpr RGBA RGBA::snap{1.0f, 0.85f, 0.2f, 1.0f};
inline constexpr RGBA RGBA::arrow{0.32f, 0.78f, 1.0f, 1.0f};
inline constexpr RGBA RGBA::arrowReverse{1.0f, 0.62f, 0.28f, 1.0f};

// The six colours new bodies cycle through: muted, and far from the selection's orange and the
// hover's cyan.
namespace BodyPalette {

inline constexpr std::array<RGBA, 6> colors{{
    {0.72f, 0.75f, 0.8f, 1.0f},
    {0.68f, 0.62f, 0.86f, 1.0f},
    {0.55f, 0.72f, 0.85f, 1.0f},
    {0.62f, 0.8f, 0.62f, 1.0f},
    {0.85f, 0.62f, 0.7f, 1.0f},
    {0.78f, 0.78f, 0.55f, 1.0f},
}};

// Any index works: it wraps in both directions (−1 is the last colour).
[[nodiscard]] constexpr RGBA color(std::int64_t index) {
    constexpr auto count = static_cast<std::int64_t>(colors.size());
    return colors[static_cast<std::size_t>(((index % count) + count) % count)];
}

}  // namespace BodyPalette
}  // namespace brontile

template <>
struct std::hash<brontile::RGBA> {
    std::size_t operator()(const brontile::RGBA& c) const noexcept {
        return brontile::hashFields(c.r, c.g, c.b, c.a);
    }
};
