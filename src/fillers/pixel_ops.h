// Pixel formats and per-pixel operations: the policies every span loop is
// instantiated over. A format carries its constants, an operation combines a
// source colour with the pixel already in the frame buffer.
#ifndef QUORVEL_PIXEL_OPS_H
#define QUORVEL_PIXEL_OPS_H

#include <cstdint>

// The blend mask clears the lowest bit of every channel that has a neighbour
// above it (and in 555 the unused top bit), so that the halved sum of two
// pixels carries nothing from one channel into the next.
struct Format_555 {
    static constexpr std::uint16_t half_mask = 0x7BDF;
};
struct Format_565 {
    static constexpr std::uint16_t half_mask = 0xF7DF;
};

struct Op_Copy {
    template <class Format>
    static std::uint16_t Apply(std::uint16_t src, std::uint16_t) {
        return src;
    }
};

// 50% blend: ((a & m) + (b & m)) >> 1.
struct Op_Blend {
    template <class Format>
    static std::uint16_t Apply(std::uint16_t src, std::uint16_t dst) {
        return static_cast<std::uint16_t>(((src & Format::half_mask) + (dst & Format::half_mask)) >> 1);
    }
};

#endif
