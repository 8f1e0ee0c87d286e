#pragma once
#include <cstddef>
#include <cstdint>
#include <optional>

#include "core/limits.h"

namespace wendral {

// Every size product a reader forms goes through these, so that a header claiming absurd sizes
// can neither wrap an allocation nor push an offset past the data.
inline std::optional<std::uint64_t> CheckedMul(std::uint64_t a, std::uint64_t b) {
    std::uint64_t r;
    if (__builtin_mul_overflow(a, b, &r)) return std::nullopt;
    return r;
}

inline std::optional<std::uint64_t> CheckedMul(std::uint64_t a, std::uint64_t b, std::uint64_t c) {
    auto ab = CheckedMul(a, b);
    if (!ab) return std::nullopt;
    return CheckedMul(*ab, c);
}

inline std::optional<std::uint64_t> CheckedAdd(std::uint64_t a, std::uint64_t b) {
    std::uint64_t r;
    if (__builtin_add_overflow(a, b, &r)) return std::nullopt;
    return r;
}

// Bytes of a row of `width` pixels at `bits` bits each, padded to a multiple of 4.
inline std::optional<std::uint64_t> PaddedRowBytes(std::uint64_t width, std::uint64_t bits) {
    auto b = CheckedMul(width, bits);
    if (!b || *b > UINT64_MAX - 31) return std::nullopt;
    return (*b + 31) / 32 * 4;
}

// Whether a picture of this size may be brought to 24 bits in memory.
inline bool PictureSizeAllowed(std::int64_t width, std::int64_t height) {
    if (width <= 0 || height <= 0) return false;
    if (width > kMaxLoadSide || height > kMaxLoadSide) return false;
    return width * height <= kMaxLoadPixels;
}

}  // namespace wendral
