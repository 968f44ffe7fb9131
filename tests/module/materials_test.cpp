// The material and face exports: render-state selection against a table
// written from the rules, the flags word, shade tables against a reference
// written from the lighting arithmetic, and every block the library asks the
// host for: its size, when it comes back, and what a refused one leaves behind.
#include <gtest/gtest.h>

#include <algorithm>
#include <climits>
#include <cstdlib>
#include <deque>
#include <vector>

#include "core/services.h"
#include "faces/faces.h"
#include "quorvel/quorvel_soft.h"
#include "support/bare_materials.h"
#include "support/recording_memory.h"

namespace {

using quorvel_test::Colour;
using Map = quorvel_test::Bare_Map;
using Material = quorvel_test::Bare_Material;
using Kind = quorvel_test::Memory_Call_Kind;
constexpr std::uint32_t Texels = 16, short_table = 64, long_table = 64 * 256;

class Materials : public ::testing::Test {
protected:
    void SetUp() override {
        quorvel_test::Use_Recording_Memory(*services);
        ASSERT_EQ(Quorvel_Init_Render_Dll(services.Record()), 1);
        Log().Reset();
    }
    // Tests that release a material early clear its block pointer.
    void TearDown() override {
        for (Material& material : materials) Quorvel_Release_Material_Dll(material.Record());
    }
    Material& Added(Map* map = nullptr) {
        Material& material = materials.emplace_back();
        EXPECT_EQ(Quorvel_Add_Material_Dll(material.Set_Map(map).Record()), 1);
        return material;
    }
    Row_Id Select(Material& material, std::int32_t mode, std::uint32_t flags) {
        EXPECT_EQ(Quorvel_Set_Material_Render_State_Dll(material.Record(), mode, flags), 1) << mode << " " << flags;
        return Chosen(material);
    }
    static Row_Id Chosen(Material& m) {
        return m->render_data->row ? Row_Id(m->render_data->row - interface_state.rows) : Row_Count;
    }
    static std::uint32_t* Table(Material& material) { return material->render_data->shade_table; }
    // Entries the host was asked for when the material's table was allocated; 0 without a table.
    static std::uint32_t Table_Entries(Material& material) {
        for (auto call = Log().calls.rbegin(); call != Log().calls.rend() && Table(material); ++call)
            if (call->kind == Kind::Allocate && call->result == Table(material)) return call->count;
        return 0;
    }
    static quorvel_test::Memory_Log& Log() { return quorvel_test::Memory(); }
    static void Fail_Next_Allocation() { Log().fail_call = Log().allocation_calls + 1; }

    quorvel_host::Services services{16, 16};
    std::deque<Material> materials;
};

enum Map_Kind { None, Texel, Palette, No_Image, No_Palette };

TEST_F(Materials, Selection_Picks_The_Row_And_Table_The_Rules_Give_And_Rows_Keep_The_Last_Mode) {
    const struct {
        Map_Kind map;
        std::int32_t mode;
        std::uint32_t flags;
        Row_Id row;
        std::uint32_t table;
    } cases[] = {
        // Mode 0 without a palette map: the unlit rows by the whole flags word, no table.
        // A row that would read a missing map, image or palette becomes Row_Flat.
        {None, 0, 0x000, Row_Flat, 0},
        {Texel, 0, 0x001, Row_Mapped, 0},
        {None, 0, 0x001, Row_Flat, 0},
        {Texel, 0, 0x003, Row_Mapped_Keyed, 0},
        {None, 0, 0x004, Row_Flat_Blend, 0},
        {Texel, 0, 0x005, Row_Mapped_Blend, 0},
        {Texel, 0, 0x007, Row_Mapped_Keyed_Blend, 0},
        {Texel, 0, 0x041, Row_Mapped_Additive, 0},
        {None, 0, 0x201, Row_Flat, 0},
        {Texel, 0, 0x101, Row_Square_Overlay, 0},
        {Texel, 0, 0x201, Row_Square, 0},
        {Texel, 0, 0x1001, Row_Random, 0},
        {Texel, 0, 0x80000001, Row_Random, 0},
        {No_Image, 0, 0x003, Row_Flat, 0},
        // Mode 0 with a palette map: always a table (long when Flag_Mapped is set and
        // there is a palette); Row_Mapped_Palette for Flag_Mapped alone.
        {Palette, 0, 0x001, Row_Mapped_Palette, long_table},
        {Palette, 0, 0x000, Row_Random, short_table},
        {Palette, 0, 0x003, Row_Random, long_table},
        {No_Palette, 0, 0x001, Row_Flat, short_table},
        // Modes 1 and 2: a texel map gives Row_Random; otherwise a table and the lit rows.
        {Texel, 1, 0x000, Row_Random, 0},
        {Texel, 2, 0x041, Row_Random, 0},
        {None, 1, 0x000, Row_Gouraud, short_table},
        {None, 2, 0x004, Row_Gouraud_Blend, short_table},
        {None, 1, 0x001, Row_Flat, short_table},
        {Palette, 2, 0x001, Row_Gouraud_Mapped, long_table},
        {Palette, 1, 0x003, Row_Gouraud_Mapped_Keyed, long_table},
        {Palette, 2, 0x005, Row_Gouraud_Mapped_Blend, long_table},
        {Palette, 1, 0x007, Row_Gouraud_Mapped_Keyed_Blend, long_table},
        {Palette, 2, 0x041, Row_Gouraud_Mapped_Additive, long_table},
        {Palette, 1, 0x201, Row_Random, long_table},
        {Palette, 2, 0x008, Row_Random, short_table},
        {No_Image, 1, 0x001, Row_Flat, short_table},
        {No_Palette, 2, 0x003, Row_Flat, short_table},
        {No_Palette, 2, 0x000, Row_Gouraud, short_table},
        // Other modes: Row_Random_Blend for any translucent bit, else Row_Random; no table.
        {Palette, 3, 0x002, Row_Random_Blend, 0},
        {None, 5, 0x004, Row_Random_Blend, 0},
        {Texel, 0x200, 0x008, Row_Random_Blend, 0},
        {None, -257, 0x010, Row_Random_Blend, 0},
        {Palette, INT_MIN, 0x001, Row_Random, 0},
        {None, 9, 0x260, Row_Random, 0},
    };
    Map texel(Texels, 3, 8), palette(Map_Format_Palette, 3, 8), no_image(Texels, 3, 8),
        no_palette(Map_Format_Palette, 3, 8);
    no_image.Drop_Image();
    no_palette.Drop_Palette();
    Map* const maps[] = {nullptr, &texel, &palette, &no_image, &no_palette};
    std::int32_t last_mode[Row_Count] = {};
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message() << "map " << c.map << " mode " << c.mode << " flags " << std::hex << c.flags);
        Material& material = Added(maps[c.map]);
        EXPECT_EQ(Select(material, c.mode, c.flags), c.row);
        EXPECT_EQ(Table_Entries(material), c.table);
        EXPECT_EQ(material.Flags(), c.flags);  // stored whole
        last_mode[c.row] = c.mode;
    }
    // Rows are shared: each material reads the mode of the last selection of its row.
    for (std::size_t i = 0; i < std::size(cases); ++i)
        EXPECT_EQ(Quorvel_Get_Material_Render_State_Dll(materials[i].Record()), last_mode[cases[i].row]) << i;
    EXPECT_EQ(Quorvel_Get_Material_Render_State_Dll(Added().Record()), 0);  // no row yet
}

TEST_F(Materials, Flags_Are_Recomputed_Kept_Or_Stored_And_The_Mode_Read_From_The_Material) {
    // Map, transparency, kind: the flags recomputed from them.
    const struct {
        bool map;
        std::int32_t transparency, kind;
        std::uint32_t flags;
    } cases[] = {{false, 0, 0, 0x000},  {true, 0, 0, 0x001},  {false, 50, 0, 0x004}, {false, 30, 0, 0x008},
                 {false, -1, 0, 0x008}, {false, 0, 1, 0x002}, {false, 0, 2, 0x040},  {false, 0, 10, 0x100},
                 {false, 0, 11, 0x200}, {false, 0, 3, 0x000}, {true, 50, 1, 0x007},  {true, 30, 0, 0x009},
                 {true, 0, 11, 0x201},  {true, 51, 2, 0x049}, {false, 50, 10, 0x104}};
    Map map(Texels, 3, 8);
    for (const auto& c : cases) {
        Material& material = Added(c.map ? &map : nullptr);
        material.Set_Transparency(c.transparency).Set_Kind(c.kind).Flags() = 0xFFFFFFFF;  // every stale bit must go
        Select(material, 3, Flags_From_Material);
        EXPECT_EQ(material.Flags(), c.flags) << c.map << " " << c.transparency << " " << c.kind;
    }
    // Each field is read after the bits before it are written: a flags word that
    // is the transparency field reads 1 ("transparent") once the map bit is set.
    Material& aliased = Added(&map);
    aliased.Set_Transparency(50)->render_flags = reinterpret_cast<std::uint32_t*>(&aliased->transparency);
    Select(aliased, 3, Flags_From_Material);
    EXPECT_EQ(std::uint32_t(aliased->transparency), Flag_Mapped | Flag_Transparent);
    Material& material = Added(&map);
    material.Flags() = 0x003;
    EXPECT_EQ(Select(material, 0, Keep_Flags | 0x001), Row_Mapped_Keyed);
    EXPECT_EQ(Select(material, 0, Keep_Flags | Flags_From_Material), Row_Mapped);  // recomputation wins
    // Any mode with bit 0x100, negative ones too, defers to the material's own.
    EXPECT_EQ(Select(material.Set_Mode(2), -1, 0x004), Row_Random);  // lit mode, texel map; not Row_Random_Blend
    EXPECT_EQ(Quorvel_Get_Material_Render_State_Dll(material.Record()), 2);
}

TEST_F(Materials, Failed_Table_Leaves_The_Previous_Row_And_Table_And_The_Next_Call_Retries) {
    Map map(Map_Format_Palette, 3, 8);
    for (std::int32_t mode : {2, 0}) {
        Material& material = Added(mode == 0 ? &map : nullptr);
        Fail_Next_Allocation();
        interface_state.rows[Row_Gouraud].mode = 41;
        EXPECT_EQ(Quorvel_Set_Material_Render_State_Dll(material.Record(), mode, Flag_Mapped), 0);
        EXPECT_EQ(Chosen(material), Row_Count);
        EXPECT_EQ(Table(material), nullptr);
        EXPECT_EQ(material.Flags(), Flag_Mapped);
        EXPECT_EQ(interface_state.rows[Row_Gouraud].mode, 41);
    }
    Material& material = materials[0];
    EXPECT_EQ(Select(material, 2, 0), Row_Gouraud);
    // A table that rows do not read is kept, and reused.
    std::uint32_t* table = Table(material);
    const std::size_t calls = Log().calls.size();
    Select(material, 0, 0);
    Select(material, 1, 0x004);
    EXPECT_EQ(Table(material), table);
    EXPECT_EQ(Log().calls.size(), calls);
    // A short table is replaced before a row can index it by palette entry:
    // the new table first, then the old one back; without memory nothing changes.
    Fail_Next_Allocation();
    EXPECT_EQ(Quorvel_Set_Material_Render_State_Dll(material.Set_Map(&map).Record(), 0, Flag_Mapped), 0);
    EXPECT_EQ(Chosen(material), Row_Gouraud_Blend);
    EXPECT_EQ(Table(material), table);
    Log().Reset();
    EXPECT_EQ(Select(material, 0, Flag_Mapped), Row_Mapped_Palette);
    ASSERT_EQ(Log().calls.size(), 2u);
    EXPECT_EQ(Log().calls[0].count, long_table);
    EXPECT_EQ(Log().calls[1].kind, Kind::Release);
    EXPECT_EQ(Log().calls[1].block, table);
}

// The entry at `level` (and palette colour, for the long layout), from the
// rules: the highlight adds S once per level of the band (32 - 28 x shininess
// / 100 levels, shininess clamped to 0..100) with x86's wrapping multiply; each
// channel is clamped to 0..255 before packing 565 (depth 16) or 555.
std::uint32_t Reference_Entry(const Host_Material& m, int depth, int level, const Palette_Entry* colour) {
    const auto wrap = [](std::int64_t value) { return static_cast<std::int32_t>(static_cast<std::uint32_t>(value)); };
    const int band = 32 - std::clamp(m.shininess, 0, 100) * 28 / 100;
    const std::int32_t step = wrap(std::int64_t(m.shininess_strength) * 256) / (band * 100);
    std::int32_t accumulator = 0;
    for (int l = 64 - band; l < level; ++l) accumulator = wrap(std::int64_t(accumulator) + step);
    int c[3];
    for (int i = 0; i < 3; ++i) {
        const int palette = colour ? (i == 0 ? colour->red : i == 1 ? colour->green : colour->blue) : 0;
        const int base = colour ? (((m.tint[i] * level) >> 8) * palette) >> 6
                                : (((m.tint[i] * m.diffuse[i] * level * 3) >> 14) + m.ambient[i]) / 4;
        c[i] = std::clamp(base + (wrap(std::int64_t(m.specular[i]) * accumulator) >> 8), 0, 255);
    }
    const std::uint32_t pixel = depth == 16 ? (c[0] >> 3) << 11 | (c[1] >> 2) << 5 | (c[2] >> 3)
                                            : (c[0] >> 3) << 10 | (c[1] >> 3) << 5 | (c[2] >> 3);
    return pixel << 16;
}

void Expect_Table_Matches_Reference(Material& material, int depth) {
    const Host_Material& m = *material.Record();
    const Palette_Entry* palette = m.map && (*m.render_flags & Flag_Mapped) ? m.map->palette : nullptr;
    for (int level = 0; level < 64; ++level)
        for (int p = 0; p < (palette ? 256 : 1); ++p)
            ASSERT_EQ(m.render_data->shade_table[level * (palette ? 256 : 1) + p],
                      Reference_Entry(m, depth, level, palette ? palette + p : nullptr))
                << level << " " << p;
}

TEST_F(Materials, Shade_Tables_Match_The_Reference_At_Every_Depth_And_Layout) {
    const Colour white{255, 255, 255};
    const struct {
        Colour ambient, diffuse, specular, tint;
        int shininess, strength;
    } lightings[] = {
        {{}, white, {}, white, 0, 0},          // the worked ramp
        {white, white, white, white, 0, 100},  // saturates
        {{200, 100, 40}, {100, 150, 200}, {255, 255, 255}, white, 100, 100},
        {{255, 16, 0}, {100, 100, 100}, {180, 40, 255}, {255, 200, 90}, 50, 70},
        {{10, 20, 30}, {90, 60, 30}, {40, 80, 120}, {128, 255, 64}, 250, 100},
        {{}, {200, 200, 200}, {255, 0, 255}, white, -40, 2000000000},
    };
    Map map(Map_Format_Palette, 3, 8);
    map.Set_Palette(quorvel_test::Make_Palette([](int p) {
        return Colour{std::uint8_t(p), std::uint8_t(255 - p), std::uint8_t(p * 37)};
    }));
    for (int depth : {16, 15, 24}) {
        services->pixel_depth = depth;
        for (const auto& l : lightings) {
            for (bool mapped : {false, true}) {
                SCOPED_TRACE(testing::Message()
                             << "depth " << depth << " lighting " << &l - lightings << " " << mapped);
                Material& material = Added(mapped ? &map : nullptr);
                material.Set_Ambient(l.ambient).Set_Diffuse(l.diffuse).Set_Specular(l.specular).Set_Tint(l.tint);
                Select(material.Set_Shininess(l.shininess, l.strength), 1, mapped ? std::uint32_t(Flag_Mapped) : 0u);
                ASSERT_EQ(Table_Entries(material), mapped ? long_table : short_table);
                Expect_Table_Matches_Reference(material, depth);
            }
        }
    }
    // The worked values. Materials were added by depth, then lighting, unmapped first.
    EXPECT_EQ(Table(materials[0])[32], 0x5AEB0000u);
    EXPECT_EQ(Table(materials[0])[63], 0xBDD70000u);
    EXPECT_EQ(Table(materials[2])[0], 0x39E70000u);
    EXPECT_EQ(Table(materials[2])[63], 0xFFFF0000u);
    EXPECT_EQ(Table(materials[14])[0], 0x1CE70000u);
    EXPECT_EQ(Table(materials[14])[63], 0x7FFF0000u);
}

TEST_F(Materials, Update_Never_Allocates_And_A_Long_Layout_Row_Never_Reads_A_Stale_Table) {
    Map map(Map_Format_Palette, 3, 8);
    Material& material = Added();
    Select(material.Set_Diffuse({255, 255, 255}).Set_Tint({255, 255, 255}), 0, 0);
    Quorvel_Update_Material_Dll(material.Record());  // flat: no table, nothing to refill

    Select(material, 1, 0);
    std::uint32_t* small = Table(material);
    const std::size_t calls = Log().calls.size();
    material.Set_Ambient({255, 255, 255}).Set_Specular({100, 0, 0}).Set_Shininess(100, 100);
    services->pixel_depth = 15;
    Quorvel_Update_Material_Dll(material.Record());
    EXPECT_EQ(Table(material), small);
    EXPECT_EQ(Log().calls.size(), calls);
    Expect_Table_Matches_Reference(material, 15);
    // Given a palette map and Flag_Mapped the table needs the long layout:
    // Update leaves it as it was; the selection replaces it and can say it failed.
    material.Set_Map(&map).Flags() = Flag_Mapped;
    const std::vector<std::uint32_t> before(small, small + 64);
    Quorvel_Update_Material_Dll(material.Record());
    EXPECT_EQ(Table(material), small);
    EXPECT_EQ(Log().calls.size(), calls);
    EXPECT_TRUE(std::equal(before.begin(), before.end(), small));
    Fail_Next_Allocation();
    EXPECT_EQ(Quorvel_Set_Material_Render_State_Dll(material.Record(), 1, Flag_Mapped), 0);
    EXPECT_EQ(Chosen(material), Row_Gouraud);
    EXPECT_EQ(Table(material), small);
    Log().Reset();
    EXPECT_EQ(Select(material, 1, Flag_Mapped), Row_Gouraud_Mapped);
    ASSERT_EQ(Log().calls.size(), 2u);
    EXPECT_EQ(Log().calls[0].count, long_table);
    EXPECT_EQ(Log().calls[1].kind, Kind::Release);
    EXPECT_EQ(Log().calls[1].block, small);
    Expect_Table_Matches_Reference(material, 15);

    // Reselected to a 64-entry row and given new colours: the short layout
    // goes into the long block with no memory to spare; the next long-layout
    // row gets a fresh table instead of those mixed entries.
    std::uint32_t* long_block = Table(material);
    EXPECT_EQ(Select(material, 1, 0), Row_Gouraud);
    material.Set_Diffuse({10, 200, 90});
    Log().Reset();
    Log().fail_call = 1;
    Quorvel_Update_Material_Dll(material.Record());
    EXPECT_EQ(Table(material), long_block);
    EXPECT_TRUE(Log().calls.empty());
    Expect_Table_Matches_Reference(material, 15);
    Log().Reset();
    EXPECT_EQ(Select(material, 1, Flag_Mapped), Row_Gouraud_Mapped);
    ASSERT_EQ(Log().calls.size(), 2u);
    EXPECT_EQ(Log().calls[0].count, long_table);
    EXPECT_EQ(Log().calls[1].block, long_block);
    Expect_Table_Matches_Reference(material, 15);
}

TEST_F(Materials, Material_Blocks_Come_Back_Table_First_And_A_Refused_One_Leaves_Null) {
    Map map(Map_Format_Palette, 2, 4);
    Material &flat = Added(), &lit = Added(), &mapped = Added(&map);
    EXPECT_EQ(Log().calls[0].count, 1);
    EXPECT_EQ(Log().calls[0].size, sizeof(Material_Render_Data));
    ASSERT_EQ(flat->render_data, Log().calls[0].result);
    EXPECT_EQ(flat->render_data->row, nullptr);
    EXPECT_EQ(flat->render_data->shade_table, nullptr);
    Select(flat, 0, 0);
    Select(lit, 2, 0);
    Select(mapped, 1, Flag_Mapped);
    EXPECT_EQ(Log().live_blocks, 5);
    for (Material* m : {&flat, &lit, &mapped}) {
        const void *table = Table(*m), *data = (*m)->render_data;
        Log().calls.clear();
        Quorvel_Release_Material_Dll(m->Record());
        ASSERT_EQ(Log().calls.size(), table ? 2u : 1u);
        EXPECT_EQ(Log().calls[0].block, (table ? table : data));
        EXPECT_EQ(Log().calls.back().block, data);
        EXPECT_EQ((*m)->render_data, data);  // the host's word is left as it was
        (*m)->render_data = nullptr;
    }
    EXPECT_EQ(Log().live_blocks, 0);
    // Refused: null, and nothing to select into, refill or release.
    Material& refused = materials.emplace_back();
    Material_Render_Data stale{};
    refused->render_data = &stale;
    refused.Flags() = 0x41;
    Log().Reset();
    Fail_Next_Allocation();
    EXPECT_EQ(Quorvel_Add_Material_Dll(refused.Record()), 0);
    EXPECT_EQ(refused->render_data, nullptr);
    EXPECT_EQ(Quorvel_Set_Material_Render_State_Dll(refused.Record(), 1, 0), 0);
    EXPECT_EQ(Quorvel_Get_Material_Render_State_Dll(refused.Record()), 0);
    Quorvel_Update_Material_Dll(refused.Record());
    Quorvel_Release_Material_Dll(refused.Record());
    EXPECT_EQ(Log().calls.size(), 1u);
    EXPECT_EQ(refused.Flags(), 0x41u);
}

TEST_F(Materials, Face_Colour_Is_Rand_Mod_63536_A_Refused_Block_Draws_None_And_Release_Scene_Empties_The_Pools) {
    std::srand(12345);
    const int first = std::rand() % 63536, second = std::rand() % 63536;
    std::srand(12345);
    Host_Face face{}, other{};
    Fail_Next_Allocation();
    EXPECT_EQ(Quorvel_Add_Face_Dll(&face), 0);
    EXPECT_EQ(face.render_data, nullptr);
    Quorvel_Release_Face_Dll(&face);
    ASSERT_EQ(Quorvel_Add_Face_Dll(&face), 1);
    ASSERT_EQ(Quorvel_Add_Face_Dll(&other), 1);
    EXPECT_EQ(Log().calls.back().size * Log().calls.back().count, 2u);
    EXPECT_EQ(face.render_data->random_colour, first);
    EXPECT_EQ(other.render_data->random_colour, second);
    Quorvel_Release_Face_Dll(&face);
    Quorvel_Release_Face_Dll(&other);
    EXPECT_EQ(Log().live_blocks, 0);
    EXPECT_EQ(Log().Count(Kind::Release), 2u);

    // The frame-wide pools go back with the scene (their growth and release are tested with the frame).
    ASSERT_NE(Reserve_Face(faces_state.translucent), nullptr);
    Quorvel_Release_Scene_Dll();
    EXPECT_EQ(Log().live_blocks, 0);
    EXPECT_EQ(faces_state.translucent.records, nullptr);
    EXPECT_EQ(faces_state.translucent.capacity, 0);
}

}  // namespace
