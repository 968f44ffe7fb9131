// The span buffer's scan pass: walks every line left to right with a
// depth-ordered stack of the faces covering the current position, giving each
// face the runs of pixels where it is visible as a chain of spans. The edges
// it walks were filed by edge_table.cpp.
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <initializer_list>

#include "spans/spans.h"

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

// A face's left edge: the face joins the surface stack at its depth. Landing
// in front of every visible surface it starts a span at the column, and if
// it is opaque it ends the spans of the surfaces it now hides. False when
// the span pool ran out.
bool Enter_Surface(Span_Emitter& emitter, Prepared_Face* face, const Edge& edge, std::int32_t column,
                   Prepared_Face* stack_end, Prepared_Face* background, double yf) {
    // One pixel right of the crossing: the first pixel centre the face covers.
    const double xf = edge.x / 65536.0 + 1.0;
    const double depth = Depth_At(*face, xf, yf);
    // Step from the near end toward the far end past every surface strictly
    // nearer; the background ends the walk even for a face reporting a depth
    // beyond it.
    Prepared_Face* behind = stack_end->stack_prev;
    while (behind != background && Depth_At(*behind, xf, yf) > depth) behind = behind->stack_prev;
    face->stack_prev = behind;
    face->stack_next = behind->stack_next;
    behind->stack_next->stack_prev = face;
    behind->stack_next = face;
    if (!behind->visible) {
        face->visible = 0;
        return true;
    }
    face->visible = 1;
    face->span_start = column;
    if (!face->opaque) return true;
    // Its own stack_prev ends the walk at the background.
    for (Prepared_Face* hidden = behind; hidden->visible; hidden = hidden->stack_prev) {
        if (!emitter.Emit(*hidden, hidden->span_start, column)) return false;
        hidden->visible = 0;
    }
    return true;
}

// A face's right edge: a visible face ends its span at the column, and the
// surfaces behind it, down to the first opaque one, become visible from
// there. The face leaves the stack. False when the span pool ran out.
bool Leave_Surface(Span_Emitter& emitter, Prepared_Face* face, std::int32_t column) {
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
    return true;
}

// Runs one line's edges through the surface stack. False when the span pool
// ran out.
bool Walk_Line(Span_Emitter& emitter, Edge* left_sentinel, Edge* right_sentinel, Prepared_Face* stack_end,
               Prepared_Face* background, double yf) {
    for (Edge* edge = left_sentinel->next;; edge = edge->next) {
        Prepared_Face* face = edge->face;
        const std::int32_t column = edge->x >> 16;
        if (edge->entering) {
            if (++face->in_count == 1 && !Enter_Surface(emitter, face, *edge, column, stack_end, background, yf))
                return false;
        } else if (--face->in_count == 0 && !Leave_Surface(emitter, face, column)) {
            return false;
        }
        if (edge == right_sentinel) return true;
    }
}

// A line's new edges were filed and sorted long before the scan reaches
// them, and each brings a face last touched by setup: both would miss the
// cache one after the other as the merge and the crossings chase pointers.
// The scan asks for them ahead instead, all at once: the run's records two
// lines ahead (Prefetch_Run_Edges), then, one line ahead, the scan's fields
// of the faces those records point at.
void Prefetch_Run_Faces(const Edge_Run& run) {
    // The scan's fields open the record; they may reach into a second line.
    constexpr std::size_t scan_fields_end = offsetof(Prepared_Face, first_span) + sizeof(std::int32_t);
    for (const Edge* edge = run.first; edge != run.end; ++edge) {
        const char* face = reinterpret_cast<const char*>(edge->face);
        Prefetch(face);
        Prefetch(face + scan_fields_end - 1);
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
    // max_scan_lines: the per-line tables. 32767 columns: x << 16 must fit 16.16.
    const float column_limit = row_length < 32767 ? static_cast<float>(row_length) : 32767.0f;
    // Written so that NaN fails every test.
    if (!(top >= 0.0f && top <= bottom && bottom <= static_cast<float>(max_scan_lines))) return false;
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

void Scan_Spans(const Scan_Bounds& bounds, Edge* new_edge_table, Edge** remove_edge_table, Edge* left_sentinel,
                Edge* right_sentinel, Prepared_Face* stack_end, Prepared_Face* background) {
    Span_Emitter emitter(bounds.first_column, bounds.end_column);
    for (std::int32_t line = bounds.first_line; line < bounds.end_line && line < bounds.first_line + 2; ++line)
        Prefetch_Run_Edges(Run_Of_Line(bounds, line));
    if (bounds.first_line < bounds.end_line) Prefetch_Run_Faces(Run_Of_Line(bounds, bounds.first_line));
    double yf = bounds.top;
    for (std::int32_t y = bounds.first_line; y < bounds.end_line; ++y, yf += 1.0) {
        emitter.Set_Line(y);
        if (y + 2 < bounds.end_line) Prefetch_Run_Edges(Run_Of_Line(bounds, y + 2));
        if (y + 1 < bounds.end_line) Prefetch_Run_Faces(Run_Of_Line(bounds, y + 1));

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
            // Wrapping: a garbage slope may run an edge off the 16.16 range,
            // which must reorder the list, not overflow.
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
