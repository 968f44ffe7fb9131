// The span buffer through its internal API: faces built by hand, edges filed,
// one scan pass, and every face's chain compared with spans worked out from
// the rules (by hand, or by a per-pixel reference below).
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <limits>
#include <map>
#include <random>
#include <vector>

#include "frame/support/frame_test.h"

namespace {

using frame_test::Chain_Of;
using frame_test::Point;
using frame_test::Rect;
using frame_test::Strip;

class Span_Buffer : public frame_test::Frame_Test {};

// Every pixel of the scan as the set of surfaces whose spans hold it.
using Owners = std::map<std::pair<int, int>, std::vector<const void*>>;  // (y, x) -> surfaces

void Add_Owner(Owners& owners, const void* surface, const std::vector<Strip>& runs) {
    for (const Strip& run : runs)
        for (int x = run.x; x < run.x + run.length; ++x) owners[{run.y, x}].push_back(surface);
}

void Sort_Owners(Owners& owners) {
    for (auto& [pixel, surfaces] : owners) std::sort(surfaces.begin(), surfaces.end());
}

TEST_F(Span_Buffer, Worked_Example_Gives_Every_Span_Of_Face_And_Background) {
    Prepared_Face* face = Opaque({{2, 0}, {2, 4}, {6, 4}}, 1.0f);
    ASSERT_EQ(Run_Span_Buffer(), 2);  // the first face of the first frame grows the pool
    EXPECT_EQ(frame_state.edges.count, 2) << "the horizontal side makes no edge";
    // Last line first, right to left within a line.
    EXPECT_EQ(Chain_Of(*face), (std::vector<Strip>{{3, 2, 3}, {2, 2, 2}, {1, 2, 1}}));
    EXPECT_EQ(Background_Chain(), (std::vector<Strip>{{3, 5, 3},
                                                    {3, 0, 2},
                                                    {2, 4, 4},
                                                    {2, 0, 2},
                                                    {1, 3, 5},
                                                    {1, 0, 2},
                                                    {0, 0, 8}}));
}

TEST_F(Span_Buffer, Clockwise_Face_Gives_No_Spans) {
    Prepared_Face* face = Opaque({{2, 0}, {6, 4}, {2, 4}}, 1.0f);
    ASSERT_GT(Run_Span_Buffer(), 0);
    EXPECT_TRUE(Chain_Of(*face).empty());
    EXPECT_EQ(Background_Chain(), (std::vector<Strip>{{3, 0, 8}, {2, 0, 8}, {1, 0, 8}, {0, 0, 8}}));
}

TEST_F(Span_Buffer, Empty_Scene_Gives_One_Background_Span_Per_Line_Of_The_Truncated_Viewport) {
    Set_Viewport(1.5f, 0.7f, 7.9f, 3.2f, 8);
    ASSERT_GT(Run_Span_Buffer(), 0);
    EXPECT_EQ(Background_Chain(), (std::vector<Strip>{{2, 1, 6}, {1, 1, 6}, {0, 1, 6}}));
}

TEST_F(Span_Buffer, Abutting_Faces_Share_No_Pixel_And_Leave_No_Gap) {
    Set_Viewport(0, 0, 32, 32, 32);
    // A quad split along its diagonal (4,2)-(28,29): together the halves must
    // cover exactly what the whole quad covers, each pixel once.
    Prepared_Face* whole = Opaque({{4, 2}, {5, 30}, {28, 29}, {26, 3}}, 0.5f);
    ASSERT_GT(Run_Span_Buffer(), 0);
    Owners expected;
    Add_Owner(expected, nullptr, Chain_Of(*whole));
    ASSERT_GT(expected.size(), 300u);

    faces_state.opaque.count = 0;
    Prepared_Face* lower = Opaque({{4, 2}, {5, 30}, {28, 29}}, 0.5f);
    Prepared_Face* upper = Opaque({{4, 2}, {28, 29}, {26, 3}}, 0.5f);
    ASSERT_GT(Run_Span_Buffer(), 0);
    Owners halves;
    Add_Owner(halves, nullptr, Chain_Of(*lower));
    Add_Owner(halves, nullptr, Chain_Of(*upper));
    EXPECT_EQ(halves, expected);  // a pixel in both halves would appear twice
    EXPECT_FALSE(Chain_Of(*lower).empty());
    EXPECT_FALSE(Chain_Of(*upper).empty());
}

TEST_F(Span_Buffer, Translucent_Face_In_Front_Hides_Nothing) {
    Set_Viewport(0, 0, 16, 8, 16);
    Prepared_Face* opaque = Opaque(Rect(2, 1, 12, 7), 0.5f);
    Prepared_Face* glass = Translucent(Rect(6, 3, 14, 5), 0.9f);  // nearer: larger 1/z
    ASSERT_GT(Run_Span_Buffer(), 0);
    std::vector<Strip> opaque_expected, glass_expected;
    for (int y = 6; y >= 1; --y) opaque_expected.push_back({y, 2, 10});
    for (int y = 4; y >= 3; --y) glass_expected.push_back({y, 6, 8});
    EXPECT_EQ(Chain_Of(*opaque), opaque_expected);
    EXPECT_EQ(Chain_Of(*glass), glass_expected);
    // Beneath the glass right of the opaque face lies background, which the
    // clear must reach before the glass blends over it.
    EXPECT_EQ(Background_Chain()[0], (Strip{7, 0, 16}));
    EXPECT_EQ(Background_Chain()[1], (Strip{6, 12, 4}));
}

TEST_F(Span_Buffer, Translucent_Face_Behind_Is_Cut_Where_The_Opaque_Face_Covers_It) {
    Set_Viewport(0, 0, 16, 8, 16);
    Prepared_Face* glass = Translucent(Rect(1, 2, 15, 4), 0.2f);
    Prepared_Face* opaque = Opaque(Rect(5, 0, 9, 8), 0.5f);
    ASSERT_GT(Run_Span_Buffer(), 0);
    EXPECT_EQ(Chain_Of(*glass), (std::vector<Strip>{{3, 9, 6}, {3, 1, 4}, {2, 9, 6}, {2, 1, 4}}));
    EXPECT_EQ(Chain_Of(*opaque).size(), 8u);
}

TEST_F(Span_Buffer, Face_Entered_Later_On_A_Line_Wins_An_Exact_Tie) {
    Set_Viewport(0, 0, 16, 4, 16);
    // Equal sloped planes: the depths differ along the line but are equal
    // for both faces wherever either is entered.
    Prepared_Face* left = Opaque(Rect(2, 0, 10, 4), 0.3f, 0.0123f, 0.0457f);
    Prepared_Face* right = Opaque(Rect(5, 0, 14, 4), 0.3f, 0.0123f, 0.0457f);
    ASSERT_GT(Run_Span_Buffer(), 0);
    EXPECT_EQ(Chain_Of(*left)[0], (Strip{3, 2, 3}));
    EXPECT_EQ(Chain_Of(*right)[0], (Strip{3, 5, 9}));

    // List order does not matter: the face entered later on the line wins.
    faces_state.opaque.count = 0;
    Prepared_Face* first_listed = Opaque(Rect(6, 0, 14, 4), 0.3f, 0.0123f, 0.0457f);
    Prepared_Face* second_listed = Opaque(Rect(2, 0, 9, 4), 0.3f, 0.0123f, 0.0457f);
    ASSERT_GT(Run_Span_Buffer(), 0);
    EXPECT_EQ(Chain_Of(*first_listed)[0], (Strip{3, 6, 8}));
    EXPECT_EQ(Chain_Of(*second_listed)[0], (Strip{3, 2, 4}));
}

TEST_F(Span_Buffer, Depth_Is_Decided_Where_A_Face_Is_Entered) {
    Set_Viewport(0, 0, 16, 2, 16);
    // The planes cross at x = 8: the first face is nearer on the left.
    Prepared_Face* a = Opaque(Rect(0, 0, 16, 2), 1.0f, -0.05f);  // 1/z = 1 - 0.05 x
    Prepared_Face* b = Opaque(Rect(4, 0, 12, 2), 0.6f);          // 1/z = 0.6 -> a nearer until x = 8
    ASSERT_GT(Run_Span_Buffer(), 0);
    // b is entered at x = 4, where a (0.75 at the pixel right of it) is nearer:
    // b stays hidden for the rest of the line, as the buffer decides depth only
    // where a face is entered.
    EXPECT_TRUE(Chain_Of(*b).empty());
    EXPECT_EQ(Chain_Of(*a)[0], (Strip{1, 0, 16}));
}

// Per-pixel reference, written from the edge rules: a convex face covers
// columns [x_enter >> 16, x_leave >> 16) of line y, with each edge's x
// stepped in 16.16 from its upper vertex. With constant depths, a pixel
// belongs to the nearest opaque face covering it (or the background) and to
// every translucent face covering it that no nearer opaque face covers.
struct Reference_Face {
    std::vector<Point> corners;
    float depth;
    bool opaque;
};

bool Covers(const Reference_Face& face, int y, int column) {
    long long enter = std::numeric_limits<long long>::max(), leave = std::numeric_limits<long long>::min();
    const std::size_t n = face.corners.size();
    for (std::size_t a = 0; a < n; ++a) {
        const Point& p = face.corners[a];
        const Point& q = face.corners[(a + 1) % n];
        const int ya = static_cast<int>(std::trunc(p.y)), yb = static_cast<int>(std::trunc(q.y));
        const int dy = yb - ya;
        if (dy == 0) continue;
        const int top = std::min(ya, yb), last = std::max(ya, yb) - 1;
        if (y < top || y > last) continue;
        const Point& upper = dy > 0 ? p : q;
        const long long x0 = static_cast<long long>(std::trunc(upper.x * 65536.0));
        const long long dx = static_cast<long long>(std::trunc(static_cast<double>(q.x - p.x) * 65536.0 * (1.0 / dy)));
        const long long x = x0 + (y - top) * dx;
        const long long pixel = x >= 0 ? x / 65536 : -((-x + 65535) / 65536);
        (dy > 0 ? enter : leave) = pixel;
    }
    return enter <= column && column < leave;
}

TEST_F(Span_Buffer, Random_Scenes_Match_The_Per_Pixel_Reference) {
    constexpr int width = 48, height = 40;
    Set_Viewport(0, 0, width, height, width);
    std::mt19937 random(1234);
    std::uniform_int_distribution<int> coordinate_x(0, width * 8), coordinate_y(0, height * 8);
    for (int scene_number = 0; scene_number < 40; ++scene_number) {
        faces_state.opaque.count = faces_state.translucent.count = 0;
        std::vector<Reference_Face> reference;
        std::vector<Prepared_Face*> faces;
        const int face_count = 1 + scene_number % 12;
        std::vector<float> depths;
        for (int i = 0; i < face_count; ++i) depths.push_back(0.05f + 0.03f * i);
        std::shuffle(depths.begin(), depths.end(), random);
        for (int i = 0; i < face_count; ++i) {
            std::vector<Point> corners;
            for (int k = 0; k < 3; ++k) corners.push_back({coordinate_x(random) / 8.0f, coordinate_y(random) / 8.0f});
            const float cross = (corners[1].x - corners[0].x) * (corners[2].y - corners[0].y) -
                                (corners[1].y - corners[0].y) * (corners[2].x - corners[0].x);
            if (cross == 0.0f) continue;
            if (cross > 0.0f) std::swap(corners[1], corners[2]);  // down the left side first
            const bool opaque = random() % 3 != 0;
            reference.push_back({corners, depths[i], opaque});
            faces.push_back(opaque ? Opaque(corners, depths[i]) : Translucent(corners, depths[i]));
        }
        ASSERT_GT(Run_Span_Buffer(), 0);

        Owners actual, expected;
        for (std::size_t i = 0; i < faces.size(); ++i) {
            const std::vector<Strip> chain = Chain_Of(*faces[i]);
            Add_Owner(actual, faces[i], chain);
            for (std::size_t k = 1; k < chain.size(); ++k) {
                const bool earlier_line_or_left = chain[k].y < chain[k - 1].y ||
                                                  (chain[k].y == chain[k - 1].y && chain[k].x < chain[k - 1].x);
                EXPECT_TRUE(earlier_line_or_left) << "chains list spans from the last line back, right to left";
            }
        }
        Add_Owner(actual, &sentinels.background, Background_Chain());
        for (int y = 0; y < height; ++y) {
            for (int x = 0; x < width; ++x) {
                float nearest_opaque = -1.0f;
                const void* opaque_owner = &sentinels.background;
                for (std::size_t i = 0; i < reference.size(); ++i) {
                    if (reference[i].opaque && reference[i].depth > nearest_opaque && Covers(reference[i], y, x)) {
                        nearest_opaque = reference[i].depth;
                        opaque_owner = faces[i];
                    }
                }
                expected[{y, x}].push_back(opaque_owner);
                for (std::size_t i = 0; i < reference.size(); ++i) {
                    if (!reference[i].opaque && reference[i].depth > nearest_opaque && Covers(reference[i], y, x))
                        expected[{y, x}].push_back(faces[i]);
                }
            }
        }
        Sort_Owners(actual);
        Sort_Owners(expected);
        ASSERT_EQ(actual, expected) << "scene " << scene_number;
    }
}

TEST_F(Span_Buffer, Edge_Pool_Grows_On_The_First_Frame_And_Once_Per_4096_Further_Edges) {
    // 1400 triangles of three edges each, one per 8 x 8 cell: 4200 edges.
    Set_Viewport(0, 0, 320, 280, 320);
    for (int row = 0; row < 35; ++row)
        for (int column = 0; column < 40; ++column) {
            const float x = column * 8.0f, y = row * 8.0f;
            ASSERT_NE(Opaque({{x + 1, y + 1}, {x + 2, y + 7}, {x + 7, y + 4}}, 0.5f), nullptr);
        }
    Log().Reset();
    ASSERT_EQ(Run_Span_Buffer(), 3) << "restart at the first edge and at edge 4097";
    EXPECT_EQ(Growth_Of(frame_state.edges.records),
              (std::vector<std::uint32_t>{4096 * sizeof(Edge), 8192 * sizeof(Edge)}));
    EXPECT_EQ(frame_state.edges.capacity, 8192);
    EXPECT_EQ(frame_state.edges.count, 4200);

    // Every triangle gets the first one's spans, moved to its cell: the edges
    // filed before each restart left nothing behind.
    const std::vector<Strip> first = Chain_Of(faces_state.opaque.records[0]);
    ASSERT_FALSE(first.empty());
    for (int i = 0; i < 1400; ++i) {
        std::vector<Strip> moved = first;
        for (Strip& run : moved) {
            run.x += (i % 40) * 8;
            run.y += (i / 40) * 8;
        }
        ASSERT_EQ(Chain_Of(faces_state.opaque.records[i]), moved) << "triangle " << i;
    }

    // A steady scene allocates nothing.
    for (int i = 0; i < 1400; ++i) faces_state.opaque.records[i].first_span = -1;
    Log().Reset();
    EXPECT_EQ(Run_Span_Buffer(), 1);
    EXPECT_TRUE(Log().calls.empty());
}

TEST_F(Span_Buffer, Failed_Edge_Pool_Growth_Keeps_The_Pool_As_It_Was) {
    Opaque({{2, 0}, {2, 4}, {6, 4}}, 1.0f);
    Fail_Call_After(1);
    EXPECT_EQ(Run_Span_Buffer(), -1);
    EXPECT_EQ(frame_state.edges.records, nullptr);
    EXPECT_EQ(frame_state.edges.capacity, 0);
    // The next frame tries again.
    EXPECT_EQ(Run_Span_Buffer(), 2);
    EXPECT_EQ(frame_state.edges.capacity, 4096);
}

TEST_F(Span_Buffer, Failed_Span_Pool_Growth_Ends_The_Pass_With_The_Spans_So_Far) {
    // Three spans per line (background, face, background): the pool's 4096
    // spans end in the middle of line 4096 / 3.
    Set_Viewport(0, 0, 8, 2000, 8);
    Prepared_Face* face = Opaque(Rect(3, 0, 5, 2000), 0.5f);
    ASSERT_GT(Run_Span_Buffer(), 0);  // grows the span pool to 4096 and beyond
    ASSERT_GT(frame_state.spans.capacity, 4096);
    Release_Span_Buffer();
    face->first_span = -1;

    Log().Reset();
    Fail_Call_After(3);  // edge pool, span pool to 4096, then the second span growth
    ASSERT_GT(Run_Span_Buffer(), 0);
    EXPECT_EQ(frame_state.spans.capacity, 4096);
    EXPECT_EQ(frame_state.spans.count, 4096);
    const int full_lines = 4096 / 3;
    const std::vector<Strip> face_chain = Chain_Of(*face);
    ASSERT_EQ(face_chain.size(), static_cast<std::size_t>(full_lines));
    EXPECT_EQ(face_chain.front(), (Strip{full_lines - 1, 3, 2}));
    const std::vector<Strip> background = Background_Chain();
    ASSERT_EQ(background.size(), static_cast<std::size_t>(2 * full_lines + 1));
    EXPECT_EQ(background.front(), (Strip{full_lines, 0, 3})) << "the run closed before the failure stays";
}

TEST_F(Span_Buffer, Edges_Beyond_The_Viewport_Are_Cut_To_It) {
    // A host whose vertices stray outside the viewport: the spans still stay in it.
    Opaque(Rect(4, -3, 20, 6), 0.5f);
    ASSERT_GT(Run_Span_Buffer(), 0);
    EXPECT_EQ(Chain_Of(faces_state.opaque.records[0]),
              (std::vector<Strip>{{3, 4, 4}, {2, 4, 4}, {1, 4, 4}, {0, 4, 4}}));
    EXPECT_EQ(Background_Chain()[0], (Strip{3, 0, 4}));
}

TEST_F(Span_Buffer, Garbage_Vertices_Never_Give_Spans_Outside_The_Viewport) {
    Set_Viewport(3, 2, 40, 30, 64);
    const float nan = std::numeric_limits<float>::quiet_NaN(), inf = std::numeric_limits<float>::infinity();
    const std::vector<float> values = {nan, inf, -inf, 1e30f, -1e30f, -5.0f, 2.5f, 17.0f, 39.9f, 4095.0f, 70000.0f};
    std::mt19937 random(99);
    for (int i = 0; i < 60; ++i) {
        std::vector<Point> corners;
        for (int k = 0; k < 3 + i % 4; ++k)
            corners.push_back({values[random() % values.size()], values[random() % values.size()]});
        const float depth = values[random() % values.size()];
        if (i % 2 == 0) {
            Opaque(corners, depth, values[random() % values.size()]);
        } else {
            Translucent(corners, depth, 0.0f, values[random() % values.size()]);
        }
    }
    ASSERT_GT(Run_Span_Buffer(), 0);
    std::vector<std::vector<Strip>> chains = {Background_Chain()};
    for (std::int32_t i = 0; i < faces_state.opaque.count; ++i) chains.push_back(Chain_Of(faces_state.opaque.records[i]));
    for (std::int32_t i = 0; i < faces_state.translucent.count; ++i)
        chains.push_back(Chain_Of(faces_state.translucent.records[i]));
    for (const std::vector<Strip>& chain : chains)
        for (const Strip& run : chain) {
            EXPECT_GE(run.length, 1);
            EXPECT_GE(run.x, 3);
            EXPECT_LE(run.x + run.length, 40);
            EXPECT_GE(run.y, 2);
            EXPECT_LT(run.y, 30);
        }
}

}  // namespace
