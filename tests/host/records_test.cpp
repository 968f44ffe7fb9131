// The host writes the words the library reads where the library reads them.
// On the 32-bit build the offsets are the fixed ones of the module's
// interface, spelled out here as numbers; on x86-64 the same records take the
// natural layout and the checks use the header's offsets.
#include <gtest/gtest.h>

#include <cstddef>
#include <cstring>

#include "core/scene.h"
#include "core/shapes.h"
#include "core/textures.h"

namespace quorvel_host {
namespace {

constexpr bool narrow = sizeof(void*) == 4;

// The interface offset on 32-bit, the header's on 64-bit.
constexpr std::size_t At(std::size_t offset_32, std::size_t offset_here) { return narrow ? offset_32 : offset_here; }

template <class T>
T Read(const void* record, std::size_t offset) {
    T value;
    std::memcpy(&value, static_cast<const unsigned char*>(record) + offset, sizeof value);
    return value;
}

TEST(Records, Material_Map_And_Image_Words_Sit_At_Their_Offsets) {
    Scene scene({15, false});
    Image image(64, 32, Rgba{255, 0, 0, 255});
    image.At(3, 3).a = 0;  // one hole: the map gets a colour key
    Map* map = scene.Add_Map(Map::Texels_16(image, 15, {2.0f, 1.0f}));
    Material_Settings settings;
    settings.colour = {0, 255, 0};
    settings.ambient = {1, 2, 3};
    settings.transparency = 50;
    settings.kind = 1;
    settings.shininess = 40;
    settings.map = map;
    Material& material = scene.Add_Material(settings);
    const Host_Material* m = material.Record();
    EXPECT_EQ(Read<std::int32_t>(m, 76), 50);
    EXPECT_EQ(Read<std::int32_t>(m, 80), 1);
    EXPECT_EQ(Read<std::int32_t>(m, 68), 40);
    EXPECT_EQ(Read<std::uint8_t>(m, 44), 1);
    EXPECT_EQ(Read<std::uint8_t>(m, 46), 3);
    EXPECT_EQ(Read<std::uint16_t>(m, 54), 0x03E0);  // pure green in 555
    EXPECT_EQ(Read<Host_Map*>(m, At(92, offsetof(Host_Material, map))), map->Record());
    // The library recomputed the flags into the host's word: mapped, keyed, half blend.
    const auto* flags = Read<std::uint32_t*>(m, At(108, offsetof(Host_Material, render_flags)));
    ASSERT_NE(flags, nullptr);
    EXPECT_EQ(*flags, 0x007u);
    EXPECT_NE(Read<void*>(m, At(112, offsetof(Host_Material, render_data))), nullptr);

    const Host_Map* r = map->Record();
    EXPECT_EQ(Read<std::uint8_t>(r, 51), 0);
    const std::uint16_t key = Read<std::uint16_t>(r, 52);
    EXPECT_NE(key, 0x7C00);  // no opaque texel (red) shares the key
    const auto* i = Read<const Map_Image*>(r, At(56, offsetof(Host_Map, image)));
    ASSERT_EQ(i, map->Image_Record());
    EXPECT_EQ(Read<std::uint32_t>(i, 0), 16u);
    EXPECT_EQ(Read<std::uint32_t>(i, 12), 0u);        // not 256 x 256
    EXPECT_EQ(Read<std::uint32_t>(i, 16), 2047u);     // 64 x 32 - 1
    EXPECT_EQ(Read<std::uint32_t>(i, 20), 6u);        // rows of 64
    EXPECT_EQ(Read<float>(i, 24), 128.0f);            // repeated twice across u
    EXPECT_EQ(Read<float>(i, 28), 32.0f);
    EXPECT_EQ(Read<std::uint16_t>(i, 32), 0x7C00);    // first texel, inline after the header
    EXPECT_EQ(Read<std::uint16_t>(i, 32 + 2 * (3 * 64 + 3)), key);
}

TEST(Records, Palette_Maps_Carry_Their_Palette_Blue_Green_Red) {
    Scene scene;
    Palette_Image image;
    image.width = image.height = 256;
    image.indices.assign(256 * 256, 7);
    image.palette[7] = {10, 20, 30};
    Map* map = scene.Add_Map(Map::Palette(image));
    const Host_Map* r = map->Record();
    const auto* palette = Read<const std::uint8_t*>(r, At(60, offsetof(Host_Map, palette)));
    ASSERT_NE(palette, nullptr);
    EXPECT_EQ(palette[7 * 4 + 0], 30);  // blue
    EXPECT_EQ(palette[7 * 4 + 1], 20);
    EXPECT_EQ(palette[7 * 4 + 2], 10);  // red
    const Map_Image* i = map->Image_Record();
    EXPECT_EQ(Read<std::uint32_t>(i, 0), 8u);
    EXPECT_NE(Read<std::uint32_t>(i, 12), 0u);  // 256 x 256
    EXPECT_EQ(Read<std::uint32_t>(i, 20), 8u);
    EXPECT_EQ(Read<std::uint8_t>(i, 32 + 1000), 7);
}

TEST(Records, Scene_Object_And_Face_Words_Sit_At_Their_Offsets) {
    Scene scene;
    Material& material = scene.Add_Material({});
    Mesh& mesh = scene.Add_Mesh(Box({1, 1, 1}, &material));
    Scene_Object& parent = scene.Add_Group("parent", &mesh, Place({0, 0, 5}));
    Scene_Object& child = scene.Add_Member("child", &mesh, Place({1, 0, 0}), parent);
    Scene_Object& next = scene.Add_Object("next", &mesh, Place({0, 0, 6}));
    scene.Get_Camera().Set_Viewport({0, 0, 320, 240});
    scene.Get_Camera().Prepare(*scene.Record());

    const Host_Scene* s = scene.Record();
    EXPECT_EQ(Read<Host_Object*>(s, 0), &parent.record);
    EXPECT_EQ(Read<void*>(s, At(20, offsetof(Host_Scene, camera_object))), scene.Get_Camera().Object_Record());
    EXPECT_EQ(Read<float>(s, At(28, offsetof(Host_Scene, clip_left))), 0.0f);
    EXPECT_EQ(Read<float>(s, At(44, offsetof(Host_Scene, near_z))), scene.Get_Camera().Near());
    EXPECT_EQ(Read<float>(s, At(48, offsetof(Host_Scene, far_z))), scene.Get_Camera().Far());
    const auto* camera = Read<const float*>(s, At(60, offsetof(Host_Scene, camera)));
    EXPECT_EQ(camera[0], 320.0f);  // clip_right
    EXPECT_EQ(camera[4], 160.0f);  // scale_x
    const auto* camera_object = Read<const std::uint8_t*>(s, At(20, offsetof(Host_Scene, camera_object)));
    EXPECT_NE(Read<void*>(camera_object, At(100, offsetof(Host_Camera_Object, operations))), nullptr);

    const Host_Object* p = &parent.record;
    EXPECT_EQ(Read<Host_Object*>(p, At(36, offsetof(Host_Object, first_child))), &child.record);
    EXPECT_EQ(Read<Host_Object*>(p, At(44, offsetof(Host_Object, next_object))), &next.record);
    EXPECT_EQ(Read<std::uint32_t>(&child.record, At(64, offsetof(Host_Object, group_member))), 1u);
    EXPECT_EQ(Read<std::int32_t>(p, At(84, offsetof(Host_Object, face_count))), 6);
    const auto* info = Read<const std::uint8_t*>(p, At(252, offsetof(Host_Object, info)));
    EXPECT_EQ(Read<std::uint32_t>(info, 0), 1u);  // a group
    const auto* object_class = Read<const std::uint8_t*>(p, At(260, offsetof(Host_Object, object_class)));
    const auto* table = Read<void* const*>(object_class, At(108, offsetof(Host_Class, operations)));
    // Entries keep their numbers on both widths: entry 9 is op9.
    EXPECT_EQ(reinterpret_cast<const void*>(table[9]), reinterpret_cast<const void*>(&operations::Transform_Vertices));
    EXPECT_EQ(reinterpret_cast<const void*>(table[5]), reinterpret_cast<const void*>(&operations::Source));

    const Host_Face* face = Read<Host_Face**>(p, At(88, offsetof(Host_Object, faces)))[0];
    EXPECT_EQ(Read<std::int32_t>(face, 0), 4);
    const auto* indices = Read<const std::uint32_t*>(face, At(4, offsetof(Host_Face, vertex_indices)));
    EXPECT_EQ(indices[0], mesh.Base_Index());
    const auto* uv = Read<const float*>(face, At(8, offsetof(Host_Face, corner_uv)));
    // Corners run backwards from corner 0 (counter-clockwise on the screen):
    // the second is the bottom left one, u 0 and v 1.
    EXPECT_EQ(uv[2], 0.0f);
    EXPECT_EQ(uv[3], 1.0f);
    EXPECT_EQ(Read<Host_Material*>(face, At(16, offsetof(Host_Face, material))), material.Record());
    EXPECT_NE(Read<void*>(face, At(68, offsetof(Host_Face, render_data))), nullptr);
    EXPECT_NE(Read<void*>(face, At(72, offsetof(Host_Face, visibility))), nullptr);
}

}  // namespace
}  // namespace quorvel_host
