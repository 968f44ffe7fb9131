// Map images laid out as the library reads them, and material records.
#include "core/scene_materials.h"

#include <cstring>

namespace quorvel_host {

namespace {

std::uint32_t Log2(std::int32_t value) {
    std::uint32_t shift = 0;
    while ((std::int32_t(1) << shift) < value) ++shift;
    return shift;
}

}  // namespace

bool Map::Lay_Out(std::int32_t width, std::int32_t height, std::uint32_t format, std::size_t texel_bytes,
                  Map_Settings settings) {
    // 4096 per side keeps width x height - 1 (the index mask) within 24 bits.
    if (!Is_Power_Of_Two(width) || !Is_Power_Of_Two(height) || width > 4096 || height > 4096) return false;
    width_ = width;
    height_ = height;
    const std::size_t bytes = map_image_texels_offset + std::size_t(width) * height * texel_bytes;
    storage_.assign((bytes + 3) / 4, 0);
    Map_Image* image = Image_Record();
    image->format = format;
    image->is_256x256 = width == 256 && height == 256;
    image->index_mask = std::uint32_t(width) * std::uint32_t(height) - 1;
    image->width_shift = Log2(width);
    image->u_scale = float(width) * settings.repeat_u;
    image->v_scale = float(height) * settings.repeat_v;
    record_.image = image;
    return true;
}

std::unique_ptr<Map> Map::Texels_16(const Image& image, std::int32_t pixel_depth, Map_Settings settings) {
    std::unique_ptr<Map> map(new Map);
    if (!map->Lay_Out(image.width, image.height, 16, 2, settings)) return nullptr;
    std::vector<std::uint16_t> texels(image.pixels.size());
    std::vector<bool> used(65536, false);
    for (std::size_t i = 0; i < texels.size(); ++i) {
        const Rgba& p = image.pixels[i];
        texels[i] = Pack_Pixel({p.r, p.g, p.b}, pixel_depth);
        if (p.a >= 128) used[texels[i]] = true;
    }
    // Magenta is the customary key; walk down from it until no opaque texel
    // of this image shares the value.
    std::uint16_t key = Pack_Pixel({255, 0, 255}, pixel_depth);
    for (int tries = 0; used[key] && tries < 65536; ++tries) --key;
    for (std::size_t i = 0; i < texels.size(); ++i)
        if (image.pixels[i].a < 128) texels[i] = key;
    map->record_.colour_key = key;
    map->record_.colour_key_index = transparent_index;
    std::memcpy(map->Texel_Bytes(), texels.data(), texels.size() * 2);
    return map;
}

std::unique_ptr<Map> Map::Palette(const Palette_Image& image, Map_Settings settings) {
    std::unique_ptr<Map> map(new Map);
    if (image.indices.size() != std::size_t(image.width) * std::size_t(image.height)) return nullptr;
    if (!map->Lay_Out(image.width, image.height, Map_Format_Palette, 1, settings)) return nullptr;
    std::memcpy(map->Texel_Bytes(), image.indices.data(), image.indices.size());
    for (std::size_t i = 0; i < 256; ++i)
        map->palette_[i] = {image.palette[i].b, image.palette[i].g, image.palette[i].r, 0};
    map->record_.palette = map->palette_.data();
    map->record_.colour_key_index = transparent_index;
    return map;
}

Material::Material(const Material_Settings& settings, std::int32_t pixel_depth) : settings_(settings) {
    const auto copy = [](std::uint8_t* out, Rgb c) {
        out[0] = c.r;
        out[1] = c.g;
        out[2] = c.b;
    };
    record_.mode = settings.mode;
    copy(record_.ambient, settings.ambient);
    copy(record_.diffuse, settings.diffuse);
    copy(record_.specular, settings.specular);
    copy(record_.tint, settings.tint);
    record_.flat_colour = Pack_Pixel(settings.colour, pixel_depth);
    record_.shininess = settings.shininess;
    record_.shininess_strength = settings.shininess_strength;
    record_.transparency = settings.transparency;
    record_.kind = settings.kind;
    record_.map = settings.map != nullptr ? settings.map->Record() : nullptr;
    record_.render_flags = &flags_word_;
}

}  // namespace quorvel_host
