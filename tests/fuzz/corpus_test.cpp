// The checked-in seeds are what the seed program writes today, so the corpus
// stays reproducible and follows the input format when the decoder changes.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>

#include "fuzz/support/seed_scenes.h"

namespace {

TEST(Fuzz_Corpus, Seeds_On_Disk_Match_The_Seed_Program_And_Stay_Small) {
    const std::filesystem::path folder = std::filesystem::path(QUORVEL_SOURCE_DIR) / "tests/fuzz/corpus";
    for (const auto& [name, bytes] : quorvel_fuzz::Seeds()) {
        std::ifstream file(folder / name, std::ios::binary);
        ASSERT_TRUE(file) << name << " missing: run quorvel_fuzz_seeds tests/fuzz/corpus";
        const std::vector<std::uint8_t> on_disk{std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>()};
        EXPECT_EQ(on_disk, bytes) << name;
        EXPECT_LT(bytes.size(), 4096u) << name;
    }
}

// Every seed passes every check of the raw host, and each draws something.
TEST(Fuzz_Corpus, Every_Seed_Runs_Clean_And_Draws) {
    for (const auto& [name, bytes] : quorvel_fuzz::Seeds()) {
        quorvel_fuzz::Raw_Scene scene(bytes.data(), bytes.size());
        scene.Run();
        EXPECT_EQ(scene.Failures(), std::vector<std::string>{}) << name;
        bool drew = false;
        for (const quorvel_fuzz::Event& event : scene.Events())
            drew |= event.operation == quorvel_fuzz::Op_Render && !event.drew_nothing;
        EXPECT_TRUE(drew || name == "viewport_refused") << name << " draws nothing";
    }
}

}  // namespace
