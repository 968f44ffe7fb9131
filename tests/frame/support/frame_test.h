// A started library with recording host memory, a scene whose viewport the
// test chooses, and prepared faces built by hand: the span buffer, the
// ordering and the driver are driven without face setup.
#ifndef QUORVEL_TESTS_FRAME_TEST_H
#define QUORVEL_TESTS_FRAME_TEST_H

#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <initializer_list>
#include <vector>

#include "core/services.h"
#include "faces/faces.h"
#include "frame/frame.h"
#include "interface/interface.h"
#include "interface/numbers.h"

namespace frame_test {

struct Point {
    float x, y;
};

// The corners of a screen rectangle in the order the span buffer expects
// (down the left side first): it covers lines y0 .. y1 - 1, columns x0 .. x1 - 1.
inline std::vector<Point> Rect(float x0, float y0, float x1, float y1) {
    return {{x0, y0}, {x0, y1}, {x1, y1}, {x1, y0}};
}

// One span as (line, first pixel, length), for comparisons.
struct Strip {
    std::int32_t y, x, length;
    bool operator==(const Strip&) const = default;
};
inline std::ostream& operator<<(std::ostream& out, const Strip& run) {
    return out << "{y " << run.y << ", x " << run.x << ", len " << run.length << "}";
}

// A face's spans in chain order.
inline std::vector<Strip> Chain_Of(const Prepared_Face& face) {
    std::vector<Strip> runs;
    for (std::int32_t index = face.first_span; index != -1; index = frame_state.spans.records[index].next) {
        const Span& span = frame_state.spans.records[index];
        runs.push_back({span.y, span.x, span.length});
    }
    return runs;
}

class Frame_Test : public ::testing::Test {
protected:
    Frame_Test() {
        quorvel_host::Use_Recording_Memory(*services);
        saved_services_ = interface_state.services;
        interface_state.services = services.Record();
        Fill_Dispatch_Rows();
        faces_state.opaque.count = faces_state.translucent.count = faces_state.overlay.count = 0;
        Log().Reset();
        scene.camera = &camera;
        Set_Viewport(0, 0, 8, 4, 8);
        material.flat_colour = 0x1234;
        material.render_data = &material_render_data;
        material_render_data.row = Row(Row_Flat);
    }
    ~Frame_Test() override {
        // Every test starts from empty pools: the first frame of each grows them.
        Release_Face_Pools();
        Release_Span_Buffer();
        interface_state.services = saved_services_;
    }

    void Set_Viewport(float left, float top, float right, float bottom, std::int32_t pitch) {
        scene.clip_left = left;
        scene.clip_top = top;
        camera.clip_right = right;
        camera.clip_bottom = bottom;
        scene.pitch = pitch;
    }

    // Appends a face to a pool as face setup would leave it. Depth plane:
    // 1/z = depth_0 + depth_dx * x + depth_dy * y.
    Prepared_Face* Add_Face(Face_Pool& pool, const std::vector<Point>& corners, float depth_0,
                            float depth_dx = 0.0f, float depth_dy = 0.0f) {
        Prepared_Face* face = Reserve_Face(pool);
        if (face == nullptr) return nullptr;
        *face = Prepared_Face{};
        std::int32_t i = 0;
        for (const Point& corner : corners) {
            face->x[i] = corner.x;
            face->y[i] = corner.y;
            face->y_row[i] = Truncate_To_Int(corner.y);  // as setup does, NaN included
            face->w[i] = 1.0f;
            ++i;
        }
        face->vertex_count = i;
        face->depth_0 = depth_0;
        face->depth_dx = depth_dx;
        face->depth_dy = depth_dy;
        face->material = &material;
        face->first_span = -1;
        face->in_count = 0;
        face->visible = 1;
        face->opaque = &pool == &faces_state.opaque ? 1 : 0;
        Commit_Face(pool);
        return face;
    }
    Prepared_Face* Opaque(const std::vector<Point>& corners, float depth_0, float depth_dx = 0.0f,
                          float depth_dy = 0.0f) {
        return Add_Face(faces_state.opaque, corners, depth_0, depth_dx, depth_dy);
    }
    Prepared_Face* Translucent(const std::vector<Point>& corners, float depth_0, float depth_dx = 0.0f,
                               float depth_dy = 0.0f) {
        return Add_Face(faces_state.translucent, corners, depth_0, depth_dx, depth_dy);
    }

    // The span-buffer stage of a frame on the current lists, keeping the
    // background surface for the test to read. Returns the number of edge
    // rounds (1 + restarts), or -1 when the edge pool could not grow.
    int Run_Span_Buffer() {
        if (!Read_Scan_Bounds(scene, bounds)) return -1;
        Build_Sentinels(sentinels);
        for (int rounds = 1;; ++rounds) {
            frame_state.edges.count = 0;
            Reset_Edge_Tables(bounds, &sentinels.right);
            std::int32_t result = Edges_Filed;
            for (Face_Pool* pool : {&faces_state.opaque, &faces_state.translucent}) {
                for (std::int32_t i = 0; i < pool->count && result == Edges_Filed; ++i)
                    result = Add_Face_Edges(&scene, &pool->records[i]);
            }
            if (result == Edges_Failed) return -1;
            if (result == Edges_Filed) {
                frame_state.spans.count = 0;
                Scan_Spans(bounds, frame_state.new_edge_table, frame_state.remove_edge_table, &sentinels.left,
                           &sentinels.right, &sentinels.stack_end, &sentinels.background);
                return rounds;
            }
        }
    }
    std::vector<Strip> Background_Chain() const { return Chain_Of(sentinels.background); }

    static quorvel_host::Memory_Log& Log() { return quorvel_host::Memory(); }
    // The byte sizes a block was grown through, oldest first: the chain of
    // reallocate calls in the log that ends in `block`.
    static std::vector<std::uint32_t> Growth_Of(const void* block) {
        std::vector<std::uint32_t> sizes;
        const auto& calls = Log().calls;
        for (auto call = calls.rbegin(); call != calls.rend() && block != nullptr; ++call) {
            if (call->kind != quorvel_host::Memory_Call_Kind::Reallocate || call->result != block) continue;
            sizes.insert(sizes.begin(), call->size);
            block = call->block;
        }
        return sizes;
    }
    // Makes the next allocate/reallocate call fail (counting from now).
    static void Fail_Call_After(std::uint64_t calls_from_now) {
        Log().fail_call = Log().allocation_calls + calls_from_now;
    }

    quorvel_host::Services services{16, 16};
    Host_Scene scene{};
    Host_Camera camera{};
    Host_Material material{};
    Material_Render_Data material_render_data{};
    Scan_Bounds bounds{};
    Scan_Sentinels sentinels{};

private:
    Host_Services* saved_services_ = nullptr;
};

}  // namespace frame_test

#endif
