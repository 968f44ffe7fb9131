// The showcase and the focused golden scenes.
//
// Showcase layout, seen from the camera: a checkered floor running from
// behind the eye (it crosses the near plane) to a brick wall wider than the
// view (it crosses the screen edges). Three rows stand on the floor:
//   back   (z = 9):  opaque states - flat, random colour, lit colour, lit
//                    palette map, palette map at full light, 16-bit map, and
//                    a spinning group object with its members;
//   middle (z = 5):  50% and transparent states - flat glass, random glass,
//                    lit glass, mapped glass, keyed fence, keyed glass fence;
//   front  (z = 1.5): lit palette glass, lit keyed and keyed-glass fences,
//                    additive glows (16-bit and lit palette) and a square.
// An overlay square floats top right; a lit pillar beside the eye crosses the
// near plane and the left edge.
#include "core/showcase.h"

#include <cstdlib>

#include "core/shapes.h"
#include "core/textures.h"

namespace quorvel_host {

namespace {

struct Palette {
    Rgb a, b;
};

// Maps and materials the scenes share.
struct Kit {
    Scene& scene;
    Map* checker_256 = nullptr;   // 16-bit, the 256 x 256 loops
    Map* bricks = nullptr;        // 16-bit, 128 x 64: general addressing
    Map* crate = nullptr;         // 16-bit, 64 x 64
    Map* fence = nullptr;         // 16-bit with colour key
    Map* glow = nullptr;          // 16-bit, black rim
    Map* rings = nullptr;         // 16-bit with colour key
    Map* stone_256 = nullptr;     // palette, 256 x 256
    Map* marble = nullptr;        // palette, 128 x 128
    Map* fence_palette = nullptr; // palette with index 0 holes
    Map* glow_palette = nullptr;  // palette

    explicit Kit(Scene& s) : scene(s) {
        const std::int32_t depth = s.Pixel_Depth();
        checker_256 = s.Add_Map(Map::Texels_16(Checker(256, 8, {230, 226, 210}, {70, 90, 120}), depth, {4, 4}));
        bricks = s.Add_Map(Map::Texels_16(Bricks(128, 64, {178, 82, 52}, {205, 200, 190}), depth, {1, 1}));
        crate = s.Add_Map(Map::Texels_16(Checker(64, 2, {214, 170, 90}, {150, 100, 40}), depth));
        fence = s.Add_Map(Map::Texels_16(Fence(64, {140, 150, 160}), depth, {2, 2}));
        glow = s.Add_Map(Map::Texels_16(Glow(64, {255, 170, 60}), depth));
        rings = s.Add_Map(Map::Texels_16(Rings(64, {40, 220, 120}), depth));
        stone_256 = s.Add_Map(Map::Palette(Quantise(Noise(256, {70, 60, 50}, {220, 200, 170}, 7)), {2, 1}));
        marble = s.Add_Map(Map::Palette(Quantise(Noise(128, {30, 60, 130}, {200, 225, 255}, 11))));
        fence_palette = s.Add_Map(Map::Palette(Quantise(Fence(64, {200, 170, 60})), {2, 2}));
        glow_palette = s.Add_Map(Map::Palette(Quantise(Glow(64, {90, 160, 255}))));
    }

    Material* Flat(Rgb colour, std::int32_t transparency = 0, bool two_sided = false) {
        Material_Settings m;
        m.colour = colour;
        m.transparency = transparency;
        m.two_sided = two_sided;
        return &scene.Add_Material(m);
    }
    Material* Mapped(Map* map, std::int32_t transparency = 0, std::int32_t kind = 0, bool two_sided = false) {
        Material_Settings m;
        m.map = map;
        m.transparency = transparency;
        m.kind = kind;
        m.two_sided = two_sided;
        return &scene.Add_Material(m);
    }
    Material* Lit(Rgb diffuse, std::int32_t transparency = 0, std::int32_t mode = 1) {
        Material_Settings m;
        m.mode = mode;
        m.diffuse = diffuse;
        m.ambient = {std::uint8_t(diffuse.r / 3), std::uint8_t(diffuse.g / 3), std::uint8_t(diffuse.b / 3)};
        m.specular = {255, 255, 255};
        m.shininess = 60;
        m.shininess_strength = 70;
        m.transparency = transparency;
        return &scene.Add_Material(m);
    }
    Material* Lit_Mapped(Map* map, std::int32_t transparency = 0, std::int32_t kind = 0, std::int32_t mode = 1,
                         bool two_sided = false) {
        Material_Settings m;
        m.mode = mode;
        m.map = map;
        m.specular = {160, 160, 160};
        m.shininess = 40;
        m.shininess_strength = 30;
        m.transparency = transparency;
        m.kind = kind;
        m.two_sided = two_sided;
        return &scene.Add_Material(m);
    }
};

void Standard_Lights(Scene& scene) {
    scene.Set_Ambient(14.0f);
    scene.Add_Light({{0.5f, -1.0f, 0.8f}, 44.0f});
    scene.Add_Light({{-0.7f, -0.2f, -0.5f}, 12.0f});
}

Transform At(float x, float y, float z, float yaw = 0.0f, float scale = 1.0f) {
    return Place({x, y, z}, Rotation_Degrees(yaw, 0.0f), scale);
}

}  // namespace

void Build_Showcase(Scene& scene, std::int32_t width, std::int32_t height) {
    std::srand(built_in_seed);
    Kit kit(scene);
    Standard_Lights(scene);
    Camera& camera = scene.Get_Camera();
    camera.Set_Viewport({0, 0, width, height});
    camera.Set_Field_Of_View(55.0f);
    camera.Set_Depth_Range(0.5f, 200.0f);
    camera.Look_At({0.0f, 3.4f, -9.0f}, {0.0f, 1.2f, 5.0f});

    // Floor from behind the eye to beyond the wall; wall wider than the view.
    scene.Add_Object("floor", &scene.Add_Mesh(Floor(60.0f, 50.0f, 10, 20.0f, kit.Mapped(kit.checker_256))),
                     At(0, 0, 5));
    scene.Add_Object("wall", &scene.Add_Mesh(Pane(48.0f, 12.0f, kit.Mapped(kit.bricks), 6, 12.0f)), At(0, 6, 15));

    // Back row: opaque states.
    Material_Settings random_colour;  // transparency 30 in mode 0 matches no row: random colours
    random_colour.transparency = 30;
    const float back = 9.0f;
    scene.Add_Object("flat", &scene.Add_Mesh(Box({1.4f, 1.4f, 1.4f}, kit.Flat({240, 140, 40}))), At(-6, 0.7f, back, 30));
    scene.Add_Object("random", &scene.Add_Mesh(Box({1.4f, 1.4f, 1.4f}, &scene.Add_Material(random_colour))),
                     At(-4, 0.7f, back, 30));
    scene.Add_Object("lit", &scene.Add_Mesh(Sphere(0.85f, 20, 12, kit.Lit({220, 50, 50}))), At(-2, 0.85f, back));
    scene.Add_Object("lit palette map",
                     &scene.Add_Mesh(Sphere(0.85f, 20, 12, kit.Lit_Mapped(kit.stone_256))), At(0, 0.85f, back));
    Material_Settings palette_full_light;  // mode 0 with a palette map: the brightest shade row
    palette_full_light.map = kit.marble;
    scene.Add_Object("palette map",
                     &scene.Add_Mesh(Box({1.4f, 1.4f, 1.4f}, &scene.Add_Material(palette_full_light))),
                     At(2, 0.7f, back, 30));
    scene.Add_Object("map", &scene.Add_Mesh(Box({1.4f, 1.4f, 1.4f}, kit.Mapped(kit.crate))), At(4, 0.7f, back, 30));

    // A group: a hub with members around it, one member carrying another.
    Scene_Object& group = scene.Add_Group("group", &scene.Add_Mesh(Sphere(0.45f, 14, 8, kit.Lit({230, 230, 240}))),
                                          At(6.2f, 1.1f, back));
    group.spin.degrees_per_second = 40.0f;
    Mesh& ball = scene.Add_Mesh(Sphere(0.25f, 10, 6, kit.Lit({60, 200, 90})));
    scene.Add_Member("member a", &ball, At(0.75f, 0.0f, 0.0f), group);
    Scene_Object& member_b = scene.Add_Member("member b", &ball, At(-0.4f, 0.0f, 0.65f), group);
    scene.Add_Member("member b child", &scene.Add_Mesh(Sphere(0.15f, 8, 5, kit.Lit({250, 220, 60}))),
                     At(0.0f, 0.45f, 0.0f), member_b);
    scene.Add_Member("member c", &ball, At(-0.4f, 0.0f, -0.65f), group);

    // Middle row: glass of every kind in front of the back row.
    const float middle = 5.0f;
    Material_Settings random_glass;  // a mode beyond 2 with transparency: random colours, blended
    random_glass.mode = 5;
    random_glass.transparency = 30;
    random_glass.two_sided = true;
    scene.Add_Object("flat glass", &scene.Add_Mesh(Pane(1.6f, 1.8f, kit.Flat({80, 160, 255}, 50, true))),
                     At(-5, 0.9f, middle));
    scene.Add_Object("random glass", &scene.Add_Mesh(Pane(1.6f, 1.8f, &scene.Add_Material(random_glass), 2)),
                     At(-3, 0.9f, middle));
    scene.Add_Object("lit glass", &scene.Add_Mesh(Sphere(0.8f, 18, 10, kit.Lit({80, 230, 120}, 50))),
                     At(-1, 0.8f, middle));
    scene.Add_Object("map glass", &scene.Add_Mesh(Pane(1.6f, 1.8f, kit.Mapped(kit.crate, 50, 0, true))),
                     At(1, 0.9f, middle));
    scene.Add_Object("keyed", &scene.Add_Mesh(Pane(1.6f, 1.8f, kit.Mapped(kit.fence, 0, 1, true))),
                     At(3, 0.9f, middle));
    scene.Add_Object("keyed glass", &scene.Add_Mesh(Pane(1.6f, 1.8f, kit.Mapped(kit.fence, 50, 1, true))),
                     At(5, 0.9f, middle));

    // Front row: lit palette glass and fences, additive glows, a square.
    const float front = 1.5f;
    scene.Add_Object("lit palette glass",
                     &scene.Add_Mesh(Box({1.1f, 1.1f, 1.1f}, kit.Lit_Mapped(kit.marble, 50, 0, 2))),
                     At(-4.5f, 0.55f, front, 30));
    scene.Add_Object("lit keyed", &scene.Add_Mesh(Pane(1.3f, 1.4f, kit.Lit_Mapped(kit.fence_palette, 0, 1, 1, true))),
                     At(-2.7f, 0.7f, front));
    scene.Add_Object("lit keyed glass",
                     &scene.Add_Mesh(Pane(1.3f, 1.4f, kit.Lit_Mapped(kit.fence_palette, 50, 1, 1, true))),
                     At(-0.9f, 0.7f, front));
    scene.Add_Object("additive", &scene.Add_Mesh(Pane(1.4f, 1.4f, kit.Mapped(kit.glow, 0, 2, true))),
                     At(0.9f, 0.8f, front));
    scene.Add_Object("lit additive",
                     &scene.Add_Mesh(Pane(1.4f, 1.4f, kit.Lit_Mapped(kit.glow_palette, 0, 2, 1, true))),
                     At(2.7f, 0.8f, front));
    scene.Add_Object("square", &scene.Add_Mesh(Pane(1.0f, 1.0f, kit.Mapped(kit.glow, 0, 11, true))),
                     At(4.5f, 0.8f, front));
    scene.Add_Object("overlay square", &scene.Add_Mesh(Pane(1.2f, 1.2f, kit.Mapped(kit.rings, 0, 10, true))),
                     At(6.0f, 4.6f, 8.0f));

    // Beside the eye: crosses the near plane and the left screen edge.
    scene.Add_Object("near pillar",
                     &scene.Add_Mesh(Pillar(0.5f, 7.0f, 16, kit.Lit({120, 130, 200}), kit.Lit({120, 130, 200}))),
                     At(-1.1f, 2.5f, -8.3f));
}

namespace {

// A textured box and a floor cut by the near plane and all four screen edges.
void Build_Clipping(Scene& scene, std::int32_t width, std::int32_t height) {
    std::srand(built_in_seed);
    Kit kit(scene);
    Standard_Lights(scene);
    Camera& camera = scene.Get_Camera();
    camera.Set_Viewport({0, 0, width, height});
    camera.Set_Depth_Range(1.0f, 60.0f);
    camera.Look_At({0.0f, 1.5f, -4.0f}, {0.0f, 1.0f, 2.0f});
    scene.Add_Object("floor", &scene.Add_Mesh(Floor(30.0f, 30.0f, 6, 12.0f, kit.Mapped(kit.checker_256))),
                     At(0, 0, 5));
    scene.Add_Object("box", &scene.Add_Mesh(Box({3.0f, 3.0f, 3.0f}, kit.Mapped(kit.crate))), At(0.8f, 1.2f, -1.5f, 35));
    scene.Add_Object("flat box", &scene.Add_Mesh(Box({1.0f, 4.0f, 1.0f}, kit.Flat({230, 80, 80}))),
                     At(-2.2f, 1.0f, 1.5f, 20));
}

// Lit colour and lit palette maps under two lights.
void Build_Lit(Scene& scene, std::int32_t width, std::int32_t height) {
    std::srand(built_in_seed);
    Kit kit(scene);
    Standard_Lights(scene);
    Camera& camera = scene.Get_Camera();
    camera.Set_Viewport({0, 0, width, height});
    camera.Look_At({0.0f, 1.0f, -5.0f}, {0.0f, 0.5f, 0.0f});
    scene.Add_Object("lit", &scene.Add_Mesh(Sphere(1.0f, 24, 14, kit.Lit({230, 200, 60}))), At(-1.2f, 0.6f, 0));
    scene.Add_Object("lit map", &scene.Add_Mesh(Sphere(1.0f, 24, 14, kit.Lit_Mapped(kit.marble))), At(1.2f, 0.6f, 0));
    scene.Add_Object("floor", &scene.Add_Mesh(Floor(8.0f, 8.0f, 2, 4.0f, kit.Lit_Mapped(kit.stone_256))),
                     At(0, -0.5f, 1));
}

// Overlapping translucent faces of several kinds, drawn far to near.
void Build_Translucent(Scene& scene, std::int32_t width, std::int32_t height) {
    std::srand(built_in_seed);
    Kit kit(scene);
    Standard_Lights(scene);
    Camera& camera = scene.Get_Camera();
    camera.Set_Viewport({0, 0, width, height});
    camera.Look_At({0.0f, 0.0f, -5.0f}, {0.0f, 0.0f, 0.0f});
    scene.Add_Object("back", &scene.Add_Mesh(Pane(12.0f, 8.0f, kit.Mapped(kit.bricks), 2, 4.0f)), At(0, 0, 4));
    scene.Add_Object("blue glass", &scene.Add_Mesh(Pane(2.0f, 2.0f, kit.Flat({60, 120, 255}, 50, true))),
                     At(-0.8f, 0.4f, 1.0f));
    scene.Add_Object("crate glass", &scene.Add_Mesh(Pane(2.0f, 2.0f, kit.Mapped(kit.crate, 50, 0, true))),
                     At(0.3f, -0.2f, 0.5f));
    scene.Add_Object("lit glass", &scene.Add_Mesh(Sphere(0.9f, 16, 10, kit.Lit({240, 80, 200}, 50))),
                     At(1.2f, 0.5f, 1.5f));
    scene.Add_Object("glow", &scene.Add_Mesh(Pane(1.8f, 1.8f, kit.Mapped(kit.glow, 0, 2, true))), At(-0.5f, -0.6f, 0.0f));
    scene.Add_Object("fence", &scene.Add_Mesh(Pane(3.0f, 1.2f, kit.Mapped(kit.fence, 0, 1, true))), At(0.0f, -1.2f, -0.5f));
}

// A group whose own geometry is out of view while a member is in view, and
// two instances of one object.
void Build_Group(Scene& scene, std::int32_t width, std::int32_t height) {
    std::srand(built_in_seed);
    Kit kit(scene);
    Standard_Lights(scene);
    Camera& camera = scene.Get_Camera();
    camera.Set_Viewport({0, 0, width, height});
    camera.Look_At({0.0f, 1.0f, -6.0f}, {0.0f, 0.5f, 0.0f});
    scene.Add_Object("floor", &scene.Add_Mesh(Floor(12.0f, 12.0f, 2, 6.0f, kit.Mapped(kit.checker_256))), At(0, 0, 2));
    // The hub sits far off to the left; its member reaches into the view.
    Scene_Object& group = scene.Add_Group("group", &scene.Add_Mesh(Box({1, 1, 1}, kit.Flat({200, 200, 200}))),
                                          At(-14.0f, 0.5f, 0.0f));
    scene.Add_Member("member", &scene.Add_Mesh(Sphere(0.7f, 16, 10, kit.Lit({240, 120, 40}))), At(13.0f, 0.3f, 0.0f),
                     group);
    Scene_Object& original =
        scene.Add_Object("original", &scene.Add_Mesh(Box({0.8f, 0.8f, 0.8f}, kit.Mapped(kit.crate))), At(1.5f, 0.4f, 0, 20));
    scene.Add_Instance("instance", original, At(2.6f, 0.4f, 1.2f, -25));
    scene.Add_Instance("instance high", original, At(2.0f, 1.6f, 0.6f, 45, 0.6f));
}

}  // namespace

const std::vector<Built_In_Scene>& Built_In_Scenes() {
    static const std::vector<Built_In_Scene> scenes = {
        {"showcase", Build_Showcase, 640, 480, "every render state side by side"},
        {"clipping", Build_Clipping, 320, 240, "near plane and all four screen edges"},
        {"lit", Build_Lit, 320, 240, "lit colour and lit palette maps"},
        {"translucent", Build_Translucent, 320, 240, "translucent faces drawn far to near"},
        {"group", Build_Group, 320, 240, "group drawn for its member; instances"},
    };
    return scenes;
}

const Built_In_Scene* Find_Built_In_Scene(const std::string& name) {
    for (const Built_In_Scene& scene : Built_In_Scenes())
        if (name == scene.name) return &scene;
    return nullptr;
}

}  // namespace quorvel_host
