// Scene traversal: the walk over the host's object hierarchy, calling the
// host's object operations in their fixed order. Drawing hands every face
// the host accepts to slot 1 of its material's row; picking walks the same way.
#ifndef QUORVEL_TRAVERSAL_H
#define QUORVEL_TRAVERSAL_H

#include <cstdint>

#include "base/base.h"
#include "quorvel/host_records.h"

// Scene traversal: hands every accepted face to slot 1 of its material's row.
void Draw_Object(Host_Scene* scene, Host_Object* object, Host_Object* hint);
void Draw_Object_Subtree(Host_Scene* scene, Host_Object* first, Host_Object* hint);
void Draw_Group(Host_Scene* scene, Host_Object* group, Host_Object* hint);
void Update_Group_Members(Host_Object* first, Host_Scene* scene);
std::int32_t Any_Member_In_View(Host_Scene* scene, Host_Object* first, Host_Object* hint);
void Prepare_Group_Members(Host_Scene* scene, Host_Object* first, Host_Object* hint);
void Set_Up_Member_Faces(Host_Scene* scene, Host_Object* first, Host_Object* hint);

// The host's operation table of an object.
inline Host_Object_Operations& Operations_Of(const Host_Object* object) { return *object->object_class->operations; }

// The host operations that come before an object is known to be in view,
// shared by drawing and picking. For an ordinary object: op3, op5, op4 with
// the source's value, op6; returns the source (the caller tests in_view).
// For a group: op3, op4 with its own value, the members' op3/op4, op5 (the
// hint standing in when op5 returns the group itself), op6, and the in_view
// inherited from its members; returns the source, or null when neither the
// group nor any member is in view.
Host_Object* Ordinary_Object_Source(Host_Scene* scene, Host_Object* object);
Host_Object* Group_Source_In_View(Host_Scene* scene, Host_Object* group, Host_Object* hint);

// Object kinds, from the object's own fields (picking uses the same ones).
inline bool Is_Group_Object(const Host_Object* object) { return object->info->is_group != 0; }
inline bool Is_Group_Member(const Host_Object* object) {
    return object->info->is_group == 0 && object->group_member != 0;
}

// The member walk of a group, shared by traversal and picking: visits the
// members of a child list depth first (a member before its children, its
// children before its following siblings), passing over a non-member with
// its whole subtree. The hint advances with the object along next_sibling;
// a null hint stands for the object itself. visit(member, hint) returns true
// to end the whole walk; Walk_Members then returns true as well.
template <class Visit>
bool Walk_Members(Host_Object* first, Host_Object* hint, Visit& visit) {
    Host_Object* next_hint = hint;
    for (Host_Object* object = first; object != nullptr; object = object->next_sibling) {
        Host_Object* source = next_hint != nullptr ? next_hint : object;
        if (Is_Group_Member(object)) {
            if (visit(object, source)) return true;
            if (Walk_Members(object->first_child, source->first_child, visit)) return true;
        }
        next_hint = source->next_sibling;
    }
    return false;
}

#endif
