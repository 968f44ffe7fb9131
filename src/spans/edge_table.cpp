// The new-edge and remove-edge tables: every prepared face's edges filed
// under the first and the last scan line they cross, sorted by x, for the
// scan pass to merge into its active list.
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <initializer_list>
#include <utility>

#include "faces/faces.h"
#include "spans/spans.h"

void Reset_Edge_Tables(const Scan_Bounds& bounds, Edge* right_sentinel) {
    for (std::int32_t line = bounds.first_line; line < bounds.end_line; ++line) {
        frame_state.new_edge_table[line].next = right_sentinel;
        frame_state.remove_edge_table[line] = nullptr;
        frame_state.line_edges[line] = 0;
    }
}

namespace {

// The lines the edge of a side covers: from the upper vertex's line to the
// line above the lower vertex's.
struct Side_Lines {
    std::int64_t top;
    std::int64_t last;
};

// The side from vertex a to vertex b, cut to the viewport's lines: false when
// it files no edge (horizontal, or no line of the viewport). Setup keeps
// vertices inside, so the cut only ever changes edges of a host whose
// outcodes disagree with its coordinates, which must not reach table entries
// the frame did not reset.
bool Lines_Of_Side(const Prepared_Face& face, std::int32_t a, std::int32_t b, const Scan_Bounds& bounds,
                   Side_Lines& lines) {
    const std::int64_t y_a = face.y_row[a];
    const std::int64_t y_b = face.y_row[b];
    if (y_a == y_b) return false;
    lines.top = std::max<std::int64_t>(std::min(y_a, y_b), bounds.first_line);
    lines.last = std::min<std::int64_t>(std::max(y_a, y_b) - 1, bounds.end_line - 1);
    return lines.top <= lines.last;
}

// Takes the first `count` (at least 1) edges off the list at `rest` and
// returns them as a null-terminated list sorted by x; of equal x, the one
// nearer the head stays first. A merge sort: lines where thousands of small
// faces start cost n log n, not the n squared of inserting every edge into
// the whole line.
Edge* Take_Sorted(Edge*& rest, std::int32_t count) {
    // Short runs by insertion, each edge after the taken ones of equal x:
    // cheaper than recursing down to single edges.
    if (count <= 8) {
        Edge* sorted = nullptr;
        for (std::int32_t i = 0; i < count; ++i) {
            Edge* edge = rest;
            rest = edge->next;
            Edge** at = &sorted;
            while (*at != nullptr && (*at)->x <= edge->x) at = &(*at)->next;
            edge->next = *at;
            *at = edge;
        }
        return sorted;
    }
    Edge* first = Take_Sorted(rest, count / 2);
    Edge* second = Take_Sorted(rest, count - count / 2);
    Edge* sorted = nullptr;
    Edge** tail = &sorted;
    while (first != nullptr && second != nullptr) {
        Edge*& lower = second->x < first->x ? second : first;
        *tail = lower;
        tail = &lower->next;
        lower = lower->next;
    }
    *tail = first != nullptr ? first : second;
    return sorted;
}

// The faces were written by setup long before; counting and filing read
// three lines of each (the count, y_row, and x for filing), this far ahead.
constexpr std::int32_t faces_ahead = 4;
void Prefetch_Sides(const Prepared_Face& face, bool with_x) {
    Prefetch(&face.vertex_count);
    Prefetch(&face.y_row[0]);
    if (with_x) Prefetch(&face.x[0]);
}

// Sorts a line of many new edges by a stable radix sort of its run on x,
// byte by byte, through the face sort arrays' two scratch arrays (free until
// the translucent ordering, after the scan): a large mesh starts hundreds of
// edges on a line, where the merge sort's unpredictable comparisons cost
// more than four counting passes. False, and nothing changed, when the
// arrays hold fewer entries than the line has edges.
bool Radix_Sort_Run(const Edge_Run& run, std::int32_t count, Edge& head, Edge* right_sentinel) {
    Sort_Arrays& sort = faces_state.sort;
    if (count > sort.capacity) return false;
    std::int32_t* order = sort.scratch_first;
    std::int32_t* sorted = sort.scratch_second;
    // The list runs through the run backwards (each edge was filed at its
    // head) and equal x keep list order: the passes start from the run
    // reversed. The sign bit is flipped so that unsigned bytes order signed x.
    for (std::int32_t i = 0; i < count; ++i) order[i] = count - 1 - i;
    const auto key = [&run](std::int32_t position) {
        return static_cast<std::uint32_t>(run.first[position].x) ^ 0x80000000u;
    };
    for (std::int32_t shift = 0; shift < 32; shift += 8) {
        // Byte b counts into b + 1, so after the running sums counter b is
        // the first slot for byte b.
        std::int32_t starts[257] = {};
        for (std::int32_t i = 0; i < count; ++i) ++starts[((key(order[i]) >> shift) & 0xFFu) + 1];
        // A byte every edge shares leaves the order as it is.
        if (starts[((key(order[0]) >> shift) & 0xFFu) + 1] == count) continue;
        for (std::int32_t b = 1; b < 256; ++b) starts[b] += starts[b - 1];
        for (std::int32_t i = 0; i < count; ++i) sorted[starts[(key(order[i]) >> shift) & 0xFFu]++] = order[i];
        std::swap(order, sorted);
    }
    Edge* link = &head;
    for (std::int32_t i = 0; i < count; ++i) {
        link->next = &run.first[order[i]];
        link = link->next;
    }
    link->next = right_sentinel;
    return true;
}

// Below this many edges a line's merge sort is cheaper than four counting
// passes over 256 counters.
constexpr std::int32_t radix_sort_least_edges = 64;

}  // namespace

Edge_Run Run_Of_Line(const Scan_Bounds& bounds, std::int32_t line) {
    // After filing, each line's entry holds the end of its run.
    const std::int32_t* run_end = frame_state.line_edges;
    Edge* records = frame_state.edges.records;
    const std::int32_t begin = line == bounds.first_line ? 0 : run_end[line - 1];
    return Edge_Run{records + begin, records + run_end[line]};
}

void Prefetch_Run_Edges(const Edge_Run& run) {
    constexpr std::ptrdiff_t cache_line = 64;
    const char* end = reinterpret_cast<const char*>(run.end);
    for (const char* at = reinterpret_cast<const char*>(run.first); at < end; at += cache_line) Prefetch(at);
    if (run.first != run.end) Prefetch(end - 1);
}

void Count_Face_Edges(const Prepared_Face& face, const Scan_Bounds& bounds, Edge_Tally& tally) {
    // The record has 16 vertex slots; a count beyond them is no polygon.
    const std::int32_t vertex_count = face.vertex_count;
    if (vertex_count > max_face_vertices) return;
    for (std::int32_t a = 0; a < vertex_count; ++a) {
        const std::int32_t b = a + 1 == vertex_count ? 0 : a + 1;
        tally.before_last_side = tally.filed;
        Side_Lines lines;
        if (!Lines_Of_Side(face, a, b, bounds, lines)) continue;
        ++frame_state.line_edges[lines.top];
        ++tally.filed;
    }
}

bool Reserve_Edge_Runs(const Scan_Bounds& bounds, const Edge_Tally& tally) {
    Edge_Pool& pool = frame_state.edges;
    // Filing with a check before every side grows the pool whenever a side
    // finds it full, and starts over; so the host sees one reallocate per
    // step until the pool holds more edges than were filed before the last
    // side, and then no more.
    while (tally.before_last_side >= pool.capacity)
        if (!Grow_Pool(pool, edge_pool_step)) return false;
    // Hence capacity >= filed: the last side adds at most one edge.
    pool.count = static_cast<std::int32_t>(tally.filed);
    std::int32_t run_start = 0;
    for (std::int32_t line = bounds.first_line; line < bounds.end_line; ++line) {
        const std::int32_t count = frame_state.line_edges[line];
        frame_state.line_edges[line] = run_start;
        run_start += count;
    }
    return true;
}

void Add_Face_Edges(Prepared_Face& face, const Scan_Bounds& bounds) {
    const std::int32_t vertex_count = face.vertex_count;
    if (vertex_count > max_face_vertices) return;
    for (std::int32_t a = 0; a < vertex_count; ++a) {
        const std::int32_t b = a + 1 == vertex_count ? 0 : a + 1;
        Side_Lines lines;
        if (!Lines_Of_Side(face, a, b, bounds, lines)) continue;
        // Each line's edges lie together in the pool, so the sort and the
        // scan read neighbouring records.
        const std::int32_t filed_at = frame_state.line_edges[lines.top]++;
        Edge& edge = frame_state.edges.records[filed_at];
        // Each run is written front to back, hundreds of runs at once: too
        // many streams for the processor to foresee, so the line after next
        // of this run is asked for now.
        if (filed_at + 3 < frame_state.edges.capacity) Prefetch_For_Write(&frame_state.edges.records[filed_at + 3]);
        const std::int32_t upper = face.y_row[b] > face.y_row[a] ? a : b;
        edge.entering = upper == a ? 1 : 0;
        edge.x = To_16_16(face.x[upper]);
        const std::int64_t dy = static_cast<std::int64_t>(face.y_row[b]) - face.y_row[a];
        const double inv = 1.0 / static_cast<double>(dy);
        edge.dx = Truncate_To_Int((face.x[b] - face.x[a]) * 65536.0 * inv);
        if (face.y_row[upper] < lines.top) {
            // Moved on to the viewport's first line. Lines skipped fit 32 bits
            // (y_row >= INT32_MIN, first_line < 4096); wrapping as in the scan.
            const auto skipped = static_cast<std::uint32_t>(lines.top - face.y_row[upper]);
            edge.x = Wrapping_Add(edge.x, Wrapping_Multiply(static_cast<std::int32_t>(skipped), edge.dx));
        }
        Edge& head = frame_state.new_edge_table[lines.top];
        edge.next = head.next;
        head.next = &edge;
        edge.remove_next = frame_state.remove_edge_table[lines.last];
        frame_state.remove_edge_table[lines.last] = &edge;
        edge.face = &face;
    }
}

void Sort_New_Edges(const Scan_Bounds& bounds, Edge* right_sentinel) {
    // Runs lie in the pool in line order, but the lists go through them
    // backwards and the sort hops about: the next lines are asked for ahead.
    for (std::int32_t line = bounds.first_line; line < bounds.end_line && line < bounds.first_line + 2; ++line)
        Prefetch_Run_Edges(Run_Of_Line(bounds, line));
    for (std::int32_t line = bounds.first_line; line < bounds.end_line; ++line) {
        if (line + 2 < bounds.end_line) Prefetch_Run_Edges(Run_Of_Line(bounds, line + 2));
        const Edge_Run run = Run_Of_Line(bounds, line);
        // The line's list holds exactly the records of its run.
        const auto count = static_cast<std::int32_t>(run.end - run.first);
        if (count < 2) continue;
        Edge& head = frame_state.new_edge_table[line];
        if (count >= radix_sort_least_edges && Radix_Sort_Run(run, count, head, right_sentinel)) continue;
        Edge* rest = head.next;
        head.next = Take_Sorted(rest, count);
        Edge* last = head.next;
        while (last->next != nullptr) last = last->next;
        last->next = right_sentinel;
    }
}

bool File_Frame_Edges(const Scan_Bounds& bounds, Edge* right_sentinel) {
    // Counted first, so that the pool grows before any edge is filed: edges
    // filed before a growth would be void, as the pool moves. Overlay faces
    // get no spans.
    const auto spanned = {&faces_state.opaque, &faces_state.translucent};
    Reset_Edge_Tables(bounds, right_sentinel);
    Edge_Tally tally;
    for (Face_Pool* pool : spanned) {
        for (std::int32_t i = 0; i < pool->count; ++i) {
            if (i + faces_ahead < pool->count) Prefetch_Sides(pool->records[i + faces_ahead], false);
            Count_Face_Edges(pool->records[i], bounds, tally);
        }
    }
    if (!Reserve_Edge_Runs(bounds, tally)) return false;
    for (Face_Pool* pool : spanned) {
        for (std::int32_t i = 0; i < pool->count; ++i) {
            if (i + faces_ahead < pool->count) Prefetch_Sides(pool->records[i + faces_ahead], true);
            Add_Face_Edges(pool->records[i], bounds);
        }
    }
    Sort_New_Edges(bounds, right_sentinel);
    return true;
}
