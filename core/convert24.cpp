#include "core/convert24.h"

#include <bit>
#include <climits>
#include <cstring>
#include <new>

#include "core/limits.h"
#include "core/pixel.h"
#include "core/size_math.h"

namespace wendral {
namespace {

constexpr std::uint32_t kBitFields = 3;
constexpr std::uint32_t kAlphaBitFields = 6;

bool DepthSupported(const PacketLayout& l) {
    if (l.bits == 4 || l.bits == 8) return l.compression == 0;
    return l.bits == 24 || l.bits == 32;
}

// Red, green and blue masks of pixels stored as blue, green, red and a fourth byte, which the
// byte copy reads as they are.
constexpr std::array<std::uint32_t, 3> kByteMasks = {0x00FF0000, 0x0000FF00, 0x000000FF};

// All-zero masks come from writers that meant no masks at all.
bool ReadThroughMasks(const PacketLayout& l) {
    return l.masks != kByteMasks && l.masks != std::array<std::uint32_t, 3>{};
}

// One colour of a bit-field pixel: the bits under its mask, brought to 8 bits.
class MaskedChannel {
  public:
    explicit MaskedChannel(std::uint32_t mask) : mask_(mask) {
        if (mask == 0) return;
        shift_ = std::countr_zero(mask);
        largest_ = mask >> shift_;
        width_ = std::bit_width(largest_);
    }

    std::uint8_t operator()(std::uint32_t pixel) const {
        if (mask_ == 0) return 0;
        const std::uint32_t v = (pixel & mask_) >> shift_;
        if (width_ >= 8) return static_cast<std::uint8_t>(v >> (width_ - 8));
        return static_cast<std::uint8_t>((v * 255 + largest_ / 2) / largest_);
    }

  private:
    std::uint32_t mask_ = 0;
    int shift_ = 0;
    std::uint32_t largest_ = 0;  // the field's value with every bit set
    int width_ = 0;
};

void UnpickMaskedRow(const std::uint8_t* row, const MaskedChannel (&rgb)[3], std::int64_t width,
                     std::uint8_t* dst) {
    for (std::int64_t x = 0; x < width; ++x) {
        const std::uint8_t* p = row + 4 * x;
        const std::uint32_t pixel = std::uint32_t{p[0]} | std::uint32_t{p[1]} << 8 |
                                    std::uint32_t{p[2]} << 16 | std::uint32_t{p[3]} << 24;
        dst[0] = rgb[2](pixel);
        dst[1] = rgb[1](pixel);
        dst[2] = rgb[0](pixel);
        dst += 3;
    }
}

// A kept packet must be what every reader of a source picture expects: 24 bits, no
// compression, bottom-up rows right after the colour table.
bool KeptAsItIs(const PacketLayout& l) {
    return l.bits == 24 && l.compression == 0 && !l.topDown;
}

void ExpandPaletteRow(const std::uint8_t* row, const Bgr* lut, int bits, std::int64_t width,
                      std::uint8_t* dst) {
    for (std::int64_t x = 0; x < width; ++x) {
        unsigned index;
        if (bits == 8) {
            index = row[x];
        } else {
            const std::uint8_t pair = row[x / 2];
            index = (x % 2 == 0) ? pair >> 4 : pair & 0x0F;
        }
        const Bgr c = lut[index];
        dst[0] = c.b;
        dst[1] = c.g;
        dst[2] = c.r;
        dst += 3;
    }
}

}  // namespace

std::optional<PacketLayout> DescribePacket(const PicturePacket& packet) {
    if (packet.size() < 4) return std::nullopt;
    PacketLayout l;
    l.headerSize = packet.HeaderSize();
    if ((l.headerSize != 12 && l.headerSize < 40) || l.headerSize > packet.size())
        return std::nullopt;
    const std::int32_t width = packet.Width();
    const std::int32_t height = packet.Height();
    if (width <= 0 || height == 0 || height == INT32_MIN) return std::nullopt;
    l.width = width;
    l.topDown = height < 0;
    l.height = l.topDown ? -std::int64_t{height} : std::int64_t{height};
    l.bits = packet.BitsPerPixel();
    l.compression = packet.Compression();
    l.colourEntries = packet.ColourTableEntries();
    l.colourEntrySize = packet.ColourEntrySize();
    // At most 2^32 entries of 4 bytes after a 4 GiB header: no overflow in 64 bits.
    l.pixelOffset = packet.PixelBitsOffset();
    if (l.headerSize == 40 && l.compression == kBitFields) l.pixelOffset += 12;
    if (l.headerSize == 40 && l.compression == kAlphaBitFields) l.pixelOffset += 16;
    // The masks follow a 40-byte header and sit at the same place inside the longer headers
    // that hold them.
    if (l.bits == 32 && (l.compression == kBitFields || l.compression == kAlphaBitFields) &&
        (l.headerSize == 40 || l.headerSize >= 52))
        l.masks = {packet.U32(40), packet.U32(44), packet.U32(48)};
    const auto rowBytes = PaddedRowBytes(static_cast<std::uint64_t>(l.width), l.bits);
    if (!rowBytes) return std::nullopt;
    const auto pixelBytes = CheckedMul(*rowBytes, static_cast<std::uint64_t>(l.height));
    if (!pixelBytes) return std::nullopt;
    l.rowBytes = *rowBytes;
    l.pixelBytes = *pixelBytes;
    return l;
}

const char* Packet24Problem(const PicturePacket& packet) {
    const auto l = DescribePacket(packet);
    if (!l || !DepthSupported(*l)) return kUnsupportedBitmap;
    if (!PictureSizeAllowed(l->width, l->height)) return kTooLargeMessage;
    const auto end = CheckedAdd(l->pixelOffset, l->pixelBytes);
    if (!end || *end > packet.size()) return kUnsupportedBitmap;
    return nullptr;
}

PicturePacket RepackTo24Bit(const PicturePacket& packet) {
    const PacketLayout l = *DescribePacket(packet);
    const int width = static_cast<int>(l.width);
    const int height = static_cast<int>(l.height);
    PicturePacket out = MakePicturePacket(width, height, nullptr);
    const std::size_t stride = RowStride24(width);

    Bgr lut[256] = {};
    if (l.bits == 4 || l.bits == 8) {
        const std::uint8_t* table = packet.data() + l.headerSize;
        const std::uint64_t entries = l.colourEntries < 256 ? l.colourEntries : 256;
        for (std::uint64_t i = 0; i < entries; ++i) {
            const std::uint8_t* e = table + i * l.colourEntrySize;
            lut[i] = Bgr{e[0], e[1], e[2]};
        }
    }

    const bool masked = l.bits == 32 && ReadThroughMasks(l);
    const MaskedChannel rgb[3] = {MaskedChannel(l.masks[0]), MaskedChannel(l.masks[1]),
                                  MaskedChannel(l.masks[2])};

    for (std::int64_t r = 0; r < l.height; ++r) {
        const std::uint8_t* row =
            packet.data() + l.pixelOffset + static_cast<std::uint64_t>(r) * l.rowBytes;
        const std::int64_t outRow = l.topDown ? l.height - 1 - r : r;
        std::uint8_t* dst =
            out.data() + PicturePacket::kHeaderSize + static_cast<std::size_t>(outRow) * stride;
        switch (l.bits) {
            case 4:
            case 8:
                ExpandPaletteRow(row, lut, l.bits, l.width, dst);
                break;
            case 24:
                std::memcpy(dst, row, static_cast<std::size_t>(l.width) * 3);
                break;
            default:  // 32: the fourth byte of every pixel is dropped
                if (masked) {
                    UnpickMaskedRow(row, rgb, l.width, dst);
                    break;
                }
                for (std::int64_t x = 0; x < l.width; ++x) {
                    dst[3 * x] = row[4 * x];
                    dst[3 * x + 1] = row[4 * x + 1];
                    dst[3 * x + 2] = row[4 * x + 2];
                }
                break;
        }
    }
    return out;
}

bool ConvertTo24Bit(SourceDocument& doc, Messages& out) {
    if (doc.packet.empty()) return false;
    if (const char* problem = Packet24Problem(doc.packet)) {
        doc.packet.reset();
        out.emplace_back(problem);
        return false;
    }
    if (!KeptAsItIs(*DescribePacket(doc.packet))) {
        try {
            doc.packet = RepackTo24Bit(doc.packet);
        } catch (const std::bad_alloc&) {
            // Within the load limits but more than this machine can give.
            doc.packet.reset();
            out.emplace_back(kTooLargeMessage);
            return false;
        }
    }
    doc.PictureWidth = doc.packet.Width();
    doc.PictureHeight = doc.packet.Height();
    return true;
}

}  // namespace wendral
