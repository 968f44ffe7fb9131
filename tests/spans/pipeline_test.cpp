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
#include <cmath>
#include <random>
#include <set>
#include <span>
#include <tuple>

#include "base/numbers.h"
#include "core/services.h"
#include "module/module.h"
#include "quorvel/quorvel_soft.h"
#include "spans/spans.h"
#include "support/recording_memory.h"

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
        runs.push_back(
            {frame_state.spans.records[i].y, frame_state.spans.records[i].x, frame_state.spans.records[i].length});
    return runs;
}

// Per-pixel reference: a convex face covers columns [x_enter >> 16,
// x_leave >> 16) of line y, each edge's x stepped in 16.16 from its upper vertex.
bool Covers(const Prepared_Face& face, int y, int column) {
    long long enter = 1LL << 40, leave = -(1LL << 40);
    for (std::int32_t a = 0, b = 1; a < face.vertex_count; ++a, b = (a + 1) % face.vertex_count) {
        const int ya = static_cast<int>(std::trunc(face.y[a])), yb = static_cast<int>(std::trunc(face.y[b])),
                  dy = yb - ya;
        if (dy == 0 || y < std::min(ya, yb) || y >= std::max(ya, yb)) continue;
        const long long x0 = static_cast<long long>(
                            std::trunc(face.x[dy > 0 ? a : b] * 65536.0)),  // at the upper vertex
            dx = static_cast<long long>(std::trunc(static_cast<double>(face.x[b] - face.x[a]) * 65536.0 * (1.0 / dy)));
        (dy > 0 ? enter : leave) = static_cast<long long>(std::floor((x0 + (y - std::min(ya, yb)) * dx) / 65536.0));
    }
    return enter <= column && column < leave;
}

using Pixels = std::multiset<std::tuple<int, int, const Prepared_Face*>>;  // (y, x, owner; null = background)
std::span<Prepared_Face> Faces(const Face_Pool& pool) { return {pool.records, static_cast<std::size_t>(pool.count)}; }

// With constant depths a pixel belongs to the nearest opaque face covering it
// (or the background), and to every translucent face covering it that no
// nearer opaque face covers.
Pixels Reference(int width, int height, int left = 0) {
    Pixels reference;
    for (int y = 0; y < height; ++y) {
        for (int x = left; x < left + width; ++x) {
            const Prepared_Face* nearest = nullptr;
            for (const Prepared_Face& face : Faces(faces_state.opaque))
                if (Covers(face, y, x) && (!nearest || face.depth_0 > nearest->depth_0)) nearest = &face;
            reference.insert({y, x, nearest});
            for (const Prepared_Face& face : Faces(faces_state.translucent))
                if (Covers(face, y, x) && (!nearest || face.depth_0 > nearest->depth_0))
                    reference.insert({y, x, &face});
        }
    }
    return reference;
}

class Pipeline : public ::testing::Test {
protected:
    Pipeline() {
        quorvel_test::Use_Recording_Memory(*services);
        interface_state.services = services.Record();
        Fill_Dispatch_Rows();
        faces_state.opaque.count = faces_state.translucent.count = faces_state.overlay.count = 0;
        Log().Reset();
        Set_Viewport(0, 0, 8, 4, 8);
    }
    ~Pipeline() override {  // every test starts from empty pools
        Release_Face_Pools();
        Release_Span_Buffer();
        interface_state.services = nullptr;
    }
    void Set_Viewport(float left, float top, float right, float bottom, std::int32_t pitch) {
        std::tie(scene.clip_left, scene.clip_top, camera.clip_right, camera.clip_bottom, scene.pitch) =
            std::tuple(left, top, right, bottom, pitch);
    }
    // A face as setup leaves it, with 1/z = depth_0 + depth_dx * x + depth_dy * y.
    Prepared_Face* Add_Face(const std::vector<Point>& corners, float depth_0, float depth_dx = 0, float depth_dy = 0,
                            Face_Pool& pool = faces_state.opaque) {
        Prepared_Face* face = Reserve_Face(pool);
        *face = {.depth_dx = depth_dx,
                 .depth_dy = depth_dy,
                 .depth_0 = depth_0,
                 .opaque = &pool == &faces_state.opaque,
                 .visible = 1,
                 .first_span = -1,
                 .vertex_count = static_cast<std::int32_t>(corners.size()),
                 .material = &material};
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
    std::uint16_t& Pixel(std::vector<std::uint16_t>& from, int x, int y) {
        return from[static_cast<std::size_t>(buffer - storage.data() + y * scene.pitch + x)];
    }
    void Expect_Rect(int x0, int y0, int x1, int y1, std::uint16_t value) {
        for (int y = y0; y < y1; ++y)
            for (int x = x0; x < x1; ++x) Pixel(expected, x, y) = value;
    }
    // The whole allocation, guard pixels included, naming the first difference.
    void Check_Buffer() {
        EXPECT_TRUE(storage == expected) << "differs at "
                                         << std::mismatch(storage.begin(), storage.end(), expected.begin()).first -
                                                storage.begin();
    }

    // Draws the lists with the background cleared and quiet faces into a
    // viewport of columns left .. left + width - 1 with guard pixels beside
    // it (the first pixel at an odd address when offset is 1); every pixel
    // of the face chains, and every cleared pixel, in `pixels`.
    void Draw_Quietly(int width, int height, int left = 0, int offset = 0) {
        Set_Viewport(static_cast<float>(left), 0, static_cast<float>(left + width), static_cast<float>(height),
                     left + width + 2);
        Make_Buffer(height, offset);
        material_data.row = &quiet_row;
        ASSERT_EQ(Draw_Face_Lists(&scene, buffer, 0, clear_flag), 0);
        pixels.clear();
        for (Face_Pool* pool : {&faces_state.opaque, &faces_state.translucent})
            for (const Prepared_Face& face : Faces(*pool))
                for (const std::vector<std::int32_t>& run : Chain_Of(face))
                    for (int x = run[1]; x < run[1] + run[2]; ++x) pixels.insert({run[0], x, &face});
        std::vector<std::uint16_t> outside = storage;
        for (int y = 0; y < height; ++y) {
            for (int x = left; x < left + width; ++x) {
                if (Pixel(storage, x, y) == 0) pixels.insert({y, x, nullptr});
                Pixel(outside, x, y) = guard;
            }
        }
        EXPECT_TRUE(outside == std::vector<std::uint16_t>(outside.size(), guard)) << "written beside the viewport";
    }
    static quorvel_test::Memory_Log& Log() { return quorvel_test::Memory(); }

    quorvel_host::Services services{16, 16};
    Host_Camera camera{};
    Host_Scene scene{.camera = &camera};
    Material_Render_Data material_data{Row(Row_Flat)};  // every face's material
    Host_Material material{.flat_colour = 0x1234, .render_data = &material_data};
    Dispatch_Row quiet_row{
        .fill = [](Prepared_Face*, std::uint16_t*, std::uint32_t, std::int32_t) {}};  // draws nothing
    std::vector<std::uint16_t> storage, expected;
    std::uint16_t* buffer = nullptr;
    Pixels pixels;
};

// --- the span buffer ---

TEST_F(Pipeline, Worked_Example) {
    Prepared_Face* face = Add_Face({{2, 0}, {2, 4}, {6, 4}}, 1.0f);
    Draw_Quietly(8, 4);
    EXPECT_EQ(frame_state.edges.count, 2) << "the horizontal side makes no edge";
    EXPECT_EQ(Chain_Of(*face), (Strips{{3, 2, 3}, {2, 2, 2}, {1, 2, 1}}));  // last line first, right to left
    EXPECT_EQ(pixels, Reference(8, 4));
}

TEST_F(Pipeline, The_Face_Entered_Later_Wins_An_Exact_Tie) {
    // Equal sloped planes: the face listed first is entered later on each line.
    Prepared_Face* right = Add_Face(Rect(6, 0, 14, 2), 0.3f, 0.0123f, 0.0457f);
    Prepared_Face* left = Add_Face(Rect(2, 0, 9, 2), 0.3f, 0.0123f, 0.0457f);
    Draw_Quietly(16, 2);
    EXPECT_EQ(Chain_Of(*right), (Strips{{1, 6, 8}, {0, 6, 8}}));
    EXPECT_EQ(Chain_Of(*left), (Strips{{1, 2, 4}, {0, 2, 4}}));
}

TEST_F(Pipeline, Random_Scenes_Match_The_Reference_Across_Edge_Pool_Restarts) {
    // Scenes of 1 to 12 triangles, either way round (clockwise ones cover
    // nothing), every other one sharing an edge with the one before (an
    // abutting pair when they lie on both sides of it), in viewports starting at even and odd columns and addresses,
    // so the background clear meets runs of every length and alignment;
    // then one of 1600 triangles whose edges pass 4096: the edge pool grows
    // on the first frame and after 4096 further edges, and the edges filed
    // before each restart leave nothing behind.
    std::mt19937 random(1234);
    for (int scene_number = 0; scene_number <= 40; ++scene_number) {
        faces_state.opaque.count = faces_state.translucent.count = 0;
        std::vector<Point> c(3);
        for (int i = 0, n = scene_number < 40 ? 1 + scene_number % 12 : 1600; i < n; ++i) {
            if (i % 2 == 1) c = {c[1], c[0], c[2]};
            for (int k = i % 2 * 2; k < 3; ++k) c[k] = {(random() % 385) / 8.0f, (random() % 321) / 8.0f};
            if ((c[1].x - c[0].x) * (c[2].y - c[0].y) == (c[1].y - c[0].y) * (c[2].x - c[0].x)) continue;  // no area
            Add_Face(c, 0.05f + 0.03f * ((i * 7919) % n), 0, 0,
                     random() % 3 ? faces_state.opaque : faces_state.translucent);
        }
        Draw_Quietly(46, 40, scene_number % 3, scene_number % 2);
        ASSERT_EQ(pixels, Reference(46, 40, scene_number % 3)) << "scene " << scene_number;
    }
    EXPECT_GT(frame_state.edges.count, 4096);
    EXPECT_EQ(frame_state.edges.capacity, 8192);
}

TEST_F(Pipeline, New_Edges_Of_A_Line_Sorted_By_X_The_Later_Face_First_On_Ties) {
    // Faces of 1 to 6 corners on a coarse grid, so that many edges start on
    // one line at one x (a face's two sides from its top corner among them),
    // reaching above and below a viewport of lines 4 .. 35; a few of 17
    // corners file nothing. The reference files each edge before the first
    // one of its line at or right of its x, faces in list order.
    std::mt19937 random(99);
    Set_Viewport(0, 4.5f, 16, 36, 16);
    for (int i = 0; i < 3000; ++i) {
        std::vector<Point> corners(1 + i % 6);
        for (Point& p : corners) p = {(random() % 17) / 2.0f, (random() % 80) / 2.0f};
        Prepared_Face* face =
            Add_Face(corners, 0.5f, 0, 0, random() % 4 ? faces_state.opaque : faces_state.translucent);
        if (i % 97 == 0) face->vertex_count = 17;
    }
    using Filed = std::tuple<std::int32_t, const Prepared_Face*, std::int32_t>;  // x, face, entering
    std::vector<std::vector<Filed>> reference(36);
    for (Face_Pool* pool : {&faces_state.opaque, &faces_state.translucent}) {
        for (const Prepared_Face& face : Faces(*pool)) {
            for (int a = 0, n = face.vertex_count; a < n && n <= 16; ++a) {
                const int b = (a + 1) % n, dy = face.y_row[b] - face.y_row[a], upper = dy > 0 ? a : b;
                const int top = std::max(face.y_row[upper], 4),
                          last = std::min(face.y_row[upper] + std::abs(dy), 36) - 1;
                if (dy == 0 || top > last) continue;
                const auto dx = static_cast<std::int32_t>(std::trunc((face.x[b] - face.x[a]) * 65536.0 * (1.0 / dy)));
                const auto x =
                    static_cast<std::int32_t>(std::trunc(face.x[upper] * 65536.0)) + (top - face.y_row[upper]) * dx;
                std::vector<Filed>& line = reference[top];
                auto at = line.begin();
                while (at != line.end() && std::get<0>(*at) < x) ++at;
                line.insert(at, {x, &face, dy > 0});
            }
        }
    }
    Scan_Bounds bounds;
    ASSERT_TRUE(Read_Scan_Bounds(scene, bounds));
    Scan_Sentinels sentinels;
    Build_Sentinels(sentinels);
    ASSERT_TRUE(File_Frame_Edges(bounds, &sentinels.right));
    for (int y = 4; y < 36; ++y) {
        std::vector<Filed> filed;
        for (const Edge* edge = frame_state.new_edge_table[y].next; edge != &sentinels.right; edge = edge->next)
            filed.emplace_back(edge->x, edge->face, edge->entering);
        EXPECT_EQ(filed, reference[y]) << "line " << y;
    }
}

TEST_F(Pipeline, A_Line_Longer_Than_The_Sort_Arrays_Keeps_The_Order_Of_A_Shorter_One) {
    // Long lines are sorted through the face sort arrays (512 entries for up
    // to 512 faces), longer ones by the list: 200 triangles file 400 edges on
    // line 0, 400 file 800. Each triangle's two sides leave its top corner at
    // one of 9 columns, so ties within a face and across faces abound.
    std::mt19937 random(7);
    Set_Viewport(0, 0, 16, 4, 16);
    for (int triangles : {200, 400}) {
        faces_state.opaque.count = 0;
        using Filed = std::tuple<std::int32_t, const Prepared_Face*, std::int32_t>;  // x, face, entering
        std::vector<Filed> reference;
        for (int i = 0; i < triangles; ++i) {
            const float top = 2.0f + static_cast<float>(random() % 9);
            const Prepared_Face* face = Add_Face({{top, 0.5f}, {top - 1.5f, 3.5f}, {top + 1.5f, 3.5f}}, 0.5f);
            // Its first side enters, its last leaves; each goes before the
            // first edge filed at or right of its x.
            for (std::int32_t entering : {1, 0}) {
                const Filed edge{static_cast<std::int32_t>(top) << 16, face, entering};
                auto at = reference.begin();
                while (at != reference.end() && std::get<0>(*at) < std::get<0>(edge)) ++at;
                reference.insert(at, edge);
            }
        }
        Scan_Bounds bounds;
        ASSERT_TRUE(Read_Scan_Bounds(scene, bounds));
        Scan_Sentinels sentinels;
        Build_Sentinels(sentinels);
        ASSERT_TRUE(File_Frame_Edges(bounds, &sentinels.right));
        ASSERT_EQ(faces_state.sort.capacity, 512);
        std::vector<Filed> filed;
        for (const Edge* edge = frame_state.new_edge_table[0].next; edge != &sentinels.right; edge = edge->next)
            filed.emplace_back(edge->x, edge->face, edge->entering);
        EXPECT_EQ(filed, reference) << triangles << " triangles";
    }
}

TEST_F(Pipeline, Edge_Pool_Grows_In_Steps_Until_It_Held_The_Edges_Before_The_Last_Side) {
    // A pool is grown when a side finds it full, before looking at the side.
    // Right triangles file two edges, the second by their last side; a flat
    // triangle files none but has three sides; 17 corners are no sides.
    const auto right_triangles = [&](int count) {
        for (int i = 0; i < count; ++i) Add_Face({{0, 0}, {0, 1}, {1, 1}}, 0.5f);
    };
    const std::vector<Point> flat{{0, 1}, {1, 1}, {2, 1}};
    const std::uint32_t step = 4096 * sizeof(Edge);
    Scan_Bounds bounds;
    Scan_Sentinels sentinels;
    Build_Sentinels(sentinels);
    const auto reallocations = [&] {
        std::vector<std::uint32_t> sizes;
        for (const quorvel_test::Memory_Call& call : Log().calls)
            if (call.kind == quorvel_test::Memory_Call_Kind::Reallocate) sizes.push_back(call.size);
        Log().Reset();
        return sizes;
    };
    struct Case {
        const char* name;
        int triangles;
        bool flat_after, seventeen_after;
        std::vector<std::uint32_t> sizes;
    };
    for (const Case& c : std::vector<Case>{{"4095 edges before the last side", 2048, false, true, {step}},
                                           {"4096 edges before the flat triangle", 2048, true, false, {step, 2 * step}},
                                           {"no sides at all", 0, false, true, {}},
                                           {"8191 before the last side", 4096, false, false, {step, 2 * step}}}) {
        Release_Span_Buffer();
        Log().Reset();
        faces_state.opaque.count = 0;
        right_triangles(c.triangles);
        if (c.flat_after) Add_Face(flat, 0.5f);
        if (c.seventeen_after) Add_Face(flat, 0.5f)->vertex_count = 17;
        Set_Viewport(0, 0, 8, 4, 8);
        ASSERT_TRUE(Read_Scan_Bounds(scene, bounds));
        Log().Reset();
        EXPECT_TRUE(File_Frame_Edges(bounds, &sentinels.right)) << c.name;
        EXPECT_EQ(reallocations(), c.sizes) << c.name;
        EXPECT_EQ(frame_state.edges.count, 2 * c.triangles) << c.name;
        EXPECT_TRUE(File_Frame_Edges(bounds, &sentinels.right)) << c.name;
        EXPECT_EQ(reallocations(), std::vector<std::uint32_t>{}) << c.name << ": the next frame";
    }
    // A failed step keeps the pool; the next frame asks for that step again.
    Release_Span_Buffer();
    Log().Reset();
    Log().fail_call = 2;
    EXPECT_FALSE(File_Frame_Edges(bounds, &sentinels.right));
    EXPECT_EQ(frame_state.edges.capacity, 4096);
    EXPECT_EQ(reallocations(), (std::vector<std::uint32_t>{step, 2 * step}));
    EXPECT_TRUE(File_Frame_Edges(bounds, &sentinels.right));
    EXPECT_EQ(reallocations(), std::vector<std::uint32_t>{2 * step});
    EXPECT_EQ(frame_state.edges.count, 8192);
}

// --- translucent ordering ---

TEST_F(Pipeline, Translucent_Order_In_One_And_In_Four_Passes) {
    // The passes follow the largest key: keys are compared by as many low
    // bytes as it needs (-1 is byte 0xFF in one pass); equal keys keep list order.
    for (const auto& [keys, order] : std::vector<std::pair<std::vector<std::int32_t>, std::vector<std::int32_t>>>{
             {{300, 5, 300, 7}, {1, 3, 0, 2}},
             {{256, 255, 256}, {1, 0, 2}},
             {{65536, 65535}, {1, 0}},
             {{-1, 5, 200, 5}, {1, 3, 2, 0}},
             {{0x02000001, 0x01000002, 0x01000001, 0x7F000000, -1}, {2, 1, 0, 3, 4}}}) {
        faces_state.translucent.count = 0;
        for (std::int32_t key : keys) Add_Face({}, 0, 0, 0, faces_state.translucent)->sort_depth = key;
        Sort_Translucent_Faces(faces_state.translucent.records, faces_state.translucent.count);
        EXPECT_EQ(std::vector<std::int32_t>(faces_state.sort.face_index, faces_state.sort.face_index + keys.size()),
                  order);
    }
}

// --- the driver ---

TEST_F(Pipeline, Result_Codes_Refused_Viewports_And_Failed_Pools) {
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
    for (const auto& [left, top, right, bottom, pitch] :
         std::vector<std::tuple<float, float, float, float, int>>{{0, -1, 8, 4, 8},
                                                                  {0, 0, 8, 4097, 8},
                                                                  {NAN, 0, 8, 4, 8},
                                                                  {0, 0, 8, NAN, 8},
                                                                  {0, 0, INFINITY, 4, 8},
                                                                  {-1, 0, 8, 4, 8},
                                                                  {0, 0, 9, 4, 8},
                                                                  {5, 0, 4, 4, 8},
                                                                  {0, 3, 8, 2, 8},
                                                                  {0, 0, 32768, 4, 40000}}) {
        Set_Viewport(left, top, right, bottom, pitch);
        faces_state.opaque.records[0].first_span = -1;  // as setup leaves it
        EXPECT_EQ(Draw_Face_Lists(&scene, buffer, 0, clear_flag), 0)
            << left << " " << top << " " << right << " " << bottom;
    }
    scene.pitch = 8;
    Check_Buffer();
    // A failed span pool growth: the frame is drawn with the spans that
    // exist. Three spans per line: the 4096 spans the pool holds fill 1365
    // lines and the first run of the next; nothing below it is drawn.
    faces_state.opaque.count = faces_state.overlay.count = 0;
    Set_Viewport(0, 0, 8, 2000, 8);
    Make_Buffer(2000);
    Add_Face(Rect(3, 0, 5, 2000), 0.5f);
    Log().fail_call = Log().allocation_calls + 1;
    EXPECT_EQ(Draw_Face_Lists(&scene, buffer, 0, clear_flag), 0);
    Expect_Rect(0, 0, 8, 4096 / 3, 0);
    Expect_Rect(3, 0, 5, 4096 / 3, material.flat_colour);
    Expect_Rect(0, 4096 / 3, 3, 4096 / 3 + 1, 0);
    Check_Buffer();
}

TEST_F(Pipeline, Negative_Pitch_Draws_Row_Y_Pitch_Times_Y_Pixels_From_The_First_Row) {
    // A bottom-up buffer: the host passes its last row as the first and a
    // negative pitch. The worked triangle covers x = 2 .. 2 + y - 1 on line y;
    // the cleared rest is 0, and nothing above or below the block changes.
    Add_Face({{2, 0}, {2, 4}, {6, 4}}, 1.0f);
    Set_Viewport(0, 0, 8, 4, -8);
    std::vector<std::uint16_t> block(8 + 32 + 8, guard);
    ASSERT_EQ(Draw_Face_Lists(&scene, block.data() + 8 + 24, 0, clear_flag), 0);
    for (int y = 0; y < 4; ++y)
        for (int x = 0; x < 8; ++x) {
            const std::uint16_t colour = x >= 2 && x < 2 + y ? material.flat_colour : 0;
            EXPECT_EQ(block[static_cast<std::size_t>(8 + (3 - y) * 8 + x)], colour) << x << ", " << y;
        }
    for (int i : {0, 7, 40, 47}) EXPECT_EQ(block[static_cast<std::size_t>(i)], guard) << i;
}

TEST_F(Pipeline, Fillers_Run_Opaque_In_List_Order_Then_Each_Sorted_List_Farthest_First) {
    // Seven faces side by side; the filler notes each face's place, or -1
    // where the pass-through word and the pitch are not the frame's.
    static std::vector<int> calls;
    quiet_row.fill = [](Prepared_Face* face, std::uint16_t*, std::uint32_t pass, std::int32_t pitch) {
        calls.push_back(pass == 0xDEADBEEF && pitch == 16 ? Truncate_To_Int(face->x[0]) / 2 : -1);
    };
    material_data.row = &quiet_row;
    Set_Viewport(0, 0, 16, 4, 16);
    Make_Buffer(4);
    Face_Pool* const pools[] = {&faces_state.opaque,      &faces_state.opaque,      &faces_state.translucent,
                                &faces_state.translucent, &faces_state.translucent, &faces_state.overlay,
                                &faces_state.overlay};
    const std::int32_t sort_keys[] = {0, 0, 10, 20, 10, 1, 400};
    for (int i = 0; i < 7; ++i)
        Add_Face(Rect(2.0f * i, 0, 2.0f * i + 2, 2), 0.5f, 0, 0, *pools[i])->sort_depth = sort_keys[i];
    EXPECT_EQ(Draw_Face_Lists(&scene, buffer, 0xDEADBEEF, 0), 2) << "the overlay count";
    EXPECT_EQ(calls, (std::vector<int>{0, 1, 3, 4, 2, 6, 5})) << "among equal keys the face appended later first";
}

}  // namespace
