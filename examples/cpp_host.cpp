// A small C++ host: one square in a flat colour, drawn into a 64 x 64 RGB565
// frame, then picked at the frame's centre. Prints how many pixels the square
// covers and what the pick found; exits 1 when either is not what the scene
// says it must be.
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <vector>

#include "quorvel/quorvel_soft.h"

namespace {

constexpr int size = 64;

// Camera space: x right, y up, z away; the square spans x, y in -2..2 at z 4,
// half the view each way.
constexpr Camera_Vertex square[4] = {{-2, -2, 4, 0}, {2, -2, 4, 0}, {2, 2, 4, 0}, {-2, 2, 4, 0}};

struct Host {
    Host_Services services{};
    Camera_Vertex camera_vertices[4]{};
    Projected_Vertex projected_vertices[4]{};
    Vertex_Light vertex_lights[4]{};
    std::uint32_t outcodes[4]{}, stamps[4]{};
    Host_Camera camera{};
    Camera_Operations camera_operations{};
    Host_Camera_Object camera_object{};
    Host_Object_Operations operations{};
    Host_Class object_class{};
    Host_Object_Info info{};
    Host_Object object{};
    std::uint32_t corners[4] = {0, 1, 2, 3};  // counter-clockwise on the screen
    Host_Face_Visibility visibility{};
    Host_Face face{};
    Host_Face* faces[1] = {&face};
    std::uint32_t flags = 0;
    Host_Material material{};
    Host_Scene scene{};
};
Host host;

void QUORVEL_CDECL Prepare_Camera(void*, Host_Scene* scene) {
    Host_Camera& c = host.camera;
    c.scale_x = c.scale_y = c.centre_x = c.centre_y = size / 2.0f;
    c.clip_right = c.clip_bottom = size;
    c.inv_scale_x = c.inv_scale_y = 2.0f / size;
    c.centre_x_over_scale = c.centre_y_over_scale = 1.0f;
    scene->clip_left = scene->clip_top = 0.0f;
    scene->near_z = 1.0f;
    scene->far_z = 50.0f;
    scene->camera = &c;
}

void QUORVEL_CDECL Transform(Host_Object*, Host_Object*, Host_Scene*) {
    for (int i = 0; i < 4; ++i) {
        host.camera_vertices[i] = square[i];
        host.outcodes[i] = Outcode_Inside_All;  // every corner is inside the view volume
    }
    host.face.normal[0] = host.face.normal[1] = 0.0f;
    host.face.normal[2] = -1.0f;  // towards the eye
}

}  // namespace

int main() {
    Host_Services& s = host.services;
    s.camera_vertices = host.camera_vertices;
    s.projected_vertices = host.projected_vertices;
    s.vertex_lights = host.vertex_lights;
    s.vertex_outcodes = host.outcodes;
    s.vertex_stamps = host.stamps;
    s.allocate = [](std::uint32_t count, std::uint32_t bytes) QUORVEL_CDECL { return std::calloc(count, bytes); };
    s.reallocate = [](void* block, std::uint32_t bytes) QUORVEL_CDECL { return std::realloc(block, bytes); };
    s.release = [](void* block) QUORVEL_CDECL { std::free(block); };
    s.pixel_depth = 16;
    Quorvel_Init_Render_Dll(&s);

    const std::uint16_t colour = 0xF800;  // red in RGB565
    host.material.flat_colour = colour;
    host.material.render_flags = &host.flags;
    if (!Quorvel_Add_Material_Dll(&host.material) ||
        !Quorvel_Set_Material_Render_State_Dll(&host.material, Mode_From_Material, Flags_From_Material))
        return 1;

    host.operations.update = [](Host_Object*) QUORVEL_CDECL {};
    host.operations.hook = [](Host_Object*, Host_Scene*, std::uint32_t) QUORVEL_CDECL {};
    host.operations.source = [](Host_Object* object, Host_Scene*) QUORVEL_CDECL { return object; };
    host.operations.in_view = [](Host_Object*, Host_Object* object, Host_Scene*) QUORVEL_CDECL { object->in_view = 1; };
    host.operations.prepare = [](Host_Object*, Host_Object*, Host_Scene*) QUORVEL_CDECL {};
    host.operations.transform = Transform;
    host.object_class.operations = &host.operations;
    host.visibility.test = [](Host_Face*) QUORVEL_CDECL -> std::int32_t { return 1; };

    host.face = {};
    host.face.vertex_count = 4;
    host.face.vertex_indices = host.corners;
    host.face.material = &host.material;
    host.face.visibility = &host.visibility;
    Quorvel_Add_Face_Dll(&host.face);
    host.object.face_count = 1;
    host.object.faces = host.faces;
    host.object.info = &host.info;
    host.object.object_class = &host.object_class;

    host.camera_operations.prepare = Prepare_Camera;
    host.camera_object.operations = &host.camera_operations;
    host.scene.first_object = &host.object;
    host.scene.camera_object = &host.camera_object;
    host.scene.pitch = size;

    std::vector<std::uint16_t> frame(size * size);
    Quorvel_Render_Dll(&host.scene, frame.data(), 0, 1);
    int covered = 0;
    for (std::uint16_t pixel : frame) covered += pixel == colour;

    std::int32_t face_index = -1;
    float depth = 0.0f;
    const Host_Object* hit = Quorvel_Pick_Dll(&host.scene, size / 2.0f, size / 2.0f, &face_index, &depth);
    Quorvel_Release_Material_Dll(&host.material);
    Quorvel_Release_Scene_Dll();

    // Half the view each way: 32 x 32 pixels, hit at depth 4.
    std::printf("quorvel_cpp_host: %d pixels covered, pick %s face %d at depth %g\n", covered,
                hit == &host.object ? "hit" : "missed", int(face_index), double(depth));
    return covered == 32 * 32 && hit == &host.object && face_index == 0 && depth == 4.0f ? 0 : 1;
}
