// The exports a host calls around its frames: start-up, the per-material and
// per-face blocks, render-state selection, picking, scene release and the
// names that have nothing to do. Rendering lives with the frame driver.
#include <cstdlib>

#include "faces/faces.h"
#include "module/module.h"
#include "pick/pick.h"
#include "quorvel/quorvel_soft.h"
#include "spans/spans.h"

extern "C" {

QUORVEL_API std::int32_t QUORVEL_EXPORT_CALL Quorvel_Init_Render_Dll(Host_Services* services) {
    interface_state.services = services;
    Fill_Dispatch_Rows();
    return 1;
}

// The block is not cleared here: the host's allocate returns zeroed memory,
// which is what says "no row, no shade table yet".
QUORVEL_API std::int32_t QUORVEL_EXPORT_CALL Quorvel_Add_Material_Dll(Host_Material* material) {
    auto* data = static_cast<Material_Render_Data*>(Services().allocate(1, sizeof(Material_Render_Data)));
    material->render_data = data;
    return data != nullptr ? 1 : 0;
}

QUORVEL_API void QUORVEL_EXPORT_CALL Quorvel_Release_Material_Dll(Host_Material* material) {
    Material_Render_Data* data = material->render_data;
    if (data == nullptr) return;
    Release_Shade_Table(material);
    Services().release(data);
}

QUORVEL_API void QUORVEL_EXPORT_CALL Quorvel_Update_Material_Dll(Host_Material* material) {
    Refill_Shade_Table(material);
}

QUORVEL_API std::int32_t QUORVEL_EXPORT_CALL Quorvel_Set_Material_Render_State_Dll(Host_Material* material,
                                                                                   std::int32_t mode,
                                                                                   std::uint32_t flags) {
    return Select_Render_State(material, mode, flags);
}

// Rows are shared, so this is the mode of whichever material chose the row
// last. A material with no row (never selected, or its Add failed) reads 0.
QUORVEL_API std::int32_t QUORVEL_EXPORT_CALL Quorvel_Get_Material_Render_State_Dll(Host_Material* material) {
    const Material_Render_Data* data = material->render_data;
    return data != nullptr && data->row != nullptr ? data->row->mode : 0;
}

QUORVEL_API std::int32_t QUORVEL_EXPORT_CALL Quorvel_Add_Face_Dll(Host_Face* face) {
    auto* data = static_cast<Face_Render_Data*>(Services().allocate(1, sizeof(Face_Render_Data)));
    face->render_data = data;
    if (data == nullptr) return 0;
    // The divisor 63536 belongs to the contract, not to rand's range: random
    // colours stay below 0xF830, and a host seeding rand gets the same colours
    // from every build of the module.
    data->random_colour = static_cast<std::uint16_t>(std::rand() % 63536);
    return 1;
}

QUORVEL_API void QUORVEL_EXPORT_CALL Quorvel_Release_Face_Dll(Host_Face* face) {
    if (face->render_data != nullptr) Services().release(face->render_data);
}

QUORVEL_API Host_Object* QUORVEL_EXPORT_CALL Quorvel_Pick_Dll(Host_Scene* scene, float x, float y,
                                                              std::int32_t* face_index, float* depth) {
    // Before Quorvel_Init_Render_Dll there are no vertex arrays to read.
    if (interface_state.services == nullptr) return nullptr;
    return Pick_Scene(scene, x, y, face_index, depth);
}

// Later frames grow the pools again from nothing.
QUORVEL_API void QUORVEL_EXPORT_CALL Quorvel_Release_Scene_Dll(void) {
    Release_Face_Pools();
    Release_Span_Buffer();
}

// Names the host engine calls for records this library keeps nothing about.
// Each group is one function under several names.
QUORVEL_API std::int32_t QUORVEL_EXPORT_CALL Quorvel_Add_Animation_Dll(void*) { return 1; }
QUORVEL_API void QUORVEL_EXPORT_CALL Quorvel_Release_Animation_Dll(void*) {}

// copy: the target is inferred not to throw, and its aliases must say the same.
#define QUORVEL_SAME_AS(target) __attribute__((alias(#target), copy(target)))
QUORVEL_API std::int32_t QUORVEL_EXPORT_CALL Quorvel_Add_Camera_Dll(void*) QUORVEL_SAME_AS(Quorvel_Add_Animation_Dll);
QUORVEL_API std::int32_t QUORVEL_EXPORT_CALL Quorvel_Add_Light_Dll(void*) QUORVEL_SAME_AS(Quorvel_Add_Animation_Dll);
QUORVEL_API std::int32_t QUORVEL_EXPORT_CALL Quorvel_Add_Light_Map_Dll(void*)
    QUORVEL_SAME_AS(Quorvel_Add_Animation_Dll);
QUORVEL_API std::int32_t QUORVEL_EXPORT_CALL Quorvel_Add_Map_Dll(void*) QUORVEL_SAME_AS(Quorvel_Add_Animation_Dll);
QUORVEL_API std::int32_t QUORVEL_EXPORT_CALL Quorvel_Add_Object_Dll(void*) QUORVEL_SAME_AS(Quorvel_Add_Animation_Dll);
QUORVEL_API std::int32_t QUORVEL_EXPORT_CALL Quorvel_Add_Spot_Light_Dll(void*)
    QUORVEL_SAME_AS(Quorvel_Add_Animation_Dll);
QUORVEL_API void QUORVEL_EXPORT_CALL Quorvel_Release_Camera_Dll(void*) QUORVEL_SAME_AS(Quorvel_Release_Animation_Dll);
QUORVEL_API void QUORVEL_EXPORT_CALL Quorvel_Release_Light_Dll(void*) QUORVEL_SAME_AS(Quorvel_Release_Animation_Dll);
QUORVEL_API void QUORVEL_EXPORT_CALL Quorvel_Release_Light_Map_Dll(void*)
    QUORVEL_SAME_AS(Quorvel_Release_Animation_Dll);
QUORVEL_API void QUORVEL_EXPORT_CALL Quorvel_Release_Map_Dll(void*) QUORVEL_SAME_AS(Quorvel_Release_Animation_Dll);
QUORVEL_API void QUORVEL_EXPORT_CALL Quorvel_Release_Object_Dll(void*) QUORVEL_SAME_AS(Quorvel_Release_Animation_Dll);
QUORVEL_API void QUORVEL_EXPORT_CALL Quorvel_Release_Render_Dll(void*) QUORVEL_SAME_AS(Quorvel_Release_Animation_Dll);
QUORVEL_API void QUORVEL_EXPORT_CALL Quorvel_Release_Spot_Light_Dll(void*)
    QUORVEL_SAME_AS(Quorvel_Release_Animation_Dll);
QUORVEL_API void QUORVEL_EXPORT_CALL Quorvel_Update_Light_Map_Dll(void*) QUORVEL_SAME_AS(Quorvel_Release_Animation_Dll);
QUORVEL_API void QUORVEL_EXPORT_CALL Quorvel_Update_Map_Dll(void*) QUORVEL_SAME_AS(Quorvel_Release_Animation_Dll);
#undef QUORVEL_SAME_AS

}  // extern "C"
