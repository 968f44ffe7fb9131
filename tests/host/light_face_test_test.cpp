// Vertex light values (4 units per shade level, levels clamped to 0..63) and
// the face test (back faces culled in camera space, faces the library could
// not take never handed to it).
#include <gtest/gtest.h>

#include "core/services.h"
#include "host/support_scene.h"

namespace quorvel_host {
namespace {

using testing::Identity_Camera;
using testing::Transform_Object;

TEST(Light, Ambient_Plus_Lights_Facing_The_Normal_Four_Units_Per_Level) {
    Scene scene;
    scene.Set_Ambient(10.0f);
    EXPECT_EQ(scene.Light_Value({0, 1, 0}), 40.0f);
    scene.Add_Light({{0, -1, 0}, 20.0f});    // shining straight down
    EXPECT_EQ(scene.Light_Value({0, 1, 0}), 120.0f);   // faces it: 10 + 20 levels
    EXPECT_EQ(scene.Light_Value({1, 0, 0}), 40.0f);    // edge-on: ambient only
    EXPECT_EQ(scene.Light_Value({0, -1, 0}), 40.0f);   // facing away takes nothing off
    const float half = 0.70710678f;                    // 45 degrees: cos = 0.7071
    EXPECT_NEAR(scene.Light_Value({half, half, 0}), 4.0f * (10.0f + 20.0f * half), 1e-3f);
    scene.Add_Light({{0, 0, 3}, 8.0f});      // directions need not be unit length
    EXPECT_EQ(scene.Light_Value({0, 0, -1}), 72.0f);
}

TEST(Light, Levels_Clamp_To_0_And_63) {
    Scene scene;
    scene.Set_Ambient(50.0f);
    scene.Add_Light({{0, -1, 0}, 40.0f});
    EXPECT_EQ(scene.Light_Value({0, 1, 0}), 252.0f);  // level 90 clamps to 63
    scene.Set_Ambient(-30.0f);
    EXPECT_EQ(scene.Light_Value({1, 0, 0}), 0.0f);
}

TEST(Light, Op9_Lights_Vertices_By_Their_Normals_Turned_With_The_Object) {
    Scene scene;
    Identity_Camera(scene);
    scene.Set_Ambient(10.0f);
    scene.Add_Light({{0, -1, 0}, 20.0f});
    Material& material = scene.Add_Material({});
    Mesh& floor = scene.Add_Mesh(Floor(2, 2, 1, 1, &material));  // four vertices, normals up
    Scene_Object& flat = scene.Add_Object("flat", &floor, Place({0, -1, 5}));
    Scene_Object& tilted = scene.Add_Object("tilted", &floor, Place({0, -1, 5}, Rotation({0, 0, 1}, pi / 2)));
    Scene_Object& scaled = scene.Add_Object("scaled", &floor, {Scaling(5, 0.5f, 1), {0, -1, 5}});
    const Host_Services& services = *scene.Get_Services().Record();
    Transform_Object(flat);
    for (std::uint32_t i = 0; i < 4; ++i) EXPECT_EQ(services.vertex_lights[floor.Base_Index() + i].light, 120.0f);
    Transform_Object(tilted);  // the normals now point along -x: ambient only
    for (std::uint32_t i = 0; i < 4; ++i)
        EXPECT_NEAR(services.vertex_lights[floor.Base_Index() + i].light, 40.0f, 1e-3f);
    Transform_Object(scaled);  // squashing the mesh must not shorten its normals
    for (std::uint32_t i = 0; i < 4; ++i) EXPECT_EQ(services.vertex_lights[floor.Base_Index() + i].light, 120.0f);
}

// Which faces of a unit box face an eye, from the box's own geometry: the
// outward normal points towards the eye from the face's plane.
std::vector<int> Facing_Faces(const Mesh& box, Vec3 eye) {
    std::vector<int> facing;
    for (std::int32_t f = 0; f < 6; ++f) {
        const Mesh_Face& face = box.Data().faces[std::size_t(f)];
        Vec3 centre;
        for (const Mesh_Corner& c : face.corners) centre = centre + box.Data().positions[c.vertex] * 0.25f;
        const Vec3 outward = Normalise(centre);  // the box is centred on the origin
        if (Dot(outward, eye - centre) > 0.0f) facing.push_back(f);
    }
    return facing;
}

std::vector<int> Accepted_Faces(Scene& scene, Scene_Object& object) {
    Transform_Object(object);
    std::vector<int> accepted;
    for (std::int32_t f = 0; f < object.record.face_count; ++f) {
        Host_Face* face = object.record.faces[f];
        if (face->visibility->test(face) != 0) accepted.push_back(f);
    }
    (void)scene;
    return accepted;
}

TEST(Face_Test, Only_Faces_Turned_To_The_Eye_Are_Accepted) {
    Scene scene;
    Material& material = scene.Add_Material({});
    Mesh& box = scene.Add_Mesh(Box({1, 1, 1}, &material));
    Scene_Object& object = scene.Add_Object("box", &box, {});
    Camera& camera = scene.Get_Camera();
    const Vec3 eyes[] = {{0, 0, -5}, {0, 0, 5}, {3, 2, -4}, {-3, -2, 4}, {0.2f, 6, 0.1f}, {-4, 0.1f, 0}};
    for (const Vec3 eye : eyes) {
        camera.Look_At(eye, {0, 0, 0});
        camera.Prepare(*scene.Record());
        EXPECT_EQ(Accepted_Faces(scene, object), Facing_Faces(box, eye)) << eye.x << ", " << eye.y << ", " << eye.z;
    }
    // Inside the box every face looks away.
    camera.Look_At({0.1f, 0.1f, 0.1f}, {0, 0, 1});
    camera.Prepare(*scene.Record());
    EXPECT_TRUE(Accepted_Faces(scene, object).empty());
}

TEST(Face_Test, Turning_The_Object_Turns_Its_Normals) {
    Scene scene;
    Material& material = scene.Add_Material({});
    Mesh& box = scene.Add_Mesh(Box({1, 1, 1}, &material));
    // Half a turn about y brings the back face (index 1) to the front.
    Scene_Object& object = scene.Add_Object("box", &box, Place({0, 0, 0}, Rotation({0, 1, 0}, pi)));
    scene.Get_Camera().Look_At({0, 0, -5}, {0, 0, 0});
    scene.Get_Camera().Prepare(*scene.Record());
    EXPECT_EQ(Accepted_Faces(scene, object), std::vector<int>{1});
}

TEST(Face_Test, Two_Sided_Faces_Show_Both_Sides_But_Never_Edge_On) {
    Scene scene;
    Material_Settings settings;
    Material& one_sided = scene.Add_Material(settings);
    settings.two_sided = true;
    Material& two_sided = scene.Add_Material(settings);
    Scene_Object& a = scene.Add_Object("one", &scene.Add_Mesh(Pane(1, 1, &one_sided)), {});
    Scene_Object& b = scene.Add_Object("two", &scene.Add_Mesh(Pane(1, 1, &two_sided)), {});
    Camera& camera = scene.Get_Camera();
    const auto seen = [&](Vec3 eye, Vec3 target) {
        camera.Look_At(eye, target);
        camera.Prepare(*scene.Record());
        return std::pair{Accepted_Faces(scene, a).size(), Accepted_Faces(scene, b).size()};
    };
    EXPECT_EQ(seen({0, 0, -3}, {0, 0, 0}), (std::pair<std::size_t, std::size_t>{1, 1}));  // front
    EXPECT_EQ(seen({0, 0, 3}, {0, 0, 0}), (std::pair<std::size_t, std::size_t>{0, 1}));   // behind
    // The eye in the pane's plane: no depth plane exists, so neither is taken.
    EXPECT_EQ(seen({-3, 0, 0}, {0, 0, 0}), (std::pair<std::size_t, std::size_t>{0, 0}));
}

TEST(Face_Test, Faces_The_Library_Could_Not_Take_Are_Never_Accepted) {
    Memory().Reset();
    Scene scene({16, true});
    Identity_Camera(scene);
    Material& good = scene.Add_Material({});
    // The next allocation is the second material's render data: make it fail.
    Memory().fail_call = Memory().allocation_calls + 1;
    Material& failed = scene.Add_Material({});
    EXPECT_TRUE(good.Usable());
    EXPECT_FALSE(failed.Usable());
    Scene_Object& with_failed = scene.Add_Object("failed", &scene.Add_Mesh(Pane(1, 1, &failed)), Place({0, 0, 3}));
    EXPECT_TRUE(Accepted_Faces(scene, with_failed).empty());
    // A face whose own render data failed is refused too.
    Memory().fail_call = Memory().allocation_calls + 1;
    Scene_Object& face_failed = scene.Add_Object("face failed", &scene.Add_Mesh(Pane(1, 1, &good)), Place({0, 0, 3}));
    EXPECT_EQ(face_failed.record.faces[0]->render_data, nullptr);
    EXPECT_TRUE(Accepted_Faces(scene, face_failed).empty());
    Scene_Object& fine = scene.Add_Object("fine", &scene.Add_Mesh(Pane(1, 1, &good)), Place({0, 0, 3}));
    EXPECT_EQ(Accepted_Faces(scene, fine), std::vector<int>{0});
}

}  // namespace
}  // namespace quorvel_host
