#include <array>
#include <optional>
#include <string>
#include <vector>

#include "core/limits.h"
#include "core/size_math.h"
#include "io/codec.h"
#include "io/codec_bits.h"
#include "io/codec_packet24.h"

namespace wendral {
namespace {

constexpr std::size_t kTgaHeaderSize = 18;

struct TgaHeader {
    unsigned idLength = 0;
    unsigned mapType = 0;
    unsigned imageType = 0;
    unsigned mapFirst = 0;
    unsigned mapLength = 0;
    unsigned mapEntryBits = 0;
    int width = 0;
    int height = 0;
    unsigned pixelBits = 0;
    unsigned descriptor = 0;
};

TgaHeader ParseHeader(const std::uint8_t* d) {
    TgaHeader h;
    h.idLength = d[0];
    h.mapType = d[1];
    h.imageType = d[2];
    h.mapFirst = U16At(d + 3);
    h.mapLength = U16At(d + 5);
    h.mapEntryBits = d[7];
    h.width = static_cast<int>(U16At(d + 12));
    h.height = static_cast<int>(U16At(d + 14));
    h.pixelBits = d[16];
    h.descriptor = d[17];
    return h;
}

// 5-bit channels scaled exactly onto 0..255, so that 31 becomes 255 and 0 stays 0.
std::uint8_t Expand5(unsigned v) {
    return static_cast<std::uint8_t>((v * 255 + 15) / 31);
}

// A true-colour value of 15, 16, 24 or 32 bits as stored (little-endian, blue lowest); the
// attribute bit of 16-bit values and the alpha byte of 32-bit values are dropped.
Bgr ColourAt(const std::uint8_t* p, unsigned bits) {
    if (bits == 15 || bits == 16) {
        const unsigned v = U16At(p);
        return Bgr{Expand5(v & 31), Expand5((v >> 5) & 31), Expand5((v >> 10) & 31)};
    }
    return Bgr{p[0], p[1], p[2]};
}

bool IsColourDepth(unsigned bits) {
    return bits == 15 || bits == 16 || bits == 24 || bits == 32;
}

enum class Kind { Mapped, TrueColour, Grey };

// Where decoded pixels go: file order in, packet position out, by the two orientation bits.
class PixelCursor {
  public:
    PixelCursor(const TgaHeader& h, PicturePacket& packet, bool indexed)
        : width_(h.width),
          height_(h.height),
          topFirst_(h.descriptor & 0x20),
          step_(h.descriptor & 0x10 ? -(indexed ? 1 : 3) : (indexed ? 1 : 3)),
          stride_(indexed ? RowStride8(h.width) : RowStride24(h.width)),
          rows_(indexed ? PaletteRows(packet) : packet.data() + PicturePacket::kHeaderSize) {
        StartRow();
    }

    // The packet position of the next pixel of the file; called exactly width x height times.
    std::uint8_t* Next() {
        std::uint8_t* here = at_;
        if (++col_ == width_) {
            ++fileRow_;
            if (fileRow_ < height_) StartRow();
        } else {
            at_ += step_;
        }
        return here;
    }

  private:
    void StartRow() {
        const int row = topFirst_ ? height_ - 1 - fileRow_ : fileRow_;
        at_ = rows_ + static_cast<std::size_t>(row) * stride_;
        if (step_ < 0)
            at_ += static_cast<std::size_t>(width_ - 1) * static_cast<std::size_t>(-step_);
        col_ = 0;
    }

    int width_;
    int height_;
    bool topFirst_;
    std::ptrdiff_t step_;
    std::size_t stride_;
    std::uint8_t* rows_;
    int fileRow_ = 0;
    int col_ = 0;
    std::uint8_t* at_ = nullptr;
};

}  // namespace

DecodedPicture DecodeTga(const std::uint8_t* data, std::size_t size) {
    if (size < kTgaHeaderSize)
        return DecodeFailure("This TGA file is too short to hold its header");
    const TgaHeader h = ParseHeader(data);

    if (h.mapType > 1)
        return DecodeFailure("TGA colour map type " + std::to_string(h.mapType) +
                             " is not supported");
    // Types 9 to 11 are the run-length forms of types 1 to 3.
    const bool rle = h.imageType >= 9 && h.imageType <= 11;
    const unsigned form = rle ? h.imageType - 8 : h.imageType;
    if (form == 0) return DecodeFailure("This TGA file holds no picture");
    if (form > 3)
        return DecodeFailure("TGA image type " + std::to_string(h.imageType) + " is not supported");
    const Kind kind = form == 1 ? Kind::Mapped : form == 2 ? Kind::TrueColour : Kind::Grey;
    if (h.width == 0 || h.height == 0) return DecodeFailure("This TGA picture has no pixels");

    const unsigned bits = h.pixelBits;
    const bool depthOk = kind == Kind::Mapped ? (bits == 8 || bits == 16)
                         : kind == Kind::Grey ? (bits == 8 || bits == 16)
                                              : IsColourDepth(bits);
    if (!depthOk)
        return DecodeFailure("TGA pixels of " + std::to_string(bits) +
                             " bits are not supported in image type " +
                             std::to_string(h.imageType));
    if (kind == Kind::Mapped) {
        if (h.mapType != 1 || h.mapLength == 0)
            return DecodeFailure("This colour-mapped TGA picture has no colour map");
        if (!IsColourDepth(h.mapEntryBits))
            return DecodeFailure("TGA colour map entries of " + std::to_string(h.mapEntryBits) +
                                 " bits are not supported");
    }
    if (!PictureSizeAllowed(h.width, h.height)) return DecodeFailure(kTooLargeMessage);

    // Offsets below stay far under 2^32: every field is at most 16 bits.
    std::size_t at = kTgaHeaderSize + h.idLength;
    if (at > size) return DecodeFailure("This TGA file is cut short in its ID field");
    const std::size_t mapBytes =
        h.mapType == 1 ? std::size_t{h.mapLength} * ((h.mapEntryBits + 7) / 8) : 0;
    if (mapBytes > size - at) return DecodeFailure("This TGA file is cut short in its colour map");
    const std::uint8_t* map = data + at;
    at += mapBytes;

    const std::size_t pixelBytes = (bits + 7) / 8;
    const std::uint64_t pixels =
        *CheckedMul(static_cast<std::uint64_t>(h.width), static_cast<std::uint64_t>(h.height));
    // Refuse what the remaining bytes cannot possibly hold before the picture is allocated: a
    // run-length packet covers at most 128 pixels.
    const std::uint64_t leastBytes =
        rle ? *CheckedMul((pixels + 127) / 128, 1 + pixelBytes) : *CheckedMul(pixels, pixelBytes);
    if (leastBytes > size - at) return DecodeFailure("TGA pixel data is cut short");

    // 8-bit indices into a map that fits the 256 table entries keep their colour table; 16-bit
    // indices or a map reaching past entry 255 are looked up into 24 bits.
    const bool indexed = kind == Kind::Grey ||
                         (kind == Kind::Mapped && bits == 8 && h.mapFirst + h.mapLength <= 256);
    PicturePacket packet = indexed ? MakePalettePacket(h.width, h.height)
                                   : MakePicturePacket(h.width, h.height, nullptr);

    std::vector<Bgr> colours;
    if (kind == Kind::Mapped) {
        const std::size_t entryBytes = (h.mapEntryBits + 7) / 8;
        colours.resize(h.mapLength);
        for (std::size_t i = 0; i < colours.size(); ++i)
            colours[i] = ColourAt(map + i * entryBytes, h.mapEntryBits);
        if (indexed)
            for (std::size_t i = 0; i < colours.size(); ++i)
                SetPaletteEntry(packet, h.mapFirst + i, colours[i]);
    } else if (kind == Kind::Grey) {
        for (unsigned i = 0; i < 256; ++i) {
            const auto v = static_cast<std::uint8_t>(i);
            SetPaletteEntry(packet, i, Bgr{v, v, v});
        }
    }

    PixelCursor cursor(h, packet, indexed);
    std::string badIndex;
    // Writes the next pixel of the file from its stored bytes; false on an index outside the map.
    auto put = [&](const std::uint8_t* p) {
        std::uint8_t* out = cursor.Next();
        if (kind == Kind::Grey) {
            *out = p[0];  // a 16-bit grey value carries alpha in its second byte
            return true;
        }
        if (kind == Kind::TrueColour) {
            const Bgr c = ColourAt(p, bits);
            out[0] = c.b;
            out[1] = c.g;
            out[2] = c.r;
            return true;
        }
        const unsigned index = bits == 8 ? p[0] : U16At(p);
        if (index < h.mapFirst || index - h.mapFirst >= h.mapLength) {
            badIndex = "TGA colour index " + std::to_string(index) + " lies outside the colour map";
            return false;
        }
        if (indexed) {
            *out = static_cast<std::uint8_t>(index);
        } else {
            const Bgr c = colours[index - h.mapFirst];
            out[0] = c.b;
            out[1] = c.g;
            out[2] = c.r;
        }
        return true;
    };

    const std::uint8_t* p = data + at;
    const std::uint8_t* const end = data + size;
    if (!rle) {
        for (std::uint64_t k = 0; k < pixels; ++k, p += pixelBytes)
            if (!put(p)) return DecodeFailure(badIndex);
    } else {
        std::uint64_t k = 0;
        while (k < pixels) {
            if (p == end) return DecodeFailure("TGA pixel data is cut short");
            const unsigned head = *p++;
            const std::uint64_t count = (head & 0x7F) + 1;
            if (count > pixels - k)
                return DecodeFailure("A TGA run-length packet runs past the end of the picture");
            const std::size_t need = head & 0x80 ? pixelBytes : count * pixelBytes;
            if (need > static_cast<std::size_t>(end - p))
                return DecodeFailure("TGA pixel data is cut short");
            for (std::uint64_t i = 0; i < count; ++i, ++k) {
                if (!put(p)) return DecodeFailure(badIndex);
                if (!(head & 0x80)) p += pixelBytes;
            }
            if (head & 0x80) p += pixelBytes;
        }
    }
    return DecodedPicture{std::move(packet), {}};
}

std::string EncodeTga(const PicturePacket& packet, std::vector<std::uint8_t>& out) {
    PacketRows24 rows;
    if (std::string error = ViewPacket24(packet, rows); !error.empty()) return error;
    if (rows.width > 65535 || rows.height > 65535)
        return "TGA pictures are at most 65535 pixels a side";

    // Uncompressed true colour with the origin at the bottom left: the form every reader opens.
    std::array<std::uint8_t, kTgaHeaderSize> header{};
    header[2] = 2;
    header[12] = static_cast<std::uint8_t>(rows.width);
    header[13] = static_cast<std::uint8_t>(rows.width >> 8);
    header[14] = static_cast<std::uint8_t>(rows.height);
    header[15] = static_cast<std::uint8_t>(rows.height >> 8);
    header[16] = 24;
    const std::size_t rowBytes = static_cast<std::size_t>(rows.width) * 3;
    out.reserve(out.size() + header.size() + rowBytes * static_cast<std::size_t>(rows.height));
    out.insert(out.end(), header.begin(), header.end());
    for (int y = rows.height - 1; y >= 0; --y) {
        const std::uint8_t* row = rows.TopRow(y);
        out.insert(out.end(), row, row + rowBytes);
    }
    return {};
}

}  // namespace wendral
