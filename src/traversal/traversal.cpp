// Scene traversal: walks the host's object hierarchy once per frame, calls
// the host's object operations in their fixed order and hands every face the
// host's face test accepts to slot 1 of its material's row. Visibility is the
// host's to decide; the one thing decided here is that a group is drawn when
// it or any of its members is in view.
#include "traversal/traversal.h"

namespace {

bool Wants_Op7(const Host_Object* source) {
    return source->info->op7_word_a != 0 || source->info->op7_word_b != 0;
}

// The counter moves before every op9 so that no projection cached for the
// previous object's vertices can be taken for this one's.
void Transform(Host_Scene* scene, Host_Object* source, Host_Object* object) {
    ++Services().transform_generation;
    if (Wants_Op7(source)) Operations_Of(source).prepare(source, object, scene);
    Operations_Of(source).transform(source, object, scene);
}

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

void Set_Up_Faces(Host_Scene* scene, Host_Object* source) {
    for (std::int32_t i = 0; i < source->face_count; ++i) {
        Host_Face* face = source->faces[i];
        if (face->visibility->test(face) != 0) Set_Up_Face(scene, face);
    }
}

// An object that is neither a group nor a member. Returns its source, whose
// child list pairs with the object's as hints.
Host_Object* Draw_Ordinary_Object(Host_Scene* scene, Host_Object* object) {
    Host_Object* source = Ordinary_Object_Source(scene, object);
    if (object->in_view != 0) {
        Transform(scene, source, object);
        Set_Up_Faces(scene, source);
    }
    return source;
}

// One object of a list and its subtree; returns the source whose
// next_sibling is the hint of the object's next sibling.
Host_Object* Draw_One(Host_Scene* scene, Host_Object* object, Host_Object* hint) {
    Host_Object* source = object;
    if (Is_Group_Object(object)) {
        Draw_Group(scene, object, hint);
    } else if (object->group_member == 0) {
        source = Draw_Ordinary_Object(scene, object);
    }
    // A member standing alone is drawn by its group, never here; its
    // children are walked all the same.
    Draw_Object_Subtree(scene, object->first_child, source->first_child);
    return source;
}

}  // namespace

void Draw_Object(Host_Scene* scene, Host_Object* object, Host_Object* hint) { Draw_One(scene, object, hint); }

void Draw_Object_Subtree(Host_Scene* scene, Host_Object* first, Host_Object* hint) {
    for (Host_Object* object = first; object != nullptr; object = object->next_sibling) {
        hint = Draw_One(scene, object, hint)->next_sibling;
    }
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
        group->in_view = static_cast<std::uint32_t>(Any_Member_In_View(scene, group->first_child, source->first_child));
        if (group->in_view == 0) return nullptr;
    }
    return source;
}

void Draw_Group(Host_Scene* scene, Host_Object* group, Host_Object* hint) {
    Host_Object* source = Group_Source_In_View(scene, group, hint);
    if (source == nullptr) return;
    Transform(scene, source, group);
    Prepare_Group_Members(scene, group->first_child, source->first_child);
    Set_Up_Faces(scene, source);
    Set_Up_Member_Faces(scene, group->first_child, source->first_child);
}

void Update_Group_Members(Host_Object* first, Host_Scene* scene) {
    // No hint: every member updates through its own table with its own value.
    auto update = [scene](Host_Object* member, Host_Object*) {
        Host_Object_Operations& operations = Operations_Of(member);
        operations.update(member);
        operations.hook(member, scene, member->op4_argument);
        return false;
    };
    Walk_Members(first, nullptr, update);
}

std::int32_t Any_Member_In_View(Host_Scene* scene, Host_Object* first, Host_Object* hint) {
    // Stops at the first member in view: the members after it are not asked.
    auto in_view = [scene](Host_Object* member, Host_Object* source) {
        Operations_Of(source).in_view(source, member, scene);
        return member->in_view != 0;
    };
    return Walk_Members(first, hint, in_view) ? 1 : 0;
}

void Prepare_Group_Members(Host_Scene* scene, Host_Object* first, Host_Object* hint) {
    auto prepare = [scene](Host_Object* member, Host_Object* source) {
        Transform(scene, source, member);
        return false;
    };
    Walk_Members(first, hint, prepare);
}

void Set_Up_Member_Faces(Host_Scene* scene, Host_Object* first, Host_Object* hint) {
    // The hint's faces, not the member's own: the hint is what the member shows.
    auto set_up = [scene](Host_Object* member, Host_Object* source) {
        static_cast<void>(member);
        Set_Up_Faces(scene, source);
        return false;
    };
    Walk_Members(first, hint, set_up);
}
