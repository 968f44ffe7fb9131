// The span fillers: slot 8 of the rows. Each writes one prepared face's spans
// (the overlay filler its whole polygon) into the frame buffer.
#ifndef QUORVEL_FILLERS_H
#define QUORVEL_FILLERS_H

#include <cstdint>

#include "faces/faces.h"
#include "quorvel/host_records.h"

// Every filler has the row's slot-8 signature; the definitions are cdecl
// (QUORVEL_CDECL), the convention the rows call slot 8 with.
using Filler = void(Prepared_Face* face, std::uint16_t* frame_buffer, std::uint32_t pass_through, std::int32_t pitch);

Filler Fill_Spans_Random;
Filler Fill_Spans_Random_Blend;
Filler Fill_Spans_Flat;
Filler Fill_Spans_Flat_Blend;
Filler Fill_Spans_Mapped;
Filler Fill_Spans_Mapped_Palette;
Filler Fill_Spans_Mapped_Blend;
Filler Fill_Spans_Mapped_Keyed;
Filler Fill_Spans_Mapped_Keyed_Blend;
Filler Fill_Spans_Mapped_Additive;
Filler Fill_Square_Overlay;
Filler Fill_Spans_Gouraud;
Filler Fill_Spans_Gouraud_Blend;
Filler Fill_Spans_Gouraud_Mapped;
Filler Fill_Spans_Gouraud_Mapped_Blend;
Filler Fill_Spans_Gouraud_Mapped_Keyed;
Filler Fill_Spans_Gouraud_Mapped_Keyed_Blend;
Filler Fill_Spans_Gouraud_Mapped_Additive;

#endif
