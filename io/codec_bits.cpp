#include "io/codec_bits.h"

#include <vector>

#include "core/size_math.h"

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

std::string ReadRows24(const PicturePacket& packet, Rows24& rows) {
    if (packet.empty() || packet.HeaderSize() < 40) return "There is no picture to save";
    if (packet.BitsPerPixel() != 24 || packet.Compression() != 0)
        return "Only uncompressed 24-bit pictures can be saved";
    const std::int64_t width = packet.Width();
    const std::int64_t height = packet.Height();
    const std::int64_t absHeight = height < 0 ? -height : height;
    if (width <= 0 || absHeight == 0) return "The picture to save has no pixels";
    const std::size_t stride = RowStride24(static_cast<int>(width));
    const auto image = CheckedMul(stride, static_cast<std::uint64_t>(absHeight));
    const auto end = image ? CheckedAdd(packet.PixelBitsOffset(), *image) : std::nullopt;
    if (!end || *end > packet.size()) return "The picture to save is cut short";
    rows.first = packet.data() + packet.PixelBitsOffset();
    rows.stride = stride;
    rows.width = static_cast<int>(width);
    rows.height = static_cast<int>(absHeight);
    rows.topDown = height < 0;
    return {};
}

}  // namespace wendral
