// Picking: the walk's host calls, the nearest hit with its face index and
// depth, ties, the near and far limits, exclusions, groups and members, the
// projection cache, and the faces that cannot be hit.
#include <gtest/gtest.h>

#include <cmath>

#include "pick/pick.h"
#include "quorvel/quorvel_soft.h"
#include "support/logging_host.h"

namespace {

using quorvel_test::Joined;
using quorvel_test::Logged_Vertex;
using quorvel_test::Logging_Host;

// The logging host's camera: centre (160, 120), scale (160, 120).
float Camera_X(float screen_x, float z) { return (screen_x - 160.0f) / 160.0f * z; }
float Camera_Y(float screen_y, float z) { return (120.0f - screen_y) / 120.0f * z; }

// Depth at which the ray through a screen point meets the plane of three
// camera-space points, in double: the reference for tilted faces.
double Ray_Depth(double px, double py, const Logged_Vertex& p0, const Logged_Vertex& p1, const Logged_Vertex& p2) {
    const double u[3] = {p1.x - p0.x, p1.y - p0.y, p1.z - p0.z};
    const double v[3] = {p2.x - p0.x, p2.y - p0.y, p2.z - p0.z};
    const double n[3] = {u[1] * v[2] - u[2] * v[1], u[2] * v[0] - u[0] * v[2], u[0] * v[1] - u[1] * v[0]};
    const double d[3] = {(px - 160.0) / 160.0, (120.0 - py) / 120.0, 1.0};
    return (n[0] * p0.x + n[1] * p0.y + n[2] * p0.z) / (n[0] * d[0] + n[1] * d[1] + n[2] * d[2]);
}

class Picking : public ::testing::Test {
protected:
    // The host's stamps start at 0: a generation of 0 would make every
    // empty cache entry look valid.
    void SetUp() override { host.services->transform_generation = 1000; }
    void TearDown() override { EXPECT_EQ(host.wrong_scene_calls, 0); }

    // A face of `source` from explicit camera-space corners, numbered from
    // `first`; op9 of the source brings the corners in.
    Host_Face* Polygon(Host_Object* source, const std::string& name, std::uint32_t first,
                       std::initializer_list<Logged_Vertex> corners) {
        Host_Face* face = host.Face(source, name);
        std::vector<Logged_Vertex>& vertices = host.Of(source).vertices;
        for (Logged_Vertex corner : corners) {
            corner.index = first + static_cast<std::uint32_t>(face_indices_[face].size());
            vertices.push_back(corner);
            face_indices_[face].push_back(corner.index);
        }
        face->vertex_indices = face_indices_[face].data();
        face->vertex_count = static_cast<std::int32_t>(face_indices_[face].size());
        return face;
    }
    // A screen rectangle at camera depth z, corners in the hit test's order:
    // from the top, increasing index runs down the left edge.
    Host_Face* Rectangle(Host_Object* source, const std::string& name, std::uint32_t first, float left, float top,
                         float right, float bottom, float z) {
        return Polygon(source, name, first,
                       {{0, Camera_X(right, z), Camera_Y(top, z), z},
                        {0, Camera_X(left, z), Camera_Y(top, z), z},
                        {0, Camera_X(left, z), Camera_Y(bottom, z), z},
                        {0, Camera_X(right, z), Camera_Y(bottom, z), z}});
    }
    // Brings a source's corners into the vertex arrays now, as its op9 would.
    void Load(Host_Object* source) {
        for (const Logged_Vertex& vertex : host.Of(source).vertices) host.Vertex(vertex.index, vertex.x, vertex.y, vertex.z);
    }
    Host_Object* Pick(float px, float py) {
        face_index = -7;
        depth = -7.0f;
        return Quorvel_Pick_Dll(&host.scene, px, py, &face_index, &depth);
    }

    Logging_Host host;
    std::int32_t face_index = 0;
    float depth = 0.0f;

private:
    std::map<Host_Face*, std::vector<std::uint32_t>> face_indices_;
};

TEST_F(Picking, Without_Camera_Object_Nothing_Is_Called_And_Outputs_Stay) {
    Host_Object* a = host.Object("A");
    host.Top(a);
    Rectangle(a, "a0", 0, 0, 0, 320, 240, 10);
    host.scene.camera_object = nullptr;
    face_index = 77;
    depth = 5.5f;
    EXPECT_EQ(Quorvel_Pick_Dll(&host.scene, 160, 120, &face_index, &depth), nullptr);
    EXPECT_EQ(face_index, 77);
    EXPECT_EQ(depth, 5.5f);
    EXPECT_TRUE(host.log.empty()) << Joined(host.log);
}

TEST_F(Picking, Empty_Scene_Gives_Index_0_And_The_Far_Depth) {
    EXPECT_EQ(Pick(160, 120), nullptr);
    EXPECT_EQ(face_index, 0);
    EXPECT_EQ(depth, 100.0f);
    EXPECT_EQ(Joined(host.log), "camera");
}

TEST_F(Picking, Walk_Calls_The_Frame_Operations_Without_Op7) {
    Host_Object* a = host.Object("A");
    a->op4_argument = 7;
    host.Of(a).info.op7_word_a = 1;
    host.Of(a).info.op7_word_b = 1;
    host.Face(a, "a0");
    host.Face_Test_Result(host.Face(a, "a1"), 0);
    Host_Object* b = host.Object("B");
    host.In_View(b, 0);
    host.Face(b, "b0");
    Host_Object* c = host.Object("C");
    c->pick_excluded = 1;
    host.Face(c, "c0");
    Host_Object* d = host.Object("D");
    host.Child(c, d);
    Host_Object* m = host.Member("M");
    host.Face(m, "m0");
    host.Child(d, m);
    for (Host_Object* top : {a, b, c}) host.Top(top);
    host.services->transform_generation = 9;

    EXPECT_EQ(Pick(160, 120), nullptr);
    EXPECT_EQ(Joined(host.log),
              "camera op3(A) op5(A) op4(A,7) op6(A,A) op9(A,A) test(a0) test(a1) "
              "op3(B) op5(B) op4(B,0) op6(B,B) "
              "op3(D) op5(D) op4(D,0) op6(D,D) op9(D,D)");
    EXPECT_EQ(host.op9_generations, std::vector<std::uint32_t>({10, 11}));
}

TEST_F(Picking, Children_Pair_With_The_Source_Children_As_Hints) {
    // A picks as B: its group child C1 picks as B's first child D1, and C2,
    // after the group, as its own sibling hint C2; C2 picks as E, so the
    // group C3 after it picks as E's sibling F.
    Host_Object* a = host.Object("A");
    Host_Object* b = host.Object("B");
    host.Source(a, b);
    Host_Object* c1 = host.Group("C1");
    Host_Object* c2 = host.Object("C2");
    Host_Object* c3 = host.Group("C3");
    host.Children(a, {c1, c2, c3});
    host.Children(b, {host.Object("D1"), host.Object("D2"), host.Object("D3")});
    Host_Object* e = host.Object("E");
    host.Children(host.Object("X"), {e, host.Object("F")});
    host.Source(c2, e);
    Rectangle(host.Named("F"), "f0", 0, 0, 0, 320, 240, 10);
    host.Top(a);

    EXPECT_EQ(Pick(160, 120), c3);
    EXPECT_EQ(Joined(host.log),
              "camera op3(A) op5(A) op4(A,0) op6(B,A) op9(B,A) "
              "op3(C1) op4(C1,0) op5(C1) op6(D1,C1) op9(D1,C1) "
              "op3(C2) op5(C2) op4(C2,0) op6(E,C2) op9(E,C2) "
              "op3(C3) op4(C3,0) op5(C3) op6(F,C3) op9(F,C3) test(f0)");
}

// G picks as S; members M1 (with M11) and M2 pair with T1 (with T11) and
// T3; N is not a member. Only M2 is in view.
TEST_F(Picking, Group_Walk_Transforms_Every_Member_Before_Testing_Any_Face) {
    Host_Object* g = host.Group("G");
    g->op4_argument = 3;
    Host_Object* s = host.Object("S");
    s->op4_argument = 8;
    host.Of(s).info.op7_word_a = 1;
    host.Source(g, s);
    Host_Object* m1 = host.Member("M1");
    Host_Object* m11 = host.Member("M11");
    Host_Object* n = host.Object("N");
    Host_Object* m2 = host.Member("M2");
    host.Children(g, {m1, n, m2});
    host.Child(m1, m11);
    Host_Object* t1 = host.Object("T1");
    Host_Object* t11 = host.Object("T11");
    Host_Object* t2 = host.Object("T2");
    Host_Object* t3 = host.Object("T3");
    host.Children(s, {t1, t2, t3});
    host.Child(t1, t11);
    for (Host_Object* object : {g, s, m1, m11, n, m2, t1, t11, t2, t3}) host.Face(object, "f" + host.Of(object).name);
    for (Host_Object* object : {g, m1, m11}) host.In_View(object, 0);
    host.Top(g);

    EXPECT_EQ(Pick(160, 120), nullptr);
    EXPECT_EQ(Joined(host.log),
              "camera op3(G) op4(G,3) op3(M1) op4(M1,0) op3(M11) op4(M11,0) op3(M2) op4(M2,0) "
              "op5(G) op6(S,G) op6(T1,M1) op6(T11,M11) op6(T3,M2) "
              "op9(S,G) op9(T1,M1) op9(T11,M11) op9(T3,M2) test(fS) test(fT1) test(fT11) test(fT3) "
              "op3(N) op5(N) op4(N,0) op6(N,N) op9(N,N) test(fN)");
    EXPECT_EQ(host.op9_generations, std::vector<std::uint32_t>({1001, 1002, 1003, 1004, 1005}));
    EXPECT_EQ(g->in_view, 1u);
}

TEST_F(Picking, Group_With_Nothing_In_View_Is_Not_Tested) {
    Host_Object* g = host.Group("G");
    Host_Object* m = host.Member("M");
    host.Child(g, m);
    Rectangle(g, "g0", 0, 0, 0, 320, 240, 10);
    Rectangle(m, "m0", 4, 0, 0, 320, 240, 10);
    host.In_View(g, 0);
    host.In_View(m, 0);
    host.Top(g);
    EXPECT_EQ(Pick(160, 120), nullptr);
    EXPECT_EQ(Joined(host.log), "camera op3(G) op4(G,0) op3(M) op4(M,0) op5(G) op6(G,G) op6(M,M)");
}

TEST_F(Picking, Group_Face_Returns_The_Group_Member_Face_Returns_The_Member) {
    Host_Object* g = host.Group("G");
    Host_Object* s = host.Object("S");
    host.Source(g, s);
    Host_Object* m = host.Member("M");
    host.Child(g, m);
    Host_Object* t = host.Object("T");
    host.Child(s, t);
    Rectangle(s, "s0", 0, 20, 40, 140, 200, 10);
    Rectangle(t, "t0", 4, 200, 10, 300, 30, 10);
    Rectangle(t, "t1", 8, 180, 40, 300, 200, 20);
    host.Face(m, "m_own");  // the member's own faces are not what it shows
    host.Top(g);

    EXPECT_EQ(Pick(80, 120), g);
    EXPECT_EQ(face_index, 0);
    EXPECT_EQ(depth, 10.0f);

    EXPECT_EQ(Pick(240, 120), m);
    EXPECT_EQ(face_index, 1);  // index in the hint's face array
    EXPECT_EQ(depth, 20.0f);
}

TEST_F(Picking, Nearest_Face_Wins_And_Ties_Keep_The_First_Met) {
    Host_Object* a = host.Object("A");
    Rectangle(a, "a0", 0, 100, 80, 220, 160, 10);
    Rectangle(a, "a1", 4, 140, 100, 200, 140, 5);
    Rectangle(a, "a2", 8, 60, 60, 260, 180, 8);
    Rectangle(a, "a3", 12, 120, 90, 180, 150, 5);  // ties with a1
    Host_Face* rejected = Rectangle(a, "a4", 16, 100, 80, 220, 160, 2);
    host.Face_Test_Result(rejected, 0);
    host.Top(a);
    EXPECT_EQ(Pick(160, 120), a);
    EXPECT_EQ(face_index, 1);
    EXPECT_EQ(depth, 5.0f);
    // Outside a1 and a3 the next nearest face of A is a2.
    EXPECT_EQ(Pick(80, 70), a);
    EXPECT_EQ(face_index, 2);
    EXPECT_EQ(depth, 8.0f);

    // A later object at the same depth does not take the hit; a nearer one does.
    Host_Object* b = host.Object("B");
    Rectangle(b, "b0", 0, 0, 0, 320, 240, 5);
    host.Top(b);
    EXPECT_EQ(Pick(160, 120), a);
    EXPECT_EQ(face_index, 1);
    Host_Object* c = host.Object("C");
    Rectangle(c, "c0", 0, 0, 0, 320, 240, 5);
    Rectangle(c, "c1", 4, 150, 110, 170, 130, 4.5f);
    host.Top(c);
    EXPECT_EQ(Pick(160, 120), c);
    EXPECT_EQ(face_index, 1);
    EXPECT_EQ(depth, 4.5f);
    EXPECT_EQ(Pick(5, 5), b);
    EXPECT_EQ(face_index, 0);
}

TEST_F(Picking, Point_On_A_Shared_Edge_Hits_Both_Faces) {
    // A quad in a tilted plane, split along the diagonal from (240, 60) to
    // (80, 180); the screen centre lies exactly on it, and every corner
    // projects to whole pixels.
    Host_Object* a = host.Object("A");
    const Logged_Vertex p0 = {0, -1, 1, 2}, p1 = {1, -2, -2, 4}, p2 = {2, 2, -2, 4}, p3 = {3, 1, 1, 2};
    host.Vertices(a, {p0, p1, p2, p3});
    Host_Face* upper = host.Face(a, "upper", {3, 0, 1});
    Host_Face* lower = host.Face(a, "lower", {3, 1, 2});
    host.Top(a);
    Load(a);

    float upper_depth = 0, lower_depth = 0;
    ASSERT_EQ(Pick_Face(&host.scene, upper, 160, 120, &upper_depth), 1);
    ASSERT_EQ(Pick_Face(&host.scene, lower, 160, 120, &lower_depth), 1);
    const double expected = Ray_Depth(160, 120, p0, p1, p2);
    EXPECT_NEAR(expected, 8.0 / 3.0, 1e-12);
    EXPECT_NEAR(upper_depth, expected, 1e-5);
    EXPECT_NEAR(lower_depth, expected, 1e-5);

    EXPECT_EQ(Pick(160, 120), a);
    EXPECT_EQ(face_index, lower_depth < upper_depth ? 1 : 0);
    EXPECT_EQ(depth, std::min(upper_depth, lower_depth));

    // Just off the diagonal only one of them is hit.
    EXPECT_EQ(Pick(150, 110), a);
    EXPECT_EQ(face_index, 0);
    EXPECT_NEAR(depth, Ray_Depth(150, 110, p0, p1, p2), 1e-5);
    EXPECT_EQ(Pick(170, 130), a);
    EXPECT_EQ(face_index, 1);
    EXPECT_NEAR(depth, Ray_Depth(170, 130, p0, p1, p2), 1e-5);
}

TEST_F(Picking, Faces_Reaching_Past_The_Screen_Are_Hit_Off_Screen) {
    Host_Object* a = host.Object("A");
    Rectangle(a, "a0", 0, 300, 100, 400, 140, 10);
    host.Top(a);
    EXPECT_EQ(Pick(380, 120), a);
    EXPECT_EQ(depth, 10.0f);
    EXPECT_EQ(Pick(410, 120), nullptr);
}

TEST_F(Picking, Nothing_At_Or_Beyond_The_Far_Plane_Is_Returned) {
    Host_Object* a = host.Object("A");
    Rectangle(a, "at_far", 0, 0, 0, 320, 240, 100);
    host.Top(a);
    EXPECT_EQ(Pick(160, 120), nullptr);
    EXPECT_EQ(depth, 100.0f);
    EXPECT_EQ(face_index, 0);

    // A floor reaching from z = 50 to z = 150 is hit only short of z = 100.
    Host_Object* b = host.Object("B");
    const Logged_Vertex far_right = {0, 20, -1, 150}, far_left = {0, -20, -1, 150};
    const Logged_Vertex near_left = {0, -20, -1, 50}, near_right = {0, 20, -1, 50};
    Polygon(b, "floor", 4, {far_right, far_left, near_left, near_right});
    host.Top(b);
    // Rows 121.2 (z = 100) to 122.4 (z = 50) on screen.
    EXPECT_EQ(Pick(160, 121.5f), b);
    EXPECT_NEAR(depth, Ray_Depth(160, 121.5, far_right, far_left, near_left), 1e-3);
    EXPECT_EQ(Pick(160, 121.0f), nullptr);
}

TEST_F(Picking, Face_Crossing_The_Near_Plane_Is_Hit_Only_In_Front_Of_It) {
    // A floor at y = -1 from z = 4 down to z = 0.5; the near plane (z = 1)
    // meets it on screen row 240.
    Host_Object* a = host.Object("A");
    const Logged_Vertex far_right = {0, 2, -1, 4}, far_left = {0, -2, -1, 4};
    const Logged_Vertex near_left = {0, -2, -1, 0.5f}, near_right = {0, 2, -1, 0.5f};
    Polygon(a, "floor", 0, {far_right, far_left, near_left, near_right});
    host.Top(a);

    EXPECT_EQ(Pick(160, 200), a);
    EXPECT_NEAR(depth, 1.5, 1e-5);
    EXPECT_EQ(Pick(160, 240), a);
    EXPECT_EQ(depth, 1.0f);
    // Beyond row 240 the floor lies behind the near plane.
    EXPECT_EQ(Pick(160, 241), nullptr);
    EXPECT_EQ(Pick(160, 300), nullptr);
}

TEST_F(Picking, Excluded_Objects_Are_Not_Returned_But_Their_Subtrees_Are) {
    Host_Object* a = host.Object("A");
    a->pick_excluded = 1;
    Rectangle(a, "a0", 0, 0, 0, 320, 240, 5);
    Host_Object* b = host.Object("B");
    Rectangle(b, "b0", 4, 0, 0, 320, 240, 10);
    host.Child(a, b);
    host.Top(a);
    // An excluded group hides its members too: they are picked with it only.
    Host_Object* g = host.Group("G");
    g->pick_excluded = 1;
    Host_Object* m = host.Member("M");
    Rectangle(m, "m0", 8, 0, 0, 320, 240, 2);
    host.Child(g, m);
    host.Top(g);

    EXPECT_EQ(Pick(160, 120), b);
    EXPECT_EQ(depth, 10.0f);
    EXPECT_EQ(Joined(host.log), "camera op3(B) op5(B) op4(B,0) op6(B,B) op9(B,B) test(b0)");
}

TEST_F(Picking, Cached_Path_Fills_The_Cache_And_Trusts_Stamped_Entries) {
    Host_Object* a = host.Object("A");
    Host_Face* face = Rectangle(a, "a0", 0, 100, 100, 200, 140, 4);
    Load(a);
    host.services->transform_generation = 6;

    float hit_depth = 0;
    ASSERT_EQ(Pick_Face(&host.scene, face, 150, 120, &hit_depth), 1);
    for (std::uint32_t i = 0; i < 4; ++i) {
        const Camera_Vertex& vertex = host.services->camera_vertices[i];
        const Projected_Vertex& projected = host.services->projected_vertices[i];
        EXPECT_EQ(host.services->vertex_stamps[i], 6u);
        EXPECT_FLOAT_EQ(projected.w, 0.25f);
        EXPECT_FLOAT_EQ(projected.x, 160.0f + 160.0f * vertex.x / vertex.z);
        EXPECT_FLOAT_EQ(projected.y, 120.0f - 120.0f * vertex.y / vertex.z);
    }

    // Entries stamped with the current generation are used as they stand.
    for (std::uint32_t i = 0; i < 4; ++i) host.services->projected_vertices[i].x -= 100.0f;
    EXPECT_EQ(Pick_Face(&host.scene, face, 150, 120, &hit_depth), 0);
    EXPECT_EQ(Pick_Face(&host.scene, face, 50, 120, &hit_depth), 1);
    // A new generation projects them again.
    host.services->transform_generation = 7;
    EXPECT_EQ(Pick_Face(&host.scene, face, 150, 120, &hit_depth), 1);
    EXPECT_EQ(host.services->vertex_stamps[0], 7u);
}

TEST_F(Picking, Clip_Path_Leaves_The_Cache_Alone) {
    Host_Object* a = host.Object("A");
    Host_Face* face =
        Polygon(a, "floor", 0, {{0, 2, -1, 4}, {0, -2, -1, 4}, {0, -2, -1, 0.5f}, {0, 2, -1, 0.5f}});
    Load(a);
    for (std::uint32_t i = 0; i < 4; ++i) {
        host.services->vertex_stamps[i] = 12345;
        host.services->projected_vertices[i] = {-1.0f, -2.0f, -3.0f, -4.0f};
    }
    float hit_depth = 0;
    ASSERT_EQ(Pick_Face(&host.scene, face, 160, 200, &hit_depth), 1);
    for (std::uint32_t i = 0; i < 4; ++i) {
        EXPECT_EQ(host.services->vertex_stamps[i], 12345u);
        EXPECT_EQ(host.services->projected_vertices[i].x, -1.0f);
        EXPECT_EQ(host.services->projected_vertices[i].w, -3.0f);
    }
}

TEST_F(Picking, Objects_Sharing_Vertex_Indices_Are_Projected_Each_In_Turn) {
    // Both objects bring their corners in under indices 0..3; the second
    // object's face must not be tested with the first one's projections.
    Host_Object* a = host.Object("A");
    Rectangle(a, "a0", 0, 10, 10, 100, 100, 5);
    Host_Object* b = host.Object("B");
    Rectangle(b, "b0", 0, 200, 120, 300, 220, 6);
    host.Top(a);
    host.Top(b);
    EXPECT_EQ(Pick(250, 170), b);
    EXPECT_EQ(depth, 6.0f);
    EXPECT_EQ(Pick(50, 50), a);
    EXPECT_EQ(depth, 5.0f);
}

TEST_F(Picking, Degenerate_And_Short_Faces_Are_Misses) {
    Host_Object* a = host.Object("A");
    host.Vertex(0, 0, 1, 2);   // screen (160, 60)
    host.Vertex(1, 0, -1, 2);  // (160, 180)
    host.Vertex(2, 0, -1, 4);  // (160, 150)
    host.Vertex(3, 0, 1, 4);   // (160, 90)
    host.Vertex(4, -1, 0, 2);  // (80, 120)
    host.Vertex(5, 1, 0, 2);   // (240, 120)
    host.Vertex(6, -1, -1, 2); // (80, 180)
    float hit_depth = -1;
    // Seen edge on: the plane x = 0 contains every ray through column 160.
    EXPECT_EQ(Pick_Face(&host.scene, host.Face(a, "edge_on", {0, 1, 2, 3}), 160, 100, &hit_depth), 0);
    // A repeated corner among the first three: no plane to meet.
    EXPECT_EQ(Pick_Face(&host.scene, host.Face(a, "repeated", {5, 5, 4, 6}), 120, 140, &hit_depth), 0);
    // The same corners without the repeat are hit: the point is inside.
    EXPECT_EQ(Pick_Face(&host.scene, host.Face(a, "plain", {5, 4, 6}), 120, 140, &hit_depth), 1);
    EXPECT_EQ(hit_depth, 2.0f);
    hit_depth = -1;
    // One or two corners: the point on the segment, or on the corner itself.
    EXPECT_EQ(Pick_Face(&host.scene, host.Face(a, "segment", {4, 5}), 160, 120, &hit_depth), 0);
    EXPECT_EQ(Pick_Face(&host.scene, host.Face(a, "corner", {4}), 80, 120, &hit_depth), 0);
    EXPECT_EQ(Pick_Face(&host.scene, host.Face(a, "empty", {}), 80, 120, &hit_depth), 0);
    EXPECT_EQ(hit_depth, -1.0f);
}

TEST_F(Picking, Vertex_At_The_Eye_Called_Inside_By_The_Host_Is_A_Miss) {
    Host_Object* a = host.Object("A");
    host.services.Set_Vertex(0, 0, 0, 0, Outcode_Inside_All);
    host.Vertex(1, -1, -1, 2);
    host.Vertex(2, 1, -1, 2);
    float hit_depth = -1;
    Host_Face* face = host.Face(a, "a0", {0, 1, 2});
    for (float px : {160.0f, 100.0f, 1e30f}) {
        EXPECT_EQ(Pick_Face(&host.scene, face, px, 150, &hit_depth), 0);
    }
    EXPECT_EQ(hit_depth, -1.0f);
}

// A regular polygon of n corners at z = 5 with camera radius 2.5, corner 0 at
// the top and increasing index running down the left side on screen.
std::vector<Logged_Vertex> Disc(int n, float z) {
    std::vector<Logged_Vertex> corners;
    for (int i = 0; i < n; ++i) {
        const double angle = (90.0 + 360.0 * i / n) * M_PI / 180.0;
        corners.push_back({0, static_cast<float>(2.5 * std::cos(angle)), static_cast<float>(2.5 * std::sin(angle)), z});
    }
    return corners;
}
struct Screen_Point {
    float x, y;
};
// Screen position of the camera point at `fraction` of the radius, `degrees` round.
Screen_Point On_Disc(double degrees, double fraction) {
    const double angle = degrees * M_PI / 180.0;
    const double x = 2.5 * fraction * std::cos(angle), y = 2.5 * fraction * std::sin(angle);
    return {static_cast<float>(160.0 + 160.0 * x / 5.0), static_cast<float>(120.0 - 120.0 * y / 5.0)};
}

TEST_F(Picking, Faces_Of_More_Than_Ten_Corners_Are_Hit_In_Every_Piece) {
    Host_Object* a = host.Object("A");
    for (int n : {12, 20}) {
        host.Face(a, "disc");
        Host_Face* face = host.Of(a).faces.back();
        std::vector<std::uint32_t> indices;
        for (const Logged_Vertex& corner : Disc(n, 5)) {
            const std::uint32_t index = static_cast<std::uint32_t>(indices.size());
            host.Vertex(index, corner.x, corner.y, corner.z);
            indices.push_back(index);
        }
        face->vertex_indices = indices.data();
        face->vertex_count = n;
        host.services->transform_generation += 1;  // the same indices, new corners
        // The centre lies in the first piece; near the rim between 0 and 90
        // degrees only the last piece (corners 0, 9.., or 0, 17..) covers it.
        for (Screen_Point point : {On_Disc(0, 0), On_Disc(n == 12 ? 45 : 60, n == 12 ? 0.9 : 0.95), On_Disc(200, 0.9)}) {
            float hit_depth = -1;
            EXPECT_EQ(Pick_Face(&host.scene, face, point.x, point.y, &hit_depth), 1) << n << " at " << point.x << "," << point.y;
            EXPECT_FLOAT_EQ(hit_depth, 5.0f);
        }
        for (Screen_Point point : {On_Disc(60, 1.05), On_Disc(250, 1.05)}) {
            float hit_depth = -1;
            EXPECT_EQ(Pick_Face(&host.scene, face, point.x, point.y, &hit_depth), 0) << n;
        }
    }
}

TEST_F(Picking, Large_Face_Crossing_The_Near_Plane_Is_Clipped_Piece_By_Piece) {
    // A 20-corner disc on the floor y = -1, centred at z = 3 with radius
    // 2.5: it reaches from z = 0.5 to z = 5.5.
    Host_Object* a = host.Object("A");
    std::vector<Logged_Vertex> corners;
    for (int i = 0; i < 20; ++i) {
        const double angle = (90.0 + 18.0 * i) * M_PI / 180.0;
        corners.push_back({0, static_cast<float>(2.5 * std::cos(angle)), -1.0f,
                           static_cast<float>(3.0 + 2.5 * std::sin(angle))});
    }
    Host_Face* face = host.Face(a, "disc");
    std::vector<std::uint32_t> indices;
    for (const Logged_Vertex& corner : corners) {
        indices.push_back(static_cast<std::uint32_t>(indices.size()));
        host.Vertex(indices.back(), corner.x, corner.y, corner.z);
    }
    face->vertex_indices = indices.data();
    face->vertex_count = 20;

    float hit_depth = -1;
    ASSERT_EQ(Pick_Face(&host.scene, face, 160, 200, &hit_depth), 1);
    EXPECT_NEAR(hit_depth, 1.5, 1e-5);
    ASSERT_EQ(Pick_Face(&host.scene, face, 160, 150, &hit_depth), 1);
    EXPECT_NEAR(hit_depth, 4.0, 1e-4);
    // Row 140 looks at the floor at z = 6, beyond the disc's far rim.
    EXPECT_EQ(Pick_Face(&host.scene, face, 160, 140, &hit_depth), 0);
    // Behind the near plane the floor is still inside the disc, but not hit.
    EXPECT_EQ(Pick_Face(&host.scene, face, 160, 300, &hit_depth), 0);
}

}  // namespace
