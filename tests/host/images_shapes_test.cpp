// Pixels, palettes, map layouts and the winding of the built-in shapes.
#include <gtest/gtest.h>

#include <set>

#include "core/image.h"
#include "core/scene_materials.h"
#include "core/shapes.h"
#include "core/textures.h"

namespace quorvel_host {
namespace {

TEST(Pixels, Pack_And_Expand_Both_Formats) {
    EXPECT_EQ(Pack_Pixel({255, 255, 255}, 16), 0xFFFF);
    EXPECT_EQ(Pack_Pixel({255, 255, 255}, 15), 0x7FFF);
    EXPECT_EQ(Pack_Pixel({255, 0, 0}, 16), 0xF800);
    EXPECT_EQ(Pack_Pixel({0, 255, 0}, 16), 0x07E0);
    EXPECT_EQ(Pack_Pixel({0, 255, 0}, 15), 0x03E0);
    EXPECT_EQ(Pack_Pixel({0, 0, 255}, 15), 0x001F);
    // Expansion repeats the top bits: full stays full, mid grey stays near mid.
    EXPECT_EQ(Unpack_Pixel(0xFFFF, 16), (Rgb{255, 255, 255}));
    EXPECT_EQ(Unpack_Pixel(0x7FFF, 15), (Rgb{255, 255, 255}));
    EXPECT_EQ(Unpack_Pixel(0x8410, 16), (Rgb{132, 130, 132}));
    EXPECT_EQ(Unpack_Pixel(0x4210, 15), (Rgb{132, 132, 132}));
    // The top bit of 555 is not a colour.
    EXPECT_EQ(Unpack_Pixel(0x8000, 15), (Rgb{0, 0, 0}));
    // Every 565 value survives expansion and packing again.
    for (std::uint32_t p = 0; p < 65536; ++p) ASSERT_EQ(Pack_Pixel(Unpack_Pixel(std::uint16_t(p), 16), 16), p);
    for (std::uint32_t p = 0; p < 32768; ++p) ASSERT_EQ(Pack_Pixel(Unpack_Pixel(std::uint16_t(p), 15), 15), p);
}

TEST(Palettes, Few_Colours_Are_Kept_Exactly_And_Holes_Take_Index_0) {
    Image image(16, 16, Rgba{10, 20, 30, 255});
    image.At(1, 0) = {200, 0, 0, 255};
    image.At(2, 0) = {0, 200, 0, 255};
    image.At(3, 0) = {0, 0, 0, 10};  // transparent
    const Palette_Image p = Quantise(image);
    EXPECT_TRUE(p.has_transparent);
    EXPECT_EQ(p.indices[3], transparent_index);
    for (std::int32_t i = 0; i < 256; ++i) {
        if (i == 3) continue;
        const Rgba& c = image.pixels[std::size_t(i)];
        ASSERT_NE(p.indices[std::size_t(i)], transparent_index);
        EXPECT_EQ(p.palette[p.indices[std::size_t(i)]], (Rgb{c.r, c.g, c.b}));
    }
}

TEST(Palettes, Many_Colours_Fit_In_255_Entries_Close_To_The_Originals) {
    Image image(64, 64);
    for (std::int32_t y = 0; y < 64; ++y)
        for (std::int32_t x = 0; x < 64; ++x) image.At(x, y) = {std::uint8_t(x * 4), std::uint8_t(y * 4), 128, 255};
    const Palette_Image p = Quantise(image);
    std::set<std::uint8_t> used(p.indices.begin(), p.indices.end());
    EXPECT_LE(used.size(), 255u);
    EXPECT_EQ(used.count(transparent_index), 0u);
    int worst = 0;
    for (std::size_t i = 0; i < image.pixels.size(); ++i) {
        const Rgb q = p.palette[p.indices[i]];
        worst = std::max({worst, std::abs(q.r - image.pixels[i].r), std::abs(q.g - image.pixels[i].g)});
    }
    // 4096 colours in 255 boxes: about 16 x 16 cells of the 256-wide square.
    EXPECT_LE(worst, 24);
}

TEST(Maps, Power_Of_Two_Sides_Only) {
    EXPECT_EQ(Map::Texels_16(Image(48, 32), 16), nullptr);
    EXPECT_EQ(Map::Texels_16(Image(8192, 2), 16), nullptr);
    EXPECT_NE(Map::Texels_16(Image(1, 1), 16), nullptr);
    const auto wide = Map::Texels_16(Image(512, 2), 16);
    ASSERT_NE(wide, nullptr);
    EXPECT_EQ(wide->Image_Record()->width_shift, 9u);
    EXPECT_EQ(wide->Image_Record()->index_mask, 1023u);
    EXPECT_EQ(wide->Image_Record()->is_256x256, 0u);
    EXPECT_NE(Map::Texels_16(Image(256, 256), 16)->Image_Record()->is_256x256, 0u);
    EXPECT_EQ(Map::Texels_16(Image(256, 128), 16)->Image_Record()->is_256x256, 0u);
}

TEST(Maps, The_Colour_Key_Differs_From_Every_Opaque_Texel) {
    // An image already holding the customary key colour pushes the key elsewhere.
    Image image(4, 4, Rgba{255, 0, 255, 255});
    image.At(0, 0).a = 0;
    const auto map = Map::Texels_16(image, 16);
    const std::uint16_t key = map->Record()->colour_key;
    EXPECT_NE(key, Pack_Pixel({255, 0, 255}, 16));
    const std::uint16_t* texels = Map_Texels_16(map->Image_Record());
    EXPECT_EQ(texels[0], key);
    for (int i = 1; i < 16; ++i) EXPECT_NE(texels[i], key);
}

TEST(Maps, Resampling_Picks_The_Nearest_Power_Of_Two) {
    const Image a = Resample_Power_Of_Two(Image(100, 60), 1024);
    EXPECT_EQ(a.width, 128);
    EXPECT_EQ(a.height, 64);
    const Image b = Resample_Power_Of_Two(Image(3000, 5), 256);
    EXPECT_EQ(b.width, 256);
    EXPECT_EQ(b.height, 4);
}

// Every face's normal must point away from the shape's inside: a wrong
// winding would be culled when it faces the camera.
void Expect_Outward(const Mesh_Data& data, Vec3 inside, const char* shape) {
    for (std::size_t f = 0; f < data.faces.size(); ++f) {
        const Mesh_Face& face = data.faces[f];
        Vec3 centre;
        for (const Mesh_Corner& c : face.corners) centre = centre + data.positions[c.vertex];
        centre = centre * (1.0f / float(face.corners.size()));
        EXPECT_GT(Dot(Polygon_Normal(data.positions, face.corners), centre - inside), 0.0f) << shape << " face " << f;
    }
}

TEST(Shapes, Faces_Wind_Clockwise_Seen_From_Outside) {
    Material* material = nullptr;
    Expect_Outward(Box({1, 2, 3}, material), {}, "box");
    Expect_Outward(Sphere(1, 10, 6, material), {}, "sphere");
    Expect_Outward(Pillar(1, 2, 7, material, material), {}, "pillar");
    Expect_Outward(Floor(4, 4, 3, 1, material), {0, -1, 0}, "floor");
    Expect_Outward(Pane(2, 2, material, 2), {0, 0, 1}, "pane");
    // Clockwise from the front in the left-handed world: a pane faces -z.
    const Mesh_Data pane = Pane(2, 2, material);
    EXPECT_LT(Polygon_Normal(pane.positions, pane.faces[0].corners).z, 0.0f);
}

}  // namespace
}  // namespace quorvel_host
