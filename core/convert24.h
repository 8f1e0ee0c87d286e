#pragma once
#include <array>
#include <cstdint>
#include <optional>

#include "core/messages.h"
#include "core/picture_packet.h"
#include "core/source_document.h"

namespace wendral {

inline constexpr const char* kUnsupportedBitmap = "Wendral does not support this type of bitmap.";

// How a packet's pixel rows lie in its block, worked out from the header alone with checked
// arithmetic. The rows start after the colour table and, for a bit-field picture with a
// 40-byte header, after the three masks that follow that header; longer headers hold the
// masks themselves.
struct PacketLayout {
    std::uint32_t headerSize = 0;
    std::int64_t width = 0;   // > 0
    std::int64_t height = 0;  // number of rows, > 0
    bool topDown = false;     // the header height was negative
    std::uint16_t bits = 0;
    std::uint32_t compression = 0;
    std::uint64_t colourEntries = 0;
    std::uint32_t colourEntrySize = 4;
    std::uint64_t pixelOffset = 0;  // from the start of the block
    std::uint64_t rowBytes = 0;     // one stored row at `bits`, padded to 4 bytes
    std::uint64_t pixelBytes = 0;   // rowBytes x height
    // Red, green and blue masks of a 32-bit bit-field picture; all zero when it has none.
    std::array<std::uint32_t, 3> masks{};
};

// nullopt for a header we cannot read: shorter than its own size field, a size other than 12
// or at least 40, a width or height of zero, a negative width, a height of INT_MIN, or sizes
// that overflow. Whether the block really holds the rows is for the caller to check.
std::optional<PacketLayout> DescribePacket(const PicturePacket& packet);

// Why the packet cannot become a 24-bit packet, or nullptr when it can: kUnsupportedBitmap for
// a depth or compression we do not read and for sizes the bytes present do not bear out,
// kTooLargeMessage for a picture beyond the load limits.
const char* Packet24Problem(const PicturePacket& packet);

// A new 24-bit packet (40-byte header, positive height, rows bottom-up) with the picture of a
// packet that Packet24Problem accepts. Palette indices beyond the colour table give black.
// 32-bit pixels are taken as blue, green, red and a dropped fourth byte, unless bit-field masks
// other than those of that layout say where each colour lies: each colour is then the bits
// under its mask, a field wider than 8 bits keeping its top 8 and a narrower one stretched so
// that all ones gives 255; a zero mask gives 0. Masks that are all zero say nothing and leave
// the usual layout.
PicturePacket RepackTo24Bit(const PicturePacket& packet);

// Brings whatever packet the document holds to the 24-bit packet form (40-byte header, rows
// bottom-up, 3 x width bytes plus padding to 4). 4- and 8-bit palette pictures are expanded,
// 24-bit bottom-up ones kept as they are, top-down and 32-bit ones repacked. Any other depth,
// or a packet whose sizes the bytes present do not bear out, leaves the document without a
// packet and adds kUnsupportedBitmap (kTooLargeMessage beyond the load limits) to `out`;
// PictureWidth and PictureHeight then keep their values. Returns whether the document holds a
// packet afterwards; with no packet to begin with it does nothing and returns false.
bool ConvertTo24Bit(SourceDocument& doc, Messages& out);

}  // namespace wendral
