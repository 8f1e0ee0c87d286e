#include "io/codec_packet24.h"

#include "core/size_math.h"

namespace wendral {

std::string ViewPacket24(const PicturePacket& packet, PacketRows24& rows) {
    if (packet.empty() || packet.HeaderSize() < PicturePacket::kHeaderSize)
        return "There is no picture to save";
    if (packet.BitsPerPixel() != 24 || packet.Compression() != 0)
        return "Only uncompressed 24-bit pictures can be saved";
    const std::int64_t width = packet.Width();
    const std::int64_t rawHeight = packet.Height();
    const std::int64_t height = rawHeight < 0 ? -rawHeight : rawHeight;
    if (width <= 0 || height == 0) return "The picture to save has no pixels";
    const auto stride = PaddedRowBytes(static_cast<std::uint64_t>(width), 24);
    const auto image =
        stride ? CheckedMul(*stride, static_cast<std::uint64_t>(height)) : std::nullopt;
    const auto end = image ? CheckedAdd(packet.PixelBitsOffset(), *image) : std::nullopt;
    if (!end || *end > packet.size()) return "The picture to save is cut short";
    rows.width = static_cast<int>(width);
    rows.height = static_cast<int>(height);
    rows.stride = static_cast<std::size_t>(*stride);
    rows.first = packet.data() + packet.PixelBitsOffset();
    rows.bottomUp = rawHeight > 0;
    return {};
}

}  // namespace wendral
