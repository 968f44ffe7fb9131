// Material and map records with nothing around them, for tests that drive the
// material exports directly: each builder owns its host record and everything
// the record points at (the flags word, the image with its inline texels, the
// palette), so a test can hand the record to the library and forget lifetimes.
// The host engine's own Map and Material (host/core/scene_materials.h) build
// records from settings; these expose every field, careless values included.
#ifndef QUORVEL_TESTS_BARE_MATERIALS_H
#define QUORVEL_TESTS_BARE_MATERIALS_H

#include <cstdint>
#include <utility>
#include <vector>

#include "quorvel/host_records.h"

namespace quorvel_test {

struct Colour {
    std::uint8_t red = 0, green = 0, blue = 0;
};

// 256 entries, each from colour_of(index).
template <class Colour_Of>
std::vector<Palette_Entry> Make_Palette(Colour_Of colour_of) {
    std::vector<Palette_Entry> palette(256);
    for (int p = 0; p < 256; ++p) {
        const Colour colour = colour_of(p);
        palette[std::size_t(p)] = {colour.blue, colour.green, colour.red, 0};
    }
    return palette;
}

// A map with its image: 8-bit palette indices (format Map_Format_Palette, with
// a grey palette until told otherwise) or 16-bit texels (any other format).
// Width is 1 << width_shift.
class Bare_Map {
public:
    Bare_Map(std::uint32_t format, std::uint32_t width_shift, std::uint32_t height) {
        const std::uint32_t width = 1u << width_shift;
        const std::size_t texel_bytes = std::size_t(width) * height * (format == Map_Format_Palette ? 1 : 2);
        image_storage_.assign((map_image_texels_offset + texel_bytes + 3) / 4, 0);
        Map_Image* image = reinterpret_cast<Map_Image*>(image_storage_.data());
        image->format = format;
        image->is_256x256 = (width_shift == 8 && height == 256) ? 1 : 0;
        image->index_mask = width * height - 1;
        image->width_shift = width_shift;
        image->u_scale = float(width);
        image->v_scale = float(height);
        record_.image = image;
        if (format == Map_Format_Palette)
            Set_Palette(Make_Palette([](int p) { return Colour{std::uint8_t(p), std::uint8_t(p), std::uint8_t(p)}; }));
    }
    Bare_Map(const Bare_Map&) = delete;
    Bare_Map& operator=(const Bare_Map&) = delete;

    Host_Map* Record() { return &record_; }

    Bare_Map& Set_Palette(std::vector<Palette_Entry> palette) {
        palette_ = std::move(palette);
        palette_.resize(256);
        record_.palette = palette_.data();
        return *this;
    }
    // Leave the record pointing at nothing, as a careless host might.
    Bare_Map& Drop_Image() {
        record_.image = nullptr;
        return *this;
    }
    Bare_Map& Drop_Palette() {
        record_.palette = nullptr;
        return *this;
    }

private:
    Host_Map record_{};
    std::vector<std::uint32_t> image_storage_;  // header + texels, 4-byte aligned
    std::vector<Palette_Entry> palette_;
};

// A material with its own Material_Flags word. The record starts zeroed
// (mode 0, black, opaque, plain, no map), as the library expects.
class Bare_Material {
public:
    Bare_Material() { record_.render_flags = &flags_; }
    Bare_Material(const Bare_Material&) = delete;
    Bare_Material& operator=(const Bare_Material&) = delete;

    Host_Material* Record() { return &record_; }
    Host_Material* operator->() { return &record_; }
    std::uint32_t& Flags() { return flags_; }

    Bare_Material& Set_Mode(std::int32_t mode) {
        record_.mode = mode;
        return *this;
    }
    Bare_Material& Set_Ambient(Colour colour) { return Set(record_.ambient, colour); }
    Bare_Material& Set_Diffuse(Colour colour) { return Set(record_.diffuse, colour); }
    Bare_Material& Set_Specular(Colour colour) { return Set(record_.specular, colour); }
    Bare_Material& Set_Tint(Colour colour) { return Set(record_.tint, colour); }
    Bare_Material& Set_Shininess(std::int32_t shininess, std::int32_t strength) {
        record_.shininess = shininess;
        record_.shininess_strength = strength;
        return *this;
    }
    Bare_Material& Set_Transparency(std::int32_t transparency) {
        record_.transparency = transparency;
        return *this;
    }
    Bare_Material& Set_Kind(std::int32_t kind) {
        record_.kind = kind;
        return *this;
    }
    Bare_Material& Set_Map(Bare_Map* map) {  // null removes the map
        record_.map = map != nullptr ? map->Record() : nullptr;
        return *this;
    }

private:
    Bare_Material& Set(std::uint8_t (&to)[3], Colour colour) {
        to[0] = colour.red;
        to[1] = colour.green;
        to[2] = colour.blue;
        return *this;
    }

    Host_Material record_{};
    std::uint32_t flags_ = 0;
};

}  // namespace quorvel_test

#endif
