// Prepared faces: the record every later stage of a frame reads, the three
// face pools with their sort arrays, face setup and polygon clipping, and the
// geometry picking shares with setup (projection, outcodes, fan pieces).
#ifndef QUORVEL_FACES_H
#define QUORVEL_FACES_H

#include <cstdint>

#include "base/base.h"
#include "quorvel/host_records.h"

// 16 vertices: a convex face of at most 10 corners gains at most one vertex
// per clip plane, six planes in all.
constexpr int max_face_vertices = 16;
// Host faces with more corners are set up as fans of pieces of this size.
constexpr int max_host_piece_corners = 10;

// The scan pass reads a face at every edge crossing, long after setup wrote
// it, so what it touches (depth plane, stack links, counts, span chain) opens
// the record: 48 bytes, one cache line or two instead of a record's worth.
// Setup's fields follow; the size stays 784 bytes (768 on 32-bit), so the
// pools grow by the same host calls.
struct Prepared_Face {
    Prepared_Face* stack_next;
    Prepared_Face* stack_prev;
    float depth_dx;  // 1/z = depth_0 + depth_dx * x + depth_dy * y
    float depth_dy;
    float depth_0;
    std::int32_t in_count;
    std::int32_t span_start;
    std::int32_t opaque;
    std::int32_t visible;
    std::int32_t first_span;  // index into the span pool, -1 = none
    std::int32_t vertex_count;
    std::uint32_t outcode_and;
    std::uint32_t outcode_or;
    std::int32_t sort_depth;
    std::uint32_t outcode[max_face_vertices];
    float x[max_face_vertices];
    float y[max_face_vertices];
    float w[max_face_vertices];  // 1 / camera z
    float cam_x[max_face_vertices];
    float cam_y[max_face_vertices];
    float cam_z[max_face_vertices];
    float u[max_face_vertices];  // texels x 256 (x w once projected)
    float v[max_face_vertices];
    float shade[max_face_vertices];         // light x 64 (x w in the unmapped Gouraud rows)
    std::int32_t y_row[max_face_vertices];  // screen y truncated
    Host_Material* material;
    std::uint16_t face_colour;
};
// The face pools' reallocate sizes are multiples of this size.
static_assert(sizeof(Prepared_Face) == (sizeof(void*) == 8 ? 784 : 768));

using Face_Pool = Pool<Prepared_Face>;
constexpr std::int32_t face_pool_step = 512;

// The ordering's result and its two scratch arrays, one shared capacity that
// is never smaller than the largest pool capacity.
struct Sort_Arrays {
    std::int32_t* face_index = nullptr;
    std::int32_t* scratch_first = nullptr;
    std::int32_t* scratch_second = nullptr;
    std::int32_t capacity = 0;
};

struct Faces_State {
    Face_Pool opaque;       // Opaque_List
    Face_Pool translucent;  // Translucent_List
    Face_Pool overlay;      // Overlay_List
    Sort_Arrays sort;       // Face_Index_Array and its scratch arrays
};
extern Faces_State faces_state;

// The slot at pool.count, after growing the pool (and the sort arrays) when it
// is full; null when growth failed and the face must be dropped. The count is
// advanced by Commit_Face once the record is finished.
Prepared_Face* Reserve_Face(Face_Pool& pool);
inline void Commit_Face(Face_Pool& pool) { ++pool.count; }

// Frees every pool and sort array through the host's release and resets them
// to empty, so later frames grow them again.
void Release_Face_Pools();

// The projection onto the screen of a point in camera space. Every vertex,
// cached or clipped, drawn or picked, goes through this one formula: two
// faces sharing an edge meet bit-exactly only while their vertices agree.
inline void Project(const Host_Camera& camera, float x, float y, float z, float& screen_x, float& screen_y, float& w) {
    w = 1.0f / z;
    screen_x = camera.centre_x + camera.scale_x * x * w;
    screen_y = camera.centre_y - camera.scale_y * y * w;
}

// The projection cache shared by face setup and picking: the vertex's screen
// position and 1/z, computed at most once per transform_generation (the first
// caller to reach the vertex projects it and stamps it).
inline const Projected_Vertex& Project_Cached_Vertex(std::uint32_t vertex_index, const Host_Camera& camera) {
    Host_Services& services = Services();
    Projected_Vertex& cached = services.projected_vertices[vertex_index];
    if (services.vertex_stamps[vertex_index] != services.transform_generation) {
        const Camera_Vertex& vertex = services.camera_vertices[vertex_index];
        Project(camera, vertex.x, vertex.y, vertex.z, cached.x, cached.y, cached.w);
        services.vertex_stamps[vertex_index] = services.transform_generation;
    }
    return cached;
}

// A polygon's vertices clipped in camera space, projected (not cached:
// clipped vertices are not the host's).
inline void Project_Clipped(const Host_Camera& camera, Prepared_Face& polygon) {
    for (std::int32_t i = 0; i < polygon.vertex_count; ++i)
        Project(camera, polygon.cam_x[i], polygon.cam_y[i], polygon.cam_z[i], polygon.x[i], polygon.y[i], polygon.w[i]);
}

// The AND and the OR of a set of outcodes: a bit clear in the AND is a plane
// some vertex lies outside of; a bit clear in the OR, one every vertex lies
// outside of.
struct Outcode_Range {
    std::uint32_t all = Outcode_Inside_All;
    std::uint32_t any = 0;
    void Add(std::uint32_t outcode) {
        all &= outcode;
        any |= outcode;
    }
    bool Outside_One_Plane() const { return any != Outcode_Inside_All; }
};

// No vertex crosses the near or the far plane: no clip in camera space.
inline bool Inside_Near_And_Far(std::uint32_t outcode_and) {
    return (outcode_and & (Outcode_Near | Outcode_Far)) == (Outcode_Near | Outcode_Far);
}

// A host face's corners as the prepared faces take them: up to 10 corners
// in one piece, a larger face as a fan around corner 0, each piece starting
// at the last corner of the one before: (0, 1..9), (0, 9..17), ... Ten
// corners per piece keep a convex piece within the record's 16 vertices
// through six planes. piece(corners, count) returns true to stop the walk;
// Walk_Fan then returns true.
template <class Piece>
bool Walk_Fan(std::int32_t corner_count, Piece&& piece) {
    constexpr std::int32_t step = max_host_piece_corners - 2;
    std::int32_t corners[max_host_piece_corners];
    corners[0] = 0;
    for (std::int32_t first = 1;;) {
        const std::int32_t last = first + step < corner_count - 1 ? first + step : corner_count - 1;
        std::int32_t count = 1;
        for (std::int32_t corner = first; corner <= last; ++corner) corners[count++] = corner;
        if (piece(static_cast<const std::int32_t*>(corners), count)) return true;
        if (last >= corner_count - 1) return false;
        first = last;
    }
}

// Face setup: slot 1 of the rows.
void QUORVEL_CDECL Setup_Face_Flat(Host_Scene* scene, Host_Face* face);
void QUORVEL_CDECL Setup_Face_Flat_Translucent(Host_Scene* scene, Host_Face* face);
void QUORVEL_CDECL Setup_Face_Gouraud(Host_Scene* scene, Host_Face* face);
void QUORVEL_CDECL Setup_Face_Gouraud_Translucent(Host_Scene* scene, Host_Face* face);
void QUORVEL_CDECL Setup_Face_Gouraud_Mapped(Host_Scene* scene, Host_Face* face);
void QUORVEL_CDECL Setup_Face_Gouraud_Mapped_Translucent(Host_Scene* scene, Host_Face* face);
void QUORVEL_CDECL Setup_Face_Mapped(Host_Scene* scene, Host_Face* face);
void QUORVEL_CDECL Setup_Face_Mapped_Translucent(Host_Scene* scene, Host_Face* face);
void QUORVEL_CDECL Setup_Face_Square(Host_Scene* scene, Host_Face* face);
void QUORVEL_CDECL Setup_Face_Square_Overlay(Host_Scene* scene, Host_Face* face);

// Polygon clipping: slots 2..7, one family per vertex format.
// Every clip function has the row's slot 2-7 signature. The rows store them
// as the slots' cdecl pointer type, so a build whose default convention
// differed would fail to compile here rather than corrupt the stack.
using Clipper = void(Host_Scene* scene, Prepared_Face* face);
Clipper Clip_Near_Flat, Clip_Near_Gouraud, Clip_Near_Gouraud_Mapped, Clip_Near_Mapped;
Clipper Clip_Far_Flat, Clip_Far_Gouraud, Clip_Far_Gouraud_Mapped, Clip_Far_Mapped;
Clipper Clip_Right_Flat, Clip_Right_Gouraud, Clip_Right_Gouraud_Mapped, Clip_Right_Mapped;
Clipper Clip_Left_Flat, Clip_Left_Gouraud, Clip_Left_Gouraud_Mapped, Clip_Left_Mapped;
Clipper Clip_Bottom_Flat, Clip_Bottom_Gouraud, Clip_Bottom_Gouraud_Mapped, Clip_Bottom_Mapped;
Clipper Clip_Top_Flat, Clip_Top_Gouraud, Clip_Top_Gouraud_Mapped, Clip_Top_Mapped;

#endif
