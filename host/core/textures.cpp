// Procedural textures.
#include "core/textures.h"

#include <algorithm>
#include <cmath>

namespace quorvel_host {

namespace {

std::uint32_t Hash(std::uint32_t x) {
    x ^= x >> 16;
    x *= 0x7FEB352Du;
    x ^= x >> 15;
    x *= 0x846CA68Bu;
    x ^= x >> 16;
    return x;
}

// a + (b - a) * t / 255 per channel, t in 0..255.
Rgba Mix(Rgb a, Rgb b, std::int32_t t) {
    const auto mix = [t](int x, int y) { return std::uint8_t(x + (y - x) * t / 255); };
    return {mix(a.r, b.r), mix(a.g, b.g), mix(a.b, b.b), 255};
}

// Distance from the centre in texels, rounded down; sqrt is exact to the
// last bit on every build.
std::int32_t Distance(std::int32_t dx2, std::int32_t dy2) { return std::int32_t(std::sqrt(double(dx2) + double(dy2))); }

}  // namespace

Image Checker(std::int32_t size, std::int32_t cells, Rgb a, Rgb b) {
    Image image(size, size);
    const std::int32_t cell = std::max(1, size / cells);
    for (std::int32_t y = 0; y < size; ++y)
        for (std::int32_t x = 0; x < size; ++x) {
            const Rgb c = ((x / cell + y / cell) & 1) != 0 ? b : a;
            // A thin darker border makes each tile readable at a distance.
            const bool edge = x % cell == 0 || y % cell == 0;
            image.At(x, y) = edge ? Mix(c, Rgb{0, 0, 0}, 60) : Rgba{c.r, c.g, c.b, 255};
        }
    return image;
}

Image Bricks(std::int32_t width, std::int32_t height, Rgb brick, Rgb mortar) {
    Image image(width, height);
    const std::int32_t course = std::max(4, height / 8), length = std::max(8, width / 4);
    for (std::int32_t y = 0; y < height; ++y) {
        const std::int32_t row = y / course;
        const std::int32_t offset = (row & 1) != 0 ? length / 2 : 0;
        for (std::int32_t x = 0; x < width; ++x) {
            const std::int32_t column = (x + offset) / length;
            const bool joint = y % course < 2 || (x + offset) % length < 2;
            if (joint) {
                image.At(x, y) = {mortar.r, mortar.g, mortar.b, 255};
                continue;
            }
            const std::uint32_t h = Hash(std::uint32_t(row * 131 + column) * 7919u);
            const std::int32_t shade =
                200 + std::int32_t(h % 56) + std::int32_t(Hash(std::uint32_t(y * width + x)) % 16);
            image.At(x, y) = Mix(Rgb{0, 0, 0}, brick, std::min(255, shade));
        }
    }
    return image;
}

Image Fence(std::int32_t size, Rgb wire) {
    Image image(size, size, Rgba{0, 0, 0, 0});
    const std::int32_t spacing = std::max(8, size / 4), thickness = std::max(2, size / 32);
    for (std::int32_t y = 0; y < size; ++y)
        for (std::int32_t x = 0; x < size; ++x) {
            const std::int32_t a = (x + y) % spacing, b = (x - y + size * 4) % spacing;
            if (a < thickness || b < thickness) {
                // Lighter along the middle of the wire, as if round.
                const std::int32_t centre = std::min(a < thickness ? a : thickness, b < thickness ? b : thickness);
                image.At(x, y) = Mix(wire, Rgb{255, 255, 255}, centre * 80 / thickness);
            }
        }
    // A frame around the panel.
    for (std::int32_t i = 0; i < size; ++i)
        for (std::int32_t t = 0; t < thickness; ++t) {
            image.At(i, t) = image.At(i, size - 1 - t) = image.At(t, i) = image.At(size - 1 - t, i) =
                Mix(wire, Rgb{0, 0, 0}, 60);
        }
    return image;
}

Image Glow(std::int32_t size, Rgb colour) {
    Image image(size, size);
    const std::int32_t half = size / 2;
    for (std::int32_t y = 0; y < size; ++y)
        for (std::int32_t x = 0; x < size; ++x) {
            const std::int32_t d = Distance((x - half) * (x - half), (y - half) * (y - half));
            const std::int32_t t = std::max(0, half - d) * 255 / half;  // 255 at the centre, 0 at the rim
            const std::int32_t falloff = t * t / 255;
            image.At(x, y) = Mix(Rgb{0, 0, 0}, colour, falloff);
        }
    return image;
}

Image Noise(std::int32_t size, Rgb dark, Rgb light, std::uint32_t seed) {
    Image image(size, size);
    // Three octaves of bilinear value noise on lattices of 8, 16 and 32 texels.
    const auto lattice = [seed](std::int32_t x, std::int32_t y, std::int32_t octave) {
        return std::int32_t(Hash(seed ^ Hash(std::uint32_t(x) * 73856093u ^ std::uint32_t(y) * 19349663u ^
                                             std::uint32_t(octave) * 83492791u)) &
                            255);
    };
    for (std::int32_t y = 0; y < size; ++y)
        for (std::int32_t x = 0; x < size; ++x) {
            std::int32_t total = 0, weight = 0;
            for (std::int32_t octave = 0; octave < 3; ++octave) {
                const std::int32_t step = 32 >> octave, cells = std::max(1, size / step);
                const std::int32_t cx = x / step, cy = y / step, fx = x % step, fy = y % step;
                const auto at = [&](std::int32_t i, std::int32_t j) { return lattice(i % cells, j % cells, octave); };
                const std::int32_t top = at(cx, cy) * (step - fx) + at(cx + 1, cy) * fx;
                const std::int32_t bottom = at(cx, cy + 1) * (step - fx) + at(cx + 1, cy + 1) * fx;
                const std::int32_t value = (top * (step - fy) + bottom * fy) / (step * step);
                total += value * (4 >> octave);
                weight += 4 >> octave;
            }
            image.At(x, y) = Mix(dark, light, total / weight);
        }
    return image;
}

Image Rings(std::int32_t size, Rgb colour) {
    Image image(size, size, Rgba{0, 0, 0, 0});
    const std::int32_t half = size / 2, band = std::max(2, size / 16);
    for (std::int32_t y = 0; y < size; ++y)
        for (std::int32_t x = 0; x < size; ++x) {
            const std::int32_t d = Distance((x - half) * (x - half), (y - half) * (y - half));
            if (d >= half || d < band) continue;
            if ((d / band) % 2 == 1) image.At(x, y) = Mix(colour, Rgb{255, 255, 255}, d * 128 / half);
        }
    return image;
}

}  // namespace quorvel_host
