// PNG images through libpng: textures in, frames out. This layer links
// 64-bit system libraries, so the 32-bit build leaves it out.
#ifndef QUORVEL_HOST_PNG_FILES_H
#define QUORVEL_HOST_PNG_FILES_H

#include <string>

#include "core/image.h"

namespace quorvel_host {

// Any PNG as 8-bit RGBA.
bool Read_Png(const std::string& path, Image& image, std::string& error);
// A PNG as a palette image: a palette PNG keeps its own colours (shifted up
// by one, index 0 being the transparent key) when it has at most 255 of
// them; any other PNG is quantised.
bool Read_Png_Palette(const std::string& path, Palette_Image& image, std::string& error);
// 8-bit RGB (alpha dropped).
bool Write_Png(const std::string& path, const Image& image, std::string& error);
// The frame buffer with 555 or 565 expanded to 8 bits per channel.
bool Write_Frame_Png(const std::string& path, const Frame& frame, std::string& error);

}  // namespace quorvel_host

#endif
