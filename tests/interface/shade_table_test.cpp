// Shade tables against a reference written from the lighting rules: the
// highlight accumulated level by level, each channel clamped before packing.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>

#include "support/library.h"

using quorvel_host::Colour;
using quorvel_host::Map;
using quorvel_host::Material;

namespace {

struct Reference_Material {
    Colour ambient, diffuse, specular, tint;
    int shininess = 0, strength = 0;
};

Reference_Material From(const Host_Material& m) {
    auto colour = [](const std::uint8_t (&c)[3]) { return Colour{c[0], c[1], c[2]}; };
    return {colour(m.ambient), colour(m.diffuse), colour(m.specular), colour(m.tint), m.shininess,
            m.shininess_strength};
}

int Channel(const Colour& c, int channel) { return channel == 0 ? c.red : channel == 1 ? c.green : c.blue; }

// The highlight accumulator of one level: S added once per band level passed.
int Reference_Accumulator(const Reference_Material& m, int level) {
    const int shininess = std::clamp(m.shininess, 0, 100);
    const int band = 32 - (shininess * 28) / 100;
    const int step = (m.strength * 256) / (band * 100);
    int accumulator = 0;
    for (int l = 64 - band; l < level; ++l) accumulator += step;
    return accumulator;
}

std::uint32_t Reference_Pack(int depth, const int (&value)[3]) {
    int c[3];
    for (int i = 0; i < 3; ++i) c[i] = value[i] < 0 ? 0 : value[i] > 255 ? 255 : value[i];
    const std::uint32_t pixel = depth == 16 ? (c[0] >> 3) << 11 | (c[1] >> 2) << 5 | (c[2] >> 3)
                                            : (c[0] >> 3) << 10 | (c[1] >> 3) << 5 | (c[2] >> 3);
    return pixel << 16;
}

std::uint32_t Reference_Unmapped(const Reference_Material& m, int depth, int level) {
    const int accumulator = Reference_Accumulator(m, level);
    int value[3];
    for (int c = 0; c < 3; ++c) {
        const int diffuse = Channel(m.tint, c) * Channel(m.diffuse, c) * level * 3;
        value[c] = ((diffuse >> 14) + Channel(m.ambient, c)) / 4 + ((Channel(m.specular, c) * accumulator) >> 8);
    }
    return Reference_Pack(depth, value);
}

std::uint32_t Reference_Mapped(const Reference_Material& m, int depth, int level, const Palette_Entry& p) {
    const int accumulator = Reference_Accumulator(m, level);
    const int colour[3] = {p.red, p.green, p.blue};
    int value[3];
    for (int c = 0; c < 3; ++c) {
        value[c] = ((((Channel(m.tint, c) * level) >> 8) * colour[c]) >> 6) +
                   ((Channel(m.specular, c) * accumulator) >> 8);
    }
    return Reference_Pack(depth, value);
}

class Shade_Table_Test : public Library_Test {
protected:
    // A lit material without a map: its first selection builds a 64-entry table.
    std::uint32_t* Build_Unmapped(Material& material) {
        Host_Material* record = Add(material);
        EXPECT_EQ(Quorvel_Set_Material_Render_State_Dll(record, 1, 0), 1);
        return Table(record);
    }
    // A lit material with a palette map and Flag_Mapped: a 64 x 256 table.
    std::uint32_t* Build_Mapped(Material& material, Map& map) {
        material.Set_Map(&map);
        Host_Material* record = Add(material);
        EXPECT_EQ(Quorvel_Set_Material_Render_State_Dll(record, 2, Flag_Mapped), 1);
        return Table(record);
    }
    void Expect_Unmapped_Table(Material& material, int depth) {
        const Reference_Material reference = From(*material.Record());
        const std::uint32_t* table = Table(material.Record());
        for (int level = 0; level < 64; ++level)
            ASSERT_EQ(table[level], Reference_Unmapped(reference, depth, level)) << "level " << level;
    }
    void Expect_Mapped_Table(Material& material, const Palette_Entry* palette, int depth) {
        const Reference_Material reference = From(*material.Record());
        const std::uint32_t* table = Table(material.Record());
        for (int level = 0; level < 64; ++level)
            for (int p = 0; p < 256; ++p)
                ASSERT_EQ(table[level * 256 + p], Reference_Mapped(reference, depth, level, palette[p]))
                    << "level " << level << " index " << p;
    }
};

TEST_F(Shade_Table_Test, Worked_Ramp_Of_White_Diffuse_And_Tint) {
    Material& material = New_Material();
    material.Set_Diffuse({255, 255, 255}).Set_Tint({255, 255, 255});
    const std::uint32_t* table = Build_Unmapped(material);
    ASSERT_NE(table, nullptr);
    EXPECT_EQ(table[0], 0u);
    EXPECT_EQ(table[32], 0x5AEB0000u);
    EXPECT_EQ(table[63], 0xBDD70000u);
    Expect_Unmapped_Table(material, 16);
}

TEST_F(Shade_Table_Test, White_Material_Saturates_Instead_Of_Carrying) {
    for (int depth : {16, 15}) {
        services->pixel_depth = depth;
        Material& material = New_Material();
        const Colour white{255, 255, 255};
        material.Set_Ambient(white).Set_Diffuse(white).Set_Specular(white).Set_Tint(white).Set_Shininess(0, 100);
        const std::uint32_t* table = Build_Unmapped(material);
        // Level 0: ambient / 4 = 63 per channel; level 63: 251 + a highlight of 247, clamped to 255.
        EXPECT_EQ(table[0], depth == 16 ? 0x39E70000u : 0x1CE70000u) << depth;
        EXPECT_EQ(table[63], depth == 16 ? 0xFFFF0000u : 0x7FFF0000u) << depth;
        Expect_Unmapped_Table(material, depth);
    }
}

TEST_F(Shade_Table_Test, Unmapped_Level_Zero_Is_A_Quarter_Of_Ambient) {
    Material& material = New_Material();
    material.Set_Ambient({200, 100, 40}).Set_Diffuse({255, 255, 255}).Set_Tint({255, 255, 255});
    const std::uint32_t* table = Build_Unmapped(material);
    // 200 >> 2 = 50, 100 >> 2 = 25, 40 >> 2 = 10, packed 565.
    EXPECT_EQ(table[0], std::uint32_t((50 >> 3) << 11 | (25 >> 2) << 5 | (10 >> 3)) << 16);
}

TEST_F(Shade_Table_Test, Highlight_Band_Follows_Shininess) {
    // Unsaturated colours, so that a highlight shows in every band level but the first.
    for (const auto [shininess, first_band_level] : {std::pair{0, 32}, std::pair{100, 60}, std::pair{50, 46}}) {
        Material& plain = New_Material();
        Material& shiny = New_Material();
        for (Material* m : {&plain, &shiny}) m->Set_Diffuse({100, 100, 100}).Set_Tint({255, 255, 255});
        plain.Set_Shininess(shininess, 0);
        shiny.Set_Shininess(shininess, 100).Set_Specular({255, 255, 255});
        const std::uint32_t* without = Build_Unmapped(plain);
        const std::uint32_t* with = Build_Unmapped(shiny);
        for (int level = 0; level <= first_band_level; ++level)
            EXPECT_EQ(with[level], without[level]) << "shininess " << shininess << " level " << level;
        for (int level = first_band_level + 1; level < 64; ++level)
            EXPECT_NE(with[level], without[level]) << "shininess " << shininess << " level " << level;
        Expect_Unmapped_Table(shiny, 16);
    }
}

TEST_F(Shade_Table_Test, Shininess_Outside_Percent_Is_Clamped) {
    Material& over = New_Material();
    Material& hundred = New_Material();
    Material& under = New_Material();
    Material& zero = New_Material();
    for (Material* m : {&over, &hundred, &under, &zero})
        m->Set_Diffuse({100, 150, 200}).Set_Tint({255, 255, 255}).Set_Specular({255, 255, 255});
    over.Set_Shininess(250, 100);
    hundred.Set_Shininess(100, 100);
    under.Set_Shininess(-40, 100);
    zero.Set_Shininess(0, 100);
    const std::uint32_t* tables[4] = {Build_Unmapped(over), Build_Unmapped(hundred), Build_Unmapped(under),
                                      Build_Unmapped(zero)};
    EXPECT_TRUE(std::equal(tables[0], tables[0] + 64, tables[1]));
    EXPECT_TRUE(std::equal(tables[2], tables[2] + 64, tables[3]));
    EXPECT_FALSE(std::equal(tables[0], tables[0] + 64, tables[2]));
}

TEST_F(Shade_Table_Test, Huge_Strength_Stays_Defined_And_Below_The_Band) {
    // Checked for undefined arithmetic by the sanitizer build; the levels
    // below the band must not see the highlight at all.
    Material& huge = New_Material();
    Material& none = New_Material();
    for (Material* m : {&huge, &none}) m->Set_Diffuse({100, 100, 100}).Set_Tint({255, 255, 255});
    huge.Set_Specular({255, 255, 255}).Set_Shininess(0, 2000000000);
    none.Set_Shininess(0, 0);
    const std::uint32_t* with = Build_Unmapped(huge);
    const std::uint32_t* without = Build_Unmapped(none);
    EXPECT_TRUE(std::equal(with, with + 33, without));
}

TEST_F(Shade_Table_Test, Depth_Other_Than_16_Packs_555) {
    for (int depth : {15, 24, 0}) {
        services->pixel_depth = depth;
        Material& material = New_Material();
        material.Set_Ambient({255, 16, 0}).Set_Diffuse({255, 255, 255}).Set_Tint({255, 255, 255});
        const std::uint32_t* table = Build_Unmapped(material);
        // Ambient (255, 16, 0) / 4 = (63, 4, 0): 555 drops green's 4, 565 would give 7 << 11 | 1 << 5.
        EXPECT_EQ(table[0], std::uint32_t(7 << 10) << 16) << depth;
        Expect_Unmapped_Table(material, depth);
    }
}

TEST_F(Shade_Table_Test, Mapped_Table_Over_A_Whole_Palette) {
    for (int depth : {16, 15}) {
        services->pixel_depth = depth;
        Map map(Map_Format_Palette, 3, 8);
        map.Set_Palette(quorvel_host::Make_Palette([](int p) {
            return Colour{std::uint8_t(p), std::uint8_t(255 - p), std::uint8_t((p * 37) & 255)};
        }));
        Material& material = New_Material();
        material.Set_Tint({255, 200, 90}).Set_Specular({180, 40, 255}).Set_Shininess(30, 70);
        const std::uint32_t* table = Build_Mapped(material, map);
        ASSERT_NE(table, nullptr);
        EXPECT_EQ(Log().calls.back().count, shade_table_mapped_entries);
        Expect_Mapped_Table(material, map.Record()->palette, depth);
    }
}

TEST_F(Shade_Table_Test, Mapped_Level_Zero_Is_Black_Below_The_Band) {
    Map map(Map_Format_Palette, 3, 8);
    map.Set_Palette(quorvel_host::Make_Palette([](int) { return Colour{255, 255, 255}; }));
    Material& material = New_Material();
    material.Set_Tint({255, 255, 255}).Set_Specular({255, 255, 255}).Set_Shininess(0, 100);
    const std::uint32_t* table = Build_Mapped(material, map);
    for (int p = 0; p < 256; ++p) EXPECT_EQ(table[p], 0u) << p;
    // The brightest row: (((255 * 63) >> 8) * 255) >> 6 = 247, plus a highlight: white.
    EXPECT_EQ(table[shade_table_brightest_row + 17], 0xFFFF0000u);
}

TEST_F(Shade_Table_Test, Mapped_Flag_Without_A_Palette_Gives_The_Short_Layout) {
    Map map(Map_Format_Palette, 3, 8);
    map.Drop_Palette();
    Material& material = New_Material();
    material.Set_Diffuse({255, 255, 255}).Set_Tint({255, 255, 255});
    material.Set_Map(&map);
    Host_Material* record = Add(material);
    // Mode 0 with an 8-bit map builds the table; the row cannot read the map.
    ASSERT_EQ(Quorvel_Set_Material_Render_State_Dll(record, 0, Flag_Mapped), 1);
    ASSERT_EQ(Log().Count(quorvel_host::Memory_Call_Kind::Allocate), 2u);
    EXPECT_EQ(Log().calls.back().count, shade_levels);
    EXPECT_EQ(Table(record)[32], 0x5AEB0000u);
    EXPECT_EQ(Row_Chosen(record), Row(Row_Flat));
}

TEST_F(Shade_Table_Test, Update_Refills_In_Place) {
    Material& material = New_Material();
    material.Set_Diffuse({255, 255, 255}).Set_Tint({255, 255, 255});
    std::uint32_t* table = Build_Unmapped(material);
    const std::size_t calls = Log().calls.size();
    material.Set_Ambient({255, 255, 255}).Set_Specular({100, 0, 0}).Set_Shininess(100, 100);
    services->pixel_depth = 15;
    Quorvel_Update_Material_Dll(material.Record());
    EXPECT_EQ(Table(material.Record()), table);
    EXPECT_EQ(Log().calls.size(), calls);
    Expect_Unmapped_Table(material, 15);
}

TEST_F(Shade_Table_Test, Update_Without_A_Table_Does_Nothing) {
    Material& material = New_Material();
    Host_Material* record = Add(material);
    ASSERT_EQ(Quorvel_Set_Material_Render_State_Dll(record, 0, 0), 1);  // flat: no table
    const std::size_t calls = Log().calls.size();
    Quorvel_Update_Material_Dll(record);
    EXPECT_EQ(Table(record), nullptr);
    EXPECT_EQ(Log().calls.size(), calls);
}

TEST_F(Shade_Table_Test, Update_Replaces_A_Table_Of_The_Other_Size) {
    Map map(Map_Format_Palette, 3, 8);
    Material& material = New_Material();
    material.Set_Diffuse({255, 255, 255}).Set_Tint({255, 255, 255}).Set_Specular({40, 80, 120});
    std::uint32_t* small = Build_Unmapped(material);

    // The host gives the material a palette map and marks it mapped.
    material.Set_Map(&map);
    material.Flags() = Flag_Mapped;
    Log().Reset();
    Quorvel_Update_Material_Dll(material.Record());
    ASSERT_EQ(Log().calls.size(), 2u);
    EXPECT_EQ(Log().calls[0].kind, quorvel_host::Memory_Call_Kind::Allocate);
    EXPECT_EQ(Log().calls[0].count, shade_table_mapped_entries);
    EXPECT_EQ(Log().calls[1].kind, quorvel_host::Memory_Call_Kind::Release);
    EXPECT_EQ(Log().calls[1].block, small);
    Expect_Mapped_Table(material, map.Record()->palette, 16);

    // And back: without its palette the material needs the short layout again.
    std::uint32_t* large = Table(material.Record());
    map.Drop_Palette();
    Log().Reset();
    Quorvel_Update_Material_Dll(material.Record());
    ASSERT_EQ(Log().calls.size(), 2u);
    EXPECT_EQ(Log().calls[0].count, shade_levels);
    EXPECT_EQ(Log().calls[1].block, large);
    Expect_Unmapped_Table(material, 16);
}

TEST_F(Shade_Table_Test, Failed_Replacement_Keeps_The_Old_Table_Untouched) {
    Map map(Map_Format_Palette, 3, 8);
    Material& material = New_Material();
    material.Set_Diffuse({255, 255, 255}).Set_Tint({255, 255, 255});
    std::uint32_t* small = Build_Unmapped(material);
    std::uint32_t before[64];
    std::copy(small, small + 64, before);

    material.Set_Map(&map).Set_Ambient({255, 0, 0});
    material.Flags() = Flag_Mapped;
    Log().Reset();
    Log().fail_call = 1;
    Quorvel_Update_Material_Dll(material.Record());
    EXPECT_EQ(Table(material.Record()), small);
    EXPECT_TRUE(std::equal(before, before + 64, small));
    EXPECT_EQ(Log().Count(quorvel_host::Memory_Call_Kind::Release), 0u);

    // The next refill tries again.
    Quorvel_Update_Material_Dll(material.Record());
    EXPECT_NE(Table(material.Record()), small);
    Expect_Mapped_Table(material, map.Record()->palette, 16);
}

}  // namespace
