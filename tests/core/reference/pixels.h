#pragma once
// Store addressing for the reference forms, and the random pictures the tests compare them on.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <cstring>
#include <random>

#include "core/dest_state.h"
#include "core/limits.h"

namespace wendral::reference {

inline int Clamp(int v) {
    return v < 0 ? 0 : (v > 255 ? 255 : v);
}

inline void SetPixel(WendralState& s, int x, int y, int b, int g, int r) {
    std::uint8_t* p = s.DestinationStore() + s.DestOffset(x, y);
    p[0] = static_cast<std::uint8_t>(b);
    p[1] = static_cast<std::uint8_t>(g);
    p[2] = static_cast<std::uint8_t>(r);
}
inline const std::uint8_t* Restore(const WendralState& s, int x, int y) {
    return s.RestoreStore() + s.DestOffset(x, y);
}

inline bool InPicture(const WendralState& s, std::int64_t x, std::int64_t y) {
    return x >= 0 && y >= 0 && x < s.DestWidth && y < s.DestHeight;
}

// Truncation toward zero for positions, refusing what no int can hold.
inline bool TruncatedPosition(double v, std::int64_t* out) {
    if (!std::isfinite(v) || std::fabs(v) > 1e15) return false;
    *out = static_cast<std::int64_t>(v);
    return true;
}

inline void CopyPixel(WendralState& s, std::int64_t x, std::int64_t y, std::int64_t sx,
                      std::int64_t sy) {
    std::memcpy(s.DestinationStore() + s.DestOffset(static_cast<int>(x), static_cast<int>(y)),
                s.RestoreStore() + s.DestOffset(static_cast<int>(sx), static_cast<int>(sy)), 3);
}

// A w x h destination of random bytes (the whole store, beyond the picture too) with its
// snapshot taken; `seed` makes two states alike.
inline void FillRandom(WendralState& s, int w, int h, std::uint32_t seed) {
    s.DestWidth = w;
    s.DestHeight = h;
    std::uint64_t x = 0x9E3779B97F4A7C15ull ^ seed;
    std::uint8_t* d = s.DestinationStore();
    for (std::size_t i = 0; i < kStoreBytes; i += 8) {
        x ^= x << 13;
        x ^= x >> 7;
        x ^= x << 17;
        std::memcpy(d + i, &x, 8);
    }
    std::memcpy(s.RestoreStore(), d, kStoreBytes);
}

// Random pixels of a few colours only, so that strokes and flat areas occur.
inline void FillPatches(WendralState& s, int w, int h, std::uint32_t seed) {
    FillRandom(s, w, h, seed);
    std::mt19937 gen(seed);
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x) {
            int c = static_cast<int>(((x / 7) * 31 + (y / 5) * 17 + gen() % 3) % 5) * 60;
            SetPixel(s, x, y, c, (c + 40) % 256, c / 2);
        }
    s.SnapshotDestination();
}

inline void ExpectStoresEqual(const WendralState& a, const WendralState& b) {
    EXPECT_EQ(0, std::memcmp(a.DestinationStore(), b.DestinationStore(), kStoreBytes));
    EXPECT_EQ(0, std::memcmp(a.RestoreStore(), b.RestoreStore(), kStoreBytes));
}

// A width x height picture of random bytes; the rest of the store holds `beyond`.
inline void RandomPicture(WendralState& s, int width, int height, std::mt19937& rng,
                          std::uint8_t beyond = 0xA5) {
    s.DestWidth = width;
    s.DestHeight = height;
    std::uint8_t* d = s.DestinationStore();
    std::memset(d, beyond, kStoreBytes);
    std::uniform_int_distribution<int> byte(0, 255);
    for (std::size_t i = 0; i < s.DestBytes(); ++i) d[i] = static_cast<std::uint8_t>(byte(rng));
}

inline bool SameStores(const WendralState& a, const WendralState& b) {
    return std::memcmp(a.DestinationStore(), b.DestinationStore(), kStoreBytes) == 0;
}

}  // namespace wendral::reference
