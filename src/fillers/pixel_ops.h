// Pixel formats, pixel operations and texel sources: the policies every span
// loop is instantiated over. A format carries its constants, an operation
// combines a source colour with the pixel already in the frame buffer (alone
// or two pixels per 32-bit word), a source turns a fetched texel into that
// colour or decides that the pixel is not drawn at all.
#ifndef QUORVEL_PIXEL_OPS_H
#define QUORVEL_PIXEL_OPS_H

#include <emmintrin.h>
#include <cstdint>

#include "base/base.h"
#include "fillers/span_context.h"
#include "quorvel/host_records.h"

// The blend mask clears the lowest bit of every channel that has a neighbour
// above it (and in 555 the unused top bit), so that the halved sum of two
// pixels carries nothing from one channel into the next. The pair mask also
// clears the second pixel's lowest blue bit, where the first pixel's carry
// lands.
struct Format_555 {
    static constexpr std::uint16_t half_mask = 0x7BDF;
    static constexpr std::uint32_t pair_mask = 0x7BDE7BDF;

    // A channel that overflowed is filled with ones; its carry bit stays set
    // in the next channel (for red, in bit 15).
    static constexpr std::uint32_t Saturate(std::uint32_t sum) {
        if (sum & 0x20u) sum |= 0x1Fu;
        if (sum & 0x400u) sum |= 0x3E0u;
        if (sum & 0x8000u) sum |= 0x7C00u;
        return sum;
    }
    // Both pixels of a pair; red of the second pixel tops out at bit 31, so
    // the 32-bit sum never carries out.
    static constexpr std::uint32_t Saturate_Pair(std::uint32_t sum, bool) {
        if (sum & 0x20u) sum |= 0x1Fu;
        if (sum & 0x400u) sum |= 0x3E0u;
        if (sum & 0x8000u) sum |= 0x7C00u;
        if (sum & 0x200000u) sum |= 0x1F0000u;
        if (sum & 0x4000000u) sum |= 0x3E00000u;
        if (sum & 0x80000000u) sum |= 0x7C000000u;
        return sum;
    }
};

struct Format_565 {
    static constexpr std::uint16_t half_mask = 0xF7DF;
    static constexpr std::uint32_t pair_mask = 0xF7DEF7DF;

    static constexpr std::uint32_t Saturate(std::uint32_t sum) {
        if (sum & 0x20u) sum |= 0x1Fu;
        if (sum & 0x800u) sum |= 0x7E0u;
        if (sum & 0x10000u) sum |= 0xF800u;
        return sum;
    }
    // The second pixel's red carries out of the word; that carry fills the top
    // four bits only (0xF0000000, not 0xF8000000), and is applied before the
    // other tests. This is the paired formula as stated, kept rather than
    // "corrected" to two single saturations: hosts see its pixels.
    static constexpr std::uint32_t Saturate_Pair(std::uint32_t sum, bool carried_out) {
        if (carried_out) sum |= 0xF0000000u;
        if (sum & 0x20u) sum |= 0x1Fu;
        if (sum & 0x800u) sum |= 0x7E0u;
        if (sum & 0x10000u) sum |= 0xF800u;
        if (sum & 0x200000u) sum |= 0x1F0000u;
        if (sum & 0x8000000u) sum |= 0x7E00000u;
        return sum;
    }
};

// ---------------------------------------------------------------------------
// Operations: what a source colour does to the frame pixel. Apply works on one
// pixel, Apply_Pair on two packed in a 32-bit word (first pixel in the low
// half). reads_destination tells a loop whether it must load the frame pixels.

struct Op_Copy {
    static constexpr bool reads_destination = false;
    template <class Format>
    static std::uint16_t Apply(std::uint16_t src, std::uint16_t) {
        return src;
    }
    template <class Format>
    static std::uint32_t Apply_Pair(std::uint32_t src, std::uint32_t) {
        return src;
    }
    template <class Format>
    static __m128i Apply_8(__m128i src, __m128i) {
        return src;
    }
};

// 50% blend: ((a & m) + (b & m)) >> 1.
struct Op_Blend {
    static constexpr bool reads_destination = true;
    template <class Format>
    static std::uint16_t Apply(std::uint16_t src, std::uint16_t dst) {
        return static_cast<std::uint16_t>(((src & Format::half_mask) + (dst & Format::half_mask)) >> 1);
    }
    // The sum keeps its carry out of bit 31 as a 33rd bit, which the shift
    // brings back into the second pixel's top bit. The pair mask drops both
    // lowest blue bits of the second pixel, so where both are set its blue is
    // one less than the single-pixel blend gives; the first pixel is exact.
    template <class Format>
    static std::uint32_t Apply_Pair(std::uint32_t src, std::uint32_t dst) {
        const std::uint64_t sum = std::uint64_t{src & Format::pair_mask} + (dst & Format::pair_mask);
        return static_cast<std::uint32_t>(sum >> 1);
    }
    // Eight single-pixel blends in 16-bit lanes. The masked sum needs a 17th
    // bit, which a lane lacks: (a >> 1) + (b >> 1) + (a & b & 1) is the same
    // halved sum without it.
    template <class Format>
    static __m128i Apply_8(__m128i src, __m128i dst) {
        const __m128i mask = _mm_set1_epi16(static_cast<short>(Format::half_mask));
        const __m128i a = _mm_and_si128(src, mask);
        const __m128i b = _mm_and_si128(dst, mask);
        const __m128i both_odd = _mm_and_si128(_mm_and_si128(a, b), _mm_set1_epi16(1));
        return _mm_add_epi16(_mm_add_epi16(_mm_srli_epi16(a, 1), _mm_srli_epi16(b, 1)), both_odd);
    }
};

// Saturating add: the masked sum, then every channel that overflowed is
// filled with ones.
struct Op_Add {
    static constexpr bool reads_destination = true;
    template <class Format>
    static std::uint16_t Apply(std::uint16_t src, std::uint16_t dst) {
        const std::uint32_t sum = static_cast<std::uint32_t>(src & Format::half_mask) + (dst & Format::half_mask);
        return static_cast<std::uint16_t>(Format::Saturate(sum));
    }
    template <class Format>
    static std::uint32_t Apply_Pair(std::uint32_t src, std::uint32_t dst) {
        const std::uint32_t a = src & Format::pair_mask;
        const std::uint32_t b = dst & Format::pair_mask;
        const std::uint32_t sum = a + b;  // unsigned: wraps, and the wrap is the carry
        return Format::Saturate_Pair(sum, sum < a);
    }
};

// ---------------------------------------------------------------------------
// Sources: how a texel becomes the colour an operation writes. Load takes the
// words the source reads from its material, once per face; mapped says it
// reads an image (the edge walk then carries u and v), lit that it needs a
// light scheme. Texel is what the addressing reads from the image; Skips says
// the pixel is left as it is (keyed sources only: a loop over a keyed source
// never stores pixel pairs); Colour gets the light value of the pixel (8.8
// level) for the lit sources.

// A 16-bit texel is already a pixel in the frame buffer's format.
struct Source_Texel {
    using Texel = std::uint16_t;
    static constexpr bool mapped = true;
    static constexpr bool lit = false;
    static constexpr bool keyed = false;
    static void Load(Span_Context& span, const Host_Material& material) { span.image = material.map->image; }
    static Texel Fetch(const Span_Context& span, std::uint32_t index) { return Map_Texels_16(span.image)[index]; }
    static bool Skips(const Span_Context&, Texel) { return false; }
    static std::uint16_t Colour(const Span_Context&, Texel texel, std::int32_t) { return texel; }
};

// The key is compared with the whole 16-bit texel: a texel one bit off is drawn.
struct Source_Texel_Keyed : Source_Texel {
    static constexpr bool keyed = true;
    static void Load(Span_Context& span, const Host_Material& material) {
        span.image = material.map->image;
        span.colour_key = material.map->colour_key;
    }
    static bool Skips(const Span_Context& span, Texel texel) {
        return texel == static_cast<std::uint16_t>(span.colour_key);
    }
};

// 8-bit palette indices, turned into colours through the mapped shade table;
// the sources below say which row of it a pixel reads.
struct Source_Palette_Indices {
    using Texel = std::uint8_t;
    static constexpr bool mapped = true;
    static constexpr bool keyed = false;
    static void Load(Span_Context& span, const Host_Material& material) {
        span.image = material.map->image;
        span.shade_table = material.render_data->shade_table;
    }
    static Texel Fetch(const Span_Context& span, std::uint32_t index) { return Map_Texels_8(span.image)[index]; }
    static bool Skips(const Span_Context&, Texel) { return false; }
};

// At full light: the brightest row of the mapped shade table, highlight band
// included, whatever light the face carries.
struct Source_Palette_Brightest : Source_Palette_Indices {
    static constexpr bool lit = false;
    static std::uint16_t Colour(const Span_Context& span, Texel texel, std::int32_t) {
        return static_cast<std::uint16_t>(span.shade_table[shade_table_brightest_row + texel] >> 16);
    }
};

#endif
