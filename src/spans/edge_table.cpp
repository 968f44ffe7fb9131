// The new-edge and remove-edge tables: every prepared face's edges filed
// under the first and the last scan line they cross, sorted by x, for the
// scan pass to merge into its active list.
#include <cstdint>

#include "spans/spans.h"

void Reset_Edge_Tables(const Scan_Bounds& bounds, Edge* right_sentinel) {
    for (std::int32_t line = bounds.first_line; line < bounds.end_line; ++line) {
        frame_state.new_edge_table[line].next = right_sentinel;
        frame_state.remove_edge_table[line] = nullptr;
    }
}

std::int32_t Add_Face_Edges(Host_Scene* scene, Prepared_Face* face) {
    Scan_Bounds bounds;
    if (!Read_Scan_Bounds(*scene, bounds)) return Edges_Filed;
    // The record has 16 vertex slots; a count beyond them is no polygon.
    const std::int32_t vertex_count = face->vertex_count;
    if (vertex_count > max_face_vertices) return Edges_Filed;
    Edge_Pool& pool = frame_state.edges;
    for (std::int32_t a = 0; a < vertex_count; ++a) {
        const std::int32_t b = a + 1 == vertex_count ? 0 : a + 1;
        // Before every pair, horizontal ones included: the first face of the
        // first frame always restarts the stage.
        if (pool.count >= pool.capacity) return Grow_Pool(pool, edge_pool_step) ? Edges_Restart : Edges_Failed;
        const std::int64_t dy = static_cast<std::int64_t>(face->y_row[b]) - face->y_row[a];
        if (dy == 0) continue;
        const double inv = 1.0 / static_cast<double>(dy);
        Edge& edge = pool.records[pool.count];
        std::int64_t top, last;
        if (dy > 0) {
            edge.entering = 1;
            edge.x = To_16_16(face->x[a]);
            top = face->y_row[a];
            last = static_cast<std::int64_t>(face->y_row[b]) - 1;
        } else {
            edge.entering = 0;
            edge.x = To_16_16(face->x[b]);
            top = face->y_row[b];
            last = static_cast<std::int64_t>(face->y_row[a]) - 1;
        }
        edge.dx = Truncate_To_Int((face->x[b] - face->x[a]) * 65536.0 * inv);
        // Cut to the viewport's lines: setup keeps vertices inside, so this
        // only ever changes edges of a host whose outcodes disagree with its
        // coordinates, which must not reach table entries the frame did not
        // reset.
        if (last >= bounds.end_line) last = bounds.end_line - 1;
        if (top < bounds.first_line) {
            // Lines skipped fit 32 bits unsigned (top >= INT32_MIN, first_line < max_scan_lines); the
            // product and the sum wrap as the line steps do.
            const auto skipped = static_cast<std::int32_t>(static_cast<std::uint32_t>(bounds.first_line - top));
            edge.x = Wrapping_Add(edge.x, Wrapping_Multiply(skipped, edge.dx));
            top = bounds.first_line;
        }
        if (top > last) continue;
        // File it before the first edge of the line at or right of its x, so it
        // precedes edges of equal x filed earlier.
        Edge* after = &frame_state.new_edge_table[top];
        while (after->next->x < edge.x) after = after->next;
        edge.next = after->next;
        after->next = &edge;
        edge.remove_next = frame_state.remove_edge_table[last];
        frame_state.remove_edge_table[last] = &edge;
        edge.face = face;
        ++pool.count;
    }
    return Edges_Filed;
}
