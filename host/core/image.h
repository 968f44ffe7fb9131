// Pictures in the host's own terms: 8-bit RGBA images (what procedural
// textures and PNG files give), palette images (8-bit indices with up to 256
// colours), and the frame buffer. Integer arithmetic throughout, so every
// build makes the same texels.
#ifndef QUORVEL_HOST_IMAGE_H
#define QUORVEL_HOST_IMAGE_H

#include <array>
#include <cstdint>
#include <vector>

namespace quorvel_host {

struct Rgb {
    std::uint8_t r = 0, g = 0, b = 0;
    friend bool operator==(Rgb, Rgb) = default;
};

struct Rgba {
    std::uint8_t r = 0, g = 0, b = 0, a = 255;
};

// A 16-bit pixel in the frame buffer's format: RGB555 for depth 15, RGB565
// for every other depth (as the library's fillers read it).
std::uint16_t Pack_Pixel(Rgb colour, std::int32_t pixel_depth);
// Back to 8 bits per channel, replicating the top bits into the low ones so
// that full intensity stays 255.
Rgb Unpack_Pixel(std::uint16_t pixel, std::int32_t pixel_depth);

struct Image {
    std::int32_t width = 0, height = 0;
    std::vector<Rgba> pixels;  // row-major

    Image() = default;
    Image(std::int32_t w, std::int32_t h, Rgba fill = {}) : width(w), height(h), pixels(std::size_t(w) * h, fill) {}
    Rgba& At(std::int32_t x, std::int32_t y) { return pixels[std::size_t(y) * width + x]; }
    const Rgba& At(std::int32_t x, std::int32_t y) const { return pixels[std::size_t(y) * width + x]; }
};

// Index 0 is reserved for transparent texels (and is what the keyed palette
// fillers skip); opaque colours use 1..255.
struct Palette_Image {
    std::int32_t width = 0, height = 0;
    std::vector<std::uint8_t> indices;
    std::array<Rgb, 256> palette{};
    bool has_transparent = false;
};
constexpr std::uint8_t transparent_index = 0;

// Median cut over the opaque colours into at most 255 entries (1..255);
// texels with alpha below 128 become index 0.
Palette_Image Quantise(const Image& image);

// Nearest-neighbour resampling to the nearest power-of-two size not above
// `largest` per side (maps must have power-of-two sides).
Image Resample_Power_Of_Two(const Image& image, std::int32_t largest = 1024);
bool Is_Power_Of_Two(std::int32_t value);

// What the library draws into.
struct Frame {
    std::int32_t width = 0, height = 0, pixel_depth = 16;
    std::vector<std::uint16_t> pixels;

    Frame() = default;
    Frame(std::int32_t w, std::int32_t h, std::int32_t depth)
        : width(w), height(h), pixel_depth(depth), pixels(std::size_t(w) * h, 0) {}
    void Fill(std::uint16_t value) { pixels.assign(pixels.size(), value); }
    Image To_Image() const;
};

}  // namespace quorvel_host

#endif
