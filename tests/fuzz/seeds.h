#pragma once
#include <cstdint>
#include <functional>
#include <string>
#include <utility>
#include <vector>

namespace wendral::fuzz {

using Seed = std::pair<std::string, std::vector<std::uint8_t>>;  // file name, bytes
using SeedMaker = std::function<std::vector<Seed>()>;

// Each seeds_*.cpp registers the small valid (and nearly valid) inputs of its fuzz target.
struct SeedRegistrar {
    SeedRegistrar(const char* target, SeedMaker maker);
};

std::vector<std::pair<std::string, SeedMaker>>& SeedMakers();

}  // namespace wendral::fuzz
