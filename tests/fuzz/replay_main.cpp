// Runs inputs of the fuzz target without libFuzzer: each file given, or every
// file of each folder given. With --describe it prints the decoded scene and
// what each call returned instead of only checking. With --orders it runs the
// inputs forwards, then backwards, and reports every input whose calls gave
// other results the second time: the library keeps module-wide state between
// scenes, and none of it may change what a later scene draws. Exit status 1
// when a check failed or an input changed.
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "fuzz/support/raw_scene.h"

namespace {

std::vector<std::uint8_t> Read(const std::filesystem::path& path) {
    std::ifstream file(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>()};
}

std::vector<quorvel_fuzz::Event> Events_Of(const std::vector<std::uint8_t>& bytes) {
    quorvel_fuzz::Raw_Scene scene(bytes.data(), bytes.size());
    scene.Run();
    return scene.Events();
}

bool Same(const quorvel_fuzz::Event& a, const quorvel_fuzz::Event& b) {
    return a.operation == b.operation && a.result == b.result && a.frame_hash == b.frame_hash &&
           a.memory_failed == b.memory_failed && a.drew_nothing == b.drew_nothing;
}

std::string Frame_Text(const quorvel_fuzz::Event& event) {
    char text[32];
    std::snprintf(text, sizeof text, "%016llx", static_cast<unsigned long long>(event.frame_hash));
    return event.operation == quorvel_fuzz::Op_Render ? text : "no";
}

int Run_In_Both_Orders(const std::vector<std::filesystem::path>& inputs) {
    std::vector<std::vector<quorvel_fuzz::Event>> first;
    for (const auto& path : inputs) first.push_back(Events_Of(Read(path)));
    int changed = 0;
    for (std::size_t i = inputs.size(); i-- > 0;) {
        const std::vector<quorvel_fuzz::Event> again = Events_Of(Read(inputs[i]));
        std::size_t k = 0;
        while (k < again.size() && k < first[i].size() && Same(again[k], first[i][k])) ++k;
        if (k == again.size() && k == first[i].size()) continue;
        ++changed;
        if (k < again.size() && k < first[i].size()) {
            std::printf("%s: call %zu gave result %lld, %s frame, then %lld, %s frame\n", inputs[i].c_str(), k + 1,
                        static_cast<long long>(first[i][k].result), Frame_Text(first[i][k]).c_str(),
                        static_cast<long long>(again[k].result), Frame_Text(again[k]).c_str());
        } else {
            std::printf("%s: %zu calls, then %zu\n", inputs[i].c_str(), first[i].size(), again.size());
        }
    }
    std::printf("%zu inputs, %d changed with the order they ran in\n", inputs.size(), changed);
    return changed != 0 ? 1 : 0;
}

}  // namespace

int main(int argc, char** argv) {
    bool describe = false, orders = false;
    std::vector<std::filesystem::path> inputs;
    for (int i = 1; i < argc; ++i) {
        const std::string argument = argv[i];
        if (argument == "--describe") {
            describe = true;
        } else if (argument == "--orders") {
            orders = true;
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
    if (orders) return Run_In_Both_Orders(inputs);
    int failed = 0;
    for (const auto& path : inputs) {
        const std::vector<std::uint8_t> bytes = Read(path);
        quorvel_fuzz::Raw_Scene scene(bytes.data(), bytes.size(), describe);
        scene.Run();
        if (describe) std::printf("== %s (%zu bytes)\n%s", path.c_str(), bytes.size(), scene.Description().c_str());
        for (const std::string& failure : scene.Failures()) std::printf("%s: %s\n", path.c_str(), failure.c_str());
        failed += !scene.Failures().empty();
    }
    std::printf("%zu inputs, %d failed\n", inputs.size(), failed);
    return failed != 0 ? 1 : 0;
}
