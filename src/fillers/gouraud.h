// The lit fillers' own policies: the shade-table sources that turn a light
// value (and a palette index) into a finished pixel, each loading the words it
// reads. The span loops, light schemes and face drivers are the perspective
// fillers' (mapped.h, span_context.h); fillers.cpp names the combinations.
#ifndef QUORVEL_GOURAUD_H
#define QUORVEL_GOURAUD_H

#include <emmintrin.h>
#include <cstdint>

#include "fillers/mapped.h"
#include "fillers/span_context.h"
#include "quorvel/host_records.h"

// Bits 8 to 13 of an 8.8 light value. Every loop reduces the level to 0..63,
// the 256 x 256 ones included: a light of 64 levels or more wraps to the low
// levels instead of reading past the 64 rows of the table.
inline std::uint32_t Light_Level(std::int32_t light) { return (static_cast<std::uint32_t>(light) >> 8) & 63u; }

// ---------------------------------------------------------------------------
// Sources (see pixel_ops.h): a lit source reads no colour from the image, it
// looks the pixel up in the material's Shade_Table.

// Unmapped faces: one entry per level. There is no image to fetch from.
struct Source_Shade_Level {
    using Texel = std::uint8_t;
    static constexpr bool mapped = false;
    static constexpr bool lit = true;
    static constexpr bool keyed = false;
    static void Load(Span_Context& span, const Host_Material& material) {
        span.image = nullptr;
        span.shade_table = material.render_data->shade_table;
    }
    static Texel Fetch(const Span_Context&, std::uint32_t) { return 0; }
    static bool Skips(const Span_Context&, Texel) { return false; }
    static std::uint16_t Colour(const Span_Context& span, Texel, std::int32_t light) {
        return static_cast<std::uint16_t>(span.shade_table[Light_Level(light)] >> 16);
    }
    // Light moves slowly along a span, so the eight pixels of a group mostly
    // share one or two levels: the group's first and last. Then its colours
    // are two table reads and a select, in lanes. A steeper group holds other
    // levels too and goes pixel by pixel (false).
    [[gnu::always_inline]] static bool Colours_8(const Span_Context& span, const Lanes& light, __m128i& colours) {
        const __m128i level_mask = _mm_set1_epi32(63);
        const __m128i low = _mm_and_si128(_mm_srli_epi32(light.low, 8), level_mask);
        const __m128i high = _mm_and_si128(_mm_srli_epi32(light.high, 8), level_mask);
        const __m128i levels = _mm_packs_epi32(low, high);  // 0..63: no lane saturates
        const std::int32_t first = _mm_cvtsi128_si32(low);
        const std::int32_t last = _mm_extract_epi16(levels, 7);
        const __m128i is_first = _mm_cmpeq_epi16(levels, _mm_set1_epi16(static_cast<short>(first)));
        const __m128i is_last = _mm_cmpeq_epi16(levels, _mm_set1_epi16(static_cast<short>(last)));
        if (_mm_movemask_epi8(_mm_or_si128(is_first, is_last)) != 0xFFFF) return false;
        const __m128i first_colour = _mm_set1_epi16(static_cast<short>(span.shade_table[first] >> 16));
        const __m128i last_colour = _mm_set1_epi16(static_cast<short>(span.shade_table[last] >> 16));
        colours = _mm_or_si128(_mm_and_si128(is_first, first_colour), _mm_andnot_si128(is_first, last_colour));
        return true;
    }
};

// 8-bit palette maps: level x 256 + palette index.
struct Source_Palette_Lit : Source_Palette_Indices {
    static constexpr bool lit = true;
    static std::uint16_t Colour(const Span_Context& span, Texel texel, std::int32_t light) {
        return static_cast<std::uint16_t>(span.shade_table[Light_Level(light) << 8 | texel] >> 16);
    }
};

// The map's key index is compared with the texel before the table is read;
// the colour the palette gives that index does not matter. The index is read
// once per face and zero-extended.
struct Source_Palette_Lit_Keyed : Source_Palette_Lit {
    static constexpr bool keyed = true;
    static void Load(Span_Context& span, const Host_Material& material) {
        Source_Palette_Lit::Load(span, material);
        span.key = material.map->colour_key_index;
    }
    static bool Skips(const Span_Context& span, Texel texel) { return texel == span.key; }
};

// The keyed blend skips palette index 0 whatever key the map names.
struct Source_Palette_Lit_Index_0_Skipped : Source_Palette_Lit {
    static constexpr bool keyed = true;
    static bool Skips(const Span_Context&, Texel texel) { return texel == 0; }
};

#endif
