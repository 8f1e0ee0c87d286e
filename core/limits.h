#pragma once
#include <cstddef>
#include <cstdint>

namespace wendral {

// Every grid the program works on (the destination, what a source window shows) is at most
// this large; the stores are allocated once at this capacity.
inline constexpr int kMaxWidth = 2048;
inline constexpr int kMaxHeight = 1536;
inline constexpr std::size_t kStoreBytes = std::size_t{kMaxWidth} * kMaxHeight * 3;  // 9,437,184
inline constexpr std::size_t kSourceStride = std::size_t{kMaxWidth} * 3;             // 6144

// A picture file may be larger than the grid (the source window scales and scrolls it), but
// its 24-bit form has to fit in memory. Loads beyond these limits fail with kTooLargeMessage
// before anything is allocated.
inline constexpr std::int64_t kMaxLoadSide = 65535;
inline constexpr std::int64_t kMaxLoadPixels = std::int64_t{256} * 1024 * 1024;
inline constexpr const char* kTooLargeMessage =
    "This picture is too large: Wendral reads pictures of up to 256 megapixels and 65535 pixels a "
    "side.";

}  // namespace wendral
