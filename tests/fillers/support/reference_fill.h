// A whole perspective filler built from the references: edge walk, span walk
// (or whole lines), the coordinates of the loop kind the filler uses for its
// image, the texel source and the pixel operation, single or paired.
#ifndef QUORVEL_TESTS_REFERENCE_FILL_H
#define QUORVEL_TESTS_REFERENCE_FILL_H

#include <cstdint>
#include <vector>

#include "fillers/support/mapped_fixture.h"
#include "fillers/support/mapped_reference.h"

namespace mapped_test {

enum class Ref_Source { Texel, Texel_Keyed, Palette };
enum class Ref_Op { Copy, Blend, Add };
// Per_Pixel: truncating, one store per pixel. Paired: rounding, alignment
// pixel, pairs. Rounded_Single: rounding and lag, one store per pixel.
enum class Ref_Loop { Per_Pixel, Paired, Rounded_Single };

struct Ref_Filler {
    Ref_Source source;
    Ref_Op op;
    Ref_Loop loop_256;          // the loop for 256 x 256 images; general images are always Per_Pixel
    bool whole_lines = false;   // the overlay filler: every polygon line, no spans
};

inline std::uint16_t Reference_Op(Ref_Op op, std::uint16_t colour, std::uint16_t frame, bool is_555) {
    switch (op) {
        case Ref_Op::Copy: return colour;
        case Ref_Op::Blend: return Reference_Blend(colour, frame, is_555);
        case Ref_Op::Add: return Reference_Add(colour, frame, is_555);
    }
    return 0;
}
inline std::uint32_t Reference_Op_Pair(Ref_Op op, std::uint32_t colours, std::uint32_t frame, bool is_555) {
    switch (op) {
        case Ref_Op::Copy: return colours;
        case Ref_Op::Blend: return Reference_Blend_Pair(colours, frame, is_555);
        case Ref_Op::Add: return Reference_Add_Pair(colours, frame, is_555);
    }
    return 0;
}

// Draws one run of `length` pixels from frame index `first` into `frame`
// (a copy of the world's frame buffer; alignment is that of the world's).
inline void Reference_Run(const Ref_Filler& filler, World& world, const Ref_Context& context, std::size_t first,
                          int length, std::vector<std::uint16_t>& frame) {
    const Map_Image& image = *world.map.image;
    const bool is_256 = image.is_256x256 != 0;
    const bool is_555 = interface_state.services->pixel_depth == 15;
    const Ref_Loop loop = is_256 ? filler.loop_256 : Ref_Loop::Per_Pixel;
    const bool misaligned = (reinterpret_cast<std::uintptr_t>(world.frame.data() + first) & 3u) != 0;
    const std::vector<Ref_Uv> coords =
        loop == Ref_Loop::Per_Pixel ? Reference_Coords_Per_Pixel(context, length)
                                    : Reference_Coords_256(context, length, loop == Ref_Loop::Paired && misaligned, false);
    std::vector<bool> skipped(length, false);
    std::vector<std::uint16_t> colour(length, 0);
    for (int i = 0; i < length; ++i) {
        const std::uint32_t index = is_256 ? Reference_Index_256(coords[i])
                                           : Reference_Index_General(coords[i], image.width_shift, image.index_mask);
        if (filler.source == Ref_Source::Palette) {
            colour[i] = static_cast<std::uint16_t>(world.shade_table[63 * 256 + world.image().Texels_8()[index]] >> 16);
        } else {
            colour[i] = world.image().Texels_16()[index];
            skipped[i] = filler.source == Ref_Source::Texel_Keyed && colour[i] == world.map.colour_key;
        }
    }
    int i = 0;
    if (loop == Ref_Loop::Paired) {
        if (misaligned && length > 0) {
            frame[first] = Reference_Op(filler.op, colour[0], frame[first], is_555);
            i = 1;
        }
        for (; i + 1 < length; i += 2) {
            const std::uint32_t colours = colour[i] | std::uint32_t{colour[i + 1]} << 16;
            const std::uint32_t under = frame[first + i] | std::uint32_t{frame[first + i + 1]} << 16;
            const std::uint32_t result = Reference_Op_Pair(filler.op, colours, under, is_555);
            frame[first + i] = static_cast<std::uint16_t>(result);
            frame[first + i + 1] = static_cast<std::uint16_t>(result >> 16);
        }
    }
    for (; i < length; ++i)
        if (!skipped[i]) frame[first + i] = Reference_Op(filler.op, colour[i], frame[first + i], is_555);
}

// The frame the filler should leave, starting from the world's current frame.
inline std::vector<std::uint16_t> Reference_Fill(const Ref_Filler& filler, World& world, const Prepared_Face& face) {
    std::vector<std::uint16_t> frame = world.frame;
    const Ref_Edges edges = Reference_Edges(face);
    if (filler.whole_lines) {
        for (int y = edges.top; y < edges.bottom; ++y) {
            const Ref_Line& line = edges.lines.at(y);
            const int length = line.x[1] - line.x[0];
            if (length <= 0) continue;
            Reference_Run(filler, world, Reference_Set_Up(line), std::size_t(y) * world.pitch + line.x[0], length, frame);
        }
        return frame;
    }
    Ref_Context context;
    int line_y = -1;
    for (const Span& span : world.spans) {
        if (span.y != line_y) {
            context = Reference_Set_Up(edges.lines.at(span.y));
            line_y = span.y;
        }
        Reference_Advance(context, span.x);
        Reference_Run(filler, world, context, std::size_t(span.y) * world.pitch + span.x, span.length, frame);
    }
    return frame;
}

}  // namespace mapped_test

#endif
