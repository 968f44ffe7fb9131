// Golden frames: each built-in scene is rendered and compared pixel for pixel
// with a reviewed PNG in tests/golden/images. Every build (native, sanitizers,
// 32-bit) must match the same files.
//
// A failing comparison writes the new frame and a difference image (changed
// pixels red over a dimmed copy of the reviewed one) to tests/golden/output/.
// Regenerating is deliberate: QUORVEL_UPDATE_GOLDEN=1 writes the frames into
// images/ instead of comparing (tests/golden/update.sh does it), and each
// changed image is looked at before it is committed.
#include <gtest/gtest.h>

#include <cstdlib>
#include <string>
#include <sys/stat.h>
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

const Golden goldens[] = {
    {"showcase", 16}, {"showcase", 15}, {"clipping", 16}, {"lit", 15}, {"translucent", 16}, {"group", 16},
};

std::string Golden_Dir() { return std::string(QUORVEL_SOURCE_DIR) + "/tests/golden"; }
std::string Name(const Golden& g) { return std::string(g.scene) + "_" + std::to_string(g.depth); }

Frame Render(const Golden& g) {
    const Built_In_Scene* built_in = Find_Built_In_Scene(g.scene);
    EXPECT_NE(built_in, nullptr);
    Scene scene({g.depth, false});
    built_in->build(scene, built_in->width, built_in->height);
    Frame frame(built_in->width, built_in->height, g.depth);
    EXPECT_GE(scene.Render(frame, 1), 0);
    return frame;
}

std::vector<unsigned char> To_Rgb(const Frame& frame) {
    const Image image = frame.To_Image();
    std::vector<unsigned char> rgb;
    rgb.reserve(image.pixels.size() * 3);
    for (const Rgba& p : image.pixels) rgb.insert(rgb.end(), {p.r, p.g, p.b});
    return rgb;
}

bool Write(const std::string& path, std::int32_t width, std::int32_t height, const std::vector<unsigned char>& rgb) {
    return stbi_write_png(path.c_str(), width, height, 3, rgb.data(), width * 3) != 0;
}

class Golden_Frames : public ::testing::TestWithParam<Golden> {};

TEST_P(Golden_Frames, Match_The_Reviewed_Image) {
    const Golden& g = GetParam();
    const Frame frame = Render(g);
    const std::vector<unsigned char> rgb = To_Rgb(frame);
    const std::string reviewed = Golden_Dir() + "/images/" + Name(g) + ".png";

    const char* update = std::getenv("QUORVEL_UPDATE_GOLDEN");
    if (update != nullptr && std::string(update) == "1") {
        ASSERT_TRUE(Write(reviewed, frame.width, frame.height, rgb)) << reviewed;
        std::printf("updated %s: look at it before committing\n", reviewed.c_str());
        return;
    }

    int width = 0, height = 0, channels = 0;
    unsigned char* expected = stbi_load(reviewed.c_str(), &width, &height, &channels, 3);
    const std::string output = Golden_Dir() + "/output";
    if (expected == nullptr) {
        mkdir(output.c_str(), 0755);
        Write(output + "/" + Name(g) + ".png", frame.width, frame.height, rgb);
        GTEST_SKIP() << "no reviewed image " << reviewed << "; the new frame is in " << output
                     << " (tests/golden/update.sh makes it the reviewed one)";
    }
    ASSERT_EQ(width, frame.width);
    ASSERT_EQ(height, frame.height);
    std::vector<unsigned char> difference(rgb.size());
    std::size_t differing = 0, first = 0;
    for (std::size_t i = 0; i < rgb.size(); i += 3) {
        const bool same = rgb[i] == expected[i] && rgb[i + 1] == expected[i + 1] && rgb[i + 2] == expected[i + 2];
        if (!same && differing++ == 0) first = i / 3;
        difference[i] = same ? expected[i] / 4 : 255;
        difference[i + 1] = same ? expected[i + 1] / 4 : 0;
        difference[i + 2] = same ? expected[i + 2] / 4 : 0;
    }
    stbi_image_free(expected);
    if (differing != 0) {
        mkdir(output.c_str(), 0755);
        Write(output + "/" + Name(g) + ".png", frame.width, frame.height, rgb);
        Write(output + "/" + Name(g) + "-difference.png", frame.width, frame.height, difference);
    }
    EXPECT_EQ(differing, 0u) << Name(g) << ": " << differing << " pixels differ, the first at (" << first % std::size_t(width)
                             << ", " << first / std::size_t(width) << "); new frame and difference image in " << output;
}

// Two renders of one scene agree: nothing in a frame depends on memory left
// over from an earlier one.
TEST_P(Golden_Frames, Render_The_Same_Twice) {
    const Golden& g = GetParam();
    EXPECT_EQ(Render(g).pixels, Render(g).pixels);
}

INSTANTIATE_TEST_SUITE_P(Scenes, Golden_Frames, ::testing::ValuesIn(goldens),
                         [](const ::testing::TestParamInfo<Golden>& info) { return Name(info.param); });

}  // namespace
}  // namespace quorvel_host
