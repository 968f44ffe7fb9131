// The showcase promises every render state side by side: each sample must
// land in the row it stands for, and together they must cover all nineteen.
#include <gtest/gtest.h>

#include <map>
#include <set>

#include "core/showcase.h"
#include "interface/interface.h"

namespace quorvel_host {
namespace {

TEST(Showcase, Every_Sample_Selects_Its_Row_And_All_Rows_Appear) {
    const std::map<std::string, Row_Id> expected = {
        {"flat", Row_Flat},
        {"random", Row_Random},
        {"lit", Row_Gouraud},
        {"lit palette map", Row_Gouraud_Mapped},
        {"palette map", Row_Mapped_Palette},
        {"map", Row_Mapped},
        {"flat glass", Row_Flat_Blend},
        {"random glass", Row_Random_Blend},
        {"lit glass", Row_Gouraud_Blend},
        {"map glass", Row_Mapped_Blend},
        {"keyed", Row_Mapped_Keyed},
        {"keyed glass", Row_Mapped_Keyed_Blend},
        {"lit palette glass", Row_Gouraud_Mapped_Blend},
        {"lit keyed", Row_Gouraud_Mapped_Keyed},
        {"lit keyed glass", Row_Gouraud_Mapped_Keyed_Blend},
        {"additive", Row_Mapped_Additive},
        {"lit additive", Row_Gouraud_Mapped_Additive},
        {"square", Row_Square},
        {"overlay square", Row_Square_Overlay},
    };
    for (const std::int32_t depth : {15, 16}) {
        Scene scene({depth, false});
        Build_Showcase(scene, 320, 240);
        std::set<int> seen;
        for (const auto& [name, row] : expected) {
            Scene_Object* object = scene.Find(name);
            ASSERT_NE(object, nullptr) << name;
            ASSERT_GT(object->record.face_count, 0) << name;
            const Host_Material* material = object->record.faces[0]->material;
            ASSERT_NE(material->render_data, nullptr) << name;
            EXPECT_EQ(material->render_data->row, Row(row)) << name << " at depth " << depth;
            seen.insert(row);
        }
        EXPECT_EQ(seen.size(), std::size_t(Row_Count));
    }
}

TEST(Showcase, Built_In_Scenes_Are_Found_By_Name_And_Draw_Something) {
    for (const Built_In_Scene& built_in : Built_In_Scenes()) {
        EXPECT_EQ(Find_Built_In_Scene(built_in.name), &built_in);
        Scene scene;
        built_in.build(scene, built_in.width, built_in.height);
        Frame frame(built_in.width, built_in.height, 16);
        frame.Fill(0);
        EXPECT_GE(scene.Render(frame, 1), 0) << built_in.name;
        std::size_t lit = 0;
        for (std::uint16_t p : frame.pixels) lit += p != 0;
        // Every scene is framed to fill a good part of its view.
        EXPECT_GT(lit, frame.pixels.size() / 4) << built_in.name;
    }
    EXPECT_EQ(Find_Built_In_Scene("no such scene"), nullptr);
}

}  // namespace
}  // namespace quorvel_host
