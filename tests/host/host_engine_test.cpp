// What the host owes the library: outcodes against the six planes (a point on
// a plane is inside it), a camera whose derived words and bounds match the
// projection the library applies, visibility from bounding spheres, vertex
// light values, the face test, a viewport kept inside the frame, and a
// showcase of every render state.
#include <gtest/gtest.h>

#include <cmath>
#include <iterator>
#include <random>

#include "core/scene.h"
#include "core/shapes.h"
#include "core/showcase.h"
#include "module/module.h"

namespace quorvel_host {
namespace {

// Loose points, each the corner of a triangle with two far helper vertices.
Mesh_Data Points(const std::vector<Vec3>& points, Material* material) {
    Mesh_Data data{points};
    data.positions.insert(data.positions.end(), {{1000, 0, 1}, {0, 1000, 1}});
    const std::uint32_t a = std::uint32_t(points.size());
    for (std::uint32_t i = 0; i < a; ++i) data.faces.push_back({{{i}, {a}, {a + 1}}, material});
    return data;
}

// op3, op5 then op9, the way the library's traversal calls them.
const Host_Services& Call_Operations(Scene_Object& object) {
    Host_Object* o = &object.record;
    o->object_class->operations->update(o);
    Host_Object* source = o->object_class->operations->source(o, object.scene->Record());
    source->object_class->operations->transform(source, o, object.scene->Record());
    return *object.scene->Get_Services().Record();
}

TEST(Outcodes, A_Point_On_A_Plane_Is_Inside_It_And_Beyond_Clears_That_Plane_Bit_Alone) {
    constexpr std::uint32_t all = 63;
    // near 1, far 10; side planes x = +-z and y = +-z, camera y growing up.
    const struct {
        Vec3 p;
        std::uint32_t code;
    } cases[] = {{{0, 0, 5}, all},
                 {{0, 0, 1}, all},
                 {{0, 0, 0.999f}, all & ~0x01u},
                 {{0, 0, 10}, all},
                 {{0, 0, 10.001f}, all & ~0x02u},
                 {{-5, 0, 5}, all},
                 {{-5.001f, 0, 5}, all & ~0x04u},
                 {{5, 0, 5}, all},
                 {{5.001f, 0, 5}, all & ~0x08u},
                 {{0, 5, 5}, all},
                 {{0, 5.001f, 5}, all & ~0x10u},
                 {{0, -5, 5}, all},
                 {{0, -5.001f, 5}, all & ~0x20u},
                 {{6, 6, 5}, all & ~0x18u},
                 {{0, 0, -1}, 0x02u},
                 {{0, 0, 0}, 0x3Eu}};
    for (const auto& c : cases) EXPECT_EQ(Outcode(c.p, 1.0f, 10.0f), c.code) << c.p.x << ", " << c.p.y << ", " << c.p.z;
}

TEST(Camera, Derived_Words_Bounds_And_Field_Of_View_Agree_With_The_Library_Projection) {
    Scene scene;
    // Points on the edges of a 60-degree, 4:3 view from (1, 2, 3) along +z,
    // worked out from the lens alone: centre, top, right, bottom left.
    const float d = 7.0f, y = float(std::tan(pi / 6.0)) * d, x = y * 4.0f / 3.0f;
    const Vec3 eye{1, 2, 3};
    Material& material = scene.Add_Material({});
    scene.Add_Mesh(Points({{0, 0, 0}}, &material));  // moves the next mesh off index 0
    Mesh& mesh = scene.Add_Mesh(
        Points({eye + Vec3{0, 0, d}, eye + Vec3{0, y, d}, eye + Vec3{x, 0, d}, eye + Vec3{-x, -y, d}}, &material));
    Camera& camera = scene.Get_Camera();
    camera.Set_Viewport({10, 20, 320, 240});
    camera.Set_Field_Of_View(60.0f);
    camera.Set_Depth_Range(0.25f, 80.0f);
    camera.Look_At(eye, eye + Vec3{0, 0, 1});
    Host_Scene& s = *scene.Record();
    s.camera_object->operations->prepare(s.camera_object, &s);  // as the library prepares it
    const Host_Camera& c = *s.camera;
    const float words[][2] = {{c.scale_x, 160},
                              {c.scale_y, 120},
                              {c.centre_x, 170},
                              {c.centre_y, 140},
                              {s.clip_left, 10},
                              {s.clip_top, 20},
                              {c.clip_right, 330},
                              {c.clip_bottom, 260},
                              {c.inv_scale_x, 1 / 160.0f},
                              {c.inv_scale_y, 1 / 120.0f},
                              {c.centre_x_over_scale, 170 / 160.0f},
                              {c.centre_y_over_scale, 140 / 120.0f},
                              {s.near_z, 0.25f},
                              {s.far_z, 80}};
    for (std::size_t i = 0; i < std::size(words); ++i) EXPECT_EQ(words[i][0], words[i][1]) << "word " << i;
    const Host_Services& services = Call_Operations(scene.Add_Object("points", &mesh, {}));
    EXPECT_EQ(services.vertex_outcodes[mesh.Base_Index()], 63u);  // the centre, inside all six planes
    const float expected[][2] = {{170, 140}, {170, 20}, {330, 140}, {10, 260}};
    for (std::size_t i = 0; i < 4; ++i) {
        const Camera_Vertex& p = services.camera_vertices[mesh.Base_Index() + i];
        EXPECT_NEAR(c.centre_x + c.scale_x * p.x / p.z, expected[i][0], 1e-3) << "point " << i;
        EXPECT_NEAR(c.centre_y - c.scale_y * p.y / p.z, expected[i][1], 1e-3) << "point " << i;
    }
}

TEST(Light, Ambient_Plus_Lights_Facing_The_Normal_Four_Units_Per_Level_Clamped_To_63) {
    Scene scene;
    scene.Set_Ambient(10.0f);
    scene.Add_Light({{0, -1, 0}, 20.0f});  // shining straight down
    scene.Add_Light({{0, 0, 3}, 8.0f});    // along +z: directions need not be unit length
    // Facing the first light, edge-on to it, facing away (which takes nothing
    // off), turned from it (cosine 0.8: 10 + 16 levels), facing the second.
    const std::pair<Vec3, float> cases[] = {
        {{0, 1, 0}, 120.0f}, {{1, 0, 0}, 40.0f}, {{0, -1, 0}, 40.0f}, {{0.6f, 0.8f, 0}, 104.0f}, {{0, 0, -1}, 72.0f}};
    for (const auto& [normal, light] : cases)
        EXPECT_NEAR(scene.Light_Value(normal), light, 1e-3f) << normal.x << ", " << normal.y << ", " << normal.z;
    scene.Add_Light({{0, -1, 0}, 40.0f});
    EXPECT_EQ(scene.Light_Value({0, 1, 0}), 252.0f);  // level 70 clamps to 63
    scene.Set_Ambient(-30.0f);
    EXPECT_EQ(scene.Light_Value({1, 0, 0}), 0.0f);
}

TEST(Light, Op9_Lights_The_Vertices_Of_Meshes_With_A_Material_In_A_Lit_Mode_Only) {
    // Mode 1 from the material, mode 2 from the call's argument; mode 0, and
    // mode 1 overridden by an argument of 0, never read light.
    Scene scene;
    scene.Set_Ambient(20.0f);
    const struct {
        Material_Settings settings;
        bool lit;
    } cases[] = {
        {{.mode = 1}, true}, {{.mode_argument = 2}, true}, {{}, false}, {{.mode = 1, .mode_argument = 0}, false}};
    for (const auto& c : cases) {
        Mesh& mesh = scene.Add_Mesh(Points({{0, 0, 5}}, &scene.Add_Material(c.settings)));
        Host_Services& services = *scene.Get_Services().Record();
        services.vertex_lights[mesh.Base_Index()].light = -1.0f;
        Call_Operations(scene.Add_Object("point", &mesh, {}));
        EXPECT_EQ(services.vertex_lights[mesh.Base_Index()].light, c.lit ? 80.0f : -1.0f) << c.settings.mode_argument;
    }
}

TEST(Object_Operations, In_View_Keeps_A_Ball_Until_It_Lies_Wholly_Beyond_One_Of_The_Six_Planes) {
    Scene scene;
    Camera& camera = scene.Get_Camera();
    camera.Set_Viewport({0, 0, 200, 200});
    camera.Set_Field_Of_View(90.0f);  // side planes x = +-z and y = +-z
    camera.Set_Depth_Range(1.0f, 50.0f);
    camera.Look_At({0, 0, 0}, {0, 0, 1});
    camera.Prepare(*scene.Record());
    Mesh& ball = scene.Add_Mesh(Sphere(1.0f, 12, 8, &scene.Add_Material({})));
    // A unit ball at z = 10 leaves a side plane 10 + sqrt 2 = 11.41 off the axis.
    const struct {
        Vec3 at;
        float scale;
        std::uint32_t in_view;
    } cases[] = {{{0, 0, 0.1f}, 1, 1},   {{0, 0, -0.1f}, 1, 0},  {{0, 0, 50.9f}, 1, 1},   {{0, 0, 51.1f}, 1, 0},
                 {{11.3f, 0, 10}, 1, 1}, {{11.5f, 0, 10}, 1, 0}, {{-11.3f, 0, 10}, 1, 1}, {{-11.5f, 0, 10}, 1, 0},
                 {{0, 11.3f, 10}, 1, 1}, {{0, 11.5f, 10}, 1, 0}, {{0, -11.3f, 10}, 1, 1}, {{0, -11.5f, 10}, 1, 0},
                 {{12.7f, 0, 10}, 2, 1}};  // twice the size reaches back in
    for (const auto& c : cases) {
        Scene_Object& o = scene.Add_Object("ball", &ball, Place(c.at, {}, c.scale));
        o.record.object_class->operations->in_view(&o.record, &o.record, scene.Record());
        EXPECT_EQ(o.record.in_view, c.in_view) << c.at.x << ", " << c.at.y << ", " << c.at.z;
    }
}

std::vector<int> Accepted_Faces(Scene_Object& object) {
    Call_Operations(object);
    std::vector<int> accepted;
    for (std::int32_t f = 0; f < object.record.face_count; ++f)
        if (object.record.faces[f]->visibility->test(object.record.faces[f]) != 0) accepted.push_back(f);
    return accepted;
}

TEST(Face_Test, One_Sided_Faces_Are_Accepted_When_Turned_To_The_Eye_Two_Sided_Ones_Always) {
    Scene scene;
    Mesh& box = scene.Add_Mesh(Box({1, 1, 1}, &scene.Add_Material({})));
    Mesh& glass = scene.Add_Mesh(Box({1, 1, 1}, &scene.Add_Material({.two_sided = true})));
    std::mt19937 random(5);
    std::uniform_real_distribution<float> coordinate(-6.0f, 6.0f);
    for (int trial = 0; trial < 300; ++trial) {
        const Mat3 turn = Rotation(Normalise({coordinate(random), coordinate(random), 1}), coordinate(random));
        const Vec3 eye{coordinate(random), coordinate(random), coordinate(random)};
        scene.Get_Camera().Look_At(eye, {0, 0, 0});
        scene.Get_Camera().Prepare(*scene.Record());
        // A face of a box centred on the origin faces the eye when its
        // centre, which points outwards, points towards the eye.
        std::vector<int> facing;
        for (int f = 0; f < 6; ++f) {
            Vec3 centre;
            for (const Mesh_Corner& c : box.Data().faces[std::size_t(f)].corners)
                centre = centre + turn * box.Data().positions[c.vertex] * 0.25f;
            if (Dot(centre, eye - centre) > 0.0f) facing.push_back(f);
        }
        EXPECT_EQ(Accepted_Faces(scene.Add_Object("box", &box, Place({}, turn))), facing) << "trial " << trial;
        EXPECT_EQ(Accepted_Faces(scene.Add_Object("glass", &glass, Place({}, turn))).size(), 6u) << "trial " << trial;
    }
}

TEST(Showcase, Every_Sample_Selects_Its_Row_And_All_Rows_Appear) {
    const std::pair<const char*, Row_Id> samples[] = {{"flat", Row_Flat},
                                                      {"random", Row_Random},
                                                      {"lit", Row_Gouraud},
                                                      {"lit palette map", Row_Gouraud_Mapped},
                                                      {"palette map", Row_Mapped_Palette},
                                                      {"map", Row_Mapped},
                                                      {"flat glass", Row_Flat_Blend},
                                                      {"random glass", Row_Random_Blend},
                                                      {"lit glass", Row_Gouraud_Blend},
                                                      {"map glass", Row_Mapped_Blend},
                                                      {"keyed", Row_Mapped_Keyed},
                                                      {"keyed glass", Row_Mapped_Keyed_Blend},
                                                      {"lit palette glass", Row_Gouraud_Mapped_Blend},
                                                      {"lit keyed", Row_Gouraud_Mapped_Keyed},
                                                      {"lit keyed glass", Row_Gouraud_Mapped_Keyed_Blend},
                                                      {"additive", Row_Mapped_Additive},
                                                      {"lit additive", Row_Gouraud_Mapped_Additive},
                                                      {"square", Row_Square},
                                                      {"overlay square", Row_Square_Overlay}};
    ASSERT_EQ(std::size(samples), std::size_t(Row_Count));
    for (const std::int32_t depth : {15, 16}) {
        Scene scene({depth});
        Build_Showcase(scene, 320, 240);
        for (const auto& [name, row] : samples) {
            const Scene_Object* o = scene.Find(name);
            ASSERT_NE(o, nullptr) << name;
            ASSERT_GT(o->record.face_count, 0) << name;
            ASSERT_NE(o->record.faces[0]->material->render_data, nullptr) << name;
            EXPECT_EQ(o->record.faces[0]->material->render_data->row, Row(row)) << name << " at depth " << depth;
        }
    }
}

TEST(Scene_Render, A_Viewport_Must_Lie_Inside_A_Frame_Of_The_Scene_Pixel_Depth) {
    Scene scene;
    scene.Get_Camera().Set_Viewport({10, 20, 100, 100});
    Frame fits(110, 120, 16), narrow(109, 200, 16), short_of_rows(200, 119, 16), wrong_depth(200, 200, 15);
    EXPECT_GE(scene.Render(fits), 0);
    for (Frame* refused : {&narrow, &short_of_rows, &wrong_depth})
        EXPECT_EQ(scene.Render(*refused), -1) << refused->width;
}

TEST(Scene_Render, Overlay_Bound_Counts_Only_Square_Overlay_Faces_And_Bounds_The_Frame_Result) {
    Scene empty;
    EXPECT_EQ(empty.Overlay_Face_Bound(), 0u);
    Scene scene;
    Build_Showcase(scene, 320, 240);
    const Scene_Object* overlay = scene.Find("overlay square");
    ASSERT_NE(overlay, nullptr);
    EXPECT_EQ(scene.Overlay_Face_Bound(), std::size_t(overlay->record.face_count));
    Frame frame(320, 240, 16);
    const std::int32_t result = scene.Render(frame);
    EXPECT_GE(result, 1);  // the square faces the eye
    EXPECT_LE(std::size_t(result), scene.Overlay_Face_Bound());
}

}  // namespace
}  // namespace quorvel_host
