// quorvel-render as a user meets it: every kind of bad input ends in its
// message, its exit status and no output file, and what a mesh file loses on
// the way is named in a warning while the frame is still written.
#ifdef QUORVEL_RENDER_TOOL
#include <gtest/gtest.h>
#include <sys/wait.h>

#include <cmath>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

namespace {

const std::string dir = [] {
    char pattern[] = "/tmp/quorvel-render-XXXXXX";
    return std::string(mkdtemp(pattern) != nullptr ? pattern : "/tmp") + "/";
}();

void Write_File(const std::string& name, const std::string& bytes) {
    std::ofstream(dir + name, std::ios::binary) << bytes;
}

std::string Read_File(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

bool Exists(const std::string& name) { return std::ifstream(dir + name).good(); }

struct Run_Result {
    int status;
    std::string out, err;
};

// Runs the tool in the temporary directory with a small frame.
Run_Result Run_Tool(const std::string& arguments) {
    const std::string command =
        "cd '" + dir + "' && '" QUORVEL_RENDER_TOOL "' --size 96x72 " + arguments + " >stdout.txt 2>stderr.txt";
    const int status = std::system(command.c_str());
    return {WIFEXITED(status) ? WEXITSTATUS(status) : -1, Read_File(dir + "stdout.txt"), Read_File(dir + "stderr.txt")};
}

// A square facing the default camera, counter-clockwise seen from the front
// as OBJ files have it, in the colour of its material.
const std::string square_vertices = "v -1 -1 0\nv 1 -1 0\nv 1 1 0\nv -1 1 0\n";

std::string Binary_Ply_With_Vertex(float x) {
    std::string ply =
        "ply\nformat binary_little_endian 1.0\nelement vertex 3\nproperty float x\nproperty float y\n"
        "property float z\nelement face 1\nproperty list uchar int vertex_indices\nend_header\n";
    const float vertices[9] = {0, 0, 0, x, 0, 0, 1, 1, 0};
    const std::int32_t corners[3] = {0, 1, 2};
    ply.append(reinterpret_cast<const char*>(vertices), sizeof vertices);
    ply.push_back('\3');
    ply.append(reinterpret_cast<const char*>(corners), sizeof corners);
    return ply;
}

TEST(Render_Tool, Bad_Input_Fails_With_Its_Message_And_Leaves_No_Output) {
    Write_File("infinite.obj", "v 0 0 0\nv 1e39 0 0\nv 1 1 0\nf 1 2 3\n");
    Write_File("huge.obj", "v 0 0 0\nv 1 0 0\nv 1 2e20 0\nf 1 2 3\n");
    Write_File("nan.ply", Binary_Ply_With_Vertex(std::nanf("")));
    Write_File("nan_ascii.ply",
               "ply\nformat ascii 1.0\nelement vertex 3\nproperty float x\nproperty float y\n"
               "property float z\nend_header\n0 0 0\n1 0 0\n1 nan 0\n");
    Write_File("flat.obj", "v 0 0 0\nv 1 0 0\nv 2 0 0\nf 1 2 3\n");
    Write_File("square.obj", square_vertices + "f 1 2 3 4\n");
    const struct {
        const char* name;
        std::string arguments;
        const char* message;
    } cases[] = {
        {"infinite OBJ coordinate", "infinite.obj -o out.png",
         "infinite.obj: vertex 2 has coordinates inf 0 0, not all finite"},
        {"huge OBJ coordinate", "huge.obj -o out.png", "huge.obj: vertex 3 has coordinates 1 2e+20 0, beyond 1e15"},
        {"NaN in a binary PLY", "nan.ply -o out.png", "nan.ply: vertex 1 has coordinates nan 0 0, not all finite"},
        {"NaN in an ASCII PLY", "nan_ascii.ply -o out.png", "nan_ascii.ply: vertex 2 has coordinates 1 nan 0"},
        {"only faces without area", "flat.obj -o out.png", "flat.obj: no usable faces"},
        {"a directory as mesh", ". -o out.png", ".: is a directory, not a mesh file"},
        {"absent mesh", "absent.obj -o out.png", "absent.obj: cannot open"},
        {"output format it cannot write", "square.obj -o out.gif",
         "-o: cannot write 'out.gif': name the file .png, .jpg"},
        {"output without extension", "square.obj -o out", "-o: cannot write 'out': name the file"},
        {"pitch beyond 89", "square.obj --pitch 90 -o out.png", "--pitch: must be -89..89 degrees"},
        {"pitch below -89", "square.obj --pitch -89.5 -o out.png", "--pitch: must be -89..89 degrees"},
        {"size with three parts", "--size 64x48x2 -o out.png", "--size: '64x48x2' is malformed"},
        {"size without a height", "--size 64x -o out.png", "--size: '64x' is malformed"},
        {"size beyond 4096", "--size 5000x10 -o out.png", "--size: 5000x10 is beyond the library's limits"},
        {"two-sided without a mesh", "--two-sided -o out.png", "--two-sided applies to a mesh file only"},
    };
    for (const auto& c : cases) {
        std::remove((dir + "out.png").c_str());
        const Run_Result result = Run_Tool(c.arguments);
        EXPECT_EQ(result.status, 1) << c.name;
        EXPECT_NE(result.err.find(std::string("quorvel-render: ") + c.message), std::string::npos)
            << c.name << ": " << result.err;
        EXPECT_EQ(result.err.find('\n'), result.err.size() - 1) << c.name << ": one line, not " << result.err;
        EXPECT_TRUE(result.out.empty()) << c.name << ": " << result.out;
        for (const char* output : {"out.png", "out.gif", "out"})
            EXPECT_FALSE(Exists(output)) << c.name << ": " << output;
    }
}

TEST(Render_Tool, What_A_Mesh_Loses_Is_Warned_About_And_The_Frame_Still_Written) {
    Write_File("no_mtl.obj", "mtllib missing.mtl\n" + square_vertices + "f 1 2 3 4\n");
    // The OBJ reader drops the two-corner face itself, with its own warning.
    Write_File("bad_index.obj", square_vertices + "f 1 2 3\nf 1 3 9\nf 1 3 4\nf 1 2\n");
    Write_File("bad_index.ply",
               "ply\nformat ascii 1.0\nelement vertex 3\nproperty float x\nproperty float y\n"
               "property float z\nelement face 3\nproperty list uchar int vertex_indices\nend_header\n"
               "0 0 0\n1 0 0\n1 1 0\n3 0 1 2\n3 0 1 3\n2 0 1\n");
    Write_File("colours.obj", "v -1 -1 0 1 0 0\nv 1 -1 0 0 1 0\nv 1 1 0 0 0 1\nf 1 2 3\n");
    Write_File("colours.ply",
               "ply\nformat ascii 1.0\nelement vertex 3\nproperty float x\nproperty float y\n"
               "property float z\nproperty uchar red\nproperty uchar green\nproperty uchar blue\n"
               "element face 1\nproperty list uchar int vertex_indices\nend_header\n"
               "0 0 0 255 0 0\n1 0 0 0 255 0\n1 1 0 0 0 255\n3 0 1 2\n");
    Write_File("textures.obj",
               "mtllib textures.mtl\n" + square_vertices +
                   "vt 0 0\nvt 1 0\nvt 1 1\nvt 0 1\n"
                   "usemtl absent\nf 1/1 2/2 3/3\nusemtl empty\nf 1/1 3/3 4/4\nusemtl words\nf 1/1 2/2 4/4\n");
    Write_File("textures.mtl",
               "newmtl absent\nmap_Kd absent.png\nnewmtl empty\nmap_Kd empty.jpg\n"
               "newmtl words\nmap_Kd words.tga\n");
    Write_File("empty.jpg", "");
    Write_File("words.tga", "not an image\n");
    const struct {
        const char* name;
        std::string arguments;
        std::vector<std::string> warnings;
    } cases[] = {
        {"missing .mtl", "no_mtl.obj", {"no_mtl.obj: Material file [ missing.mtl ] not found"}},
        {"OBJ index beyond the vertices",
         "bad_index.obj",
         {"bad_index.obj: Vertex indices out of bounds", "bad_index.obj: Degenerated face found.",
          "bad_index.obj: 1 of 3 faces dropped: a corner refers to a vertex the file does not have"}},
        {"PLY index beyond the vertices",
         "bad_index.ply",
         {"bad_index.ply: 1 of 3 faces dropped: a corner refers to a vertex the file does not have",
          "bad_index.ply: 1 of 3 faces dropped: fewer than 3 corners"}},
        {"OBJ vertex colours", "colours.obj", {"colours.obj: vertex colours are ignored"}},
        {"PLY vertex colours", "colours.ply", {"colours.ply: vertex colours are ignored"}},
        {"textures that cannot be read",
         "textures.obj",
         {"textures.obj: material 'absent': texture ./absent.png: cannot open; drawn in its colour",
          "textures.obj: material 'empty': texture ./empty.jpg: empty file; drawn in its colour",
          "textures.obj: material 'words': texture ./words.tga: not an image format this tool reads"}},
    };
    for (const auto& c : cases) {
        std::remove((dir + "out.png").c_str());
        const Run_Result result = Run_Tool(c.arguments + " -o out.png");
        EXPECT_EQ(result.status, 0) << c.name << ": " << result.err;
        std::size_t lines = 0;
        for (const char ch : result.err) lines += ch == '\n';
        EXPECT_EQ(lines, c.warnings.size() + (c.name == std::string("missing .mtl") ? 1 : 0))
            << c.name << ": " << result.err;
        for (const std::string& warning : c.warnings)
            EXPECT_NE(result.err.find("quorvel-render: warning: " + warning), std::string::npos)
                << c.name << ": " << result.err;
        EXPECT_TRUE(Exists("out.png")) << c.name;
    }
}

// Top-left pixel of an uncompressed 24-bit BMP (rows stored bottom up), as r, g, b.
std::vector<int> Top_Left_Of_Bmp(const std::string& path) {
    const std::string bmp = Read_File(path);
    if (bmp.size() < 54 || bmp.compare(0, 2, "BM") != 0) return {};
    std::int32_t offset, width, height;
    std::memcpy(&offset, bmp.data() + 10, 4);
    std::memcpy(&width, bmp.data() + 18, 4);
    std::memcpy(&height, bmp.data() + 22, 4);
    const std::size_t row = (std::size_t(width) * 3 + 3) / 4 * 4;
    const std::size_t at = std::size_t(offset) + row * std::size_t(height - 1);
    if (at + 3 > bmp.size()) return {};
    return {int(std::uint8_t(bmp[at + 2])), int(std::uint8_t(bmp[at + 1])), int(std::uint8_t(bmp[at]))};
}

TEST(Render_Tool, Options_Do_What_Help_Says) {
    Write_File("square.obj", square_vertices + "f 1 2 3 4\n");
    Write_File("clockwise.obj", square_vertices + "f 1 4 3 2\n");
    // Face 0 is dropped, face 1 is a sliver along the bottom edge, face 2 a
    // 12-gon round the centre that the host splits into two fan pieces.
    std::string polygon = square_vertices + "v 0 -0.95 0\n";
    for (int k = 0; k < 12; ++k)
        polygon += "v " + std::to_string(0.9 * std::cos(-k * 0.5235988)) + " " +
                   std::to_string(0.9 * std::sin(-k * 0.5235988)) + " 0.5\n";
    polygon += "f 1 2 99\nf 1 2 5\nf 17 16 15 14 13 12 11 10 9 8 7 6\n";
    Write_File("fan.obj", polygon);

    EXPECT_NE(Run_Tool("square.obj --pick 48,36").out.find("face 0 of the file"), std::string::npos);
    EXPECT_NE(Run_Tool("fan.obj --pick 48,36").out.find("face 2 of the file"), std::string::npos);
    EXPECT_NE(Run_Tool("fan.obj --pick 46,30").out.find("face 2 of the file"), std::string::npos);
    // Wound the other way the square is seen from behind: culled unless two-sided.
    EXPECT_NE(Run_Tool("clockwise.obj --pick 48,36").out.find("nothing"), std::string::npos);
    EXPECT_NE(Run_Tool("clockwise.obj --two-sided --pick 48,36").out.find("face 0 of the file"), std::string::npos);

    // The frame is written in the format its name asks for.
    ASSERT_EQ(Run_Tool("square.obj -o frame.jpg").status, 0);
    EXPECT_EQ(Read_File(dir + "frame.jpg").compare(0, 3, "\xFF\xD8\xFF"), 0);
    ASSERT_EQ(Run_Tool("square.obj -o frame.bmp").status, 0);
    EXPECT_EQ((Top_Left_Of_Bmp(dir + "frame.bmp")), (std::vector<int>{0, 0, 0}));  // cleared to black
    // --no-clear leaves what the frame held: the checkerboard's light grey
    // 192, 192, 192 through RGB565 (24, 48, 24) and back.
    ASSERT_EQ(Run_Tool("square.obj --no-clear -o frame.bmp").status, 0);
    EXPECT_EQ((Top_Left_Of_Bmp(dir + "frame.bmp")), (std::vector<int>{198, 195, 198}));
    // A JPEG texture is read like a PNG one: no warning.
    Write_File("jpeg.obj",
               "mtllib jpeg.mtl\n" + square_vertices + "vt 0 0\nvt 1 0\nvt 1 1\nvt 0 1\nusemtl t\nf 1/1 2/2 3/3 4/4\n");
    Write_File("jpeg.mtl", "newmtl t\nmap_Kd frame.jpg\n");
    const Run_Result textured = Run_Tool("jpeg.obj -o out.png");
    EXPECT_EQ(textured.status, 0);
    EXPECT_EQ(textured.err, "");
}

}  // namespace
#endif
