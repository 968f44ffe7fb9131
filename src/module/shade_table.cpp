// Shade tables: a material's finished pixels by light level (and, for palette
// maps, by palette index), so that a lit filler spends one table load per
// pixel and no arithmetic. Built on the first selection that needs one,
// refilled on request, released with the material.
#include <algorithm>
#include <new>

#include "module/module.h"

namespace {

constexpr std::uint32_t shade_table_unmapped_entries = shade_levels;
constexpr std::uint32_t palette_entries = 256;

// The specular highlight: a band of the brightest levels, narrower and
// steeper as the shininess grows. Its products wrap: percentages far outside
// 0..100 would overflow a signed product.
struct Highlight {
    std::int32_t first_level;  // 64 - H: levels below carry no highlight
    std::int32_t step;         // S, added once per band level

    std::int32_t Accumulator(std::int32_t level) const {
        return level < first_level ? 0 : Wrapping_Multiply(level - first_level, step);
    }
    static std::int32_t Term(std::uint8_t specular, std::int32_t accumulator) {
        return Wrapping_Multiply(specular, accumulator) >> 8;
    }
};

Highlight Highlight_Of(const Host_Material& material) {
    // Clamped so that the band has 4 to 32 levels: outside 0..100 the band
    // would be empty (a division by zero) or reach below level 0.
    const std::int32_t shininess = std::clamp(material.shininess, 0, 100);
    const std::int32_t band = 32 - shininess * 28 / 100;
    return {std::int32_t(shade_levels) - band, Wrapping_Multiply(material.shininess_strength, 256) / (band * 100)};
}

struct Pack_565 {
    static std::uint32_t Pack(std::int32_t red, std::int32_t green, std::int32_t blue) {
        return std::uint32_t((red >> 3) << 11 | (green >> 2) << 5 | (blue >> 3));
    }
};
struct Pack_555 {
    static std::uint32_t Pack(std::int32_t red, std::int32_t green, std::int32_t blue) {
        return std::uint32_t((red >> 3) << 10 | (green >> 3) << 5 | (blue >> 3));
    }
};

// Clamping each channel first keeps a saturated channel from carrying into
// its neighbour.
template <class Format>
std::uint32_t Shade_Entry(const std::int32_t (&value)[3]) {
    const std::uint32_t pixel =
        Format::Pack(std::clamp(value[0], 0, 255), std::clamp(value[1], 0, 255), std::clamp(value[2], 0, 255));
    return (pixel & 0xFFFF) << 16;
}

template <class Format>
void Fill_Unmapped(const Host_Material& material, std::uint32_t* table) {
    const Highlight highlight = Highlight_Of(material);
    for (std::int32_t level = 0; level < std::int32_t(shade_levels); ++level) {
        const std::int32_t accumulator = highlight.Accumulator(level);
        std::int32_t value[3];
        for (int c = 0; c < 3; ++c) {
            // Ambient gives a quarter, diffuse times tint up to three quarters at level 64.
            const std::int32_t base =
                (((material.tint[c] * material.diffuse[c] * level * 3) >> 14) + material.ambient[c]) >> 2;
            value[c] = base + Highlight::Term(material.specular[c], accumulator);
        }
        table[level] = Shade_Entry<Format>(value);
    }
}

template <class Format>
void Fill_Mapped(const Host_Material& material, const Palette_Entry* palette, std::uint32_t* table) {
    const Highlight highlight = Highlight_Of(material);
    for (std::int32_t level = 0; level < std::int32_t(shade_levels); ++level) {
        const std::int32_t accumulator = highlight.Accumulator(level);
        std::int32_t scale[3], term[3];
        for (int c = 0; c < 3; ++c) {
            scale[c] = (material.tint[c] * level) >> 8;
            term[c] = Highlight::Term(material.specular[c], accumulator);
        }
        std::uint32_t* row = table + level * palette_entries;
        for (std::uint32_t p = 0; p < palette_entries; ++p) {
            const std::int32_t colour[3] = {palette[p].red, palette[p].green, palette[p].blue};
            std::int32_t value[3];
            for (int c = 0; c < 3; ++c) value[c] = ((scale[c] * colour[c]) >> 6) + term[c];
            row[p] = Shade_Entry<Format>(value);
        }
    }
}

std::vector<const std::uint32_t*>& Mapped_Tables() { return module_state.mapped_shade_tables; }

void Forget_Shade_Table(const std::uint32_t* table) {
    auto& tables = Mapped_Tables();
    const auto at = std::lower_bound(tables.begin(), tables.end(), table);
    if (at != tables.end() && *at == table) tables.erase(at);
}

// Records the layout of a table just obtained from the host. Its address may
// be that of a mapped table released earlier, so an unmapped table is also
// struck from the list. Capacity was reserved before the host was asked.
void Remember_Shade_Table(const std::uint32_t* table, bool mapped) {
    Forget_Shade_Table(table);
    if (!mapped) return;
    auto& tables = Mapped_Tables();
    tables.insert(std::lower_bound(tables.begin(), tables.end(), table), table);
}

// Null when the host (or, for the layout list, the run-time library) has no
// memory. The list grows before the host is asked, so that remembering the
// new table can no longer fail once the host has handed it over.
std::uint32_t* Allocate_Shade_Table(bool mapped) {
    auto& tables = Mapped_Tables();
    if (mapped && tables.size() == tables.capacity()) {
        try {
            tables.reserve(std::max<std::size_t>(16, tables.capacity() * 2));
        } catch (const std::bad_alloc&) {
            return nullptr;
        }
    }
    const std::uint32_t count = mapped ? shade_table_mapped_entries : shade_table_unmapped_entries;
    return static_cast<std::uint32_t*>(Services().allocate(count, sizeof(std::uint32_t)));
}

}  // namespace

bool Shade_Layout_Is_Mapped(const Host_Material* material) {
    const Host_Map* map = material->map;
    return (*material->render_flags & Flag_Mapped) != 0 && map != nullptr && map->image != nullptr &&
           map->palette != nullptr;
}

bool Shade_Table_Is_Mapped(const std::uint32_t* table) {
    return std::binary_search(Mapped_Tables().begin(), Mapped_Tables().end(), table);
}

void Fill_Shade_Table(Host_Material* material) {
    std::uint32_t* table = material->render_data->shade_table;
    if (table == nullptr) return;
    const bool mapped = Shade_Layout_Is_Mapped(material);
    // A table of the other size is left alone: the mapped layout would run
    // past the end of a 64-entry table.
    if (mapped != Shade_Table_Is_Mapped(table)) return;
    const bool packs_565 = Services().pixel_depth == 16;
    if (mapped) {
        const Palette_Entry* palette = material->map->palette;
        packs_565 ? Fill_Mapped<Pack_565>(*material, palette, table) : Fill_Mapped<Pack_555>(*material, palette, table);
    } else {
        packs_565 ? Fill_Unmapped<Pack_565>(*material, table) : Fill_Unmapped<Pack_555>(*material, table);
    }
}

std::int32_t Build_Shade_Table(Host_Material* material) {
    const bool mapped = Shade_Layout_Is_Mapped(material);
    std::uint32_t* table = Allocate_Shade_Table(mapped);
    material->render_data->shade_table = table;
    if (table == nullptr) return 0;
    Remember_Shade_Table(table, mapped);
    Fill_Shade_Table(material);
    return 1;
}

bool Replace_Shade_Table(Host_Material* material, bool mapped) {
    std::uint32_t* table = Allocate_Shade_Table(mapped);
    if (table == nullptr) return false;
    Release_Shade_Table(material);
    Remember_Shade_Table(table, mapped);
    material->render_data->shade_table = table;
    Fill_Shade_Table(material);
    return true;
}

void Refill_Shade_Table(Host_Material* material) {
    const Material_Render_Data* data = material->render_data;
    if (data == nullptr || data->shade_table == nullptr) return;
    const bool mapped = Shade_Layout_Is_Mapped(material);
    const bool long_block = Shade_Table_Is_Mapped(data->shade_table);
    // Update reports nothing, so it must not be the call that needs memory.
    // A 64-entry table cannot take the long layout: it keeps its entries, and
    // the next selection of a row that reads the long layout replaces it,
    // where a failure can be reported.
    if (mapped && !long_block) return;
    // The short layout fits in a long block: its first 64 entries are
    // refilled, and the block counts as short from now on, so a later row that
    // reads the long layout gets a new, freshly filled table instead of these
    // mixed entries.
    if (!mapped && long_block) Forget_Shade_Table(data->shade_table);
    Fill_Shade_Table(material);
}

void Release_Shade_Table(Host_Material* material) {
    Material_Render_Data* data = material->render_data;
    if (data->shade_table == nullptr) return;
    Forget_Shade_Table(data->shade_table);
    Services().release(data->shade_table);
    data->shade_table = nullptr;
}
