// Face setup, slot 1 of every row: one host face becomes at most one prepared
// face per fan piece. One skeleton serves the eight polygon members, with the
// attribute set and the face list as policies; the two square members share
// its steps around their own squaring.
#include <cmath>
#include <cstdint>

#include "faces/faces.h"

namespace {

// What every piece of one host face shares, read once per face.
struct Face_Context {
    Host_Scene* scene;
    Host_Face* face;
    const Dispatch_Row* row;
    const Host_Camera* camera;
    Host_Services* services;
    float u_scale;  // mapped members only
    float v_scale;
};

// --- attribute sets -----------------------------------------------------------
// Load writes a corner's attributes as the near and far clips interpolate them;
// Apply_W multiplies the ones that the fillers interpolate as value x w.

// 4 units of host light are one shade level, stored with 8 fraction bits.
inline float Shade_Of(const Face_Context& context, std::uint32_t vertex) {
    return context.services->vertex_lights[vertex].light * 64.0f;
}
// Texels x 256, offset by 0.3 texel.
inline float Map_U(const Face_Context& context, std::int32_t corner) {
    return (context.u_scale * context.face->corner_uv[corner].u + 0.3f) * 256.0f;
}
inline float Map_V(const Face_Context& context, std::int32_t corner) {
    return (context.v_scale * context.face->corner_uv[corner].v + 0.3f) * 256.0f;
}

struct Attributes_None {
    static constexpr bool mapped = false;
    static void Load(Prepared_Face&, std::int32_t, const Face_Context&, std::int32_t, std::uint32_t) {}
    static void Apply_W(Prepared_Face&, std::int32_t) {}
};

struct Attributes_Shade_Times_W {
    static constexpr bool mapped = false;
    static void Load(Prepared_Face& record, std::int32_t i, const Face_Context& context, std::int32_t,
                     std::uint32_t vertex) {
        record.shade[i] = Shade_Of(context, vertex);
    }
    static void Apply_W(Prepared_Face& record, std::int32_t i) { record.shade[i] *= record.w[i]; }
};

struct Attributes_Mapped {
    static constexpr bool mapped = true;
    static void Load(Prepared_Face& record, std::int32_t i, const Face_Context& context, std::int32_t corner,
                     std::uint32_t) {
        record.u[i] = Map_U(context, corner);
        record.v[i] = Map_V(context, corner);
    }
    static void Apply_W(Prepared_Face& record, std::int32_t i) {
        record.u[i] *= record.w[i];
        record.v[i] *= record.w[i];
    }
};

// The lit mapped rows read shade as the light itself, so it is not multiplied by w.
struct Attributes_Mapped_Shade : Attributes_Mapped {
    static void Load(Prepared_Face& record, std::int32_t i, const Face_Context& context, std::int32_t corner,
                     std::uint32_t vertex) {
        Attributes_Mapped::Load(record, i, context, corner, vertex);
        record.shade[i] = Shade_Of(context, vertex);
    }
};

// --- face lists ---------------------------------------------------------------

struct List_Opaque {
    static Face_Pool& Pool() { return faces_state.opaque; }
    static constexpr bool sorted = false;  // drawn in list order, no sort_depth
    static constexpr std::int32_t opaque = 1;
    static constexpr bool in_span_buffer = true;
};
struct List_Translucent {
    static Face_Pool& Pool() { return faces_state.translucent; }
    static constexpr bool sorted = true;
    static constexpr std::int32_t opaque = 0;
    static constexpr bool in_span_buffer = true;
};
// Squares drawn over everything: no depth plane, their filler draws the polygon directly.
struct List_Overlay {
    static Face_Pool& Pool() { return faces_state.overlay; }
    static constexpr bool sorted = true;
    static constexpr std::int32_t opaque = 0;
    static constexpr bool in_span_buffer = false;
};

// --- shared steps -------------------------------------------------------------

// Reads what the pieces share, refusing the faces that would make a later
// stage read through a null pointer.
template <class Attributes>
bool Read_Face(Host_Scene* scene, Host_Face* face, Face_Context& context) {
    if (scene == nullptr || scene->camera == nullptr || face == nullptr) return false;
    // No corner, nothing inside anything; and no first corner to read.
    if (face->vertex_count < 1) return false;
    if (face->render_data == nullptr || face->vertex_indices == nullptr) return false;
    const Host_Material* material = face->material;
    if (material == nullptr || material->render_data == nullptr || material->render_data->row == nullptr) return false;
    context.scene = scene;
    context.face = face;
    context.row = material->render_data->row;
    context.camera = scene->camera;
    context.services = &Services();
    if constexpr (Attributes::mapped) {
        // Selection gives mapped rows only to materials with a map; a host
        // that changes the map afterwards loses the face, not the frame.
        if (material->map == nullptr || material->map->image == nullptr || face->corner_uv == nullptr) return false;
        context.u_scale = material->map->image->u_scale;
        context.v_scale = material->map->image->v_scale;
    }
    return true;
}

// AND and OR of the corners' outcodes; false when every corner lies outside one plane.
bool Classify(const Face_Context& context, const std::int32_t* corners, std::int32_t count, Prepared_Face& record) {
    Outcode_Range range;
    const std::uint32_t* outcodes = context.services->vertex_outcodes;
    for (std::int32_t i = 0; i < count; ++i) range.Add(outcodes[context.face->vertex_indices[corners[i]]]);
    record.outcode_and = range.all;
    record.outcode_or = range.any;
    return !range.Outside_One_Plane();
}

// Faces inside the near and far planes take their screen positions from the
// projection cache, so a vertex shared by many faces is projected once.
template <class Attributes, bool keeps_cam_z>
void Load_Cached(const Face_Context& context, const std::int32_t* corners, std::int32_t count, Prepared_Face& record) {
    const Host_Services& services = *context.services;
    for (std::int32_t i = 0; i < count; ++i) {
        const std::uint32_t vertex = context.face->vertex_indices[corners[i]];
        const Projected_Vertex& projected = Project_Cached_Vertex(vertex, *context.camera);
        record.x[i] = projected.x;
        record.y[i] = projected.y;
        record.w[i] = projected.w;
        record.outcode[i] = services.vertex_outcodes[vertex];
        if constexpr (keeps_cam_z) record.cam_z[i] = services.camera_vertices[vertex].z;
        Attributes::Load(record, i, context, corners[i], vertex);
        Attributes::Apply_W(record, i);
    }
}

// Faces crossing the near or far plane are cut in camera space first; their
// vertices never enter the cache, which holds host vertices only.
template <class Attributes>
bool Load_Clipped(const Face_Context& context, const std::int32_t* corners, std::int32_t count, Prepared_Face& record) {
    const Host_Services& services = *context.services;
    for (std::int32_t i = 0; i < count; ++i) {
        const std::uint32_t vertex = context.face->vertex_indices[corners[i]];
        const Camera_Vertex& position = services.camera_vertices[vertex];
        record.cam_x[i] = position.x;
        record.cam_y[i] = position.y;
        record.cam_z[i] = position.z;
        record.outcode[i] = services.vertex_outcodes[vertex];
        Attributes::Load(record, i, context, corners[i], vertex);
    }
    if ((record.outcode_and & Outcode_Near) == 0) {
        context.row->clip_near(context.scene, &record);
        if (record.vertex_count < 3) return false;
    }
    if ((record.outcode_and & Outcode_Far) == 0) {
        context.row->clip_far(context.scene, &record);
        if (record.vertex_count < 3) return false;
    }
    Project_Clipped(*context.camera, record);
    for (std::int32_t i = 0; i < record.vertex_count; ++i) Attributes::Apply_W(record, i);
    return true;
}

// The translucent ordering's key: the farthest vertex, in whole camera units.
void Set_Sort_Depth(Prepared_Face& record) {
    std::int32_t deepest = Truncate_To_Int(record.cam_z[0]);
    for (std::int32_t i = 1; i < record.vertex_count; ++i) {
        const std::int32_t depth = Truncate_To_Int(record.cam_z[i]);
        if (depth > deepest) deepest = depth;
    }
    record.sort_depth = deepest;
}

// Right, left, bottom, top: each plane's new vertices carry the bits that the
// planes after it test, so the order is fixed.
bool Clip_Screen_Edges(const Face_Context& context, std::uint32_t outcode_and, Prepared_Face& record) {
    struct Edge_Slot {
        std::uint32_t bit;
        Clip_Function Dispatch_Row::*slot;
    };
    static constexpr Edge_Slot edges[] = {{Outcode_Right, &Dispatch_Row::clip_right},
                                          {Outcode_Left, &Dispatch_Row::clip_left},
                                          {Outcode_Bottom, &Dispatch_Row::clip_bottom},
                                          {Outcode_Top, &Dispatch_Row::clip_top}};
    for (const Edge_Slot& edge : edges) {
        if ((outcode_and & edge.bit) != 0) continue;
        (context.row->*edge.slot)(context.scene, &record);
        if (record.vertex_count < 3) return false;
    }
    return true;
}

// The edge walk and the fillers index per-line tables and pixels by these
// positions. Outcodes are the host's word, not a proof: a clipped vertex may
// sit a rounding step outside, and a host whose outcodes disagree with its
// coordinates can put vertices anywhere. Clamping keeps every write inside
// the viewport and changes nothing for a correct host but the last bit.
bool Settle_In_Viewport(const Face_Context& context, Prepared_Face& record) {
    const float left = context.scene->clip_left;
    const float top = context.scene->clip_top;
    const float right = context.camera->clip_right;
    const float bottom = context.camera->clip_bottom;
    for (std::int32_t i = 0; i < record.vertex_count; ++i) {
        float x = record.x[i];
        float y = record.y[i];
        if (!std::isfinite(x) || !std::isfinite(y)) return false;
        x = x < left ? left : x;
        x = x > right ? right : x;
        y = y < top ? top : y;
        y = y > bottom ? bottom : y;
        record.x[i] = x;
        record.y[i] = y;
        record.y_row[i] = Truncate_To_Int(y);
    }
    return true;
}

// 1/z on the screen from the plane through the face's first corner (the
// same for every fan piece). A plane through the eye has no such form (the
// divisor is 0): the face is seen edge-on, covers no pixel worth a depth,
// and is dropped.
bool Set_Depth_Plane(const Face_Context& context, Prepared_Face& record) {
    const float* n = context.face->normal;
    const Camera_Vertex& first = context.services->camera_vertices[context.face->vertex_indices[0]];
    const float k = 1.0f / (n[0] * first.x + n[1] * first.y + n[2] * first.z);
    if (!std::isfinite(k)) return false;
    const Host_Camera& camera = *context.camera;
    record.depth_dx = camera.inv_scale_x * n[0] * k;
    record.depth_dy = -(camera.inv_scale_y * n[1] * k);
    record.depth_0 = (camera.centre_y_over_scale * n[1] + n[2] - camera.centre_x_over_scale * n[0]) * k;
    return true;
}

template <class List>
void Finish_And_Commit(const Face_Context& context, Prepared_Face& record) {
    record.material = context.face->material;
    record.face_colour = context.face->render_data->random_colour;
    record.first_span = -1;
    record.opaque = List::opaque;
    record.in_count = 0;
    record.visible = 1;
    Commit_Face(List::Pool());
}

// --- the polygon members --------------------------------------------------------

template <class Attributes, class List>
void Set_Up_Piece(const Face_Context& context, const std::int32_t* corners, std::int32_t count) {
    Prepared_Face* slot = Reserve_Face(List::Pool());
    if (slot == nullptr) return;
    Prepared_Face& record = *slot;
    if (!Classify(context, corners, count, record)) return;
    record.vertex_count = count;
    const std::uint32_t outcode_and = record.outcode_and;
    if (Inside_Near_And_Far(outcode_and)) {
        Load_Cached<Attributes, List::sorted>(context, corners, count, record);
    } else if (!Load_Clipped<Attributes>(context, corners, count, record)) {
        return;
    }
    if constexpr (List::sorted) Set_Sort_Depth(record);
    if (!Clip_Screen_Edges(context, outcode_and, record)) return;
    if (!Settle_In_Viewport(context, record)) return;
    if (!Set_Depth_Plane(context, record)) return;
    Finish_And_Commit<List>(context, record);
}

template <class Attributes, class List>
void Setup_Face(Host_Scene* scene, Host_Face* face) {
    Face_Context context;
    if (!Read_Face<Attributes>(scene, face, context)) return;
    Walk_Fan(face->vertex_count, [&context](const std::int32_t* corners, std::int32_t count) {
        Set_Up_Piece<Attributes, List>(context, corners, count);
        return false;
    });
}

// --- the square members -----------------------------------------------------------

// A quad drawn as a screen-aligned square around its projected centre, big
// enough to hold the projected quad, at the depth of its first corner.
template <class List>
void Setup_Square(Host_Scene* scene, Host_Face* face) {
    if (face == nullptr || face->vertex_count != 4) return;
    Face_Context context;
    if (!Read_Face<Attributes_Mapped>(scene, face, context)) return;
    Prepared_Face* slot = Reserve_Face(List::Pool());
    if (slot == nullptr) return;
    Prepared_Face& record = *slot;
    static constexpr std::int32_t corners[4] = {0, 1, 2, 3};
    if (!Classify(context, corners, 4, record)) return;
    // Squares are never clipped in camera space.
    if (!Inside_Near_And_Far(record.outcode_and)) return;
    record.vertex_count = 4;
    Load_Cached<Attributes_Mapped, true>(context, corners, 4, record);
    Set_Sort_Depth(record);

    const float centre_x = (((record.x[0] + record.x[1]) + record.x[2]) + record.x[3]) / 4.0f;
    const float centre_y = (((record.y[0] + record.y[1]) + record.y[2]) + record.y[3]) / 4.0f;
    float half_x = 0.0f;
    float half_y = 0.0f;
    for (std::int32_t i = 0; i < 4; ++i) {
        half_x = std::fmax(half_x, std::fabs(record.x[i] - centre_x));
        half_y = std::fmax(half_y, std::fabs(record.y[i] - centre_y));
    }
    const float half = half_y > half_x ? half_y : half_x;
    // Top-left, bottom-left, bottom-right, top-right: down the left edge with
    // increasing index, as every polygon is ordered.
    record.x[0] = centre_x - half;
    record.y[0] = centre_y - half;
    record.x[1] = centre_x - half;
    record.y[1] = centre_y + half;
    record.x[2] = centre_x + half;
    record.y[2] = centre_y + half;
    record.x[3] = centre_x + half;
    record.y[3] = centre_y - half;

    // The corners moved, so the host's screen-edge bits no longer hold.
    Outcode_Range range;
    for (std::int32_t i = 0; i < 4; ++i) {
        std::uint32_t outcode = Outcode_Near | Outcode_Far;
        if (record.x[i] >= scene->clip_left) outcode |= Outcode_Left;
        if (record.x[i] <= context.camera->clip_right) outcode |= Outcode_Right;
        if (record.y[i] >= scene->clip_top) outcode |= Outcode_Top;
        if (record.y[i] <= context.camera->clip_bottom) outcode |= Outcode_Bottom;
        record.outcode[i] = outcode;
        range.Add(outcode);
    }
    record.outcode_and = range.all;
    record.outcode_or = range.any;
    if (!Clip_Screen_Edges(context, range.all, record)) return;
    if (!Settle_In_Viewport(context, record)) return;
    if constexpr (List::in_span_buffer) {
        const float depth = 1.0f / record.cam_z[0];
        if (!std::isfinite(depth)) return;
        record.depth_dx = 0.0f;
        record.depth_dy = 0.0f;
        record.depth_0 = depth;
    }
    Finish_And_Commit<List>(context, record);
}

}  // namespace

// The row members: attribute set x face list.
void QUORVEL_CDECL Setup_Face_Flat(Host_Scene* scene, Host_Face* face) {
    Setup_Face<Attributes_None, List_Opaque>(scene, face);
}
void QUORVEL_CDECL Setup_Face_Flat_Translucent(Host_Scene* scene, Host_Face* face) {
    Setup_Face<Attributes_None, List_Translucent>(scene, face);
}
void QUORVEL_CDECL Setup_Face_Gouraud(Host_Scene* scene, Host_Face* face) {
    Setup_Face<Attributes_Shade_Times_W, List_Opaque>(scene, face);
}
void QUORVEL_CDECL Setup_Face_Gouraud_Translucent(Host_Scene* scene, Host_Face* face) {
    Setup_Face<Attributes_Shade_Times_W, List_Translucent>(scene, face);
}
void QUORVEL_CDECL Setup_Face_Gouraud_Mapped(Host_Scene* scene, Host_Face* face) {
    Setup_Face<Attributes_Mapped_Shade, List_Opaque>(scene, face);
}
void QUORVEL_CDECL Setup_Face_Gouraud_Mapped_Translucent(Host_Scene* scene, Host_Face* face) {
    Setup_Face<Attributes_Mapped_Shade, List_Translucent>(scene, face);
}
void QUORVEL_CDECL Setup_Face_Mapped(Host_Scene* scene, Host_Face* face) {
    Setup_Face<Attributes_Mapped, List_Opaque>(scene, face);
}
void QUORVEL_CDECL Setup_Face_Mapped_Translucent(Host_Scene* scene, Host_Face* face) {
    Setup_Face<Attributes_Mapped, List_Translucent>(scene, face);
}
void QUORVEL_CDECL Setup_Face_Square(Host_Scene* scene, Host_Face* face) {
    Setup_Square<List_Translucent>(scene, face);
}
void QUORVEL_CDECL Setup_Face_Square_Overlay(Host_Scene* scene, Host_Face* face) {
    Setup_Square<List_Overlay>(scene, face);
}
