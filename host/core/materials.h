// Materials, maps and palettes as a host engine keeps them: each builder owns
// its host record and everything the record points at (the flags word, the
// image with its inline texels, the palette), so a test or a scene can hand
// the record to the library and forget about lifetimes.
#ifndef QUORVEL_HOST_MATERIALS_H
#define QUORVEL_HOST_MATERIALS_H

#include <cstdint>
#include <functional>
#include <memory>
#include <vector>

#include "quorvel/host_records.h"

namespace quorvel_host {

struct Colour {
    std::uint8_t red = 0, green = 0, blue = 0;
};

// 256 entries, each from colour_of(index).
std::vector<Palette_Entry> Make_Palette(const std::function<Colour(int index)>& colour_of);
// Entry p is (p, p, p).
std::vector<Palette_Entry> Grey_Palette();

// A map with its image: 8-bit palette indices (format 8, with a palette) or
// 16-bit texels (any other format). Width is 1 << width_shift.
class Map {
public:
    Map(std::uint32_t format, std::uint32_t width_shift, std::uint32_t height);
    Map(const Map&) = delete;
    Map& operator=(const Map&) = delete;

    Host_Map* Record() { return &record_; }
    Map_Image* Image() { return image_; }
    std::uint32_t Width() const { return 1u << width_shift_; }
    std::uint32_t Height() const { return height_; }
    std::uint8_t* Texels_8();
    std::uint16_t* Texels_16();

    Map& Set_Palette(std::vector<Palette_Entry> palette);
    Map& Set_Colour_Key(std::uint16_t key, std::uint8_t key_index);
    Map& Set_Scale(float u_scale, float v_scale);
    // Leave the record pointing at nothing, as a careless host might.
    Map& Drop_Image();
    Map& Drop_Palette();

private:
    Host_Map record_{};
    std::uint32_t width_shift_;
    std::uint32_t height_;
    std::vector<std::uint32_t> image_storage_;  // header + texels, 4-byte aligned
    Map_Image* image_;
    std::vector<Palette_Entry> palette_;
};

// A material with its own Material_Flags word. The record starts zeroed
// (mode 0, black, opaque, plain, no map), as the library expects.
class Material {
public:
    Material();
    Material(const Material&) = delete;
    Material& operator=(const Material&) = delete;

    Host_Material* Record() { return &record_; }
    Host_Material* operator->() { return &record_; }
    std::uint32_t& Flags() { return flags_; }

    Material& Set_Mode(std::int32_t mode);
    Material& Set_Ambient(Colour colour);
    Material& Set_Diffuse(Colour colour);
    Material& Set_Specular(Colour colour);
    Material& Set_Tint(Colour colour);
    Material& Set_Shininess(std::int32_t shininess, std::int32_t strength);
    Material& Set_Transparency(std::int32_t transparency);
    Material& Set_Kind(std::int32_t kind);
    Material& Set_Flat_Colour(std::uint16_t pixel);
    Material& Set_Map(Map* map);  // null removes the map

private:
    Host_Material record_{};
    std::uint32_t flags_ = 0;
};

}  // namespace quorvel_host

#endif
