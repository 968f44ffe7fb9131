// Stand-ins for fillers that are not written yet: each draws nothing. A line
// goes when its real filler lands.
#include "fillers/fillers.h"

void QUORVEL_CDECL Fill_Placeholder(Prepared_Face*, std::uint16_t*, std::uint32_t, std::int32_t) {}

void QUORVEL_CDECL Fill_Spans_Gouraud(Prepared_Face* face, std::uint16_t* frame_buffer, std::uint32_t pass_through, std::int32_t pitch) { Fill_Placeholder(face, frame_buffer, pass_through, pitch); }
void QUORVEL_CDECL Fill_Spans_Gouraud_Blend(Prepared_Face* face, std::uint16_t* frame_buffer, std::uint32_t pass_through, std::int32_t pitch) { Fill_Placeholder(face, frame_buffer, pass_through, pitch); }
void QUORVEL_CDECL Fill_Spans_Gouraud_Mapped(Prepared_Face* face, std::uint16_t* frame_buffer, std::uint32_t pass_through, std::int32_t pitch) { Fill_Placeholder(face, frame_buffer, pass_through, pitch); }
void QUORVEL_CDECL Fill_Spans_Gouraud_Mapped_Blend(Prepared_Face* face, std::uint16_t* frame_buffer, std::uint32_t pass_through, std::int32_t pitch) { Fill_Placeholder(face, frame_buffer, pass_through, pitch); }
void QUORVEL_CDECL Fill_Spans_Gouraud_Mapped_Keyed(Prepared_Face* face, std::uint16_t* frame_buffer, std::uint32_t pass_through, std::int32_t pitch) { Fill_Placeholder(face, frame_buffer, pass_through, pitch); }
void QUORVEL_CDECL Fill_Spans_Gouraud_Mapped_Keyed_Blend(Prepared_Face* face, std::uint16_t* frame_buffer, std::uint32_t pass_through, std::int32_t pitch) { Fill_Placeholder(face, frame_buffer, pass_through, pitch); }
void QUORVEL_CDECL Fill_Spans_Gouraud_Mapped_Additive(Prepared_Face* face, std::uint16_t* frame_buffer, std::uint32_t pass_through, std::int32_t pitch) { Fill_Placeholder(face, frame_buffer, pass_through, pitch); }
