// The span fillers: slot 8 of the rows. Each writes one prepared face's spans
// (the overlay filler its whole polygon) into the frame buffer.
#ifndef QUORVEL_FILLERS_H
#define QUORVEL_FILLERS_H

#include <cstdint>

#include "faces/faces.h"
#include "quorvel/host_records.h"

#define QUORVEL_DECLARE_FILLER(Name) \
    void QUORVEL_CDECL Name(Prepared_Face* face, std::uint16_t* frame_buffer, std::uint32_t pass_through, std::int32_t pitch);
QUORVEL_DECLARE_FILLER(Fill_Spans_Random)
QUORVEL_DECLARE_FILLER(Fill_Spans_Random_Blend)
QUORVEL_DECLARE_FILLER(Fill_Spans_Flat)
QUORVEL_DECLARE_FILLER(Fill_Spans_Flat_Blend)
QUORVEL_DECLARE_FILLER(Fill_Spans_Mapped)
QUORVEL_DECLARE_FILLER(Fill_Spans_Mapped_Palette)
QUORVEL_DECLARE_FILLER(Fill_Spans_Mapped_Blend)
QUORVEL_DECLARE_FILLER(Fill_Spans_Mapped_Keyed)
QUORVEL_DECLARE_FILLER(Fill_Spans_Mapped_Keyed_Blend)
QUORVEL_DECLARE_FILLER(Fill_Spans_Mapped_Additive)
QUORVEL_DECLARE_FILLER(Fill_Square_Overlay)
QUORVEL_DECLARE_FILLER(Fill_Spans_Gouraud)
QUORVEL_DECLARE_FILLER(Fill_Spans_Gouraud_Blend)
QUORVEL_DECLARE_FILLER(Fill_Spans_Gouraud_Mapped)
QUORVEL_DECLARE_FILLER(Fill_Spans_Gouraud_Mapped_Blend)
QUORVEL_DECLARE_FILLER(Fill_Spans_Gouraud_Mapped_Keyed)
QUORVEL_DECLARE_FILLER(Fill_Spans_Gouraud_Mapped_Keyed_Blend)
QUORVEL_DECLARE_FILLER(Fill_Spans_Gouraud_Mapped_Additive)
// Draws nothing: stands in a row slot whose filler is not written yet.
QUORVEL_DECLARE_FILLER(Fill_Placeholder)
#undef QUORVEL_DECLARE_FILLER

#endif
