// The host's file layer: OBJ with materials and PNG textures (one keyed by
// its holes), PLY in ASCII and both binary byte orders, and one-line errors
// naming bad files.
#ifdef QUORVEL_HAVE_HOST_FILES
#include <gtest/gtest.h>
#include <png.h>

#include <algorithm>
#include <cstring>
#include <fstream>

#include "files/mesh_files.h"
#include "files/png_files.h"

namespace quorvel_host {
namespace {

const std::string dir = [] {
    char pattern[] = "/tmp/quorvel-files-XXXXXX";
    return std::string(mkdtemp(pattern) != nullptr ? pattern : "/tmp") + "/";
}();

std::string Write_File(const std::string& name, const std::string& bytes) {
    std::ofstream(dir + name, std::ios::binary) << bytes;
    return dir + name;
}

TEST(Mesh_Files, Obj_Cube_With_Materials_And_A_Keyed_Texture_Faces_Outwards) {
    // A unit cube as files have it: counter-clockwise seen from outside, right-handed.
    const std::string path = Write_File(
        "cube.obj",
        "mtllib cube.mtl\nv 0 0 0\nv 1 0 0\nv 1 1 0\nv 0 1 0\nv 0 0 1\nv 1 0 1\nv 1 1 1\nv 0 1 1\n"
        "vt 0 0\nvt 1 0\nvt 1 1\nvt 0 1\nusemtl textured\nf 1/1 4/4 3/3 2/2\nf 5/1 6/2 7/3 8/4\nf 1/1 5/2 8/3 4/4\n"
        "usemtl plain\nf 2/1 3/4 7/3 6/2\nf 4/1 8/2 7/3 3/4\nf 1/1 2/2 6/3 5/4\n");
    Write_File("cube.mtl",
               "newmtl textured\nKd 1 1 1\nmap_Kd skin.png\nnewmtl plain\nKd 0.5 0.25 1\nd 0.5\nmap_Kd plain.png\n");
    Image skin(7, 7, Rgba{0, 128, 255, 255});
    skin.At(3, 3).a = 0;  // a hole makes the material colour-keyed
    png_image png{.version = PNG_IMAGE_VERSION, .width = 7, .height = 7, .format = PNG_FORMAT_RGBA};  // keeps the alpha
    ASSERT_NE(png_image_write_to_file(&png, (dir + "skin.png").c_str(), 0, skin.pixels.data(), 0, nullptr), 0);
    std::string error;
    ASSERT_TRUE(Write_Png(dir + "plain.png", Image(4, 2, Rgba{9, 9, 9, 255}), error)) << error;
    for (const bool lit : {true, false}) {
        Scene scene;
        Mesh_Data mesh;
        Mesh_Load_Report report;
        ASSERT_TRUE(Load_Mesh_File(scene, path, {lit}, mesh, report, error)) << error;
        ASSERT_EQ(mesh.faces.size(), 6u);
        // z is mirrored into the host's left-handed axes, and front faces
        // face away from the cube's centre there.
        for (const Mesh_Face& face : mesh.faces) {
            Vec3 middle;
            for (const Mesh_Corner& c : face.corners) middle = middle + mesh.positions[c.vertex] * 0.25f;
            EXPECT_GT(Dot(Polygon_Normal(mesh.positions, face.corners), middle - Vec3{0.5f, 0.5f, -0.5f}), 0.0f);
        }
        EXPECT_EQ(mesh.faces[0].corners[0].v, 1.0f);  // v runs down the image: vt 0 0 becomes v = 1
        // Lit materials read palette maps; sides resample to the nearest power of two.
        const Material_Settings& textured = mesh.faces[0].material->Settings();
        ASSERT_NE(textured.map, nullptr);
        EXPECT_EQ(textured.map->Is_Palette(), lit) << lit;
        EXPECT_EQ(textured.mode, int(lit)) << lit;
        EXPECT_EQ(textured.map->Width(), 8) << lit;
        EXPECT_EQ(textured.kind, 1);
        const Material_Settings& plain = mesh.faces[5].material->Settings();
        ASSERT_NE(plain.map, nullptr);
        EXPECT_EQ(plain.map->Width(), 4) << lit;  // no holes, no key
        EXPECT_EQ(plain.map->Height(), 2) << lit;
        EXPECT_EQ(plain.kind, 0) << lit;
        EXPECT_EQ(plain.diffuse, (Rgb{128, 64, 255})) << lit;
        EXPECT_EQ(plain.transparency, 50) << lit;
    }
}

TEST(Mesh_Files, Ply_In_Ascii_And_Both_Binary_Orders) {
    const std::string header =
        "element vertex 4\nproperty float x\nproperty float y\nproperty float z\nproperty float s\n"
        "property float t\nelement face 2\nproperty list uchar int vertex_indices\nend_header\n";
    const float vertices[] = {0, 0, 0, 0, 0, 1, 0, 0, 1, 0, 1, 1, 0, 1, 1, 0, 1, 0, 0, 1};
    const std::int32_t faces[2][3] = {{0, 1, 2}, {0, 2, 3}};
    std::string little, big;
    const auto append = [&](const void* value, std::size_t size) {
        char bytes[4];
        std::memcpy(bytes, value, size);
        little.append(bytes, size);
        std::reverse(bytes, bytes + size);
        big.append(bytes, size);
    };
    for (const float& v : vertices) append(&v, 4);
    for (const auto& face : faces)
        append("\3", 1), append(&face[0], 4), append(&face[1], 4), append(&face[2], 4);  // 3 corners
    Scene scene;
    for (const std::string& file :
         {Write_File("quad.ply", "ply\nformat ascii 1.0\ncomment two triangles\n" + header +
                                     "0 0 0 0 0\n1 0 0 1 0\n1 1 0 1 1\n0 1 0 0 1\n3 0 1 2\n3 0 2 3\n"),
          Write_File("little.ply", "ply\nformat binary_little_endian 1.0\n" + header + little),
          Write_File("big.ply", "ply\nformat binary_big_endian 1.0\n" + header + big)}) {
        Mesh_Data mesh;
        std::string error;
        Mesh_Load_Report report;
        ASSERT_TRUE(Load_Mesh_File(scene, file, {}, mesh, report, error)) << file << ": " << error;
        ASSERT_EQ(mesh.positions.size(), 4) << file;
        ASSERT_EQ(mesh.faces.size(), 2) << file;
        // Corners come reversed after corner 0: the file's 0 1 2 is 0 2 1
        // here, and that corner's u is s and its v 1 - t.
        const Mesh_Corner& c = mesh.faces[0].corners[2];
        EXPECT_EQ(c.vertex, 1) << file;
        EXPECT_EQ(c.u, 1.0f) << file;
        EXPECT_EQ(c.v, 1.0f) << file;
        EXPECT_EQ(mesh.faces[1].corners[1].vertex, 3) << file;
        EXPECT_EQ(mesh.positions[2].x, 1.0f) << file;
        EXPECT_EQ(mesh.positions[2].y, 1.0f) << file;
    }
}

TEST(Mesh_Files, Bad_Files_Are_Refused_With_A_One_Line_Reason_Naming_Them) {
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
        {"absent.obj", nullptr, "cannot open"},
    };
    Scene scene;
    for (const auto& c : cases) {
        const std::string path = c.text != nullptr ? Write_File(c.name, c.text) : dir + c.name;
        Mesh_Data mesh;
        std::string error;
        Mesh_Load_Report report;
        EXPECT_FALSE(Load_Mesh_File(scene, path, {}, mesh, report, error)) << c.name;
        EXPECT_NE(error.find(c.reason), std::string::npos) << c.name << ": " << error;
        EXPECT_NE(error.find(c.name), std::string::npos) << error;
        EXPECT_EQ(error.find('\n'), std::string::npos) << error;
    }
}

}  // namespace
}  // namespace quorvel_host
#endif
