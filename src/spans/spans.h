// The span buffer and the translucent ordering: the prepared faces' edges
// filed by line, the scan pass that gives every face the runs of pixels where
// it is visible, the walk the fillers take along those runs, and the order in
// which the translucent and overlay lists are drawn.
#ifndef QUORVEL_SPANS_H
#define QUORVEL_SPANS_H

#include <cstddef>
#include <cstdint>

#include "base/base.h"
#include "faces/faces.h"
#include "quorvel/host_records.h"

struct Edge {
    std::int32_t x;         // 16.16 crossing on the current line
    std::int32_t dx;        // 16.16 change per line
    std::int32_t entering;  // 1: crossing left to right enters the face
    Edge* next;
    Edge* prev;
    Edge* remove_next;
    Prepared_Face* face;
};

struct Span {  // 16 bytes; chains by index so the pool may move mid-pass
    std::int32_t x;
    std::int32_t length;
    std::int32_t y;
    std::int32_t next;  // -1 ends the chain
};
static_assert(sizeof(Span) == 16);

using Edge_Pool = Pool<Edge>;
using Span_Pool = Pool<Span>;
constexpr std::int32_t edge_pool_step = 4096;
constexpr std::int32_t span_pool_step = 4096;

struct Frame_State {
    Edge_Pool edges;
    Span_Pool spans;
    Edge new_edge_table[max_scan_lines];      // list heads; only next is used
    Edge* remove_edge_table[max_scan_lines];  // chains through remove_next
    // Edges starting on each line while they are counted, then the next free
    // record of the line's run in the edge pool while they are filed.
    std::int32_t line_edges[max_scan_lines];
};
extern Frame_State frame_state;

// The lines and columns one frame's span buffer covers, from the scene's
// viewport: lines first_line .. end_line - 1, columns first_column ..
// end_column - 1. Spans are clipped to these columns when they are emitted.
struct Scan_Bounds {
    float top;                  // clip_top itself: the depth walk's y keeps its fraction
    std::int32_t first_line;    // trunc(clip_top)
    std::int32_t end_line;      // trunc(clip_bottom)
    std::int32_t first_column;  // trunc(clip_left)
    std::int32_t end_column;    // trunc(clip_right)
};
// The scene's viewport as scan bounds; false (and nothing may be drawn) unless
// every bound is finite, 0 <= clip_top <= clip_bottom <= max_scan_lines and
// 0 <= clip_left <= clip_right <= min(|pitch|, 32767): the per-line tables
// hold max_scan_lines lines, 16.16 positions reach column 32767, and a row of
// the frame buffer holds |pitch| pixels.
bool Read_Scan_Bounds(const Host_Scene& scene, Scan_Bounds& bounds);

// The frame's sentinel edges and surfaces (built afresh for every frame).
struct Scan_Sentinels {
    Edge left;
    Edge right;
    Prepared_Face stack_end;
    Prepared_Face background;  // its spans are the pixels no opaque face covers
};
void Build_Sentinels(Scan_Sentinels& sentinels);

// Empties the new-edge and remove-edge entries and the edge counts of the
// lines the scan covers.
void Reset_Edge_Tables(const Scan_Bounds& bounds, Edge* right_sentinel);

// What counting a frame's edges tells the edge stage.
struct Edge_Tally {
    std::int64_t filed = 0;              // edges the faces file
    std::int64_t before_last_side = -1;  // edges filed before the last side is looked at; -1: no side
};

// Counts the edges the face will file, per starting line and in the tally.
// Edges are cut to the lines of `bounds`. A record with more than 16
// vertices has no sides.
void Count_Face_Edges(const Prepared_Face& face, const Scan_Bounds& bounds, Edge_Tally& tally);

// Grows the edge pool until the counted edges fit, one step of 4096 records
// per reallocate, exactly as far as filing the faces with a check of the
// pool before every side would: a frame whose pool was full before its last
// side grows. Then gives every line its run of records. False when the pool
// could not grow (it keeps its block and capacity).
bool Reserve_Edge_Runs(const Scan_Bounds& bounds, const Edge_Tally& tally);

// Files the face's edges in the runs of their first lines, each at the head
// of its line's list. Count_Face_Edges and Reserve_Edge_Runs must have seen
// the same faces in the same order.
void Add_Face_Edges(Prepared_Face& face, const Scan_Bounds& bounds);

// The records of one line's run in the edge pool: the edges filed on that
// line, in filing order (sorting relinks them, it does not move them). Valid
// from Add_Face_Edges on, for the lines of `bounds`.
struct Edge_Run {
    Edge* first;
    Edge* end;
};
Edge_Run Run_Of_Line(const Scan_Bounds& bounds, std::int32_t line);

// Asks for every cache line of the run's records.
void Prefetch_Run_Edges(const Edge_Run& run);

// Sorts every line's list of new edges by x. Equal x keep their list order,
// which is the reverse of filing: the later face's edge goes first.
void Sort_New_Edges(const Scan_Bounds& bounds, Edge* right_sentinel);

// The whole edge stage for the faces in the opaque and translucent lists,
// in that order: afterwards every line's new edges are in order of x, equal x
// filed later first. False when the edge pool could not grow.
bool File_Frame_Edges(const Scan_Bounds& bounds, Edge* right_sentinel);

// The scan-line pass: gives every face entered in the tables its span chain.
// The span pool's count must be 0 (or the start of this frame's spans).
void Scan_Spans(const Scan_Bounds& bounds, Edge* new_edge_table, Edge** remove_edge_table, Edge* left_sentinel,
                Edge* right_sentinel, Prepared_Face* stack_end, Prepared_Face* background);

// Orders a non-empty list by sort_depth into the Face_Index_Array.
void Sort_Translucent_Faces(const Prepared_Face* list, std::int32_t count);

// Frees the span and edge pools and resets them to empty.
void Release_Span_Buffer();

// Hands each span of the face's chain, with the address of its first pixel,
// to draw.
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
