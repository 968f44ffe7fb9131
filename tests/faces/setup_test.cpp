// Face setup of the polygon members: which clip slots run, the projection
// cache, the values each member stores, the depth plane, the fan pieces of
// large faces, the faces that are dropped, and pool growth.
#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <vector>

#include "face_scene.h"
#include "interface/numbers.h"

namespace face_test {
namespace {

// Every vertex of every record in the pool lies inside the viewport.
void Expect_Inside_Viewport(const Face_Pool& pool) {
    for (std::int32_t r = 0; r < pool.count; ++r) {
        const Prepared_Face& face = pool.records[r];
        EXPECT_GE(face.vertex_count, 1);
        EXPECT_LE(face.vertex_count, max_face_vertices);
        for (std::int32_t i = 0; i < face.vertex_count; ++i) {
            EXPECT_GE(face.x[i], 0.0f);
            EXPECT_LE(face.x[i], 320.0f);
            EXPECT_GE(face.y[i], 0.0f);
            EXPECT_LE(face.y[i], 240.0f);
        }
    }
}

TEST(Setup, Face_Inside_Everything_Calls_No_Clip_And_Fills_The_Record) {
    Face_Scene s(Row_Flat);
    s.Vertex(0, -1.0f, 1.0f, 5.0f);
    s.Vertex(1, -1.5f, -1.0f, 6.0f);
    s.Vertex(2, 2.0f, -0.5f, 8.0f);
    Setup_Face_Flat(&s.scene, s.Face({0, 1, 2}));
    ASSERT_EQ(s.Opaque().count, 1);
    EXPECT_TRUE(clip_calls.empty());
    const Prepared_Face& face = s.Opaque().records[0];
    ASSERT_EQ(face.vertex_count, 3);
    EXPECT_EQ(face.outcode_and, 63u);
    EXPECT_EQ(face.outcode_or, 63u);
    for (int i = 0; i < 3; ++i) {
        const Camera_Vertex& v = s.Position(i);
        EXPECT_NEAR(face.x[i], Screen_X(v.x, v.z), 1e-4);
        EXPECT_NEAR(face.y[i], Screen_Y(v.y, v.z), 1e-4);
        EXPECT_FLOAT_EQ(face.w[i], 1.0f / v.z);
        EXPECT_EQ(face.y_row[i], static_cast<int>(std::trunc(Screen_Y(v.y, v.z))));
        EXPECT_EQ(s.services->vertex_stamps[i], 1u);
    }
    EXPECT_EQ(face.material, &s.material);
    EXPECT_EQ(face.face_colour, 0x2A5F);
    EXPECT_EQ(face.first_span, -1);
    EXPECT_EQ(face.opaque, 1);
    EXPECT_EQ(face.in_count, 0);
    EXPECT_EQ(face.visible, 1);
}

TEST(Setup, Shared_Vertex_Is_Projected_Once_Per_Transform_Generation) {
    Face_Scene s(Row_Flat);
    s.Vertex(0, 0.0f, 0.0f, 5.0f);
    s.Vertex(1, 1.0f, 0.0f, 5.0f);
    s.Vertex(2, 1.0f, 1.0f, 5.0f);
    s.Vertex(3, 0.0f, 1.0f, 5.0f);
    Host_Face* first = s.Face({0, 1, 2});
    Host_Face* second = s.Face({0, 2, 3});
    Setup_Face_Flat(&s.scene, first);
    // The host moves vertex 0 without a new generation: the cache still holds the old projection.
    s.Vertex(0, -1.0f, 0.0f, 5.0f);
    Setup_Face_Flat(&s.scene, second);
    ASSERT_EQ(s.Opaque().count, 2);
    EXPECT_FLOAT_EQ(s.Opaque().records[1].x[0], Screen_X(0.0, 5.0));
    // A new generation projects it again.
    s.services->transform_generation = 2;
    Setup_Face_Flat(&s.scene, second);
    ASSERT_EQ(s.Opaque().count, 3);
    EXPECT_FLOAT_EQ(s.Opaque().records[2].x[0], Screen_X(-1.0, 5.0));
    EXPECT_EQ(s.services->vertex_stamps[0], 2u);
    EXPECT_EQ(s.services->vertex_stamps[1], 1u);  // not used since
}

TEST(Setup, Clip_Path_Never_Touches_The_Cache) {
    Face_Scene s(Row_Flat);
    s.Vertex(0, 0.0f, 0.0f, 0.5f);  // behind the near plane
    s.Vertex(1, 1.0f, 0.0f, 5.0f);
    s.Vertex(2, 0.0f, 1.0f, 5.0f);
    for (int i = 0; i < 3; ++i) s.services->projected_vertices[i] = {-9.0f, -9.0f, -9.0f, 0.0f};
    Setup_Face_Flat(&s.scene, s.Face({0, 1, 2}));
    ASSERT_EQ(s.Opaque().count, 1);
    for (int i = 0; i < 3; ++i) {
        EXPECT_EQ(s.services->vertex_stamps[i], 0u);
        EXPECT_EQ(s.services->projected_vertices[i].x, -9.0f);
        EXPECT_EQ(s.services->projected_vertices[i].w, -9.0f);
    }
}

TEST(Setup, Face_Outside_One_Plane_Is_Dropped_Before_Projection) {
    Face_Scene s(Row_Flat);
    // All three left of clip_left (x < -z), though at different places.
    s.Vertex(0, -6.0f, 0.0f, 5.0f);
    s.Vertex(1, -9.0f, 3.0f, 6.0f);
    s.Vertex(2, -30.0f, -40.0f, 0.5f);
    Setup_Face_Flat(&s.scene, s.Face({0, 1, 2}));
    EXPECT_EQ(s.Opaque().count, 0);
    EXPECT_TRUE(clip_calls.empty());
    for (int i = 0; i < 3; ++i) EXPECT_EQ(s.services->vertex_stamps[i], 0u);
}

TEST(Setup, Face_Straddling_The_Left_Edge_Is_Clipped_By_Slot_5_Only) {
    Face_Scene s(Row_Flat);
    s.Vertex_On_Screen(0, -40.0f, 100.0f, 5.0f);
    s.Vertex_On_Screen(1, 60.0f, 150.0f, 6.0f);
    s.Vertex_On_Screen(2, 80.0f, 60.0f, 7.0f);
    Setup_Face_Flat(&s.scene, s.Face({0, 1, 2}));
    ASSERT_EQ(s.Opaque().count, 1);
    EXPECT_EQ(clip_calls, std::vector<int>{5});
    const Prepared_Face& face = s.Opaque().records[0];
    EXPECT_EQ(face.vertex_count, 4);
    for (int i = 0; i < face.vertex_count; ++i) EXPECT_GE(face.x[i], 0.0f);
}

TEST(Setup, Near_Crossing_Clips_Near_Then_The_Screen_Edges_The_Host_Outcodes_Ask_For) {
    Face_Scene s(Row_Flat);
    // Vertex 0 is behind the near plane and right of x = z there; far is never crossed.
    s.Vertex(0, 0.8f, 0.0f, 0.5f);
    s.Vertex(1, 0.0f, 0.0f, 5.0f);
    s.Vertex(2, 0.0f, 2.0f, 5.0f);
    const std::uint32_t all = Host_Outcode(0.8f, 0.0f, 0.5f) & Host_Outcode(0, 0, 5) & Host_Outcode(0, 2, 5);
    ASSERT_EQ(all, 0x3Fu & ~0x01u & ~0x08u);
    Setup_Face_Flat(&s.scene, s.Face({0, 1, 2}));
    EXPECT_EQ(clip_calls, (std::vector<int>{2, 4}));
    ASSERT_EQ(s.Opaque().count, 1);
    const Prepared_Face& face = s.Opaque().records[0];
    EXPECT_EQ(face.outcode_and, all);
    // Crossings lie on the near plane: w = 1 / near_z. The near clip gave
    // (crossing 0-1, 1, 2, crossing 2-0); the right clip, keeping all, starts
    // its output at its vertex 1, so the crossings end up last.
    EXPECT_EQ(face.vertex_count, 4);
    EXPECT_EQ(face.w[2], 1.0f);
    EXPECT_EQ(face.w[3], 1.0f);
    Expect_Inside_Viewport(s.Opaque());
}

TEST(Setup, Every_Plane_Is_Clipped_In_The_Fixed_Order) {
    Face_Scene s(Row_Flat);
    // A large triangle reaching behind the eye, past the far plane and past every screen edge.
    s.Vertex(0, -300.0f, -300.0f, 150.0f);
    s.Vertex(1, 300.0f, -300.0f, 150.0f);
    s.Vertex(2, 0.0f, 300.0f, -50.0f);
    Setup_Face_Flat(&s.scene, s.Face({0, 1, 2}));
    EXPECT_EQ(clip_calls, (std::vector<int>{2, 3, 4, 5, 6, 7}));
    ASSERT_EQ(s.Opaque().count, 1);
    Expect_Inside_Viewport(s.Opaque());
}

TEST(Setup, Triangle_Beyond_A_Screen_Corner_Is_Dropped_In_The_Screen_Stage) {
    Face_Scene s(Row_Flat);
    // Right of the viewport only, below it only, and both: the OR has every bit.
    s.Vertex_On_Screen(0, 330.0f, 225.0f, 10.0f);
    s.Vertex_On_Screen(1, 315.0f, 250.0f, 10.0f);
    s.Vertex_On_Screen(2, 340.0f, 260.0f, 10.0f);
    Setup_Face_Flat(&s.scene, s.Face({0, 1, 2}));
    EXPECT_EQ(clip_calls, (std::vector<int>{4, 6}));
    EXPECT_EQ(s.Opaque().count, 0);
}

TEST(Setup, Sort_Depth_Is_The_Largest_Truncated_Camera_Z) {
    Face_Scene s(Row_Flat_Blend);
    s.Vertex(0, 0.0f, 0.0f, 10.9f);
    s.Vertex(1, 1.0f, 0.0f, 12.2f);
    s.Vertex(2, 0.0f, 1.0f, 12.7f);
    Setup_Face_Flat_Translucent(&s.scene, s.Face({0, 1, 2}));
    ASSERT_EQ(s.Translucent().count, 1);
    EXPECT_EQ(s.Translucent().records[0].sort_depth, 12);
    EXPECT_EQ(s.Translucent().records[0].opaque, 0);
    EXPECT_EQ(s.Opaque().count, 0);
    // Taken after the far clip: the part beyond z 100 no longer counts.
    s.Vertex(3, 0.0f, 0.0f, 50.0f);
    s.Vertex(4, 10.0f, 0.0f, 60.0f);
    s.Vertex(5, 0.0f, 10.0f, 150.9f);
    Setup_Face_Flat_Translucent(&s.scene, s.Face({3, 4, 5}));
    ASSERT_EQ(s.Translucent().count, 2);
    EXPECT_EQ(s.Translucent().records[1].sort_depth, 100);
}

TEST(Setup, Shade_Is_Light_Times_64_Times_W_Only_Without_A_Map) {
    for (bool mapped : {false, true}) {
        SCOPED_TRACE(mapped ? "Gouraud_Mapped" : "Gouraud");
        Face_Scene s(mapped ? Row_Gouraud_Mapped : Row_Gouraud);
        s.Vertex(0, 0.0f, 0.0f, 4.0f, 100.0f);
        s.Vertex(1, 1.0f, 0.0f, 5.0f, 100.0f);
        s.Vertex(2, 0.0f, 1.0f, 8.0f, 25.0f);
        s.Vertex(3, 0.0f, 0.0f, 0.5f, 100.0f);  // behind the near plane: the clip path
        const auto setup = mapped ? Setup_Face_Gouraud_Mapped : Setup_Face_Gouraud;
        setup(&s.scene, s.Face({0, 1, 2}));
        setup(&s.scene, s.Face({1, 2, 3}));
        ASSERT_EQ(s.Opaque().count, 2);
        const Prepared_Face& cached = s.Opaque().records[0];
        const float z[3] = {4.0f, 5.0f, 8.0f};
        const float light[3] = {100.0f, 100.0f, 25.0f};
        for (int i = 0; i < 3; ++i) EXPECT_FLOAT_EQ(cached.shade[i], light[i] * 64.0f * (mapped ? 1.0f : 1.0f / z[i]));
        // Clip path: the walk keeps corner 1 (vertex 2) first, then the crossing on
        // its edge to vertex 3, the crossing on 3-1, and corner 0 (vertex 1) last.
        const Prepared_Face& clipped = s.Opaque().records[1];
        ASSERT_EQ(clipped.vertex_count, 4);
        EXPECT_FLOAT_EQ(clipped.shade[0], 1600.0f * (mapped ? 1.0f : 1.0f / 8.0f));
        EXPECT_FLOAT_EQ(clipped.shade[3], 6400.0f * (mapped ? 1.0f : 1.0f / 5.0f));
        // The crossing lies at z 1, 0.5 / 7.5 of the way from vertex 3 towards vertex 2;
        // the light is interpolated in camera space, then times w = 1.
        EXPECT_NEAR(clipped.shade[1], 6400.0 + (1600.0 - 6400.0) * 0.5 / 7.5, 1e-2);
        EXPECT_EQ(clipped.w[1], 1.0f);
    }
}

TEST(Setup, Map_Coordinates_Are_Scaled_Offset_And_Times_W) {
    for (Row_Id id : {Row_Mapped, Row_Gouraud_Mapped, Row_Mapped_Blend}) {
        SCOPED_TRACE(id);
        Face_Scene s(id);
        s.Vertex(0, 0.0f, 0.0f, 4.0f, 10.0f);
        s.Vertex(1, 1.0f, 0.0f, 5.0f, 10.0f);
        s.Vertex(2, 0.0f, 1.0f, 8.0f, 10.0f);
        s.row.setup(&s.scene, s.Face({0, 1, 2}, {{0.5f, 0.25f}, {1.0f, 0.0f}, {-0.125f, 2.0f}}));
        const Face_Pool& pool = id == Row_Mapped_Blend ? s.Translucent() : s.Opaque();
        ASSERT_EQ(pool.count, 1);
        const Prepared_Face& face = pool.records[0];
        const double u[3] = {0.5, 1.0, -0.125}, v[3] = {0.25, 0.0, 2.0}, z[3] = {4, 5, 8};
        for (int i = 0; i < 3; ++i) {
            EXPECT_NEAR(face.u[i], (64.0 * u[i] + 0.3) * 256.0 / z[i], 1e-2) << i;
            EXPECT_NEAR(face.v[i], (32.0 * v[i] + 0.3) * 256.0 / z[i], 1e-2) << i;
        }
    }
}

TEST(Setup, Depth_Plane_Gives_One_Over_Z_Across_The_Face) {
    Face_Scene s(Row_Flat);
    // The plane z = 4 + x through (0,0,4), (1,0,5), (0,1,4): normal (-1, 0, 1), so
    // k = 1/4 and 1/z = 0.5 - sx / 640 on this camera.
    s.Vertex(0, 0.0f, 0.0f, 4.0f);
    s.Vertex(1, 1.0f, 0.0f, 5.0f);
    s.Vertex(2, 0.0f, 1.0f, 4.0f);
    Setup_Face_Flat(&s.scene, s.Face({0, 1, 2}));
    ASSERT_EQ(s.Opaque().count, 1);
    const Prepared_Face& face = s.Opaque().records[0];
    EXPECT_FLOAT_EQ(face.depth_dx, -1.0f / 640.0f);
    EXPECT_EQ(face.depth_dy, 0.0f);
    EXPECT_FLOAT_EQ(face.depth_0, 0.5f);
    // A tilted plane crossing the near plane: 1/z at every clipped vertex lies on it.
    s.Vertex(3, -2.0f, -1.0f, 3.0f);
    s.Vertex(4, 3.0f, -2.0f, 0.25f);
    s.Vertex(5, 1.0f, 4.0f, 9.0f);
    Setup_Face_Flat(&s.scene, s.Face({3, 4, 5}));
    ASSERT_EQ(s.Opaque().count, 2);
    const Prepared_Face& tilted = s.Opaque().records[1];
    for (int i = 0; i < tilted.vertex_count; ++i) {
        EXPECT_NEAR(Plane_W(tilted, tilted.x[i], tilted.y[i]), tilted.w[i], 1e-4 * std::fabs(tilted.w[i]) + 1e-6) << i;
    }
}

TEST(Setup, Faces_That_Cannot_Be_Drawn_Are_Not_Set_Up) {
    Face_Scene s(Row_Mapped);
    s.Vertex(0, 0.0f, 0.0f, 5.0f);
    s.Vertex(1, 1.0f, 0.0f, 5.0f);
    s.Vertex(2, 0.0f, 1.0f, 5.0f);
    // A plane through the eye: the normal is at right angles to the first corner.
    Host_Face* edge_on = s.Face({0, 1, 2});
    edge_on->normal[0] = 1.0f, edge_on->normal[1] = 0.0f, edge_on->normal[2] = 0.0f;
    Setup_Face_Mapped(&s.scene, edge_on);
    Host_Face* no_face_data = s.Face({0, 1, 2});
    no_face_data->render_data = nullptr;
    Setup_Face_Mapped(&s.scene, no_face_data);
    EXPECT_EQ(s.Opaque().count, 0);

    Host_Face* good = s.Face({0, 1, 2});
    s.image.u_scale = 1.0f;
    s.map.image = nullptr;
    Setup_Face_Mapped(&s.scene, good);
    s.material.map = nullptr;
    Setup_Face_Mapped(&s.scene, good);
    s.material.map = &s.map;
    s.map.image = &s.image;
    s.render_data.row = nullptr;
    Setup_Face_Mapped(&s.scene, good);
    s.render_data.row = &s.row;
    s.material.render_data = nullptr;
    Setup_Face_Mapped(&s.scene, good);
    EXPECT_EQ(s.Opaque().count, 0);
    s.material.render_data = &s.render_data;
    Setup_Face_Mapped(&s.scene, good);
    EXPECT_EQ(s.Opaque().count, 1);
}

TEST(Setup, Large_Face_Becomes_A_Fan_Of_Pieces_Sharing_Corner_0_And_The_Plane) {
    Face_Scene s(Row_Flat);
    // A regular 12-gon at z 5, wholly inside.
    std::vector<std::uint32_t> corners;
    for (int i = 0; i < 12; ++i) {
        const double angle = 6.283185307179586 * i / 12;
        s.Vertex(i, static_cast<float>(2 * std::cos(angle)), static_cast<float>(2 * std::sin(angle)), 5.0f);
        corners.push_back(i);
    }
    Setup_Face_Flat(&s.scene, s.Face(corners));
    ASSERT_EQ(s.Opaque().count, 2);
    const std::vector<std::vector<int>> pieces = {{0, 1, 2, 3, 4, 5, 6, 7, 8, 9}, {0, 9, 10, 11}};
    for (int p = 0; p < 2; ++p) {
        const Prepared_Face& face = s.Opaque().records[p];
        ASSERT_EQ(face.vertex_count, static_cast<int>(pieces[p].size()));
        for (std::size_t i = 0; i < pieces[p].size(); ++i) {
            const Camera_Vertex& v = s.Position(pieces[p][i]);
            EXPECT_NEAR(face.x[i], Screen_X(v.x, v.z), 1e-3);
            EXPECT_NEAR(face.y[i], Screen_Y(v.y, v.z), 1e-3);
        }
        EXPECT_FLOAT_EQ(face.depth_0, 0.2f);
        EXPECT_EQ(face.depth_dx, 0.0f);
    }
    // 11 corners leave a last piece of 3.
    corners.pop_back();
    s.Opaque().count = 0;
    Setup_Face_Flat(&s.scene, s.Face(corners));
    ASSERT_EQ(s.Opaque().count, 2);
    EXPECT_EQ(s.Opaque().records[1].vertex_count, 3);
}

TEST(Setup, Large_Face_Through_Every_Plane_Stays_Inside_Record_And_Viewport) {
    Face_Scene s(Row_Gouraud_Mapped);
    // A 40-gon tilted through the near and far planes and far past the screen edges.
    std::vector<std::uint32_t> corners;
    for (int i = 0; i < 40; ++i) {
        const double angle = 6.283185307179586 * i / 40;
        const double x = 120 * std::cos(angle), y = 90 * std::sin(angle);
        s.Vertex(i, static_cast<float>(x), static_cast<float>(y), static_cast<float>(50 + 0.9 * y), 40.0f);
        corners.push_back(i);
    }
    Setup_Face_Gouraud_Mapped(&s.scene, s.Face(corners));
    EXPECT_GE(s.Opaque().count, 1);
    Expect_Inside_Viewport(s.Opaque());
}

TEST(Setup, Faces_Of_One_Or_Two_Corners_Inside_Are_Appended_As_They_Are) {
    Face_Scene s(Row_Flat);
    s.Vertex(0, 0.0f, 0.0f, 5.0f);
    s.Vertex(1, 1.0f, 0.0f, 5.0f);
    Setup_Face_Flat(&s.scene, s.Face({0}));
    Setup_Face_Flat(&s.scene, s.Face({0, 1}));
    ASSERT_EQ(s.Opaque().count, 2);
    EXPECT_EQ(s.Opaque().records[0].vertex_count, 1);
    EXPECT_EQ(s.Opaque().records[1].vertex_count, 2);
    // An empty face has no corner inside anything.
    Setup_Face_Flat(&s.scene, s.Face({}));
    EXPECT_EQ(s.Opaque().count, 2);
}

TEST(Setup, Host_Outcodes_That_Lie_Cannot_Move_Writes_Outside_The_Viewport) {
    Face_Scene s(Row_Flat);
    // Far off screen, but the host says every vertex is inside everything.
    s.services.Set_Vertex(0, -50.0f, 40.0f, 5.0f, 63);
    s.services.Set_Vertex(1, 90.0f, -70.0f, 6.0f, 63);
    s.services.Set_Vertex(2, 1.0f, 1.0f, 5.0f, 63);
    Setup_Face_Flat(&s.scene, s.Face({0, 1, 2}));
    ASSERT_EQ(s.Opaque().count, 1);
    EXPECT_TRUE(clip_calls.empty());
    Expect_Inside_Viewport(s.Opaque());
    const Prepared_Face& face = s.Opaque().records[0];
    EXPECT_EQ(face.x[0], 0.0f);
    EXPECT_EQ(face.y[0], 0.0f);
    EXPECT_EQ(face.x[1], 320.0f);
    EXPECT_EQ(face.y[1], 240.0f);
    EXPECT_EQ(face.y_row[1], 240);
    // A vertex at the eye that claims to be inside gives no finite position: dropped.
    s.services.Set_Vertex(3, 0.0f, 0.0f, 0.0f, 63);
    s.services.Set_Vertex(4, 1.0f, 0.0f, 5.0f, 63);
    Host_Face* at_eye = s.Face({4, 3, 2});
    at_eye->normal[0] = 0.0f, at_eye->normal[1] = 0.0f, at_eye->normal[2] = 1.0f;
    Setup_Face_Flat(&s.scene, at_eye);
    EXPECT_EQ(s.Opaque().count, 1);
}

TEST(Setup, The_513th_Face_Grows_The_Pool_And_Keeps_The_Records) {
    Face_Scene s(Row_Flat);
    s.Vertex(0, 0.0f, 0.0f, 5.0f);
    s.Vertex(1, 1.0f, 0.0f, 5.0f);
    s.Vertex(2, 0.0f, 1.0f, 5.0f);
    Host_Face* face = s.Face({0, 1, 2});
    for (int i = 0; i < 512; ++i) Setup_Face_Flat(&s.scene, face);
    EXPECT_EQ(s.Opaque().capacity, 512);
    Setup_Face_Flat(&s.scene, face);
    ASSERT_EQ(s.Opaque().count, 513);
    EXPECT_EQ(s.Opaque().capacity, 1024);
    EXPECT_GE(faces_state.sort.capacity, 1024);
    EXPECT_FLOAT_EQ(s.Opaque().records[0].x[1], Screen_X(1.0, 5.0));
    EXPECT_FLOAT_EQ(s.Opaque().records[511].x[1], Screen_X(1.0, 5.0));
    EXPECT_EQ(s.Opaque().records[0].first_span, -1);
}

TEST(Setup, Failed_Growth_Drops_The_Face_And_The_Next_One_Tries_Again) {
    Face_Scene s(Row_Flat);
    quorvel_host::Use_Recording_Memory(*s.services);
    quorvel_host::Memory().Reset();
    quorvel_host::Memory().fail_call = 1;
    s.Vertex(0, 0.0f, 0.0f, 5.0f);
    s.Vertex(1, 1.0f, 0.0f, 5.0f);
    s.Vertex(2, 0.0f, 1.0f, 5.0f);
    Host_Face* face = s.Face({0, 1, 2});
    Setup_Face_Flat(&s.scene, face);
    EXPECT_EQ(s.Opaque().count, 0);
    EXPECT_EQ(s.Opaque().capacity, 0);
    Setup_Face_Flat(&s.scene, face);
    EXPECT_EQ(s.Opaque().count, 1);
    EXPECT_EQ(s.Opaque().capacity, 512);
    quorvel_host::Use_Plain_Memory(*s.services);
    // The pools now hold blocks from the recording functions; both sides use malloc.
}

}  // namespace
}  // namespace face_test
