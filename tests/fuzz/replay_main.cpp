// Runs inputs of the fuzz target without libFuzzer: each file given, or every
// file of each folder given. With --describe it prints the decoded scene and
// what each call returned instead of only checking. Exit status 1 when a
// check failed.
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "fuzz/support/raw_scene.h"

int main(int argc, char** argv) {
    bool describe = false;
    std::vector<std::filesystem::path> inputs;
    for (int i = 1; i < argc; ++i) {
        const std::string argument = argv[i];
        if (argument == "--describe") {
            describe = true;
        } else if (std::filesystem::is_directory(argument)) {
            for (const auto& entry : std::filesystem::directory_iterator(argument))
                if (entry.is_regular_file()) inputs.push_back(entry.path());
        } else {
            inputs.emplace_back(argument);
        }
    }
    if (inputs.empty()) {
        std::fprintf(stderr, "usage: quorvel_fuzz_replay [--describe] FILE|FOLDER...\n");
        return 2;
    }
    int failed = 0;
    for (const auto& path : inputs) {
        std::ifstream file(path, std::ios::binary);
        const std::vector<std::uint8_t> bytes{std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>()};
        quorvel_fuzz::Raw_Scene scene(bytes.data(), bytes.size(), describe);
        scene.Run();
        if (describe) std::printf("== %s (%zu bytes)\n%s", path.c_str(), bytes.size(), scene.Description().c_str());
        for (const std::string& failure : scene.Failures()) std::printf("%s: %s\n", path.c_str(), failure.c_str());
        failed += !scene.Failures().empty();
    }
    std::printf("%zu inputs, %d failed\n", inputs.size(), failed);
    return failed != 0 ? 1 : 0;
}
