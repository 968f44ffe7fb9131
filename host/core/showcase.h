// Built-in scenes: the showcase, which shows every render state side by side,
// and the small focused scenes of the golden tests. None needs a file.
#ifndef QUORVEL_HOST_SHOWCASE_H
#define QUORVEL_HOST_SHOWCASE_H

#include <cstdint>
#include <string>
#include <vector>

#include "core/scene.h"

namespace quorvel_host {

using Scene_Builder = void (*)(Scene& scene, std::int32_t width, std::int32_t height);

struct Built_In_Scene {
    const char* name;
    Scene_Builder build;
    std::int32_t width, height;  // the size the scene is framed for
    const char* description;
};

// The showcase first, then the focused scenes.
const std::vector<Built_In_Scene>& Built_In_Scenes();
const Built_In_Scene* Find_Built_In_Scene(const std::string& name);

void Build_Showcase(Scene& scene, std::int32_t width, std::int32_t height);

// The lights every built-in scene stands under: ambient levels, a key light
// from above, right and behind the eye, and a dim fill from the other side.
constexpr float standard_ambient = 14.0f;
constexpr Directional_Light key_light{{0.5f, -1.0f, 0.8f}, 44.0f};
constexpr Directional_Light fill_light{{-0.7f, -0.2f, -0.5f}, 12.0f};
void Add_Standard_Lights(Scene& scene);

// The images the built-in scenes map, at the side the caller picks, so that
// the tools draw and measure the same textures.
Image Checker_Tiles(std::int32_t size);  // light and blue-grey tiles, 8 across
Image Red_Bricks();                      // 128 x 64: not a 256 x 256 map
Image Grey_Fence(std::int32_t size);     // wires over transparent holes
Image Brass_Fence(std::int32_t size);
Image Orange_Glow(std::int32_t size);  // black rim: nothing to add there
Image Blue_Glow(std::int32_t size);
Image Stone(std::int32_t size);  // brown value noise
Image Blue_Marble(std::int32_t size);

// Random-colour faces take their colour from the C library's rand() when
// they are added; the scenes seed it first so that every run, and every
// build, gives the same colours.
constexpr unsigned built_in_seed = 20261205u;

}  // namespace quorvel_host

#endif
