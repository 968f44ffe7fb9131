// quorvel-bench: how fast the library draws. Whole frames of the built-in
// scenes and of a dense sphere field, the first frame against the steady
// state, and every span filler alone on one large face. Medians over
// repetitions by default: the machines we measure on are shared and noisy.
#include <benchmark/benchmark.h>

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <initializer_list>
#include <memory>
#include <string>
#include <vector>

#include "core/scene.h"
#include "core/shapes.h"
#include "core/showcase.h"
#include "faces/faces.h"
#include "module/module.h"
#include "spans/spans.h"

namespace {

using namespace quorvel_host;

struct Size {
    std::int32_t width, height;
};
constexpr Size frame_sizes[] = {{640, 480}, {1280, 960}};

std::string Size_Name(Size size) { return std::to_string(size.width) + "x" + std::to_string(size.height); }

// Host memory that counts its calls. The bench keeps its own rather than the
// tests' recording memory: it needs no log and no failures.
struct Memory_Counts {
    std::uint64_t allocations = 0;  // allocate and reallocate
    std::uint64_t releases = 0;
};
Memory_Counts memory_counts;

void* QUORVEL_CDECL Counted_Allocate(std::uint32_t count, std::uint32_t size) {
    ++memory_counts.allocations;
    return std::calloc(count, size);
}
void* QUORVEL_CDECL Counted_Reallocate(void* block, std::uint32_t size) {
    ++memory_counts.allocations;
    return std::realloc(block, size);
}
void QUORVEL_CDECL Counted_Release(void* block) {
    ++memory_counts.releases;
    std::free(block);
}
const Scene_Options counted_options{16, {Counted_Allocate, Counted_Reallocate, Counted_Release}};

// Pools grow on the first frame only; a later frame that calls the host's
// memory functions is a fault in the library, not noise, so the run stops.
void Expect_No_Allocations(const char* what) {
    const std::uint64_t calls = memory_counts.allocations + memory_counts.releases;
    if (calls == 0) return;
    std::fprintf(stderr,
                 "quorvel-bench: %s: %llu host memory calls after the first frame; pools must not grow per frame\n",
                 what, static_cast<unsigned long long>(calls));
    std::abort();
}

std::int32_t Faces_In_Lists() {
    return faces_state.opaque.count + faces_state.translucent.count + faces_state.overlay.count;
}

// Rates are per second of CPU time; the console adds the "/s".
void Set_Frame_Counters(benchmark::State& state, Size size, std::int32_t faces) {
    state.counters["frames"] = benchmark::Counter(1.0, benchmark::Counter::kIsIterationInvariantRate);
    state.counters["Mpixels"] =
        benchmark::Counter(double(size.width) * size.height / 1e6, benchmark::Counter::kIsIterationInvariantRate);
    state.counters["faces"] = double(faces);
}

// Steady-state frames: the first frame grows the pools, the measured ones
// after it must not call the host's memory functions at all.
void Bench_Frames(benchmark::State& state, Scene& scene, Size size, const std::string& name) {
    Frame frame(size.width, size.height, scene.Pixel_Depth());
    if (scene.Render(frame) < 0) {
        state.SkipWithError("the viewport does not fit the frame");
        return;
    }
    memory_counts = {};
    for (auto _ : state) benchmark::DoNotOptimize(scene.Render(frame));
    Expect_No_Allocations(name.c_str());
    Set_Frame_Counters(state, size, Faces_In_Lists());
}

// Many small faces: 320 spheres of 160 faces (51,200 in all, about half of
// them facing the eye), in four materials, over a field that runs from past
// the screen edges near the eye to far away. Setup and the span buffer
// dominate; each face covers a few pixels.
void Build_Sphere_Field(Scene& scene, std::int32_t width, std::int32_t height) {
    std::srand(built_in_seed);
    scene.Set_Ambient(standard_ambient);
    scene.Add_Light(key_light);
    Map* checker = scene.Add_Map(Map::Texels_16(Checker_Tiles(256), scene.Pixel_Depth()));
    Map* stone = scene.Add_Map(Map::Palette(Quantise(Stone(256))));
    Material_Settings kinds[4];
    kinds[0].mode = 1;
    kinds[0].diffuse = {220, 60, 60};
    kinds[1].colour = {240, 140, 40};
    kinds[2].map = checker;
    kinds[3].mode = 1;
    kinds[3].map = stone;
    Scene_Object* originals[4];
    for (int k = 0; k < 4; ++k) {
        Mesh& mesh = scene.Add_Mesh(Sphere(0.35f, 16, 10, &scene.Add_Material(kinds[k])));
        originals[k] = &scene.Add_Object("sphere " + std::to_string(k), &mesh, Place({-9.5f + float(k), 0.35f, 0.0f}));
    }
    for (int row = 0; row < 16; ++row)
        for (int column = 0; column < 20; ++column) {
            if (row == 0 && column < 4) continue;  // the originals stand there
            const Vec3 at{-9.5f + float(column), 0.35f, float(row)};
            scene.Add_Instance("instance", *originals[(row + column) % 4], Place(at));
        }
    Camera& camera = scene.Get_Camera();
    camera.Set_Viewport({0, 0, width, height});
    camera.Set_Depth_Range(0.5f, 100.0f);
    camera.Look_At({0.0f, 7.0f, -6.0f}, {0.0f, 0.0f, 8.0f});
}

void Register_Frames(const std::string& name, Scene_Builder build) {
    for (Size size : frame_sizes) {
        const std::string full = "frame/" + name + "/" + Size_Name(size);
        benchmark::RegisterBenchmark(full.c_str(), [=](benchmark::State& state) {
            Scene scene(counted_options);
            build(scene, size.width, size.height);
            Bench_Frames(state, scene, size, full);
        })->Unit(benchmark::kMillisecond);
    }
}

// The first frame of a scene, pools empty: what growing them costs, and how
// many host memory calls it takes (the steady frames above make none).
void Bench_First_Frame(benchmark::State& state) {
    const Size size = frame_sizes[0];
    std::uint64_t calls = 0;
    std::int32_t faces = 0;
    for (auto _ : state) {
        state.PauseTiming();
        {
            auto scene = std::make_unique<Scene>(counted_options);
            Build_Showcase(*scene, size.width, size.height);
            Frame frame(size.width, size.height, 16);
            const std::uint64_t before = memory_counts.allocations;
            state.ResumeTiming();
            benchmark::DoNotOptimize(scene->Render(frame));
            state.PauseTiming();
            calls = memory_counts.allocations - before;
            faces = Faces_In_Lists();
        }  // the scene gives the pools back, so the next iteration grows them again
        state.ResumeTiming();
    }
    Set_Frame_Counters(state, size, faces);
    state.counters["growth calls"] = double(calls);
}

// --- the span fillers alone ---------------------------------------------------

enum class Map_Kind { None, Texels, Texels_General, Texels_Keyed, Texels_Glow, Palette, Palette_Keyed, Palette_Glow };

struct Filler_Case {
    const char* name;
    Row_Id row;  // what the material must select, checked before measuring
    std::int32_t mode, transparency, kind;
    Map_Kind map;
};

constexpr Filler_Case filler_cases[] = {
    {"random", Row_Random, 0, 30, 0, Map_Kind::None},
    {"random_blend", Row_Random_Blend, 5, 30, 0, Map_Kind::None},
    {"flat", Row_Flat, 0, 0, 0, Map_Kind::None},
    {"flat_blend", Row_Flat_Blend, 0, 50, 0, Map_Kind::None},
    {"mapped", Row_Mapped, 0, 0, 0, Map_Kind::Texels},
    {"mapped_general", Row_Mapped, 0, 0, 0, Map_Kind::Texels_General},
    {"mapped_palette", Row_Mapped_Palette, 0, 0, 0, Map_Kind::Palette},
    {"mapped_blend", Row_Mapped_Blend, 0, 50, 0, Map_Kind::Texels},
    {"mapped_keyed", Row_Mapped_Keyed, 0, 0, 1, Map_Kind::Texels_Keyed},
    {"mapped_keyed_blend", Row_Mapped_Keyed_Blend, 0, 50, 1, Map_Kind::Texels_Keyed},
    {"mapped_additive", Row_Mapped_Additive, 0, 0, 2, Map_Kind::Texels_Glow},
    {"square", Row_Square, 0, 0, 11, Map_Kind::Texels_Glow},
    {"square_overlay", Row_Square_Overlay, 0, 0, 10, Map_Kind::Texels},
    {"gouraud", Row_Gouraud, 1, 0, 0, Map_Kind::None},
    {"gouraud_blend", Row_Gouraud_Blend, 1, 50, 0, Map_Kind::None},
    {"gouraud_mapped", Row_Gouraud_Mapped, 1, 0, 0, Map_Kind::Palette},
    {"gouraud_mapped_blend", Row_Gouraud_Mapped_Blend, 2, 50, 0, Map_Kind::Palette},
    {"gouraud_mapped_keyed", Row_Gouraud_Mapped_Keyed, 1, 0, 1, Map_Kind::Palette_Keyed},
    {"gouraud_mapped_keyed_blend", Row_Gouraud_Mapped_Keyed_Blend, 1, 50, 1, Map_Kind::Palette_Keyed},
    {"gouraud_mapped_additive", Row_Gouraud_Mapped_Additive, 1, 0, 2, Map_Kind::Palette_Glow},
};

Map* Make_Map(Scene& scene, Map_Kind kind) {
    const std::int32_t depth = scene.Pixel_Depth();
    switch (kind) {
        case Map_Kind::None: return nullptr;
        case Map_Kind::Texels: return scene.Add_Map(Map::Texels_16(Checker_Tiles(256), depth));
        case Map_Kind::Texels_General: return scene.Add_Map(Map::Texels_16(Red_Bricks(), depth));
        case Map_Kind::Texels_Keyed: return scene.Add_Map(Map::Texels_16(Grey_Fence(256), depth));
        case Map_Kind::Texels_Glow: return scene.Add_Map(Map::Texels_16(Orange_Glow(256), depth));
        case Map_Kind::Palette: return scene.Add_Map(Map::Palette(Quantise(Blue_Marble(256))));
        case Map_Kind::Palette_Keyed: return scene.Add_Map(Map::Palette(Quantise(Brass_Fence(256))));
        case Map_Kind::Palette_Glow: return scene.Add_Map(Map::Palette(Quantise(Blue_Glow(256))));
    }
    return nullptr;
}

// Pixels the face covers: its spans, or for an overlay square (which fills
// its polygon without spans) the polygon's area.
double Covered_Pixels(const Prepared_Face& face) {
    if (face.first_span == -1) {
        double twice_area = 0.0;
        for (std::int32_t i = 0, j = face.vertex_count - 1; i < face.vertex_count; j = i++)
            twice_area += double(face.x[j]) * face.y[i] - double(face.x[i]) * face.y[j];
        return std::fabs(twice_area) / 2.0;
    }
    double pixels = 0.0;
    for (std::int32_t i = face.first_span; i != -1; i = frame_state.spans.records[i].next)
        pixels += frame_state.spans.records[i].length;
    return pixels;
}

Prepared_Face* Find_Face(const Host_Material* material) {
    for (Face_Pool* pool : {&faces_state.opaque, &faces_state.translucent, &faces_state.overlay})
        for (std::int32_t i = 0; i < pool->count; ++i)
            if (pool->records[i].material == material) return &pool->records[i];
    return nullptr;
}

// One pane covering most of a 640 x 480 view, drawn once through the whole
// pipeline; then its row's filler runs again and again on the prepared face
// and the spans that frame left in the pools.
void Bench_Filler(benchmark::State& state, const Filler_Case& c) {
    const Size size = frame_sizes[0];
    Scene scene(counted_options);
    scene.Set_Ambient(standard_ambient);
    scene.Add_Light(key_light);
    Material_Settings settings;
    settings.mode = c.mode;
    settings.diffuse = {220, 160, 60};
    settings.transparency = c.transparency;
    settings.kind = c.kind;
    settings.map = Make_Map(scene, c.map);
    Material& material = scene.Add_Material(settings);
    scene.Add_Object("pane", &scene.Add_Mesh(Pane(7.0f, 5.2f, &material, 1, 2.0f)), Place({0, 0, 0}));
    scene.Get_Camera().Set_Viewport({0, 0, size.width, size.height});
    scene.Get_Camera().Look_At({0.0f, 0.0f, -5.0f}, {0.0f, 0.0f, 0.0f});
    Frame frame(size.width, size.height, 16);
    scene.Render(frame);
    if (!material.Usable() || &Row_Of(material.Record()) != Row(c.row)) {
        state.SkipWithError("the material did not select the row this case measures");
        return;
    }
    Prepared_Face* face = Find_Face(material.Record());
    if (face == nullptr) {
        state.SkipWithError("the pane was not drawn");
        return;
    }
    const Fill_Function fill = Row_Of(material.Record()).fill;
    memory_counts = {};
    for (auto _ : state) {
        fill(face, frame.pixels.data(), 0, frame.width);
        benchmark::ClobberMemory();
    }
    Expect_No_Allocations(c.name);
    state.counters["Mpixels"] =
        benchmark::Counter(Covered_Pixels(*face) / 1e6, benchmark::Counter::kIsIterationInvariantRate);
}

// The store floor the filler rates are read against: every pixel of a
// 640 x 480 frame written once with a scalar 16-bit store (kept scalar: no
// vector stores, no memset).
__attribute__((noinline, optimize("no-tree-vectorize", "no-tree-loop-distribute-patterns"))) void Store_Each_Pixel(
    std::uint16_t* pixels, std::size_t count, std::uint16_t value) {
    for (std::size_t i = 0; i < count; ++i) pixels[i] = value;
}

void Bench_Store_Floor(benchmark::State& state) {
    const Size size = frame_sizes[0];
    Frame frame(size.width, size.height, 16);
    const std::size_t count = std::size_t(size.width) * std::size_t(size.height);
    std::uint16_t value = 0;
    for (auto _ : state) {
        Store_Each_Pixel(frame.pixels.data(), count, value++);
        benchmark::ClobberMemory();
    }
    state.counters["Mpixels"] = benchmark::Counter(double(count) / 1e6, benchmark::Counter::kIsIterationInvariantRate);
}

// Medians of 9 runs of at least 0.2 s each, unless the caller chose them.
std::vector<char*> Arguments_With_Defaults(int argc, char** argv) {
    static char repetitions[] = "--benchmark_repetitions=9";
    static char aggregates[] = "--benchmark_report_aggregates_only=true";
    static char min_time[] = "--benchmark_min_time=0.2";
    const auto chose = [&](std::initializer_list<const char*> flags) {
        for (int i = 1; i < argc; ++i)
            for (const char* flag : flags)
                if (std::string(argv[i]).rfind(flag, 0) == 0) return true;
        return false;
    };
    std::vector<char*> arguments(argv, argv + argc);
    if (!chose({"--benchmark_repetitions"})) arguments.push_back(repetitions);
    if (!chose({"--benchmark_report_aggregates_only", "--benchmark_display_aggregates_only"}))
        arguments.push_back(aggregates);
    if (!chose({"--benchmark_min_time"})) arguments.push_back(min_time);
    arguments.push_back(nullptr);
    return arguments;
}

}  // namespace

int main(int argc, char** argv) {
    for (const Built_In_Scene& scene : Built_In_Scenes()) Register_Frames(scene.name, scene.build);
    Register_Frames("sphere_field", Build_Sphere_Field);
    benchmark::RegisterBenchmark("first_frame/showcase/640x480", Bench_First_Frame)->Unit(benchmark::kMillisecond);
    benchmark::RegisterBenchmark("filler/store_floor", Bench_Store_Floor)->Unit(benchmark::kMicrosecond);
    for (const Filler_Case& c : filler_cases)
        benchmark::RegisterBenchmark((std::string("filler/") + c.name).c_str(), Bench_Filler, c)
            ->Unit(benchmark::kMicrosecond);

    std::vector<char*> arguments = Arguments_With_Defaults(argc, argv);
    int count = int(arguments.size()) - 1;
    benchmark::Initialize(&count, arguments.data());
    if (benchmark::ReportUnrecognizedArguments(count, arguments.data())) return 1;
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
