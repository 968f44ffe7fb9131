// quorvel-peer-bench: real meshes in the scene a user draws (centred, about
// 62 % of the view height, turning about the vertical, 60 degree vertical
// field of view, back faces culled), whole frames through the host engine in
// four modes at two sizes. When built with OSMesa it draws the same scenes
// through it (llvmpipe on the calling thread, an RGB565 buffer, a 16-bit depth
// buffer), taking turns with the library, and prints both times and their
// ratio. The meshes come from scripts/fetch-meshes.
#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "core/scene.h"
#include "core/textures.h"
#include "faces/faces.h"
#include "files/mesh_files.h"

#include <new>

#if QUORVEL_PEER_OSMESA
#include <GL/gl.h>
#include <GL/osmesa.h>
#endif

// Steady frames allocate nothing in the host engine either: every operator
// new of the process is counted, and the library's frames are checked.
std::uint64_t operator_new_calls = 0;
void* operator new(std::size_t size) {
    ++operator_new_calls;
    if (void* block = std::malloc(size != 0 ? size : 1)) return block;
    throw std::bad_alloc();
}
// GCC 12 reads the free in a replaced operator delete as freeing what new
// returned; the pair above is matched, so the warning is wrong here.
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wmismatched-new-delete"
void operator delete(void* block) noexcept { std::free(block); }
void operator delete(void* block, std::size_t) noexcept { std::free(block); }
#pragma GCC diagnostic pop

namespace {

using namespace quorvel_host;

// --- the scenes -----------------------------------------------------------

struct Size {
    std::int32_t width, height;
};
constexpr Size frame_sizes[] = {{640, 480}, {1280, 960}};

enum class Mode { Flat, Gouraud, Map, Map_Blend };
constexpr Mode modes[] = {Mode::Flat, Mode::Gouraud, Mode::Map, Mode::Map_Blend};
const char* Mode_Name(Mode mode) {
    switch (mode) {
        case Mode::Flat: return "flat";
        case Mode::Gouraud: return "gouraud";
        case Mode::Map: return "map";
        case Mode::Map_Blend: return "map_blend";
    }
    return "";
}

constexpr float fov_degrees = 60.0f;
constexpr float height_share = 0.62f;  // of the view height, at the mesh's centre
constexpr float degrees_per_frame = 1.0f;
const Vec3 light_direction{0.5f, -1.0f, 0.8f};  // world space, the way the light travels

// A mesh moved to the origin and scaled to height 1, with map coordinates
// projected from the front: two repeats of the map over the height.
struct Bench_Mesh {
    std::string name;
    Mesh_Data data;
    std::size_t triangles = 0;
};

bool Load_Bench_Mesh(const std::string& path, const std::string& name, Bench_Mesh& mesh) {
    Scene loader;  // the loader adds a material to a scene; the bench uses its own
    std::string error;
    Mesh_Load_Report report;
    if (!Load_Mesh_File(loader, path, {.lit = false}, mesh.data, report, error)) {
        std::fprintf(stderr, "quorvel-peer-bench: %s\n", error.c_str());
        return false;
    }
    mesh.name = name;
    Vec3 low = mesh.data.positions[0], high = low;
    for (const Vec3& p : mesh.data.positions) {
        low = {std::min(low.x, p.x), std::min(low.y, p.y), std::min(low.z, p.z)};
        high = {std::max(high.x, p.x), std::max(high.y, p.y), std::max(high.z, p.z)};
    }
    const Vec3 centre = (low + high) * 0.5f;
    const float scale = 1.0f / (high.y - low.y);
    for (Vec3& p : mesh.data.positions) p = (p - centre) * scale;
    for (Mesh_Face& face : mesh.data.faces) {
        for (Mesh_Corner& corner : face.corners) {
            const Vec3 p = mesh.data.positions[corner.vertex];
            corner.u = 2.0f * p.x;
            corner.v = -2.0f * p.y;
        }
        mesh.triangles += face.corners.size() - 2;
    }
    return true;
}

// The eye's distance that puts a height of 1 at height_share of the view.
float Eye_Distance() { return 1.0f / (height_share * 2.0f * std::tan(fov_degrees * 0.5f * 3.14159265f / 180.0f)); }

// --- host memory calls, counted --------------------------------------------

std::uint64_t memory_calls = 0;
void* QUORVEL_CDECL Counting_Allocate(std::uint32_t count, std::uint32_t size) {
    ++memory_calls;
    return std::calloc(count, size);
}
void* QUORVEL_CDECL Counting_Reallocate(void* block, std::uint32_t size) {
    ++memory_calls;
    return std::realloc(block, size);
}
void QUORVEL_CDECL Counting_Release(void* block) {
    ++memory_calls;
    std::free(block);
}

// One mesh in one mode at one size through the host engine.
class Quorvel_Scene {
public:
    Quorvel_Scene(const Bench_Mesh& mesh, Mode mode, Size size) : frame_(size.width, size.height, 16) {
        Material_Settings settings;
        settings.colour = {200, 170, 120};
        if (mode == Mode::Gouraud) {
            settings.mode = 1;
            settings.diffuse = {220, 190, 140};
            scene_.Set_Ambient(12.0f);
            scene_.Add_Light({light_direction, 44.0f});
        }
        if (mode == Mode::Map || mode == Mode::Map_Blend)
            map_ = settings.map = scene_.Add_Map(Map::Texels_16(Checker(256, 8, {230, 226, 210}, {70, 90, 120}), 16));
        if (mode == Mode::Map_Blend) settings.transparency = 50;
        Material& material = scene_.Add_Material(settings);
        Mesh_Data data = mesh.data;
        for (Mesh_Face& face : data.faces) face.material = &material;
        mesh_ = &scene_.Add_Mesh(data);
        object_ = &scene_.Add_Object(mesh.name, mesh_, Place({0, 0, 0}));
        object_->spin = {{0, 1, 0}, degrees_per_frame};
        Camera& camera = scene_.Get_Camera();
        camera.Set_Viewport({0, 0, size.width, size.height});
        camera.Set_Field_Of_View(fov_degrees);
        camera.Set_Depth_Range(0.05f, 10.0f);
        camera.Look_At({0, 0, -Eye_Distance()}, {0, 0, 0});
    }
    // Frame n shows the mesh turned n degrees.
    void Draw(int n) {
        scene_.Set_Time(n);
        if (scene_.Render(frame_) < 0) std::abort();
    }
    const Mesh& Drawn_Mesh() const { return *mesh_; }
    Map* Drawn_Map() const { return map_; }  // null without a map

private:
    Scene scene_{{16, {Counting_Allocate, Counting_Reallocate, Counting_Release}}};
    Frame frame_;
    Mesh* mesh_ = nullptr;
    Map* map_ = nullptr;
    Scene_Object* object_ = nullptr;
};

std::int32_t Faces_Set_Up() { return faces_state.opaque.count + faces_state.translucent.count; }

// --- the peer ----------------------------------------------------------------

#if QUORVEL_PEER_OSMESA
// The same scene through OSMesa: vertex and index buffers uploaded once, then
// per frame a clear, one indexed draw and glFinish.
class Peer_Scene {
public:
    Peer_Scene(const Bench_Mesh& mesh, const Mesh& drawn, Map* map, Mode mode, Size size)
        : pixels_(std::size_t(size.width) * size.height) {
        context_ = OSMesaCreateContextExt(OSMESA_RGB_565, 16, 0, 0, nullptr);
        if (context_ == nullptr ||
            !OSMesaMakeCurrent(context_, pixels_.data(), GL_UNSIGNED_SHORT_5_6_5, size.width, size.height)) {
            std::fprintf(stderr, "quorvel-peer-bench: OSMesa has no RGB565 context with a 16-bit depth buffer\n");
            std::exit(1);
        }
        // The host's world is left-handed: mirror z for the peer's right-handed one.
        std::vector<GLfloat> vertices;
        for (std::size_t i = 0; i < mesh.data.positions.size(); ++i) {
            const Vec3 p = mesh.data.positions[i], n = drawn.Vertex_Normal(i);
            vertices.insert(vertices.end(), {p.x, p.y, -p.z, n.x, n.y, -n.z, 2.0f * p.x, -2.0f * p.y});
        }
        std::vector<GLuint> indices;
        for (const Mesh_Face& face : mesh.data.faces)
            for (std::size_t k = 1; k + 1 < face.corners.size(); ++k)
                indices.insert(indices.end(),
                               {face.corners[0].vertex, face.corners[k].vertex, face.corners[k + 1].vertex});
        index_count_ = GLsizei(indices.size());
        glGenBuffers(2, buffers_);
        glBindBuffer(GL_ARRAY_BUFFER, buffers_[0]);
        glBufferData(GL_ARRAY_BUFFER, GLsizeiptr(vertices.size() * sizeof(GLfloat)), vertices.data(), GL_STATIC_DRAW);
        glBindBuffer(GL_ELEMENT_ARRAY_BUFFER, buffers_[1]);
        glBufferData(GL_ELEMENT_ARRAY_BUFFER, GLsizeiptr(indices.size() * sizeof(GLuint)), indices.data(),
                     GL_STATIC_DRAW);
        constexpr GLsizei stride = 8 * sizeof(GLfloat);
        glEnableClientState(GL_VERTEX_ARRAY);
        glVertexPointer(3, GL_FLOAT, stride, nullptr);
        glEnableClientState(GL_NORMAL_ARRAY);
        glNormalPointer(GL_FLOAT, stride, reinterpret_cast<const void*>(3 * sizeof(GLfloat)));
        glEnableClientState(GL_TEXTURE_COORD_ARRAY);
        glTexCoordPointer(2, GL_FLOAT, stride, reinterpret_cast<const void*>(6 * sizeof(GLfloat)));

        glViewport(0, 0, size.width, size.height);
        glMatrixMode(GL_PROJECTION);
        const double near_z = 0.05, top = near_z * std::tan(fov_degrees * 0.5 * 3.14159265358979 / 180.0);
        const double right = top * size.width / size.height;
        glFrustum(-right, right, -top, top, near_z, 10.0);
        glMatrixMode(GL_MODELVIEW);
        glEnable(GL_DEPTH_TEST);
        glEnable(GL_CULL_FACE);
        glColor3ub(200, 170, 120);
        if (mode == Mode::Gouraud) {
            glShadeModel(GL_SMOOTH);
            glEnable(GL_LIGHTING);
            glEnable(GL_LIGHT0);
            glLoadIdentity();
            const GLfloat towards_light[4] = {-light_direction.x, -light_direction.y, light_direction.z, 0.0f};
            glLightfv(GL_LIGHT0, GL_POSITION, towards_light);
            glEnable(GL_COLOR_MATERIAL);
            glColor3ub(220, 190, 140);
        }
        if (map != nullptr) {
            glGenTextures(1, &texture_);
            glBindTexture(GL_TEXTURE_2D, texture_);
            glTexImage2D(GL_TEXTURE_2D, 0, GL_RGB, 256, 256, 0, GL_RGB, GL_UNSIGNED_SHORT_5_6_5,
                         reinterpret_cast<const std::uint8_t*>(map->Image_Record()) + map_image_texels_offset);
            glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_NEAREST);
            glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_NEAREST);
            glTexEnvi(GL_TEXTURE_ENV, GL_TEXTURE_ENV_MODE, GL_REPLACE);
            glHint(GL_PERSPECTIVE_CORRECTION_HINT, GL_NICEST);
            glEnable(GL_TEXTURE_2D);
        }
        if (mode == Mode::Map_Blend) {
            glEnable(GL_BLEND);
            glBlendColor(0, 0, 0, 0.5f);
            glBlendFunc(GL_CONSTANT_ALPHA, GL_ONE_MINUS_CONSTANT_ALPHA);
        }
        Choose_Front_Winding();
    }
    ~Peer_Scene() {
        glDeleteBuffers(2, buffers_);
        if (texture_ != 0) glDeleteTextures(1, &texture_);
        OSMesaDestroyContext(context_);
    }
    void Draw(int n) {
        glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
        glLoadIdentity();
        glTranslated(0.0, 0.0, -Eye_Distance());
        // The same turn per frame as the host's mesh (the sense does not matter here).
        glRotated(-degrees_per_frame * static_cast<double>(n), 0.0, 1.0, 0.0);
        glDrawElements(GL_TRIANGLES, index_count_, GL_UNSIGNED_INT, nullptr);
        glFinish();
    }

private:
    // The files' winding is not known for certain after the loader's mirror:
    // the front is the winding whose culled frame differs least from an
    // unculled one (a closed mesh differs not at all).
    void Choose_Front_Winding() {
        const auto frame = [&] {
            Draw(30);
            return pixels_;
        };
        glDisable(GL_CULL_FACE);
        const std::vector<std::uint16_t> whole = frame();
        glEnable(GL_CULL_FACE);
        std::size_t differences[2];
        for (int k = 0; k < 2; ++k) {
            glFrontFace(k == 0 ? GL_CCW : GL_CW);
            const std::vector<std::uint16_t> culled = frame();
            differences[k] = 0;
            for (std::size_t i = 0; i < whole.size(); ++i) differences[k] += whole[i] != culled[i];
        }
        glFrontFace(differences[0] <= differences[1] ? GL_CCW : GL_CW);
    }

    std::vector<std::uint16_t> pixels_;
    OSMesaContext context_ = nullptr;
    GLuint buffers_[2] = {};
    GLuint texture_ = 0;
    GLsizei index_count_ = 0;
};
#endif

// --- timing ------------------------------------------------------------------

double Cpu_Seconds() {
    timespec now;
    clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &now);
    return double(now.tv_sec) + double(now.tv_nsec) * 1e-9;
}

double Median(std::vector<double> values) {
    std::sort(values.begin(), values.end());
    const std::size_t n = values.size();
    return n % 2 ? values[n / 2] : 0.5 * (values[n / 2 - 1] + values[n / 2]);
}

// Milliseconds of CPU time per frame over `frames` frames from frame `first`.
double Batch_Ms(const std::function<void(int)>& draw, int first, int frames) {
    const double start = Cpu_Seconds();
    for (int n = first; n < first + frames; ++n) draw(n);
    return (Cpu_Seconds() - start) * 1000.0 / frames;
}

struct Options {
    std::string folder;
    std::string filter;
    int rounds = 7;
    double batch_seconds = 0.05;
    bool peer = true;
};

// Takes turns: one batch of each side per round, the order swapped every
// round, so that drift on a shared machine falls on both alike. Returns the
// median ms per frame of each side.
std::vector<double> Interleaved(const std::vector<std::function<void(int)>>& sides, const Options& options) {
    std::vector<int> batch(sides.size());
    for (std::size_t s = 0; s < sides.size(); ++s) {
        sides[s](0);  // the first frame grows pools and compiles shaders
        batch[s] = std::clamp(int(options.batch_seconds * 1000.0 / std::max(Batch_Ms(sides[s], 1, 1), 1e-3)), 1, 1000);
    }
    std::vector<std::vector<double>> times(sides.size());
    int frame = 2;
    for (int round = 0; round < options.rounds; ++round) {
        for (std::size_t k = 0; k < sides.size(); ++k) {
            const std::size_t s = round % 2 ? sides.size() - 1 - k : k;
            times[s].push_back(Batch_Ms(sides[s], frame, batch[s]));
            frame += batch[s];
        }
    }
    std::vector<double> medians;
    for (const std::vector<double>& t : times) medians.push_back(Median(t));
    return medians;
}

// The library's pools grow only when a frame needs more than any before it;
// the host engine never allocates in a frame.
void Check_Memory_Calls(const std::string& what, std::uint64_t news) {
    if (memory_calls != 0)
        std::fprintf(stderr, "quorvel-peer-bench: %s: %llu host memory calls in measured frames (pools grew)\n",
                     what.c_str(), static_cast<unsigned long long>(memory_calls));
    if (news == 0) return;
    std::fprintf(stderr, "quorvel-peer-bench: %s: %llu operator new in measured frames\n", what.c_str(),
                 static_cast<unsigned long long>(news));
    std::abort();
}

void Run_Scene(const Bench_Mesh& mesh, Mode mode, Size size, const Options& options) {
    const std::string name =
        mesh.name + "/" + Mode_Name(mode) + "/" + std::to_string(size.width) + "x" + std::to_string(size.height);
    if (name.find(options.filter) == std::string::npos) return;
    Quorvel_Scene quorvel(mesh, mode, size);
    // The turn's largest frames grow the pools before anything is measured.
    for (int degrees = 15; degrees <= 360; degrees += 15) quorvel.Draw(degrees);
    quorvel.Draw(0);
    std::uint64_t news = 0;
    std::vector<std::function<void(int)>> sides{[&](int n) {
        const std::uint64_t before = operator_new_calls;
        quorvel.Draw(n);
        news += operator_new_calls - before;
    }};
    const std::int32_t faces = Faces_Set_Up();
#if QUORVEL_PEER_OSMESA
    std::unique_ptr<Peer_Scene> peer;
    if (options.peer) {
        peer = std::make_unique<Peer_Scene>(mesh, quorvel.Drawn_Mesh(), quorvel.Drawn_Map(), mode, size);
        sides.push_back([&](int n) { peer->Draw(n); });
    }
#endif
    memory_calls = 0;
    const std::vector<double> ms = Interleaved(sides, options);
    Check_Memory_Calls(name, news);
    std::printf("| %-11s | %7zu | %9s | %-9s | %6d | %8.3f | %6.1f |", mesh.name.c_str(), mesh.triangles,
                (std::to_string(size.width) + "x" + std::to_string(size.height)).c_str(), Mode_Name(mode), faces, ms[0],
                ms[0] * 1e6 / double(mesh.triangles));
    if (ms.size() > 1) std::printf(" %8.3f | %5.2f |", ms[1], ms[0] / ms[1]);
    std::printf("\n");
    std::fflush(stdout);
}

// The first frame of a fresh scene (every pool empty) against a steady one,
// medians of `rounds` fresh scenes.
void Run_First_Frame(const Bench_Mesh& mesh, const Options& options) {
    std::vector<double> first, steady;
    std::uint64_t calls = 0;
    for (int round = 0; round < options.rounds; ++round) {
        Quorvel_Scene quorvel(mesh, Mode::Flat, frame_sizes[0]);
        memory_calls = 0;
        first.push_back(Batch_Ms([&](int n) { quorvel.Draw(n); }, 0, 1));
        calls = memory_calls;
        quorvel.Draw(1);
        steady.push_back(Batch_Ms([&](int n) { quorvel.Draw(n); }, 2, 3));
    }
    std::printf(
        "\nFirst frame, %s (%zu triangles), flat, 640x480: %.2f ms against %.2f ms steady (%.2fx), "
        "%llu host memory calls\n",
        mesh.name.c_str(), mesh.triangles, Median(first), Median(steady), Median(first) / Median(steady),
        static_cast<unsigned long long>(calls));
}

bool Parse(int argc, char** argv, Options& options) {
    const char* env = std::getenv("QUORVEL_MESHES");
    const char* home = std::getenv("HOME");
    options.folder = env != nullptr ? env : std::string(home != nullptr ? home : ".") + "/.cache/quorvel-meshes";
    for (int i = 1; i < argc; ++i) {
        const std::string arg = argv[i];
        const auto value = [&](const char* flag) {
            return arg.rfind(flag, 0) == 0 ? arg.substr(std::strlen(flag)) : std::string();
        };
        if (!value("--meshes=").empty())
            options.folder = value("--meshes=");
        else if (!value("--filter=").empty())
            options.filter = value("--filter=");
        else if (!value("--rounds=").empty())
            options.rounds = std::max(1, std::atoi(value("--rounds=").c_str()));
        else if (!value("--batch=").empty())
            options.batch_seconds = std::atof(value("--batch=").c_str());
        else if (arg == "--no-peer")
            options.peer = false;
        else {
            std::fprintf(stderr,
                         "usage: quorvel-peer-bench [--meshes=FOLDER] [--filter=TEXT] [--rounds=N] [--batch=SECONDS] "
                         "[--no-peer]\n");
            return false;
        }
    }
    return true;
}

}  // namespace

int main(int argc, char** argv) {
    Options options;
    if (!Parse(argc, argv, options)) return 1;
#if QUORVEL_PEER_OSMESA
    // llvmpipe rasterises on the calling thread only.
    setenv("LP_NUM_THREADS", "0", 1);
    setenv("GALLIUM_DRIVER", "llvmpipe", 1);
#else
    options.peer = false;
#endif
    std::vector<Bench_Mesh> meshes;
    for (const char* name : {"bunny", "dragon_11k", "dragon_48k", "dragon_203k"}) {
        Bench_Mesh mesh;
        if (!Load_Bench_Mesh(options.folder + "/" + name + ".ply", name, mesh)) {
            std::fprintf(stderr, "quorvel-peer-bench: run bash scripts/fetch-meshes first\n");
            return 1;
        }
        meshes.push_back(std::move(mesh));
    }
    std::printf("ms of CPU time per whole frame (host transform and lighting included), median of %d turns%s\n\n",
                options.rounds, options.peer ? "; peer = OSMesa llvmpipe, LP_NUM_THREADS=0, RGB565, 16-bit depth" : "");
    std::printf("| mesh        | triangles | size      | mode      | faces  | quorvel  | ns/tri |%s\n",
                options.peer ? " peer     | ratio |" : "");
    std::printf("| --- | ---: | --- | --- | ---: | ---: | ---: |%s\n", options.peer ? " ---: | ---: |" : "");
    for (const Bench_Mesh& mesh : meshes)
        for (Size size : frame_sizes)
            for (Mode mode : modes) Run_Scene(mesh, mode, size, options);
    if (std::string("first_frame").find(options.filter) != std::string::npos || options.filter.empty())
        Run_First_Frame(meshes.back(), options);
    return 0;
}
