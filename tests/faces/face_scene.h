// A small host for face-setup tests: one camera, one material on a chosen row
// whose clip slots log each call before handing it to the row's real clip
// function, and faces built from vertices whose outcodes come from geometry.
#ifndef QUORVEL_TESTS_FACE_SCENE_H
#define QUORVEL_TESTS_FACE_SCENE_H

#include <array>
#include <cmath>
#include <cstdint>
#include <deque>
#include <vector>

#include "core/services.h"
#include "faces/faces.h"
#include "interface/interface.h"

namespace face_test {

// Viewport 320 x 240 from (0, 0): the images of the side planes x = +-z, y = +-z.
constexpr float centre_x = 160.0f, centre_y = 120.0f, scale_x = 160.0f, scale_y = 120.0f;
constexpr float near_z = 1.0f, far_z = 100.0f;

// The host's outcodes, from the rules: bit set = inside that plane.
inline std::uint32_t Host_Outcode(float x, float y, float z) {
    std::uint32_t bits = 0;
    if (z >= near_z) bits |= 0x01;
    if (z <= far_z) bits |= 0x02;
    if (x >= -z) bits |= 0x04;
    if (x <= z) bits |= 0x08;
    if (y <= z) bits |= 0x10;
    if (y >= -z) bits |= 0x20;
    return bits;
}

// Reference projection, in double.
inline double Screen_X(double x, double z) { return centre_x + scale_x * x / z; }
inline double Screen_Y(double y, double z) { return centre_y - scale_y * y / z; }

// Clip slots called, by slot number (2 near .. 7 top), in order.
inline std::vector<int> clip_calls;
inline const Dispatch_Row* clip_target = nullptr;

inline void QUORVEL_CDECL Log_Near(Host_Scene* s, Prepared_Face* f) { clip_calls.push_back(2); clip_target->clip_near(s, f); }
inline void QUORVEL_CDECL Log_Far(Host_Scene* s, Prepared_Face* f) { clip_calls.push_back(3); clip_target->clip_far(s, f); }
inline void QUORVEL_CDECL Log_Right(Host_Scene* s, Prepared_Face* f) { clip_calls.push_back(4); clip_target->clip_right(s, f); }
inline void QUORVEL_CDECL Log_Left(Host_Scene* s, Prepared_Face* f) { clip_calls.push_back(5); clip_target->clip_left(s, f); }
inline void QUORVEL_CDECL Log_Bottom(Host_Scene* s, Prepared_Face* f) { clip_calls.push_back(6); clip_target->clip_bottom(s, f); }
inline void QUORVEL_CDECL Log_Top(Host_Scene* s, Prepared_Face* f) { clip_calls.push_back(7); clip_target->clip_top(s, f); }

struct Face_Scene {
    quorvel_host::Services services{256};
    Host_Camera camera{};
    Host_Scene scene{};
    Dispatch_Row row{};
    Material_Render_Data render_data{};
    std::uint32_t material_flags = 0;
    Host_Material material{};
    Map_Image image{};
    Host_Map map{};
    Face_Render_Data face_data{0x2A5F};
    std::deque<Host_Face> faces;
    std::deque<std::vector<std::uint32_t>> corner_lists;
    std::deque<std::vector<Corner_Uv>> uv_lists;

    explicit Face_Scene(Row_Id id) {
        interface_state.services = services.Record();
        Fill_Dispatch_Rows();
        services->transform_generation = 1;  // stamps start at 0: nothing cached
        camera.clip_right = centre_x + scale_x;
        camera.clip_bottom = centre_y + scale_y;
        camera.centre_x = centre_x;
        camera.centre_y = centre_y;
        camera.scale_x = scale_x;
        camera.scale_y = scale_y;
        camera.inv_scale_x = 1.0f / scale_x;
        camera.inv_scale_y = 1.0f / scale_y;
        camera.centre_x_over_scale = centre_x / scale_x;
        camera.centre_y_over_scale = centre_y / scale_y;
        scene.clip_left = centre_x - scale_x;
        scene.clip_top = centre_y - scale_y;
        scene.near_z = near_z;
        scene.far_z = far_z;
        scene.camera = &camera;

        clip_target = &interface_state.rows[id];
        row = *clip_target;
        row.clip_near = Log_Near;
        row.clip_far = Log_Far;
        row.clip_right = Log_Right;
        row.clip_left = Log_Left;
        row.clip_bottom = Log_Bottom;
        row.clip_top = Log_Top;
        clip_calls.clear();
        render_data.row = &row;
        material.render_data = &render_data;
        material.render_flags = &material_flags;
        material.map = &map;
        map.image = &image;
        image.u_scale = 64.0f;
        image.v_scale = 32.0f;
        for (Face_Pool* pool : {&faces_state.opaque, &faces_state.translucent, &faces_state.overlay}) pool->count = 0;
    }
    ~Face_Scene() { Release_Face_Pools(); }
    Face_Scene(const Face_Scene&) = delete;
    Face_Scene& operator=(const Face_Scene&) = delete;

    // A vertex with the outcode its position gives.
    void Vertex(std::uint32_t index, float x, float y, float z, float light = 0.0f) {
        services.Set_Vertex(index, x, y, z, Host_Outcode(x, y, z), light);
    }
    // A vertex placed by its screen position at camera depth z.
    void Vertex_On_Screen(std::uint32_t index, float sx, float sy, float z, float light = 0.0f) {
        Vertex(index, (sx - centre_x) / scale_x * z, (centre_y - sy) / scale_y * z, z, light);
    }
    const Camera_Vertex& Position(std::uint32_t index) { return services->camera_vertices[index]; }

    // A face on the given vertices; its normal is the cross product of its
    // first two edges unless given.
    Host_Face* Face(const std::vector<std::uint32_t>& corners, const std::vector<Corner_Uv>& uvs = {}) {
        corner_lists.push_back(corners);
        std::vector<Corner_Uv> uv = uvs;
        uv.resize(corners.size(), Corner_Uv{0.5f, 0.25f});
        uv_lists.push_back(uv);
        Host_Face& face = faces.emplace_back();
        face.vertex_count = static_cast<std::int32_t>(corners.size());
        face.vertex_indices = corner_lists.back().data();
        face.corner_uv = uv_lists.back().data();
        face.material = &material;
        face.render_data = &face_data;
        if (corners.size() >= 3) {
            const Camera_Vertex& a = Position(corners[0]);
            const Camera_Vertex& b = Position(corners[1]);
            const Camera_Vertex& c = Position(corners[2]);
            const double e1[3] = {b.x - a.x, b.y - a.y, b.z - a.z};
            const double e2[3] = {c.x - a.x, c.y - a.y, c.z - a.z};
            face.normal[0] = static_cast<float>(e1[1] * e2[2] - e1[2] * e2[1]);
            face.normal[1] = static_cast<float>(e1[2] * e2[0] - e1[0] * e2[2]);
            face.normal[2] = static_cast<float>(e1[0] * e2[1] - e1[1] * e2[0]);
        } else {
            face.normal[2] = 1.0f;
        }
        return &face;
    }

    static Face_Pool& Opaque() { return faces_state.opaque; }
    static Face_Pool& Translucent() { return faces_state.translucent; }
    static Face_Pool& Overlay() { return faces_state.overlay; }
};

// 1/z of a record's plane at a screen point.
inline double Plane_W(const Prepared_Face& face, double sx, double sy) {
    return face.depth_0 + face.depth_dx * sx + face.depth_dy * sy;
}

}  // namespace face_test

#endif
