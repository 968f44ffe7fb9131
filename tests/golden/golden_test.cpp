// Golden frames: each built-in scene is rendered and compared pixel for pixel
// with a reviewed PNG in tests/golden/images. Every build (native, sanitizers,
// 32-bit) must match the same files.
//
// A failing comparison, or a scene without a reviewed image, writes the new
// frame (and for a comparison a difference image: changed pixels red over a
// dimmed copy of the reviewed one) to tests/golden/output/. Regenerating is
// deliberate: QUORVEL_UPDATE_GOLDEN=1 writes the frames into images/ instead
// of comparing (tests/golden/update.sh does it), and each changed image is
// looked at before it is committed.
#include <gtest/gtest.h>

#include <sys/stat.h>
#include <algorithm>
#include <cstdlib>
#include <string>
#include <vector>

#define STB_IMAGE_IMPLEMENTATION
#define STBI_ONLY_PNG
#include "stb_image.h"
#define STB_IMAGE_WRITE_IMPLEMENTATION
#include "stb_image_write.h"

#include "core/scene.h"
#include "core/showcase.h"

namespace quorvel_host {
namespace {

struct Golden {
    const char* scene;
    std::int32_t depth;
};

const Golden goldens[] = {{"showcase", 16}, {"showcase", 15},    {"clipping", 16},
                          {"lit", 15},      {"translucent", 16}, {"group", 16}};

const std::string golden_dir = std::string(QUORVEL_SOURCE_DIR) + "/tests/golden";
std::string Name(const Golden& g) { return std::string(g.scene) + "_" + std::to_string(g.depth); }

// The frame expanded to 8-bit RGB, as the reviewed PNGs hold it.
std::vector<unsigned char> Render(const Golden& g, std::int32_t& width, std::int32_t& height) {
    const Built_In_Scene* built_in = Find_Built_In_Scene(g.scene);
    EXPECT_NE(built_in, nullptr);
    Scene scene({g.depth});
    built_in->build(scene, width = built_in->width, height = built_in->height);
    Frame frame(width, height, g.depth);
    EXPECT_GE(scene.Render(frame, 1), 0);
    std::vector<unsigned char> rgb;
    for (const Rgba& p : frame.To_Image().pixels) rgb.insert(rgb.end(), {p.r, p.g, p.b});
    return rgb;
}

bool Write(const std::string& path, std::int32_t width, std::int32_t height, const std::vector<unsigned char>& rgb) {
    mkdir((golden_dir + "/output").c_str(), 0755);
    return stbi_write_png(path.c_str(), width, height, 3, rgb.data(), width * 3) != 0;
}

class Golden_Frames : public ::testing::TestWithParam<Golden> {};

TEST_P(Golden_Frames, Match_The_Reviewed_Image) {
    const Golden& g = GetParam();
    std::int32_t width = 0, height = 0;
    const std::vector<unsigned char> rgb = Render(g, width, height);
    // A second render must agree: nothing may depend on memory left over from an earlier frame.
    EXPECT_EQ(Render(g, width, height), rgb);
    const std::string reviewed = golden_dir + "/images/" + Name(g) + ".png", output = golden_dir + "/output/" + Name(g);
    if (const char* update = std::getenv("QUORVEL_UPDATE_GOLDEN"); update != nullptr && std::string(update) == "1") {
        ASSERT_TRUE(Write(reviewed, width, height, rgb)) << reviewed;
        std::printf("updated %s: look at it before committing\n", reviewed.c_str());
        return;
    }
    int expected_width = 0, expected_height = 0, channels = 0;
    unsigned char* expected = stbi_load(reviewed.c_str(), &expected_width, &expected_height, &channels, 3);
    if (expected == nullptr) {
        Write(output + ".png", width, height, rgb);
        FAIL() << "no reviewed image " << reviewed << "; the new frame is " << output << ".png for review";
    }
    ASSERT_EQ(expected_width, width) << reviewed;
    ASSERT_EQ(expected_height, height) << reviewed;
    std::vector<unsigned char> difference(rgb.size());
    std::size_t differing = 0, first = 0;
    for (std::size_t i = 0; i < rgb.size(); i += 3) {
        const bool same = std::equal(&rgb[i], &rgb[i] + 3, expected + i);
        if (!same && differing++ == 0) first = i / 3;
        for (std::size_t c = 0; c < 3; ++c) difference[i + c] = same ? expected[i + c] / 4 : c == 0 ? 255 : 0;
    }
    stbi_image_free(expected);
    if (differing != 0) {
        Write(output + ".png", width, height, rgb);
        Write(output + "-difference.png", width, height, difference);
    }
    EXPECT_EQ(differing, 0u) << Name(g) << ": " << differing << " pixels differ, the first at ("
                             << first % std::size_t(width) << ", " << first / std::size_t(width)
                             << "); new frame and difference image in " << output << "*.png";
}

INSTANTIATE_TEST_SUITE_P(Scenes, Golden_Frames, ::testing::ValuesIn(goldens),
                         [](const ::testing::TestParamInfo<Golden>& test) { return Name(test.param); });

}  // namespace
}  // namespace quorvel_host
