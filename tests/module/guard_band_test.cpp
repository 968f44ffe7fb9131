// Whole frames of random scenes through the export and the host engine:
// faces in every render state crossing the near and far planes and all
// four screen edges, some vertices with outcodes that lie, host memory that
// fails now and then, drawn into a frame larger than the viewport whose
// pixels outside it hold a pattern that must survive every frame.
#include <gtest/gtest.h>

#include <random>

#include "core/showcase.h"
#include "support/recording_memory.h"

namespace {

using namespace quorvel_host;
using quorvel_test::Memory;

std::mt19937 random_source(2026);
float Spread() { return std::uniform_real_distribution<float>(-12.0f, 12.0f)(random_source); }
std::uint16_t Pattern(std::size_t i) { return static_cast<std::uint16_t>(i * 40503u + 7); }

// op9 as the host does it, then one vertex in eight of the mesh gets a random outcode.
void QUORVEL_CDECL Lying_Transform(Host_Object* source, Host_Object* object, Host_Scene* scene) {
    operations::Transform_Vertices(source, object, scene);
    const Scene_Object& drawn = *reinterpret_cast<Scene_Object*>(source);
    for (std::uint32_t i = drawn.mesh->Base_Index(); i < drawn.mesh->Base_Index() + drawn.mesh->Vertex_Count(); ++i)
        if (random_source() % 8 == 0) drawn.scene->Get_Services()->vertex_outcodes[i] = random_source() % 64;
}

TEST(Guard_Band, Random_Scenes_Write_Nothing_Outside_The_Viewport) {
    Scene scene({.pixel_depth = 16, .memory = quorvel_test::Recording_Memory()});
    Build_Showcase(scene, 64, 48);  // a material for every render state
    Mesh_Data cloud;                // polygons of 3 to 6 corners, up to 24 units across
    for (std::uint32_t i = 0; i < 500; ++i) {
        Mesh_Face& face =
            cloud.faces.emplace_back(Mesh_Face{{}, scene.Materials()[i % scene.Materials().size()].get()});
        const Vec3 centre{Spread(), Spread(), Spread()};
        for (std::uint32_t k = 0; k < 3 + i % 4; ++k) {
            face.corners.push_back({static_cast<std::uint32_t>(cloud.positions.size()), k * 0.3f, k * 0.7f});
            cloud.positions.push_back(
                {centre.x + Spread() * (i % 3) / 2, centre.y + Spread() / 2, centre.z + Spread() * (i % 2)});
        }
    }
    Scene_Object& liar = scene.Add_Object("cloud", &scene.Add_Mesh(cloud), Place({0, 0, 0}));
    Host_Object_Operations lying = *liar.record.object_class->operations;
    lying.transform = Lying_Transform;
    Host_Class lying_class{.operations = &lying};
    liar.record.object_class = &lying_class;

    Frame frame(101, 83, 16);
    for (int round = 0; round < 40; ++round) {
        // A new viewport every frame (read after the camera is prepared);
        // the first frames grow the pools while allocations fail.
        const Viewport view{1 + int(random_source() % 9), 1 + int(random_source() % 9), 20 + int(random_source() % 70),
                            20 + int(random_source() % 50)};
        scene.Get_Camera().Set_Viewport(view);
        scene.Get_Camera().Set_Depth_Range(0.25f + (random_source() % 4), 4.0f + (random_source() % 30));
        scene.Get_Camera().Look_At({Spread(), Spread(), Spread()}, {Spread(), Spread(), Spread()});
        Memory().fail_per_million = round < 10 ? 200000 : 0;
        for (std::size_t i = 0; i < frame.pixels.size(); ++i) frame.pixels[i] = Pattern(i);
        ASSERT_GE(scene.Render(frame, round % 3 != 0), 0);
        int drawn = 0;
        for (std::size_t i = 0; i < frame.pixels.size(); ++i) {
            const int x = static_cast<int>(i) % frame.width, y = static_cast<int>(i) / frame.width;
            const bool inside = x >= view.x && x < view.x + view.width && y >= view.y && y < view.y + view.height;
            drawn += frame.pixels[i] != Pattern(i);
            ASSERT_TRUE(inside || frame.pixels[i] == Pattern(i)) << "(" << x << ", " << y << "), frame " << round;
        }
        EXPECT_TRUE(round < 10 || drawn > 0) << "nothing drawn in frame " << round;
    }
    // The same frame again allocates nothing.
    const std::size_t calls = Memory().calls.size();
    ASSERT_GE(scene.Render(frame), 0);
    EXPECT_EQ(Memory().calls.size(), calls);
}

// A host whose selection failed after it gave a material another map keeps
// the row chosen for the old one. A 16-bit filler on palette indices would
// read twice the image's texels: the face draws nothing, as with no map.
TEST(Guard_Band, A_Row_Left_On_The_Other_Kind_Of_Image_Draws_Nothing) {
    Scene scene;
    Build_Showcase(scene, 64, 48);
    const auto material_of = [&](const char* name) { return scene.Find(name)->record.faces[0]->material; };
    Host_Material* texels = material_of("keyed glass");
    Host_Material* indices = material_of("lit palette map");
    ASSERT_NE(texels->map->image->format, Map_Format_Palette);
    ASSERT_EQ(indices->map->image->format, Map_Format_Palette);
    Frame drawn(64, 48, 16), swapped(64, 48, 16), without(64, 48, 16);
    scene.Render(drawn);
    Host_Map* own = texels->map;
    texels->map = indices->map;
    scene.Render(swapped);
    texels->map = nullptr;
    scene.Render(without);
    texels->map = own;
    EXPECT_EQ(swapped.pixels, without.pixels);
    EXPECT_NE(drawn.pixels, without.pixels);  // the keyed glass is in view
}

}  // namespace
