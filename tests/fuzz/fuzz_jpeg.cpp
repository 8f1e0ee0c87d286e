// A JPEG file's bytes through the decoder, as the open command runs it.
#include <cstdint>
#include <cstdlib>

#include "core/picture_packet.h"
#include "io/jpeg.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    // A small file may rightly claim the largest picture (see JpegLimits); decoding hundreds of
    // megapixels of it tells nothing new about the parser and would only run past the timeout.
    wendral::JpegLimits limits;
    limits.maxPixels = 8 * 1024 * 1024;
    const wendral::JpegDecoded d = wendral::DecodeJpeg(data, size, limits);
    if (d.status != wendral::JpegStatus::Ok) {
        if (!d.packet.empty()) std::abort();
        return 0;
    }
    const wendral::PicturePacket& p = d.packet;
    if (p.BitsPerPixel() != 24 || p.Width() <= 0 || p.Height() <= 0 ||
        p.size() != 40 + wendral::RowStride24(p.Width()) * static_cast<std::size_t>(p.Height()))
        std::abort();
    return 0;
}
