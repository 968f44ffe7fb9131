// Polygon clipping: every plane and vertex format against a reference clipper
// written from the rules (walk order, crossing from the outside vertex,
// outcodes of new vertices), plus the hand-worked cases.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstring>
#include <random>
#include <vector>

#include "faces/faces.h"

namespace {

enum class Plane { Near, Far, Right, Left, Bottom, Top };
enum class Family { Flat, Gouraud, Gouraud_Mapped, Mapped };

struct Clip_Case {
    Clip_Function function;
    Plane plane;
    Family family;
    const char* name;
};

const Clip_Case clip_cases[] = {
    {Clip_Near_Flat, Plane::Near, Family::Flat, "Near_Flat"},
    {Clip_Far_Flat, Plane::Far, Family::Flat, "Far_Flat"},
    {Clip_Right_Flat, Plane::Right, Family::Flat, "Right_Flat"},
    {Clip_Left_Flat, Plane::Left, Family::Flat, "Left_Flat"},
    {Clip_Bottom_Flat, Plane::Bottom, Family::Flat, "Bottom_Flat"},
    {Clip_Top_Flat, Plane::Top, Family::Flat, "Top_Flat"},
    {Clip_Near_Gouraud, Plane::Near, Family::Gouraud, "Near_Gouraud"},
    {Clip_Far_Gouraud, Plane::Far, Family::Gouraud, "Far_Gouraud"},
    {Clip_Right_Gouraud, Plane::Right, Family::Gouraud, "Right_Gouraud"},
    {Clip_Left_Gouraud, Plane::Left, Family::Gouraud, "Left_Gouraud"},
    {Clip_Bottom_Gouraud, Plane::Bottom, Family::Gouraud, "Bottom_Gouraud"},
    {Clip_Top_Gouraud, Plane::Top, Family::Gouraud, "Top_Gouraud"},
    {Clip_Near_Gouraud_Mapped, Plane::Near, Family::Gouraud_Mapped, "Near_Gouraud_Mapped"},
    {Clip_Far_Gouraud_Mapped, Plane::Far, Family::Gouraud_Mapped, "Far_Gouraud_Mapped"},
    {Clip_Right_Gouraud_Mapped, Plane::Right, Family::Gouraud_Mapped, "Right_Gouraud_Mapped"},
    {Clip_Left_Gouraud_Mapped, Plane::Left, Family::Gouraud_Mapped, "Left_Gouraud_Mapped"},
    {Clip_Bottom_Gouraud_Mapped, Plane::Bottom, Family::Gouraud_Mapped, "Bottom_Gouraud_Mapped"},
    {Clip_Top_Gouraud_Mapped, Plane::Top, Family::Gouraud_Mapped, "Top_Gouraud_Mapped"},
    {Clip_Near_Mapped, Plane::Near, Family::Mapped, "Near_Mapped"},
    {Clip_Far_Mapped, Plane::Far, Family::Mapped, "Far_Mapped"},
    {Clip_Right_Mapped, Plane::Right, Family::Mapped, "Right_Mapped"},
    {Clip_Left_Mapped, Plane::Left, Family::Mapped, "Left_Mapped"},
    {Clip_Bottom_Mapped, Plane::Bottom, Family::Mapped, "Bottom_Mapped"},
    {Clip_Top_Mapped, Plane::Top, Family::Mapped, "Top_Mapped"},
};

// One vertex with every array of the record, so the reference can carry
// exactly the fields the rules name and leave the rest alone.
enum Field { Cam_X, Cam_Y, Cam_Z, Screen_X, Screen_Y, W, U, V, Shade, Field_Count };
struct Vertex {
    std::uint32_t outcode = 0;
    float f[Field_Count] = {};
};

struct Bounds {
    float near_z = 1.0f, far_z = 100.0f;
    float left = 10.0f, right = 310.0f, top = 5.0f, bottom = 235.0f;
};

struct Test_Scene {
    Host_Camera camera{};
    Host_Scene scene{};
    explicit Test_Scene(const Bounds& b) {
        scene.near_z = b.near_z;
        scene.far_z = b.far_z;
        scene.clip_left = b.left;
        scene.clip_top = b.top;
        camera.clip_right = b.right;
        camera.clip_bottom = b.bottom;
        scene.camera = &camera;
    }
};

std::uint32_t Bit_Of(Plane plane) {
    switch (plane) {
        case Plane::Near: return 0x01;
        case Plane::Far: return 0x02;
        case Plane::Right: return 0x08;
        case Plane::Left: return 0x04;
        case Plane::Bottom: return 0x20;
        case Plane::Top: return 0x10;
    }
    return 0;
}
Field Position_Of(Plane plane) {
    switch (plane) {
        case Plane::Near:
        case Plane::Far: return Cam_Z;
        case Plane::Right:
        case Plane::Left: return Screen_X;
        default: return Screen_Y;
    }
}
float Bound_Of(Plane plane, const Bounds& b) {
    switch (plane) {
        case Plane::Near: return b.near_z;
        case Plane::Far: return b.far_z;
        case Plane::Right: return b.right;
        case Plane::Left: return b.left;
        case Plane::Bottom: return b.bottom;
        case Plane::Top: return b.top;
    }
    return 0;
}
bool Is_Camera_Stage(Plane plane) { return plane == Plane::Near || plane == Plane::Far; }

// The fields a plane interpolates: the other coordinates of its stage plus the family's attributes.
std::vector<Field> Carried(Plane plane, Family family) {
    std::vector<Field> fields;
    if (Is_Camera_Stage(plane)) {
        fields = {Cam_X, Cam_Y};
    } else if (Position_Of(plane) == Screen_X) {
        fields = {Screen_Y, W};
    } else {
        fields = {Screen_X, W};
    }
    if (family == Family::Mapped || family == Family::Gouraud_Mapped) {
        fields.push_back(U);
        fields.push_back(V);
    }
    if (family == Family::Gouraud || family == Family::Gouraud_Mapped) fields.push_back(Shade);
    return fields;
}

std::uint32_t Reference_New_Outcode(Plane plane, const Bounds& b, const Vertex& made, const Vertex& outside) {
    const auto sides = [&](float z) {
        std::uint32_t bits = 0;
        if (made.f[Cam_X] >= -z) bits |= 0x04;
        if (made.f[Cam_X] <= z) bits |= 0x08;
        if (made.f[Cam_Y] <= z) bits |= 0x10;
        if (made.f[Cam_Y] >= -z) bits |= 0x20;
        return bits;
    };
    const auto vertical = [&] {
        std::uint32_t bits = 0;
        if (made.f[Screen_Y] >= b.top) bits |= 0x10;
        if (made.f[Screen_Y] <= b.bottom) bits |= 0x20;
        return bits;
    };
    switch (plane) {
        case Plane::Near: return (outside.outcode & 0x02) | sides(b.near_z);
        case Plane::Far: return sides(b.far_z);
        case Plane::Right: return 0x04 | vertical();
        case Plane::Left: return vertical();
        case Plane::Bottom: return 0x10;
        case Plane::Top: return 0;
    }
    return 0;
}

// Sutherland-Hodgman from the rules: edges (0,1) .. (n-1,0); crossings from
// the outside vertex; a = B - P(o), b = 1 / (P(i) - P(o)) as floats.
std::vector<Vertex> Reference_Clip(const std::vector<Vertex>& in, Plane plane, Family family, const Bounds& b) {
    const std::uint32_t bit = Bit_Of(plane);
    const Field p = Position_Of(plane);
    const float bound = Bound_Of(plane, b);
    const std::vector<Field> carried = Carried(plane, family);
    std::vector<Vertex> out;
    const auto crossing = [&](const Vertex& o, const Vertex& i) {
        Vertex made = o;  // fields not carried are irrelevant here
        const float a = bound - o.f[p];
        const float inv = 1.0f / (i.f[p] - o.f[p]);
        for (Field f : carried) made.f[f] = (i.f[f] - o.f[f]) * a * inv + o.f[f];
        made.f[p] = bound;
        made.outcode = Reference_New_Outcode(plane, b, made, o);
        return made;
    };
    const std::size_t n = in.size();
    for (std::size_t e = 0; e < n; ++e) {
        const Vertex& prev = in[e];
        const Vertex& cur = in[(e + 1) % n];
        const bool prev_in = prev.outcode & bit, cur_in = cur.outcode & bit;
        if (prev_in && cur_in) {
            out.push_back(cur);
        } else if (prev_in) {
            out.push_back(crossing(cur, prev));
        } else if (cur_in) {
            out.push_back(crossing(prev, cur));
            out.push_back(cur);
        }
    }
    return out;
}

float* Array_Of(Prepared_Face& face, Field f) {
    switch (f) {
        case Cam_X: return face.cam_x;
        case Cam_Y: return face.cam_y;
        case Cam_Z: return face.cam_z;
        case Screen_X: return face.x;
        case Screen_Y: return face.y;
        case W: return face.w;
        case U: return face.u;
        case V: return face.v;
        case Shade: return face.shade;
        default: return nullptr;
    }
}

constexpr float sentinel = -7777.0f;
constexpr std::uint32_t outcode_sentinel = 0xDEAD0000u;

// A record holding `vertices`, every slot past them and every other field set to sentinels.
Prepared_Face Make_Face(const std::vector<Vertex>& vertices) {
    Prepared_Face face;
    std::memset(&face, 0, sizeof face);
    for (int f = 0; f < Field_Count; ++f) {
        float* array = Array_Of(face, Field(f));
        for (int i = 0; i < max_face_vertices; ++i) array[i] = sentinel;
    }
    for (int i = 0; i < max_face_vertices; ++i) face.outcode[i] = outcode_sentinel;
    face.vertex_count = static_cast<std::int32_t>(vertices.size());
    for (std::size_t i = 0; i < vertices.size(); ++i) {
        face.outcode[i] = vertices[i].outcode;
        for (int f = 0; f < Field_Count; ++f) Array_Of(face, Field(f))[i] = vertices[i].f[f];
    }
    return face;
}

// A convex polygon around a centre chosen so that the plane cuts it, with the
// plane's bit from the vertex's side and the other bits random (they must be
// copied as they are).
std::vector<Vertex> Random_Polygon(std::mt19937& random, Plane plane, const Bounds& b) {
    std::uniform_real_distribution<float> unit(0.0f, 1.0f);
    const int n = 3 + static_cast<int>(random() % 8);  // 3..10 corners
    const Field p = Position_Of(plane);
    const float bound = Bound_Of(plane, b);
    const float radius = Is_Camera_Stage(plane) ? 0.8f * b.near_z + 5.0f * unit(random) : 20.0f + 100.0f * unit(random);
    const float centre = bound + radius * (1.6f * unit(random) - 0.8f);
    const bool inside_is_greater = plane == Plane::Near || plane == Plane::Left || plane == Plane::Top;
    const float start = 6.2831853f * unit(random);
    std::vector<Vertex> polygon(n);
    for (int i = 0; i < n; ++i) {
        const float angle = start + 6.2831853f * static_cast<float>(i) / static_cast<float>(n);
        Vertex& vertex = polygon[i];
        for (int f = 0; f < Field_Count; ++f) vertex.f[f] = 200.0f * unit(random) - 100.0f;
        vertex.f[p] = centre + radius * std::cos(angle);
        if (Is_Camera_Stage(plane)) vertex.f[Cam_X] = radius * std::sin(angle);
        else if (p == Screen_X) vertex.f[Screen_Y] = 120.0f + radius * std::sin(angle);
        else vertex.f[Screen_X] = 160.0f + radius * std::sin(angle);
        vertex.outcode = static_cast<std::uint32_t>(random()) & 0x3Fu & ~Bit_Of(plane);
        const bool inside = inside_is_greater ? vertex.f[p] >= bound : vertex.f[p] <= bound;
        if (inside) vertex.outcode |= Bit_Of(plane);
    }
    return polygon;
}

TEST(Clip, Every_Plane_And_Format_Matches_The_Reference_And_Leaves_Other_Arrays_Alone) {
    const Bounds bounds;
    Test_Scene scene(bounds);
    for (const Clip_Case& c : clip_cases) {
        std::mt19937 random(12345);
        const std::vector<Field> carried = Carried(c.plane, c.family);
        for (int trial = 0; trial < 300; ++trial) {
            SCOPED_TRACE(testing::Message() << c.name << " trial " << trial);
            const std::vector<Vertex> polygon = Random_Polygon(random, c.plane, bounds);
            const std::vector<Vertex> expected = Reference_Clip(polygon, c.plane, c.family, bounds);
            Prepared_Face face = Make_Face(polygon);
            const Prepared_Face before = face;
            c.function(&scene.scene, &face);
            ASSERT_EQ(face.vertex_count, static_cast<std::int32_t>(expected.size()));
            const Field p = Position_Of(c.plane);
            for (std::size_t i = 0; i < expected.size(); ++i) {
                EXPECT_EQ(Array_Of(face, p)[i], expected[i].f[p]) << "vertex " << i;
                for (Field f : carried) EXPECT_EQ(Array_Of(face, f)[i], expected[i].f[f]) << "vertex " << i << " field " << f;
                if (c.plane != Plane::Top) EXPECT_EQ(face.outcode[i], expected[i].outcode) << "vertex " << i;
            }
            // Arrays the plane does not carry are never written, whatever the count.
            for (int f = 0; f < Field_Count; ++f) {
                if (Field(f) == p || std::find(carried.begin(), carried.end(), Field(f)) != carried.end()) continue;
                EXPECT_EQ(0, std::memcmp(Array_Of(face, Field(f)), Array_Of(const_cast<Prepared_Face&>(before), Field(f)),
                                         sizeof(float) * max_face_vertices))
                    << "field " << f;
            }
            if (c.plane == Plane::Top) EXPECT_EQ(0, std::memcmp(face.outcode, before.outcode, sizeof face.outcode));
        }
    }
}

Vertex Camera_Vertex_At(float x, float y, float z, std::uint32_t outcode) {
    Vertex vertex;
    vertex.f[Cam_X] = x;
    vertex.f[Cam_Y] = y;
    vertex.f[Cam_Z] = z;
    vertex.outcode = outcode;
    return vertex;
}

TEST(Clip, Near_Triangle_With_Last_Vertex_Behind_Keeps_Order_Vertex_1_Crossings_Vertex_0) {
    Bounds bounds;
    Test_Scene scene(bounds);
    // Vertex 2 is behind the near plane (z 0 < 1).
    Prepared_Face face = Make_Face({Camera_Vertex_At(0, 0, 3, 0x3F), Camera_Vertex_At(2, 0, 3, 0x3F),
                                    Camera_Vertex_At(0, 0, 0, 0x3E)});
    Clip_Near_Flat(&scene.scene, &face);
    ASSERT_EQ(face.vertex_count, 4);
    // Vertex 1, the crossing on edge 1-2 (two thirds of the way from 2 to 1), the crossing on 2-0, vertex 0.
    EXPECT_FLOAT_EQ(face.cam_x[0], 2.0f);
    EXPECT_FLOAT_EQ(face.cam_z[0], 3.0f);
    EXPECT_FLOAT_EQ(face.cam_x[1], 2.0f / 3.0f);
    EXPECT_EQ(face.cam_z[1], 1.0f);
    EXPECT_FLOAT_EQ(face.cam_x[2], 0.0f);
    EXPECT_EQ(face.cam_z[2], 1.0f);
    EXPECT_FLOAT_EQ(face.cam_x[3], 0.0f);
    EXPECT_FLOAT_EQ(face.cam_z[3], 3.0f);
}

TEST(Clip, Triangle_With_Two_Vertices_Outside_Keeps_The_Inside_One_And_Two_Crossings) {
    Bounds bounds;
    Test_Scene scene(bounds);
    Prepared_Face face = Make_Face({Camera_Vertex_At(0, 0, 200, 0x3D), Camera_Vertex_At(10, 0, 50, 0x3F),
                                    Camera_Vertex_At(0, 10, 150, 0x3D)});
    Clip_Far_Flat(&scene.scene, &face);
    ASSERT_EQ(face.vertex_count, 3);
    // Edge 0-1 crosses z 100 two thirds of the way from vertex 0 (z 200) to vertex 1 (z 50).
    EXPECT_FLOAT_EQ(face.cam_x[0], 10.0f * 2.0f / 3.0f);
    EXPECT_EQ(face.cam_z[0], 100.0f);
    EXPECT_FLOAT_EQ(face.cam_x[1], 10.0f);
    // Edge 1-2 crosses z 100 half way from vertex 2 (z 150) to vertex 1.
    EXPECT_FLOAT_EQ(face.cam_x[2], 5.0f);
    EXPECT_FLOAT_EQ(face.cam_y[2], 5.0f);
    EXPECT_EQ(face.cam_z[2], 100.0f);
}

TEST(Clip, Worked_Near_Crossing) {
    Bounds bounds;
    bounds.near_z = 1.0f;
    Test_Scene scene(bounds);
    // Outside (0, 0, 0.5) with outcode 0x3E towards inside (2, 0, 2.5): a = 0.5, b = 0.5.
    Prepared_Face face = Make_Face({Camera_Vertex_At(0, 0, 0.5f, 0x3E), Camera_Vertex_At(2, 0, 2.5f, 0x3F),
                                    Camera_Vertex_At(0, 2, 2.5f, 0x3F)});
    Clip_Near_Flat(&scene.scene, &face);
    ASSERT_EQ(face.vertex_count, 4);
    // Walk: (0,1) enters -> crossing, vertex 1; (1,2) vertex 2; (2,0) leaves -> crossing.
    EXPECT_EQ(face.cam_x[0], 0.5f);
    EXPECT_EQ(face.cam_y[0], 0.0f);
    EXPECT_EQ(face.cam_z[0], 1.0f);
    EXPECT_EQ(face.outcode[0], 0x3Eu);
    EXPECT_EQ(face.cam_x[1], 2.0f);
    EXPECT_EQ(face.cam_y[2], 2.0f);
    EXPECT_EQ(face.cam_x[3], 0.0f);
    EXPECT_EQ(face.cam_y[3], 0.5f);
    EXPECT_EQ(face.cam_z[3], 1.0f);
}

TEST(Clip, New_Vertex_Exactly_On_A_Side_Bound_Counts_As_Inside) {
    Bounds bounds;
    bounds.near_z = 1.0f;
    Test_Scene scene(bounds);
    // Crossings that land exactly on each side plane (x = +-z, y = +-z) are inside it.
    struct On_Side {
        float x, y;
    };
    for (const On_Side side : {On_Side{1, 0}, On_Side{-1, 0}, On_Side{0, 1}, On_Side{0, -1}}) {
        SCOPED_TRACE(testing::Message() << "x " << side.x << " y " << side.y);
        Prepared_Face near_face = Make_Face({Camera_Vertex_At(side.x, side.y, 0, 0x3E),
                                             Camera_Vertex_At(side.x, side.y, 2, 0x3F), Camera_Vertex_At(0, 0, 2, 0x3F)});
        Clip_Near_Flat(&scene.scene, &near_face);
        ASSERT_EQ(near_face.vertex_count, 4);
        EXPECT_EQ(near_face.cam_x[0], side.x);
        EXPECT_EQ(near_face.outcode[0], 0x3Eu);
        // The far plane at z 100: the same four tests against +-100, and no near bit.
        Prepared_Face far_face = Make_Face({Camera_Vertex_At(100 * side.x, 100 * side.y, 200, 0x3D),
                                            Camera_Vertex_At(100 * side.x, 100 * side.y, 50, 0x3F),
                                            Camera_Vertex_At(0, 0, 50, 0x3F)});
        Clip_Far_Flat(&scene.scene, &far_face);
        ASSERT_EQ(far_face.vertex_count, 4);
        EXPECT_EQ(far_face.outcode[0], 0x3Cu);
        // Just past the plane is outside it, and only it.
        const float past = 1.0001f;
        Prepared_Face beyond = Make_Face({Camera_Vertex_At(past * side.x, past * side.y, 0, 0x3E),
                                          Camera_Vertex_At(past * side.x, past * side.y, 2, 0x3F),
                                          Camera_Vertex_At(0, 0, 2, 0x3F)});
        Clip_Near_Flat(&scene.scene, &beyond);
        const std::uint32_t lost = side.x > 0 ? 0x08u : side.x < 0 ? 0x04u : side.y > 0 ? 0x10u : 0x20u;
        EXPECT_EQ(beyond.outcode[0], 0x3Eu & ~lost);
    }
    // The near crossing takes the far bit of the outside vertex, not of the inside one.
    {
        Prepared_Face face = Make_Face({Camera_Vertex_At(0, 0, 0, 0x3C), Camera_Vertex_At(0, 0, 2, 0x3F),
                                        Camera_Vertex_At(1, 0, 2, 0x3F)});
        Clip_Near_Flat(&scene.scene, &face);
        EXPECT_EQ(face.outcode[0], 0x3Cu);
    }
    // Right and left crossings at screen y = clip_bottom get the bottom bit.
    for (Clip_Function clip : {Clip_Right_Flat, Clip_Left_Flat}) {
        const bool right = clip == Clip_Right_Flat;
        const float outside_x = right ? bounds.right + 10 : bounds.left - 10;
        const float inside_x = right ? bounds.right - 10 : bounds.left + 10;
        const std::uint32_t outside_code = right ? 0x37 : 0x3B;
        Vertex o, i, k;
        o.f[Screen_X] = outside_x, o.f[Screen_Y] = bounds.bottom, o.outcode = outside_code;
        i.f[Screen_X] = inside_x, i.f[Screen_Y] = bounds.bottom, i.outcode = 0x3F;
        k.f[Screen_X] = inside_x, k.f[Screen_Y] = bounds.top, k.outcode = 0x3F;
        Prepared_Face face = Make_Face({o, i, k});
        clip(&scene.scene, &face);
        ASSERT_EQ(face.vertex_count, 4);
        EXPECT_EQ(face.y[0], bounds.bottom);
        // Right crossings are inside the left bound without a test; left crossings are not given it.
        EXPECT_EQ(face.outcode[0], (right ? 0x04u : 0u) | 0x10u | 0x20u);
        // The crossing on edge (2, 0) lies half way between the two y values.
        EXPECT_EQ(face.y[3], (bounds.top + bounds.bottom) / 2);
        EXPECT_EQ(face.outcode[3], (right ? 0x04u : 0u) | 0x10u | 0x20u);
    }
    // Bottom crossings are inside the top bound.
    {
        Vertex o, i, k;
        o.f[Screen_X] = 100, o.f[Screen_Y] = bounds.bottom + 10, o.outcode = 0x1F;
        i.f[Screen_X] = 100, i.f[Screen_Y] = bounds.bottom - 10, i.outcode = 0x3F;
        k.f[Screen_X] = 120, k.f[Screen_Y] = bounds.bottom - 10, k.outcode = 0x3F;
        Prepared_Face face = Make_Face({o, i, k});
        Clip_Bottom_Flat(&scene.scene, &face);
        ASSERT_EQ(face.vertex_count, 4);
        EXPECT_EQ(face.outcode[0], 0x10u);
        EXPECT_EQ(face.outcode[3], 0x10u);
    }
}

TEST(Clip, Shared_Edge_Gives_The_Same_Crossing_From_Both_Faces) {
    Bounds bounds;
    Test_Scene scene(bounds);
    for (const Clip_Case& c : clip_cases) {
        SCOPED_TRACE(c.name);
        const Field p = Position_Of(c.plane);
        const float bound = Bound_Of(c.plane, bounds);
        const bool inside_is_greater = c.plane == Plane::Near || c.plane == Plane::Left || c.plane == Plane::Top;
        const float step = Is_Camera_Stage(c.plane) ? 0.37f : 23.7f;
        // A outside, B inside, on awkward values so that rounding would show a different walk.
        Vertex a, b, third, fourth;
        for (int f = 0; f < Field_Count; ++f) {
            a.f[f] = 1.3f + 0.71f * f;
            b.f[f] = -2.9f + 1.37f * f;
            third.f[f] = 0.5f;
            fourth.f[f] = 0.25f;
        }
        a.f[p] = inside_is_greater ? bound - step : bound + step * 1.3f;
        b.f[p] = inside_is_greater ? bound + step * 2.1f : bound - step;
        third.f[p] = b.f[p];
        fourth.f[p] = b.f[p];
        a.outcode = 0x3F & ~Bit_Of(c.plane);
        b.outcode = third.outcode = fourth.outcode = 0x3F;
        // Face 1 walks A -> B, face 2 (its neighbour) walks B -> A.
        Prepared_Face one = Make_Face({a, b, third});
        Prepared_Face two = Make_Face({b, a, fourth});
        c.function(&scene.scene, &one);
        c.function(&scene.scene, &two);
        ASSERT_EQ(one.vertex_count, 4);
        ASSERT_EQ(two.vertex_count, 4);
        // Both faces meet the crossing on their edge (0, 1): it is vertex 0 of each.
        for (Field f : Carried(c.plane, c.family)) EXPECT_EQ(Array_Of(one, f)[0], Array_Of(two, f)[0]) << "field " << f;
        EXPECT_EQ(Array_Of(one, p)[0], bound);
        EXPECT_EQ(Array_Of(two, p)[0], bound);
    }
}

TEST(Clip, Zero_Divisor_Takes_The_Outside_Vertex_Moved_Onto_The_Plane) {
    Bounds bounds;
    Test_Scene scene(bounds);
    // The host says vertex 0 is outside the left bound though it has the same x as vertex 1.
    Vertex o, i, k;
    o.f[Screen_X] = 50, o.f[Screen_Y] = 20, o.f[W] = 0.5f, o.outcode = 0x3B;
    i.f[Screen_X] = 50, i.f[Screen_Y] = 80, i.f[W] = 0.25f, i.outcode = 0x3F;
    k.f[Screen_X] = 90, k.f[Screen_Y] = 80, k.f[W] = 0.25f, k.outcode = 0x3F;
    Prepared_Face face = Make_Face({o, i, k});
    Clip_Left_Flat(&scene.scene, &face);
    ASSERT_EQ(face.vertex_count, 4);
    EXPECT_EQ(face.x[0], bounds.left);
    EXPECT_EQ(face.y[0], 20.0f);
    EXPECT_EQ(face.w[0], 0.5f);
    for (int v = 0; v < face.vertex_count; ++v) {
        EXPECT_TRUE(std::isfinite(face.x[v]) && std::isfinite(face.y[v]) && std::isfinite(face.w[v]));
    }
}

TEST(Clip, Polygon_That_Would_Outgrow_The_Record_Is_Emptied_Not_Overrun) {
    Bounds bounds;
    Test_Scene scene(bounds);
    // 16 vertices alternating in and out of the right bound (only lying outcodes or a
    // non-convex face can do this): 8 kept + 16 crossings would not fit.
    std::vector<Vertex> polygon(16);
    for (int v = 0; v < 16; ++v) {
        const bool inside = v % 2 == 0;
        polygon[v].f[Screen_X] = inside ? bounds.right - 5 : bounds.right + 5;
        polygon[v].f[Screen_Y] = 10.0f + v;
        polygon[v].outcode = inside ? 0x3F : 0x37;
    }
    Prepared_Face face = Make_Face(polygon);
    const Prepared_Face before = face;
    Clip_Right_Gouraud_Mapped(&scene.scene, &face);
    EXPECT_EQ(face.vertex_count, 0);
    EXPECT_EQ(0, std::memcmp(face.y_row, before.y_row, sizeof face.y_row));
    // A polygon whose every vertex is outside comes out empty too.
    for (Vertex& vertex : polygon) vertex.outcode = 0x37;
    face = Make_Face(polygon);
    Clip_Right_Flat(&scene.scene, &face);
    EXPECT_EQ(face.vertex_count, 0);
}

}  // namespace
