#include "io/bmp.h"

#include <algorithm>
#include <array>
#include <cstring>
#include <string_view>

#include "core/convert24.h"
#include "core/limits.h"
#include "core/size_math.h"
#include "io/file_bytes.h"
#include "io/picture_file.h"
#include "io/save.h"

namespace wendral {
namespace {

constexpr std::size_t kFileHeaderSize = 14;
constexpr std::uint64_t kLargestColourTable = 256 * 4;
constexpr std::size_t kBmp24HeaderSize = 54;

std::uint32_t Le32(const std::uint8_t* p) {
    return std::uint32_t{p[0]} | std::uint32_t{p[1]} << 8 | std::uint32_t{p[2]} << 16 |
           std::uint32_t{p[3]} << 24;
}

void PutLe32(std::uint8_t* p, std::uint32_t v) {
    for (int i = 0; i < 4; ++i) p[i] = static_cast<std::uint8_t>(v >> (8 * i));
}

// The 14-byte file header: signature, file size, two reserved zeros, offset of the pixel rows.
void PutFileHeader(std::uint8_t* h, std::uint64_t fileSize, std::uint64_t pixelOffset) {
    h[0] = 'B';
    h[1] = 'M';
    PutLe32(h + 2, static_cast<std::uint32_t>(fileSize));
    PutLe32(h + 6, 0);
    PutLe32(h + 10, static_cast<std::uint32_t>(pixelOffset));
}

// Run-length and embedded-file compressions hide how long the rows are; those pictures are
// refused later by their depth and compression, not by their length.
bool RowLengthKnown(const PacketLayout& l) {
    return l.compression == 0 || l.compression == 3 || l.compression == 6 || l.bits == 24 ||
           l.bits == 32;
}

// Whether a file of `size` bytes starting with `head` has a BMP file header and a body after it.
bool HasBmpBody(const std::uint8_t* head, std::size_t size) {
    return size > kFileHeaderSize && head[0] == 'B' && head[1] == 'M';
}

// ReadBmpPacket of a file already split into its file header and its body.
PicturePacket PacketOfFileParts(const std::uint8_t* fileHeader, PicturePacket packet) {
    const std::uint64_t bodySize = packet.size();
    const std::uint64_t size = kFileHeaderSize + bodySize;
    const auto layout = DescribePacket(packet);
    if (!layout) return {};
    const bool rowsKnown = RowLengthKnown(*layout);

    // Many writers leave a gap between the colour table and the rows, or write a shorter table
    // than the rule supposes; the file header's offset then says where the rows really are.
    // The table is cut where the rows begin, and any part of it the rule wants beyond that
    // reads as black.
    const std::uint64_t fileOffset = Le32(fileHeader + 10);
    if (fileOffset >= kFileHeaderSize + layout->headerSize && fileOffset < size &&
        fileOffset - kFileHeaderSize != layout->pixelOffset &&
        layout->pixelOffset <= bodySize + kLargestColourTable) {
        const std::uint64_t from = fileOffset - kFileHeaderSize;
        const std::uint64_t rest = bodySize - from;
        if (!rowsKnown || layout->pixelBytes <= rest) {
            const std::uint8_t* body = packet.data();
            std::vector<std::uint8_t> moved(static_cast<std::size_t>(layout->pixelOffset + rest),
                                            0);
            std::memcpy(moved.data(), body,
                        static_cast<std::size_t>(std::min(layout->pixelOffset, from)));
            std::memcpy(moved.data() + layout->pixelOffset, body + from,
                        static_cast<std::size_t>(rest));
            packet = PicturePacket(std::move(moved));
        }
    }

    if (layout->pixelOffset > packet.size()) return {};
    if (rowsKnown && layout->pixelOffset + layout->pixelBytes > packet.size()) return {};
    return packet;
}

// The headers of a 24-bit BMP file of width x height whose rows are padded to 4 bytes.
std::array<std::uint8_t, kBmp24HeaderSize> Bmp24Headers(int width, int height) {
    const std::size_t image = RowStride24(width) * static_cast<std::size_t>(height);
    std::array<std::uint8_t, kBmp24HeaderSize> h{};
    PutFileHeader(h.data(), kBmp24HeaderSize + image, kBmp24HeaderSize);
    PutLe32(h.data() + 14, 40);
    PutLe32(h.data() + 18, static_cast<std::uint32_t>(width));
    PutLe32(h.data() + 22, static_cast<std::uint32_t>(height));
    h[26] = 1;   // planes
    h[28] = 24;  // bits per pixel
    PutLe32(h.data() + 34, static_cast<std::uint32_t>(image));
    return h;
}

// A 24-bit BMP file as pieces of memory: the headers, then each row of `rows` followed by its
// padding to 4 bytes. The destination's rows are packed; when its width is a multiple of 4 (the
// usual case) the padding is empty and the rows follow each other as one piece.
std::vector<FilePiece> Bmp24Pieces(const std::array<std::uint8_t, kBmp24HeaderSize>& headers,
                                   const std::uint8_t* rows, std::size_t stride, int width,
                                   int height) {
    static constexpr std::uint8_t kPadding[3] = {};
    const std::size_t packed = static_cast<std::size_t>(width) * 3;
    const FilePiece padding{kPadding, RowStride24(width) - packed};
    std::vector<FilePiece> pieces;
    pieces.reserve(1 + 2 * static_cast<std::size_t>(height));
    pieces.push_back({headers.data(), headers.size()});
    for (int r = 0; r < height; ++r) {
        pieces.push_back({rows + static_cast<std::size_t>(r) * stride, packed});
        pieces.push_back(padding);
    }
    return pieces;
}

bool LoadBmpPacket(PicturePacket packet, SourceDocument& doc, Messages& out) {
    // Refused before the document lets go of its picture and before anything large is made.
    // Texts are compared, not pointers: each file may hold its own copy of a message.
    const char* problem = packet.empty() ? nullptr : Packet24Problem(packet);
    if (problem && std::string_view(problem) == kTooLargeMessage) {
        out.emplace_back(kTooLargeMessage);
        return false;
    }
    doc.packet = std::move(packet);
    if (ConvertTo24Bit(doc, out)) return true;
    out.emplace_back(kCantLoadFile);
    return false;
}

}  // namespace

PicturePacket BmpFileBody(const std::uint8_t* data, std::size_t size) {
    if (!HasBmpBody(data, size)) return {};
    return PicturePacket(std::vector<std::uint8_t>(data + kFileHeaderSize, data + size));
}

std::vector<std::uint8_t> BmpFileOfPacket(const PicturePacket& packet) {
    std::vector<std::uint8_t> file(kFileHeaderSize);
    PutFileHeader(file.data(), kFileHeaderSize + packet.size(),
                  kFileHeaderSize + packet.PixelBitsOffset());
    file.insert(file.end(), packet.data(), packet.data() + packet.size());
    return file;
}

PicturePacket ReadBmpPacket(const std::uint8_t* data, std::size_t size) {
    PicturePacket packet = BmpFileBody(data, size);
    if (packet.empty()) return {};
    return PacketOfFileParts(data, std::move(packet));
}

std::vector<std::uint8_t> BmpFileBytes(const std::uint8_t* rows, std::size_t stride, int width,
                                       int height) {
    const auto headers = Bmp24Headers(width, height);
    std::vector<std::uint8_t> file;
    file.reserve(headers.size() + RowStride24(width) * static_cast<std::size_t>(height));
    for (const FilePiece& p : Bmp24Pieces(headers, rows, stride, width, height))
        file.insert(file.end(), p.data, p.data + p.size);
    return file;
}

bool LoadBmpBytes(const std::uint8_t* data, std::size_t size, SourceDocument& doc, Messages& out) {
    return LoadBmpPacket(ReadBmpPacket(data, size), doc, out);
}

bool LoadBmpFile(const std::string& path, SourceDocument& doc, Messages& out) {
    // The body is read straight into the packet's block: a picture of the largest size is then
    // one copy out of the file, not two.
    std::array<std::uint8_t, kFileHeaderSize> head{};
    std::size_t headRead = 0;
    std::vector<std::uint8_t> body;
    const FileReadStatus status = ReadFileAfterHead(path, head, headRead, body);
    if (status == FileReadStatus::NotFound || status == FileReadStatus::CannotOpen) return false;
    if (status != FileReadStatus::Ok) {
        out.push_back(LoadFailureReport(path, status));
        return false;
    }
    PicturePacket packet;
    if (HasBmpBody(head.data(), headRead + body.size()))
        packet = PacketOfFileParts(head.data(), PicturePacket(std::move(body)));
    return LoadBmpPacket(std::move(packet), doc, out);
}

bool WriteBmpFile(const WendralState& state, const std::string& path) {
    if (state.DestWidth < 0 || state.DestHeight < 0) return false;
    // Written from the destination's own rows, so that no copy of the whole file is made first.
    const auto headers = Bmp24Headers(state.DestWidth, state.DestHeight);
    const std::vector<FilePiece> pieces = Bmp24Pieces(headers, state.DestinationStore(),
                                                      static_cast<std::size_t>(state.DestWidth) * 3,
                                                      state.DestWidth, state.DestHeight);
    return WriteFileAtomically(path, pieces);
}

}  // namespace wendral
