// Polygon clipping against one plane of the view volume: one clipper, written
// once over a plane policy (which coordinate, bound and outcode bit) and a
// vertex-format policy (which attribute arrays ride along). The 24 named
// functions at the bottom are the row slots.
#include <array>
#include <cstdint>

#include "faces/faces.h"

namespace {

using Vertex_Array = float (Prepared_Face::*)[max_face_vertices];

// --- planes -----------------------------------------------------------------
// `position` is P, the coordinate tested against the bound; `others` are the
// coordinates of the same stage that are interpolated at a crossing.

struct Stage_Camera {
    static constexpr std::array<Vertex_Array, 2> others = {&Prepared_Face::cam_x, &Prepared_Face::cam_y};
    static constexpr Vertex_Array position = &Prepared_Face::cam_z;
};

// The side planes at a given camera z are x = +-z and y = +-z: the four
// screen-edge bits of a vertex made on the near or far plane come from camera
// space, since it has no screen position yet.
inline std::uint32_t Side_Bits(float x, float y, float z) {
    std::uint32_t bits = 0;
    if (x >= -z) bits |= Outcode_Left;
    if (x <= z) bits |= Outcode_Right;
    if (y <= z) bits |= Outcode_Top;
    if (y >= -z) bits |= Outcode_Bottom;
    return bits;
}

struct Plane_Near : Stage_Camera {
    static constexpr std::uint32_t bit = Outcode_Near;
    static constexpr bool keeps_outcodes = true;
    static float Bound(const Host_Scene& scene) { return scene.near_z; }
    // A vertex on the near plane is in front of the far plane only if the
    // outside vertex was: the crossing inherits its far bit.
    static std::uint32_t New_Outcode(const Host_Scene& scene, const Prepared_Face& face, int i,
                                     std::uint32_t outside_outcode) {
        return (outside_outcode & Outcode_Far) | Side_Bits(face.cam_x[i], face.cam_y[i], scene.near_z);
    }
};

struct Plane_Far : Stage_Camera {
    static constexpr std::uint32_t bit = Outcode_Far;
    static constexpr bool keeps_outcodes = true;
    static float Bound(const Host_Scene& scene) { return scene.far_z; }
    static std::uint32_t New_Outcode(const Host_Scene& scene, const Prepared_Face& face, int i, std::uint32_t) {
        return Side_Bits(face.cam_x[i], face.cam_y[i], scene.far_z);
    }
};

inline std::uint32_t Vertical_Bits(const Host_Scene& scene, float y) {
    std::uint32_t bits = 0;
    if (y >= scene.clip_top) bits |= Outcode_Top;
    if (y <= scene.camera->clip_bottom) bits |= Outcode_Bottom;
    return bits;
}

struct Plane_Right {
    static constexpr std::array<Vertex_Array, 2> others = {&Prepared_Face::y, &Prepared_Face::w};
    static constexpr Vertex_Array position = &Prepared_Face::x;
    static constexpr std::uint32_t bit = Outcode_Right;
    static constexpr bool keeps_outcodes = true;
    static float Bound(const Host_Scene& scene) { return scene.camera->clip_right; }
    // On the right edge is inside the left one; the later planes are bottom and top.
    static std::uint32_t New_Outcode(const Host_Scene& scene, const Prepared_Face& face, int i, std::uint32_t) {
        return Outcode_Left | Vertical_Bits(scene, face.y[i]);
    }
};

struct Plane_Left {
    static constexpr std::array<Vertex_Array, 2> others = {&Prepared_Face::y, &Prepared_Face::w};
    static constexpr Vertex_Array position = &Prepared_Face::x;
    static constexpr std::uint32_t bit = Outcode_Left;
    static constexpr bool keeps_outcodes = true;
    static float Bound(const Host_Scene& scene) { return scene.clip_left; }
    static std::uint32_t New_Outcode(const Host_Scene& scene, const Prepared_Face& face, int i, std::uint32_t) {
        return Vertical_Bits(scene, face.y[i]);
    }
};

struct Plane_Bottom {
    static constexpr std::array<Vertex_Array, 2> others = {&Prepared_Face::x, &Prepared_Face::w};
    static constexpr Vertex_Array position = &Prepared_Face::y;
    static constexpr std::uint32_t bit = Outcode_Bottom;
    static constexpr bool keeps_outcodes = true;
    static float Bound(const Host_Scene& scene) { return scene.camera->clip_bottom; }
    // On the bottom edge is inside the top one, the only plane still to come.
    static std::uint32_t New_Outcode(const Host_Scene&, const Prepared_Face&, int, std::uint32_t) {
        return Outcode_Top;
    }
};

// The last plane: nothing reads an outcode after it, so it keeps none.
struct Plane_Top {
    static constexpr std::array<Vertex_Array, 2> others = {&Prepared_Face::x, &Prepared_Face::w};
    static constexpr Vertex_Array position = &Prepared_Face::y;
    static constexpr std::uint32_t bit = Outcode_Top;
    static constexpr bool keeps_outcodes = false;
    static float Bound(const Host_Scene& scene) { return scene.clip_top; }
    static std::uint32_t New_Outcode(const Host_Scene&, const Prepared_Face&, int, std::uint32_t) { return 0; }
};

// --- vertex formats ---------------------------------------------------------

struct Vertex_Flat {
    static constexpr std::array<Vertex_Array, 0> attributes = {};
};
struct Vertex_Gouraud {
    static constexpr std::array<Vertex_Array, 1> attributes = {&Prepared_Face::shade};
};
struct Vertex_Gouraud_Mapped {
    static constexpr std::array<Vertex_Array, 3> attributes = {&Prepared_Face::u, &Prepared_Face::v,
                                                               &Prepared_Face::shade};
};
struct Vertex_Mapped {
    static constexpr std::array<Vertex_Array, 2> attributes = {&Prepared_Face::u, &Prepared_Face::v};
};

// --- the clipper --------------------------------------------------------------

// The input polygon; rebuilt at every call, so it lives on the stack.
struct Scratch_Polygon {
    std::uint32_t outcode[max_face_vertices];
    float position[max_face_vertices];
    float carried[Stage_Camera::others.size() + 3][max_face_vertices];
};

template <class Plane, class Format>
void Clip_Against(Host_Scene* scene, Prepared_Face* face) {
    constexpr std::size_t other_count = Plane::others.size();
    constexpr std::size_t carried_count = other_count + Format::attributes.size();
    // All carried arrays in one list: the stage's other coordinates, then the format's attributes.
    constexpr auto carried_arrays = [] {
        std::array<Vertex_Array, carried_count> arrays{};
        for (std::size_t a = 0; a < other_count; ++a) arrays[a] = Plane::others[a];
        for (std::size_t a = 0; a < Format::attributes.size(); ++a) arrays[other_count + a] = Format::attributes[a];
        return arrays;
    }();

    const std::int32_t n = face->vertex_count;
    face->vertex_count = 0;
    // A record only ever holds 16 vertices; anything else is not a polygon we can walk.
    if (n <= 0 || n > max_face_vertices) return;

    Scratch_Polygon in;
    for (std::int32_t i = 0; i < n; ++i) {
        in.outcode[i] = face->outcode[i];
        in.position[i] = (face->*Plane::position)[i];
        for (std::size_t a = 0; a < carried_count; ++a) in.carried[a][i] = (face->*carried_arrays[a])[i];
    }

    const float bound = Plane::Bound(*scene);
    std::int32_t out = 0;
    // A convex polygon gains at most one vertex per plane and never gets here;
    // a non-convex one, or outcodes that disagree with the coordinates, can.
    // Such a polygon is emptied, which drops the face, rather than overrun the record.
    bool overflow = false;

    const auto append_copy = [&](std::int32_t i) {
        if (out == max_face_vertices) {
            overflow = true;
            return;
        }
        if constexpr (Plane::keeps_outcodes) face->outcode[out] = in.outcode[i];
        (face->*Plane::position)[out] = in.position[i];
        for (std::size_t a = 0; a < carried_count; ++a) (face->*carried_arrays[a])[out] = in.carried[a][i];
        ++out;
    };

    // Always from the outside vertex o towards the inside vertex i, so two
    // faces sharing an edge get bit-identical crossings whichever way they walk it.
    const auto append_crossing = [&](std::int32_t o, std::int32_t i) {
        if (out == max_face_vertices) {
            overflow = true;
            return;
        }
        float a = bound - in.position[o];
        float b = 0.0f;
        const float span = in.position[i] - in.position[o];
        // Equal coordinates on both sides means the host's outcodes disagree
        // with its coordinates; take the outside vertex moved onto the plane.
        if (span != 0.0f) {
            b = 1.0f / span;
        } else {
            a = 0.0f;
        }
        for (std::size_t c = 0; c < carried_count; ++c) {
            const float from = in.carried[c][o];
            (face->*carried_arrays[c])[out] = (in.carried[c][i] - from) * a * b + from;
        }
        (face->*Plane::position)[out] = bound;
        if constexpr (Plane::keeps_outcodes) face->outcode[out] = Plane::New_Outcode(*scene, *face, out, in.outcode[o]);
        ++out;
    };

    // Edges (0, 1), (1, 2), ..., (n - 1, 0): vertex 1 is the first kept and
    // vertex 0 the last, which keeps the cyclic order and the winding.
    for (std::int32_t previous = 0; previous < n && !overflow; ++previous) {
        const std::int32_t current = previous + 1 == n ? 0 : previous + 1;
        const bool previous_inside = (in.outcode[previous] & Plane::bit) != 0;
        const bool current_inside = (in.outcode[current] & Plane::bit) != 0;
        if (previous_inside && current_inside) {
            append_copy(current);
        } else if (previous_inside) {
            append_crossing(current, previous);
        } else if (current_inside) {
            append_crossing(previous, current);
            append_copy(current);
        }
    }
    face->vertex_count = overflow ? 0 : out;
}

}  // namespace

// The row slots: plane x vertex format.
void QUORVEL_CDECL Clip_Near_Flat(Host_Scene* scene, Prepared_Face* face) {
    Clip_Against<Plane_Near, Vertex_Flat>(scene, face);
}
void QUORVEL_CDECL Clip_Far_Flat(Host_Scene* scene, Prepared_Face* face) {
    Clip_Against<Plane_Far, Vertex_Flat>(scene, face);
}
void QUORVEL_CDECL Clip_Right_Flat(Host_Scene* scene, Prepared_Face* face) {
    Clip_Against<Plane_Right, Vertex_Flat>(scene, face);
}
void QUORVEL_CDECL Clip_Left_Flat(Host_Scene* scene, Prepared_Face* face) {
    Clip_Against<Plane_Left, Vertex_Flat>(scene, face);
}
void QUORVEL_CDECL Clip_Bottom_Flat(Host_Scene* scene, Prepared_Face* face) {
    Clip_Against<Plane_Bottom, Vertex_Flat>(scene, face);
}
void QUORVEL_CDECL Clip_Top_Flat(Host_Scene* scene, Prepared_Face* face) {
    Clip_Against<Plane_Top, Vertex_Flat>(scene, face);
}

void QUORVEL_CDECL Clip_Near_Gouraud(Host_Scene* scene, Prepared_Face* face) {
    Clip_Against<Plane_Near, Vertex_Gouraud>(scene, face);
}
void QUORVEL_CDECL Clip_Far_Gouraud(Host_Scene* scene, Prepared_Face* face) {
    Clip_Against<Plane_Far, Vertex_Gouraud>(scene, face);
}
void QUORVEL_CDECL Clip_Right_Gouraud(Host_Scene* scene, Prepared_Face* face) {
    Clip_Against<Plane_Right, Vertex_Gouraud>(scene, face);
}
void QUORVEL_CDECL Clip_Left_Gouraud(Host_Scene* scene, Prepared_Face* face) {
    Clip_Against<Plane_Left, Vertex_Gouraud>(scene, face);
}
void QUORVEL_CDECL Clip_Bottom_Gouraud(Host_Scene* scene, Prepared_Face* face) {
    Clip_Against<Plane_Bottom, Vertex_Gouraud>(scene, face);
}
void QUORVEL_CDECL Clip_Top_Gouraud(Host_Scene* scene, Prepared_Face* face) {
    Clip_Against<Plane_Top, Vertex_Gouraud>(scene, face);
}

void QUORVEL_CDECL Clip_Near_Gouraud_Mapped(Host_Scene* scene, Prepared_Face* face) {
    Clip_Against<Plane_Near, Vertex_Gouraud_Mapped>(scene, face);
}
void QUORVEL_CDECL Clip_Far_Gouraud_Mapped(Host_Scene* scene, Prepared_Face* face) {
    Clip_Against<Plane_Far, Vertex_Gouraud_Mapped>(scene, face);
}
void QUORVEL_CDECL Clip_Right_Gouraud_Mapped(Host_Scene* scene, Prepared_Face* face) {
    Clip_Against<Plane_Right, Vertex_Gouraud_Mapped>(scene, face);
}
void QUORVEL_CDECL Clip_Left_Gouraud_Mapped(Host_Scene* scene, Prepared_Face* face) {
    Clip_Against<Plane_Left, Vertex_Gouraud_Mapped>(scene, face);
}
void QUORVEL_CDECL Clip_Bottom_Gouraud_Mapped(Host_Scene* scene, Prepared_Face* face) {
    Clip_Against<Plane_Bottom, Vertex_Gouraud_Mapped>(scene, face);
}
void QUORVEL_CDECL Clip_Top_Gouraud_Mapped(Host_Scene* scene, Prepared_Face* face) {
    Clip_Against<Plane_Top, Vertex_Gouraud_Mapped>(scene, face);
}

void QUORVEL_CDECL Clip_Near_Mapped(Host_Scene* scene, Prepared_Face* face) {
    Clip_Against<Plane_Near, Vertex_Mapped>(scene, face);
}
void QUORVEL_CDECL Clip_Far_Mapped(Host_Scene* scene, Prepared_Face* face) {
    Clip_Against<Plane_Far, Vertex_Mapped>(scene, face);
}
void QUORVEL_CDECL Clip_Right_Mapped(Host_Scene* scene, Prepared_Face* face) {
    Clip_Against<Plane_Right, Vertex_Mapped>(scene, face);
}
void QUORVEL_CDECL Clip_Left_Mapped(Host_Scene* scene, Prepared_Face* face) {
    Clip_Against<Plane_Left, Vertex_Mapped>(scene, face);
}
void QUORVEL_CDECL Clip_Bottom_Mapped(Host_Scene* scene, Prepared_Face* face) {
    Clip_Against<Plane_Bottom, Vertex_Mapped>(scene, face);
}
void QUORVEL_CDECL Clip_Top_Mapped(Host_Scene* scene, Prepared_Face* face) {
    Clip_Against<Plane_Top, Vertex_Mapped>(scene, face);
}
