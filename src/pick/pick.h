// Picking: the object, face and depth under a screen point.
#ifndef QUORVEL_PICK_H
#define QUORVEL_PICK_H

#include <cstdint>

#include "faces/faces.h"
#include "quorvel/host_records.h"

// 1 = hit with *depth set to the camera z of the point on the face; 0 = miss.
std::int32_t Pick_Face(Host_Scene* scene, Host_Face* face, float px, float py, float* depth);

Host_Object* Pick_Scene(Host_Scene* scene, float px, float py, std::int32_t* face_index, float* depth);

#endif
