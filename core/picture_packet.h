#pragma once
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <vector>

namespace wendral {

// A device-independent bitmap in one owned block: a header (40 bytes in the packets we make),
// an optional colour table, then pixel rows bottom-up, each padded to a multiple of 4 bytes.
// An empty block is "no packet". The field readers never read past the block: a field that
// lies beyond its end reads as 0.
class PicturePacket {
  public:
    PicturePacket() = default;
    explicit PicturePacket(std::vector<std::uint8_t> block) : block_(std::move(block)) {}

    static constexpr std::size_t kHeaderSize = 40;

    bool empty() const { return block_.empty(); }
    explicit operator bool() const { return !block_.empty(); }
    std::size_t size() const { return block_.size(); }
    const std::uint8_t* data() const { return block_.data(); }
    std::uint8_t* data() { return block_.data(); }
    const std::vector<std::uint8_t>& block() const { return block_; }
    void reset() {
        block_.clear();
        block_.shrink_to_fit();
    }

    std::uint32_t HeaderSize() const { return U32(0); }
    std::int32_t Width() const;  // 16-bit for the 12-byte header
    std::int32_t Height() const;
    std::uint16_t Planes() const;
    std::uint16_t BitsPerPixel() const;
    std::uint32_t Compression() const { return IsCoreHeader() ? 0 : U32(16); }
    std::uint32_t ImageSize() const { return IsCoreHeader() ? 0 : U32(20); }
    std::uint32_t ColoursUsed() const { return IsCoreHeader() ? 0 : U32(32); }

    // The colour-table rule: how many entries, how long each is, where the pixel bits start.
    std::uint64_t ColourTableEntries() const;
    // Only the old 12-byte header has 3-byte entries; every longer header has 4-byte ones.
    std::uint32_t ColourEntrySize() const { return IsCoreHeader() ? 3 : 4; }
    std::uint64_t PixelBitsOffset() const {
        return std::uint64_t{HeaderSize()} + ColourTableEntries() * ColourEntrySize();
    }

    std::uint32_t U32(std::size_t at) const;
    std::uint16_t U16(std::size_t at) const;
    void SetU32(std::size_t at, std::uint32_t v);
    void SetU16(std::size_t at, std::uint16_t v);

    friend bool operator==(const PicturePacket&, const PicturePacket&) = default;

  private:
    bool IsCoreHeader() const { return HeaderSize() == 12; }
    std::vector<std::uint8_t> block_;
};

// Bytes of one 24-bit row: 3 x width rounded up to a multiple of 4.
inline std::size_t RowStride24(int width) {
    return (static_cast<std::size_t>(width) * 3 + 3) & ~std::size_t{3};
}

// A zeroed packet for width x height at `bits` per pixel: a 40-byte header naming `colours`
// as the colours used, a table of that many 4-byte entries, then `imageBytes` of rows.
PicturePacket BlankPacket(int width, int height, std::uint16_t bits, std::uint32_t colours,
                          std::size_t imageBytes);

// A 24-bit packet of width x height with a 40-byte header; `pixels` holds bottom-up rows already
// padded to RowStride24(width) (for the destination: DestinationStore itself). A null `pixels`
// leaves the rows zero.
PicturePacket MakePicturePacket(int width, int height, const std::uint8_t* pixels);

// An independent copy of every byte; an empty packet gives an empty packet.
PicturePacket DuplicatePacket(const PicturePacket& packet);

}  // namespace wendral
