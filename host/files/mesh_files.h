// Meshes from files: Wavefront OBJ (with its MTL materials and PNG textures)
// through tinyobjloader, and PLY (ASCII or binary) read here. Files use the
// usual right-handed axes with counter-clockwise front faces; the loader
// negates z (the same solid in the host's left-handed axes) and reverses the
// corners into the host's clockwise front faces.
#ifndef QUORVEL_HOST_MESH_FILES_H
#define QUORVEL_HOST_MESH_FILES_H

#include <cstdint>
#include <string>
#include <vector>

#include "core/scene.h"

namespace quorvel_host {

struct Mesh_Load_Options {
    // Lit materials (mode 1, textures as palette maps) or unlit ones (mode 0,
    // flat colours and 16-bit maps).
    bool lit = true;
    // Largest texture side after resampling to a power of two.
    std::int32_t largest_texture = 256;
    // Faces drawn from both sides (for meshes wound the other way): every
    // face gets a reversed twin on copies of its vertices.
    bool two_sided = false;
};

// What a load that succeeded left out or could not honour.
struct Mesh_Load_Report {
    // One line each, naming the file: the OBJ reader's own warnings (a
    // missing .mtl, indices out of bounds), textures that could not be read
    // (the material keeps its colour), faces dropped, vertex colours ignored.
    std::vector<std::string> warnings;
    // For each face of the Mesh_Data, its number in the file (from 0).
    std::vector<std::uint32_t> file_faces;
};

// Coordinates beyond this size are refused: the mesh's bounding sphere
// squares them, and 1e15 squared and summed still fits a float.
constexpr double largest_coordinate = 1e15;

// Reads `path` (by extension: .obj or .ply), adding its materials and maps to
// `scene`. On failure returns false with a one-line reason in `error`: among
// others a directory, and the first vertex whose coordinates are not finite
// or beyond largest_coordinate.
bool Load_Mesh_File(Scene& scene, const std::string& path, const Mesh_Load_Options& options, Mesh_Data& mesh,
                    Mesh_Load_Report& report, std::string& error);

}  // namespace quorvel_host

#endif
