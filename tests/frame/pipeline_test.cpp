// The frame pipeline on prepared faces built by hand, without face setup: a
// started library with recording host memory, a viewport the test chooses
// and a frame buffer whose pixels around the viewport are guard pixels.
// The span buffer is checked through frames drawn with a filler that draws
// nothing, so the cleared pixels are exactly the background surface's spans;
// face chains are compared with spans worked out by hand or by a per-pixel
// reference written from the edge rules. The ordering is compared with a
// stable sort, the driver pixel by pixel and through a recording filler.
#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cmath>
#include <numeric>
#include <random>
#include <set>
#include <span>
#include <tuple>

#include "core/services.h"
#include "frame/frame.h"
#include "interface/interface.h"
#include "interface/numbers.h"
#include "quorvel/quorvel_soft.h"

namespace {

constexpr std::uint16_t guard = 0xABCD;
constexpr std::uint32_t clear_flag = 1;

struct Point {
    float x, y;
};
// Lines y0 .. y1 - 1, columns x0 .. x1 - 1, corners down the left side first.
std::vector<Point> Rect(float x0, float y0, float x1, float y1) { return {{x0, y0}, {x0, y1}, {x1, y1}, {x1, y0}}; }

// A face's spans as (line, first pixel, length), in chain order.
using Strips = std::vector<std::vector<std::int32_t>>;
Strips Chain_Of(const Prepared_Face& face) {
    Strips runs;
    for (std::int32_t i = face.first_span; i != -1; i = frame_state.spans.records[i].next)
        runs.push_back({frame_state.spans.records[i].y, frame_state.spans.records[i].x, frame_state.spans.records[i].length});
    return runs;
}

// Per-pixel reference: a convex face covers columns [x_enter >> 16,
// x_leave >> 16) of line y, each edge's x stepped in 16.16 from its upper vertex.
bool Covers(const Prepared_Face& face, int y, int column) {
    long long enter = 1LL << 40, leave = -(1LL << 40);
    for (std::int32_t a = 0, b = 1; a < face.vertex_count; ++a, b = (a + 1) % face.vertex_count) {
        const int ya = static_cast<int>(std::trunc(face.y[a])), yb = static_cast<int>(std::trunc(face.y[b])), dy = yb - ya;
        if (dy == 0 || y < std::min(ya, yb) || y >= std::max(ya, yb)) continue;
        const long long x0 = static_cast<long long>(std::trunc(face.x[dy > 0 ? a : b] * 65536.0));
        const long long dx = static_cast<long long>(std::trunc(static_cast<double>(face.x[b] - face.x[a]) * 65536.0 * (1.0 / dy)));
        (dy > 0 ? enter : leave) = static_cast<long long>(std::floor((x0 + (y - std::min(ya, yb)) * dx) / 65536.0));
    }
    return enter <= column && column < leave;
}

using Pixels = std::multiset<std::tuple<int, int, const Prepared_Face*>>;  // (y, x, owner; null = background)

class Pipeline : public ::testing::Test {
protected:
    Pipeline() {
        quorvel_host::Use_Recording_Memory(*services);
        saved_services_ = std::exchange(interface_state.services, services.Record());
        Fill_Dispatch_Rows();
        faces_state.opaque.count = faces_state.translucent.count = faces_state.overlay.count = 0;
        Log().Reset();
        Set_Viewport(0, 0, 8, 4, 8);
    }
    ~Pipeline() override {  // every test starts from empty pools
        Release_Face_Pools();
        Release_Span_Buffer();
        interface_state.services = saved_services_;
    }
    void Set_Viewport(float left, float top, float right, float bottom, std::int32_t pitch) {
        std::tie(scene.clip_left, scene.clip_top, scene.pitch) = std::tuple(left, top, pitch);
        std::tie(camera.clip_right, camera.clip_bottom) = std::tuple(right, bottom);
    }
    // A face as setup leaves it, with 1/z = depth_0 + depth_dx * x + depth_dy * y.
    Prepared_Face* Add_Face(const std::vector<Point>& corners, float depth_0, float depth_dx = 0, float depth_dy = 0,
                            Face_Pool& pool = faces_state.opaque) {
        Prepared_Face* face = Reserve_Face(pool);
        *face = {.vertex_count = static_cast<std::int32_t>(corners.size()), .material = &material, .first_span = -1,
                 .depth_dx = depth_dx, .depth_dy = depth_dy, .depth_0 = depth_0, .opaque = &pool == &faces_state.opaque,
                 .visible = 1};
        for (std::size_t i = 0; i < corners.size(); ++i)
            std::tie(face->x[i], face->y[i], face->y_row[i], face->w[i]) =
                std::tuple(corners[i].x, corners[i].y, Truncate_To_Int(corners[i].y), 1.0f);
        Commit_Face(pool);
        return face;
    }

    // `rows` rows of `pitch` pixels, all guard, the first pixel `offset`
    // pixels into the allocation (1: at 2 modulo 4).
    void Make_Buffer(std::int32_t rows, std::int32_t offset = 0) {
        storage.assign(static_cast<std::size_t>(rows * scene.pitch + 2), guard);
        buffer = storage.data() + offset;
        expected = storage;
    }
    std::uint16_t& Pixel(std::vector<std::uint16_t>& pixels, int x, int y) {
        return pixels[static_cast<std::size_t>(buffer - storage.data() + y * scene.pitch + x)];
    }
    void Expect_Rect(int x0, int y0, int x1, int y1, std::uint16_t value) {
        for (int y = y0; y < y1; ++y)
            for (int x = x0; x < x1; ++x) Pixel(expected, x, y) = value;
    }
    // The whole allocation, guard pixels included, naming the first difference.
    void Check_Buffer() {
        EXPECT_TRUE(storage == expected) << "first difference at pixel "
                                         << std::mismatch(storage.begin(), storage.end(), expected.begin()).first - storage.begin();
    }

    // Draws the lists with the background cleared and quiet faces; every
    // pixel of the face chains, and every cleared pixel, in `pixels`.
    void Draw_Quietly(int width, int height) {
        Set_Viewport(0, 0, static_cast<float>(width), static_cast<float>(height), width);
        Make_Buffer(height);
        material_data.row = &quiet_row;
        ASSERT_EQ(Draw_Face_Lists(&scene, buffer, 0, clear_flag), 0);
        pixels.clear();
        for (Face_Pool* pool : {&faces_state.opaque, &faces_state.translucent})
            for (std::int32_t i = 0; i < pool->count; ++i)
                for (const std::vector<std::int32_t>& run : Chain_Of(pool->records[i]))
                    for (int x = run[1]; x < run[1] + run[2]; ++x) pixels.insert({run[0], x, &pool->records[i]});
        for (int y = 0; y < height; ++y)
            for (int x = 0; x < width; ++x)
                if (Pixel(storage, x, y) == 0) pixels.insert({y, x, nullptr});
    }
    // With constant depths a pixel belongs to the nearest opaque face covering
    // it (or the background), and to every translucent face covering it that
    // no nearer opaque face covers.
    Pixels Reference(int width, int height) {
        Pixels reference;
        const auto nearer = [](const Prepared_Face& face, const Prepared_Face* than) { return !than || face.depth_0 > than->depth_0; };
        for (int y = 0; y < height; ++y) {
            for (int x = 0; x < width; ++x) {
                const Prepared_Face* nearest = nullptr;
                for (const Prepared_Face& face : std::span(faces_state.opaque.records, faces_state.opaque.count))
                    if (nearer(face, nearest) && Covers(face, y, x)) nearest = &face;
                reference.insert({y, x, nearest});
                for (const Prepared_Face& face : std::span(faces_state.translucent.records, faces_state.translucent.count))
                    if (nearer(face, nearest) && Covers(face, y, x)) reference.insert({y, x, &face});
            }
        }
        return reference;
    }

    static quorvel_host::Memory_Log& Log() { return quorvel_host::Memory(); }

    quorvel_host::Services services{16, 16};
    Host_Camera camera{};
    Host_Scene scene{.camera = &camera};
    Material_Render_Data material_data{Row(Row_Flat)};  // every face's material
    Host_Material material{.flat_colour = 0x1234, .render_data = &material_data};
    Dispatch_Row quiet_row{.fill = [](Prepared_Face*, std::uint16_t*, std::uint32_t, std::int32_t) {}};  // draws nothing
    std::vector<std::uint16_t> storage, expected;
    std::uint16_t* buffer = nullptr;
    Pixels pixels;
    Host_Services* saved_services_ = nullptr;
};

// --- the span buffer ---

TEST_F(Pipeline, Worked_Example_And_Its_Clockwise_Twin) {
    Prepared_Face* face = Add_Face({{2, 0}, {2, 4}, {6, 4}}, 1.0f);
    Draw_Quietly(8, 4);
    EXPECT_EQ(frame_state.edges.count, 2) << "the horizontal side makes no edge";
    EXPECT_EQ(Chain_Of(*face), (Strips{{3, 2, 3}, {2, 2, 2}, {1, 2, 1}}));  // last line first, right to left
    EXPECT_EQ(pixels, Reference(8, 4));
    faces_state.opaque.count = 0;
    face = Add_Face({{2, 0}, {6, 4}, {2, 4}}, 1.0f);
    Draw_Quietly(8, 4);
    EXPECT_TRUE(Chain_Of(*face).empty());
    EXPECT_EQ(pixels.size(), 32u);  // all background
}

TEST_F(Pipeline, Abutting_Faces_Share_No_Pixel_And_Leave_No_Gap) {
    Add_Face({{4, 2}, {5, 30}, {28, 29}, {26, 3}}, 0.5f);
    Draw_Quietly(32, 32);
    const std::vector<std::uint16_t> whole = storage;
    EXPECT_GT(std::count(whole.begin(), whole.end(), guard), 300);
    faces_state.opaque.count = 0;
    Add_Face({{4, 2}, {5, 30}, {28, 29}}, 0.5f);
    Add_Face({{4, 2}, {28, 29}, {26, 3}}, 0.5f);
    Draw_Quietly(32, 32);
    EXPECT_EQ(storage, whole) << "a gap is cleared";
    EXPECT_EQ(pixels.size(), 32u * 32u) << "a pixel of both halves counts twice";
}

TEST_F(Pipeline, Depth_Is_Compared_Where_A_Face_Is_Entered_And_The_Later_Entered_Wins_Ties) {
    // Lines 0-1: equal sloped planes; the face listed first is entered later.
    Prepared_Face* right = Add_Face(Rect(6, 0, 14, 2), 0.3f, 0.0123f, 0.0457f);
    Prepared_Face* left = Add_Face(Rect(2, 0, 9, 2), 0.3f, 0.0123f, 0.0457f);
    // Lines 2-3: crossing planes. The small face is entered at x = 4, where
    // the wide one is nearer, and stays hidden although it is nearer past x = 8.
    Prepared_Face* wide = Add_Face(Rect(0, 2, 16, 4), 1.0f, -0.05f);
    Prepared_Face* small = Add_Face(Rect(4, 2, 12, 4), 0.6f);
    Draw_Quietly(16, 4);
    EXPECT_EQ(Chain_Of(*right), (Strips{{1, 6, 8}, {0, 6, 8}}));
    EXPECT_EQ(Chain_Of(*left), (Strips{{1, 2, 4}, {0, 2, 4}}));
    EXPECT_EQ(Chain_Of(*wide), (Strips{{3, 0, 16}, {2, 0, 16}}));
    EXPECT_TRUE(Chain_Of(*small).empty());
}

TEST_F(Pipeline, Random_Scenes_Match_The_Reference_Across_Edge_Pool_Restarts) {
    // Scenes of 1 to 12 triangles, then one of 1600 whose edges pass 4096:
    // the edge pool grows on the first frame and after 4096 further edges,
    // and the edges filed before each restart leave nothing behind.
    std::mt19937 random(1234);
    for (int scene_number = 0; scene_number <= 40; ++scene_number) {
        faces_state.opaque.count = faces_state.translucent.count = 0;
        for (int i = 0, n = scene_number < 40 ? 1 + scene_number % 12 : 1600; i < n; ++i) {
            std::vector<Point> c;
            for (int k = 0; k < 3; ++k) c.push_back({(random() % 385) / 8.0f, (random() % 321) / 8.0f});
            const float cross = (c[1].x - c[0].x) * (c[2].y - c[0].y) - (c[1].y - c[0].y) * (c[2].x - c[0].x);
            if (cross == 0.0f) continue;
            if (cross > 0.0f) std::swap(c[1], c[2]);  // down the left side first
            Add_Face(c, 0.05f + 0.03f * ((i * 7919) % n), 0, 0, random() % 3 ? faces_state.opaque : faces_state.translucent);
        }
        Draw_Quietly(48, 40);
        ASSERT_EQ(pixels, Reference(48, 40)) << "scene " << scene_number;
    }
    EXPECT_GT(frame_state.edges.count, 4096);
    EXPECT_EQ(frame_state.edges.capacity, 8192);
    // The same scene again allocates nothing.
    for (Face_Pool* pool : {&faces_state.opaque, &faces_state.translucent})
        for (Prepared_Face& face : std::span(pool->records, pool->count)) face.first_span = -1;
    Log().Reset();
    Draw_Quietly(48, 40);
    EXPECT_TRUE(Log().calls.empty());
}

// --- translucent ordering ---

TEST_F(Pipeline, Translucent_Order_For_Every_Pass_Count) {
    const auto sorted = [this](const std::vector<std::int32_t>& keys) {
        faces_state.translucent.count = 0;
        for (std::int32_t key : keys) Add_Face({}, 0, 0, 0, faces_state.translucent)->sort_depth = key;
        Sort_Translucent_Faces(faces_state.translucent.records, faces_state.translucent.count);
        return std::vector<std::int32_t>(faces_state.sort.face_index, faces_state.sort.face_index + keys.size());
    };
    EXPECT_EQ(sorted({300, 5, 300, 7}), (std::vector<std::int32_t>{1, 3, 0, 2}));
    EXPECT_EQ(sorted({0x02000001, 0x01000002, 0x01000001, 0x7F000000}), (std::vector<std::int32_t>{2, 1, 0, 3}));
    // The passes follow the largest key: keys are compared by as many low
    // bytes as it needs (-1 is byte 0xFF in one pass). Few distinct keys: many ties.
    std::mt19937 random(7);
    for (int trial = 0; trial < 20; ++trial) {
        const std::uint32_t largest = std::array{200u, 60000u, 16000000u, 2000000000u}[trial % 4];
        const std::uint32_t mask = largest <= 0xFF ? 0xFF : largest <= 0xFFFF ? 0xFFFF : largest <= 0xFFFFFF ? 0xFFFFFF : ~0u;
        std::vector<std::int32_t> keys(1 + random() % 700), order(keys.size());
        for (std::int32_t& key : keys) key = static_cast<std::int32_t>(random() % 16 * (largest / 15) - random() % 2);
        keys[0] = static_cast<std::int32_t>(largest);
        std::iota(order.begin(), order.end(), 0);
        std::stable_sort(order.begin(), order.end(), [&](int a, int b) { return (keys[a] & mask) < (keys[b] & mask); });
        ASSERT_EQ(sorted(keys), order) << "largest " << largest << ", " << keys.size() << " faces";
    }
}

// --- the driver ---

TEST_F(Pipeline, Result_Codes_And_Frames_That_Draw_Nothing) {
    static int prepare_calls = 0;
    Camera_Operations operations{.prepare = [](void*, Host_Scene*) { ++prepare_calls; }};
    Host_Camera_Object camera_object{.operations = &operations};
    Make_Buffer(4);
    Add_Face(Rect(1, 1, 5, 3), 0.5f);
    Add_Face(Rect(0, 0, 2, 2), 0.5f, 0, 0, faces_state.overlay);
    // Without a camera object nothing happens, not even the list resets.
    EXPECT_EQ(Quorvel_Render_Dll(&scene, buffer, 0, clear_flag), 0);
    EXPECT_EQ(faces_state.overlay.count, 1);
    // A failed edge pool: result 2, not even the background is cleared.
    Log().fail_call = Log().allocation_calls + 1;
    EXPECT_EQ(Draw_Face_Lists(&scene, buffer, 0, clear_flag), 2);
    Check_Buffer();
    // The next frame grows the pool and draws; the result is the overlay count.
    EXPECT_EQ(Draw_Face_Lists(&scene, buffer, 0, clear_flag), 1);
    Expect_Rect(0, 0, 8, 4, 0);
    Expect_Rect(1, 1, 5, 3, material.flat_colour);
    Check_Buffer();
    // Viewports outside the line tables, the row or the 16.16 range.
    scene.camera_object = &camera_object;
    for (const auto& [left, top, right, bottom, pitch] : std::vector<std::tuple<float, float, float, float, int>>{
             {0, -1, 8, 4, 8}, {0, 0, 8, 4097, 8}, {NAN, 0, 8, 4, 8}, {0, 0, 8, NAN, 8}, {0, 0, INFINITY, 4, 8},
             {-1, 0, 8, 4, 8}, {0, 0, 9, 4, 8}, {5, 0, 4, 4, 8}, {0, 3, 8, 2, 8}, {0, 0, 32768, 4, 40000}}) {
        Set_Viewport(left, top, right, bottom, pitch);
        EXPECT_EQ(Quorvel_Render_Dll(&scene, buffer, 0, clear_flag), 0) << left << " " << top << " " << right << " " << bottom;
    }
    EXPECT_EQ(prepare_calls, 10);
    scene.pitch = 8;
    Check_Buffer();
}

TEST_F(Pipeline, Background_Clear_Is_Exact_At_Odd_Addresses_And_Odd_Lengths) {
    for (int n = 0; n < 20; ++n) {  // both address parities, both column parities, five widths
        const int offset = n % 2, left = 3 + n / 2 % 2, width = std::array{1, 2, 5, 6, 11}[n / 4];
        SCOPED_TRACE(testing::Message() << "offset " << offset << ", left " << left << ", width " << width);
        faces_state.opaque.count = 0;
        Set_Viewport(left + 0.7f, 1.2f, left + width + 0.9f, 4.5f, 20);  // bounds truncate
        Make_Buffer(5, offset);
        Expect_Rect(left, 1, left + width, 4, 0);
        // A face in the middle of line 2 splits the background there into
        // runs that start and end at both parities.
        if (width > 5) Add_Face(Rect(left + 2, 2, left + 3, 3), 0.5f);
        if (width > 5) Expect_Rect(left + 2, 2, left + 3, 3, material.flat_colour);
        ASSERT_EQ(Draw_Face_Lists(&scene, buffer, 0, clear_flag | 0xFFFF0000u), 0);
        Check_Buffer();
    }
}

TEST_F(Pipeline, Fillers_Run_Opaque_In_List_Order_Then_Each_Sorted_List_Farthest_First) {
    using Fill_Call = std::tuple<const Prepared_Face*, std::uint16_t*, std::uint32_t, std::int32_t>;
    static std::vector<Fill_Call> calls;
    quiet_row.fill = [](Prepared_Face* face, std::uint16_t* frame_buffer, std::uint32_t pass, std::int32_t pitch) {
        calls.emplace_back(face, frame_buffer, pass, pitch);
    };
    material_data.row = &quiet_row;
    Set_Viewport(0, 0, 16, 4, 16);
    Make_Buffer(4);
    std::vector<Prepared_Face*> faces;  // side by side, with these lists and sort keys
    for (const auto& [pool, sort_depth] : std::vector<std::pair<Face_Pool*, int>>{
             {&faces_state.opaque, 0}, {&faces_state.opaque, 0}, {&faces_state.translucent, 10}, {&faces_state.translucent, 20},
             {&faces_state.translucent, 10}, {&faces_state.overlay, 1}, {&faces_state.overlay, 400}}) {
        const float x = 2.0f * static_cast<float>(faces.size());
        faces.push_back(Add_Face(Rect(x, 0, x + 2, 2), 0.5f, 0, 0, *pool));
        faces.back()->sort_depth = sort_depth;
    }
    EXPECT_EQ(Draw_Face_Lists(&scene, buffer, 0xDEADBEEF, 0), 2) << "the overlay count";
    // Among equal keys the face appended later is drawn first.
    std::vector<Fill_Call> expected_calls;
    for (int i : {0, 1, 3, 4, 2, 6, 5}) expected_calls.emplace_back(faces[i], buffer, 0xDEADBEEFu, 16);
    EXPECT_EQ(calls, expected_calls);
    EXPECT_EQ(faces[6]->first_span, -1) << "overlay faces get no spans";
}

TEST_F(Pipeline, Failed_Span_Pool_Growth_Draws_The_Spans_That_Exist) {
    // Three spans per line: the first 4096 spans fill 1365 lines and the
    // first run of the next; nothing below it is drawn.
    Set_Viewport(0, 0, 8, 2000, 8);
    Make_Buffer(2000);
    Add_Face(Rect(3, 0, 5, 2000), 0.5f);
    Log().fail_call = Log().allocation_calls + 3;  // edge pool, span pool to 4096, then the second span growth
    EXPECT_EQ(Draw_Face_Lists(&scene, buffer, 0, clear_flag), 0);
    Expect_Rect(0, 0, 8, 4096 / 3, 0);
    Expect_Rect(3, 0, 5, 4096 / 3, material.flat_colour);
    Expect_Rect(0, 4096 / 3, 3, 4096 / 3 + 1, 0);
    Check_Buffer();
}

}  // namespace
