// The object operations as the library calls them: placement down the
// hierarchy and animation (op3), instancing (op5), visibility from bounding
// spheres (op6), the hooks (op4, op7); group members kept on separate vertex
// ranges; and every block the library took is given back.
#include <gtest/gtest.h>

#include "core/services.h"
#include "core/showcase.h"
#include "host/support_scene.h"

namespace quorvel_host {
namespace {

using testing::Transform_Object;

void Call_In_View(Scene& scene, Scene_Object& object) {
    Host_Object* o = &object.record;
    Host_Object_Operations* table = o->object_class->operations;
    table->update(o);
    Host_Object* source = table->source(o, scene.Record());
    source->object_class->operations->in_view(source, o, scene.Record());
}

TEST(Object_Operations, In_View_Follows_The_Bounding_Sphere_Against_All_Six_Planes) {
    Scene scene;
    Camera& camera = scene.Get_Camera();
    camera.Set_Viewport({0, 0, 200, 200});
    camera.Set_Field_Of_View(90.0f);  // side planes at 45 degrees
    camera.Set_Depth_Range(1.0f, 50.0f);
    camera.Look_At({0, 0, 0}, {0, 0, 1});
    camera.Prepare(*scene.Record());
    Material& material = scene.Add_Material({});
    Mesh& ball = scene.Add_Mesh(Sphere(1.0f, 12, 8, &material));
    struct Case {
        Vec3 at;
        std::uint32_t in_view;
    } cases[] = {
        {{0, 0, 10}, 1},     {{0, 0, -3}, 0},       // in front, behind
        {{0, 0, 0.1f}, 1},   {{0, 0, -0.1f}, 0},    // around the near plane (1)
        {{0, 0, 50.9f}, 1},  {{0, 0, 51.2f}, 0},    // around the far plane
        // 45-degree side planes: the centre's distance to x = z is (x - z) / sqrt 2.
        {{11.3f, 0, 10}, 1}, {{11.5f, 0, 10}, 0},
        {{-11.5f, 0, 10}, 0}, {{0, 11.5f, 10}, 0}, {{0, -11.5f, 10}, 0}, {{0, -11.3f, 10}, 1},
    };
    for (const Case& c : cases) {
        Scene_Object& o = scene.Add_Object("ball", &ball, Place(c.at));
        Call_In_View(scene, o);
        EXPECT_EQ(o.record.in_view, c.in_view) << c.at.x << ", " << c.at.y << ", " << c.at.z;
    }
    // Scaling the object scales its sphere: twice the size reaches into view again.
    Scene_Object& big = scene.Add_Object("big", &ball, Place({11.5f + 1.2f, 0, 10}, {}, 2.0f));
    Call_In_View(scene, big);
    EXPECT_EQ(big.record.in_view, 1u);
    // Nothing to draw: never in view.
    Scene_Object& empty = scene.Add_Object("empty", nullptr, Place({0, 0, 10}));
    Call_In_View(scene, empty);
    EXPECT_EQ(empty.record.in_view, 0u);
}

TEST(Object_Operations, Children_Inherit_Placement_And_Spin_With_Time) {
    Scene scene;
    Material& material = scene.Add_Material({});
    Mesh& mesh = scene.Add_Mesh(testing::Points({{0, 0, 0}}, &material));
    Scene_Object& parent = scene.Add_Object("parent", &mesh, Place({10, 0, 0}));
    parent.spin = {{0, 1, 0}, 90.0f};
    Scene_Object& child = scene.Add_Object("child", &mesh, Place({0, 0, 2}), &parent);
    scene.Set_Time(1.0);  // a quarter turn about y: +z turns to +x
    Host_Object_Operations* table = parent.record.object_class->operations;
    table->update(&parent.record);
    table->update(&child.record);
    const Vec3 origin = child.world.Apply({0, 0, 0});
    EXPECT_NEAR(origin.x, 12.0f, 1e-5f);
    EXPECT_NEAR(origin.y, 0.0f, 1e-5f);
    EXPECT_NEAR(origin.z, 0.0f, 1e-5f);
    EXPECT_EQ(parent.op3_calls, 1u);
    // op4 records the value it was given.
    table->hook(&child.record, scene.Record(), 77);
    EXPECT_EQ(child.op4_calls, 1u);
    EXPECT_EQ(child.op4_last_value, 77u);
}

TEST(Object_Operations, An_Instance_Draws_Its_Original_Mesh_At_Its_Own_Place) {
    Scene scene;
    testing::Identity_Camera(scene);
    Material& material = scene.Add_Material({});
    Mesh& mesh = scene.Add_Mesh(testing::Points({{0, 0, 0}}, &material));
    Scene_Object& original = scene.Add_Object("original", &mesh, Place({0, 0, 5}));
    Scene_Object& instance = scene.Add_Instance("instance", original, Place({1, 2, 7}));
    Host_Object* source = instance.record.object_class->operations->source(&instance.record, scene.Record());
    EXPECT_EQ(source, &original.record);
    EXPECT_EQ(original.record.object_class->operations->source(&original.record, scene.Record()), &original.record);
    Transform_Object(instance);
    const Camera_Vertex& v = scene.Get_Services().Record()->camera_vertices[mesh.Base_Index()];
    EXPECT_EQ(v.x, 1.0f);
    EXPECT_EQ(v.y, 2.0f);
    EXPECT_EQ(v.z, 7.0f);
    EXPECT_EQ(instance.op9_calls, 1u);
}

TEST(Groups, Members_Sharing_A_Mesh_Get_Their_Own_Vertex_Ranges) {
    Scene scene;
    Material& material = scene.Add_Material({});
    Mesh& ball = scene.Add_Mesh(Sphere(1, 8, 6, &material));
    Scene_Object& group = scene.Add_Group("group", &ball, {});
    Scene_Object& a = scene.Add_Member("a", &ball, {}, group);
    Scene_Object& b = scene.Add_Member("b", &ball, {}, a);
    Scene_Object& loose = scene.Add_Object("loose", &ball, {});  // outside the group: shares freely
    const std::uint32_t group_first = group.mesh->Base_Index(), a_first = a.mesh->Base_Index(),
                        b_first = b.mesh->Base_Index();
    EXPECT_NE(group_first, a_first);
    EXPECT_NE(a_first, b_first);
    EXPECT_NE(group_first, b_first);
    EXPECT_EQ(loose.mesh, &ball);
    EXPECT_EQ(a.record.faces[0]->vertex_indices[0], a_first + ball.Data().faces[0].corners[0].vertex);
    EXPECT_EQ(a.record.group_member, 1u);
    EXPECT_EQ(b.record.group_member, 1u);
    EXPECT_EQ(group.info.is_group, 1u);
    EXPECT_EQ(group.record.first_child, &a.record);
    EXPECT_EQ(a.record.first_child, &b.record);
}

TEST(Memory, Every_Block_The_Library_Took_Is_Returned_With_The_Scene) {
    Memory().Reset();
    {
        Scene scene({16, true});
        Build_Showcase(scene, 160, 120);
        Frame frame(160, 120, 16);
        EXPECT_GE(scene.Render(frame), 0);  // grows the frame-wide pools too
        EXPECT_GT(Memory().Count(Memory_Call_Kind::Reallocate), 0u);
        EXPECT_GT(Memory().live_blocks, 0);
    }
    EXPECT_EQ(Memory().live_blocks, 0);
    EXPECT_GT(Memory().Count(Memory_Call_Kind::Release), 0u);
}

TEST(Scene_Render, A_Viewport_Outside_The_Frame_Is_Refused_Before_The_Library_Sees_It) {
    Scene scene;
    scene.Get_Camera().Set_Viewport({10, 10, 100, 100});
    Frame small(100, 100, 16), wrong_depth(200, 200, 15);
    EXPECT_EQ(scene.Render(small), -1);
    EXPECT_EQ(scene.Render(wrong_depth), -1);
}

}  // namespace
}  // namespace quorvel_host
