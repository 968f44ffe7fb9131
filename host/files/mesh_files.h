// Meshes from files: Wavefront OBJ (with its MTL materials and PNG textures)
// through tinyobjloader, and PLY (ASCII or binary) read here. Files use the
// usual right-handed axes with counter-clockwise front faces; the loader
// negates z (the same solid in the host's left-handed axes) and reverses the
// corners into the host's clockwise front faces.
#ifndef QUORVEL_HOST_MESH_FILES_H
#define QUORVEL_HOST_MESH_FILES_H

#include <string>

#include "core/scene.h"

namespace quorvel_host {

struct Mesh_Load_Options {
    // Lit materials (mode 1, textures as palette maps) or unlit ones (mode 0,
    // flat colours and 16-bit maps).
    bool lit = true;
    // Largest texture side after resampling to a power of two.
    std::int32_t largest_texture = 256;
};

// Reads `path` (by extension: .obj or .ply), adding its materials and maps to
// `scene`. On failure returns false with a one-line reason in `error`.
bool Load_Mesh_File(Scene& scene, const std::string& path, const Mesh_Load_Options& options, Mesh_Data& mesh,
                    std::string& error);

}  // namespace quorvel_host

#endif
