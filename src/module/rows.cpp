// The nineteen dispatch rows: which setup, clip family and filler each render
// state uses, and what its filler reads. Read this table to know what a
// material will draw with.
#include "faces/faces.h"
#include "fillers/fillers.h"
#include "module/module.h"

namespace {

struct Clip_Family {
    Clip_Function near_plane, far_plane, right, left, bottom, top;
};

constexpr Clip_Family clip_flat = {Clip_Near_Flat, Clip_Far_Flat,    Clip_Right_Flat,
                                   Clip_Left_Flat, Clip_Bottom_Flat, Clip_Top_Flat};
constexpr Clip_Family clip_gouraud = {Clip_Near_Gouraud, Clip_Far_Gouraud,    Clip_Right_Gouraud,
                                      Clip_Left_Gouraud, Clip_Bottom_Gouraud, Clip_Top_Gouraud};
constexpr Clip_Family clip_gouraud_mapped = {Clip_Near_Gouraud_Mapped,   Clip_Far_Gouraud_Mapped,
                                             Clip_Right_Gouraud_Mapped,  Clip_Left_Gouraud_Mapped,
                                             Clip_Bottom_Gouraud_Mapped, Clip_Top_Gouraud_Mapped};
constexpr Clip_Family clip_mapped = {Clip_Near_Mapped, Clip_Far_Mapped,    Clip_Right_Mapped,
                                     Clip_Left_Mapped, Clip_Bottom_Mapped, Clip_Top_Mapped};

// Everything about a row in one place: its slots, and what its filler reads.
struct Row_Facts {
    Row_Id id;
    Setup_Function setup;
    const Clip_Family* clips;
    Fill_Function fill;
    bool reads_map;            // dereferences the map's image (and palette)
    bool reads_mapped_shades;  // indexes the shade table by level x 256 + palette index
};

constexpr bool map = true, no_map = false;
constexpr bool mapped_shades = true, level_shades = false;

constexpr Row_Facts row_facts[Row_Count] = {
    {Row_Random, Setup_Face_Flat, &clip_flat, Fill_Spans_Random, no_map, level_shades},
    {Row_Random_Blend, Setup_Face_Flat_Translucent, &clip_flat, Fill_Spans_Random_Blend, no_map, level_shades},
    {Row_Flat, Setup_Face_Flat, &clip_flat, Fill_Spans_Flat, no_map, level_shades},
    {Row_Flat_Blend, Setup_Face_Flat_Translucent, &clip_flat, Fill_Spans_Flat_Blend, no_map, level_shades},
    {Row_Mapped, Setup_Face_Mapped, &clip_mapped, Fill_Spans_Mapped, map, level_shades},
    {Row_Mapped_Palette, Setup_Face_Mapped, &clip_mapped, Fill_Spans_Mapped_Palette, map, mapped_shades},
    {Row_Mapped_Blend, Setup_Face_Mapped_Translucent, &clip_mapped, Fill_Spans_Mapped_Blend, map, level_shades},
    {Row_Mapped_Keyed, Setup_Face_Mapped_Translucent, &clip_mapped, Fill_Spans_Mapped_Keyed, map, level_shades},
    {Row_Mapped_Keyed_Blend, Setup_Face_Mapped_Translucent, &clip_mapped, Fill_Spans_Mapped_Keyed_Blend, map,
     level_shades},
    {Row_Mapped_Additive, Setup_Face_Mapped_Translucent, &clip_mapped, Fill_Spans_Mapped_Additive, map, level_shades},
    {Row_Square, Setup_Face_Square, &clip_mapped, Fill_Spans_Mapped_Additive, map, level_shades},
    {Row_Square_Overlay, Setup_Face_Square_Overlay, &clip_mapped, Fill_Square_Overlay, map, level_shades},
    {Row_Gouraud, Setup_Face_Gouraud, &clip_gouraud, Fill_Spans_Gouraud, no_map, level_shades},
    {Row_Gouraud_Blend, Setup_Face_Gouraud_Translucent, &clip_gouraud, Fill_Spans_Gouraud_Blend, no_map, level_shades},
    {Row_Gouraud_Mapped, Setup_Face_Gouraud_Mapped, &clip_gouraud_mapped, Fill_Spans_Gouraud_Mapped, map,
     mapped_shades},
    {Row_Gouraud_Mapped_Blend, Setup_Face_Gouraud_Mapped_Translucent, &clip_gouraud_mapped,
     Fill_Spans_Gouraud_Mapped_Blend, map, mapped_shades},
    {Row_Gouraud_Mapped_Keyed, Setup_Face_Gouraud_Mapped_Translucent, &clip_gouraud_mapped,
     Fill_Spans_Gouraud_Mapped_Keyed, map, mapped_shades},
    {Row_Gouraud_Mapped_Keyed_Blend, Setup_Face_Gouraud_Mapped_Translucent, &clip_gouraud_mapped,
     Fill_Spans_Gouraud_Mapped_Keyed_Blend, map, mapped_shades},
    {Row_Gouraud_Mapped_Additive, Setup_Face_Gouraud_Mapped_Translucent, &clip_gouraud_mapped,
     Fill_Spans_Gouraud_Mapped_Additive, map, mapped_shades},
};

// The table is read by row id.
constexpr bool Rows_In_Id_Order() {
    for (int i = 0; i < Row_Count; ++i)
        if (row_facts[i].id != i) return false;
    return true;
}
static_assert(Rows_In_Id_Order());

}  // namespace

bool Row_Reads_Map(Row_Id row) { return row_facts[row].reads_map; }
bool Row_Reads_Map(const Dispatch_Row* row) {
    return row >= interface_state.rows && row < interface_state.rows + Row_Count &&
           Row_Reads_Map(Row_Id(row - interface_state.rows));
}
bool Row_Reads_Mapped_Shades(Row_Id row) { return row_facts[row].reads_mapped_shades; }

void Fill_Dispatch_Rows() {
    for (const Row_Facts& functions : row_facts) {
        Dispatch_Row& row = interface_state.rows[functions.id];
        row.setup = functions.setup;
        row.clip_near = functions.clips->near_plane;
        row.clip_far = functions.clips->far_plane;
        row.clip_right = functions.clips->right;
        row.clip_left = functions.clips->left;
        row.clip_bottom = functions.clips->bottom;
        row.clip_top = functions.clips->top;
        row.fill = functions.fill;
    }
}
