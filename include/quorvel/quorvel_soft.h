/* The 28 exports of quorvel_soft: every function a host engine calls, from C
 * (C89 on) or C++. All are cdecl with 32-bit arguments and results on the
 * 32-bit module; the host records they take are declared in host_records.h.
 * Calls come from one thread, one at a time; host callbacks must not re-enter. */
#ifndef QUORVEL_SOFT_H
#define QUORVEL_SOFT_H

#include "host_records.h"

/* The library's version. CMake's project version, the package files and the
 * ELF soname (the major number) are checked against these when it is built. */
#define QUORVEL_VERSION_MAJOR 0
#define QUORVEL_VERSION_MINOR 1
#define QUORVEL_VERSION_PATCH 0

#if defined(_WIN32)
#if defined(QUORVEL_BUILDING)
#define QUORVEL_API __declspec(dllexport)
#else
#define QUORVEL_API __declspec(dllimport)
#endif
#else
#define QUORVEL_API __attribute__((visibility("default")))
#endif

#define QUORVEL_EXPORT_CALL QUORVEL_CDECL

#ifdef __cplusplus
extern "C" {
#endif

/* Keeps the services pointer for the module's life and fills the function
 * slots of every dispatch row. Call once before anything else. Returns 1. */
QUORVEL_API int32_t QUORVEL_EXPORT_CALL Quorvel_Init_Render_Dll(Host_Services* services);

/* Materials: attach the 8-byte render data (1 on success, 0 and a null
 * render_data on failure), choose the render state, refill shade tables. */
QUORVEL_API int32_t QUORVEL_EXPORT_CALL Quorvel_Add_Material_Dll(Host_Material* material);
QUORVEL_API void QUORVEL_EXPORT_CALL Quorvel_Release_Material_Dll(Host_Material* material);
QUORVEL_API void QUORVEL_EXPORT_CALL Quorvel_Update_Material_Dll(Host_Material* material);
QUORVEL_API int32_t QUORVEL_EXPORT_CALL Quorvel_Set_Material_Render_State_Dll(Host_Material* material, int32_t mode,
                                                                              uint32_t flags);
QUORVEL_API int32_t QUORVEL_EXPORT_CALL Quorvel_Get_Material_Render_State_Dll(Host_Material* material);

/* Faces: attach the 2-byte render data with a random colour. */
QUORVEL_API int32_t QUORVEL_EXPORT_CALL Quorvel_Add_Face_Dll(Host_Face* face);
QUORVEL_API void QUORVEL_EXPORT_CALL Quorvel_Release_Face_Dll(Host_Face* face);

/* Draws one frame. The viewport (scene clip_left/clip_top to camera
 * clip_right/clip_bottom) must lie inside the frame buffer and within scan
 * lines 0..4095: every bound finite, 0 <= clip_top <= clip_bottom <= 4096 and
 * 0 <= clip_left <= clip_right <= min(|pitch|, 32767); otherwise nothing is
 * drawn and the result is 0. Rows are pitch pixels apart (a negative pitch
 * walks a bottom-up buffer). Flags bit 0
 * zeroes the viewport pixels no opaque face covers. Result: 0 without a
 * camera object, 2 when the edge pool could not grow, else the number of
 * overlay faces drawn. */
QUORVEL_API int32_t QUORVEL_EXPORT_CALL Quorvel_Render_Dll(Host_Scene* scene, uint16_t* frame_buffer,
                                                           uint32_t pass_through, uint32_t flags);

/* Nearest face under a screen point: the hit object (or null), the face's
 * index in its source's face array and the camera z of the hit. */
QUORVEL_API Host_Object* QUORVEL_EXPORT_CALL Quorvel_Pick_Dll(Host_Scene* scene, float x, float y, int32_t* face_index,
                                                              float* depth);

/* Frees the frame-wide pools; later frames grow them again from nothing. */
QUORVEL_API void QUORVEL_EXPORT_CALL Quorvel_Release_Scene_Dll(void);

/* Names a host engine expects that have nothing to do here. The argument
 * (whatever record the host passes) is never read. The Add names return 1. */
QUORVEL_API int32_t QUORVEL_EXPORT_CALL Quorvel_Add_Animation_Dll(void* record);
QUORVEL_API int32_t QUORVEL_EXPORT_CALL Quorvel_Add_Camera_Dll(void* record);
QUORVEL_API int32_t QUORVEL_EXPORT_CALL Quorvel_Add_Light_Dll(void* record);
QUORVEL_API int32_t QUORVEL_EXPORT_CALL Quorvel_Add_Light_Map_Dll(void* record);
QUORVEL_API int32_t QUORVEL_EXPORT_CALL Quorvel_Add_Map_Dll(void* record);
QUORVEL_API int32_t QUORVEL_EXPORT_CALL Quorvel_Add_Object_Dll(void* record);
QUORVEL_API int32_t QUORVEL_EXPORT_CALL Quorvel_Add_Spot_Light_Dll(void* record);
QUORVEL_API void QUORVEL_EXPORT_CALL Quorvel_Release_Animation_Dll(void* record);
QUORVEL_API void QUORVEL_EXPORT_CALL Quorvel_Release_Camera_Dll(void* record);
QUORVEL_API void QUORVEL_EXPORT_CALL Quorvel_Release_Light_Dll(void* record);
QUORVEL_API void QUORVEL_EXPORT_CALL Quorvel_Release_Light_Map_Dll(void* record);
QUORVEL_API void QUORVEL_EXPORT_CALL Quorvel_Release_Map_Dll(void* record);
QUORVEL_API void QUORVEL_EXPORT_CALL Quorvel_Release_Object_Dll(void* record);
QUORVEL_API void QUORVEL_EXPORT_CALL Quorvel_Release_Render_Dll(void* record);
QUORVEL_API void QUORVEL_EXPORT_CALL Quorvel_Release_Spot_Light_Dll(void* record);
QUORVEL_API void QUORVEL_EXPORT_CALL Quorvel_Update_Light_Map_Dll(void* record);
QUORVEL_API void QUORVEL_EXPORT_CALL Quorvel_Update_Map_Dll(void* record);

#ifdef __cplusplus
}
#endif

#endif
