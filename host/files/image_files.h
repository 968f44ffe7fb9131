// Image files in the common formats: textures are read through stb_image
// (PNG, JPEG, BMP, TGA, GIF, PSD, HDR, PIC, PNM), frames are written in the
// format their file name asks for (PNG through libpng; JPEG, BMP and TGA
// through stb_image_write).
#ifndef QUORVEL_HOST_IMAGE_FILES_H
#define QUORVEL_HOST_IMAGE_FILES_H

#include <string>

#include "core/image.h"

namespace quorvel_host {

// Any image stb_image reads, as 8-bit RGBA. On failure a one-line reason
// naming the file: it cannot be opened, is empty, is a directory, is not an
// image stb_image knows, or is too large.
bool Read_Image(const std::string& path, Image& image, std::string& error);

// The file name's extension after its last dot, in lower case; empty when
// the last component has no dot. Both readers and Write_Frame choose by it.
std::string Lower_Extension(const std::string& path);

// The extensions Write_Frame understands, for messages: ".png, .jpg, .jpeg, .bmp or .tga".
extern const char* const frame_extensions;
// True when the name ends in one of frame_extensions (any case).
bool Can_Write_Frame(const std::string& path);
// The frame with 555 or 565 expanded to 8 bits per channel, in the format of
// the name's extension. On failure the partial file is removed.
bool Write_Frame(const std::string& path, const Frame& frame, std::string& error);

}  // namespace quorvel_host

#endif
