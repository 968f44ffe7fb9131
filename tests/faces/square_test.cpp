// The square members: a quad becomes a screen-aligned square around its
// projected centre, sized by its larger half extent, at its first corner's depth.
#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <vector>

#include "face_scene.h"

namespace face_test {
namespace {

// A quad placed by screen positions, each corner at its own depth.
Host_Face* Quad_On_Screen(Face_Scene& s, const float (&corners)[4][3]) {
    for (int i = 0; i < 4; ++i) s.Vertex_On_Screen(i, corners[i][0], corners[i][1], corners[i][2]);
    return s.Face({0, 1, 2, 3}, {{0.0f, 0.0f}, {0.0f, 1.0f}, {1.0f, 1.0f}, {1.0f, 0.0f}});
}

TEST(Square, Only_Quads_Are_Squared_And_Nothing_Is_Reserved_For_Others) {
    Face_Scene s(Row_Square);
    for (int i = 0; i < 5; ++i) s.Vertex(i, 0.1f * i, 0.2f * (i % 2), 5.0f + i);
    Setup_Face_Square(&s.scene, s.Face({0, 1, 2}));
    Setup_Face_Square(&s.scene, s.Face({0, 1, 2, 3, 4}));
    Setup_Face_Square_Overlay(&s.scene, s.Face({0, 1, 2}));
    EXPECT_EQ(s.Translucent().count, 0);
    EXPECT_EQ(s.Translucent().capacity, 0);
    EXPECT_EQ(s.Overlay().capacity, 0);
}

TEST(Square, Thin_Rectangle_Becomes_A_Square_Of_Its_Larger_Half_Extent) {
    Face_Scene s(Row_Square);
    // Centre (150, 120); half extents 50 across and 10 down.
    const float quad[4][3] = {{100, 110, 10}, {100, 130, 11}, {200, 130, 12}, {200, 110, 13}};
    Setup_Face_Square(&s.scene, Quad_On_Screen(s, quad));
    EXPECT_TRUE(clip_calls.empty());
    ASSERT_EQ(s.Translucent().count, 1);
    EXPECT_EQ(s.Opaque().count, 0);
    const Prepared_Face& face = s.Translucent().records[0];
    ASSERT_EQ(face.vertex_count, 4);
    const float expected[4][2] = {{100, 70}, {100, 170}, {200, 170}, {200, 70}};
    for (int i = 0; i < 4; ++i) {
        EXPECT_NEAR(face.x[i], expected[i][0], 1e-3) << i;
        EXPECT_NEAR(face.y[i], expected[i][1], 1e-3) << i;
        EXPECT_EQ(face.y_row[i], static_cast<int>(std::trunc(face.y[i]))) << i;
        // w, u and v stay with their corner numbers.
        EXPECT_FLOAT_EQ(face.w[i], 1.0f / quad[i][2]) << i;
        const double u = i >= 2 ? 1.0 : 0.0;
        EXPECT_NEAR(face.u[i], (64.0 * u + 0.3) * 256.0 / quad[i][2], 1e-2) << i;
    }
    EXPECT_EQ(face.sort_depth, 13);
    EXPECT_EQ(face.depth_dx, 0.0f);
    EXPECT_EQ(face.depth_dy, 0.0f);
    EXPECT_FLOAT_EQ(face.depth_0, 1.0f / 10.0f);
    EXPECT_EQ(face.opaque, 0);
    EXPECT_EQ(face.first_span, -1);
    EXPECT_EQ(face.visible, 1);
    // A tall one is sized by its height (another object: a new transform generation).
    s.services->transform_generation = 2;
    const float tall[4][3] = {{150, 20, 10}, {150, 220, 10}, {170, 220, 10}, {170, 20, 10}};
    Setup_Face_Square(&s.scene, Quad_On_Screen(s, tall));
    ASSERT_EQ(s.Translucent().count, 2);
    EXPECT_NEAR(s.Translucent().records[1].x[0], 60.0f, 1e-3);
    EXPECT_NEAR(s.Translucent().records[1].x[2], 260.0f, 1e-3);
}

TEST(Square, Overlay_Goes_To_Its_Own_List_And_Leaves_The_Depth_Fields_Alone) {
    Face_Scene s(Row_Square_Overlay);
    // Fill the slot the face will take, to see what setup writes.
    Prepared_Face* slot = Reserve_Face(faces_state.overlay);
    ASSERT_NE(slot, nullptr);
    slot->depth_dx = slot->depth_dy = slot->depth_0 = -5.0f;
    const float quad[4][3] = {{100, 110, 10}, {100, 130, 10}, {120, 130, 10}, {120, 110, 10}};
    Setup_Face_Square_Overlay(&s.scene, Quad_On_Screen(s, quad));
    ASSERT_EQ(s.Overlay().count, 1);
    EXPECT_EQ(s.Translucent().count, 0);
    const Prepared_Face& face = s.Overlay().records[0];
    EXPECT_EQ(face.depth_dx, -5.0f);
    EXPECT_EQ(face.depth_0, -5.0f);
    EXPECT_EQ(face.sort_depth, 10);
    EXPECT_EQ(face.first_span, -1);
}

TEST(Square, Squares_Are_Never_Clipped_In_Camera_Space) {
    Face_Scene s(Row_Square);
    const float quad[4][3] = {{100, 110, 10}, {100, 130, 10}, {120, 130, 10}, {120, 110, 0.5f}};
    Setup_Face_Square(&s.scene, Quad_On_Screen(s, quad));
    const float deep[4][3] = {{100, 110, 10}, {100, 130, 10}, {120, 130, 150}, {120, 110, 10}};
    Setup_Face_Square(&s.scene, Quad_On_Screen(s, deep));
    EXPECT_EQ(s.Translucent().count, 0);
    EXPECT_TRUE(clip_calls.empty());
}

TEST(Square, Square_Crossing_An_Edge_After_Squaring_Is_Clipped_By_That_Edge) {
    Face_Scene s(Row_Square);
    // Inside before squaring; the height (half 40) pushes it past the right edge.
    const float quad[4][3] = {{290, 80, 10}, {300, 160, 10}, {310, 160, 10}, {300, 80, 10}};
    Setup_Face_Square(&s.scene, Quad_On_Screen(s, quad));
    EXPECT_EQ(clip_calls, std::vector<int>{4});
    ASSERT_EQ(s.Translucent().count, 1);
    const Prepared_Face& face = s.Translucent().records[0];
    EXPECT_EQ(face.vertex_count, 4);
    float largest = 0;
    for (int i = 0; i < 4; ++i) largest = std::fmax(largest, face.x[i]);
    EXPECT_EQ(largest, 320.0f);
}

TEST(Square, Square_Wholly_Past_An_Edge_After_Squaring_Is_Removed_By_Its_Clip) {
    Face_Scene s(Row_Square);
    // Left of the viewport, but the host claims every corner inside: the
    // corners pass the trivial reject, and the recomputed outcodes catch it.
    const float quad[4][3] = {{-60, 100, 10}, {-60, 120, 10}, {-40, 120, 10}, {-40, 100, 10}};
    Host_Face* face = Quad_On_Screen(s, quad);
    for (int i = 0; i < 4; ++i) s.services->vertex_outcodes[i] = 63;
    Setup_Face_Square(&s.scene, face);
    EXPECT_EQ(clip_calls, std::vector<int>{5});
    EXPECT_EQ(s.Translucent().count, 0);
}

}  // namespace
}  // namespace face_test
