#include "io/codec_bits.h"

#include <vector>

namespace wendral {

PicturePacket MakePalettePacket(int width, int height) {
    const std::size_t image = RowStride8(width) * static_cast<std::size_t>(height);
    PicturePacket p(
        std::vector<std::uint8_t>(PicturePacket::kHeaderSize + kPaletteBytes + image, 0));
    p.SetU32(0, 40);
    p.SetU32(4, static_cast<std::uint32_t>(width));
    p.SetU32(8, static_cast<std::uint32_t>(height));
    p.SetU16(12, 1);
    p.SetU16(14, 8);
    p.SetU32(20, static_cast<std::uint32_t>(image));
    p.SetU32(32, 256);
    return p;
}

}  // namespace wendral
