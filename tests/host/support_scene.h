// Small scenes for the host engine's tests, built with the host itself.
#ifndef QUORVEL_TESTS_HOST_SUPPORT_SCENE_H
#define QUORVEL_TESTS_HOST_SUPPORT_SCENE_H

#include "core/scene.h"
#include "core/shapes.h"

namespace quorvel_host::testing {

// A camera at the origin looking along +z with a 90-degree square view: the
// world is camera space, bit for bit (tan 45 rounds to exactly 1 in float).
inline void Identity_Camera(Scene& scene, float near_z = 1.0f, float far_z = 100.0f) {
    Camera& camera = scene.Get_Camera();
    camera.Set_Viewport({0, 0, 200, 200});
    camera.Set_Field_Of_View(90.0f);
    camera.Set_Depth_Range(near_z, far_z);
    camera.Look_At({0, 0, 0}, {0, 0, 1});
    camera.Prepare(*scene.Record());
}

// One mesh of loose points, each the corner of a degenerate-free triangle
// fan, so op9 has vertices to transform exactly where the test puts them.
inline Mesh_Data Points(const std::vector<Vec3>& points, Material* material) {
    Mesh_Data data;
    data.positions = points;
    data.positions.push_back({1000, 0, 1});
    data.positions.push_back({0, 1000, 1});
    const std::uint32_t a = std::uint32_t(points.size()), b = a + 1;
    for (std::uint32_t i = 0; i < points.size(); ++i) data.faces.push_back({{{i}, {a}, {b}}, material});
    return data;
}

// Calls op3 then op9 the way the library's traversal does for one ordinary object.
inline void Transform_Object(Scene_Object& object) {
    Host_Object* o = &object.record;
    Host_Object_Operations* table = o->object_class->operations;
    table->update(o);
    Host_Object* source = table->source(o, object.scene->Record());
    source->object_class->operations->transform(source, o, object.scene->Record());
}

}  // namespace quorvel_host::testing

#endif
