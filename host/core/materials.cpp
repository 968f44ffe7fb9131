// Builders for materials, maps and palettes.
#include "core/materials.h"

#include <utility>

namespace quorvel_host {

std::vector<Palette_Entry> Make_Palette(const std::function<Colour(int index)>& colour_of) {
    std::vector<Palette_Entry> palette(256);
    for (int p = 0; p < 256; ++p) {
        const Colour colour = colour_of(p);
        palette[p] = {colour.blue, colour.green, colour.red, 0};
    }
    return palette;
}

std::vector<Palette_Entry> Grey_Palette() {
    return Make_Palette([](int p) {
        const auto level = static_cast<std::uint8_t>(p);
        return Colour{level, level, level};
    });
}

Map::Map(std::uint32_t format, std::uint32_t width_shift, std::uint32_t height)
    : width_shift_(width_shift), height_(height) {
    const std::size_t texel_bytes = std::size_t(Width()) * height * (format == Map_Format_Palette ? 1 : 2);
    image_storage_.assign((map_image_texels_offset + texel_bytes + 3) / 4, 0);
    image_ = reinterpret_cast<Map_Image*>(image_storage_.data());
    image_->format = format;
    image_->is_256x256 = (width_shift == 8 && height == 256) ? 1 : 0;
    image_->index_mask = Width() * height - 1;
    image_->width_shift = width_shift;
    image_->u_scale = float(Width());
    image_->v_scale = float(height);
    record_.image = image_;
    if (format == Map_Format_Palette) Set_Palette(Grey_Palette());
}

std::uint8_t* Map::Texels_8() {
    return reinterpret_cast<std::uint8_t*>(image_storage_.data()) + map_image_texels_offset;
}
std::uint16_t* Map::Texels_16() {
    return reinterpret_cast<std::uint16_t*>(reinterpret_cast<std::uint8_t*>(image_storage_.data()) +
                                            map_image_texels_offset);
}

Map& Map::Set_Palette(std::vector<Palette_Entry> palette) {
    palette_ = std::move(palette);
    palette_.resize(256);
    record_.palette = palette_.data();
    return *this;
}

Map& Map::Set_Colour_Key(std::uint16_t key, std::uint8_t key_index) {
    record_.colour_key = key;
    record_.colour_key_index = key_index;
    return *this;
}

Map& Map::Set_Scale(float u_scale, float v_scale) {
    image_->u_scale = u_scale;
    image_->v_scale = v_scale;
    return *this;
}

Map& Map::Drop_Image() {
    record_.image = nullptr;
    return *this;
}

Map& Map::Drop_Palette() {
    record_.palette = nullptr;
    return *this;
}

Material::Material() { record_.render_flags = &flags_; }

namespace {
void Copy_Colour(std::uint8_t (&to)[3], Colour colour) {
    to[0] = colour.red;
    to[1] = colour.green;
    to[2] = colour.blue;
}
}  // namespace

Material& Material::Set_Mode(std::int32_t mode) {
    record_.mode = mode;
    return *this;
}
Material& Material::Set_Ambient(Colour colour) {
    Copy_Colour(record_.ambient, colour);
    return *this;
}
Material& Material::Set_Diffuse(Colour colour) {
    Copy_Colour(record_.diffuse, colour);
    return *this;
}
Material& Material::Set_Specular(Colour colour) {
    Copy_Colour(record_.specular, colour);
    return *this;
}
Material& Material::Set_Tint(Colour colour) {
    Copy_Colour(record_.tint, colour);
    return *this;
}
Material& Material::Set_Shininess(std::int32_t shininess, std::int32_t strength) {
    record_.shininess = shininess;
    record_.shininess_strength = strength;
    return *this;
}
Material& Material::Set_Transparency(std::int32_t transparency) {
    record_.transparency = transparency;
    return *this;
}
Material& Material::Set_Kind(std::int32_t kind) {
    record_.kind = kind;
    return *this;
}
Material& Material::Set_Flat_Colour(std::uint16_t pixel) {
    record_.flat_colour = pixel;
    return *this;
}
Material& Material::Set_Map(Map* map) {
    record_.map = map != nullptr ? map->Record() : nullptr;
    return *this;
}

}  // namespace quorvel_host
