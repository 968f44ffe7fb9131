// The named span fillers of the perspective rows. Each is one bundle: its
// source (which loads the words it reads), its operation, its light scheme and
// its loop on 256 x 256 images, each named once; the loops themselves are
// written once, in mapped.h.
#include "fillers/fillers.h"

#include "fillers/gouraud.h"
#include "fillers/mapped.h"

namespace {

using enum Loop_256;
using Mapped = Span_Filler<Source_Texel, Op_Copy, Light_None, Rounded>;
using Mapped_Palette = Span_Filler<Source_Palette_Brightest, Op_Copy, Light_None, Per_Pixel>;
using Mapped_Keyed = Span_Filler<Source_Texel_Keyed, Op_Copy, Light_None, Rounded>;
using Mapped_Blend = Span_Filler<Source_Texel, Op_Blend, Light_None, Rounded>;
using Mapped_Keyed_Blend = Span_Filler<Source_Texel_Keyed, Op_Blend, Light_None, Per_Pixel>;
using Mapped_Additive = Span_Filler<Source_Texel, Op_Add, Light_None, Rounded>;
using Square_Overlay = Span_Filler<Source_Texel, Op_Add, Light_None, Per_Pixel>;
using Gouraud = Span_Filler<Source_Shade_Level, Op_Copy, Light_Perspective, Per_Pixel>;
using Gouraud_Blend = Span_Filler<Source_Shade_Level, Op_Blend, Light_Perspective, Per_Pixel>;
using Lit_Mapped = Span_Filler<Source_Palette_Lit, Op_Copy, Light_Linear, Rounded_Exact_Group_Start>;
using Lit_Mapped_Keyed = Span_Filler<Source_Palette_Lit_Keyed, Op_Copy, Light_Linear, Rounded_Exact_Group_Start>;
using Lit_Mapped_Blend = Span_Filler<Source_Palette_Lit, Op_Blend, Light_Linear, Rounded_Exact_Group_Start>;
using Lit_Mapped_Keyed_Blend = Span_Filler<Source_Palette_Lit_Index_0_Skipped, Op_Blend, Light_Screen, Per_Pixel>;
using Lit_Mapped_Additive = Span_Filler<Source_Palette_Lit, Op_Add, Light_Screen, Per_Pixel>;

}  // namespace

// The slot-8 entry points: the rows hold these names.
void QUORVEL_CDECL Fill_Spans_Mapped(Prepared_Face* face, std::uint16_t* frame, std::uint32_t, std::int32_t pitch) {
    Fill_Face_Spans<Mapped>(*face, frame, pitch);
}
void QUORVEL_CDECL Fill_Spans_Mapped_Palette(Prepared_Face* face, std::uint16_t* frame, std::uint32_t,
                                             std::int32_t pitch) {
    Fill_Face_Spans<Mapped_Palette>(*face, frame, pitch);
}
void QUORVEL_CDECL Fill_Spans_Mapped_Keyed(Prepared_Face* face, std::uint16_t* frame, std::uint32_t,
                                           std::int32_t pitch) {
    Fill_Face_Spans<Mapped_Keyed>(*face, frame, pitch);
}
void QUORVEL_CDECL Fill_Spans_Mapped_Blend(Prepared_Face* face, std::uint16_t* frame, std::uint32_t,
                                           std::int32_t pitch) {
    Fill_Face_Spans<Mapped_Blend>(*face, frame, pitch);
}
void QUORVEL_CDECL Fill_Spans_Mapped_Keyed_Blend(Prepared_Face* face, std::uint16_t* frame, std::uint32_t,
                                                 std::int32_t pitch) {
    Fill_Face_Spans<Mapped_Keyed_Blend>(*face, frame, pitch);
}
void QUORVEL_CDECL Fill_Spans_Mapped_Additive(Prepared_Face* face, std::uint16_t* frame, std::uint32_t,
                                              std::int32_t pitch) {
    Fill_Face_Spans<Mapped_Additive>(*face, frame, pitch);
}
void QUORVEL_CDECL Fill_Square_Overlay(Prepared_Face* face, std::uint16_t* frame, std::uint32_t, std::int32_t pitch) {
    Fill_Face_Lines<Square_Overlay>(*face, frame, pitch);
}
void QUORVEL_CDECL Fill_Spans_Gouraud(Prepared_Face* face, std::uint16_t* frame, std::uint32_t, std::int32_t pitch) {
    Fill_Face_Spans<Gouraud>(*face, frame, pitch);
}
void QUORVEL_CDECL Fill_Spans_Gouraud_Blend(Prepared_Face* face, std::uint16_t* frame, std::uint32_t,
                                            std::int32_t pitch) {
    Fill_Face_Spans<Gouraud_Blend>(*face, frame, pitch);
}
void QUORVEL_CDECL Fill_Spans_Gouraud_Mapped(Prepared_Face* face, std::uint16_t* frame, std::uint32_t,
                                             std::int32_t pitch) {
    Fill_Face_Spans<Lit_Mapped>(*face, frame, pitch);
}
void QUORVEL_CDECL Fill_Spans_Gouraud_Mapped_Keyed(Prepared_Face* face, std::uint16_t* frame, std::uint32_t,
                                                   std::int32_t pitch) {
    Fill_Face_Spans<Lit_Mapped_Keyed>(*face, frame, pitch);
}
void QUORVEL_CDECL Fill_Spans_Gouraud_Mapped_Blend(Prepared_Face* face, std::uint16_t* frame, std::uint32_t,
                                                   std::int32_t pitch) {
    Fill_Face_Spans<Lit_Mapped_Blend>(*face, frame, pitch);
}
void QUORVEL_CDECL Fill_Spans_Gouraud_Mapped_Keyed_Blend(Prepared_Face* face, std::uint16_t* frame, std::uint32_t,
                                                         std::int32_t pitch) {
    Fill_Face_Spans<Lit_Mapped_Keyed_Blend>(*face, frame, pitch);
}
void QUORVEL_CDECL Fill_Spans_Gouraud_Mapped_Additive(Prepared_Face* face, std::uint16_t* frame, std::uint32_t,
                                                      std::int32_t pitch) {
    Fill_Face_Spans<Lit_Mapped_Additive>(*face, frame, pitch);
}
