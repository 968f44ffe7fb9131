// The contract breaks the library refuses cheaply (one test per face or per
// call): each scene changes a record from a host callback in the middle of a
// frame, or picks on a scene without a camera record. The raw host checks
// the guard band, the results and every block; a null read would crash.
#include <gtest/gtest.h>

#include "fuzz/support/seed_scenes.h"

namespace {

using namespace quorvel_fuzz;

std::vector<std::string> Failures_Of(const std::vector<std::uint8_t>& bytes) {
    Raw_Scene scene(bytes.data(), bytes.size());
    scene.Run();
    return scene.Failures();
}

constexpr std::uint8_t mapped = 4, square_overlay = 11, gouraud_mapped = 14;

// Overlay runs are bounded by the vertices setup clamped into the viewport of
// that moment; op9 of a later object shrinks the viewport to 20..30.
TEST(Host_Contract, Overlay_Square_Set_Up_Before_The_Viewport_Shrank_Writes_Nothing_Outside) {
    const Mutation shrink = Mutation(Mutation_Viewport + Mutation_Count * 1);
    EXPECT_EQ(Failures_Of(Broken_Host_Scene(square_overlay, shrink)), std::vector<std::string>{});
}

TEST(Host_Contract, Mapped_Faces_Whose_Material_Lost_Its_Map_Or_Image_Draw_Nothing) {
    for (std::uint8_t material : {mapped, gouraud_mapped, square_overlay})
        for (Mutation loss : {Mutation_No_Map, Mutation_No_Image})
            EXPECT_EQ(Failures_Of(Broken_Host_Scene(material, loss)), std::vector<std::string>{})
                << int(material) << " " << loss;
}

TEST(Host_Contract, Pick_On_A_Scene_Without_Camera_Record_Is_A_Miss) {
    Scene_Writer w;
    w.Header(0).Camera(64, {{0, 0, 64, 48}}, 1, 100);
    Standard_Images(Standard_Geometry(w)).Materials({{0, 3}});
    w.Objects({{.parent = 0, .faces = Standard_Faces(0)}});
    w.Drop_Camera(true).Pick(32, 24).Pick(32, 24);
    Raw_Scene scene(w.bytes.data(), w.bytes.size());
    scene.Run();
    EXPECT_EQ(scene.Failures(), std::vector<std::string>{});
    ASSERT_EQ(scene.Events().size(), 2u);
    EXPECT_EQ(scene.Events()[0].result, -1);  // the miss
    EXPECT_EQ(scene.Events()[1].result, 2);   // with the record back: the fan, nearest at the centre
}

}  // namespace
