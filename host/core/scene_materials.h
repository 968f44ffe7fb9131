// Materials and maps as the scenes build them: a host material record with
// its flags word, and maps whose image records hold their texels inline,
// either 16-bit texels in the frame buffer's format or 8-bit palette indices
// with their palette.
#ifndef QUORVEL_HOST_SCENE_MATERIALS_H
#define QUORVEL_HOST_SCENE_MATERIALS_H

#include <array>
#include <cstdint>
#include <memory>
#include <vector>

#include "core/image.h"
#include "quorvel/host_records.h"

namespace quorvel_host {

struct Map_Settings {
    float repeat_u = 1.0f;  // how many times the image spans one unit of corner u
    float repeat_v = 1.0f;
};

class Map {
public:
    // 16-bit texels in the format of `pixel_depth`. Texels with alpha below
    // 128 take the colour key, a value no opaque texel of the image has.
    // Null when a side is not a power of two or exceeds 4096.
    static std::unique_ptr<Map> Texels_16(const Image& image, std::int32_t pixel_depth, Map_Settings settings = {});
    // 8-bit palette indices; index 0 is the key (transparent_index).
    static std::unique_ptr<Map> Palette(const Palette_Image& image, Map_Settings settings = {});

    Map(const Map&) = delete;
    Map& operator=(const Map&) = delete;

    Host_Map* Record() { return &record_; }
    Map_Image* Image_Record() { return reinterpret_cast<Map_Image*>(storage_.data()); }
    const Map_Image* Image_Record() const { return reinterpret_cast<const Map_Image*>(storage_.data()); }
    std::int32_t Width() const { return width_; }
    std::int32_t Height() const { return height_; }
    bool Is_Palette() const { return Image_Record()->format == Map_Format_Palette; }

private:
    Map() = default;
    bool Lay_Out(std::int32_t width, std::int32_t height, std::uint32_t format, std::size_t texel_bytes,
                 Map_Settings settings);
    std::uint8_t* Texel_Bytes() { return reinterpret_cast<std::uint8_t*>(storage_.data()) + map_image_texels_offset; }

    Host_Map record_{};
    std::vector<std::uint32_t> storage_;  // Map_Image header, then the texels
    std::array<Palette_Entry, 256> palette_{};
    std::int32_t width_ = 0, height_ = 0;
};

// Everything a material can say; the scene turns it into a host record and
// asks the library for its render state.
struct Material_Settings {
    std::int32_t mode = 0;      // 0 unlit, 1 and 2 lit through the shade table
    Rgb colour{200, 200, 200};  // the flat colour (mode 0 without a map)
    Rgb ambient{64, 64, 64};    // the lit colours (modes 1 and 2)
    Rgb diffuse{200, 200, 200};
    Rgb specular{0, 0, 0};
    Rgb tint{255, 255, 255};
    std::int32_t shininess = 0;  // percent
    std::int32_t shininess_strength = 0;
    std::int32_t transparency = 0;  // 0 opaque, 50 half blend, other = transparent
    std::int32_t kind = 0;          // 1 keyed, 2 additive, 10 square overlay, 11 square
    Map* map = nullptr;
    // The render-state call's arguments: by default the library reads the
    // mode from the record and recomputes the flags from the material.
    std::int32_t mode_argument = std::int32_t(Mode_From_Material);
    std::uint32_t flags_argument = Flags_From_Material;
    bool two_sided = false;  // faces are drawn from both sides
};

class Material {
public:
    Material(const Material_Settings& settings, std::int32_t pixel_depth);
    Material(const Material&) = delete;
    Material& operator=(const Material&) = delete;

    Host_Material* Record() { return &record_; }
    const Material_Settings& Settings() const { return settings_; }
    std::uint32_t Flags() const { return flags_word_; }
    // 1 when the library attached its render data and accepted the render
    // state; faces of a material that failed are never handed to it.
    bool Usable() const { return record_.render_data != nullptr && record_.render_data->row != nullptr; }
    // The lit modes (1 and 2) are the only ones whose faces read the
    // vertices' light: the mode the render-state call chose.
    bool Uses_Light() const {
        const bool from_material = (std::uint32_t(settings_.mode_argument) & Mode_From_Material) != 0;
        const std::int32_t mode = from_material ? settings_.mode : settings_.mode_argument;
        return mode == 1 || mode == 2;
    }

private:
    Host_Material record_{};
    std::uint32_t flags_word_ = 0;
    Material_Settings settings_;
};

}  // namespace quorvel_host

#endif
