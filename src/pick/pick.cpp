// Picking: walks the scene as a frame's traversal does and tests every face
// the host accepts against one screen point; the nearest hit wins. Nothing is
// drawn; the walk shares the host's vertex arrays and projection cache with
// face setup, never the frame's face lists.
#include "pick/pick.h"

#include <algorithm>
#include <cmath>

#include "base/base.h"
#include "traversal/traversal.h"

namespace {

// A near clip of a polygon of n vertices can return up to n + n / 2 of them
// (each run of outside vertices becomes two crossings). Through the near and
// far planes a convex piece of 10 corners needs at most 12 entries; only a
// non-convex or inconsistent host face grows further, and such a polygon is
// not handed to the next clip once it could outgrow the record's 16 entries.
constexpr std::int32_t max_clip_input = 11;
static_assert(max_clip_input + max_clip_input / 2 <= max_face_vertices);
static_assert(max_host_piece_corners <= max_clip_input);

// Bounding box, edge test and depth of the hit for a projected polygon.
bool Hit_Polygon(const Host_Camera& camera, const Prepared_Face& polygon, float px, float py, float* depth) {
    const std::int32_t n = polygon.vertex_count;
    float min_x = INFINITY, max_x = -INFINITY;
    float min_y = INFINITY, max_y = -INFINITY;
    for (std::int32_t i = 0; i < n; ++i) {
        // A vertex at z = 0 that the host calls inside projects to infinity;
        // no box or edge test means anything with it.
        if (!std::isfinite(polygon.x[i]) || !std::isfinite(polygon.y[i])) return false;
        min_x = std::min(min_x, polygon.x[i]);
        max_x = std::max(max_x, polygon.x[i]);
        min_y = std::min(min_y, polygon.y[i]);
        max_y = std::max(max_y, polygon.y[i]);
    }
    if (px < min_x || px > max_x || py < min_y || py > max_y) return false;

    // Counter-clockwise on the screen (y down): the inside is where no edge
    // gives a positive value. A point on an edge is inside, so both faces
    // that share the edge are hit there.
    for (std::int32_t i = 0; i < n; ++i) {
        const std::int32_t j = i + 1 < n ? i + 1 : 0;
        const float e =
            (polygon.y[i] - polygon.y[j]) * (px - polygon.x[i]) + (polygon.x[j] - polygon.x[i]) * (py - polygon.y[i]);
        if (e > 0.0f) return false;
    }

    // Where the ray through the point meets the plane of the first three
    // vertices: a zero-length edge or a plane along the ray has no single
    // meeting point, and counts as a miss.
    const float c0[3] = {polygon.cam_x[0], polygon.cam_y[0], polygon.cam_z[0]};
    const float c1[3] = {polygon.cam_x[1], polygon.cam_y[1], polygon.cam_z[1]};
    const float c2[3] = {polygon.cam_x[2], polygon.cam_y[2], polygon.cam_z[2]};
    float a[3] = {c0[0] - c1[0], c0[1] - c1[1], c0[2] - c1[2]};
    float b[3] = {c2[0] - c1[0], c2[1] - c1[1], c2[2] - c1[2]};
    const float length_a = std::sqrt(a[0] * a[0] + a[1] * a[1] + a[2] * a[2]);
    const float length_b = std::sqrt(b[0] * b[0] + b[1] * b[1] + b[2] * b[2]);
    if (length_a == 0.0f || length_b == 0.0f) return false;
    for (int k = 0; k < 3; ++k) {
        a[k] /= length_a;
        b[k] /= length_b;
    }
    const float normal[3] = {b[1] * a[2] - b[2] * a[1], b[2] * a[0] - b[0] * a[2], b[0] * a[1] - b[1] * a[0]};
    const float ray[3] = {(px - camera.centre_x) / camera.scale_x, (camera.centre_y - py) / camera.scale_y, 1.0f};
    const float divisor = normal[0] * ray[0] + normal[1] * ray[1] + normal[2] * ray[2];
    if (divisor == 0.0f) return false;
    const float hit_z = (normal[0] * c0[0] + normal[1] * c0[1] + normal[2] * c0[2]) / divisor;
    if (!std::isfinite(hit_z)) return false;
    *depth = hit_z;
    return true;
}

// One fan piece of a face; outcode_and is the whole face's.
bool Pick_Piece(Host_Scene* scene, const Host_Face* face, const std::int32_t* corners, std::int32_t count,
                std::uint32_t outcode_and, float px, float py, float* depth) {
    const Host_Camera& camera = *scene->camera;
    Host_Services& services = Services();
    Prepared_Face polygon;
    polygon.vertex_count = count;
    polygon.outcode_and = outcode_and;
    polygon.outcode_or = Outcode_Inside_All;
    for (std::int32_t i = 0; i < polygon.vertex_count; ++i) {
        const std::uint32_t index = face->vertex_indices[corners[i]];
        const Camera_Vertex& vertex = services.camera_vertices[index];
        polygon.cam_x[i] = vertex.x;
        polygon.cam_y[i] = vertex.y;
        polygon.cam_z[i] = vertex.z;
        polygon.outcode[i] = services.vertex_outcodes[index];
    }

    if (Inside_Near_And_Far(outcode_and)) {
        for (std::int32_t i = 0; i < polygon.vertex_count; ++i) {
            // The same cache as face setup's: each vertex is projected once
            // per transform, by whichever face or hit test reaches it first.
            const Projected_Vertex& projected = Project_Cached_Vertex(face->vertex_indices[corners[i]], camera);
            polygon.x[i] = projected.x;
            polygon.y[i] = projected.y;
            polygon.w[i] = projected.w;
        }
    } else {
        // Always the Flat family: only positions matter here, whatever the
        // face's material carries.
        if ((outcode_and & Outcode_Near) == 0) {
            Clip_Near_Flat(scene, &polygon);
            if (polygon.vertex_count < 3) return false;
        }
        if ((outcode_and & Outcode_Far) == 0) {
            if (polygon.vertex_count > max_clip_input) return false;
            Clip_Far_Flat(scene, &polygon);
            if (polygon.vertex_count < 3) return false;
        }
        Project_Clipped(camera, polygon);
    }
    return Hit_Polygon(camera, polygon, px, py, depth);
}

// The walk's policy for picking: no op7, pick_excluded objects passed over,
// and a source's faces tested on behalf of the object; a better hit names the
// object, and the face by its index in the source's array.
struct Pick_Visitor {
    static constexpr bool runs_op7 = false;
    static bool Passes_Over(const Host_Object* object) { return object->pick_excluded != 0; }

    float px;
    float py;
    std::int32_t* face_index;
    float* depth;
    Host_Object* hit = nullptr;  // null while nothing was hit

    void Faces(Host_Scene* scene, Host_Object* source, Host_Object* object) {
        for (std::int32_t i = 0; i < source->face_count; ++i) {
            Host_Face* face = source->faces[i];
            if (face->visibility->test(face) == 0) continue;
            float face_depth = 0.0f;
            // Strictly nearer: on a tie the face met first in the walk stays.
            if (Pick_Face(scene, face, px, py, &face_depth) != 0 && face_depth < *depth) {
                *depth = face_depth;
                *face_index = i;
                hit = object;
            }
        }
    }
};

}  // namespace

std::int32_t Pick_Face(Host_Scene* scene, Host_Face* face, float px, float py, float* depth) {
    const std::int32_t corner_count = face->vertex_count;
    // One or two corners make no plane: no depth can be found for them.
    if (corner_count < 3) return 0;
    const Host_Services& services = Services();
    Outcode_Range outcodes;
    for (std::int32_t i = 0; i < corner_count; ++i) outcodes.Add(services.vertex_outcodes[face->vertex_indices[i]]);
    if (outcodes.Outside_One_Plane()) return 0;

    // The hit test record holds 16 vertices: the face is tested in the pieces
    // face setup draws it in, and the first piece hit gives the depth.
    const bool hit = Walk_Fan(corner_count, [&](const std::int32_t* corners, std::int32_t count) {
        return Pick_Piece(scene, face, corners, count, outcodes.all, px, py, depth);
    });
    return hit ? 1 : 0;
}

Host_Object* Pick_Scene(Host_Scene* scene, float px, float py, std::int32_t* face_index, float* depth) {
    if (scene->camera_object == nullptr) return nullptr;
    scene->camera_object->operations->prepare(scene->camera_object, scene);
    // far_z is read after the camera preparation, which may set it.
    *depth = scene->far_z;
    *face_index = 0;
    // Hit tests project through the camera record; a scene without one (as
    // the preparation left it) has nothing to hit, as a frame draws nothing.
    if (scene->camera == nullptr) return nullptr;
    Pick_Visitor visitor{px, py, face_index, depth};
    for (Host_Object* object = scene->first_object; object != nullptr; object = object->next_object) {
        Walk_Object(scene, object, object, visitor);
    }
    return visitor.hit;
}
