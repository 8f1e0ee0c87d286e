#pragma once
#include <cstddef>
#include <cstdint>

#include "core/limits.h"
#include "core/pixel.h"

namespace wendral {

// Read access to what a source window shows: its SourcePixels (rows top-down, 6144 bytes
// each, blue, green, red) and the shown size. Readers may address any x < 2048, y < 1536.
struct SourceImage {
    const std::uint8_t* pixels = nullptr;
    int shownWidth = 0;
    int shownHeight = 0;

    const std::uint8_t* At(int x, int y) const {
        return pixels + kSourceStride * static_cast<std::size_t>(y) +
               3 * static_cast<std::size_t>(x);
    }
};

}  // namespace wendral
