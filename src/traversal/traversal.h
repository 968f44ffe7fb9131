// Scene traversal: the one walk over the host's object hierarchy, calling the
// host's object operations in their fixed order. Drawing and picking differ
// only in a small policy: what happens at a source's faces, whether op7 runs
// before op9, and which objects are passed over.
#ifndef QUORVEL_TRAVERSAL_H
#define QUORVEL_TRAVERSAL_H

#include <cstdint>

#include "base/base.h"
#include "quorvel/host_records.h"

// A frame's traversal: hands every face the host accepts to slot 1 of its
// material's row.
void Draw_Object(Host_Scene* scene, Host_Object* object, Host_Object* hint);

// The host's operation table of an object.
inline Host_Object_Operations& Operations_Of(const Host_Object* object) { return *object->object_class->operations; }

// Object kinds, from the object's own fields.
inline bool Is_Group_Object(const Host_Object* object) { return object->info->is_group != 0; }
inline bool Is_Group_Member(const Host_Object* object) {
    return object->info->is_group == 0 && object->group_member != 0;
}

// The host operations that come before an object is known to be in view. For
// an ordinary object: op3, op5, op4 with the source's value, op6; returns the
// source (the caller tests in_view). For a group: op3, op4 with its own
// value, the members' op3/op4, op5 (the hint standing in when op5 returns the
// group itself), op6, and the in_view inherited from its members; returns
// the source, or null when neither the group nor any member is in view.
Host_Object* Ordinary_Object_Source(Host_Scene* scene, Host_Object* object);
Host_Object* Group_Source_In_View(Host_Scene* scene, Host_Object* group, Host_Object* hint);

// The member walk of a group: visits the members of a child list depth first
// (a member before its children, its children before its following
// siblings), passing over a non-member with its whole subtree. The hint
// advances with the object along next_sibling; a null hint stands for the
// object itself. visit(member, hint) returns true to end the whole walk;
// Walk_Members then returns true as well.
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

// The walk's policy (a Visitor):
//   runs_op7              op7 (prepare) runs before op9 when the source asks for it;
//   Passes_Over(object)   the object's own faces and its group are left out,
//                         its subtree is walked all the same;
//   Faces(scene, source, object)  the source's faces, on behalf of the object,
//                         once the source and every member are transformed.

// The counter moves before every op9 so that no projection cached for the
// previous object's vertices can be taken for this one's.
template <class Visitor>
void Transform_Object(Host_Scene* scene, Host_Object* source, Host_Object* object) {
    ++Services().transform_generation;
    if constexpr (Visitor::runs_op7) {
        const bool wants_op7 = source->info->op7_word_a != 0 || source->info->op7_word_b != 0;
        if (wants_op7) Operations_Of(source).prepare(source, object, scene);
    }
    Operations_Of(source).transform(source, object, scene);
}

// A group in view: the group and every member transformed before any face.
template <class Visitor>
void Walk_Group(Host_Scene* scene, Host_Object* group, Host_Object* hint, Visitor& visitor) {
    Host_Object* source = Group_Source_In_View(scene, group, hint);
    if (source == nullptr) return;
    Transform_Object<Visitor>(scene, source, group);
    auto transform = [scene](Host_Object* member, Host_Object* member_source) {
        Transform_Object<Visitor>(scene, member_source, member);
        return false;
    };
    Walk_Members(group->first_child, source->first_child, transform);
    visitor.Faces(scene, source, group);
    // The hint's faces, not the member's own: the hint is what the member shows.
    auto faces = [scene, &visitor](Host_Object* member, Host_Object* member_source) {
        visitor.Faces(scene, member_source, member);
        return false;
    };
    Walk_Members(group->first_child, source->first_child, faces);
}

// One object of a list and its subtree; returns the source whose
// next_sibling is the hint of the object's next sibling.
template <class Visitor>
Host_Object* Walk_Object(Host_Scene* scene, Host_Object* object, Host_Object* hint, Visitor& visitor) {
    Host_Object* source = object;
    if (!Visitor::Passes_Over(object)) {
        if (Is_Group_Object(object)) {
            Walk_Group(scene, object, hint, visitor);
        } else if (object->group_member == 0) {
            source = Ordinary_Object_Source(scene, object);
            if (object->in_view != 0) {
                Transform_Object<Visitor>(scene, source, object);
                visitor.Faces(scene, source, object);
            }
        }
        // A member standing alone is handled by its group, never here.
    }
    for (Host_Object *child = object->first_child, *child_hint = source->first_child; child != nullptr;
         child = child->next_sibling) {
        child_hint = Walk_Object(scene, child, child_hint, visitor)->next_sibling;
    }
    return source;
}

#endif
