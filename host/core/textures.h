// Procedural textures, so the showcase and the golden scenes need no files.
// Integer arithmetic (and IEEE sqrt) only: every build makes the same texels.
#ifndef QUORVEL_HOST_TEXTURES_H
#define QUORVEL_HOST_TEXTURES_H

#include <cstdint>

#include "core/image.h"

namespace quorvel_host {

Image Checker(std::int32_t size, std::int32_t cells, Rgb a, Rgb b);
// Running-bond bricks with mortar lines; each brick's shade varies a little.
Image Bricks(std::int32_t width, std::int32_t height, Rgb brick, Rgb mortar);
// Diagonal wire mesh: wires opaque, holes transparent (alpha 0).
Image Fence(std::int32_t size, Rgb wire);
// Radial glow: `colour` at the centre falling to black at the rim; black
// adds nothing, so the rim vanishes under additive drawing.
Image Glow(std::int32_t size, Rgb colour);
// Blotchy value noise between two colours (stone, wood-like).
Image Noise(std::int32_t size, Rgb dark, Rgb light, std::uint32_t seed);
// Concentric rings with a transparent background and a hole in the middle:
// a target marker for the keyed and overlay states.
Image Rings(std::int32_t size, Rgb colour);

}  // namespace quorvel_host

#endif
