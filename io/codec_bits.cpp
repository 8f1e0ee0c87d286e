#include "io/codec_bits.h"

namespace wendral {

PicturePacket MakePalettePacket(int width, int height) {
    return BlankPacket(width, height, 8, 256, RowStride8(width) * static_cast<std::size_t>(height));
}

}  // namespace wendral
