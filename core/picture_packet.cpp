#include "core/picture_packet.h"

namespace wendral {

std::uint32_t PicturePacket::U32(std::size_t at) const {
    if (at + 4 > block_.size()) return 0;
    return std::uint32_t{block_[at]} | std::uint32_t{block_[at + 1]} << 8 |
           std::uint32_t{block_[at + 2]} << 16 | std::uint32_t{block_[at + 3]} << 24;
}

std::uint16_t PicturePacket::U16(std::size_t at) const {
    if (at + 2 > block_.size()) return 0;
    return static_cast<std::uint16_t>(block_[at] | block_[at + 1] << 8);
}

void PicturePacket::SetU32(std::size_t at, std::uint32_t v) {
    if (at + 4 > block_.size()) return;
    for (int i = 0; i < 4; ++i) block_[at + i] = static_cast<std::uint8_t>(v >> (8 * i));
}

void PicturePacket::SetU16(std::size_t at, std::uint16_t v) {
    if (at + 2 > block_.size()) return;
    block_[at] = static_cast<std::uint8_t>(v);
    block_[at + 1] = static_cast<std::uint8_t>(v >> 8);
}

std::int32_t PicturePacket::Width() const {
    if (IsCoreHeader()) return static_cast<std::int16_t>(U16(4));
    return static_cast<std::int32_t>(U32(4));
}

std::int32_t PicturePacket::Height() const {
    if (IsCoreHeader()) return static_cast<std::int16_t>(U16(6));
    return static_cast<std::int32_t>(U32(8));
}

std::uint16_t PicturePacket::Planes() const {
    return IsCoreHeader() ? U16(8) : U16(12);
}

std::uint16_t PicturePacket::BitsPerPixel() const {
    return IsCoreHeader() ? U16(10) : U16(14);
}

std::uint64_t PicturePacket::ColourTableEntries() const {
    if (HeaderSize() >= 40 && ColoursUsed() != 0) return ColoursUsed();
    switch (BitsPerPixel()) {
        case 1:
            return 2;
        case 4:
            return 16;
        case 8:
            return 256;
        default:
            return 0;
    }
}

PicturePacket BlankPacket(int width, int height, std::uint16_t bits, std::uint32_t colours,
                          std::size_t imageBytes) {
    PicturePacket p(std::vector<std::uint8_t>(
        PicturePacket::kHeaderSize + std::size_t{colours} * 4 + imageBytes, 0));
    p.SetU32(0, 40);
    p.SetU32(4, static_cast<std::uint32_t>(width));
    p.SetU32(8, static_cast<std::uint32_t>(height));
    p.SetU16(12, 1);
    p.SetU16(14, bits);
    p.SetU32(20, static_cast<std::uint32_t>(imageBytes));
    p.SetU32(32, colours);
    return p;
}

PicturePacket MakePicturePacket(int width, int height, const std::uint8_t* pixels) {
    if (width < 0 || height < 0) return {};
    const std::size_t image = RowStride24(width) * static_cast<std::size_t>(height);
    PicturePacket p = BlankPacket(width, height, 24, 0, image);
    if (pixels && image) std::memcpy(p.data() + PicturePacket::kHeaderSize, pixels, image);
    return p;
}

PicturePacket DuplicatePacket(const PicturePacket& packet) {
    return packet;
}

}  // namespace wendral
