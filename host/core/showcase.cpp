// The showcase and the focused golden scenes.
//
// Showcase layout, seen from above and behind: a checkered floor running
// from behind the eye (it crosses the near plane) to a brick wall wider than
// the view (it crosses the screen edges), and four rows of five samples,
// farther rows built larger so that all read about the same size:
//   back:   flat, random colour, lit colour, lit palette map, a spinning
//           group object with its members;
//   second: palette map at full light, 16-bit map, flat glass, random
//           glass, lit glass;
//   third:  16-bit map glass, keyed fence, keyed glass fence, lit palette
//           glass, lit keyed fence;
//   front:  lit keyed glass fence, additive glow, lit additive glow, a
//           square, an overlay square.
// A lit rail at the viewer's feet crosses the near plane and two screen edges.
#include "core/showcase.h"

#include <cstdlib>

#include "core/shapes.h"
#include "core/textures.h"

namespace quorvel_host {

namespace {

// Maps and materials the scenes share.
struct Kit {
    Scene& scene;
    Map* checker_256 = nullptr;    // 16-bit, the 256 x 256 loops
    Map* bricks = nullptr;         // 16-bit, 128 x 64: general addressing
    Map* crate = nullptr;          // 16-bit, 64 x 64
    Map* fence = nullptr;          // 16-bit with colour key
    Map* glow = nullptr;           // 16-bit, black rim
    Map* rings = nullptr;          // 16-bit with colour key
    Map* badge = nullptr;          // 16-bit, opaque: overlay squares draw every texel
    Map* stone_256 = nullptr;      // palette, 256 x 256
    Map* marble = nullptr;         // palette, 128 x 128
    Map* fence_palette = nullptr;  // palette with index 0 holes
    Map* glow_palette = nullptr;   // palette

    explicit Kit(Scene& s) : scene(s) {
        const std::int32_t depth = s.Pixel_Depth();
        checker_256 = s.Add_Map(Map::Texels_16(Checker_Tiles(256), depth));
        bricks = s.Add_Map(Map::Texels_16(Red_Bricks(), depth, {1, 0.25f}));
        crate = s.Add_Map(Map::Texels_16(Checker(64, 2, {214, 170, 90}, {150, 100, 40}), depth));
        fence = s.Add_Map(Map::Texels_16(Grey_Fence(64), depth, {2, 2}));
        glow = s.Add_Map(Map::Texels_16(Orange_Glow(64), depth));
        rings = s.Add_Map(Map::Texels_16(Rings(64, {40, 220, 120}), depth));
        Image badge_image = Rings(64, {250, 210, 60});
        for (Rgba& p : badge_image.pixels)
            if (p.a < 128) p = {30, 40, 90, 255};
        badge = s.Add_Map(Map::Texels_16(badge_image, depth));
        stone_256 = s.Add_Map(Map::Palette(Quantise(Stone(256)), {2, 1}));
        marble = s.Add_Map(Map::Palette(Quantise(Blue_Marble(128))));
        fence_palette = s.Add_Map(Map::Palette(Quantise(Brass_Fence(64)), {2, 2}));
        glow_palette = s.Add_Map(Map::Palette(Quantise(Blue_Glow(64))));
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

Transform At(float x, float y, float z, float yaw = 0.0f, float scale = 1.0f) {
    return Place({x, y, z}, Rotation_Degrees(yaw, 0.0f), scale);
}

}  // namespace

void Add_Standard_Lights(Scene& scene) {
    scene.Set_Ambient(standard_ambient);
    scene.Add_Light(key_light);
    scene.Add_Light(fill_light);
}

Image Checker_Tiles(std::int32_t size) { return Checker(size, 8, {230, 226, 210}, {70, 90, 120}); }
Image Red_Bricks() { return Bricks(128, 64, {178, 82, 52}, {205, 200, 190}); }
Image Grey_Fence(std::int32_t size) { return Fence(size, {140, 150, 160}); }
Image Brass_Fence(std::int32_t size) { return Fence(size, {200, 170, 60}); }
Image Orange_Glow(std::int32_t size) { return Glow(size, {255, 170, 60}); }
Image Blue_Glow(std::int32_t size) { return Glow(size, {90, 160, 255}); }
Image Stone(std::int32_t size) { return Noise(size, {70, 60, 50}, {220, 200, 170}, 7); }
Image Blue_Marble(std::int32_t size) { return Noise(size, {30, 60, 130}, {200, 225, 255}, 11); }

void Build_Showcase(Scene& scene, std::int32_t width, std::int32_t height) {
    std::srand(built_in_seed);
    Kit kit(scene);
    Add_Standard_Lights(scene);
    Camera& camera = scene.Get_Camera();
    camera.Set_Viewport({0, 0, width, height});
    camera.Set_Field_Of_View(55.0f);
    camera.Set_Depth_Range(0.5f, 200.0f);
    camera.Look_At({0.0f, 8.0f, -7.5f}, {0.0f, 0.0f, 4.6f});

    // Floor from behind the eye to beyond the wall; wall wider than the view.
    scene.Add_Object("floor", &scene.Add_Mesh(Floor(60.0f, 50.0f, 10, 7.5f, kit.Mapped(kit.checker_256))), At(0, 0, 5));
    scene.Add_Object("wall", &scene.Add_Mesh(Pane(48.0f, 12.0f, kit.Mapped(kit.bricks), 6, 8.0f)), At(0, 6, 15));

    // Four rows of five, far to near; farther rows are built larger so that
    // every sample reads about the same size on the screen.
    const float row_z[4] = {12.0f, 7.8f, 3.9f, 0.3f};
    const float row_scale[4] = {1.35f, 1.15f, 0.95f, 0.8f};
    const auto slot = [&](int row, int column, float lift = 0.0f, float yaw = 0.0f) {
        const float x = (float(column) - 2.0f) * 2.5f * row_scale[row];
        return At(x, lift * row_scale[row], row_z[row], yaw, row_scale[row]);
    };
    Material_Settings random_colour;  // transparency 30 in mode 0 matches no row: random colours
    random_colour.transparency = 30;
    Material_Settings random_glass;  // a mode beyond 2 with transparency: random colours, blended
    random_glass.mode = 5;
    random_glass.transparency = 30;
    random_glass.two_sided = true;
    Material_Settings palette_full_light;  // mode 0 with a palette map: the brightest shade row
    palette_full_light.map = kit.marble;
    const Vec3 cube{1.3f, 1.3f, 1.3f};

    // Back row: opaque colour states and the group.
    scene.Add_Object("flat", &scene.Add_Mesh(Box(cube, kit.Flat({240, 140, 40}))), slot(0, 0, 0.65f, 30));
    scene.Add_Object("random", &scene.Add_Mesh(Box(cube, &scene.Add_Material(random_colour))), slot(0, 1, 0.65f, 30));
    scene.Add_Object("lit", &scene.Add_Mesh(Sphere(0.8f, 20, 12, kit.Lit({220, 50, 50}))), slot(0, 2, 0.8f));
    scene.Add_Object("lit palette map", &scene.Add_Mesh(Sphere(0.8f, 20, 12, kit.Lit_Mapped(kit.stone_256))),
                     slot(0, 3, 0.8f));
    // A group: a hub with members around it, one member carrying another.
    Scene_Object& group =
        scene.Add_Group("group", &scene.Add_Mesh(Sphere(0.4f, 14, 8, kit.Lit({230, 230, 240}))), slot(0, 4, 1.0f));
    group.spin.degrees_per_second = 40.0f;
    Mesh& ball = scene.Add_Mesh(Sphere(0.22f, 10, 6, kit.Lit({60, 200, 90})));
    scene.Add_Member("member a", &ball, At(0.7f, 0.0f, 0.0f), group);
    Scene_Object& member_b = scene.Add_Member("member b", &ball, At(-0.35f, 0.0f, 0.6f), group);
    scene.Add_Member("member b child", &scene.Add_Mesh(Sphere(0.14f, 8, 5, kit.Lit({250, 220, 60}))),
                     At(0.0f, 0.4f, 0.0f), member_b);
    scene.Add_Member("member c", &ball, At(-0.35f, 0.0f, -0.6f), group);

    // Second row: maps, then the first glass.
    scene.Add_Object("palette map", &scene.Add_Mesh(Box(cube, &scene.Add_Material(palette_full_light))),
                     slot(1, 0, 0.65f, 30));
    scene.Add_Object("map", &scene.Add_Mesh(Box(cube, kit.Mapped(kit.crate))), slot(1, 1, 0.65f, 30));
    scene.Add_Object("flat glass", &scene.Add_Mesh(Pane(1.5f, 1.6f, kit.Flat({80, 160, 255}, 50, true))),
                     slot(1, 2, 0.8f));
    scene.Add_Object("random glass", &scene.Add_Mesh(Pane(1.5f, 1.6f, &scene.Add_Material(random_glass), 2)),
                     slot(1, 3, 0.8f));
    scene.Add_Object("lit glass", &scene.Add_Mesh(Sphere(0.75f, 18, 10, kit.Lit({80, 230, 120}, 50))),
                     slot(1, 4, 0.75f));

    // Third row: mapped glass and fences.
    scene.Add_Object("map glass", &scene.Add_Mesh(Pane(1.5f, 1.6f, kit.Mapped(kit.crate, 50, 0, true))),
                     slot(2, 0, 0.8f));
    scene.Add_Object("keyed", &scene.Add_Mesh(Pane(1.5f, 1.6f, kit.Mapped(kit.fence, 0, 1, true))), slot(2, 1, 0.8f));
    scene.Add_Object("keyed glass", &scene.Add_Mesh(Pane(1.5f, 1.6f, kit.Mapped(kit.fence, 50, 1, true))),
                     slot(2, 2, 0.8f));
    scene.Add_Object("lit palette glass", &scene.Add_Mesh(Box(cube, kit.Lit_Mapped(kit.marble, 50, 0, 2))),
                     slot(2, 3, 0.65f, 30));
    scene.Add_Object("lit keyed", &scene.Add_Mesh(Pane(1.5f, 1.6f, kit.Lit_Mapped(kit.fence_palette, 0, 1, 1, true))),
                     slot(2, 4, 0.8f));

    // Front row: lit keyed glass, additive glows and a square.
    scene.Add_Object("lit keyed glass",
                     &scene.Add_Mesh(Pane(1.5f, 1.6f, kit.Lit_Mapped(kit.fence_palette, 50, 1, 1, true))),
                     slot(3, 0, 0.8f));
    scene.Add_Object("additive", &scene.Add_Mesh(Pane(1.6f, 1.6f, kit.Mapped(kit.glow, 0, 2, true))), slot(3, 1, 0.8f));
    scene.Add_Object("lit additive", &scene.Add_Mesh(Pane(1.6f, 1.6f, kit.Lit_Mapped(kit.glow_palette, 0, 2, 1, true))),
                     slot(3, 2, 0.8f));
    scene.Add_Object("square", &scene.Add_Mesh(Pane(1.2f, 1.2f, kit.Mapped(kit.glow, 0, 11, true))), slot(3, 3, 0.8f));
    // The overlay square is drawn over everything, here over the floor.
    scene.Add_Object("overlay square", &scene.Add_Mesh(Pane(1.2f, 1.2f, kit.Mapped(kit.badge, 0, 10, true))),
                     slot(3, 4, 0.8f));

    // A rail at the viewer's feet: it runs from behind the eye (through the
    // near plane) across the bottom of the view and out past the right edge.
    scene.Add_Object("rail", &scene.Add_Mesh(Box({16.0f, 0.35f, 0.35f}, kit.Lit({120, 130, 200}))),
                     At(1.5f, 5.3f, -5.8f, -28.0f));
}

namespace {

// A textured box and a floor cut by the near plane and all four screen edges.
void Build_Clipping(Scene& scene, std::int32_t width, std::int32_t height) {
    std::srand(built_in_seed);
    Kit kit(scene);
    Add_Standard_Lights(scene);
    Camera& camera = scene.Get_Camera();
    camera.Set_Viewport({0, 0, width, height});
    camera.Set_Depth_Range(1.0f, 60.0f);
    camera.Look_At({0.0f, 1.5f, -4.0f}, {0.0f, 1.0f, 2.0f});
    scene.Add_Object("floor", &scene.Add_Mesh(Floor(30.0f, 30.0f, 6, 3.75f, kit.Mapped(kit.checker_256))), At(0, 0, 5));
    scene.Add_Object("box", &scene.Add_Mesh(Box({2.0f, 2.0f, 2.0f}, kit.Mapped(kit.crate))), At(1.9f, 1.0f, -1.9f, 35));
    scene.Add_Object("flat box", &scene.Add_Mesh(Box({1.0f, 7.0f, 1.0f}, kit.Flat({230, 80, 80}))),
                     At(-2.2f, 2.5f, 1.5f, 20));
}

// Lit colour and lit palette maps under two lights.
void Build_Lit(Scene& scene, std::int32_t width, std::int32_t height) {
    std::srand(built_in_seed);
    Kit kit(scene);
    Add_Standard_Lights(scene);
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
    Add_Standard_Lights(scene);
    Camera& camera = scene.Get_Camera();
    camera.Set_Viewport({0, 0, width, height});
    camera.Look_At({0.0f, 0.0f, -5.0f}, {0.0f, 0.0f, 0.0f});
    scene.Add_Object("back", &scene.Add_Mesh(Pane(16.0f, 12.0f, kit.Mapped(kit.bricks), 2, 4.0f)), At(0, 0, 4));
    scene.Add_Object("blue glass", &scene.Add_Mesh(Pane(2.0f, 2.0f, kit.Flat({60, 120, 255}, 50, true))),
                     At(-0.8f, 0.4f, 1.0f));
    scene.Add_Object("crate glass", &scene.Add_Mesh(Pane(2.0f, 2.0f, kit.Mapped(kit.crate, 50, 0, true))),
                     At(0.3f, -0.2f, 0.5f));
    scene.Add_Object("lit glass", &scene.Add_Mesh(Sphere(0.9f, 16, 10, kit.Lit({240, 80, 200}, 50))),
                     At(1.2f, 0.5f, 1.5f));
    scene.Add_Object("glow", &scene.Add_Mesh(Pane(1.8f, 1.8f, kit.Mapped(kit.glow, 0, 2, true))),
                     At(-0.5f, -0.6f, 0.0f));
    scene.Add_Object("fence", &scene.Add_Mesh(Pane(3.0f, 1.2f, kit.Mapped(kit.fence, 0, 1, true))),
                     At(0.0f, -1.2f, -0.5f));
}

// A group whose own geometry is out of view while a member is in view, and
// two instances of one object.
void Build_Group(Scene& scene, std::int32_t width, std::int32_t height) {
    std::srand(built_in_seed);
    Kit kit(scene);
    Add_Standard_Lights(scene);
    Camera& camera = scene.Get_Camera();
    camera.Set_Viewport({0, 0, width, height});
    camera.Look_At({0.0f, 1.0f, -6.0f}, {0.0f, 0.5f, 0.0f});
    scene.Add_Object("floor", &scene.Add_Mesh(Floor(12.0f, 12.0f, 2, 1.5f, kit.Mapped(kit.checker_256))), At(0, 0, 2));
    // The hub sits far off to the left; its member reaches into the view.
    Scene_Object& group =
        scene.Add_Group("group", &scene.Add_Mesh(Box({1, 1, 1}, kit.Flat({200, 200, 200}))), At(-14.0f, 0.5f, 0.0f));
    scene.Add_Member("member", &scene.Add_Mesh(Sphere(0.7f, 16, 10, kit.Lit({240, 120, 40}))), At(13.0f, 0.3f, 0.0f),
                     group);
    Scene_Object& original = scene.Add_Object(
        "original", &scene.Add_Mesh(Box({0.8f, 0.8f, 0.8f}, kit.Mapped(kit.crate))), At(1.5f, 0.4f, 0, 20));
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
