// quorvel-render: renders the built-in showcase (no arguments), another
// built-in scene, or a mesh file to an image through the library, and
// answers picks. Every bad input ends in one line on stderr, exit status 1
// and no output file; what a mesh file loses on the way (textures, faces,
// vertex colours) is reported as "quorvel-render: warning: ..." lines.
#include <unistd.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <exception>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "core/scene.h"
#include "core/showcase.h"
#include "files/image_files.h"
#include "files/mesh_files.h"

namespace {

using namespace quorvel_host;

constexpr std::int32_t largest_side = 4096;  // the library's per-line tables end at line 4095
constexpr float steepest_pitch = 89.0f;      // at 90 degrees the orbit's up vector is undefined

const char* const usage =
    "usage: quorvel-render [MESH.obj|MESH.ply] [options]\n"
    "  With no mesh, renders the built-in showcase (or --scene NAME).\n"
    "  OBJ textures may be PNG, JPEG, BMP, TGA, GIF, PSD, HDR, PIC or PNM.\n"
    "  -o, --output PATH   image to write, its format chosen by its extension: .png,\n"
    "                      .jpg, .jpeg, .bmp or .tga (default quorvel-<scene or mesh>.png);\n"
    "                      with --frames N the frame number is added: PATH-0001.png\n"
    "  --scene NAME        built-in scene: showcase, clipping, lit, translucent, group\n"
    "  --size WxH          frame size, 1..4096 per side (default: the scene's own, or 640x480)\n"
    "  --depth 15|16       pixel format RGB555 or RGB565 (default 16)\n"
    "  --orbit DEGREES     turn the camera about the vertical through its target\n"
    "  --pitch DEGREES     camera elevation for meshes, -89..89 (default 20)\n"
    "  --distance D        camera distance (mesh radii for a mesh, world units for a scene)\n"
    "  --frames N          render N frames of a full orbit\n"
    "  --time SECONDS      animation time of the first frame (default 0)\n"
    "  --no-clear          do not clear pixels that no opaque face covers: they keep\n"
    "                      what the frame held, a grey checkerboard before the first\n"
    "                      frame and the previous frame after it (default: black)\n"
    "  --two-sided         draw a mesh's faces from both sides; by default faces seen\n"
    "                      from behind are culled, so a mesh wound clockwise (seen from\n"
    "                      outside) shows nothing but its inside\n"
    "  --unlit             draw a mesh with unlit materials and 16-bit maps\n"
    "  --pick X,Y          print the object, face and depth under a screen point; for a\n"
    "                      mesh the face is numbered as in the file, from 0\n"
    "  -h, --help          this text\n"
    "Bad input ends in one line on stderr, exit status 1 and no output file. What a\n"
    "mesh file loses on the way (unreadable textures, faces with bad indices, vertex\n"
    "colours) is listed as 'quorvel-render: warning: ...' and the frame still drawn.\n";

struct Options {
    std::string mesh_path, output, scene_name = "showcase";
    bool scene_given = false;
    std::int32_t width = 0, height = 0, depth = 16, frames = 1;
    std::optional<float> orbit, distance;
    float pitch = 20.0f, time = 0.0f;
    bool clear = true, lit = true, two_sided = false;
    std::optional<std::pair<float, float>> pick;
};

struct Failure {
    std::string message;
};

[[noreturn]] void Fail(const std::string& message) { throw Failure{message}; }

float Number(const std::string& option, const std::string& text) {
    char* end = nullptr;
    const float value = std::strtof(text.c_str(), &end);
    if (text.empty() || *end != '\0' || !std::isfinite(value)) Fail(option + ": '" + text + "' is not a number");
    return value;
}

std::int32_t Whole(const std::string& option, const std::string& text) {
    char* end = nullptr;
    const long value = std::strtol(text.c_str(), &end, 10);
    if (text.empty() || *end != '\0' || value < -2147483647L || value > 2147483647L)
        Fail(option + ": '" + text + "' is not a whole number");
    return std::int32_t(value);
}

Options Parse(int argc, char** argv) {
    Options o;
    std::vector<std::string> args(argv + 1, argv + argc);
    for (std::size_t i = 0; i < args.size(); ++i) {
        const std::string& a = args[i];
        const auto value = [&]() -> const std::string& {
            if (i + 1 >= args.size()) Fail(a + " needs a value");
            return args[++i];
        };
        if (a == "-h" || a == "--help") {
            std::fputs(usage, stdout);
            std::exit(0);
        } else if (a == "-o" || a == "--output") {
            o.output = value();
            if (!Can_Write_Frame(o.output))
                Fail(a + ": cannot write '" + o.output + "': name the file " + frame_extensions);
        } else if (a == "--scene") {
            o.scene_name = value();
            o.scene_given = true;
        } else if (a == "--size") {
            const std::string& text = value();
            const std::size_t x = text.find('x');
            const auto digits = [](const std::string& part) {
                return !part.empty() && part.size() <= 9 && part.find_first_not_of("0123456789") == std::string::npos;
            };
            if (x == std::string::npos || !digits(text.substr(0, x)) || !digits(text.substr(x + 1)))
                Fail("--size: '" + text + "' is malformed: expected WxH, e.g. 640x480");
            o.width = Whole("--size", text.substr(0, x));
            o.height = Whole("--size", text.substr(x + 1));
            if (o.width < 1 || o.height < 1 || o.width > largest_side || o.height > largest_side)
                Fail("--size: " + text + " is beyond the library's limits (1..4096 per side)");
        } else if (a == "--depth") {
            o.depth = Whole("--depth", value());
            if (o.depth != 15 && o.depth != 16) Fail("--depth: must be 15 or 16");
        } else if (a == "--orbit")
            o.orbit = Number(a, value());
        else if (a == "--pitch") {
            o.pitch = Number(a, value());
            if (!(o.pitch >= -steepest_pitch && o.pitch <= steepest_pitch)) Fail("--pitch: must be -89..89 degrees");
        } else if (a == "--distance") {
            o.distance = Number(a, value());
            if (!(*o.distance > 0.0f)) Fail("--distance: must be positive");
        } else if (a == "--frames") {
            o.frames = Whole(a, value());
            if (o.frames < 1 || o.frames > 100000) Fail("--frames: must be 1..100000");
        } else if (a == "--time")
            o.time = Number(a, value());
        else if (a == "--no-clear")
            o.clear = false;
        else if (a == "--unlit")
            o.lit = false;
        else if (a == "--two-sided")
            o.two_sided = true;
        else if (a == "--pick") {
            const std::string& text = value();
            const std::size_t comma = text.find(',');
            if (comma == std::string::npos) Fail("--pick: expected X,Y, got '" + text + "'");
            o.pick = std::pair{Number(a, text.substr(0, comma)), Number(a, text.substr(comma + 1))};
        } else if (!a.empty() && a[0] == '-')
            Fail("unknown option '" + a + "' (see --help)");
        else if (o.mesh_path.empty())
            o.mesh_path = a;
        else
            Fail("more than one mesh given: '" + o.mesh_path + "' and '" + a + "'");
    }
    if (!o.mesh_path.empty() && o.scene_given) Fail("give a mesh or --scene, not both");
    if (o.mesh_path.empty() && o.two_sided) Fail("--two-sided applies to a mesh file only");
    return o;
}

std::string Base_Name(const std::string& path) {
    std::string name = path.substr(path.find_last_of('/') + 1);
    const std::size_t dot = name.find_last_of('.');
    return dot == std::string::npos || dot == 0 ? name : name.substr(0, dot);
}

// Every output name has an extension (Parse refuses any other).
std::string Frame_Path(const std::string& output, std::int32_t frame, std::int32_t frames) {
    if (frames == 1) return output;
    char number[16];
    std::snprintf(number, sizeof number, "-%04d", int(frame));
    const std::size_t dot = output.find_last_of('.');
    return output.substr(0, dot) + number + output.substr(dot);
}

void Warn(const std::string& message) { std::fprintf(stderr, "quorvel-render: warning: %s\n", message.c_str()); }

// What --no-clear shows through: 8-pixel squares in two greys.
void Fill_Checkerboard(Frame& frame) {
    const Rgb light{192, 192, 192}, dark{128, 128, 128};
    const std::uint16_t pixels[2] = {Pack_Pixel(light, frame.pixel_depth), Pack_Pixel(dark, frame.pixel_depth)};
    for (std::int32_t y = 0; y < frame.height; ++y)
        for (std::int32_t x = 0; x < frame.width; ++x)
            frame.pixels[std::size_t(y) * std::size_t(frame.width) + std::size_t(x)] =
                pixels[((x >> 3) ^ (y >> 3)) & 1];
}

// Renders one frame; says so when the library ran out of memory for edges.
// Its result 2 also means "two overlay faces drawn", but a frame whose edge
// pool could not grow draws nothing at all: with fewer than two overlay faces
// in the scene the result is unambiguous, otherwise an untouched frame tells
// (Scene::Overlay_Face_Bound).
void Render_Frame(Scene& scene, Frame& frame, bool clear, std::size_t overlay_faces) {
    std::vector<std::uint16_t> before;
    if (overlay_faces >= 2) before = frame.pixels;
    const std::int32_t result = scene.Render(frame, clear ? 1u : 0u);
    if (result < 0) Fail("the viewport does not fit the frame");
    if (result == 2 && (overlay_faces < 2 || frame.pixels == before))
        Warn("the library ran out of memory for edges: the frame is empty");
}

// The camera's placement relative to its target, so that an orbit can turn it.
struct View {
    Vec3 target;
    float yaw, pitch, distance;
};

View Current_View(const Camera& camera) {
    const Vec3 offset = camera.Position() - camera.Target();
    const float distance = Length(offset);
    const float pitch = float(std::asin(offset.y / distance) * 180.0 / pi);
    const float yaw = float(std::atan2(-offset.x, -offset.z) * 180.0 / pi);
    return {camera.Target(), yaw, pitch, distance};
}

int Run(const Options& o) {
    Scene scene({o.depth});
    std::int32_t width = o.width, height = o.height;
    std::string subject;
    View view{};
    Mesh* mesh_of_file = nullptr;
    Mesh_Load_Report report;
    if (o.mesh_path.empty()) {
        const Built_In_Scene* built_in = Find_Built_In_Scene(o.scene_name);
        if (built_in == nullptr) Fail("--scene: no built-in scene named '" + o.scene_name + "'");
        if (width == 0) {
            width = built_in->width;
            height = built_in->height;
        }
        built_in->build(scene, width, height);
        subject = built_in->name;
        view = Current_View(scene.Get_Camera());
    } else {
        Mesh_Data data;
        std::string error;
        Mesh_Load_Options load;
        load.lit = o.lit;
        load.two_sided = o.two_sided;
        if (!Load_Mesh_File(scene, o.mesh_path, load, data, report, error)) Fail(error);
        for (const std::string& warning : report.warnings) Warn(warning);
        Mesh& mesh = scene.Add_Mesh(data);
        mesh_of_file = &mesh;
        if (mesh.Face_Count() == 0) Fail(o.mesh_path + ": no usable faces (every face has no area)");
        std::vector<bool> kept(data.faces.size(), false);
        for (std::int32_t f = 0; f < mesh.Face_Count(); ++f) kept[mesh.Data_Face(std::size_t(f))] = true;
        if (const auto lost = std::count(kept.begin(), kept.end(), false); lost != 0)
            Warn(o.mesh_path + ": " + std::to_string(lost) + " of " + std::to_string(data.faces.size()) +
                 " faces dropped: no area");
        if (width == 0) {
            width = 640;
            height = 480;
        }
        // Centre the mesh on the origin and scale it to radius 1.
        const float radius = mesh.Sphere_Radius() > 0.0f ? mesh.Sphere_Radius() : 1.0f;
        const float scale = 1.0f / radius;
        scene.Add_Object(Base_Name(o.mesh_path), &mesh, {Scaling(scale, scale, scale), mesh.Sphere_Centre() * -scale});
        Add_Standard_Lights(scene);
        Camera& camera = scene.Get_Camera();
        camera.Set_Viewport({0, 0, width, height});
        camera.Set_Field_Of_View(45.0f);
        camera.Set_Depth_Range(0.05f, 100.0f);
        view = {{0, 0, 0}, 0.0f, o.pitch, 3.2f};
        subject = Base_Name(o.mesh_path);
    }
    if (o.distance) view.distance = *o.distance;
    const std::string output = o.output.empty() ? "quorvel-" + subject + ".png" : o.output;
    const bool moved = o.orbit || o.distance || o.frames > 1 || !o.mesh_path.empty();
    const bool terminal = isatty(fileno(stderr)) != 0;

    Frame frame(width, height, o.depth);
    if (!o.clear) Fill_Checkerboard(frame);
    const std::size_t overlay_faces = scene.Overlay_Face_Bound();
    for (std::int32_t i = 0; i < o.frames; ++i) {
        if (moved) {
            const float angle = view.yaw + o.orbit.value_or(0.0f) + 360.0f * float(i) / float(o.frames);
            scene.Get_Camera().Orbit(view.target, angle, view.pitch, view.distance);
        }
        scene.Set_Time(double(o.time) + double(i) / 30.0);
        if (o.clear) frame.Fill(0);
        Render_Frame(scene, frame, o.clear, overlay_faces);
        std::string error;
        const std::string path = Frame_Path(output, i + 1, o.frames);
        if (!Write_Frame(path, frame, error)) Fail(error);
        if (o.frames > 1 && terminal)
            std::fprintf(stderr, "\rframe %d/%d  %s", int(i + 1), int(o.frames), path.c_str());
        if (i == 0 && o.pick) {
            const Pick_Result hit = scene.Pick(o.pick->first, o.pick->second);
            // A mesh's host faces are the file's faces less those dropped,
            // with large ones split into fans: name the file's face.
            const bool file_face = hit.object != nullptr && mesh_of_file != nullptr &&
                                   hit.object->mesh == mesh_of_file && hit.face >= 0 &&
                                   hit.face < mesh_of_file->Face_Count();
            const long face =
                file_face ? long(report.file_faces[mesh_of_file->Data_Face(std::size_t(hit.face))]) : long(hit.face);
            if (hit.object != nullptr)
                std::printf("pick %g,%g: object '%s' face %ld%s depth %g\n", double(o.pick->first),
                            double(o.pick->second), scene.Name(*hit.object).c_str(), face,
                            file_face ? " of the file" : "", double(hit.depth));
            else
                std::printf("pick %g,%g: nothing (depth %g)\n", double(o.pick->first), double(o.pick->second),
                            double(hit.depth));
        }
    }
    if (o.frames > 1 && terminal) std::fprintf(stderr, "\n");
    if (o.frames == 1)
        std::printf("wrote %s (%dx%d, %d-bit)\n", output.c_str(), int(width), int(height), int(o.depth));
    else
        std::printf("wrote %d frames %s .. %s (%dx%d, %d-bit)\n", int(o.frames),
                    Frame_Path(output, 1, o.frames).c_str(), Frame_Path(output, o.frames, o.frames).c_str(), int(width),
                    int(height), int(o.depth));
    return 0;
}

}  // namespace

int main(int argc, char** argv) {
    try {
        return Run(Parse(argc, argv));
    } catch (const Failure& failure) {
        std::fprintf(stderr, "quorvel-render: %s\n", failure.message.c_str());
    } catch (const std::bad_alloc&) {
        std::fprintf(stderr, "quorvel-render: out of memory\n");
    } catch (const std::exception& e) {
        std::fprintf(stderr, "quorvel-render: %s\n", e.what());
    }
    return 1;
}
