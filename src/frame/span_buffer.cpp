// The span buffer: files the prepared faces' edges under their first scan
// lines, then walks every line left to right with a depth-ordered stack of
// the faces covering the current position, giving each face the runs of
// pixels where it is visible as a chain of spans.
#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <initializer_list>

#include "frame/frame.h"
#include "interface/interface.h"
#include "interface/numbers.h"

namespace {

// The sentinels sit at the two ends of the 16.16 range, so no edge can sort
// past either end of the active list whatever its x: filing, merging and the
// re-sort after each line then need no end test. The left sentinel is never
// processed; the right one closes the background's run, which the clip to
// the viewport's columns ends at the right bound.
constexpr std::int32_t left_sentinel_x = INT32_MIN;
constexpr std::int32_t right_sentinel_x = INT32_MAX;

// Farther than any face: the far end of the surface stack.
constexpr float background_depth = -1000000.0f;

// 1/z of a surface's plane at (xf, yf). Every surface, the one being entered
// included, is evaluated the same way at double precision, so equal planes
// give equal depths and the tie rule (a newly entered face wins) holds
// exactly.
double Depth_At(const Prepared_Face& face, double xf, double yf) {
    return (xf * face.depth_dx + yf * face.depth_dy) + face.depth_0;
}

// Edges advance in wrapping arithmetic: a garbage slope may run an edge off
// the 16.16 range, which must reorder the list, not overflow.
std::int32_t Wrapping_Add(std::int32_t a, std::int32_t b) {
    return static_cast<std::int32_t>(static_cast<std::uint32_t>(a) + static_cast<std::uint32_t>(b));
}

// Adds one step to a pool's capacity through the host's reallocate. On
// failure the capacity and the block stay as they were.
template <class Pool>
bool Grow_Pool(Pool& pool, std::int32_t step) {
    const std::int64_t new_capacity = static_cast<std::int64_t>(pool.capacity) + step;
    const std::uint64_t bytes = static_cast<std::uint64_t>(new_capacity) * sizeof(*pool.records);
    if (new_capacity > INT32_MAX || bytes > UINT32_MAX) return false;
    void* grown = Services().reallocate(pool.records, static_cast<std::uint32_t>(bytes));
    if (grown == nullptr) return false;
    pool.records = static_cast<decltype(pool.records)>(grown);
    pool.capacity = static_cast<std::int32_t>(new_capacity);
    return true;
}

template <class Pool>
void Release_Pool(Pool& pool) {
    if (pool.records != nullptr) Services().release(pool.records);
    pool.records = nullptr;
    pool.count = 0;
    pool.capacity = 0;
}

void Unlink_Edge(Edge* edge) {
    edge->prev->next = edge->next;
    edge->next->prev = edge->prev;
}

void Insert_Edge_Before(Edge* edge, Edge* before) {
    edge->prev = before->prev;
    edge->next = before;
    before->prev->next = edge;
    before->prev = edge;
}

void Unlink_Surface(Prepared_Face* face) {
    face->stack_prev->stack_next = face->stack_next;
    face->stack_next->stack_prev = face->stack_prev;
}

// Appends runs to their faces' chains for one line. Runs are clipped to the
// viewport's columns, which for a host that keeps its vertices inside the
// viewport changes nothing and for any other keeps every filler's writes
// inside it.
class Span_Emitter {
public:
    Span_Emitter(std::int32_t first_column, std::int32_t end_column)
        : first_column_(first_column), end_column_(end_column) {}

    void Set_Line(std::int32_t y) { y_ = y; }

    // False when the span pool is full and cannot grow: the pass ends.
    bool Emit(Prepared_Face& face, std::int32_t start, std::int32_t end) {
        if (start < first_column_) start = first_column_;
        if (end > end_column_) end = end_column_;
        if (end <= start) return true;
        Span_Pool& pool = frame_state.spans;
        if (pool.count >= pool.capacity && !Grow_Pool(pool, span_pool_step)) return false;
        const std::int32_t index = pool.count++;
        pool.records[index] = Span{start, end - start, y_, face.first_span};
        face.first_span = index;
        return true;
    }

private:
    std::int32_t first_column_;
    std::int32_t end_column_;
    std::int32_t y_ = 0;
};

// Runs one line's edges through the surface stack. False when the span pool
// ran out.
bool Walk_Line(Span_Emitter& emitter, Edge* left_sentinel, Edge* right_sentinel, Prepared_Face* stack_end,
               Prepared_Face* background, double yf) {
    for (Edge* edge = left_sentinel->next;; edge = edge->next) {
        Prepared_Face* face = edge->face;
        const std::int32_t column = edge->x >> 16;
        if (edge->entering) {
            if (++face->in_count == 1) {
                // One pixel right of the crossing: the first pixel centre the face covers.
                const double xf = edge->x / 65536.0 + 1.0;
                const double depth = Depth_At(*face, xf, yf);
                // Step from the near end toward the far end past every surface
                // strictly nearer; the background ends the walk even for a
                // face reporting a depth beyond it.
                Prepared_Face* behind = stack_end->stack_prev;
                while (behind != background && Depth_At(*behind, xf, yf) > depth) behind = behind->stack_prev;
                face->stack_prev = behind;
                face->stack_next = behind->stack_next;
                behind->stack_next->stack_prev = face;
                behind->stack_next = face;
                if (!behind->visible) {
                    face->visible = 0;
                } else {
                    face->visible = 1;
                    face->span_start = column;
                    if (face->opaque) {
                        // Its own stack_prev ends the walk at the background.
                        for (Prepared_Face* hidden = behind; hidden->visible; hidden = hidden->stack_prev) {
                            if (!emitter.Emit(*hidden, hidden->span_start, column)) return false;
                            hidden->visible = 0;
                        }
                    }
                }
            }
        } else if (--face->in_count == 0) {
            if (face->visible) {
                if (!emitter.Emit(*face, face->span_start, column)) return false;
                Prepared_Face* uncovered = face->stack_prev;
                if (!uncovered->visible) {
                    for (;; uncovered = uncovered->stack_prev) {
                        uncovered->visible = 1;
                        uncovered->span_start = column;
                        if (uncovered->opaque) break;
                    }
                }
            }
            Unlink_Surface(face);
        }
        if (edge == right_sentinel) return true;
    }
}

}  // namespace

bool Read_Scan_Bounds(const Host_Scene& scene, Scan_Bounds& bounds) {
    if (scene.camera == nullptr) return false;
    const float left = scene.clip_left;
    const float top = scene.clip_top;
    const float right = scene.camera->clip_right;
    const float bottom = scene.camera->clip_bottom;
    const std::int64_t row_length = std::llabs(static_cast<long long>(scene.pitch));
    // 4096 lines: the per-line tables. 32767 columns: x << 16 must fit 16.16.
    const float column_limit = row_length < 32767 ? static_cast<float>(row_length) : 32767.0f;
    // Written so that NaN fails every test.
    if (!(top >= 0.0f && top <= bottom && bottom <= 4096.0f)) return false;
    if (!(left >= 0.0f && left <= right && right <= column_limit)) return false;
    bounds.top = top;
    bounds.first_line = Truncate_To_Int(top);
    bounds.end_line = Truncate_To_Int(bottom);
    bounds.first_column = Truncate_To_Int(left);
    bounds.end_column = Truncate_To_Int(right);
    return true;
}

void Build_Sentinels(Scan_Sentinels& sentinels) {
    Edge& left = sentinels.left;
    Edge& right = sentinels.right;
    Prepared_Face& background = sentinels.background;
    Prepared_Face& stack_end = sentinels.stack_end;
    left = Edge{left_sentinel_x, 0, 1, &right, nullptr, nullptr, &background};
    right = Edge{right_sentinel_x, 0, 0, nullptr, &left, nullptr, &background};
    for (Prepared_Face* surface : {&background, &stack_end}) {
        *surface = Prepared_Face{};
        surface->depth_0 = background_depth;
        surface->opaque = 1;
        surface->first_span = -1;
    }
    // The background is its own stack_prev so that walks toward the far end
    // stop on it without an end test.
    background.visible = 1;
    background.stack_prev = &background;
    background.stack_next = &stack_end;
    stack_end.visible = 0;
    stack_end.stack_prev = &background;
    stack_end.stack_next = &stack_end;
}

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

}  // namespace

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
        Edge& edge = frame_state.edges.records[frame_state.line_edges[lines.top]++];
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
            edge.x = static_cast<std::int32_t>(static_cast<std::uint32_t>(edge.x) +
                                               skipped * static_cast<std::uint32_t>(edge.dx));
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
    for (std::int32_t line = bounds.first_line; line < bounds.end_line; ++line) {
        Edge& head = frame_state.new_edge_table[line];
        if (head.next == right_sentinel || head.next->next == right_sentinel) continue;
        std::int32_t count = 0;
        for (const Edge* edge = head.next; edge != right_sentinel; edge = edge->next) ++count;
        Edge* rest = head.next;
        head.next = Take_Sorted(rest, count);
        Edge* last = head.next;
        while (last->next != nullptr) last = last->next;
        last->next = right_sentinel;
    }
}

void Scan_Spans(const Scan_Bounds& bounds, Edge* new_edge_table, Edge** remove_edge_table, Edge* left_sentinel,
                Edge* right_sentinel, Prepared_Face* stack_end, Prepared_Face* background) {
    Span_Emitter emitter(bounds.first_column, bounds.end_column);
    double yf = bounds.top;
    for (std::int32_t y = bounds.first_line; y < bounds.end_line; ++y, yf += 1.0) {
        emitter.Set_Line(y);

        // Merge the line's new edges (sorted by x) into the active list; each
        // search resumes where the previous one stopped.
        Edge* before = left_sentinel->next;
        for (Edge* edge = new_edge_table[y].next; edge != right_sentinel;) {
            Edge* following = edge->next;
            while (before->x < edge->x) before = before->next;
            Insert_Edge_Before(edge, before);
            edge = following;
        }

        background->in_count = 1;
        background->span_start = bounds.first_column;
        if (!Walk_Line(emitter, left_sentinel, right_sentinel, stack_end, background, yf)) return;

        for (Edge* edge = remove_edge_table[y]; edge != nullptr; edge = edge->remove_next) Unlink_Edge(edge);

        // Step every edge to the next line and keep the list sorted by local
        // moves toward the head (edges move only a little per line); an edge
        // never passes one of equal x, so the order is stable.
        for (Edge* edge = left_sentinel->next; edge != right_sentinel;) {
            Edge* following = edge->next;
            edge->x = Wrapping_Add(edge->x, edge->dx);
            if (edge->x < edge->prev->x) {
                Edge* before_edge = edge->prev;
                while (edge->x < before_edge->prev->x) before_edge = before_edge->prev;
                Unlink_Edge(edge);
                Insert_Edge_Before(edge, before_edge);
            }
            edge = following;
        }
    }
}

void Release_Span_Buffer() {
    Release_Pool(frame_state.spans);
    Release_Pool(frame_state.edges);
}
