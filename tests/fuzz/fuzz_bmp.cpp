// A BMP file's bytes through the reader and the 24-bit conversion, as the open command runs them.
#include <cstdint>
#include <cstdlib>

#include "core/convert24.h"
#include "io/bmp.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    wendral::SourceDocument doc;
    wendral::Messages out;
    if (!wendral::LoadBmpBytes(data, size, doc, out)) return 0;
    // Every reader downstream relies on the packet holding all the rows its header promises.
    const wendral::PicturePacket& p = doc.packet;
    const auto layout = wendral::DescribePacket(p);
    if (!layout || p.BitsPerPixel() != 24 || p.Height() <= 0 ||
        layout->pixelOffset + layout->pixelBytes > p.size())
        std::abort();
    return 0;
}
