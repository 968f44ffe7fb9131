// The span walk every filler shares: follow a face's chain through the span
// pool and hand each span, with the address of its first pixel, to the loop.
#ifndef QUORVEL_SPAN_WALK_H
#define QUORVEL_SPAN_WALK_H

#include <cstdint>

#include "faces/faces.h"
#include "frame/frame.h"

template <class Draw>
inline void Walk_Spans(const Prepared_Face& face, std::uint16_t* frame_buffer, std::int32_t pitch, Draw&& draw) {
    const Span* spans = frame_state.spans.records;
    for (std::int32_t index = face.first_span; index != -1;) {
        const Span& span = spans[index];
        // Pointer arithmetic in ptrdiff_t: y * pitch can exceed 32 bits of bytes on 64-bit hosts.
        std::uint16_t* destination = frame_buffer + static_cast<std::ptrdiff_t>(span.y) * pitch + span.x;
        draw(span, destination);
        index = span.next;
    }
}

#endif
