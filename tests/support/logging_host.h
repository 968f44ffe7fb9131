// A host that writes down every call the library makes into it: object
// operations ("op3(A)", "op6(S,A)", ...), face tests ("test(f)"), face setup
// through a material's row ("setup(f)") and the camera preparation
// ("camera"). Tests build small hierarchies with it and compare the log with
// the order of calls the traversal and picking must make.
//
// Header-only so that any test folder can use it without a second copy.
// One host is live at a time: the host functions are plain function pointers
// and find their host through Logging_Host::Current().
#ifndef QUORVEL_TESTS_LOGGING_HOST_H
#define QUORVEL_TESTS_LOGGING_HOST_H

#include <cstdint>
#include <deque>
#include <initializer_list>
#include <map>
#include <string>
#include <vector>

#include "core/services.h"
#include "interface/interface.h"
#include "quorvel/host_records.h"

namespace quorvel_test {

struct Logged_Vertex {
    std::uint32_t index;
    float x, y, z;
};

struct Logged_Object {
    std::string name;
    Host_Object record{};
    Host_Object_Info info{};
    Host_Object* source = nullptr;       // what op5 returns; null = the object itself
    std::uint32_t in_view_result = 1;    // what op6 writes into the object it is called for
    std::vector<Host_Face*> faces;
    std::vector<Logged_Vertex> vertices; // written by op9 when this object is the source
};

struct Logged_Face {
    std::string name;
    Host_Face record{};
    Host_Face_Visibility visibility{};
    Face_Render_Data render_data{};
    std::vector<std::uint32_t> indices;
    std::int32_t test_result = 1;
};

class Logging_Host {
public:
    // Camera: a 320 x 240 viewport whose edges are the images of x = +-z and
    // y = +-z; near plane at z = 1, far plane at z = 100.
    explicit Logging_Host(std::uint32_t vertex_capacity = 256) : services(vertex_capacity) {
        previous_ = current_;
        previous_services_ = interface_state.services;
        current_ = this;
        interface_state.services = services.Record();

        for (int tag = 0; tag < 2; ++tag) {
            classes_[tag].operations = &tables_[tag];
        }
        tables_[0] = Operations_Table<0>();
        tables_[1] = Operations_Table<1>();
        camera_operations_.prepare = Camera_Prepare;
        camera_object.operations = &camera_operations_;

        camera = {320.0f, 240.0f, 160.0f, 120.0f, 160.0f, 120.0f,
                  1.0f / 160.0f, 1.0f / 120.0f, 1.0f, 1.0f};
        scene.camera = &camera;
        scene.camera_object = &camera_object;
        scene.clip_left = 0.0f;
        scene.clip_top = 0.0f;
        scene.near_z = 1.0f;
        scene.far_z = 100.0f;
        scene.pitch = 320;

        row.setup = Setup;
        material_render_data.row = &row;
        material.render_data = &material_render_data;
    }
    ~Logging_Host() {
        current_ = previous_;
        interface_state.services = previous_services_;
    }
    Logging_Host(const Logging_Host&) = delete;
    Logging_Host& operator=(const Logging_Host&) = delete;

    static Logging_Host& Current() { return *current_; }

    // --- building the scene ---------------------------------------------
    Host_Object* Object(const std::string& name) {
        Logged_Object& object = objects_.emplace_back();
        object.name = name;
        object.record.info = &object.info;
        object.record.object_class = &classes_[0];
        by_record_[&object.record] = &object;
        by_name_[name] = &object;
        return &object.record;
    }
    Host_Object* Group(const std::string& name) {
        Host_Object* group = Object(name);
        Of(group).info.is_group = 1;
        return group;
    }
    Host_Object* Member(const std::string& name) {
        Host_Object* member = Object(name);
        member->group_member = 1;
        return member;
    }
    // Appends to the scene's top-level list (next_object).
    void Top(Host_Object* object) {
        Host_Object** link = &scene.first_object;
        while (*link != nullptr) link = &(*link)->next_object;
        *link = object;
    }
    // Appends to the parent's child list (first_child / next_sibling).
    void Child(Host_Object* parent, Host_Object* child) {
        Host_Object** link = &parent->first_child;
        while (*link != nullptr) link = &(*link)->next_sibling;
        *link = child;
    }
    void Children(Host_Object* parent, std::initializer_list<Host_Object*> children) {
        for (Host_Object* child : children) Child(parent, child);
    }
    void Source(Host_Object* object, Host_Object* source) { Of(object).source = source; }
    void In_View(Host_Object* object, std::uint32_t result) { Of(object).in_view_result = result; }
    void Table(Host_Object* object, int tag) { object->object_class = &classes_[tag]; }
    Logged_Object& Of(const Host_Object* object) { return *by_record_.at(object); }
    Host_Object* Named(const std::string& name) { return &by_name_.at(name)->record; }

    Host_Face* Face(Host_Object* object, const std::string& name, std::initializer_list<std::uint32_t> indices = {}) {
        Logged_Face& face = faces_.emplace_back();
        face.name = name;
        face.indices.assign(indices);
        face.record.vertex_count = static_cast<std::int32_t>(face.indices.size());
        face.record.vertex_indices = face.indices.data();
        face.record.material = &material;
        face.record.render_data = &face.render_data;
        face.visibility.test = Face_Test;
        face.record.visibility = &face.visibility;
        face_names_[&face.record] = &face;
        Logged_Object& owner = Of(object);
        owner.faces.push_back(&face.record);
        object->faces = owner.faces.data();
        object->face_count = static_cast<std::int32_t>(owner.faces.size());
        return &face.record;
    }
    void Face_Test_Result(Host_Face* face, std::int32_t result) { face_names_.at(face)->test_result = result; }

    // Camera-space outcode the way a host computes it: inside the near and
    // far planes by z, inside the side planes x = +-z and y = +-z.
    std::uint32_t Outcode_Of(float x, float y, float z) const {
        std::uint32_t outcode = 0;
        if (z >= scene.near_z) outcode |= Outcode_Near;
        if (z <= scene.far_z) outcode |= Outcode_Far;
        if (x >= -z) outcode |= Outcode_Left;
        if (x <= z) outcode |= Outcode_Right;
        if (y <= z) outcode |= Outcode_Top;
        if (y >= -z) outcode |= Outcode_Bottom;
        return outcode;
    }
    // Sets a vertex now, with the outcode a host would give it.
    void Vertex(std::uint32_t index, float x, float y, float z) {
        services.Set_Vertex(index, x, y, z, Outcode_Of(x, y, z));
    }
    // Vertices that op9 writes when `source` is transformed.
    void Vertices(Host_Object* source, std::initializer_list<Logged_Vertex> vertices) {
        Of(source).vertices.assign(vertices);
    }

    // --- what happened ------------------------------------------------------
    std::vector<std::string> log;
    std::vector<std::uint32_t> op9_generations;  // transform_generation seen by each op9
    int wrong_scene_calls = 0;                   // calls not given this host's scene (or camera object)

    // --- records ------------------------------------------------------------
    quorvel_host::Services services;
    Host_Scene scene{};
    Host_Camera camera{};
    Host_Camera_Object camera_object{};
    Dispatch_Row row{};  // only setup is filled: it logs the face
    Material_Render_Data material_render_data{};
    Host_Material material{};

private:
    std::string Name(const Host_Object* object) const {
        auto found = by_record_.find(object);
        return found == by_record_.end() ? std::string("?") : found->second->name;
    }
    template <int Tag>
    static std::string Op(const char* op) {
        return Tag == 0 ? std::string(op) : "T" + std::to_string(Tag) + "." + op;
    }
    void Check_Scene(const Host_Scene* given) {
        if (given != &scene) ++wrong_scene_calls;
    }

    template <int Tag>
    static void QUORVEL_CDECL Op3(Host_Object* object) {
        Logging_Host& host = Current();
        host.log.push_back(Op<Tag>("op3(") + host.Name(object) + ")");
    }
    template <int Tag>
    static void QUORVEL_CDECL Op4(Host_Object* object, Host_Scene* scene, std::uint32_t value) {
        Logging_Host& host = Current();
        host.Check_Scene(scene);
        host.log.push_back(Op<Tag>("op4(") + host.Name(object) + "," + std::to_string(value) + ")");
    }
    template <int Tag>
    static Host_Object* QUORVEL_CDECL Op5(Host_Object* object, Host_Scene* scene) {
        Logging_Host& host = Current();
        host.Check_Scene(scene);
        host.log.push_back(Op<Tag>("op5(") + host.Name(object) + ")");
        Host_Object* source = host.Of(object).source;
        return source != nullptr ? source : object;
    }
    template <int Tag>
    static void QUORVEL_CDECL Op6(Host_Object* source, Host_Object* object, Host_Scene* scene) {
        Logging_Host& host = Current();
        host.Check_Scene(scene);
        host.log.push_back(Op<Tag>("op6(") + host.Name(source) + "," + host.Name(object) + ")");
        object->in_view = host.Of(object).in_view_result;
    }
    template <int Tag>
    static void QUORVEL_CDECL Op7(Host_Object* source, Host_Object* object, Host_Scene* scene) {
        Logging_Host& host = Current();
        host.Check_Scene(scene);
        host.log.push_back(Op<Tag>("op7(") + host.Name(source) + "," + host.Name(object) + ")");
    }
    template <int Tag>
    static void QUORVEL_CDECL Op9(Host_Object* source, Host_Object* object, Host_Scene* scene) {
        Logging_Host& host = Current();
        host.Check_Scene(scene);
        host.log.push_back(Op<Tag>("op9(") + host.Name(source) + "," + host.Name(object) + ")");
        host.op9_generations.push_back(host.services->transform_generation);
        for (const Logged_Vertex& vertex : host.Of(source).vertices) {
            host.Vertex(vertex.index, vertex.x, vertex.y, vertex.z);
        }
    }
    template <int Tag>
    static Host_Object_Operations Operations_Table() {
        Host_Object_Operations table{};
        table.update = Op3<Tag>;
        table.hook = Op4<Tag>;
        table.source = Op5<Tag>;
        table.in_view = Op6<Tag>;
        table.prepare = Op7<Tag>;
        table.transform = Op9<Tag>;
        return table;
    }

    static std::int32_t QUORVEL_CDECL Face_Test(Host_Face* face) {
        Logging_Host& host = Current();
        const Logged_Face& logged = *host.face_names_.at(face);
        host.log.push_back("test(" + logged.name + ")");
        return logged.test_result;
    }
    static void QUORVEL_CDECL Setup(Host_Scene* scene, Host_Face* face) {
        Logging_Host& host = Current();
        host.Check_Scene(scene);
        host.log.push_back("setup(" + host.face_names_.at(face)->name + ")");
    }
    static void QUORVEL_CDECL Camera_Prepare(void* camera_object, Host_Scene* scene) {
        Logging_Host& host = Current();
        host.Check_Scene(scene);
        if (camera_object != &host.camera_object) ++host.wrong_scene_calls;
        host.log.push_back("camera");
    }

    static inline Logging_Host* current_ = nullptr;
    Logging_Host* previous_ = nullptr;
    Host_Services* previous_services_ = nullptr;
    Host_Class classes_[2]{};
    Host_Object_Operations tables_[2]{};
    Camera_Operations camera_operations_{};
    std::deque<Logged_Object> objects_;
    std::deque<Logged_Face> faces_;
    std::map<const Host_Object*, Logged_Object*> by_record_;
    std::map<std::string, Logged_Object*> by_name_;
    std::map<const Host_Face*, Logged_Face*> face_names_;
};

// The log as one string, so that a failing comparison shows both sequences whole.
inline std::string Joined(const std::vector<std::string>& entries) {
    std::string joined;
    for (const std::string& entry : entries) {
        if (!joined.empty()) joined += ' ';
        joined += entry;
    }
    return joined;
}

}  // namespace quorvel_test

#endif
