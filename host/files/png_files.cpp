// libpng's simplified interface does the decoding; we only move pixels.
#include "files/png_files.h"

#include <png.h>

#include <cstring>
#include <vector>

namespace quorvel_host {

namespace {

std::string Png_Error(const png_image& image, const std::string& path) {
    return path + ": " + (image.message[0] != '\0' ? image.message : "not a readable PNG");
}

// Opens a PNG for the simplified libpng reader; on failure says why.
bool Begin_Read(png_image& image, const std::string& path, std::string& error) {
    std::memset(&image, 0, sizeof image);
    image.version = PNG_IMAGE_VERSION;
    if (png_image_begin_read_from_file(&image, path.c_str()) != 0) return true;
    error = Png_Error(image, path);
    return false;
}

}  // namespace

bool Read_Png(const std::string& path, Image& out, std::string& error) {
    png_image image;
    if (!Begin_Read(image, path, error)) return false;
    image.format = PNG_FORMAT_RGBA;
    if (image.width == 0 || image.height == 0 || image.width > 16384 || image.height > 16384) {
        png_image_free(&image);
        error = path + ": image size " + std::to_string(image.width) + "x" + std::to_string(image.height) +
                " is not supported (1..16384 per side)";
        return false;
    }
    std::vector<png_byte> buffer(PNG_IMAGE_SIZE(image));
    if (png_image_finish_read(&image, nullptr, buffer.data(), 0, nullptr) == 0) {
        error = Png_Error(image, path);
        return false;
    }
    out = Image(std::int32_t(image.width), std::int32_t(image.height));
    std::memcpy(out.pixels.data(), buffer.data(), buffer.size());
    return true;
}

bool Read_Png_Palette(const std::string& path, Palette_Image& out, std::string& error) {
    png_image image;
    if (!Begin_Read(image, path, error)) return false;
    const bool palette_file = (image.format & PNG_FORMAT_FLAG_COLORMAP) != 0 && image.colormap_entries <= 255;
    png_image_free(&image);
    if (!palette_file) {
        Image rgba;
        if (!Read_Png(path, rgba, error)) return false;
        out = Quantise(rgba);
        return true;
    }
    if (!Begin_Read(image, path, error)) return false;
    image.format = PNG_FORMAT_RGBA_COLORMAP;
    std::vector<png_byte> indices(PNG_IMAGE_SIZE(image));
    std::vector<png_byte> colours(PNG_IMAGE_COLORMAP_SIZE(image));
    if (png_image_finish_read(&image, nullptr, indices.data(), 0, colours.data()) == 0) {
        error = Png_Error(image, path);
        return false;
    }
    out = Palette_Image{};
    out.width = std::int32_t(image.width);
    out.height = std::int32_t(image.height);
    out.indices.resize(indices.size());
    const std::size_t entries = colours.size() / 4;
    for (std::size_t i = 0; i < indices.size(); ++i) {
        const std::size_t index = indices[i];
        const bool transparent = index >= entries || colours[index * 4 + 3] < 128;
        out.has_transparent = out.has_transparent || transparent;
        out.indices[i] = transparent ? transparent_index : std::uint8_t(index + 1);
    }
    for (std::size_t i = 0; i < entries && i < 255; ++i)
        out.palette[i + 1] = {colours[i * 4], colours[i * 4 + 1], colours[i * 4 + 2]};
    return true;
}

bool Write_Png(const std::string& path, const Image& in, std::string& error) {
    png_image image;
    std::memset(&image, 0, sizeof image);
    image.version = PNG_IMAGE_VERSION;
    image.width = png_uint_32(in.width);
    image.height = png_uint_32(in.height);
    image.format = PNG_FORMAT_RGB;
    std::vector<png_byte> rgb;
    rgb.reserve(in.pixels.size() * 3);
    for (const Rgba& p : in.pixels) {
        rgb.push_back(p.r);
        rgb.push_back(p.g);
        rgb.push_back(p.b);
    }
    if (png_image_write_to_file(&image, path.c_str(), 0, rgb.data(), 0, nullptr) == 0) {
        error = path + ": " + (image.message[0] != '\0' ? image.message : "could not write");
        return false;
    }
    return true;
}

bool Write_Frame_Png(const std::string& path, const Frame& frame, std::string& error) {
    return Write_Png(path, frame.To_Image(), error);
}

}  // namespace quorvel_host
