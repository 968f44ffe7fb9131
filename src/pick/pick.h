// Picking: the object, face and depth under a screen point.
#ifndef QUORVEL_PICK_H
#define QUORVEL_PICK_H

#include <cstdint>

#include "faces/faces.h"
#include "traversal/traversal.h"
#include "quorvel/host_records.h"

// 1 = hit with *depth set to the camera z of the point on the face; 0 = miss.
std::int32_t Pick_Face(Host_Scene* scene, Host_Face* face, float px, float py, float* depth);

Host_Object* Pick_Scene(Host_Scene* scene, float px, float py, std::int32_t* face_index, float* depth);

// The query point and the best hit so far, carried through the walk. depth
// and face_index are the caller's outputs, updated in place on every better hit.
struct Pick_Query {
    float         px;
    float         py;
    std::int32_t* face_index;
    float*        depth;
    Host_Object*  hit;  // null while nothing was hit
};

// The walk: the same hierarchy and host operations as a frame's traversal,
// without op7, with pick_excluded objects' own faces left out.
void Pick_Object(Host_Scene* scene, Host_Object* object, Host_Object* hint, Pick_Query& query);
void Pick_Subtree(Host_Scene* scene, Host_Object* first, Host_Object* hint, Pick_Query& query);
void Pick_Group(Host_Scene* scene, Host_Object* group, Host_Object* hint, Pick_Query& query);
void Transform_Group_Members(Host_Scene* scene, Host_Object* first, Host_Object* hint);
void Pick_Group_Members(Host_Scene* scene, Host_Object* first, Host_Object* hint, Pick_Query& query);

#endif
