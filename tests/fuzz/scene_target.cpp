// The fuzz target: one input is one whole host scene and a program of export
// calls (see support/raw_scene.h). A check that fails prints what failed and
// aborts, so libFuzzer keeps the input as a crash.
#include <cstdio>
#include <cstdlib>

#include "fuzz/support/raw_scene.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    quorvel_fuzz::Raw_Scene scene(data, size);
    scene.Run();
    if (scene.Failures().empty()) return 0;
    for (const std::string& failure : scene.Failures()) std::fprintf(stderr, "quorvel fuzz: %s\n", failure.c_str());
    std::abort();
}
