// A host that writes down every call the library makes into it: object
// operations ("op6(S,A)"; "T1.op6(S,A)" from the second operation table),
// face tests ("test(f)"), face setup through the material's row
// ("setup(f)") and the camera preparation ("camera"), all in one string.
// Traversal and picking tests compare it with the calls they must make.
//
// One host is live at a time: the host functions are plain function
// pointers and find their host through a static.
#ifndef QUORVEL_TESTS_LOGGING_HOST_H
#define QUORVEL_TESTS_LOGGING_HOST_H

#include <gtest/gtest.h>

#include <deque>
#include <map>
#include <string>
#include <tuple>
#include <utility>
#include <vector>

#include "core/camera.h"
#include "core/services.h"
#include "module/module.h"

namespace quorvel_test {

struct Logged_Object {
    Host_Object record{};
    Host_Object_Info info{};
    std::string name;
    Host_Object* source = nullptr;     // what op5 returns; null = the object itself
    std::uint32_t in_view_result = 1;  // what op6 writes into the object
    std::vector<Host_Face*> faces;
};

struct Logged_Face {
    Host_Face record{};
    std::string name;
    std::vector<std::uint32_t> indices;
    std::int32_t test_result = 1;
};

class Logging_Host {
public:
    // 320 x 240 viewport whose edges are the images of x = +-z and y = +-z;
    // near plane z = 1, far plane z = 100.
    Logging_Host()
        : previous_(std::exchange(current_, this), std::exchange(interface_state.services, services.Record())) {
        Fill_Table<0>();
        Fill_Table<1>();
    }
    ~Logging_Host() { std::tie(current_, interface_state.services) = previous_; }
    static Logging_Host& Current() { return *current_; }

    // An object, appended to the parent's children when there is a parent.
    Host_Object* Object(const std::string& name, Host_Object* parent = nullptr, std::uint32_t is_group = 0,
                        std::uint32_t member = 0) {
        Logged_Object& object = objects.emplace_back(Logged_Object{.info = {.is_group = is_group}, .name = name});
        object.record = {.group_member = member, .info = &object.info, .object_class = &classes[0]};
        by_record_[&object.record] = &object;
        if (parent != nullptr) Append(&parent->first_child, &object.record, &Host_Object::next_sibling);
        return &object.record;
    }
    Host_Object* Group(const std::string& name, Host_Object* parent = nullptr) { return Object(name, parent, 1); }
    Host_Object* Member(const std::string& name, Host_Object* parent = nullptr) { return Object(name, parent, 0, 1); }
    Logged_Object& Of(const Host_Object* object) { return *by_record_.at(object); }
    // Appends to the scene's top-level list.
    Host_Object* Top(Host_Object* object) { return Append(&scene.first_object, object, &Host_Object::next_object); }

    Host_Face* Face(Host_Object* object, const std::string& name, std::vector<std::uint32_t> indices = {}) {
        Logged_Face& face = face_store_.emplace_back(Logged_Face{{}, name, std::move(indices)});
        face.record = {.vertex_count = static_cast<std::int32_t>(face.indices.size()),
                       .vertex_indices = face.indices.data(),
                       .material = &material,
                       .render_data = &render_data_,
                       .visibility = &visibility_};
        faces_[&face.record] = &face;
        std::vector<Host_Face*>& list = Of(object).faces;
        list.push_back(&face.record);
        std::tie(object->faces, object->face_count) = std::tuple(list.data(), static_cast<std::int32_t>(list.size()));
        return &face.record;
    }
    void Reject(Host_Face* face) { faces_.at(face)->test_result = 0; }

    // Sets a vertex now, with the outcode the host engine gives it (on a plane = inside).
    void Vertex(std::uint32_t index, float x, float y, float z) {
        services.Set_Vertex(index, x, y, z, quorvel_host::Outcode({x, y, z}, scene.near_z, scene.far_z));
    }

    std::deque<Logged_Object> objects;
    Host_Class classes[2]{};                     // objects start with the first; the second logs as "T1."
    std::string log;                             // the calls, separated by spaces
    std::vector<std::uint32_t> op9_generations;  // transform_generation seen by each op9
    quorvel_host::Services services{256};
    Host_Camera camera{320, 240, 160, 120, 160, 120, 1.0f / 160, 1.0f / 120, 1, 1};
    Camera_Operations camera_operations{
        [](void* object, Host_Scene* s) { Current().Note("camera", s, object == &Current().camera_object); }};
    Host_Camera_Object camera_object{.operations = &camera_operations};
    Host_Scene scene{.camera_object = &camera_object, .near_z = 1, .far_z = 100, .pitch = 320, .camera = &camera};
    // The material's row only sets faces up, and logs them.
    Dispatch_Row row{.setup = [](Host_Scene* s, Host_Face* face) {
        Current().Note("setup(" + Current().faces_.at(face)->name + ")", s);
    }};
    Material_Render_Data material_data{&row};
    Host_Material material{.render_data = &material_data};

private:
    static Host_Object* Append(Host_Object** link, Host_Object* object, Host_Object* Host_Object::*next) {
        while (*link != nullptr) link = &((*link)->*next);
        return *link = object;
    }
    void Note(const std::string& entry, const Host_Scene* given, bool right_object = true) {
        if (given != &scene || !right_object)
            ADD_FAILURE() << entry << " was not given this host's scene or camera object";
        log += (log.empty() ? "" : " ") + entry;
    }
    // Logs "op(a,b)", or "op(a" + value + ")" without b, as called through table `tag`.
    static Logging_Host& Op(int tag, const char* op, Host_Object* a, Host_Object* b, Host_Scene* given,
                            const std::string& value = "") {
        const std::string second = b != nullptr ? "," + Current().Of(b).name : value;
        Current().Note((tag ? "T1." : "") + std::string(op) + "(" + Current().Of(a).name + second + ")", given);
        return Current();
    }
    template <int Tag>
    void Fill_Table() {
        Host_Object_Operations& t = tables_[Tag];
        t.update = [](Host_Object* o) { Op(Tag, "op3", o, nullptr, &Current().scene); };
        t.hook = [](Host_Object* o, Host_Scene* s, std::uint32_t v) {
            Op(Tag, "op4", o, nullptr, s, "," + std::to_string(v));
        };
        t.source = [](Host_Object* o, Host_Scene* s) {
            Host_Object* source = Op(Tag, "op5", o, nullptr, s).Of(o).source;
            return source != nullptr ? source : o;
        };
        t.in_view = [](Host_Object* f, Host_Object* o, Host_Scene* s) {
            o->in_view = Op(Tag, "op6", f, o, s).Of(o).in_view_result;
        };
        t.prepare = [](Host_Object* f, Host_Object* o, Host_Scene* s) { Op(Tag, "op7", f, o, s); };
        t.transform = [](Host_Object* f, Host_Object* o, Host_Scene* s) {
            Op(Tag, "op9", f, o, s).op9_generations.push_back(Current().services->transform_generation);
        };
        classes[Tag].operations = &t;
    }

    static inline Logging_Host* current_ = nullptr;
    std::pair<Logging_Host*, Host_Services*> previous_;
    Host_Object_Operations tables_[2]{};
    Host_Face_Visibility visibility_{[](Host_Face* face) {
        Current().Note("test(" + Current().faces_.at(face)->name + ")", &Current().scene);
        return Current().faces_.at(face)->test_result;
    }};
    Face_Render_Data render_data_{};
    std::deque<Logged_Face> face_store_;
    std::map<const Host_Object*, Logged_Object*> by_record_;
    std::map<const Host_Face*, Logged_Face*> faces_;
};

// G draws as S; members M1 (with member M11) and M2 pair with S's children
// T1 (with T11), T2, T3; N is no member (so the member walks pass over it
// and its member child M3) and is drawn by the ordinary walk after them.
// Every object has one face, named f and the object's name.
struct Group_Scene {
    explicit Group_Scene(Logging_Host& host) : g(host.Group("G")), s(host.Object("S")), m1(host.Member("M1", g)) {
        m11 = host.Member("M11", m1);
        host.Member("M3", host.Object("N", g));
        m2 = host.Member("M2", g);
        host.Object("T11", host.Object("T1", s));
        host.Object("T2", s);
        host.Object("T3", s);
        g->op4_argument = 3;
        s->op4_argument = 8;
        host.Of(g).source = s;
        for (quorvel_test::Logged_Object& o : host.objects) host.Face(&o.record, "f" + o.name);
    }
    Host_Object *g, *s, *m1, *m11, *m2;
};

}  // namespace quorvel_test

#endif
