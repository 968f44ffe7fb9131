// A scene as the library meets it: objects in a parent-child hierarchy, each
// drawing a mesh (its own or, as an instance, another object's), group
// objects whose members are drawn with them, a camera, ambient and
// directional lights, and the operation table the library calls to update,
// place, cull, transform and light every object.
#ifndef QUORVEL_HOST_SCENE_H
#define QUORVEL_HOST_SCENE_H

#include <cstdint>
#include <deque>
#include <memory>
#include <string>
#include <vector>

#include "core/camera.h"
#include "core/image.h"
#include "core/maths.h"
#include "core/mesh.h"
#include "core/scene_materials.h"
#include "core/services.h"
#include "quorvel/host_records.h"

namespace quorvel_host {

class Scene;

// Turning about an axis through the object's origin, as op3 animates it.
struct Spin {
    Vec3 axis{0, 1, 0};
    float degrees_per_second = 0.0f;
};

// The library hands the host its Host_Object pointers back; the record sits
// first so that a pointer to it is a pointer to the whole object.
struct Scene_Object {
    Host_Object record;
    Host_Object_Info info;
    Scene* scene;
    Scene_Object* parent;
    Scene_Object* source;  // whose mesh this object draws (op5): itself or the instanced object
    Mesh* mesh;
    Transform local;  // placement relative to the parent
    Spin spin;
    Transform world;   // updated by op3
    std::uint32_t id;  // index into the scene's names
};

struct Directional_Light {
    Vec3 direction{0, -1, 0};  // the way the light travels, world space
    float levels = 32.0f;      // shade levels added to a vertex facing it squarely
};

struct Pick_Result {
    Scene_Object* object = nullptr;
    std::int32_t face = 0;
    float depth = 0.0f;
};

struct Scene_Options {
    std::int32_t pixel_depth = 16;
    Memory_Functions memory = Plain_Memory();  // what the library allocates through
};

class Scene {
public:
    explicit Scene(Scene_Options options = {});
    ~Scene();
    Scene(const Scene&) = delete;
    Scene& operator=(const Scene&) = delete;

    // --- building ---
    Map* Add_Map(std::unique_ptr<Map> map);
    // Creates the material record and hands it to the library
    // (Quorvel_Add_Material_Dll, then Quorvel_Set_Material_Render_State_Dll).
    Material& Add_Material(const Material_Settings& settings);
    // Reserves the mesh's range of the vertex arrays and adds its faces to the library.
    Mesh& Add_Mesh(const Mesh_Data& data);

    // An ordinary object (top level when `parent` is null).
    Scene_Object& Add_Object(const std::string& name, Mesh* mesh, const Transform& placement,
                             Scene_Object* parent = nullptr);
    // An object drawing `original`'s mesh at its own placement.
    Scene_Object& Add_Instance(const std::string& name, Scene_Object& original, const Transform& placement,
                               Scene_Object* parent = nullptr);
    // A group object: its members are drawn whenever it or any member is in view.
    Scene_Object& Add_Group(const std::string& name, Mesh* mesh, const Transform& placement,
                            Scene_Object* parent = nullptr);
    // A member of a group, placed under `parent` (the group or another
    // member). Members of one group are prepared together before their faces
    // are set up, so they cannot share vertex ranges: a mesh already used in
    // the group is copied.
    Scene_Object& Add_Member(const std::string& name, Mesh* mesh, const Transform& placement, Scene_Object& parent);

    Camera& Get_Camera() { return camera_; }
    void Set_Ambient(float levels) { ambient_levels_ = levels; }
    void Add_Light(Directional_Light light);
    void Set_Time(double seconds) { time_ = seconds; }

    // --- drawing ---
    // Draws one frame; the camera's viewport must lie inside the frame (and
    // within 4096 lines). Returns the library's result, or -1 when the frame
    // does not fit the viewport.
    std::int32_t Render(Frame& frame, std::uint32_t flags = 1);
    // Render's result 2 means the edge pool could not grow, or that two
    // overlay squares were drawn. At most this many overlay squares can be
    // drawn (the faces of square-overlay materials): below two, 2 is the edge
    // pool; otherwise a frame whose edge pool failed is one that wrote nothing.
    std::size_t Overlay_Face_Bound() const;
    Pick_Result Pick(float x, float y);

    // --- what the library and the tests look at ---
    Host_Scene* Record() { return &record_; }
    Services& Get_Services() { return services_; }
    std::int32_t Pixel_Depth() const { return options_.pixel_depth; }
    const std::string& Name(const Scene_Object& object) const { return names_[object.id]; }
    Scene_Object* Find(const std::string& name);
    const std::deque<Scene_Object>& Objects() const { return objects_; }
    std::deque<Scene_Object>& Objects() { return objects_; }
    const std::vector<std::unique_ptr<Material>>& Materials() const { return materials_; }
    double Time() const { return time_; }
    float Ambient() const { return ambient_levels_; }
    // Light value (4 units per shade level, clamped to levels 0..63) of a
    // world-space normal under this scene's lights.
    float Light_Value(Vec3 world_normal) const;

private:
    Scene_Object& New_Object(const std::string& name, Mesh* mesh, const Transform& placement, Scene_Object* parent);
    Scene_Object* Group_Of(Scene_Object& object);

    Scene_Options options_;
    Services services_;
    Host_Scene record_{};
    Camera camera_;
    Host_Object_Operations operations_{};
    Host_Class class_{};
    Face_Test_Record one_sided_{}, two_sided_{};
    std::vector<std::unique_ptr<Map>> maps_;
    std::vector<std::unique_ptr<Material>> materials_;
    std::vector<std::unique_ptr<Mesh>> meshes_;
    std::deque<Scene_Object> objects_;
    std::vector<std::string> names_;
    Scene_Object* last_top_level_ = nullptr;
    std::uint32_t vertex_count_ = 0;
    float ambient_levels_ = 16.0f;
    std::vector<Directional_Light> lights_;
    double time_ = 0.0;
};

// The operations every scene object's table holds, exposed for tests that
// call them the way the library does.
namespace operations {
void QUORVEL_CDECL Update(Host_Object* object);
void QUORVEL_CDECL Hook(Host_Object* object, Host_Scene* scene, std::uint32_t value);
Host_Object* QUORVEL_CDECL Source(Host_Object* object, Host_Scene* scene);
void QUORVEL_CDECL In_View(Host_Object* source, Host_Object* object, Host_Scene* scene);
void QUORVEL_CDECL Prepare(Host_Object* source, Host_Object* object, Host_Scene* scene);
void QUORVEL_CDECL Transform_Vertices(Host_Object* source, Host_Object* object, Host_Scene* scene);
std::int32_t QUORVEL_CDECL Face_Facing_Camera(Host_Face* face);
std::int32_t QUORVEL_CDECL Face_Either_Side(Host_Face* face);
}  // namespace operations

}  // namespace quorvel_host

#endif
