#include <algorithm>
#include <array>
#include <string>
#include <vector>

#include "core/limits.h"
#include "core/size_math.h"
#include "io/codec.h"
#include "io/codec_bits.h"
#include "io/codec_packet24.h"

namespace wendral {
namespace {

constexpr std::size_t kPcxHeaderSize = 128;
constexpr std::size_t kTrailingPaletteSize = 769;  // the 0x0C marker and 256 x (red, green, blue)
constexpr unsigned kMaxRun = 63;

// The 16 colours of the standard colour display, for pictures whose header palette says nothing.
constexpr std::array<Bgr, 16> kStandardColours = {{
    {0x00, 0x00, 0x00},
    {0xAA, 0x00, 0x00},
    {0x00, 0xAA, 0x00},
    {0xAA, 0xAA, 0x00},
    {0x00, 0x00, 0xAA},
    {0xAA, 0x00, 0xAA},
    {0x00, 0x55, 0xAA},
    {0xAA, 0xAA, 0xAA},
    {0x55, 0x55, 0x55},
    {0xFF, 0x55, 0x55},
    {0x55, 0xFF, 0x55},
    {0xFF, 0xFF, 0x55},
    {0x55, 0x55, 0xFF},
    {0xFF, 0x55, 0xFF},
    {0x55, 0xFF, 0xFF},
    {0xFF, 0xFF, 0xFF},
}};

// The run-length stream of the pixel data. Runs may cross from one scan line into the next,
// as some writers let them, so the state carries over between lines.
class RunReader {
  public:
    RunReader(const std::uint8_t* begin, const std::uint8_t* end) : p_(begin), end_(end) {}

    // Fills `line` with the next line.size() bytes; false when the data ends first.
    bool ReadLine(std::vector<std::uint8_t>& line) {
        std::size_t i = 0;
        while (i < line.size()) {
            if (runLeft_ == 0) {
                if (p_ == end_) return false;
                const std::uint8_t b = *p_++;
                if (b < 0xC0) {
                    line[i++] = b;
                    continue;
                }
                if (p_ == end_) return false;
                runLeft_ = b & 0x3F;
                runValue_ = *p_++;
                continue;
            }
            const std::size_t n = std::min<std::size_t>(runLeft_, line.size() - i);
            std::fill_n(line.begin() + static_cast<std::ptrdiff_t>(i), n, runValue_);
            i += n;
            runLeft_ -= static_cast<unsigned>(n);
        }
        return true;
    }

    // A run still open after the last line overshoots the picture.
    bool RunPending() const { return runLeft_ != 0; }

  private:
    const std::uint8_t* p_;
    const std::uint8_t* end_;
    unsigned runLeft_ = 0;
    std::uint8_t runValue_ = 0;
};

}  // namespace

DecodedPicture DecodePcx(const std::uint8_t* data, std::size_t size) {
    if (size < kPcxHeaderSize)
        return DecodeFailure("This PCX file is too short to hold its header");
    if (data[0] != 0x0A) return DecodeFailure("This is not a PCX file");
    const unsigned version = data[1];
    if (version > 5 || version == 1)
        return DecodeFailure("PCX version " + std::to_string(version) + " is not supported");
    if (data[2] != 1)
        return DecodeFailure("PCX encoding " + std::to_string(data[2]) + " is not supported");
    const unsigned bits = data[3];
    const unsigned planes = data[65];
    const unsigned lineBytes = U16At(data + 66);
    const unsigned xmin = U16At(data + 4), ymin = U16At(data + 6);
    const unsigned xmax = U16At(data + 8), ymax = U16At(data + 10);

    const bool truecolour = bits == 8 && (planes == 3 || planes == 4);
    const bool paletted = (bits == 1 && planes >= 1 && planes <= 4) ||
                          ((bits == 2 || bits == 4 || bits == 8) && planes == 1);
    if (!truecolour && !paletted)
        return DecodeFailure("PCX pictures of " + std::to_string(bits) + " bits in " +
                             std::to_string(planes) + (planes == 1 ? " plane" : " planes") +
                             " are not supported");
    if (xmax < xmin || ymax < ymin) return DecodeFailure("This PCX picture's window is inverted");
    const int width = static_cast<int>(xmax - xmin + 1);
    const int height = static_cast<int>(ymax - ymin + 1);
    if (lineBytes == 0) return DecodeFailure("This PCX picture has zero bytes per line");
    if (std::uint64_t{lineBytes} * 8 < std::uint64_t{static_cast<unsigned>(width)} * bits)
        return DecodeFailure("This PCX picture's bytes per line (" + std::to_string(lineBytes) +
                             ") are too few for its width (" + std::to_string(width) + ")");
    if (!PictureSizeAllowed(width, height)) return DecodeFailure(kTooLargeMessage);

    std::size_t dataEnd = size;
    const bool trailingPalette = bits == 8 && planes == 1;
    if (trailingPalette) {
        if (size < kPcxHeaderSize + kTrailingPaletteSize ||
            data[size - kTrailingPaletteSize] != 0x0C)
            return DecodeFailure("This PCX picture's 256-colour palette is missing");
        dataEnd = size - kTrailingPaletteSize;
    }

    // Refuse what the data cannot possibly hold before the picture is allocated: two bytes give
    // at most a run of 63.
    const std::uint64_t scanBytes = std::uint64_t{planes} * lineBytes;
    const std::uint64_t available = dataEnd - kPcxHeaderSize;
    const auto needed = CheckedMul(scanBytes, static_cast<std::uint64_t>(height));
    if (!needed || *needed > available / 2 * kMaxRun + available % 2)
        return DecodeFailure("PCX pixel data is cut short");

    PicturePacket packet =
        truecolour ? MakePicturePacket(width, height, nullptr) : MakePalettePacket(width, height);
    if (paletted) {
        const unsigned colours = 1u << (bits * planes);
        if (trailingPalette) {
            const std::uint8_t* e = data + size - kTrailingPaletteSize + 1;
            for (unsigned i = 0; i < 256; ++i, e += 3)
                SetPaletteEntry(packet, i, Bgr{e[2], e[1], e[0]});
        } else {
            // Some writers leave the header palette empty (all one colour); the picture then
            // means the standard colours, black and white for one bit.
            const std::uint8_t* e = data + 16;
            bool allSame = true;
            for (unsigned i = 1; i < colours; ++i)
                if (e[3 * i] != e[0] || e[3 * i + 1] != e[1] || e[3 * i + 2] != e[2])
                    allSame = false;
            for (unsigned i = 0; i < colours; ++i) {
                Bgr c{e[3 * i + 2], e[3 * i + 1], e[3 * i]};
                if (allSame)
                    c = colours == 2 ? (i ? Bgr{255, 255, 255} : Bgr{}) : kStandardColours[i];
                SetPaletteEntry(packet, i, c);
            }
        }
    }

    RunReader reader(data + kPcxHeaderSize, data + dataEnd);
    std::vector<std::uint8_t> line(scanBytes);
    const std::size_t stride = truecolour ? RowStride24(width) : RowStride8(width);
    std::uint8_t* const rows =
        truecolour ? packet.data() + PicturePacket::kHeaderSize : PaletteRows(packet);
    const unsigned mask = (1u << bits) - 1;
    for (int y = 0; y < height; ++y) {
        if (!reader.ReadLine(line)) return DecodeFailure("PCX pixel data is cut short");
        std::uint8_t* out = rows + static_cast<std::size_t>(height - 1 - y) * stride;
        if (truecolour) {
            const std::uint8_t* red = line.data();
            const std::uint8_t* green = red + lineBytes;
            const std::uint8_t* blue = green + lineBytes;
            for (int x = 0; x < width; ++x, out += 3) {
                out[0] = blue[x];
                out[1] = green[x];
                out[2] = red[x];
            }
        } else if (bits == 8) {
            std::copy_n(line.begin(), width, out);
        } else {
            // Plane p gives bits p*bits and up of the colour index; pixels fill each byte from
            // its high end.
            for (int x = 0; x < width; ++x) {
                const std::size_t bit = static_cast<std::size_t>(x) * bits;
                const unsigned shift = 8 - bits - bit % 8;
                unsigned index = 0;
                for (unsigned p = 0; p < planes; ++p)
                    index |= ((line[p * lineBytes + bit / 8] >> shift) & mask) << (p * bits);
                out[x] = static_cast<std::uint8_t>(index);
            }
        }
    }
    if (reader.RunPending()) return DecodeFailure("A PCX run runs past the end of the picture");
    return DecodedPicture{std::move(packet), {}};
}

std::string EncodePcx(const PicturePacket& packet, std::vector<std::uint8_t>& out) {
    PacketRows24 rows;
    if (std::string error = ViewPacket24(packet, rows); !error.empty()) return error;
    // Scan lines are an even number of bytes, and bytes per line is a 16-bit field.
    if (rows.width > 65534 || rows.height > 65536) return "The picture is too large for a PCX file";
    const unsigned lineBytes = static_cast<unsigned>(rows.width + (rows.width & 1));

    std::array<std::uint8_t, kPcxHeaderSize> header{};
    auto put16 = [&header](std::size_t at, unsigned v) {
        header[at] = static_cast<std::uint8_t>(v);
        header[at + 1] = static_cast<std::uint8_t>(v >> 8);
    };
    header[0] = 0x0A;
    header[1] = 5;
    header[2] = 1;
    header[3] = 8;
    put16(8, static_cast<unsigned>(rows.width - 1));
    put16(10, static_cast<unsigned>(rows.height - 1));
    put16(12, 72);
    put16(14, 72);
    header[65] = 3;
    put16(66, lineBytes);
    put16(68, 1);
    out.insert(out.end(), header.begin(), header.end());

    std::vector<std::uint8_t> plane(lineBytes, 0);
    for (int y = 0; y < rows.height; ++y) {
        const std::uint8_t* row = rows.TopRow(y);
        // Red, green, blue planes; each is encoded on its own so that no run crosses a plane.
        for (int channel = 2; channel >= 0; --channel) {
            for (int x = 0; x < rows.width; ++x)
                plane[static_cast<std::size_t>(x)] = row[3 * x + channel];
            std::size_t i = 0;
            while (i < plane.size()) {
                const std::uint8_t v = plane[i];
                std::size_t run = 1;
                while (i + run < plane.size() && run < kMaxRun && plane[i + run] == v) ++run;
                if (run > 1 || v >= 0xC0) out.push_back(static_cast<std::uint8_t>(0xC0 | run));
                out.push_back(v);
                i += run;
            }
        }
    }
    return {};
}

}  // namespace wendral
