// The frame driver: Quorvel_Render_Dll runs one frame through the whole
// pipeline in its fixed order: camera, traversal into the face lists, the
// edge stage, the scan pass, the background clear, and the fillers (opaque
// faces in list order, then the sorted lists far to near).
#include <cstdint>
#include <cstring>

#include "faces/faces.h"
#include "module/module.h"
#include "quorvel/quorvel_soft.h"
#include "spans/spans.h"
#include "traversal/traversal.h"

namespace {

constexpr std::uint32_t Flag_Clear_Background = 0x1;

// The row is read at this moment, so the face draws with its material's
// current row. A host callback later in the traversal may have taken the
// map or the image away from a material whose faces were already set up, and
// a host whose selection failed after it changed the map keeps a row chosen
// for the other kind of image: such a face draws nothing rather than have its
// filler read through null or past the texels.
void Fill_Face(Prepared_Face& face, std::uint16_t* frame_buffer, std::uint32_t pass_through, std::int32_t pitch) {
    const Dispatch_Row& row = Row_Of(face.material);
    if (!Map_Fits_Row(face.material, &row)) return;
    row.fill(&face, frame_buffer, pass_through, pitch);
}

// Overlay squares have no spans: their runs are bounded by their vertices,
// which setup clamped into the viewport of that moment. A host callback that
// shrank the viewport afterwards would have them write outside it, so a
// square that no longer lies inside is dropped from the list (and from the
// count the frame returns). For a host that keeps its viewport this keeps
// every square.
void Drop_Overlays_Outside(Face_Pool& pool, const Host_Scene& scene) {
    const float left = scene.clip_left, top = scene.clip_top;
    const float right = scene.camera->clip_right, bottom = scene.camera->clip_bottom;
    std::int32_t kept = 0;
    for (std::int32_t i = 0; i < pool.count; ++i) {
        const Prepared_Face& face = pool.records[i];
        bool inside = face.vertex_count >= 1 && face.vertex_count <= max_face_vertices;
        for (std::int32_t k = 0; inside && k < face.vertex_count; ++k)
            inside = face.x[k] >= left && face.x[k] <= right && face.y[k] >= top && face.y[k] <= bottom;
        if (!inside) continue;
        if (kept != i) pool.records[kept] = face;
        ++kept;
    }
    pool.count = kept;
}

// Zeroes a run with 32-bit stores from a 4-byte boundary: a first pixel at 2
// modulo 4 is written alone, then four bytes at a time, then the last two.
void Clear_Run(std::uint16_t* first, std::int32_t length) {
    auto* bytes = reinterpret_cast<unsigned char*>(first);
    std::size_t remaining = 2 * static_cast<std::size_t>(length);
    constexpr std::uint16_t zero_pixel = 0;
    constexpr std::uint32_t zero_pair = 0;
    if ((reinterpret_cast<std::uintptr_t>(bytes) & 2) != 0) {
        std::memcpy(bytes, &zero_pixel, 2);
        bytes += 2;
        remaining -= 2;
    }
    // memcpy of four bytes to an aligned address is one 32-bit store, without
    // pretending the frame buffer holds 32-bit objects.
    for (; remaining >= 4; remaining -= 4, bytes += 4) std::memcpy(bytes, &zero_pair, 4);
    if (remaining != 0) std::memcpy(bytes, &zero_pixel, 2);
}

// The translucent and overlay lists may overlap themselves and blend with
// what lies beneath, so they are drawn far to near: the sorted order read
// from its last entry.
void Draw_Sorted(Face_Pool& pool, std::uint16_t* frame_buffer, std::uint32_t pass_through, std::int32_t pitch) {
    if (pool.count == 0) return;
    Sort_Translucent_Faces(pool.records, pool.count);
    const std::int32_t* order = faces_state.sort.face_index;
    for (std::int32_t i = pool.count - 1; i >= 0; --i)
        Fill_Face(pool.records[order[i]], frame_buffer, pass_through, pitch);
}

}  // namespace

std::int32_t Draw_Face_Lists(Host_Scene* scene, std::uint16_t* frame_buffer, std::uint32_t pass_through,
                             std::uint32_t flags) {
    // Read again after traversal, whose host callbacks run between: whatever
    // the viewport says now is what every write stays inside.
    Scan_Bounds bounds;
    if (!Read_Scan_Bounds(*scene, bounds)) return 0;
    const std::int32_t pitch = scene->pitch;

    Scan_Sentinels sentinels;
    Build_Sentinels(sentinels);
    if (!File_Frame_Edges(bounds, &sentinels.right)) return 2;

    frame_state.spans.count = 0;
    Scan_Spans(bounds, frame_state.new_edge_table, frame_state.remove_edge_table, &sentinels.left, &sentinels.right,
               &sentinels.stack_end, &sentinels.background);

    if ((flags & Flag_Clear_Background) != 0) {
        Walk_Spans(sentinels.background, frame_buffer, pitch,
                   [](const Span& span, std::uint16_t* first) { Clear_Run(first, span.length); });
    }

    Face_Pool& opaque = faces_state.opaque;
    for (std::int32_t i = 0; i < opaque.count; ++i) {
        // A face's record was last read by the scan, lines of it by setup
        // long before: the next but one is asked for while this one fills.
        if (i + 2 < opaque.count) Prefetch_Record(opaque.records[i + 2], false);
        Fill_Face(opaque.records[i], frame_buffer, pass_through, pitch);
    }
    Draw_Sorted(faces_state.translucent, frame_buffer, pass_through, pitch);
    Drop_Overlays_Outside(faces_state.overlay, *scene);
    Draw_Sorted(faces_state.overlay, frame_buffer, pass_through, pitch);
    return faces_state.overlay.count;
}

extern "C" {

QUORVEL_API std::int32_t QUORVEL_EXPORT_CALL Quorvel_Render_Dll(Host_Scene* scene, std::uint16_t* frame_buffer,
                                                                std::uint32_t pass_through, std::uint32_t flags) {
    if (scene == nullptr || scene->camera_object == nullptr) return 0;
    // Before Quorvel_Init_Render_Dll there are no rows and no memory functions.
    if (interface_state.services == nullptr) return 0;
    Host_Camera_Object* camera_object = scene->camera_object;
    camera_object->operations->prepare(camera_object, scene);

    // A viewport the span buffer cannot cover draws nothing at all.
    Scan_Bounds bounds;
    if (frame_buffer == nullptr || !Read_Scan_Bounds(*scene, bounds)) return 0;

    faces_state.opaque.count = 0;
    faces_state.translucent.count = 0;
    faces_state.overlay.count = 0;
    for (Host_Object* object = scene->first_object; object != nullptr; object = object->next_object)
        Draw_Object(scene, object, object);

    return Draw_Face_Lists(scene, frame_buffer, pass_through, flags);
}

}  // extern "C"
