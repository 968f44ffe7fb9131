// Render-state selection: the flags word, the mode, every row rule, the shade
// table a lit row needs and what a failed selection leaves behind.
#include <gtest/gtest.h>

#include <climits>
#include <cstdint>
#include <vector>

#include "faces/faces.h"
#include "fillers/fillers.h"
#include "support/library.h"

using quorvel_host::Map;
using quorvel_host::Material;
using quorvel_host::Memory_Call_Kind;

namespace {

constexpr std::uint32_t Format_Texels = 16;

class Selection_Test : public Library_Test {
protected:
    Host_Material* Ready(Material& material) {
        return material.Record()->render_data != nullptr ? material.Record() : Add(material);
    }
    // The row a successful selection chose.
    Row_Id Select(Material& material, std::int32_t mode, std::uint32_t flags) {
        Host_Material* record = Ready(material);
        EXPECT_EQ(Quorvel_Set_Material_Render_State_Dll(record, mode, flags), 1) << "mode " << mode << " flags " << flags;
        return Chosen(record);
    }
    static Row_Id Chosen(Host_Material* record) {
        const Dispatch_Row* row = Row_Chosen(record);
        return row == nullptr ? Row_Count : Row_Id(row - interface_state.rows);
    }
    std::size_t Allocations() const { return Log().Count(Memory_Call_Kind::Allocate); }
};

struct Flags_Case {
    bool has_map;
    std::int32_t transparency, kind;
    std::uint32_t expected;
};

TEST_F(Selection_Test, Recomputed_Flags_Follow_Map_Transparency_And_Kind) {
    const Flags_Case cases[] = {
        {false, 0, 0, 0x000},  {true, 0, 0, 0x001},   {false, 50, 0, 0x004},   {false, 30, 0, 0x008},
        {false, -1, 0, 0x008}, {false, 0, 1, 0x002},  {false, 0, 2, 0x040},    {false, 0, 10, 0x100},
        {false, 0, 11, 0x200}, {false, 0, 3, 0x000},  {false, 0, 12, 0x000},   {true, 50, 1, 0x007},
        {true, 30, 0, 0x009},  {true, 0, 11, 0x201},  {true, 51, 2, 0x049},    {false, 50, 10, 0x104},
    };
    Map map(Format_Texels, 3, 8);
    for (const Flags_Case& c : cases) {
        Material& material = New_Material();
        material.Set_Transparency(c.transparency).Set_Kind(c.kind).Set_Map(c.has_map ? &map : nullptr);
        material.Flags() = 0xFFFFFFFF;  // every stale bit must go
        Select(material, 3, Flags_From_Material);
        EXPECT_EQ(material.Flags(), c.expected)
            << "map " << c.has_map << " transparency " << c.transparency << " kind " << c.kind;
    }
}

TEST_F(Selection_Test, Recomputation_Reads_Each_Field_After_The_Bits_Before_It) {
    // A host whose flags word is the material's own transparency field: the
    // word is cleared, the map bit makes it read 1, and 1 is "transparent".
    Map map(Format_Texels, 3, 8);
    Material& material = New_Material();
    material.Set_Map(&map).Set_Transparency(50);
    material->render_flags = reinterpret_cast<std::uint32_t*>(&material->transparency);
    Select(material, 3, Flags_From_Material);
    EXPECT_EQ(std::uint32_t(material->transparency), Flag_Mapped | Flag_Transparent);

    // The same over the kind field: after the map bit, kind reads 1, "keyed".
    Material& keyed = New_Material();
    keyed.Set_Map(&map).Set_Kind(11);
    keyed->render_flags = reinterpret_cast<std::uint32_t*>(&keyed->kind);
    Select(keyed, 3, Flags_From_Material);
    EXPECT_EQ(std::uint32_t(keyed->kind), Flag_Mapped | Flag_Keyed);
}

TEST_F(Selection_Test, Flags_Argument_Is_Stored_Whole_Unless_Kept_Or_Recomputed) {
    Map map(Format_Texels, 3, 8);
    Material& material = New_Material();
    material.Set_Map(&map);
    EXPECT_EQ(Select(material, 0, 0xDEAD0001), Row_Random);  // compared whole: not 0x001
    EXPECT_EQ(material.Flags(), 0xDEAD0001u);

    material.Flags() = 0x003;
    EXPECT_EQ(Select(material, 0, Keep_Flags | 0x001), Row_Mapped_Keyed);
    EXPECT_EQ(material.Flags(), 0x003u);

    // Both bits: recomputation wins.
    EXPECT_EQ(Select(material, 0, Keep_Flags | Flags_From_Material), Row_Mapped);
    EXPECT_EQ(material.Flags(), 0x001u);
}

TEST_F(Selection_Test, Mode_From_Material_Uses_The_Material_Mode_Word) {
    Material& material = New_Material();
    material.Set_Mode(2);
    EXPECT_EQ(Select(material, 0x101, 0), Row_Gouraud);
    EXPECT_EQ(interface_state.rows[Row_Gouraud].mode, 2);
    EXPECT_EQ(Quorvel_Get_Material_Render_State_Dll(material.Record()), 2);

    // Any argument with bit 0x100 defers to the material, negative ones too.
    material.Set_Mode(7);
    EXPECT_EQ(Select(material, -1, 0), Row_Random);
    EXPECT_EQ(Quorvel_Get_Material_Render_State_Dll(material.Record()), 7);
}

struct Row_Case {
    std::uint32_t flags;
    Row_Id with_map, without_map;
};

TEST_F(Selection_Test, Mode_0_Rows_Without_A_Palette_Map) {
    const Row_Case cases[] = {
        {0x000, Row_Flat, Row_Flat},
        {0x001, Row_Mapped, Row_Flat},
        {0x003, Row_Mapped_Keyed, Row_Flat},
        {0x004, Row_Flat_Blend, Row_Flat_Blend},
        {0x005, Row_Mapped_Blend, Row_Flat},
        {0x007, Row_Mapped_Keyed_Blend, Row_Flat},
        {0x041, Row_Mapped_Additive, Row_Flat},
        {0x101, Row_Square_Overlay, Row_Flat},
        {0x201, Row_Square, Row_Flat},
        {0x002, Row_Random, Row_Random},
        {0x008, Row_Random, Row_Random},
        {0x009, Row_Random, Row_Random},
        {0x010, Row_Random, Row_Random},
        {0x040, Row_Random, Row_Random},
        {0x100, Row_Random, Row_Random},
        {0x1001, Row_Random, Row_Random},
        {0x80000001, Row_Random, Row_Random},
    };
    Map map(Format_Texels, 3, 8);
    for (const Row_Case& c : cases) {
        Material& mapped = New_Material();
        Material& plain = New_Material();
        mapped.Set_Map(&map);
        EXPECT_EQ(Select(mapped, 0, c.flags), c.with_map) << std::hex << c.flags;
        EXPECT_EQ(Select(plain, 0, c.flags), c.without_map) << std::hex << c.flags;
        EXPECT_EQ(Table(mapped.Record()), nullptr);
        EXPECT_EQ(Table(plain.Record()), nullptr);
    }
}

TEST_F(Selection_Test, Mode_0_With_A_Palette_Map_Builds_The_Table_For_Every_Flags_Value) {
    Map map(Map_Format_Palette, 3, 8);
    for (std::uint32_t flags : {0x000u, 0x003u, 0x005u, 0x041u, 0x201u}) {
        Material& material = New_Material();
        material.Set_Map(&map);
        EXPECT_EQ(Select(material, 0, flags), Row_Random) << std::hex << flags;
        EXPECT_NE(Table(material.Record()), nullptr) << std::hex << flags;
    }
    Material& material = New_Material();
    material.Set_Map(&map);
    EXPECT_EQ(Select(material, 0, Flag_Mapped), Row_Mapped_Palette);
    std::uint32_t* table = Table(material.Record());
    EXPECT_TRUE(Shade_Table_Is_Mapped(table));
    // Reselection reuses the table.
    const std::size_t allocations = Allocations();
    EXPECT_EQ(Select(material, 0, Flag_Mapped), Row_Mapped_Palette);
    EXPECT_EQ(Allocations(), allocations);
    EXPECT_EQ(Table(material.Record()), table);
}

TEST_F(Selection_Test, Gouraud_Modes_With_A_Texel_Map_Fall_Back_To_Random) {
    Map map(Format_Texels, 3, 8);
    for (std::int32_t mode : {1, 2}) {
        for (std::uint32_t flags : {0x000u, 0x001u, 0x004u, 0x007u, 0x041u}) {
            Material& material = New_Material();
            material.Set_Map(&map);
            Ready(material);
            const std::size_t allocations = Allocations();
            EXPECT_EQ(Select(material, mode, flags), Row_Random);
            EXPECT_EQ(Allocations(), allocations);
            EXPECT_EQ(Table(material.Record()), nullptr);
        }
    }
}

TEST_F(Selection_Test, Gouraud_Rows_With_A_Palette_Map) {
    const Row_Case cases[] = {
        {0x000, Row_Gouraud, Row_Gouraud},
        {0x001, Row_Gouraud_Mapped, Row_Flat},
        {0x003, Row_Gouraud_Mapped_Keyed, Row_Flat},
        {0x004, Row_Gouraud_Blend, Row_Gouraud_Blend},
        {0x005, Row_Gouraud_Mapped_Blend, Row_Flat},
        {0x007, Row_Gouraud_Mapped_Keyed_Blend, Row_Flat},
        {0x041, Row_Gouraud_Mapped_Additive, Row_Flat},
        {0x101, Row_Random, Row_Random},
        {0x201, Row_Random, Row_Random},
        {0x002, Row_Random, Row_Random},
        {0x008, Row_Random, Row_Random},
        {0x009, Row_Random, Row_Random},
    };
    Map map(Map_Format_Palette, 3, 8);
    for (std::int32_t mode : {1, 2}) {
        for (const Row_Case& c : cases) {
            // plain: no map at all, so the mapped rows have nothing to read
            Material& mapped = New_Material();
            Material& plain = New_Material();
            mapped.Set_Map(&map);
            EXPECT_EQ(Select(mapped, mode, c.flags), c.with_map) << mode << " " << std::hex << c.flags;
            EXPECT_EQ(Select(plain, mode, c.flags), c.without_map) << mode << " " << std::hex << c.flags;
            // Both need a table: the Gouraud modes build one whenever there is no texel map.
            EXPECT_NE(Table(mapped.Record()), nullptr);
            EXPECT_NE(Table(plain.Record()), nullptr);
            EXPECT_FALSE(Shade_Table_Is_Mapped(Table(plain.Record())));
        }
    }
}

TEST_F(Selection_Test, Other_Modes_Choose_Random_Or_Random_Blend) {
    Map map(Map_Format_Palette, 3, 8);
    for (std::int32_t mode : {3, 5, 0x200, -257, INT_MIN}) {
        for (std::uint32_t flags : {0x002u, 0x004u, 0x008u, 0x010u, 0x013u}) {
            Material& material = New_Material();
            material.Set_Map(&map);
            EXPECT_EQ(Select(material, mode, flags), Row_Random_Blend) << mode << " " << std::hex << flags;
            EXPECT_EQ(interface_state.rows[Row_Random_Blend].mode, mode);
        }
        for (std::uint32_t flags : {0x000u, 0x001u, 0x040u, 0x041u, 0x100u, 0x200u, 0x020u}) {
            Material& material = New_Material();
            material.Set_Map(&map);
            EXPECT_EQ(Select(material, mode, flags), Row_Random) << mode << " " << std::hex << flags;
            EXPECT_EQ(Table(material.Record()), nullptr);
        }
    }
}

TEST_F(Selection_Test, Recomputed_Materials_Land_On_Their_Rows) {
    Map texels(Format_Texels, 3, 8), palette(Map_Format_Palette, 3, 8);

    Material& keyed_blend = New_Material();
    keyed_blend.Set_Map(&texels).Set_Transparency(50).Set_Kind(1);
    EXPECT_EQ(Select(keyed_blend, 0, Flags_From_Material), Row_Mapped_Keyed_Blend);
    keyed_blend.Set_Map(&palette);
    EXPECT_EQ(Select(keyed_blend, 2, Flags_From_Material), Row_Gouraud_Mapped_Keyed_Blend);

    // Transparency 30 is neither half nor opaque: nothing but the fallbacks matches.
    for (Map* map : {static_cast<Map*>(nullptr), &palette}) {
        Material& glass = New_Material();
        glass.Set_Map(map).Set_Transparency(30);
        for (std::int32_t mode : {0, 1, 2}) EXPECT_EQ(Select(glass, mode, Flags_From_Material), Row_Random) << mode;
        EXPECT_EQ(Select(glass, 5, Flags_From_Material), Row_Random_Blend);
    }

    Material& square = New_Material();
    square.Set_Map(&texels).Set_Kind(11);
    EXPECT_EQ(Select(square, 0, Flags_From_Material), Row_Square);
    square.Set_Map(&palette);
    EXPECT_EQ(Select(square, 1, Flags_From_Material), Row_Random);
    EXPECT_EQ(Select(square, 2, Flags_From_Material), Row_Random);
}

TEST_F(Selection_Test, No_Row_Reads_A_Missing_Image_Or_Palette) {
    Map imageless(Format_Texels, 3, 8), paletteless(Map_Format_Palette, 3, 8);
    imageless.Drop_Image();
    paletteless.Drop_Palette();

    Material& a = New_Material();
    a.Set_Map(&imageless);
    for (std::uint32_t flags : {0x001u, 0x003u, 0x041u, 0x101u, 0x201u}) EXPECT_EQ(Select(a, 0, flags), Row_Flat);
    EXPECT_EQ(Table(a.Record()), nullptr);  // without an image the map is not a palette map
    EXPECT_EQ(Select(a, 1, Flag_Mapped), Row_Flat);
    EXPECT_NE(Table(a.Record()), nullptr);  // nor a texel map: the Gouraud modes build a table

    Material& b = New_Material();
    b.Set_Map(&paletteless);
    EXPECT_EQ(Select(b, 0, Flag_Mapped), Row_Flat);
    EXPECT_EQ(Select(b, 2, Flag_Mapped | Flag_Keyed), Row_Flat);
    EXPECT_EQ(Select(b, 2, 0), Row_Gouraud);
    EXPECT_FALSE(Shade_Table_Is_Mapped(Table(b.Record())));
}

TEST_F(Selection_Test, Failed_Table_Allocation_Keeps_The_Previous_Row) {
    Material& material = New_Material();
    Host_Material* record = Ready(material);

    // First selection fails: no row yet, but the new flags are kept.
    Log().fail_call = Log().allocation_calls + 1;
    interface_state.rows[Row_Gouraud].mode = 41;
    interface_state.rows[Row_Gouraud_Blend].mode = 42;
    EXPECT_EQ(Quorvel_Set_Material_Render_State_Dll(record, 1, 0x004), 0);
    EXPECT_EQ(Row_Chosen(record), nullptr);
    EXPECT_EQ(Table(record), nullptr);
    EXPECT_EQ(material.Flags(), 0x004u);
    EXPECT_EQ(interface_state.rows[Row_Gouraud_Blend].mode, 42);

    EXPECT_EQ(Select(material, 6, 0), Row_Random);
    EXPECT_EQ(interface_state.rows[Row_Random].mode, 6);

    // A later failure leaves the row and the row's mode word alone.
    Log().fail_call = Log().allocation_calls + 1;
    EXPECT_EQ(Quorvel_Set_Material_Render_State_Dll(record, 2, 0), 0);
    EXPECT_EQ(Chosen(record), Row_Random);
    EXPECT_EQ(interface_state.rows[Row_Gouraud].mode, 41);
    EXPECT_EQ(Table(record), nullptr);

    // The next call tries again.
    EXPECT_EQ(Select(material, 2, 0), Row_Gouraud);
    EXPECT_NE(Table(record), nullptr);
}

TEST_F(Selection_Test, Failed_Palette_Map_Build_In_Mode_0) {
    Map map(Map_Format_Palette, 3, 8);
    Material& material = New_Material();
    material.Set_Map(&map);
    Host_Material* record = Ready(material);
    Log().fail_call = Log().allocation_calls + 1;
    EXPECT_EQ(Quorvel_Set_Material_Render_State_Dll(record, 0, Flag_Mapped), 0);
    EXPECT_EQ(Row_Chosen(record), nullptr);
    EXPECT_EQ(Table(record), nullptr);
}

TEST_F(Selection_Test, Table_Survives_Rows_That_Do_Not_Use_It) {
    Material& material = New_Material();
    EXPECT_EQ(Select(material, 1, 0), Row_Gouraud);
    std::uint32_t* table = Table(material.Record());
    const std::size_t calls = Log().calls.size();
    EXPECT_EQ(Select(material, 0, 0), Row_Flat);
    EXPECT_EQ(Select(material, 9, 0), Row_Random);
    EXPECT_EQ(Select(material, 2, 0x004), Row_Gouraud_Blend);
    EXPECT_EQ(Table(material.Record()), table);
    EXPECT_EQ(Log().calls.size(), calls);
}

TEST_F(Selection_Test, Short_Table_Is_Replaced_Before_A_Row_Indexes_It_By_Palette) {
    Map map(Map_Format_Palette, 3, 8);
    Material& material = New_Material();
    material.Set_Map(&map).Set_Tint({255, 255, 255});
    EXPECT_EQ(Select(material, 0, Flag_Blend_Half), Row_Random);
    std::uint32_t* small = Table(material.Record());
    ASSERT_FALSE(Shade_Table_Is_Mapped(small));

    // Without memory the selection fails and nothing changes.
    Log().fail_call = Log().allocation_calls + 1;
    EXPECT_EQ(Quorvel_Set_Material_Render_State_Dll(material.Record(), 0, Flag_Mapped), 0);
    EXPECT_EQ(Chosen(material.Record()), Row_Random);
    EXPECT_EQ(Table(material.Record()), small);

    Log().Reset();
    EXPECT_EQ(Select(material, 0, Flag_Mapped), Row_Mapped_Palette);
    ASSERT_EQ(Log().calls.size(), 2u);
    EXPECT_EQ(Log().calls[0].count, shade_table_mapped_entries);
    EXPECT_EQ(Log().calls[1].kind, Memory_Call_Kind::Release);
    EXPECT_EQ(Log().calls[1].block, small);
    const std::uint32_t* table = Table(material.Record());
    EXPECT_TRUE(Shade_Table_Is_Mapped(table));
    // Grey palette, white tint, level 63: (((255 * 63) >> 8) * p) >> 6 per channel.
    const int grey = (62 * 200) >> 6;
    EXPECT_EQ(table[shade_table_brightest_row + 200] >> 16, std::uint32_t((grey >> 3) << 11 | (grey >> 2) << 5 | (grey >> 3)));
}

TEST_F(Selection_Test, Get_Returns_The_Mode_Of_The_Last_Material_On_The_Row) {
    Material& first = New_Material();
    Material& second = New_Material();
    EXPECT_EQ(Select(first, 1, 0), Row_Gouraud);
    EXPECT_EQ(Quorvel_Get_Material_Render_State_Dll(first.Record()), 1);
    EXPECT_EQ(Select(second, 2, 0), Row_Gouraud);
    EXPECT_EQ(Quorvel_Get_Material_Render_State_Dll(first.Record()), 2);
    EXPECT_EQ(Quorvel_Get_Material_Render_State_Dll(second.Record()), 2);
    EXPECT_EQ(Select(first, 1, 0), Row_Gouraud);
    EXPECT_EQ(Quorvel_Get_Material_Render_State_Dll(second.Record()), 1);
}

TEST_F(Selection_Test, Get_Without_A_Row_Reads_Zero) {
    Material& material = New_Material();
    EXPECT_EQ(Quorvel_Get_Material_Render_State_Dll(Ready(material)), 0);
}

struct Expected_Row {
    Row_Id id;
    Setup_Function setup;
    Clip_Function near_clip;  // each family is named by its near clip; the other five are checked below
    Fill_Function fill;
};

TEST_F(Selection_Test, Init_Fills_Every_Slot_And_Leaves_The_Mode_Word) {
    const Expected_Row expected[] = {
        {Row_Random, Setup_Face_Flat, Clip_Near_Flat, Fill_Spans_Random},
        {Row_Random_Blend, Setup_Face_Flat_Translucent, Clip_Near_Flat, Fill_Spans_Random_Blend},
        {Row_Flat, Setup_Face_Flat, Clip_Near_Flat, Fill_Spans_Flat},
        {Row_Flat_Blend, Setup_Face_Flat_Translucent, Clip_Near_Flat, Fill_Spans_Flat_Blend},
        {Row_Mapped, Setup_Face_Mapped, Clip_Near_Mapped, Fill_Spans_Mapped},
        {Row_Mapped_Palette, Setup_Face_Mapped, Clip_Near_Mapped, Fill_Spans_Mapped_Palette},
        {Row_Mapped_Blend, Setup_Face_Mapped_Translucent, Clip_Near_Mapped, Fill_Spans_Mapped_Blend},
        {Row_Mapped_Keyed, Setup_Face_Mapped_Translucent, Clip_Near_Mapped, Fill_Spans_Mapped_Keyed},
        {Row_Mapped_Keyed_Blend, Setup_Face_Mapped_Translucent, Clip_Near_Mapped, Fill_Spans_Mapped_Keyed_Blend},
        {Row_Mapped_Additive, Setup_Face_Mapped_Translucent, Clip_Near_Mapped, Fill_Spans_Mapped_Additive},
        {Row_Square, Setup_Face_Square, Clip_Near_Mapped, Fill_Spans_Mapped_Additive},
        {Row_Square_Overlay, Setup_Face_Square_Overlay, Clip_Near_Mapped, Fill_Square_Overlay},
        {Row_Gouraud, Setup_Face_Gouraud, Clip_Near_Gouraud, Fill_Spans_Gouraud},
        {Row_Gouraud_Blend, Setup_Face_Gouraud_Translucent, Clip_Near_Gouraud, Fill_Spans_Gouraud_Blend},
        {Row_Gouraud_Mapped, Setup_Face_Gouraud_Mapped, Clip_Near_Gouraud_Mapped, Fill_Spans_Gouraud_Mapped},
        {Row_Gouraud_Mapped_Blend, Setup_Face_Gouraud_Mapped_Translucent, Clip_Near_Gouraud_Mapped,
         Fill_Spans_Gouraud_Mapped_Blend},
        {Row_Gouraud_Mapped_Keyed, Setup_Face_Gouraud_Mapped_Translucent, Clip_Near_Gouraud_Mapped,
         Fill_Spans_Gouraud_Mapped_Keyed},
        {Row_Gouraud_Mapped_Keyed_Blend, Setup_Face_Gouraud_Mapped_Translucent, Clip_Near_Gouraud_Mapped,
         Fill_Spans_Gouraud_Mapped_Keyed_Blend},
        {Row_Gouraud_Mapped_Additive, Setup_Face_Gouraud_Mapped_Translucent, Clip_Near_Gouraud_Mapped,
         Fill_Spans_Gouraud_Mapped_Additive},
    };
    struct Family {
        Clip_Function near_clip, far_clip, right, left, bottom, top;
    };
    const Family families[] = {
        {Clip_Near_Flat, Clip_Far_Flat, Clip_Right_Flat, Clip_Left_Flat, Clip_Bottom_Flat, Clip_Top_Flat},
        {Clip_Near_Mapped, Clip_Far_Mapped, Clip_Right_Mapped, Clip_Left_Mapped, Clip_Bottom_Mapped, Clip_Top_Mapped},
        {Clip_Near_Gouraud, Clip_Far_Gouraud, Clip_Right_Gouraud, Clip_Left_Gouraud, Clip_Bottom_Gouraud,
         Clip_Top_Gouraud},
        {Clip_Near_Gouraud_Mapped, Clip_Far_Gouraud_Mapped, Clip_Right_Gouraud_Mapped, Clip_Left_Gouraud_Mapped,
         Clip_Bottom_Gouraud_Mapped, Clip_Top_Gouraud_Mapped},
    };

    // Wipe the slots, give every row a mode, start again.
    for (int id = 0; id < Row_Count; ++id) interface_state.rows[id] = Dispatch_Row{1000 + id};
    Host_Services other{};
    ASSERT_EQ(Quorvel_Init_Render_Dll(&other), 1);
    EXPECT_EQ(interface_state.services, &other);
    ASSERT_EQ(Quorvel_Init_Render_Dll(services.Record()), 1);

    for (const Expected_Row& row : expected) {
        const Dispatch_Row& got = interface_state.rows[row.id];
        EXPECT_EQ(got.mode, 1000 + row.id) << row.id;
        EXPECT_EQ(got.setup, row.setup) << row.id;
        EXPECT_EQ(got.fill, row.fill) << row.id;
        const Family* family = nullptr;
        for (const Family& f : families)
            if (f.near_clip == row.near_clip) family = &f;
        ASSERT_NE(family, nullptr);
        EXPECT_EQ(got.clip_near, family->near_clip) << row.id;
        EXPECT_EQ(got.clip_far, family->far_clip) << row.id;
        EXPECT_EQ(got.clip_right, family->right) << row.id;
        EXPECT_EQ(got.clip_left, family->left) << row.id;
        EXPECT_EQ(got.clip_bottom, family->bottom) << row.id;
        EXPECT_EQ(got.clip_top, family->top) << row.id;
    }
    EXPECT_EQ(Log().calls.size(), 0u);  // Init allocates nothing
}

}  // namespace
