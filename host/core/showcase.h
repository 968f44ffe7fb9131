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

// Random-colour faces take their colour from the C library's rand() when
// they are added; the scenes seed it first so that every run, and every
// build, gives the same colours.
constexpr unsigned built_in_seed = 20261205u;

}  // namespace quorvel_host

#endif
