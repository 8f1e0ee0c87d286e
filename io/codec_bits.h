#pragma once
#include <cstddef>
#include <cstdint>

#include "core/picture_packet.h"
#include "core/pixel.h"

namespace wendral {

// Helpers shared by our own TGA and PCX codecs.

// An 8-bit packet of width x height: 40-byte header with colours used 256, a zeroed 256-entry
// table of (blue, green, red, 0) and zeroed rows padded to a multiple of 4 bytes. The caller has
// already checked the size with PictureSizeAllowed.
PicturePacket MakePalettePacket(int width, int height);

// A little-endian 16-bit field, as both headers store their numbers.
inline unsigned U16At(const std::uint8_t* p) {
    return p[0] | unsigned{p[1]} << 8;
}

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

}  // namespace wendral
