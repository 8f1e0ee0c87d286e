#pragma once
#include <benchmark/benchmark.h>

#include <cstdint>
#include <cstring>
#include <vector>

#include "core/dest_state.h"
#include "core/limits.h"
#include "core/parallel.h"

namespace wendral::bench {

// A full-size destination filled with a repeatable pseudo-random picture, the same in every
// benchmark so that timings compare.
inline void FillFullDestination(WendralState& state) {
    state.DestWidth = kMaxWidth;
    state.DestHeight = kMaxHeight;
    std::uint32_t x = 12345;
    std::uint8_t* d = state.DestinationStore();
    for (std::size_t i = 0; i < kStoreBytes; ++i) {
        x = x * 1103515245u + 12345u;
        d[i] = static_cast<std::uint8_t>(x >> 16);
    }
    state.SnapshotDestination();
}

// The same kind of picture in a SourcePixels-shaped buffer (6144-byte rows).
inline std::vector<std::uint8_t> MakeSourcePixels(std::uint32_t seed) {
    std::vector<std::uint8_t> p(kStoreBytes);
    for (auto& b : p) {
        seed = seed * 1103515245u + 12345u;
        b = static_cast<std::uint8_t>(seed >> 16);
    }
    return p;
}

// The thread counts a whole-picture benchmark runs with, as its last argument: one, and all
// that the pool has (the report puts the two side by side).
inline std::vector<std::int64_t> ThreadCounts() {
    const int all = ThreadCount();
    return all > 1 ? std::vector<std::int64_t>{1, all} : std::vector<std::int64_t>{1};
}
// Runs a benchmark on the count its argument names; the next one starts from the default.
class ThreadsFor {
  public:
    ThreadsFor(const benchmark::State& st, int argument) {
        SetThreadCount(static_cast<int>(st.range(argument)));
    }
    ~ThreadsFor() { SetThreadCount(0); }
    ThreadsFor(const ThreadsFor&) = delete;
    ThreadsFor& operator=(const ThreadsFor&) = delete;
};

}  // namespace wendral::bench
