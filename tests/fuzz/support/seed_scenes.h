// The scenes the seed corpus is made of, and the ones the contract tests and
// the allocation-failure campaign run: one per render state at both depths,
// viewport edge cases, a mixed scene, a 16-bit row left on an image of
// indices, and the three contract breaks the library refuses.
// tests/fuzz/make_seeds writes them as files.
#ifndef QUORVEL_TESTS_FUZZ_SEED_SCENES_H
#define QUORVEL_TESTS_FUZZ_SEED_SCENES_H

#include <string>
#include <utility>
#include <vector>

#include "fuzz/support/scene_writer.h"

namespace quorvel_fuzz {

using Seed = std::pair<std::string, std::vector<std::uint8_t>>;

// A quad straight ahead at z = 4 (corners down the left edge first), a
// triangle through the near plane and off the right edge, and a lit fan of
// 12 corners; lights differ per vertex.
inline Scene_Writer& Standard_Geometry(Scene_Writer& w) {
    return w.Vertices({{-2, 1.5f, 4, 10},
                       {-2, -1.5f, 4, 120},
                       {2, -1.5f, 4, 250},
                       {2, 1.5f, 4, 60},
                       {1, 1, 0.5f, 30},
                       {0.5f, -1, 6, 200},
                       {9, 0, 5, 90},
                       {-1, 0, 3, 40},
                       {-0.7f, -0.7f, 3, 80},
                       {0, -1, 3, 120},
                       {0.7f, -0.7f, 3, 160},
                       {1, 0, 3, 200},
                       {0.7f, 0.7f, 3, 240},
                       {0, 1, 3, 20},
                       {-0.7f, 0.7f, 3, 60}});
}

inline Scene_Writer& Standard_Images(Scene_Writer& w) {
    // 16-bit 32 x 16; 8-bit 256 x 256 (the fixed-size loops); 8-bit 8 x 5.
    return w.Images({{false, 5, 15, 3, 0.9f, 1.1f}, {true, 8, 255, 5, 2.0f, 3.0f, true}, {true, 3, 4, 7, 1.0f, 1.0f}})
        .Maps({{0, true, 0x1234, 0}, {1, true, 0, 9}, {2, true, 0, 0}});
}

inline std::vector<Scene_Writer::Face> Standard_Faces(std::uint8_t material) {
    return {{{0, 1, 2, 3}, material}, {{4, 5, 6}, material}, {{7, 8, 9, 10, 11, 12, 13, 14, 7, 9, 11, 13}, material}};
}

inline Scene_Writer& Standard_Program(Scene_Writer& w) {
    return w.Render(1)
        .Pick(32, 24)
        .Pick(10, 40)
        .Recolour(0, 20, 90, 250, 100)
        .Update(0)
        .Render(0)
        .Release_Scene()
        .Render(1)
        .Empty_Exports();
}

struct State_Material {
    const char* name;
    Scene_Writer::Material material;
};

// One material per render state; map 0 is 16-bit, maps 1 and 2 are 8-bit.
inline std::vector<State_Material> State_Materials(std::uint8_t palette_map) {
    using M = Scene_Writer::Material;
    return {{"random", M{0, 3, Flags_From_Material, 30}},
            {"random_blend", M{7, 3, Flags_From_Material, 30}},
            {"flat", M{0, 3}},
            {"flat_blend", M{0, 3, Flags_From_Material, 50}},
            {"mapped", M{0, 0}},
            {"mapped_palette", M{0, palette_map}},
            {"mapped_blend", M{0, 0, Flags_From_Material, 50}},
            {"mapped_keyed", M{0, 0, Flags_From_Material, 0, 1}},
            {"mapped_keyed_blend", M{0, 0, Flags_From_Material, 50, 1}},
            {"mapped_additive", M{0, 0, Flags_From_Material, 0, 2}},
            {"square", M{0, 0, Flags_From_Material, 0, 11}},
            {"square_overlay", M{0, 0, Flags_From_Material, 0, 10}},
            {"gouraud", M{1, 3}},
            {"gouraud_blend", M{1, 3, Flags_From_Material, 50}},
            {"gouraud_mapped", M{2, palette_map}},
            {"gouraud_mapped_blend", M{2, palette_map, Flags_From_Material, 50}},
            {"gouraud_mapped_keyed", M{2, palette_map, Flags_From_Material, 0, 1}},
            {"gouraud_mapped_keyed_blend", M{1, palette_map, Flags_From_Material, 50, 1}},
            {"gouraud_mapped_additive", M{2, palette_map, Flags_From_Material, 0, 2}}};
}

inline std::vector<std::uint8_t> State_Scene(const State_Material& state, bool depth_15) {
    Scene_Writer w;
    w.Header(depth_15 ? Input_Depth_15 : 0).Camera(64, {{0, 0, 64, 48}}, 1, 100);
    Standard_Images(Standard_Geometry(w)).Materials({state.material});
    w.Objects({{.parent = 0, .faces = Standard_Faces(0)}});
    return Standard_Program(w).bytes;
}

// A flat and a Gouraud-mapped material over the standard geometry, drawn
// into the given viewports (the first is used first) and pitch.
inline std::vector<std::uint8_t> Viewport_Scene(std::int32_t pitch,
                                                std::initializer_list<std::array<float, 4>> viewports) {
    Scene_Writer w;
    w.Header(0).Camera(pitch, viewports, 1, 100);
    Standard_Images(Standard_Geometry(w)).Materials({{0, 3}, {2, 1}});
    std::vector<Scene_Writer::Face> faces = Standard_Faces(0);
    faces[0].material = 1;
    w.Objects({{.parent = 0, .faces = faces}});
    return w.Render(1).Viewport(1).Render(1).Viewport(2).Render(0).Pick(1, 1).bytes;
}

inline std::vector<Seed> Seeds() {
    std::vector<Seed> seeds;
    for (bool depth_15 : {false, true})
        for (const State_Material& state : State_Materials(depth_15 ? 2 : 1))
            seeds.push_back(
                {std::string("state_") + state.name + (depth_15 ? "_15" : "_16"), State_Scene(state, depth_15)});
    seeds.push_back(
        {"viewport_empty_and_one_pixel", Viewport_Scene(64, {{0, 0, 0, 0}, {5, 5, 6, 6}, {63.5f, 47.5f, 64, 48}})});
    seeds.push_back(
        {"viewport_all_lines", Viewport_Scene(64, {{0, 0, 64, 4096}, {0.5f, 4095.5f, 63.5f, 4096}, {0, 0, 64, 48}})});
    seeds.push_back({"viewport_refused", Viewport_Scene(64, {{0, 0, 64, 4096.5f}, {0, 0, 65, 48}, {-1, 0, 10, 10}})});
    seeds.push_back(
        {"viewport_bottom_up_buffer", Viewport_Scene(-100, {{3, 2, 97, 60}, {0, 0, 100, 1}, {99, 0, 100, 60}})});
    seeds.push_back(
        {"viewport_odd_pitch", Viewport_Scene(37, {{1, 1, 36, 30}, {0.25f, 0.75f, 36.75f, 2.5f}, {0, 0, 37, 30}})});

    // Every kind of material, a group with members, shared sources, a
    // rejected face and a face without a material, memory that fails now and then.
    Scene_Writer mixed;
    mixed.Header(Input_Host_Retries, 0x0000'0410'2080'0100ull, 70, 3)
        .Camera(128, {{0, 0, 128, 96}, {10, 5, 100, 90}, {0, 0, 64, 48}}, 0.5f, 50);
    Standard_Images(Standard_Geometry(mixed));
    std::vector<Scene_Writer::Material> materials;
    for (const State_Material& state : State_Materials(1)) materials.push_back(state.material);
    mixed.Materials({materials[4], materials[6], materials[11], materials[12], materials[14], materials[18]});
    using O = Scene_Writer::Object;
    mixed.Objects(
        {O{.kind = 6, .parent = 0, .faces = Standard_Faces(0)}, O{.kind = 7, .parent = 0, .faces = Standard_Faces(1)},
         O{.kind = 7, .parent = 0, .in_view = 201, .faces = Standard_Faces(4)},
         O{.kind = 0x40, .parent = 3, .faces = {{{0, 1, 2, 3}, 2}, {{0, 1, 2}, 6}, {{1, 2, 3}, 3, {}, {0, 0, -1}, 0}}},
         O{.parent = 3, .source = 163, .faces = Standard_Faces(5)},
         O{.kind = 0x10, .parent = 5, .faces = {{{0, 1, 2, 3}, 3}, {{4, 5}, 3}, {{}, 3}}}});
    mixed.Render(1)
        .Pick(32, 24)
        .Set(1, 1, 128 + 5)
        .Render(1)
        .Change_Map(4, 0)
        .Render(0)
        .Readd_Face(2)
        .Recolour(3, 1, 2, 3, 4)
        .Update(3)
        .Drop_Camera(false)
        .Render(1)
        .Drop_Camera(true)
        .Pick(3, 3)
        .Viewport(1)
        .Render(1)
        .Release_Scene()
        .Render(1)
        .Empty_Exports();
    seeds.push_back({"mixed", mixed.bytes});

    // A host that gives a material on a 16-bit row a map of palette indices
    // and does not select again: the 16-bit filler would read the 256 x 256
    // image of indices as twice its size. Its corners span 100 repeats of the
    // image, so rows reach into the image's second half, which that read
    // doubles past the end.
    Scene_Writer other_kind;
    other_kind.Header(Input_Breaks_Contract).Camera(64, {{0, 0, 64, 48}}, 1, 100);
    Standard_Images(Standard_Geometry(other_kind)).Materials({State_Materials(1)[4].material});
    other_kind.Objects({{.parent = 0, .faces = {{{0, 1, 2, 3}, 0, {{0, 0}, {0, 100}, {100, 100}, {100, 0}}}}}});
    seeds.push_back({"contract_16_bit_row_on_index_image", other_kind.Render(1).Change_Map(0, 1).Render(1).bytes});
    return seeds;
}

// Contract breaks the library refuses. op9 of the second object changes a
// record after the first object's faces were set up.
inline std::vector<std::uint8_t> Broken_Host_Scene(std::uint8_t material_kind_index, std::uint8_t mutation) {
    Scene_Writer w;
    w.Header(Input_Breaks_Contract).Camera(64, {{0, 0, 64, 48}, {20, 20, 30, 30}, {0, 0, 64, 48}}, 1, 100);
    Standard_Images(Standard_Geometry(w)).Materials({State_Materials(1)[material_kind_index].material, {0, 3}});
    w.Objects(
        {{.parent = 0, .faces = Standard_Faces(0)}, {.parent = 1, .mutation = mutation, .faces = {{{0, 1, 2}, 1}}}});
    return w.Render(1).Render(0).bytes;
}

}  // namespace quorvel_fuzz

#endif
