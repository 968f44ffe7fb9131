// Face setup: which clip slots run for which outcodes, the projection cache,
// the values each member stores, the depth plane, fan pieces, the faces that
// are dropped, the square members, and seeded random faces (crossing every
// plane, non-convex, large, with lying outcodes) that must leave every record
// inside the viewport; under the asan build also inside the record.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <functional>
#include <random>
#include <vector>

#include "base/numbers.h"
#include "faces/faces.h"
#include "support/logging_host.h"

namespace {

double Screen_X(double x, double z) { return 160.0 + 160.0 * x / z; }

// Clip slots called, by slot number (2 near .. 7 top), each passed on to the row's own function.
std::vector<int> clip_calls;
const Dispatch_Row* clip_target = nullptr;
constexpr Clip_Function Dispatch_Row::*clip_slots[] = {&Dispatch_Row::clip_near,   &Dispatch_Row::clip_far,
                                                       &Dispatch_Row::clip_right,  &Dispatch_Row::clip_left,
                                                       &Dispatch_Row::clip_bottom, &Dispatch_Row::clip_top};
template <int slot>
void QUORVEL_CDECL Log_Clip(Host_Scene* s, Prepared_Face* face) {
    clip_calls.push_back(slot), (clip_target->*clip_slots[slot - 2])(s, face);
}

// The shared test host (viewport 320 x 240, the images of x = +-z, y = +-z;
// near 1, far 100) with its material on the chosen row, whose clip slots log.
struct Face_Scene : quorvel_test::Logging_Host {
    Host_Object* object = Object("A");
    Map_Image image{};
    Host_Map map{};
    Corner_Uv uv[24];

    explicit Face_Scene(Row_Id id) {
        Fill_Dispatch_Rows();
        clip_calls.clear();
        services->transform_generation = 1;  // stamps start at 0: nothing cached
        row = *(clip_target = &interface_state.rows[id]);
        row.clip_near = Log_Clip<2>;
        row.clip_far = Log_Clip<3>;
        row.clip_right = Log_Clip<4>;
        row.clip_left = Log_Clip<5>;
        row.clip_bottom = Log_Clip<6>;
        row.clip_top = Log_Clip<7>;
        material.map = &map;
        map.image = &image;
        image.u_scale = 64.0f;
        image.v_scale = 32.0f;
        std::fill(std::begin(uv), std::end(uv), Corner_Uv{0.5f, 0.25f});
    }
    ~Face_Scene() { Release_Face_Pools(); }

    void Vertex(std::uint32_t index, float x, float y, float z, float light = 0.0f) {
        Logging_Host::Vertex(index, x, y, z);
        services->vertex_lights[index].light = light;
    }
    // Corners take their map coordinates from uv[]; the normal is the cross product of the first two edges.
    Host_Face* Face(const std::vector<std::uint32_t>& corners) {
        Host_Face* face = Logging_Host::Face(object, "f", corners);
        face->corner_uv = uv;
        face->render_data->random_colour = 0x2A5F;
        face->normal[2] = 1.0f;
        if (corners.size() < 3) return face;
        const Camera_Vertex *v = services->camera_vertices, &a = v[corners[0]], &b = v[corners[1]], &c = v[corners[2]];
        const double e[3] = {b.x - a.x, b.y - a.y, b.z - a.z}, f[3] = {c.x - a.x, c.y - a.y, c.z - a.z};
        for (int i = 0; i < 3; ++i)
            face->normal[i] = float(e[(i + 1) % 3] * f[(i + 2) % 3] - e[(i + 2) % 3] * f[(i + 1) % 3]);
        return face;
    }
    void Setup(const std::vector<std::uint32_t>& corners) { row.setup(&scene, Face(corners)); }
};
Face_Pool &opaque = faces_state.opaque, &translucent = faces_state.translucent, &overlay = faces_state.overlay;

// What every record must satisfy whatever the host sent.
void Check_Pool(const Face_Pool& pool) {
    for (const Prepared_Face* face = pool.records; face < pool.records + pool.count; ++face) {
        ASSERT_GE(face->vertex_count, 1);
        ASSERT_LE(face->vertex_count, max_face_vertices);
        ASSERT_EQ(face->first_span, -1);
        for (std::int32_t i = 0; i < face->vertex_count; ++i) {
            ASSERT_GE(face->x[i], 0.0f) << i;
            ASSERT_LE(face->x[i], 320.0f) << i;
            ASSERT_GE(face->y[i], 0.0f) << i;
            ASSERT_LE(face->y[i], 240.0f) << i;
            ASSERT_EQ(face->y_row[i], Truncate_To_Int(face->y[i])) << i;
        }
        if (&pool != &overlay) {
            ASSERT_TRUE(std::isfinite(face->depth_0 + face->depth_dx + face->depth_dy));
        }
    }
}

TEST(Setup, Outcodes_Choose_The_Clip_Slots_Only_Unclipped_Faces_Use_The_Cache_And_Sort_Depth_Is_The_Deepest_Z) {
    const struct {
        float v[3][3];
        std::vector<int> calls;
        int records, sort_depth;
        bool cached;
    } cases[] = {
        {{{0, 0, 10.9f}, {1, 0, 12.2f}, {-1.5f, -1, 12.7f}}, {}, 1, 12, true},  // inside everything
        {{{-6, 0, 5}, {-9, 3, 6}, {-30, -40, 0.5f}}, {}, 0, 0, false},          // all left of x = -z
        {{{-6, 0, 5}, {-2, -1, 6}, {-1, 1, 7}}, {5}, 1, 7, true},               // across the left edge
        {{{0.8f, 0, 0.5f}, {0, 0, 5}, {0, 2, 5}}, {2, 4}, 1, 5, false},         // behind near, right of x = z there
        {{{-300, -300, 150}, {300, -300, 150}, {0, 300, -50}}, {2, 3, 4, 5, 6, 7}, 1, 100, false},
        {{{10.6f, -8.8f, 10}, {9.7f, -10.9f, 10}, {11.2f, -11.7f, 10}}, {4, 6}, 0, 0, true},  // past a corner
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message() << "case " << &c - cases);
        Face_Scene s(Row_Flat_Blend);
        for (int i = 0; i < 3; ++i) {
            s.Vertex(i, c.v[i][0], c.v[i][1], c.v[i][2]);
            s.services->projected_vertices[i] = {-9.0f, -9.0f, -9.0f, 0.0f};
        }
        s.Setup({0, 1, 2});
        EXPECT_EQ(clip_calls, c.calls);
        ASSERT_EQ(translucent.count, c.records);
        Check_Pool(translucent);
        for (int i = 0; i < 3; ++i)  // projected and stamped, or left alone
            EXPECT_TRUE(c.cached ? s.services->vertex_stamps[i] == 1u
                                 : s.services->vertex_stamps[i] == 0u && s.services->projected_vertices[i].x == -9.0f)
                << i;
        if (c.records == 0) continue;
        const Prepared_Face& face = translucent.records[0];
        EXPECT_EQ(face.sort_depth, c.sort_depth);
        EXPECT_EQ(face.material, &s.material);
        EXPECT_EQ(face.face_colour, 0x2A5F);
        EXPECT_EQ(face.opaque, 0);
        EXPECT_EQ(face.in_count, 0);
        EXPECT_EQ(face.visible, 1);
        if (&c != cases) continue;
        // The host moves vertex 0 within the same generation: a face sharing it reads the
        // cache. (The projection itself is checked by the squares, the cache by picking.)
        s.Vertex(0, 1.0f, 1.0f, 10.0f);
        s.Vertex(3, 0.0f, 2.0f, 11.0f);
        s.Setup({0, 1, 3});
        ASSERT_EQ(translucent.count, 2);
        EXPECT_FLOAT_EQ(translucent.records[1].x[0], Screen_X(0.0, 10.9));
    }
}

TEST(Setup, Shade_And_Map_Coordinates_On_The_Cached_And_The_Clip_Path) {
    for (Row_Id id : {Row_Gouraud, Row_Gouraud_Mapped, Row_Mapped_Blend}) {
        SCOPED_TRACE(id);
        Face_Scene s(id);
        const float z[4] = {4, 5, 8, 0.5f}, light[4] = {100, 100, 25, 100};
        for (int i = 0; i < 4; ++i) s.Vertex(i, i == 1 ? 1.0f : 0.0f, i == 2 ? 1.0f : 0.0f, z[i], light[i]);
        s.uv[1] = {1.0f, 0.0f};
        s.uv[2] = {-0.125f, 2.0f};
        s.Setup({0, 1, 2});
        s.uv[1] = s.uv[2] = s.uv[0], s.Setup({1, 2, 3});  // vertex 3 is behind the near plane
        const Face_Pool& pool = id == Row_Mapped_Blend ? translucent : opaque;
        ASSERT_EQ(pool.count, 2);
        EXPECT_EQ(pool.records[0].opaque, id == Row_Mapped_Blend ? 0 : 1);
        const bool lit = id != Row_Mapped_Blend, mapped = id != Row_Gouraud;
        // Light x 64, times w only without a map; (scale x uv + 0.3) x 256 x w.
        const double u[3] = {0.5, 1.0, -0.125}, v[3] = {0.25, 0.0, 2.0};
        for (int i = 0; i < 3; ++i) {
            if (lit) {
                EXPECT_FLOAT_EQ(pool.records[0].shade[i], light[i] * 64.0f * (mapped ? 1.0f : 1.0f / z[i]));
            }
            if (mapped) {
                EXPECT_NEAR(pool.records[0].u[i], (64.0 * u[i] + 0.3) * 256.0 / z[i], 1e-2);
                EXPECT_NEAR(pool.records[0].v[i], (32.0 * v[i] + 0.3) * 256.0 / z[i], 1e-2);
            }
        }
        // The walk keeps vertex 2, then the crossing on 2-3 (at z 1, 0.5 / 7.5 of the way
        // from vertex 3); values are interpolated in camera space and only then times w.
        const Prepared_Face& clipped = pool.records[1];
        ASSERT_EQ(clipped.vertex_count, 4);
        EXPECT_EQ(clipped.w[1], 1.0f);
        if (lit) {
            EXPECT_FLOAT_EQ(clipped.shade[0], 1600.0f * (mapped ? 1.0f : 1.0f / 8.0f));
            EXPECT_NEAR(clipped.shade[1], 6400.0 + (1600.0 - 6400.0) * 0.5 / 7.5, 1e-2);
        }
        if (mapped) {
            EXPECT_NEAR(clipped.u[1], (64.0 * 0.5 + 0.3) * 256.0, 1e-2);
        }
    }
}

TEST(Setup, Depth_Plane_Gives_One_Over_Z_At_Every_Vertex_Of_Every_Fan_Piece) {
    Face_Scene s(Row_Flat);
    // A tilted face through the near plane and the right edge; a regular 12-gon
    // in the plane z = 5 - x / 4, which becomes pieces of 10 and 4 corners around corner 0.
    s.Vertex(20, -2.0f, -1.0f, 3.0f);
    s.Vertex(21, 3.0f, -2.0f, 0.25f);
    s.Vertex(22, 1.0f, 4.0f, 9.0f);
    std::vector<std::uint32_t> corners = {0, 1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11};
    for (std::uint32_t i = 0; i < 12; ++i)
        s.Vertex(i, 2 * std::cos(i * 0.5235988f), 2 * std::sin(i * 0.5235988f), 5 - std::cos(i * 0.5235988f) / 2);
    s.Setup({20, 21, 22});
    s.Setup(corners);
    corners.pop_back(), s.Setup(corners);  // 11 corners leave a last piece of 3
    // One or two corners inside everything are appended as they are; no corner, nothing.
    s.Setup({0});
    s.Setup({0, 1});
    s.Setup({});
    ASSERT_EQ(opaque.count, 7);
    const int counts[] = {0, 10, 4, 10, 3, 1, 2};
    for (int r = 0; r < 7; ++r) {
        const Prepared_Face& f = opaque.records[r];
        if (r > 0) {
            EXPECT_EQ(f.vertex_count, counts[r]) << r;
        }
        for (int i = 0; i < f.vertex_count && r < 5; ++i)
            EXPECT_NEAR(f.depth_0 + f.depth_dx * f.x[i] + f.depth_dy * f.y[i], f.w[i], 1e-4 * f.w[i]) << r << " " << i;
    }
    // The second piece starts at corner 0 and goes on from corner 9, where the first ended.
    const Camera_Vertex* at = s.services->camera_vertices;
    EXPECT_NEAR(opaque.records[2].x[0], Screen_X(at[0].x, at[0].z), 1e-3);
    EXPECT_NEAR(opaque.records[2].x[1], Screen_X(at[9].x, at[9].z), 1e-3);
}

TEST(Setup, Faces_That_Cannot_Be_Drawn_Are_Not_Set_Up) {
    // The first leaves the face as it is; the others each spoil one thing: a plane
    // through the eye, a vertex at the eye called inside, no face block, and what
    // a mapped row reads (the map, its image, the material's row or block).
    const std::function<void(Face_Scene&, Host_Face&)> spoilers[] = {
        [](Face_Scene&, Host_Face&) {},
        [](Face_Scene&, Host_Face& f) { f.normal[0] = 1, f.normal[2] = 0; },
        [](Face_Scene& s, Host_Face&) { s.services.Set_Vertex(1, 0, 0, 0, 63); },
        [](Face_Scene&, Host_Face& f) { f.render_data = nullptr; },
        [](Face_Scene& s, Host_Face&) { s.map.image = nullptr; },
        [](Face_Scene& s, Host_Face&) { s.material.map = nullptr; },
        [](Face_Scene& s, Host_Face&) { s.material_data.row = nullptr; },
        [](Face_Scene& s, Host_Face&) { s.material.render_data = nullptr; }};
    for (const auto& spoil : spoilers) {
        Face_Scene s(Row_Mapped);
        s.Vertex(0, 0.0f, 0.0f, 5.0f);
        s.Vertex(1, 1.0f, 0.0f, 5.0f);
        s.Vertex(2, 0.0f, 1.0f, 5.0f);
        Host_Face* face = s.Face({0, 1, 2});
        spoil(s, *face);
        Setup_Face_Mapped(&s.scene, face);
        EXPECT_EQ(opaque.count, &spoil == spoilers ? 1 : 0) << &spoil - spoilers;
    }
}

TEST(Square, Quads_Become_Squares_Of_Their_Larger_Half_Extent_Clipped_Only_By_Screen_Edges) {
    // Screen x, y and camera z per corner; whether the host calls every corner
    // inside; the clip slots called; the square drawn (left, top, right, bottom), if any.
    const struct {
        float quad[4][3];
        bool lying;
        std::vector<int> calls;
        float box[4];
    } cases[] = {
        {{{100, 110, 10}, {100, 130, 11}, {200, 130, 12}, {200, 110, 13}}, false, {}, {100, 70, 200, 170}},  // wide
        {{{150, 20, 10}, {150, 220, 10}, {170, 220, 10}, {170, 20, 10}}, false, {}, {60, 20, 260, 220}},     // tall
        {{{290, 80, 10}, {300, 160, 10}, {310, 160, 10}, {300, 80, 10}},
         false,
         {4},
         {260, 80, 320, 160}},                                                                // grows past the right
        {{{-60, 100, 10}, {-60, 120, 10}, {-40, 120, 10}, {-40, 100, 10}}, true, {5}, {}},    // wholly left
        {{{100, 110, 10}, {100, 130, 10}, {120, 130, 10}, {120, 110, 0.5f}}, false, {}, {}},  // behind near
        {{{100, 110, 10}, {100, 130, 10}, {120, 130, 150}, {120, 110, 10}}, false, {}, {}},   // past far
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message() << "case " << &c - cases);
        Face_Scene s(Row_Square);
        for (int i = 0; i < 4; ++i) {
            const float sx = c.quad[i][0], sy = c.quad[i][1], z = c.quad[i][2];
            s.Vertex(i, (sx - 160.0f) / 160.0f * z, (120.0f - sy) / 120.0f * z, z);
            s.uv[i] = {i >= 2 ? 1.0f : 0.0f, 0.0f};
            if (c.lying) s.services->vertex_outcodes[i] = 63;
        }
        Setup_Face_Square(&s.scene, s.Face({0, 1, 2, 3}));
        EXPECT_EQ(clip_calls, c.calls);
        ASSERT_EQ(translucent.count, c.box[2] > 0 ? 1 : 0);
        Check_Pool(translucent);
        if (translucent.count == 0) continue;
        const Prepared_Face& face = translucent.records[0];
        EXPECT_EQ(face.vertex_count, 4);
        EXPECT_EQ(face.sort_depth, int(c.quad[3][2]));
        EXPECT_EQ(face.opaque, 0);
        const float box[4] = {*std::min_element(face.x, face.x + 4), *std::min_element(face.y, face.y + 4),
                              *std::max_element(face.x, face.x + 4), *std::max_element(face.y, face.y + 4)};
        for (int k = 0; k < 4; ++k) EXPECT_NEAR(box[k], c.box[k], 1e-3) << k;
        if (&c != cases) continue;
        // w and the map coordinates stay with their corners; the depth is the first corner's.
        for (int i = 0; i < 4; ++i) EXPECT_NEAR(face.u[i], (64.0 * (i >= 2) + 0.3) * 256.0 / c.quad[i][2], 1e-2);
        EXPECT_EQ(face.w[3], 1.0f / 13.0f);
        EXPECT_EQ(face.depth_dx, 0.0f);
        EXPECT_EQ(face.depth_dy, 0.0f);
        EXPECT_EQ(face.depth_0, 0.1f);
        // The overlay member fills its own list; other corner counts give nothing.
        Setup_Face_Square_Overlay(&s.scene, s.Face({0, 1, 2, 3}));
        Setup_Face_Square_Overlay(&s.scene, s.Face({0, 1, 2}));
        Setup_Face_Square(&s.scene, s.Face({0, 1, 2, 3, 0}));
        EXPECT_EQ(overlay.count, 1);
        EXPECT_EQ(translucent.count, 1);
    }
}

TEST(Random_Faces, Every_Row_Keeps_Its_Records_Inside_The_Viewport) {
    for (int id = 0; id < Row_Count; ++id) {
        SCOPED_TRACE(testing::Message() << "row " << id);
        Face_Scene s(static_cast<Row_Id>(id));
        std::mt19937 random(1000u + id);
        const auto uniform = [&](float low, float high) {
            return std::uniform_real_distribution<float>(low, high)(random);
        };
        for (int n = 0; n < 1500; ++n) {
            // Each face its own object: a new generation. 1 to 24 corners on an ellipse
            // in a random plane, or scattered; one in five with lying outcodes.
            s.services->transform_generation += 1;
            const int count = random() % 4 == 0 ? 1 + random() % 24 : 3 + random() % 4;
            const float centre[3] = {uniform(-40, 40), uniform(-40, 40), uniform(-20, 130)};
            const float radius = random() % 3 == 0 ? uniform(50, 400) : uniform(0.5f, 30);
            const float a[3] = {uniform(-1, 1), uniform(-1, 1), uniform(-1, 1)},
                        b[3] = {uniform(-1, 1), uniform(-1, 1), uniform(-1, 1)};
            const bool scattered = random() % 5 == 0, truthful = random() % 5 != 0;
            std::vector<std::uint32_t> corners;
            for (int i = 0; i < count; ++i) {
                const float angle = 6.2831853f * float(i) / float(count);
                const float c = scattered ? uniform(-1, 1) : std::cos(angle),
                            d = scattered ? uniform(-1, 1) : std::sin(angle);
                const auto along = [&](int k) { return centre[k] + radius * (c * a[k] + d * b[k]); };
                corners.push_back((n % 8) * 24 + i);
                s.Vertex(corners.back(), along(0), along(1), along(2), uniform(0, 255));
                if (!truthful) s.services->vertex_outcodes[corners.back()] = random() % 2 ? 63u : random() & 63u;
            }
            s.Setup(corners);
        }
        // Plenty of work reached the records; squares take only quads inside near and far.
        EXPECT_GT(opaque.count + translucent.count + overlay.count,
                  id == Row_Square || id == Row_Square_Overlay ? 20 : 300);
        for (const Face_Pool* pool : {&opaque, &translucent, &overlay}) Check_Pool(*pool);
    }
}

}  // namespace
