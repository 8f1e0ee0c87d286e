#include <cstdio>
#include <filesystem>
#include <fstream>

#include "tests/fuzz/seeds.h"

namespace wendral::fuzz {

std::vector<std::pair<std::string, SeedMaker>>& SeedMakers() {
    static std::vector<std::pair<std::string, SeedMaker>> makers;
    return makers;
}

SeedRegistrar::SeedRegistrar(const char* target, SeedMaker maker) {
    SeedMakers().emplace_back(target, std::move(maker));
}

}  // namespace wendral::fuzz

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: make_fuzz_seeds FOLDER\n");
        return 2;
    }
    namespace fs = std::filesystem;
    int count = 0;
    for (auto& [target, maker] : wendral::fuzz::SeedMakers()) {
        const fs::path dir = fs::path(argv[1]) / target;
        fs::create_directories(dir);
        for (auto& [name, bytes] : maker()) {
            std::ofstream(dir / name, std::ios::binary)
                .write(reinterpret_cast<const char*>(bytes.data()),
                       static_cast<std::streamsize>(bytes.size()));
            ++count;
        }
    }
    std::printf("%d seed files written\n", count);
    return 0;
}
