// Render-state selection: from a shading mode and the material's flags word
// to one of the nineteen rows, building the shade table a lit row reads.
// After this nothing looks at the mode or the flags again.
#include "interface/interface.h"

namespace {

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
    case 1: *flags |= Flag_Keyed; break;
    case 2: *flags |= Flag_Additive; break;
    case 10: *flags |= Flag_Square_Overlay; break;
    case 11: *flags |= Flag_Square; break;
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

bool Row_Reads_Map(Row_Id row) {
    switch (row) {
    case Row_Mapped: case Row_Mapped_Palette: case Row_Mapped_Blend: case Row_Mapped_Keyed:
    case Row_Mapped_Keyed_Blend: case Row_Mapped_Additive: case Row_Square: case Row_Square_Overlay:
    case Row_Gouraud_Mapped: case Row_Gouraud_Mapped_Blend: case Row_Gouraud_Mapped_Keyed:
    case Row_Gouraud_Mapped_Keyed_Blend: case Row_Gouraud_Mapped_Additive:
        return true;
    default:
        return false;
    }
}

// Rows whose fillers index the shade table by level x 256 + palette index.
bool Row_Reads_Mapped_Shades(Row_Id row) {
    switch (row) {
    case Row_Mapped_Palette: case Row_Gouraud_Mapped: case Row_Gouraud_Mapped_Blend:
    case Row_Gouraud_Mapped_Keyed: case Row_Gouraud_Mapped_Keyed_Blend: case Row_Gouraud_Mapped_Additive:
        return true;
    default:
        return false;
    }
}

Row_Id Unlit_Row(std::uint32_t flags) {
    switch (flags) {
    case 0x000: return Row_Flat;
    case 0x001: return Row_Mapped;
    case 0x003: return Row_Mapped_Keyed;
    case 0x004: return Row_Flat_Blend;
    case 0x005: return Row_Mapped_Blend;
    case 0x007: return Row_Mapped_Keyed_Blend;
    case 0x041: return Row_Mapped_Additive;
    case 0x101: return Row_Square_Overlay;
    case 0x201: return Row_Square;
    default: return Row_Random;
    }
}

Row_Id Gouraud_Row(std::uint32_t flags) {
    switch (flags) {
    case 0x000: return Row_Gouraud;
    case 0x001: return Row_Gouraud_Mapped;
    case 0x003: return Row_Gouraud_Mapped_Keyed;
    case 0x004: return Row_Gouraud_Blend;
    case 0x005: return Row_Gouraud_Mapped_Blend;
    case 0x007: return Row_Gouraud_Mapped_Keyed_Blend;
    case 0x041: return Row_Gouraud_Mapped_Additive;
    default: return Row_Random;
    }
}

constexpr std::uint32_t translucent_flags = Flag_Keyed | Flag_Blend_Half | Flag_Transparent | Flag_Translucent_Host;

bool Ensure_Shade_Table(Host_Material* material) {
    return material->render_data->shade_table != nullptr || Build_Shade_Table(material) != 0;
}

}  // namespace

bool Row_Reads_Map(const Dispatch_Row* row) {
    return row >= interface_state.rows && row < interface_state.rows + Row_Count &&
           Row_Reads_Map(Row_Id(row - interface_state.rows));
}

std::int32_t Select_Render_State(Host_Material* material, std::int32_t mode_argument, std::uint32_t flags_argument) {
    Material_Render_Data* data = material->render_data;
    // A material whose Add failed has nowhere to keep a row.
    if (data == nullptr) return 0;

    const std::int32_t mode =
        (std::uint32_t(mode_argument) & Mode_From_Material) != 0 ? material->mode : mode_argument;
    if ((flags_argument & Flags_From_Material) != 0) {
        Recompute_Flags(material);
    } else if ((flags_argument & Keep_Flags) == 0) {
        *material->render_flags = flags_argument;
    }
    const std::uint32_t flags = *material->render_flags;

    Row_Id row;
    if (mode == 0) {
        if (Has_Palette_Map(material)) {
            if (!Ensure_Shade_Table(material)) return 0;
            row = flags == Flag_Mapped ? Row_Mapped_Palette : Row_Random;
        } else {
            row = Unlit_Row(flags);
        }
    } else if (mode == 1 || mode == 2) {
        if (Has_Texel_Map(material)) {
            row = Row_Random;
        } else {
            if (!Ensure_Shade_Table(material)) return 0;
            row = Gouraud_Row(flags);
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
