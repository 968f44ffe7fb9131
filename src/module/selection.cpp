// Render-state selection: from a shading mode and the material's flags word
// to one of the nineteen rows, building the shade table a lit row reads.
// After this nothing looks at the mode or the flags again.
#include "module/module.h"

namespace {

// Host_Material::kind: the kinds that set a flag; any other value sets none.
enum Material_Kind : std::int32_t {
    Kind_Keyed = 1,
    Kind_Additive = 2,
    Kind_Square_Overlay = 10,
    Kind_Square = 11,
};

// Shading modes: 0 is unlit, 1 and 2 are both Gouraud; any other value
// draws a random colour.
enum Shading_Mode : std::int32_t { Mode_Unlit = 0, Mode_Gouraud_1 = 1, Mode_Gouraud_2 = 2 };

// Cleared first, then set bit by bit in this order. The flags word is the
// host's and may share memory with the fields read here; each field is read
// only after the bits before it were written, so such a host sees the same
// word on every build.
void Recompute_Flags(Host_Material* material) {
    std::uint32_t* flags = material->render_flags;
    *flags = 0;
    if (material->map != nullptr) *flags |= Flag_Mapped;
    const std::int32_t transparency = material->transparency;
    if (transparency == 50) {
        *flags |= Flag_Blend_Half;
    } else if (transparency != 0) {
        *flags |= Flag_Transparent;
    }
    switch (material->kind) {
        case Kind_Keyed: *flags |= Flag_Keyed; break;
        case Kind_Additive: *flags |= Flag_Additive; break;
        case Kind_Square_Overlay: *flags |= Flag_Square_Overlay; break;
        case Kind_Square: *flags |= Flag_Square; break;
        default: break;
    }
}

const Map_Image* Image_Of(const Host_Material* material) {
    return material->map != nullptr ? material->map->image : nullptr;
}

// A map without an image has no format: it counts as neither kind.
bool Has_Palette_Map(const Host_Material* material) {
    const Map_Image* image = Image_Of(material);
    return image != nullptr && image->format == Map_Format_Palette;
}
bool Has_Texel_Map(const Host_Material* material) {
    const Map_Image* image = Image_Of(material);
    return image != nullptr && image->format != Map_Format_Palette;
}

// What a mapped filler dereferences: the image, and for palette indices the palette.
bool Map_Is_Readable(const Host_Material* material) {
    const Map_Image* image = Image_Of(material);
    return image != nullptr && (image->format != Map_Format_Palette || material->map->palette != nullptr);
}

// The flag combinations that have a row of their own, unlit and Gouraud;
// every other combination draws Row_Random.
struct Flag_Rows {
    std::uint32_t flags;
    Row_Id unlit;
    Row_Id gouraud;
};
constexpr Flag_Rows flag_rows[] = {
    {0, Row_Flat, Row_Gouraud},
    {Flag_Mapped, Row_Mapped, Row_Gouraud_Mapped},
    {Flag_Mapped | Flag_Keyed, Row_Mapped_Keyed, Row_Gouraud_Mapped_Keyed},
    {Flag_Blend_Half, Row_Flat_Blend, Row_Gouraud_Blend},
    {Flag_Mapped | Flag_Blend_Half, Row_Mapped_Blend, Row_Gouraud_Mapped_Blend},
    {Flag_Mapped | Flag_Keyed | Flag_Blend_Half, Row_Mapped_Keyed_Blend, Row_Gouraud_Mapped_Keyed_Blend},
    {Flag_Mapped | Flag_Additive, Row_Mapped_Additive, Row_Gouraud_Mapped_Additive},
    {Flag_Mapped | Flag_Square_Overlay, Row_Square_Overlay, Row_Random},
    {Flag_Mapped | Flag_Square, Row_Square, Row_Random},
};

Row_Id Row_For_Flags(std::uint32_t flags, Row_Id Flag_Rows::*mode_row) {
    for (const Flag_Rows& rows : flag_rows)
        if (rows.flags == flags) return rows.*mode_row;
    return Row_Random;
}

constexpr std::uint32_t translucent_flags = Flag_Keyed | Flag_Blend_Half | Flag_Transparent | Flag_Translucent_Host;

bool Ensure_Shade_Table(Host_Material* material) {
    return material->render_data->shade_table != nullptr || Build_Shade_Table(material) != 0;
}

}  // namespace

bool Map_Fits_Row(const Host_Material* material, const Dispatch_Row* row) {
    if (!Row_Reads_Map(row)) return true;
    const Map_Image* image = Image_Of(material);
    if (image == nullptr) return false;
    // Palette rows read one byte per texel, the others two: a 16-bit filler
    // on an image of indices would read twice its texels.
    const bool indices = image->format == Map_Format_Palette;
    return indices == Row_Reads_Mapped_Shades(Row_Id(row - interface_state.rows));
}

std::int32_t Select_Render_State(Host_Material* material, std::int32_t mode_argument, std::uint32_t flags_argument) {
    Material_Render_Data* data = material->render_data;
    // A material whose Add failed has nowhere to keep a row.
    if (data == nullptr) return 0;

    const std::int32_t mode = (std::uint32_t(mode_argument) & Mode_From_Material) != 0 ? material->mode : mode_argument;
    if ((flags_argument & Flags_From_Material) != 0) {
        Recompute_Flags(material);
    } else if ((flags_argument & Keep_Flags) == 0) {
        *material->render_flags = flags_argument;
    }
    const std::uint32_t flags = *material->render_flags;

    Row_Id row;
    if (mode == Mode_Unlit) {
        if (Has_Palette_Map(material)) {
            if (!Ensure_Shade_Table(material)) return 0;
            row = flags == Flag_Mapped ? Row_Mapped_Palette : Row_Random;
        } else {
            row = Row_For_Flags(flags, &Flag_Rows::unlit);
        }
    } else if (mode == Mode_Gouraud_1 || mode == Mode_Gouraud_2) {
        if (Has_Texel_Map(material)) {
            row = Row_Random;
        } else {
            if (!Ensure_Shade_Table(material)) return 0;
            row = Row_For_Flags(flags, &Flag_Rows::gouraud);
        }
    } else {
        row = (flags & translucent_flags) != 0 ? Row_Random_Blend : Row_Random;
    }

    // No filler may read through a missing map, image or palette.
    if (Row_Reads_Map(row) && !Map_Is_Readable(material)) row = Row_Flat;
    // A table kept from an earlier selection may have the 64-entry layout;
    // these rows index it up to 64 x 256, so it is replaced first.
    if (Row_Reads_Mapped_Shades(row) && !Shade_Table_Is_Mapped(data->shade_table) &&
        !Replace_Shade_Table(material, true)) {
        return 0;
    }

    data->row = Row(row);
    interface_state.rows[row].mode = mode;
    return 1;
}
