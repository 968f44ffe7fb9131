// Scene traversal: walks the host's object hierarchy once per frame and hands
// every face the host's face test accepts to slot 1 of its material's row.
// Visibility is the host's to decide; the one thing decided here is that a
// group is drawn when it or any of its members is in view.
#include "traversal/traversal.h"

namespace {

void Set_Up_Face(Host_Scene* scene, Host_Face* face) {
    // A material that was never given a render state (or whose Add failed)
    // has nothing to set its faces up with: such faces are left out rather
    // than called through a null row.
    const Host_Material* material = face->material;
    if (material == nullptr || material->render_data == nullptr) return;
    const Dispatch_Row* row = material->render_data->row;
    if (row == nullptr || row->setup == nullptr) return;
    row->setup(scene, face);
}

struct Draw_Visitor {
    static constexpr bool runs_op7 = true;
    static bool Passes_Over(const Host_Object*) { return false; }
    static void Faces(Host_Scene* scene, Host_Object* source, Host_Object*) {
        for (std::int32_t i = 0; i < source->face_count; ++i) {
            Host_Face* face = source->faces[i];
            if (face->visibility->test(face) != 0) Set_Up_Face(scene, face);
        }
    }
};

// op3 and op4 of every member, through its own table with its own value.
void Update_Group_Members(Host_Object* first, Host_Scene* scene) {
    auto update = [scene](Host_Object* member, Host_Object*) {
        Host_Object_Operations& operations = Operations_Of(member);
        operations.update(member);
        operations.hook(member, scene, member->op4_argument);
        return false;
    };
    Walk_Members(first, nullptr, update);
}

// Stops at the first member in view: the members after it are not asked.
bool Any_Member_In_View(Host_Scene* scene, Host_Object* first, Host_Object* hint) {
    auto in_view = [scene](Host_Object* member, Host_Object* source) {
        Operations_Of(source).in_view(source, member, scene);
        return member->in_view != 0;
    };
    return Walk_Members(first, hint, in_view);
}

}  // namespace

void Draw_Object(Host_Scene* scene, Host_Object* object, Host_Object* hint) {
    Draw_Visitor visitor;
    Walk_Object(scene, object, hint, visitor);
}

Host_Object* Ordinary_Object_Source(Host_Scene* scene, Host_Object* object) {
    Host_Object_Operations& operations = Operations_Of(object);
    operations.update(object);
    Host_Object* source = operations.source(object, scene);
    operations.hook(object, scene, source->op4_argument);
    Operations_Of(source).in_view(source, object, scene);
    return source;
}

Host_Object* Group_Source_In_View(Host_Scene* scene, Host_Object* group, Host_Object* hint) {
    Host_Object_Operations& operations = Operations_Of(group);
    operations.update(group);
    // The group's own value, not its source's: the source is not known yet.
    operations.hook(group, scene, group->op4_argument);
    Update_Group_Members(group->first_child, scene);

    Host_Object* source = operations.source(group, scene);
    if (source == group && hint != nullptr) source = hint;
    Operations_Of(source).in_view(source, group, scene);
    if (group->in_view == 0) {
        group->in_view = Any_Member_In_View(scene, group->first_child, source->first_child) ? 1u : 0u;
        if (group->in_view == 0) return nullptr;
    }
    return source;
}
