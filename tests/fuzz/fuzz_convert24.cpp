// Raw packet bytes, as a pasted picture arrives, through the 24-bit conversion.
#include <cstdint>
#include <cstdlib>
#include <vector>

#include "core/convert24.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    wendral::SourceDocument doc;
    doc.packet = wendral::PicturePacket(std::vector<std::uint8_t>(data, data + size));
    wendral::Messages out;
    if (!wendral::ConvertTo24Bit(doc, out)) {
        if (!doc.packet.empty() || doc.PictureWidth != 1 || doc.PictureHeight != 1) std::abort();
        return 0;
    }
    const auto layout = wendral::DescribePacket(doc.packet);
    if (!layout || layout->bits != 24 || layout->topDown ||
        layout->pixelOffset + layout->pixelBytes > doc.packet.size() ||
        doc.PictureWidth != layout->width || doc.PictureHeight != layout->height)
        std::abort();
    return 0;
}
