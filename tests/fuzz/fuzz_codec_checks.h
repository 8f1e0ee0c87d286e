#pragma once
#include <cstdint>
#include <cstdlib>
#include <string>
#include <vector>

#include "io/codec.h"

namespace wendral::fuzz {

// Aborts unless the result is either an error text with no picture, or a bitmap of the decoded
// form: 40-byte header, 8 bits with 256 table entries or 24 bits, rows that fill the block.
// A 24-bit picture is then written and read back, which must give the same bytes.
template <class Encode, class Decode>
void CheckDecoded(const DecodedPicture& d, Encode encode, Decode decode) {
    if (!d.error.empty()) {
        if (!d.picture.empty()) std::abort();
        return;
    }
    const PicturePacket& p = d.picture;
    if (p.HeaderSize() != 40 || p.Width() <= 0 || p.Height() <= 0 || p.Compression() != 0)
        std::abort();
    const std::uint64_t width = static_cast<std::uint64_t>(p.Width());
    const std::uint64_t height = static_cast<std::uint64_t>(p.Height());
    if (p.BitsPerPixel() == 8) {
        if (p.ColoursUsed() != 256 ||
            p.size() != 40 + 1024 + ((width + 3) & ~std::uint64_t{3}) * height)
            std::abort();
        return;
    }
    if (p.BitsPerPixel() != 24 || p.size() != 40 + RowStride24(p.Width()) * height) std::abort();
    std::vector<std::uint8_t> file;
    if (!encode(p, file).empty()) std::abort();
    const DecodedPicture again = decode(file.data(), file.size());
    if (!again.error.empty() || !(again.picture == p)) std::abort();
}

}  // namespace wendral::fuzz
