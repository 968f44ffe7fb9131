// Picking: walks the scene as a frame's traversal does and tests every face
// the host accepts against one screen point; the nearest hit wins. Nothing is
// drawn; the walk shares the host's vertex arrays and projection cache with
// face setup, never the frame's face lists.
#include "pick/pick.h"

#include <algorithm>
#include <cmath>

#include "frame/frame.h"
#include "interface/interface.h"
#include "quorvel/quorvel_soft.h"

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
        const float e = (polygon.y[i] - polygon.y[j]) * (px - polygon.x[i]) +
                        (polygon.x[j] - polygon.x[i]) * (py - polygon.y[i]);
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

// One fan piece of a face: its corner 0 and corners first..last.
bool Pick_Piece(Host_Scene* scene, const Host_Face* face, std::int32_t first, std::int32_t last,
                std::uint32_t outcode_and, float px, float py, float* depth) {
    const Host_Camera& camera = *scene->camera;
    Host_Services& services = Services();
    Prepared_Face polygon;
    polygon.vertex_count = last - first + 2;
    polygon.outcode_and = outcode_and;
    polygon.outcode_or = Outcode_Inside_All;
    for (std::int32_t i = 0; i < polygon.vertex_count; ++i) {
        const std::uint32_t index = face->vertex_indices[i == 0 ? 0 : first + i - 1];
        const Camera_Vertex& vertex = services.camera_vertices[index];
        polygon.cam_x[i] = vertex.x;
        polygon.cam_y[i] = vertex.y;
        polygon.cam_z[i] = vertex.z;
        polygon.outcode[i] = services.vertex_outcodes[index];
    }

    constexpr std::uint32_t near_and_far = Outcode_Near | Outcode_Far;
    if ((outcode_and & near_and_far) == near_and_far) {
        for (std::int32_t i = 0; i < polygon.vertex_count; ++i) {
            // The same cache as face setup's: each vertex is projected once
            // per transform, by whichever face or hit test reaches it first.
            const Projected_Vertex& projected =
                Project_Cached_Vertex(face->vertex_indices[i == 0 ? 0 : first + i - 1], camera);
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
        // Not written to the cache: clipped vertices are not the host's.
        for (std::int32_t i = 0; i < polygon.vertex_count; ++i) {
            const float w = 1.0f / polygon.cam_z[i];
            polygon.w[i] = w;
            polygon.x[i] = camera.centre_x + camera.scale_x * polygon.cam_x[i] * w;
            polygon.y[i] = camera.centre_y - camera.scale_y * polygon.cam_y[i] * w;
        }
    }
    return Hit_Polygon(camera, polygon, px, py, depth);
}

// Tests the faces of a source on behalf of an object: a better hit names the
// object, and the face by its index in the source's array.
void Pick_Faces(Host_Scene* scene, Host_Object* source, Host_Object* object, Pick_Query& query) {
    for (std::int32_t i = 0; i < source->face_count; ++i) {
        Host_Face* face = source->faces[i];
        if (face->visibility->test(face) == 0) continue;
        float depth = 0.0f;
        // Strictly nearer: on a tie the face met first in the walk stays.
        if (Pick_Face(scene, face, query.px, query.py, &depth) != 0 && depth < *query.depth) {
            *query.depth = depth;
            *query.face_index = i;
            query.hit = object;
        }
    }
}

Host_Object* Pick_Ordinary_Object(Host_Scene* scene, Host_Object* object, Pick_Query& query) {
    Host_Object* source = Ordinary_Object_Source(scene, object);
    if (object->in_view != 0) {
        ++Services().transform_generation;
        Operations_Of(source).transform(source, object, scene);
        Pick_Faces(scene, source, object, query);
    }
    return source;
}

// One object of a list and its subtree; returns the source whose
// next_sibling is the hint of the next object.
Host_Object* Pick_One(Host_Scene* scene, Host_Object* object, Host_Object* hint, Pick_Query& query) {
    Host_Object* source = object;
    if (Is_Group_Object(object) && object->pick_excluded == 0) {
        Pick_Group(scene, object, hint, query);
    } else if (object->group_member == 0 && object->pick_excluded == 0) {
        source = Pick_Ordinary_Object(scene, object, query);
    }
    // Excluded objects and stand-alone members are not prepared at all, but
    // their subtrees are walked.
    Pick_Subtree(scene, object->first_child, source->first_child, query);
    return source;
}

}  // namespace

std::int32_t Pick_Face(Host_Scene* scene, Host_Face* face, float px, float py, float* depth) {
    const std::int32_t corner_count = face->vertex_count;
    // One or two corners make no plane: no depth can be found for them.
    if (corner_count < 3) return 0;
    const Host_Services& services = Services();
    std::uint32_t outcode_and = Outcode_Inside_All;
    std::uint32_t outcode_or = 0;
    for (std::int32_t i = 0; i < corner_count; ++i) {
        const std::uint32_t outcode = services.vertex_outcodes[face->vertex_indices[i]];
        outcode_and &= outcode;
        outcode_or |= outcode;
    }
    if (outcode_or != Outcode_Inside_All) return 0;

    // The hit test record holds 16 vertices: a larger face is tested as a fan
    // of pieces of at most 10 corners sharing corner 0 (as face setup draws
    // it), and the first piece hit gives the depth. A face of up to 10
    // corners is one piece, itself.
    std::int32_t first = 1;
    for (;;) {
        const std::int32_t last = std::min(first + max_host_piece_corners - 2, corner_count - 1);
        if (Pick_Piece(scene, face, first, last, outcode_and, px, py, depth)) return 1;
        if (last == corner_count - 1) return 0;
        first = last;
    }
}

void Pick_Object(Host_Scene* scene, Host_Object* object, Host_Object* hint, Pick_Query& query) {
    Pick_One(scene, object, hint, query);
}

void Pick_Subtree(Host_Scene* scene, Host_Object* first, Host_Object* hint, Pick_Query& query) {
    for (Host_Object* object = first; object != nullptr; object = object->next_sibling) {
        hint = Pick_One(scene, object, hint, query)->next_sibling;
    }
}

void Pick_Group(Host_Scene* scene, Host_Object* group, Host_Object* hint, Pick_Query& query) {
    Host_Object* source = Group_Source_In_View(scene, group, hint);
    if (source == nullptr) return;
    ++Services().transform_generation;
    Operations_Of(source).transform(source, group, scene);
    // Every member is transformed before any face is tested.
    Transform_Group_Members(scene, group->first_child, source->first_child);
    Pick_Faces(scene, source, group, query);
    Pick_Group_Members(scene, group->first_child, source->first_child, query);
}

void Transform_Group_Members(Host_Scene* scene, Host_Object* first, Host_Object* hint) {
    auto transform = [scene](Host_Object* member, Host_Object* source) {
        ++Services().transform_generation;
        Operations_Of(source).transform(source, member, scene);
        return false;
    };
    Walk_Members(first, hint, transform);
}

void Pick_Group_Members(Host_Scene* scene, Host_Object* first, Host_Object* hint, Pick_Query& query) {
    auto pick = [scene, &query](Host_Object* member, Host_Object* source) {
        Pick_Faces(scene, source, member, query);
        return false;
    };
    Walk_Members(first, hint, pick);
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
    Pick_Query query = {px, py, face_index, depth, nullptr};
    for (Host_Object* object = scene->first_object; object != nullptr; object = object->next_object) {
        Pick_Object(scene, object, object, query);
    }
    return query.hit;
}

extern "C" QUORVEL_API Host_Object* QUORVEL_EXPORT_CALL Quorvel_Pick_Dll(Host_Scene* scene, float x, float y,
                                                                        int32_t* face_index, float* depth) {
    // Before Quorvel_Init_Render_Dll there are no vertex arrays to read.
    if (interface_state.services == nullptr) return nullptr;
    return Pick_Scene(scene, x, y, face_index, depth);
}
