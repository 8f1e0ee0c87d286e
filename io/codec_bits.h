#pragma once
#include <cstddef>
#include <cstdint>
#include <string>

#include "core/picture_packet.h"
#include "core/pixel.h"

namespace wendral {

// Helpers shared by our own TGA and PCX codecs.

// An 8-bit packet of width x height: 40-byte header with colours used 256, a zeroed 256-entry
// table of (blue, green, red, 0) and zeroed rows padded to a multiple of 4 bytes. The caller has
// already checked the size with PictureSizeAllowed.
PicturePacket MakePalettePacket(int width, int height);

inline std::size_t RowStride8(int width) {
    return (static_cast<std::size_t>(width) + 3) & ~std::size_t{3};
}

inline constexpr std::size_t kPaletteBytes = 256 * 4;

inline void SetPaletteEntry(PicturePacket& packet, std::size_t index, Bgr colour) {
    std::uint8_t* e = packet.data() + PicturePacket::kHeaderSize + index * 4;
    e[0] = colour.b;
    e[1] = colour.g;
    e[2] = colour.r;
    e[3] = 0;
}

// Start of the bottom row of an 8-bit packet made by MakePalettePacket.
inline std::uint8_t* PaletteRows(PicturePacket& packet) {
    return packet.data() + PicturePacket::kHeaderSize + kPaletteBytes;
}

// The rows of a 24-bit packet an encoder is handed, checked against the block.
struct Rows24 {
    const std::uint8_t* first = nullptr;  // first row in memory
    std::size_t stride = 0;
    int width = 0;
    int height = 0;
    bool topDown = false;  // negative header height

    // Row y counted from the top of the picture.
    const std::uint8_t* Row(int y) const {
        const int stored = topDown ? y : height - 1 - y;
        return first + static_cast<std::size_t>(stored) * stride;
    }
};

// Checks that the packet is an uncompressed 24-bit bitmap whose rows all lie inside the block;
// returns an empty string and fills `rows`, or the error text.
std::string ReadRows24(const PicturePacket& packet, Rows24& rows);

}  // namespace wendral
