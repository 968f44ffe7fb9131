// Writes the seed corpus: one file per scene of support/seed_scenes.h, named
// after it, into the folder given (tests/fuzz/corpus in the tree).
#include <cstdio>
#include <filesystem>
#include <fstream>

#include "fuzz/support/seed_scenes.h"

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: quorvel_fuzz_seeds FOLDER\n");
        return 2;
    }
    std::filesystem::create_directories(argv[1]);
    for (const auto& [name, bytes] : quorvel_fuzz::Seeds()) {
        std::ofstream file(std::filesystem::path(argv[1]) / name, std::ios::binary | std::ios::trunc);
        file.write(reinterpret_cast<const char*>(bytes.data()), std::streamsize(bytes.size()));
    }
    std::printf("%zu seeds written to %s\n", quorvel_fuzz::Seeds().size(), argv[1]);
}
