#pragma once
#include <cstddef>
#include <cstdint>
#include <string>

#include "core/picture_packet.h"

namespace wendral {

// A read view of the rows of a 24-bit packet an encoder is handed, checked once so that the
// encoder can walk the rows top-down without re-validating the header.
struct PacketRows24 {
    int width = 0;
    int height = 0;
    std::size_t stride = 0;
    const std::uint8_t* first = nullptr;  // the first row in memory
    bool bottomUp = true;                 // false for a negative header height

    // Row y counted from the top of the picture, blue, green, red.
    const std::uint8_t* TopRow(int y) const {
        const std::size_t index =
            bottomUp ? static_cast<std::size_t>(height - 1 - y) : static_cast<std::size_t>(y);
        return first + index * stride;
    }
};

// Checks that `packet` is an uncompressed 24-bit bitmap whose rows all lie inside the block.
// Returns an empty string and fills `rows`, or the error text. Each format's own limits on the
// size are left to its encoder.
std::string ViewPacket24(const PicturePacket& packet, PacketRows24& rows);

}  // namespace wendral
