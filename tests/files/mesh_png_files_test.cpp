// The host's file layer: PNG in and out (frames expanded to 8 bits, palette
// PNGs keeping their colours), OBJ with materials and textures, PLY in ASCII
// and both binary byte orders, and one-line errors for bad files.
#ifdef QUORVEL_HAVE_HOST_FILES
#include <gtest/gtest.h>
#include <png.h>

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <string>

#include "files/mesh_files.h"
#include "files/png_files.h"

namespace quorvel_host {
namespace {

std::string Temp(const std::string& name) {
    static const std::string dir = [] {
        char pattern[] = "/tmp/quorvel-files-XXXXXX";
        const char* made = mkdtemp(pattern);
        return std::string(made != nullptr ? made : "/tmp");
    }();
    return dir + "/" + name;
}

void Write_Text(const std::string& path, const std::string& text) { std::ofstream(path, std::ios::binary) << text; }

TEST(Png_Files, Images_Round_Trip_And_Frames_Expand_To_Full_Intensity) {
    Image image(3, 2);
    image.At(0, 0) = {255, 0, 0, 255};
    image.At(2, 1) = {1, 2, 3, 255};
    std::string error;
    ASSERT_TRUE(Write_Png(Temp("rgb.png"), image, error)) << error;
    Image back;
    ASSERT_TRUE(Read_Png(Temp("rgb.png"), back, error)) << error;
    ASSERT_EQ(back.width, 3);
    ASSERT_EQ(back.height, 2);
    EXPECT_EQ(back.At(0, 0).r, 255);
    EXPECT_EQ(back.At(2, 1).b, 3);
    EXPECT_EQ(back.At(1, 1).a, 255);

    Frame frame(2, 1, 16);
    frame.pixels = {0xF800, 0x07FF};  // 565 red; green and blue full
    ASSERT_TRUE(Write_Frame_Png(Temp("frame.png"), frame, error)) << error;
    ASSERT_TRUE(Read_Png(Temp("frame.png"), back, error)) << error;
    EXPECT_EQ(back.At(0, 0).r, 255);
    EXPECT_EQ(back.At(0, 0).g, 0);
    EXPECT_EQ(back.At(1, 0).g, 255);
    EXPECT_EQ(back.At(1, 0).b, 255);
    Frame frame_555(1, 1, 15);
    frame_555.pixels = {0x03E0};
    ASSERT_TRUE(Write_Frame_Png(Temp("frame555.png"), frame_555, error)) << error;
    ASSERT_TRUE(Read_Png(Temp("frame555.png"), back, error)) << error;
    EXPECT_EQ(back.At(0, 0).g, 255);
    EXPECT_EQ(back.At(0, 0).r, 0);
}

TEST(Png_Files, A_Palette_Png_Keeps_Its_Colours_Above_The_Key_Index) {
    png_image image;
    std::memset(&image, 0, sizeof image);
    image.version = PNG_IMAGE_VERSION;
    image.width = 2;
    image.height = 2;
    image.format = PNG_FORMAT_RGBA_COLORMAP;
    image.colormap_entries = 3;
    const png_byte colours[] = {10, 20, 30, 255, 200, 100, 50, 255, 0, 0, 0, 0};
    const png_byte indices[] = {0, 1, 2, 1};
    ASSERT_NE(png_image_write_to_file(&image, Temp("palette.png").c_str(), 0, indices, 0, colours), 0)
        << image.message;
    Palette_Image palette;
    std::string error;
    ASSERT_TRUE(Read_Png_Palette(Temp("palette.png"), palette, error)) << error;
    ASSERT_EQ(palette.indices.size(), 4u);
    const Rgb first = palette.palette[palette.indices[0]];
    EXPECT_EQ(first, (Rgb{10, 20, 30}));
    EXPECT_EQ(palette.palette[palette.indices[1]], (Rgb{200, 100, 50}));
    EXPECT_EQ(palette.indices[2], transparent_index);  // the fully transparent entry
    EXPECT_NE(palette.indices[0], transparent_index);
    EXPECT_TRUE(palette.has_transparent);
}

TEST(Png_Files, Unreadable_Files_Give_A_Reason) {
    Image image;
    std::string error;
    EXPECT_FALSE(Read_Png(Temp("missing.png"), image, error));
    EXPECT_NE(error.find("missing.png"), std::string::npos);
    Write_Text(Temp("text.png"), "not a png at all");
    EXPECT_FALSE(Read_Png(Temp("text.png"), image, error));
    EXPECT_NE(error.find("text.png"), std::string::npos);
}

// Front faces must face out of the solid in the host's axes.
void Expect_Outward(const Mesh_Data& data) {
    Vec3 centre;
    for (const Vec3& p : data.positions) centre = centre + p * (1.0f / float(data.positions.size()));
    for (const Mesh_Face& face : data.faces) {
        Vec3 middle;
        for (const Mesh_Corner& c : face.corners) middle = middle + data.positions[c.vertex] * (1.0f / float(face.corners.size()));
        EXPECT_GT(Dot(Polygon_Normal(data.positions, face.corners), middle - centre), 0.0f);
    }
}

// A unit cube in the file convention: counter-clockwise seen from outside, right-handed.
const char* const cube_obj =
    "mtllib cube.mtl\n"
    "v 0 0 0\nv 1 0 0\nv 1 1 0\nv 0 1 0\nv 0 0 1\nv 1 0 1\nv 1 1 1\nv 0 1 1\n"
    "vt 0 0\nvt 1 0\nvt 1 1\nvt 0 1\n"
    "usemtl textured\n"
    "f 1/1 4/4 3/3 2/2\nf 5/1 6/2 7/3 8/4\nf 1/1 5/2 8/3 4/4\n"
    "usemtl plain\n"
    "f 2/1 3/4 7/3 6/2\nf 4/1 8/2 7/3 3/4\nf 1/1 2/2 6/3 5/4\n";

TEST(Mesh_Files, Obj_With_Materials_And_A_Texture) {
    Write_Text(Temp("cube.obj"), cube_obj);
    Write_Text(Temp("cube.mtl"), "newmtl textured\nKd 1 1 1\nmap_Kd skin.png\nnewmtl plain\nKd 0.5 0.25 1\nd 0.5\n");
    Image skin(7, 7, Rgba{0, 128, 255, 255});
    skin.At(3, 3).a = 0;
    std::string error;
    ASSERT_TRUE(Write_Png(Temp("skin.png"), skin, error)) << error;
    // Write_Png drops alpha; write the texture again with its hole through libpng.
    {
        png_image image;
        std::memset(&image, 0, sizeof image);
        image.version = PNG_IMAGE_VERSION;
        image.width = 7;
        image.height = 7;
        image.format = PNG_FORMAT_RGBA;
        ASSERT_NE(png_image_write_to_file(&image, Temp("skin.png").c_str(), 0, skin.pixels.data(), 0, nullptr), 0);
    }
    Scene scene;
    Mesh_Data mesh;
    ASSERT_TRUE(Load_Mesh_File(scene, Temp("cube.obj"), {}, mesh, error)) << error;
    ASSERT_EQ(mesh.faces.size(), 6u);
    Expect_Outward(mesh);
    // z is mirrored: the file's z = 1 corner lies at z = -1.
    bool mirrored = false;
    for (const Vec3& p : mesh.positions) mirrored = mirrored || p.z == -1.0f;
    EXPECT_TRUE(mirrored);
    // v runs down the image: the file's vt 0 0 becomes v = 1.
    EXPECT_EQ(mesh.faces[0].corners[0].v, 1.0f);
    const Material_Settings& textured = mesh.faces[0].material->Settings();
    ASSERT_NE(textured.map, nullptr);
    EXPECT_TRUE(textured.map->Is_Palette());  // lit materials read palette maps
    EXPECT_EQ(textured.map->Width(), 8);      // resampled to the nearest power of two
    EXPECT_EQ(textured.kind, 1);              // the hole makes it colour-keyed
    const Material_Settings& plain = mesh.faces[5].material->Settings();
    EXPECT_EQ(plain.map, nullptr);
    EXPECT_EQ(plain.diffuse, (Rgb{128, 64, 255}));
    EXPECT_EQ(plain.transparency, 50);

    Mesh_Load_Options unlit;
    unlit.lit = false;
    Mesh_Data flat;
    ASSERT_TRUE(Load_Mesh_File(scene, Temp("cube.obj"), unlit, flat, error)) << error;
    EXPECT_FALSE(flat.faces[0].material->Settings().map->Is_Palette());
    EXPECT_EQ(flat.faces[0].material->Settings().mode, 0);
}

TEST(Mesh_Files, Ply_In_Ascii_And_Both_Binary_Orders) {
    const std::string header_tail =
        "element vertex 4\nproperty float x\nproperty float y\nproperty float z\nproperty float s\nproperty float t\n"
        "element face 2\nproperty list uchar int vertex_indices\nend_header\n";
    Write_Text(Temp("quad.ply"), "ply\nformat ascii 1.0\ncomment two triangles\n" + header_tail +
                                     "0 0 0 0 0\n1 0 0 1 0\n1 1 0 1 1\n0 1 0 0 1\n3 0 1 2\n3 0 2 3\n");
    const float vertices[4][5] = {{0, 0, 0, 0, 0}, {1, 0, 0, 1, 0}, {1, 1, 0, 1, 1}, {0, 1, 0, 0, 1}};
    for (const bool big : {false, true}) {
        std::string body;
        for (const auto& v : vertices)
            for (float f : v) {
                char bytes[4];
                std::memcpy(bytes, &f, 4);
                if (big) std::reverse(bytes, bytes + 4);
                body.append(bytes, 4);
            }
        const std::int32_t faces[2][3] = {{0, 1, 2}, {0, 2, 3}};
        for (const auto& f : faces) {
            body.push_back(3);
            for (std::int32_t index : f) {
                char bytes[4];
                std::memcpy(bytes, &index, 4);
                if (big) std::reverse(bytes, bytes + 4);
                body.append(bytes, 4);
            }
        }
        Write_Text(Temp(big ? "big.ply" : "little.ply"),
                   std::string("ply\nformat ") + (big ? "binary_big_endian" : "binary_little_endian") + " 1.0\n" +
                       header_tail + body);
    }
    for (const char* name : {"quad.ply", "little.ply", "big.ply"}) {
        Scene scene;
        Mesh_Data mesh;
        std::string error;
        ASSERT_TRUE(Load_Mesh_File(scene, Temp(name), {}, mesh, error)) << name << ": " << error;
        ASSERT_EQ(mesh.positions.size(), 4u) << name;
        ASSERT_EQ(mesh.faces.size(), 2u) << name;
        EXPECT_EQ(mesh.positions[2].x, 1.0f) << name;
        EXPECT_EQ(mesh.positions[2].y, 1.0f) << name;
        // Corners come reversed after corner 0: the file's 0 1 2 is 0 2 1 here.
        EXPECT_EQ(mesh.faces[1].corners[1].vertex, 3u) << name;
        EXPECT_EQ(mesh.faces[0].corners[2].vertex, 1u) << name;
        EXPECT_EQ(mesh.faces[0].corners[2].u, 1.0f) << name;  // from s
        EXPECT_EQ(mesh.faces[0].corners[2].v, 1.0f) << name;  // 1 - t
        // Counter-clockwise in the file faces +z there, which is -z in the host's axes.
        EXPECT_LT(Polygon_Normal(mesh.positions, mesh.faces[0].corners).z, 0.0f) << name;
    }
}

TEST(Mesh_Files, Bad_Files_Are_Refused_With_A_Reason) {
    const struct {
        const char* name;
        const char* text;
        const char* reason;
    } cases[] = {
        {"nothing.obj", "# no faces\nv 0 0 0\n", "no faces"},
        {"short.ply", "ply\nformat ascii 1.0\nelement vertex 3\nproperty float x\nend_header\n1 2\n", "ends early"},
        {"nohead.ply", "ply\nformat ascii 1.0\n", "end_header"},
        {"odd.ply", "ply\nformat ascii 1.0\nelement vertex 1\nproperty quaternion q\nend_header\n", "unknown PLY type"},
        {"not.ply", "hello\n", "not a PLY file"},
        {"mesh.stl", "solid\n", "unknown mesh format"},
    };
    for (const auto& c : cases) {
        Write_Text(Temp(c.name), c.text);
        Scene scene;
        Mesh_Data mesh;
        std::string error;
        EXPECT_FALSE(Load_Mesh_File(scene, Temp(c.name), {}, mesh, error)) << c.name;
        EXPECT_NE(error.find(c.reason), std::string::npos) << c.name << ": " << error;
        EXPECT_NE(error.find(c.name), std::string::npos) << error;
        EXPECT_EQ(error.find('\n'), std::string::npos) << error;
    }
    Scene scene;
    Mesh_Data mesh;
    std::string error;
    EXPECT_FALSE(Load_Mesh_File(scene, Temp("absent.obj"), {}, mesh, error));
    EXPECT_NE(error.find("cannot open"), std::string::npos);
}

}  // namespace
}  // namespace quorvel_host
#endif
