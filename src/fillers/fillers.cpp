// The named span fillers of the perspective rows, one line each: which words
// a face loads, how its light travels, and which span loops draw it. The loops
// themselves are written once, in mapped.h.
#include "fillers/fillers.h"
#include "fillers/gouraud.h"
#include "fillers/mapped.h"

void QUORVEL_CDECL Fill_Spans_Mapped(Prepared_Face* face, std::uint16_t* frame_buffer, std::uint32_t, std::int32_t pitch) { Fill_Face_Spans<Words_Image, Light_None>(*face, frame_buffer, pitch, rounded_256_loops<Source_Texel, Op_Copy>); }
void QUORVEL_CDECL Fill_Spans_Mapped_Palette(Prepared_Face* face, std::uint16_t* frame_buffer, std::uint32_t, std::int32_t pitch) { Fill_Face_Spans<Words_Image_Table, Light_None>(*face, frame_buffer, pitch, per_pixel_loops<Source_Palette_Brightest, Op_Copy>); }
void QUORVEL_CDECL Fill_Spans_Mapped_Keyed(Prepared_Face* face, std::uint16_t* frame_buffer, std::uint32_t, std::int32_t pitch) { Fill_Face_Spans<Words_Image_Key, Light_None>(*face, frame_buffer, pitch, rounded_256_loops<Source_Texel_Keyed, Op_Copy>); }
void QUORVEL_CDECL Fill_Spans_Mapped_Blend(Prepared_Face* face, std::uint16_t* frame_buffer, std::uint32_t, std::int32_t pitch) { Fill_Face_Spans<Words_Image, Light_None>(*face, frame_buffer, pitch, rounded_256_loops<Source_Texel, Op_Blend>); }
void QUORVEL_CDECL Fill_Spans_Mapped_Keyed_Blend(Prepared_Face* face, std::uint16_t* frame_buffer, std::uint32_t, std::int32_t pitch) { Fill_Face_Spans<Words_Image_Key, Light_None>(*face, frame_buffer, pitch, per_pixel_loops<Source_Texel_Keyed, Op_Blend>); }
void QUORVEL_CDECL Fill_Spans_Mapped_Additive(Prepared_Face* face, std::uint16_t* frame_buffer, std::uint32_t, std::int32_t pitch) { Fill_Face_Spans<Words_Image, Light_None>(*face, frame_buffer, pitch, rounded_256_loops<Source_Texel, Op_Add>); }
void QUORVEL_CDECL Fill_Square_Overlay(Prepared_Face* face, std::uint16_t* frame_buffer, std::uint32_t, std::int32_t pitch) { Fill_Face_Lines<Words_Image, Light_None>(*face, frame_buffer, pitch, per_pixel_loops<Source_Texel, Op_Add>); }
void QUORVEL_CDECL Fill_Spans_Gouraud(Prepared_Face* face, std::uint16_t* frame_buffer, std::uint32_t, std::int32_t pitch) { Fill_Face_Spans<Words_Table, Light_Perspective>(*face, frame_buffer, pitch, unmapped_loops<Source_Shade_Level, Op_Copy, Light_Perspective>); }
void QUORVEL_CDECL Fill_Spans_Gouraud_Blend(Prepared_Face* face, std::uint16_t* frame_buffer, std::uint32_t, std::int32_t pitch) { Fill_Face_Spans<Words_Table, Light_Perspective>(*face, frame_buffer, pitch, unmapped_loops<Source_Shade_Level, Op_Blend, Light_Perspective>); }
void QUORVEL_CDECL Fill_Spans_Gouraud_Mapped(Prepared_Face* face, std::uint16_t* frame_buffer, std::uint32_t, std::int32_t pitch) { Fill_Face_Spans<Words_Image_Table, Light_Linear>(*face, frame_buffer, pitch, rounded_256_loops<Source_Palette_Lit, Op_Copy, Light_Linear, Boundary_Exact>); }
void QUORVEL_CDECL Fill_Spans_Gouraud_Mapped_Keyed(Prepared_Face* face, std::uint16_t* frame_buffer, std::uint32_t, std::int32_t pitch) { Fill_Face_Spans<Words_Image_Table_Key_Index, Light_Linear>(*face, frame_buffer, pitch, rounded_256_loops<Source_Palette_Lit_Keyed, Op_Copy, Light_Linear, Boundary_Exact>); }
void QUORVEL_CDECL Fill_Spans_Gouraud_Mapped_Blend(Prepared_Face* face, std::uint16_t* frame_buffer, std::uint32_t, std::int32_t pitch) { Fill_Face_Spans<Words_Image_Table, Light_Linear>(*face, frame_buffer, pitch, rounded_256_loops<Source_Palette_Lit, Op_Blend, Light_Linear, Boundary_Exact>); }
void QUORVEL_CDECL Fill_Spans_Gouraud_Mapped_Keyed_Blend(Prepared_Face* face, std::uint16_t* frame_buffer, std::uint32_t, std::int32_t pitch) { Fill_Face_Spans<Words_Image_Table, Light_Screen>(*face, frame_buffer, pitch, per_pixel_loops<Source_Palette_Lit_Index_0_Skipped, Op_Blend, Light_Screen>); }
void QUORVEL_CDECL Fill_Spans_Gouraud_Mapped_Additive(Prepared_Face* face, std::uint16_t* frame_buffer, std::uint32_t, std::int32_t pitch) { Fill_Face_Spans<Words_Image_Table, Light_Screen>(*face, frame_buffer, pitch, per_pixel_loops<Source_Palette_Lit, Op_Add, Light_Screen>); }
