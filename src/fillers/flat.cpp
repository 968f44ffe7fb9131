// The one-colour fillers: the face's random colour or the material's flat
// colour, stored or blended 50% with the frame buffer. One loop over the
// colour source, the pixel operation and the pixel format.
#include <cstdint>

#include "base/base.h"
#include "fillers/fillers.h"
#include "fillers/pixel_ops.h"
#include "spans/spans.h"

namespace {

// The random fill stores the colour's low byte into every byte of the span,
// so the pixel is that byte twice whatever the high byte holds.
struct Colour_Random_Low_Byte {
    static std::uint16_t Of(const Prepared_Face& face) {
        return static_cast<std::uint16_t>((face.face_colour & 0xFFu) * 0x101u);
    }
};
struct Colour_Random {
    static std::uint16_t Of(const Prepared_Face& face) { return face.face_colour; }
};
struct Colour_Material_Flat {
    static std::uint16_t Of(const Prepared_Face& face) { return face.material->flat_colour; }
};

template <class Colour, class Op, class Format>
void Fill_One_Colour(Prepared_Face* face, std::uint16_t* frame_buffer, std::uint32_t, std::int32_t pitch) {
    const std::uint16_t colour = Colour::Of(*face);
    Walk_Spans(*face, frame_buffer, pitch, [colour](const Span& span, std::uint16_t* pixel) {
        for (std::int32_t i = 0; i < span.length; ++i) pixel[i] = Op::template Apply<Format>(colour, pixel[i]);
    });
}

using One_Colour_Fill = void (*)(Prepared_Face*, std::uint16_t*, std::uint32_t, std::int32_t);

template <class Colour, class Op>
constexpr One_Colour_Fill one_colour_fills[2] = {Fill_One_Colour<Colour, Op, Format_555>,
                                                 Fill_One_Colour<Colour, Op, Format_565>};

// The pixel depth is read once per face.
template <class Colour, class Op>
void Fill_With(Prepared_Face* face, std::uint16_t* frame_buffer, std::uint32_t pass_through, std::int32_t pitch) {
    one_colour_fills<Colour, Op>[Pixel_Format_Is_555() ? 0 : 1](face, frame_buffer, pass_through, pitch);
}

}  // namespace

void QUORVEL_CDECL Fill_Spans_Random(Prepared_Face* face, std::uint16_t* frame, std::uint32_t pass_through,
                                     std::int32_t pitch) {
    Fill_With<Colour_Random_Low_Byte, Op_Copy>(face, frame, pass_through, pitch);
}
void QUORVEL_CDECL Fill_Spans_Random_Blend(Prepared_Face* face, std::uint16_t* frame, std::uint32_t pass_through,
                                           std::int32_t pitch) {
    Fill_With<Colour_Random, Op_Blend>(face, frame, pass_through, pitch);
}
void QUORVEL_CDECL Fill_Spans_Flat(Prepared_Face* face, std::uint16_t* frame, std::uint32_t pass_through,
                                   std::int32_t pitch) {
    Fill_With<Colour_Material_Flat, Op_Copy>(face, frame, pass_through, pitch);
}
void QUORVEL_CDECL Fill_Spans_Flat_Blend(Prepared_Face* face, std::uint16_t* frame, std::uint32_t pass_through,
                                         std::int32_t pitch) {
    Fill_With<Colour_Material_Flat, Op_Blend>(face, frame, pass_through, pitch);
}
