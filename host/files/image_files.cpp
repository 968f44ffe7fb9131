// stb_image and stb_image_write compiled here, static to this file; libpng
// still writes PNG frames.
#include "files/image_files.h"

#include <algorithm>
#include <cctype>
#include <cstdio>
#include <filesystem>
#include <system_error>
#include <vector>

#include "files/png_files.h"

#define STB_IMAGE_STATIC
#define STB_IMAGE_IMPLEMENTATION
#include <stb/stb_image.h>
#define STB_IMAGE_WRITE_STATIC
#define STB_IMAGE_WRITE_IMPLEMENTATION
#include <stb/stb_image_write.h>

namespace quorvel_host {

namespace {

constexpr int largest_image_side = 16384;
constexpr int jpeg_quality = 92;

}  // namespace

std::string Lower_Extension(const std::string& path) {
    const std::size_t dot = path.find_last_of('.');
    if (dot == std::string::npos || path.find('/', dot) != std::string::npos) return "";
    std::string extension = path.substr(dot + 1);
    for (char& c : extension) c = char(std::tolower(static_cast<unsigned char>(c)));
    return extension;
}

const char* const frame_extensions = ".png, .jpg, .jpeg, .bmp or .tga";

bool Read_Image(const std::string& path, Image& out, std::string& error) {
    std::error_code code;
    if (std::filesystem::is_directory(path, code)) {
        error = path + ": is a directory, not an image";
        return false;
    }
    std::FILE* file = std::fopen(path.c_str(), "rb");
    if (file == nullptr) {
        error = path + ": cannot open";
        return false;
    }
    const bool empty = std::fgetc(file) == EOF;
    std::rewind(file);
    if (empty) {
        std::fclose(file);
        error = path + ": empty file";
        return false;
    }
    int width = 0, height = 0, channels = 0;
    if (stbi_info_from_file(file, &width, &height, &channels) == 0) {
        std::fclose(file);
        error = path + ": not an image format this tool reads (" + stbi_failure_reason() + ")";
        return false;
    }
    if (width < 1 || height < 1 || width > largest_image_side || height > largest_image_side) {
        std::fclose(file);
        error = path + ": image size " + std::to_string(width) + "x" + std::to_string(height) +
                " is not supported (1..16384 per side)";
        return false;
    }
    stbi_uc* pixels = stbi_load_from_file(file, &width, &height, &channels, 4);
    std::fclose(file);
    if (pixels == nullptr) {
        error = path + ": damaged image (" + stbi_failure_reason() + ")";
        return false;
    }
    out = Image(width, height);
    for (std::size_t i = 0; i < out.pixels.size(); ++i)
        out.pixels[i] = {pixels[i * 4], pixels[i * 4 + 1], pixels[i * 4 + 2], pixels[i * 4 + 3]};
    stbi_image_free(pixels);
    return true;
}

bool Can_Write_Frame(const std::string& path) {
    const std::string extension = Lower_Extension(path);
    return extension == "png" || extension == "jpg" || extension == "jpeg" || extension == "bmp" || extension == "tga";
}

bool Write_Frame(const std::string& path, const Frame& frame, std::string& error) {
    const std::string extension = Lower_Extension(path);
    bool written = false;
    if (extension == "png") {
        written = Write_Frame_Png(path, frame, error);
    } else if (Can_Write_Frame(path)) {
        const Image image = frame.To_Image();
        std::vector<unsigned char> rgb;
        rgb.reserve(image.pixels.size() * 3);
        for (const Rgba& p : image.pixels) rgb.insert(rgb.end(), {p.r, p.g, p.b});
        const char* name = path.c_str();
        if (extension == "bmp")
            written = stbi_write_bmp(name, image.width, image.height, 3, rgb.data()) != 0;
        else if (extension == "tga")
            written = stbi_write_tga(name, image.width, image.height, 3, rgb.data()) != 0;
        else
            written = stbi_write_jpg(name, image.width, image.height, 3, rgb.data(), jpeg_quality) != 0;
        if (!written) error = path + ": could not write";
    } else {
        error = path + ": cannot write this format (name the file " + frame_extensions + ")";
        return false;
    }
    if (!written) std::remove(path.c_str());
    return written;
}

}  // namespace quorvel_host
