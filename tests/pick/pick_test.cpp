// Picking: the walk's host calls, the nearest hit with its face index and
// depth, ties, shared edges, the near and far limits, exclusions, groups and
// members.
#include <gtest/gtest.h>

#include <array>
#include <cmath>
#include <tuple>
#include <utility>
#include <vector>

#include "pick/pick.h"
#include "quorvel/quorvel_soft.h"
#include "support/logging_host.h"

namespace {

using Hit = std::tuple<Host_Object*, std::int32_t, float>;

class Picking : public ::testing::Test {
protected:
    // Stamps start at 0: generation 0 would make every empty cache entry valid.
    void SetUp() override { host.services->transform_generation = 1000; }

    // A face of `source` from camera-space corners, set now under the
    // indices first, first + 1, ... (op9 leaves them as they are).
    Host_Face* Polygon(Host_Object* source, std::uint32_t first, std::vector<std::array<float, 3>> corners) {
        std::vector<std::uint32_t> indices;
        for (const auto& [x, y, z] : corners) {
            indices.push_back(first + static_cast<std::uint32_t>(indices.size()));
            host.Vertex(indices.back(), x, y, z);
        }
        return host.Face(source, "f" + std::to_string(first), indices);
    }
    // A screen rectangle at camera depth z, from the top right corner down the left edge.
    Host_Face* Rectangle(Host_Object* source, std::uint32_t first, float left, float top, float right, float bottom,
                         float z) {
        const auto x = [z](float sx) { return (sx - 160.0f) / 160.0f * z; };
        const auto y = [z](float sy) { return (120.0f - sy) / 120.0f * z; };
        return Polygon(
            source, first,
            {{x(right), y(top), z}, {x(left), y(top), z}, {x(left), y(bottom), z}, {x(right), y(bottom), z}});
    }
    // The object hit, the face index and the depth (-7 where nothing was written).
    Hit Pick(float px, float py) {
        Hit hit{nullptr, -7, -7.0f};
        host.log.clear();
        std::get<0>(hit) = Quorvel_Pick_Dll(&host.scene, px, py, &std::get<1>(hit), &std::get<2>(hit));
        return hit;
    }
    float Face_Depth(Host_Face* face, float px, float py) {  // -1: a miss
        float hit = -1;
        return Pick_Face(&host.scene, face, px, py, &hit) == 1 ? hit : -1;
    }

    quorvel_test::Logging_Host host;
};

TEST_F(Picking, Walk_Calls_The_Frame_Operations_Without_Op7_And_Skips_Excluded_Faces) {
    EXPECT_EQ(Pick(160, 120), Hit(nullptr, 0, 100.0f));  // an empty scene
    Host_Object *a = host.Top(host.Object("A")), *b = host.Top(host.Object("B")), *c = host.Top(host.Object("C"));
    a->op4_argument = 7;
    host.Of(a).info.op7_word_a = host.Of(a).info.op7_word_b = 1;
    host.Face(a, "a0");
    host.Reject(host.Face(a, "a1"));
    host.Of(b).in_view_result = 0;
    host.Face(b, "b0");
    // An excluded object's faces are not tested, its children's are; a
    // member outside a group is passed over.
    c->pick_excluded = 1;
    host.Face(c, "c0");
    host.Face(host.Member("M", host.Object("D", c)), "m0");
    host.services->transform_generation = 9;
    EXPECT_EQ(Pick(160, 120), Hit(nullptr, 0, 100.0f));
    EXPECT_EQ(host.log,
              "camera op3(A) op5(A) op4(A,7) op6(A,A) op9(A,A) test(a0) test(a1) "
              "op3(B) op5(B) op4(B,0) op6(B,B) op3(D) op5(D) op4(D,0) op6(D,D) op9(D,D)");
    // Without a camera object nothing is called and nothing written.
    host.scene.camera_object = nullptr;
    EXPECT_EQ(Pick(160, 120), Hit(nullptr, -7, -7.0f));
    EXPECT_EQ(host.log, "");
}

TEST_F(Picking, Group_Transforms_Every_Member_Before_Testing_Any_Face) {
    quorvel_test::Group_Scene group(host);
    host.Top(group.g);
    host.Of(group.s).info.op7_word_a = 1;
    for (Host_Object* object : {group.g, group.m1, group.m11}) host.Of(object).in_view_result = 0;
    const std::string members =
        "camera op3(G) op4(G,3) op3(M1) op4(M1,0) op3(M11) op4(M11,0) op3(M2) op4(M2,0) "
        "op5(G) op6(S,G) op6(T1,M1) op6(T11,M11) op6(T3,M2) ";
    const std::string n = "op3(N) op5(N) op4(N,0) op6(N,N) op9(N,N) test(fN)";
    EXPECT_EQ(std::get<0>(Pick(160, 120)), nullptr);
    EXPECT_EQ(host.log,
              members + "op9(S,G) op9(T1,M1) op9(T11,M11) op9(T3,M2) test(fS) test(fT1) test(fT11) test(fT3) " + n);
    EXPECT_EQ(host.op9_generations, (std::vector<std::uint32_t>{1001, 1002, 1003, 1004, 1005}));
    // Nothing in view: no face of the group is tested.
    host.Of(group.m2).in_view_result = 0;
    EXPECT_EQ(std::get<0>(Pick(160, 120)), nullptr);
    EXPECT_EQ(host.log, members + n);
}

TEST_F(Picking, Group_Faces_Return_The_Group_And_Member_Faces_The_Member) {
    Host_Object *g = host.Top(host.Group("G")), *s = host.Object("S"), *m = host.Member("M", g),
                *t = host.Object("T", s);
    host.Of(g).source = s;
    Rectangle(s, 0, 20, 40, 140, 200, 10);
    Rectangle(t, 4, 200, 10, 300, 30, 10);
    Rectangle(t, 8, 180, 40, 300, 200, 20);
    host.Face(m, "m_own");  // the member's own faces are not what it shows
    EXPECT_EQ(Pick(80, 120), Hit(g, 0, 10.0f));
    EXPECT_EQ(Pick(240, 120), Hit(m, 1, 20.0f));  // the index in the hint's face array
}

TEST_F(Picking, Nearest_Face_Wins_Ties_Keep_The_First_Met_And_Exclusion_Hides_Only_Own_Faces) {
    Host_Object* a = host.Top(host.Object("A"));
    Rectangle(a, 0, 100, 80, 220, 160, 10);
    Rectangle(a, 4, 140, 100, 200, 140, 5);
    Rectangle(a, 8, 60, 60, 260, 180, 8);
    Rectangle(a, 12, 120, 90, 180, 150, 5);  // ties with face 1
    host.Reject(Rectangle(a, 16, 100, 80, 220, 160, 2));
    EXPECT_EQ(Pick(80, 70), Hit(a, 2, 8.0f));
    Host_Object* b = host.Top(host.Object("B"));
    Rectangle(b, 20, 0, 0, 320, 240, 5);  // a later object at the same depth
    EXPECT_EQ(Pick(160, 120), Hit(a, 1, 5.0f));
    EXPECT_EQ(Pick(5, 5), Hit(b, 0, 5.0f));
    // Nearer faces of an excluded object, or of a member of an excluded
    // group, do not take the hit; the excluded object's children do.
    Host_Object *c = host.Top(host.Object("C")), *g = host.Top(host.Group("G")), *d = host.Object("D", c);
    c->pick_excluded = g->pick_excluded = 1;
    Rectangle(c, 24, 0, 0, 320, 240, 2);
    Rectangle(host.Member("M", g), 28, 0, 0, 320, 240, 1.5f);
    Rectangle(d, 32, 150, 110, 170, 130, 4.5f);
    EXPECT_EQ(Pick(160, 120), Hit(d, 0, 4.5f));
}

TEST_F(Picking, Shared_Edges_Off_Screen_Hits_And_The_Near_And_Far_Planes) {
    // A quad in the plane through (-1, 1, 2), (-2, -2, 4), (2, -2, 4), split
    // along the diagonal from (240, 60) to (80, 180) through the screen centre,
    // where the ray meets the plane at z = 8 / 3: both halves are hit there.
    Host_Object* a = host.Top(host.Object("A"));
    Host_Face* upper = Polygon(a, 0, {{1, 1, 2}, {-1, 1, 2}, {-2, -2, 4}});
    Host_Face* lower = Polygon(a, 3, {{1, 1, 2}, {-2, -2, 4}, {2, -2, 4}});
    EXPECT_NEAR(Face_Depth(upper, 160, 120), 8.0 / 3.0, 1e-5);
    EXPECT_NEAR(Face_Depth(lower, 160, 120), 8.0 / 3.0, 1e-5);
    EXPECT_EQ(Face_Depth(lower, 150, 110), -1);  // just off the diagonal only one of them
    EXPECT_EQ(Face_Depth(upper, 170, 130), -1);
    Host_Face* off_screen = Rectangle(a, 6, 300, 150, 400, 190, 10);
    EXPECT_EQ(Face_Depth(off_screen, 380, 170), 10.0f);
    EXPECT_EQ(Face_Depth(off_screen, 410, 170), -1);
    // A floor at y = -1 from z = 4 to z = 0.5 meets the near plane (z = 1) on
    // row 240; one from z = 150 to z = 50 meets the far plane on row 121.2,
    // where no other face lies.
    Host_Face* near_floor = Polygon(a, 10, {{2, -1, 4}, {-2, -1, 4}, {-2, -1, 0.5f}, {2, -1, 0.5f}});
    EXPECT_NEAR(Face_Depth(near_floor, 160, 200), 1.5, 1e-5);
    EXPECT_EQ(Face_Depth(near_floor, 160, 240), 1.0f);
    EXPECT_EQ(Face_Depth(near_floor, 160, 241), -1);
    Polygon(a, 14, {{80, -1, 150}, {40, -1, 150}, {40, -1, 50}, {80, -1, 50}});
    EXPECT_EQ(Pick(300, 121.5f), Hit(a, 4, 80.0f));  // the ray y = -z / 80 meets the floor at z = 80
    EXPECT_EQ(Pick(300, 121.0f), Hit(nullptr, 0, 100.0f));
}

TEST_F(Picking, Faces_Above_Ten_Corners_Are_Hit_In_Every_Fan_Piece) {
    // A regular 12-gon of radius 100 about the screen centre (corner k at
    // 30k degrees, counter-clockwise on the screen) in the plane z = 10 + x / 2.
    // The ray through screen column sx has x = (sx - 160) / 160 z, so it meets
    // the plane at z = 10 / (1 - (sx - 160) / 320). The fan's second piece
    // (corners 0, 9, 10, 11) lies beyond the chord x + y = 380 from corner 0 to 9.
    const auto depth_at = [](float sx) { return 10.0f / (1.0f - (sx - 160.0f) / 320.0f); };
    std::vector<std::array<float, 3>> corners;
    for (int k = 0; k < 12; ++k) {
        const double angle = k * 3.14159265358979 / 6;
        const float sx = static_cast<float>(160 + 100 * std::cos(angle)),
                    sy = static_cast<float>(120 - 100 * std::sin(angle));
        const float z = depth_at(sx);
        corners.push_back({(sx - 160.0f) / 160.0f * z, (120.0f - sy) / 120.0f * z, z});
    }
    Host_Face* face = Polygon(host.Top(host.Object("A")), 0, corners);
    EXPECT_NEAR(Face_Depth(face, 100, 110), depth_at(100), 1e-3);  // first piece
    EXPECT_NEAR(Face_Depth(face, 205, 198), depth_at(205), 1e-3);  // second piece
    EXPECT_NEAR(Face_Depth(face, 236, 142), depth_at(236), 1e-3);  // second piece, by corner 11
    EXPECT_EQ(Face_Depth(face, 250, 210), -1);                     // beyond the edge from corner 10 to 11
}

TEST_F(Picking, A_Piece_Above_Eleven_Vertices_After_The_Near_Clip_Is_Not_Clipped_Further) {
    // A regular 10-gon of radius 80 about the screen centre whose odd corners
    // lie behind the near plane (z = 0.5) and even ones at z = 50: the near
    // clip cuts off five corners, leaving 15 vertices around the centre.
    // With every vertex inside the far plane the centre is hit; with corner 4
    // pushed beyond it (z = 150) the far clip would be needed on 15 vertices,
    // which could outgrow the 16-entry record, so the piece is a miss.
    for (const float far_corner_z : {50.0f, 150.0f}) {
        std::vector<std::array<float, 3>> corners;
        for (int k = 0; k < 10; ++k) {
            const double angle = k * 3.14159265358979 / 5;
            const float z = k % 2 == 1 ? 0.5f : k == 4 ? far_corner_z : 50.0f;
            corners.push_back({static_cast<float>(80 * std::cos(angle)) / 160.0f * z,
                               static_cast<float>(80 * std::sin(angle)) / 120.0f * z, z});
        }
        Host_Face* face = Polygon(host.Top(host.Object("A")), far_corner_z == 50.0f ? 0 : 10, corners);
        float depth = 0.0f;
        EXPECT_EQ(Pick_Face(&host.scene, face, 160, 120, &depth), far_corner_z == 50.0f ? 1 : 0) << far_corner_z;
    }
}

TEST_F(Picking, Pick_Before_Init_Returns_Null_And_Writes_Nothing) {
    Rectangle(host.Top(host.Object("A")), 0, 0, 0, 320, 240, 5);
    Host_Services* services = std::exchange(interface_state.services, nullptr);
    const Hit hit = Pick(160, 120);
    interface_state.services = services;
    EXPECT_EQ(hit, Hit(nullptr, -7, -7.0f));
    EXPECT_EQ(host.log, "");
}

}  // namespace
