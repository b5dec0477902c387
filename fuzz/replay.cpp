// Runs files through the fuzz entry functions, without libFuzzer:
//   zavo-fuzz-replay CORPUS_DIR         every target over CORPUS_DIR/<target>/* (the regression test)
//   zavo-fuzz-replay TARGET FILE...     one target over the given files (to look at a finding)
// Exits 1 when a target has no corpus; a failing property aborts.
#include "fuzz/targets.h"

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <vector>

namespace {

bool runFile(fuzz::Entry entry, const std::filesystem::path& path) {
    std::ifstream in(path, std::ios::binary);
    if (!in) {
        std::fprintf(stderr, "cannot read %s\n", path.c_str());
        return false;
    }
    const std::vector<char> bytes{std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
    entry(reinterpret_cast<const std::uint8_t*>(bytes.data()), bytes.size());
    return true;
}

const fuzz::Target* findTarget(const char* name) {
    for (const fuzz::Target& target : fuzz::targets()) {
        if (std::strcmp(target.name, name) == 0) {
            return &target;
        }
    }
    return nullptr;
}

int replayCorpus(const std::filesystem::path& root) {
    int status = 0;
    for (const fuzz::Target& target : fuzz::targets()) {
        std::vector<std::filesystem::path> files;
        std::error_code error;
        for (const auto& item : std::filesystem::directory_iterator(root / target.name, error)) {
            if (item.is_regular_file()) {
                files.push_back(item.path());
            }
        }
        std::sort(files.begin(), files.end());
        std::size_t ran = 0;
        for (const auto& file : files) {
            ran += runFile(target.entry, file) ? 1 : 0;
        }
        std::printf("%-13s %zu files\n", target.name, ran);
        if (ran == 0) {
            std::fprintf(stderr, "no corpus for %s in %s\n", target.name, (root / target.name).c_str());
            status = 1;
        }
    }
    return status;
}

} // namespace

int main(int argc, char** argv) {
    if (argc == 2) {
        return replayCorpus(argv[1]);
    }
    const fuzz::Target* target = argc > 2 ? findTarget(argv[1]) : nullptr;
    if (target == nullptr) {
        std::fprintf(stderr, "usage: %s CORPUS_DIR | TARGET FILE...\n", argv[0]);
        return 2;
    }
    for (int i = 2; i < argc; ++i) {
        if (!runFile(target->entry, argv[i])) {
            return 1;
        }
    }
    return 0;
}
