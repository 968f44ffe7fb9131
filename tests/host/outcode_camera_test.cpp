// What the host owes the library about the view volume: outcodes against the
// six planes (a point on a plane is inside it), and a camera whose derived
// words and bounds agree with the projection the library applies.
#include <gtest/gtest.h>

#include <cmath>

#include "host/support_scene.h"

namespace quorvel_host {
namespace {

using testing::Identity_Camera;
using testing::Points;
using testing::Transform_Object;

constexpr std::uint32_t all = 63;

struct Outcode_Case {
    Vec3 point;
    std::uint32_t expected;
};

// near 1, far 10; the side planes x = +-z, y = +-z.
const Outcode_Case outcode_cases[] = {
    {{0, 0, 5}, all},
    {{0, 0, 1}, all},                    // on the near plane
    {{0, 0, 0.999f}, all & ~0x01u},
    {{0, 0, 10}, all},                   // on the far plane
    {{0, 0, 10.001f}, all & ~0x02u},
    {{-5, 0, 5}, all},                   // on the left plane
    {{-5.001f, 0, 5}, all & ~0x04u},
    {{5, 0, 5}, all},                    // on the right plane
    {{5.001f, 0, 5}, all & ~0x08u},
    {{0, 5, 5}, all},                    // on the top plane (camera y grows up)
    {{0, 5.001f, 5}, all & ~0x10u},
    {{0, -5, 5}, all},                   // on the bottom plane
    {{0, -5.001f, 5}, all & ~0x20u},
    {{6, 6, 5}, all & ~0x18u},           // beyond a corner: right and top
    {{0, 0, -1}, 0x02u},                 // behind the eye: only the far plane holds
    {{0, 0, 0}, 0x3Eu},                  // the eye itself lies on the four side planes
};

TEST(Outcodes, Points_On_Each_Plane_Count_As_Inside_And_Beyond_Clear_Only_That_Bit) {
    for (const Outcode_Case& c : outcode_cases)
        EXPECT_EQ(Outcode(c.point, 1.0f, 10.0f), c.expected) << c.point.x << ", " << c.point.y << ", " << c.point.z;
}

TEST(Outcodes, Op9_Writes_Each_Vertex_Outcode_Under_The_Mesh_Vertex_Index) {
    Scene scene;
    Identity_Camera(scene, 1.0f, 10.0f);
    Material& material = scene.Add_Material({});
    std::vector<Vec3> points;
    for (const Outcode_Case& c : outcode_cases) points.push_back(c.point);
    // A first mesh moves the second one's vertices off index 0.
    scene.Add_Mesh(Points({{0, 0, 5}}, &material));
    Mesh& mesh = scene.Add_Mesh(Points(points, &material));
    ASSERT_GT(mesh.Base_Index(), 0u);
    Scene_Object& object = scene.Add_Object("points", &mesh, {});
    Transform_Object(object);
    const Host_Services& services = *scene.Get_Services().Record();
    for (std::size_t i = 0; i < points.size(); ++i) {
        const std::uint32_t k = mesh.Base_Index() + std::uint32_t(i);
        EXPECT_EQ(services.vertex_outcodes[k], outcode_cases[i].expected) << "vertex " << i;
        EXPECT_EQ(services.camera_vertices[k].x, points[i].x);
        EXPECT_EQ(services.camera_vertices[k].z, points[i].z);
    }
}

TEST(Outcodes, Placement_Moves_The_Vertices_Before_They_Are_Classified) {
    Scene scene;
    Identity_Camera(scene, 1.0f, 10.0f);
    Material& material = scene.Add_Material({});
    Mesh& mesh = scene.Add_Mesh(Points({{0, 0, 0}}, &material));
    // The object sits at z = 5 turned a quarter about y: its origin lands inside.
    Scene_Object& object = scene.Add_Object("moved", &mesh, Place({0, 0, 5}, Rotation({0, 1, 0}, pi / 2)));
    Transform_Object(object);
    const Host_Services& services = *scene.Get_Services().Record();
    EXPECT_EQ(services.vertex_outcodes[mesh.Base_Index()], all);
    EXPECT_EQ(services.camera_vertices[mesh.Base_Index()].z, 5.0f);
    // The helper vertex (1000, 0, 1) turns to about (1, 0, -995): behind the eye.
    EXPECT_NEAR(services.camera_vertices[mesh.Base_Index() + 1].z, 5.0f - 1000.0f, 1e-2f);
}

TEST(Camera, Derived_Words_And_Bounds_Follow_The_Viewport) {
    Scene scene;
    Camera& camera = scene.Get_Camera();
    camera.Set_Viewport({10, 20, 300, 200});
    camera.Set_Depth_Range(0.25f, 80.0f);
    camera.Prepare(*scene.Record());
    const Host_Camera& c = camera.Record();
    const Host_Scene& s = *scene.Record();
    EXPECT_EQ(c.scale_x, 150.0f);
    EXPECT_EQ(c.scale_y, 100.0f);
    EXPECT_EQ(c.centre_x, 160.0f);
    EXPECT_EQ(c.centre_y, 120.0f);
    EXPECT_EQ(s.clip_left, 10.0f);
    EXPECT_EQ(s.clip_top, 20.0f);
    EXPECT_EQ(c.clip_right, 310.0f);
    EXPECT_EQ(c.clip_bottom, 220.0f);
    EXPECT_EQ(c.inv_scale_x, 1.0f / 150.0f);
    EXPECT_EQ(c.inv_scale_y, 1.0f / 100.0f);
    EXPECT_EQ(c.centre_x_over_scale, 160.0f / 150.0f);
    EXPECT_EQ(c.centre_y_over_scale, 1.2f);
    EXPECT_EQ(s.near_z, 0.25f);
    EXPECT_EQ(s.far_z, 80.0f);
    EXPECT_EQ(s.camera, &c);
    EXPECT_EQ(s.camera_object, camera.Object_Record());
}

TEST(Camera, The_Library_Calls_Prepare_Through_The_Camera_Object) {
    Scene scene;
    Camera& camera = scene.Get_Camera();
    camera.Set_Viewport({0, 0, 64, 32});
    Host_Camera_Object* object = scene.Record()->camera_object;
    object->operations->prepare(object, scene.Record());
    EXPECT_EQ(scene.Record()->camera->clip_right, 64.0f);
    EXPECT_EQ(scene.Record()->camera->clip_bottom, 32.0f);
}

// Screen position by the library's projection of a camera-space point.
struct Screen_Point {
    float x, y;
};
Screen_Point Project(const Host_Camera& c, const Camera_Vertex& p) {
    return {c.centre_x + c.scale_x * p.x / p.z, c.centre_y - c.scale_y * p.y / p.z};
}

TEST(Camera, Field_Of_View_Edges_Project_Onto_The_Viewport_Bounds) {
    Scene scene;
    Material& material = scene.Add_Material({});
    const double fov_y = 60.0, width = 320.0, height = 240.0, d = 7.0;
    const double tan_y = std::tan(fov_y * pi / 360.0), tan_x = tan_y * width / height;
    // The camera looks along +z from (1, 2, 3); the points sit on the edges
    // of its field of view, worked out here from the lens alone.
    const Vec3 eye{1, 2, 3};
    const std::vector<Vec3> points = {
        eye + Vec3{0, 0, float(d)},                   // centre
        eye + Vec3{0, float(tan_y * d), float(d)},    // top edge
        eye + Vec3{float(tan_x * d), 0, float(d)},    // right edge
        eye + Vec3{float(-tan_x * d), float(-tan_y * d), float(d)},  // bottom left corner
    };
    Mesh& mesh = scene.Add_Mesh(Points(points, &material));
    Scene_Object& object = scene.Add_Object("points", &mesh, {});
    Camera& camera = scene.Get_Camera();
    camera.Set_Viewport({0, 0, 320, 240});
    camera.Set_Field_Of_View(float(fov_y));
    camera.Look_At(eye, eye + Vec3{0, 0, 1});
    camera.Prepare(*scene.Record());
    Transform_Object(object);
    const Host_Services& services = *scene.Get_Services().Record();
    const Host_Camera& c = camera.Record();
    const Screen_Point expected[] = {{160, 120}, {160, 0}, {320, 120}, {0, 240}};
    for (std::size_t i = 0; i < points.size(); ++i) {
        const Screen_Point p = Project(c, services.camera_vertices[mesh.Base_Index() + i]);
        EXPECT_NEAR(p.x, expected[i].x, 1e-3) << "point " << i;
        EXPECT_NEAR(p.y, expected[i].y, 1e-3) << "point " << i;
    }
}

TEST(Camera, Look_At_Puts_The_Target_In_The_Centre_From_Any_Side) {
    Scene scene;
    Material& material = scene.Add_Material({});
    const Vec3 target{3, -1, 2};
    Mesh& mesh = scene.Add_Mesh(Points({target, target + Vec3{0, 1, 0}}, &material));
    Scene_Object& object = scene.Add_Object("points", &mesh, {});
    Camera& camera = scene.Get_Camera();
    camera.Set_Viewport({0, 0, 100, 100});
    for (float yaw : {0.0f, 90.0f, 200.0f, -45.0f}) {
        camera.Orbit(target, yaw, 30.0f, 6.0f);
        camera.Prepare(*scene.Record());
        Transform_Object(object);
        const Host_Services& services = *scene.Get_Services().Record();
        const Camera_Vertex& centre = services.camera_vertices[mesh.Base_Index()];
        const Screen_Point p = Project(camera.Record(), centre);
        EXPECT_NEAR(p.x, 50.0f, 1e-3) << yaw;
        EXPECT_NEAR(p.y, 50.0f, 1e-3) << yaw;
        EXPECT_NEAR(centre.z, 6.0f, 1e-4) << yaw;
        // World up stays screen up: the point above the target is higher on screen.
        EXPECT_LT(Project(camera.Record(), services.camera_vertices[mesh.Base_Index() + 1]).y, 50.0f) << yaw;
    }
}

}  // namespace
}  // namespace quorvel_host
