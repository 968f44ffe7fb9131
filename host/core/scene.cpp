// The scene, its object operations and its face tests.
#include "core/scene.h"

#include <algorithm>
#include <set>
#include <type_traits>

#include "quorvel/quorvel_soft.h"

namespace quorvel_host {

static_assert(std::is_standard_layout_v<Scene_Object>, "the library's object pointer must be the scene object's");
static_assert(std::is_standard_layout_v<Face_Test_Record>);

namespace {

// The library keeps one services pointer; the host re-points it whenever a
// different scene is about to call in, so several scenes (as in the tests)
// can live side by side.
Host_Services* active_services = nullptr;

Scene_Object& As_Object(Host_Object* object) { return *reinterpret_cast<Scene_Object*>(object); }

bool Face_Usable(const Host_Face* face) {
    // A face whose render data the library could not attach, or whose
    // material has no row, must never reach face setup.
    return face->render_data != nullptr && face->material->render_data != nullptr &&
           face->material->render_data->row != nullptr;
}

// Dot product of the camera-space normal with the first corner's position:
// negative when the front of the face looks at the eye.
float Facing(const Host_Face* face) {
    const Face_Test_Record& test = *reinterpret_cast<const Face_Test_Record*>(face->visibility);
    const Camera_Vertex& p = test.services->camera_vertices[face->vertex_indices[0]];
    return face->normal[0] * p.x + face->normal[1] * p.y + face->normal[2] * p.z;
}

bool Sphere_In_View(const Camera& camera, Vec3 world_centre, float radius) {
    const Vec3 c = camera.World_To_View().Apply(world_centre);
    if (c.z + radius < camera.Near() || c.z - radius > camera.Far()) return false;
    // Distances to the side planes x = +-z tan and y = +-z tan, positive outside.
    const float tx = camera.Tan_Half_X(), ty = camera.Tan_Half_Y();
    const float nx = 1.0f / std::sqrt(1.0f + tx * tx), ny = 1.0f / std::sqrt(1.0f + ty * ty);
    if ((c.x - c.z * tx) * nx > radius || (-c.x - c.z * tx) * nx > radius) return false;
    if ((c.y - c.z * ty) * ny > radius || (-c.y - c.z * ty) * ny > radius) return false;
    return true;
}

}  // namespace

namespace operations {

void QUORVEL_CDECL Update(Host_Object* object) {
    Scene_Object& o = As_Object(object);
    Transform animated = o.local;
    if (o.spin.degrees_per_second != 0.0f)
        animated.linear = o.local.linear * Rotation(Normalise(o.spin.axis),
                                                    Radians(double(o.spin.degrees_per_second) * o.scene->Time()));
    // Parents are always updated before their children: every walk of the
    // library visits an object before its child list.
    o.world = o.parent != nullptr ? o.parent->world * animated : animated;
}

// op4 and op7 hand the host a moment in the walk (op4 with the object's
// op4_argument); this engine needs neither.
void QUORVEL_CDECL Hook(Host_Object*, Host_Scene*, std::uint32_t) {}

Host_Object* QUORVEL_CDECL Source(Host_Object* object, Host_Scene*) { return &As_Object(object).source->record; }

void QUORVEL_CDECL In_View(Host_Object* source, Host_Object* object, Host_Scene*) {
    const Scene_Object& s = As_Object(source);
    Scene_Object& o = As_Object(object);
    const Mesh* mesh = s.mesh;
    if (mesh == nullptr || mesh->Face_Count() == 0) {
        o.record.in_view = 0;  // nothing to draw; a group may still be drawn for its members
        return;
    }
    const Vec3 centre = o.world.Apply(mesh->Sphere_Centre());
    const float radius = mesh->Sphere_Radius() * Largest_Stretch(o.world.linear);
    o.record.in_view = Sphere_In_View(o.scene->Get_Camera(), centre, radius) ? 1 : 0;
}

void QUORVEL_CDECL Prepare(Host_Object*, Host_Object*, Host_Scene*) {}

void QUORVEL_CDECL Transform_Vertices(Host_Object* source, Host_Object* object, Host_Scene* scene) {
    Scene_Object& s = As_Object(source);
    Scene_Object& o = As_Object(object);
    Mesh* mesh = s.mesh;
    if (mesh == nullptr) return;
    Scene& owner = *o.scene;
    Host_Services& services = *owner.Get_Services().Record();
    const Transform to_camera = owner.Get_Camera().World_To_Camera() * o.world;
    const Mat3 normal_to_world = Normal_Matrix(o.world.linear);
    const Mat3 normal_to_camera = Normal_Matrix(to_camera.linear);
    const Mesh_Data& data = mesh->Data();
    const std::uint32_t base = mesh->Base_Index();
    // One pass over the vertices; light only for a mesh whose materials read
    // it, since unlit faces never look at it.
    const bool lit = mesh->Uses_Light();
    for (std::uint32_t i = 0; i < data.positions.size(); ++i) {
        const Vec3 p = to_camera.Apply(data.positions[i]);
        services.camera_vertices[base + i] = {p.x, p.y, p.z, 0.0f};
        services.vertex_outcodes[base + i] = Outcode(p, scene->near_z, scene->far_z);
        if (lit)
            services.vertex_lights[base + i].light =
                owner.Light_Value(Normalise(normal_to_world * mesh->Vertex_Normal(i)));
    }
    // The face test and the depth plane read the normals in camera space;
    // they follow this object's placement until the next op9 of the mesh.
    for (std::int32_t f = 0; f < mesh->Face_Count(); ++f) {
        const Vec3 n = normal_to_camera * mesh->Face_Normal(std::size_t(f));
        Host_Face& face = mesh->Face(std::size_t(f));
        face.normal[0] = n.x;
        face.normal[1] = n.y;
        face.normal[2] = n.z;
    }
}

std::int32_t QUORVEL_CDECL Face_Facing_Camera(Host_Face* face) { return Face_Usable(face) && Facing(face) < 0.0f; }

// Seen edge-on (a zero product) the face's plane passes through the eye and
// has no depth plane, so even two-sided faces are refused there.
std::int32_t QUORVEL_CDECL Face_Either_Side(Host_Face* face) { return Face_Usable(face) && Facing(face) != 0.0f; }

}  // namespace operations

Scene::Scene(Scene_Options options) : options_(options), services_(0, options.pixel_depth, options.memory) {
    operations_.update = operations::Update;
    operations_.hook = operations::Hook;
    operations_.source = operations::Source;
    operations_.in_view = operations::In_View;
    operations_.prepare = operations::Prepare;
    operations_.transform = operations::Transform_Vertices;
    class_.operations = &operations_;
    one_sided_ = {{operations::Face_Facing_Camera}, services_.Record()};
    two_sided_ = {{operations::Face_Either_Side}, services_.Record()};
    record_.camera_object = camera_.Object_Record();
    camera_.Prepare(record_);
    active_services = services_.Record();
    Quorvel_Init_Render_Dll(active_services);
}

Scene::~Scene() {
    if (active_services != services_.Record()) {
        active_services = services_.Record();
        Quorvel_Init_Render_Dll(active_services);
    }
    for (auto& mesh : meshes_) mesh->Release_From_Library();
    for (auto& material : materials_)
        if (material->Record()->render_data != nullptr) Quorvel_Release_Material_Dll(material->Record());
    Quorvel_Release_Scene_Dll();
    active_services = nullptr;
}

namespace {
void Make_Active(Host_Services* services) {
    if (active_services == services) return;
    active_services = services;
    Quorvel_Init_Render_Dll(services);
}
}  // namespace

Map* Scene::Add_Map(std::unique_ptr<Map> map) {
    if (map == nullptr) return nullptr;
    maps_.push_back(std::move(map));
    return maps_.back().get();
}

Material& Scene::Add_Material(const Material_Settings& settings) {
    materials_.push_back(std::make_unique<Material>(settings, options_.pixel_depth));
    Material& material = *materials_.back();
    Make_Active(services_.Record());
    if (Quorvel_Add_Material_Dll(material.Record()) != 0)
        Quorvel_Set_Material_Render_State_Dll(material.Record(), settings.mode_argument, settings.flags_argument);
    return material;
}

Mesh& Scene::Add_Mesh(const Mesh_Data& data) {
    meshes_.push_back(std::make_unique<Mesh>(data, vertex_count_, &one_sided_, &two_sided_));
    Mesh& mesh = *meshes_.back();
    vertex_count_ += mesh.Vertex_Count();
    services_.Reserve_Vertices(vertex_count_);
    Make_Active(services_.Record());
    mesh.Add_To_Library();
    return mesh;
}

Scene_Object& Scene::New_Object(const std::string& name, Mesh* mesh, const Transform& placement, Scene_Object* parent) {
    Scene_Object& o = objects_.emplace_back();
    o = Scene_Object{};
    o.record.info = &o.info;
    o.record.object_class = &class_;
    o.scene = this;
    o.parent = parent;
    o.source = &o;
    o.mesh = mesh;
    o.local = placement;
    o.world = parent != nullptr ? parent->world * placement : placement;
    o.id = std::uint32_t(names_.size());
    names_.push_back(name);
    if (mesh != nullptr) {
        o.record.face_count = mesh->Face_Count();
        o.record.faces = mesh->Faces();
    }
    if (parent != nullptr) {
        Host_Object** link = &parent->record.first_child;
        while (*link != nullptr) link = &(*link)->next_sibling;
        *link = &o.record;
    } else {
        if (last_top_level_ != nullptr)
            last_top_level_->record.next_object = &o.record;
        else
            record_.first_object = &o.record;
        last_top_level_ = &o;
    }
    return o;
}

Scene_Object& Scene::Add_Object(const std::string& name, Mesh* mesh, const Transform& placement, Scene_Object* parent) {
    return New_Object(name, mesh, placement, parent);
}

Scene_Object& Scene::Add_Instance(const std::string& name, Scene_Object& original, const Transform& placement,
                                  Scene_Object* parent) {
    Scene_Object& o = New_Object(name, nullptr, placement, parent);
    o.source = &original;
    return o;
}

Scene_Object& Scene::Add_Group(const std::string& name, Mesh* mesh, const Transform& placement, Scene_Object* parent) {
    Scene_Object& o = New_Object(name, mesh, placement, parent);
    o.info.is_group = 1;
    return o;
}

Scene_Object* Scene::Group_Of(Scene_Object& object) {
    Scene_Object* o = &object;
    while (o != nullptr && o->info.is_group == 0) o = o->record.group_member != 0 ? o->parent : nullptr;
    return o;
}

Scene_Object& Scene::Add_Member(const std::string& name, Mesh* mesh, const Transform& placement, Scene_Object& parent) {
    if (Scene_Object* group = Group_Of(parent); group != nullptr && mesh != nullptr) {
        std::set<const Mesh*> used;
        // The group's own mesh and every member's, depth first.
        std::vector<Scene_Object*> pending{group};
        while (!pending.empty()) {
            Scene_Object* o = pending.back();
            pending.pop_back();
            used.insert(o->mesh);
            for (Host_Object* c = o->record.first_child; c != nullptr; c = c->next_sibling)
                if (c->group_member != 0) pending.push_back(&As_Object(c));
        }
        if (used.count(mesh) != 0) mesh = &Add_Mesh(mesh->Data());
    }
    Scene_Object& o = New_Object(name, mesh, placement, &parent);
    o.record.group_member = 1;
    return o;
}

void Scene::Add_Light(Directional_Light light) {
    light.direction = Normalise(light.direction);
    lights_.push_back(light);
}

float Scene::Light_Value(Vec3 n) const {
    float levels = ambient_levels_;
    for (const Directional_Light& light : lights_) levels += light.levels * std::max(0.0f, -Dot(n, light.direction));
    // 4 light units per shade level; levels beyond 0..63 would wrap in the fillers.
    return 4.0f * std::clamp(levels, 0.0f, 63.0f);
}

Scene_Object* Scene::Find(const std::string& name) {
    for (Scene_Object& o : objects_)
        if (names_[o.id] == name) return &o;
    return nullptr;
}

std::int32_t Scene::Render(Frame& frame, std::uint32_t flags) {
    const Viewport v = camera_.Get_Viewport();
    // 4096 lines: the library's per-line tables end there.
    if (frame.pixel_depth != options_.pixel_depth || v.x < 0 || v.y < 0 || v.width <= 0 || v.height <= 0 ||
        v.x + v.width > frame.width || v.y + v.height > frame.height || v.y + v.height > 4096)
        return -1;
    record_.pitch = frame.width;
    Make_Active(services_.Record());
    return Quorvel_Render_Dll(&record_, frame.pixels.data(), 0, flags);
}

std::size_t Scene::Overlay_Face_Bound() const {
    std::size_t count = 0;
    for (const Scene_Object& object : objects_) {
        const Mesh* mesh = object.source != nullptr ? object.source->mesh : nullptr;
        if (mesh == nullptr) continue;
        for (std::int32_t f = 0; f < mesh->Face_Count(); ++f) {
            const Host_Material* material = mesh->Face(std::size_t(f)).material;
            if (material->render_flags != nullptr && (*material->render_flags & Flag_Square_Overlay) != 0) ++count;
        }
    }
    return count;
}

Pick_Result Scene::Pick(float x, float y) {
    Pick_Result result;
    Make_Active(services_.Record());
    Host_Object* hit = Quorvel_Pick_Dll(&record_, x, y, &result.face, &result.depth);
    result.object = hit != nullptr ? &As_Object(hit) : nullptr;
    return result;
}

}  // namespace quorvel_host
