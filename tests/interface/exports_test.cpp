// The small exports: private blocks of materials and faces, what their
// releases give back and in which order, the names that do nothing, and the
// release of the frame-wide pools.
#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>

#include "faces/faces.h"
#include "frame/frame.h"
#include "support/library.h"

using quorvel_host::Map;
using quorvel_host::Material;
using quorvel_host::Memory_Call_Kind;

namespace {

using Exports_Test = Library_Test;

TEST_F(Exports_Test, Add_Material_Attaches_A_Zeroed_Block) {
    Material& material = New_Material();
    ASSERT_EQ(Quorvel_Add_Material_Dll(material.Record()), 1);
    added.push_back(material.Record());
    ASSERT_EQ(Log().calls.size(), 1u);
    const quorvel_host::Memory_Call& call = Log().calls[0];
    EXPECT_EQ(call.kind, Memory_Call_Kind::Allocate);
    EXPECT_EQ(call.count, 1u);
    EXPECT_EQ(call.size, sizeof(Material_Render_Data));  // 8 on the 32-bit module
    EXPECT_EQ(static_cast<void*>(material->render_data), call.result);
    EXPECT_EQ(material->render_data->row, nullptr);
    EXPECT_EQ(material->render_data->shade_table, nullptr);
}

TEST_F(Exports_Test, Failed_Material_Block_Leaves_Null_And_Nothing_Else) {
    Material& material = New_Material();
    Material_Render_Data stale{};
    material->render_data = &stale;
    material.Flags() = 0x41;
    Log().fail_call = 1;
    EXPECT_EQ(Quorvel_Add_Material_Dll(material.Record()), 0);
    EXPECT_EQ(material->render_data, nullptr);
    EXPECT_EQ(material.Flags(), 0x41u);
    EXPECT_EQ(Log().calls.size(), 1u);

    // Nothing to select into, release or refill.
    EXPECT_EQ(Quorvel_Set_Material_Render_State_Dll(material.Record(), 1, 0), 0);
    EXPECT_EQ(Quorvel_Get_Material_Render_State_Dll(material.Record()), 0);
    Quorvel_Update_Material_Dll(material.Record());
    Quorvel_Release_Material_Dll(material.Record());
    EXPECT_EQ(Log().calls.size(), 1u);
    EXPECT_EQ(material.Flags(), 0x41u);
}

TEST_F(Exports_Test, Release_Material_Without_A_Table_Releases_One_Block) {
    Material& material = New_Material();
    Host_Material* record = Add(material);
    ASSERT_EQ(Quorvel_Set_Material_Render_State_Dll(record, 0, 0), 1);
    Material_Render_Data* data = record->render_data;
    Log().Reset();
    Release(record);
    ASSERT_EQ(Log().calls.size(), 1u);
    EXPECT_EQ(Log().calls[0].kind, Memory_Call_Kind::Release);
    EXPECT_EQ(Log().calls[0].block, data);
    EXPECT_EQ(record->render_data, data);  // the host's word is left as it was
}

TEST_F(Exports_Test, Release_Material_Gives_Back_The_Table_First) {
    Map map(Map_Format_Palette, 2, 4);
    for (std::uint32_t flags : {0x000u, 0x001u}) {  // both table sizes
        Material& material = New_Material();
        material.Set_Map(&map);
        Host_Material* record = Add(material);
        ASSERT_EQ(Quorvel_Set_Material_Render_State_Dll(record, 1, flags), 1);
        Material_Render_Data* data = record->render_data;
        std::uint32_t* table = data->shade_table;
        ASSERT_NE(table, nullptr);
        Log().Reset();
        Release(record);
        ASSERT_EQ(Log().calls.size(), 2u);
        EXPECT_EQ(Log().calls[0].block, table);
        EXPECT_EQ(Log().calls[1].block, data);
        EXPECT_FALSE(Shade_Table_Is_Mapped(table));  // forgotten with the table
    }
}

TEST_F(Exports_Test, Every_Block_Comes_Back) {
    Map map(Map_Format_Palette, 2, 4);
    Log().Reset();
    {
        Material& a = New_Material();
        Material& b = New_Material();
        Material& c = New_Material();
        b.Set_Map(&map);
        Add(a);
        Add(b);
        Add(c);
        ASSERT_EQ(Quorvel_Set_Material_Render_State_Dll(a.Record(), 2, 0), 1);
        ASSERT_EQ(Quorvel_Set_Material_Render_State_Dll(b.Record(), 0, 1), 1);
        ASSERT_EQ(Quorvel_Set_Material_Render_State_Dll(b.Record(), 1, 5), 1);
        EXPECT_EQ(Log().live_blocks, 5);
        for (Host_Material* record : {a.Record(), b.Record(), c.Record()}) Release(record);
    }
    EXPECT_EQ(Log().live_blocks, 0);
}

TEST_F(Exports_Test, Face_Colour_Is_The_Remainder_Of_Rand) {
    std::srand(12345);
    int expected[8];
    for (int& e : expected) e = std::rand() % 63536;

    std::srand(12345);
    Host_Face faces[8] = {};
    for (int i = 0; i < 8; ++i) {
        ASSERT_EQ(Quorvel_Add_Face_Dll(&faces[i]), 1);
        const quorvel_host::Memory_Call& call = Log().calls.back();
        EXPECT_EQ(call.count, 1u);
        EXPECT_EQ(call.size, 2u);
        EXPECT_EQ(static_cast<void*>(faces[i].render_data), call.result);
        EXPECT_EQ(faces[i].render_data->random_colour, std::uint16_t(expected[i])) << i;
    }
    for (Host_Face& face : faces) Quorvel_Release_Face_Dll(&face);
    EXPECT_EQ(Log().live_blocks, 0);
}

TEST_F(Exports_Test, Failed_Face_Block_Draws_No_Random_Number) {
    std::srand(99);
    const int first = std::rand() % 63536;
    std::srand(99);
    Host_Face face{};
    face.render_data = reinterpret_cast<Face_Render_Data*>(&face);  // stale
    Log().fail_call = 1;
    EXPECT_EQ(Quorvel_Add_Face_Dll(&face), 0);
    EXPECT_EQ(face.render_data, nullptr);
    Quorvel_Release_Face_Dll(&face);
    EXPECT_EQ(Log().Count(Memory_Call_Kind::Release), 0u);

    ASSERT_EQ(Quorvel_Add_Face_Dll(&face), 1);
    EXPECT_EQ(face.render_data->random_colour, std::uint16_t(first));
    Face_Render_Data* data = face.render_data;
    Quorvel_Release_Face_Dll(&face);
    EXPECT_EQ(Log().calls.back().kind, Memory_Call_Kind::Release);
    EXPECT_EQ(Log().calls.back().block, data);
    EXPECT_EQ(face.render_data, data);
}

TEST_F(Exports_Test, Empty_Names_Answer_And_Change_Nothing) {
    Material& material = New_Material();
    Host_Material* record = Add(material);
    ASSERT_EQ(Quorvel_Set_Material_Render_State_Dll(record, 2, 0), 1);
    Log().Reset();
    unsigned char before[sizeof(interface_state.rows)];
    std::memcpy(before, interface_state.rows, sizeof before);

    int junk = 0;
    for (void* argument : {static_cast<void*>(nullptr), static_cast<void*>(&junk), static_cast<void*>(record)}) {
        EXPECT_EQ(Quorvel_Add_Animation_Dll(argument), 1);
        EXPECT_EQ(Quorvel_Add_Camera_Dll(argument), 1);
        EXPECT_EQ(Quorvel_Add_Light_Dll(argument), 1);
        EXPECT_EQ(Quorvel_Add_Light_Map_Dll(argument), 1);
        EXPECT_EQ(Quorvel_Add_Map_Dll(argument), 1);
        EXPECT_EQ(Quorvel_Add_Object_Dll(argument), 1);
        EXPECT_EQ(Quorvel_Add_Spot_Light_Dll(argument), 1);
        Quorvel_Release_Animation_Dll(argument);
        Quorvel_Release_Camera_Dll(argument);
        Quorvel_Release_Light_Dll(argument);
        Quorvel_Release_Light_Map_Dll(argument);
        Quorvel_Release_Map_Dll(argument);
        Quorvel_Release_Object_Dll(argument);
        Quorvel_Release_Render_Dll(argument);
        Quorvel_Release_Spot_Light_Dll(argument);
        Quorvel_Update_Light_Map_Dll(argument);
        Quorvel_Update_Map_Dll(argument);
    }
    EXPECT_EQ(junk, 0);
    EXPECT_EQ(Log().calls.size(), 0u);
    EXPECT_EQ(std::memcmp(before, interface_state.rows, sizeof before), 0);
    EXPECT_EQ(Quorvel_Get_Material_Render_State_Dll(record), 2);
}

TEST_F(Exports_Test, Empty_Names_Are_One_Function_Each) {
    // Read through volatile so the compiler cannot assume distinct addresses.
    using Add_Name = std::int32_t (*)(void*);
    using Empty_Name = void (*)(void*);
    volatile Add_Name adds[] = {Quorvel_Add_Animation_Dll, Quorvel_Add_Camera_Dll, Quorvel_Add_Light_Dll,
                                Quorvel_Add_Light_Map_Dll, Quorvel_Add_Map_Dll,    Quorvel_Add_Object_Dll,
                                Quorvel_Add_Spot_Light_Dll};
    volatile Empty_Name empties[] = {Quorvel_Release_Animation_Dll, Quorvel_Release_Camera_Dll,
                                     Quorvel_Release_Light_Dll,     Quorvel_Release_Light_Map_Dll,
                                     Quorvel_Release_Map_Dll,       Quorvel_Release_Object_Dll,
                                     Quorvel_Release_Render_Dll,    Quorvel_Release_Spot_Light_Dll,
                                     Quorvel_Update_Light_Map_Dll,  Quorvel_Update_Map_Dll};
    for (const auto& add : adds) EXPECT_EQ(Add_Name(add), Add_Name(adds[0]));
    for (const auto& empty : empties) EXPECT_EQ(Empty_Name(empty), Empty_Name(empties[0]));
}

TEST_F(Exports_Test, Release_Scene_Before_Any_Frame_Frees_Nothing) {
    Quorvel_Release_Scene_Dll();
    EXPECT_EQ(Log().calls.size(), 0u);
}

TEST_F(Exports_Test, Release_Scene_Empties_The_Pools_For_Later_Frames) {
    ASSERT_NE(Reserve_Face(faces_state.translucent), nullptr);
    Commit_Face(faces_state.translucent);
    const std::int64_t grown = Log().live_blocks;
    ASSERT_GT(grown, 0);
    Quorvel_Release_Scene_Dll();
    EXPECT_EQ(Log().live_blocks, 0);
    EXPECT_EQ(Log().Count(Memory_Call_Kind::Release), std::size_t(grown));
    for (const Face_Pool* pool : {&faces_state.opaque, &faces_state.translucent, &faces_state.overlay}) {
        EXPECT_EQ(pool->records, nullptr);
        EXPECT_EQ(pool->count, 0);
        EXPECT_EQ(pool->capacity, 0);
    }
    EXPECT_EQ(faces_state.sort.face_index, nullptr);
    EXPECT_EQ(frame_state.spans.records, nullptr);
    EXPECT_EQ(frame_state.spans.capacity, 0);
    EXPECT_EQ(frame_state.edges.records, nullptr);
    EXPECT_EQ(frame_state.edges.capacity, 0);

    // A second release finds nothing to free.
    Log().Reset();
    Quorvel_Release_Scene_Dll();
    EXPECT_EQ(Log().calls.size(), 0u);
}

}  // namespace
