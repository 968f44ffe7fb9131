// Polygon clipping: all 24 plane and vertex-format functions against one
// reference clipper written from the rules (walk order, crossings always from
// the outside vertex, the outcodes each plane gives the vertices it makes),
// plus the worked near crossing and the inputs only a lying host can give.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <random>
#include <vector>

#include "faces/faces.h"

namespace {

using Array = float (Prepared_Face::*)[max_face_vertices];
enum Field { Cam_X, Cam_Y, Cam_Z, X, Y, W, U, V, Shade };
constexpr Array fields[] = {&Prepared_Face::cam_x, &Prepared_Face::cam_y, &Prepared_Face::cam_z,
                            &Prepared_Face::x,     &Prepared_Face::y,     &Prepared_Face::w,
                            &Prepared_Face::u,     &Prepared_Face::v,     &Prepared_Face::shade};

// A viewport that does not start at 0, so a plane reading the wrong bound shows.
constexpr float top = 5.0f, bottom = 235.0f;
Host_Camera camera{310.0f, bottom};
Host_Scene scene = [] {
    Host_Scene made{};
    made.clip_left = 10.0f;
    made.clip_top = top;
    made.near_z = 1.0f;
    made.far_z = 100.0f;
    made.camera = &camera;
    return made;
}();

// P, the coordinate tested, and the two coordinates of its stage that are interpolated.
struct Plane_Rule {
    int index;
    std::uint32_t bit;
    Field p, other_1, other_2;
    float bound;
    bool inside_is_greater;
};
const Plane_Rule planes[6] = {{0, 0x01, Cam_Z, Cam_X, Cam_Y, 1.0f, true}, {1, 0x02, Cam_Z, Cam_X, Cam_Y, 100.0f, false},
                              {2, 0x08, X, Y, W, 310.0f, false},          {3, 0x04, X, Y, W, 10.0f, true},
                              {4, 0x20, Y, X, W, bottom, false},          {5, 0x10, Y, X, W, top, true}};
const std::vector<Field> family_fields[4] = {{}, {Shade}, {U, V, Shade}, {U, V}};
const Clip_Function clippers[4][6] = {
    {Clip_Near_Flat, Clip_Far_Flat, Clip_Right_Flat, Clip_Left_Flat, Clip_Bottom_Flat, Clip_Top_Flat},
    {Clip_Near_Gouraud, Clip_Far_Gouraud, Clip_Right_Gouraud, Clip_Left_Gouraud, Clip_Bottom_Gouraud, Clip_Top_Gouraud},
    {Clip_Near_Gouraud_Mapped, Clip_Far_Gouraud_Mapped, Clip_Right_Gouraud_Mapped, Clip_Left_Gouraud_Mapped,
     Clip_Bottom_Gouraud_Mapped, Clip_Top_Gouraud_Mapped},
    {Clip_Near_Mapped, Clip_Far_Mapped, Clip_Right_Mapped, Clip_Left_Mapped, Clip_Bottom_Mapped, Clip_Top_Mapped}};

// Outcode of a vertex made on the plane: near and far test the side planes
// x = +-z, y = +-z at their own z (near keeps the outside vertex's far bit);
// right and left test screen y (a right crossing is inside the left bound);
// a bottom crossing is inside the top bound. The top plane writes none.
std::uint32_t Reference_Outcode(const Plane_Rule& plane, const Prepared_Face& made, int i, std::uint32_t outside) {
    const float z = plane.bound, x = made.cam_x[i], y = made.cam_y[i];
    const std::uint32_t sides = (x >= -z) << 2 | (x <= z) << 3 | (y <= z) << 4 | (y >= -z) << 5;
    const std::uint32_t vertical = (made.y[i] >= top) << 4 | (made.y[i] <= bottom) << 5;
    const std::uint32_t by_plane[] = {(outside & 0x02) | sides, sides, 0x04 | vertical, vertical, 0x10, 0};
    return by_plane[plane.index];
}

// Edges (0,1) .. (n-1,0); a crossing goes from the outside vertex o towards
// the inside vertex i with a = B - P(o), b = 1 / (P(i) - P(o)) in float.
Prepared_Face Reference_Clip(const Prepared_Face& in, const Plane_Rule& plane, const std::vector<Field>& attributes) {
    std::vector<Field> moved = {plane.p, plane.other_1, plane.other_2};
    moved.insert(moved.end(), attributes.begin(), attributes.end());
    const auto at = [&](Field f, int i) { return (in.*fields[f])[i]; };
    Prepared_Face out = in;
    int n = 0;
    const auto emit = [&](int o, int i, bool crossing) {
        const float a = plane.bound - at(plane.p, o), b = crossing ? 1.0f / (at(plane.p, i) - at(plane.p, o)) : 0.0f;
        for (Field f : moved) (out.*fields[f])[n] = crossing ? (at(f, i) - at(f, o)) * a * b + at(f, o) : at(f, i);
        if (crossing) (out.*fields[plane.p])[n] = plane.bound;
        if (plane.bit != 0x10)
            out.outcode[n] = crossing ? Reference_Outcode(plane, out, n, in.outcode[o]) : in.outcode[i];
        ++n;
    };
    for (int previous = 0; previous < in.vertex_count; ++previous) {
        const int current = (previous + 1) % in.vertex_count;
        const bool previous_in = in.outcode[previous] & plane.bit, current_in = in.outcode[current] & plane.bit;
        if (previous_in != current_in) emit(previous_in ? current : previous, previous_in ? previous : current, true);
        if (current_in) emit(current, current, false);
    }
    out.vertex_count = n;
    return out;
}

// 3 to 10 corners whose P runs once round a cosine across the bound, so the
// plane cuts the polygon. Every other field and every unused slot is random
// (a write that should not happen shows); half the values are snapped to the
// side and screen bounds so that crossings land exactly on them.
Prepared_Face Random_Polygon(std::mt19937& random, const Plane_Rule& plane) {
    std::uniform_real_distribution<float> unit(0.0f, 1.0f);
    const float snaps[] = {-1.0f, 1.0f, -100.0f, 100.0f, top, bottom};
    Prepared_Face face{};
    face.vertex_count = 3 + static_cast<int>(random() % 8);
    for (Array array : fields)
        for (float& value : face.*array) value = random() % 2 ? snaps[random() % 6] : 200.0f * unit(random) - 100.0f;
    const float radius = plane.p == Cam_Z ? 0.8f + 5.0f * unit(random) : 20.0f + 100.0f * unit(random);
    const float centre = plane.bound + radius * (1.6f * unit(random) - 0.8f), start = 6.2831853f * unit(random);
    for (int i = 0; i < max_face_vertices; ++i) {
        const float p = centre + radius * std::cos(start + 6.2831853f * float(i) / float(face.vertex_count));
        const bool inside = plane.inside_is_greater ? p >= plane.bound : p <= plane.bound;
        if (i < face.vertex_count) (face.*fields[plane.p])[i] = p;
        face.outcode[i] = (static_cast<std::uint32_t>(random()) & 0x3F & ~plane.bit) | (inside ? plane.bit : 0);
    }
    return face;
}

TEST(Clip, Every_Plane_And_Format_Matches_The_Reference_Walked_Either_Way_Round) {
    for (int family = 0; family < 4; ++family) {
        for (int p = 0; p < 6; ++p) {
            std::mt19937 random(12345);
            for (int trial = 0; trial < 300; ++trial) {
                Prepared_Face face = Random_Polygon(random, planes[p]);
                // Reversed, it is the neighbour that walks each shared edge the other way.
                for (bool reversed : {false, true}) {
                    SCOPED_TRACE(testing::Message()
                                 << "family " << family << " plane " << p << " trial " << trial << " " << reversed);
                    if (reversed) {
                        for (Array array : fields) std::reverse(face.*array, face.*array + face.vertex_count);
                        std::reverse(face.outcode, face.outcode + face.vertex_count);
                    }
                    const Prepared_Face expected = Reference_Clip(face, planes[p], family_fields[family]);
                    Prepared_Face got = face;
                    clippers[family][p](&scene, &got);
                    ASSERT_EQ(got.vertex_count, expected.vertex_count);
                    for (int f = 0; f < 9; ++f)
                        ASSERT_EQ(0, std::memcmp(got.*fields[f], expected.*fields[f], sizeof got.x)) << f;
                    ASSERT_EQ(0, std::memcmp(got.outcode, expected.outcode, sizeof got.outcode));
                }
            }
        }
    }
}

// A polygon from {a, b, c, outcode} per vertex in the given three fields.
Prepared_Face Polygon(Field a, Field b, Field c, const std::vector<std::vector<float>>& vertices) {
    Prepared_Face face{};
    face.vertex_count = static_cast<int>(vertices.size());
    for (int i = 0; i < face.vertex_count; ++i)
        (face.*fields[a])[i] = vertices[i][0], (face.*fields[b])[i] = vertices[i][1],
        (face.*fields[c])[i] = vertices[i][2], face.outcode[i] = static_cast<std::uint32_t>(vertices[i][3]);
    return face;
}

TEST(Clip, Worked_Near_Crossing_And_Lying_Outcodes) {
    // Outside (0, 0, 0.5) towards inside (2, 0, 2.5): a = 0.5, b = 0.5. The walk
    // gives the entering crossing, vertices 1 and 2, then the leaving crossing.
    Prepared_Face face = Polygon(Cam_X, Cam_Y, Cam_Z, {{0, 0, 0.5f, 0x3E}, {2, 0, 2.5f, 0x3F}, {0, 2, 2.5f, 0x3F}});
    Clip_Near_Flat(&scene, &face);
    ASSERT_EQ(face.vertex_count, 4);
    EXPECT_EQ(std::vector<float>(face.cam_x, face.cam_x + 4), (std::vector<float>{0.5f, 2, 0, 0}));
    EXPECT_EQ(std::vector<float>(face.cam_y, face.cam_y + 4), (std::vector<float>{0, 0, 2, 0.5f}));
    EXPECT_EQ(std::vector<float>(face.cam_z, face.cam_z + 4), (std::vector<float>{1, 2.5f, 2.5f, 1}));
    EXPECT_EQ(face.outcode[0], 0x3Eu);
    // Vertex 0 is called outside the left bound at the x of vertex 1: a zero
    // divisor, so the crossing is vertex 0 moved onto the plane.
    face = Polygon(X, Y, W, {{50, 20, 0.5f, 0x3B}, {50, 80, 0.25f, 0x3F}, {90, 80, 0.25f, 0x3F}});
    Clip_Left_Flat(&scene, &face);
    ASSERT_EQ(face.vertex_count, 4);
    EXPECT_EQ(face.x[0], 10.0f);
    EXPECT_EQ(face.y[0], 20.0f);
    EXPECT_EQ(face.w[0], 0.5f);
    // 16 vertices alternating in and out: 8 kept and 16 crossings would not fit, so the face empties.
    std::vector<std::vector<float>> zigzag;
    for (int v = 0; v < 16; ++v) zigzag.push_back({v % 2 ? 315.0f : 305.0f, 10.0f + v, 0.5f, v % 2 ? 55.0f : 63.0f});
    face = Polygon(X, Y, W, zigzag);
    Clip_Right_Gouraud_Mapped(&scene, &face);
    EXPECT_EQ(face.vertex_count, 0);
}

}  // namespace
