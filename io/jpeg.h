#pragma once
#include <cstddef>
#include <cstdint>
#include <vector>

#include "core/limits.h"
#include "core/picture_packet.h"

namespace wendral {

// What one decode may cost. Progressive files may repeat scans without end, and multi-scan
// files keep every coefficient of the picture in memory; both are bounded. The area is the
// program's load limit; a caller may lower it: arithmetic coding may leave out the zeros that
// end a scan, so a few hundred bytes can be a whole picture of the largest size, seconds of
// decoding that no reader can refuse as damaged.
struct JpegLimits {
    int maxScans = 1000;
    long maxDecoderMemory = 2048L * 1024 * 1024;
    std::int64_t maxPixels = kMaxLoadPixels;
};

enum class JpegStatus {
    Ok,
    Failed,    // not a JPEG stream, corrupt or truncated data, or a limit reached
    TooLarge,  // beyond the load limits (kTooLargeMessage) or maxPixels, found from the header
    UnsupportedChannels,  // neither 1, 3 nor 4 channels
};

struct JpegDecoded {
    PicturePacket packet;  // 24-bit, 40-byte header, rows bottom-up; empty unless Ok
    JpegStatus status = JpegStatus::Failed;
};

// Decodes a JPEG file held in memory. Grey and YCbCr (or RGB) pictures give their colours;
// four-channel pictures are decoded as CMYK and each colour is the ink's complement scaled by
// the black ink's complement, whether the file stores its inks plainly or inverted (Adobe).
JpegDecoded DecodeJpeg(const std::uint8_t* data, std::size_t size, const JpegLimits& limits = {});

// Encodes a picture whose rows lie bottom-up at `stride` bytes (blue, green, red) as a baseline
// JPEG: 3 components, YCbCr, chroma subsampled 2 x 2, quality 75. Appends to `out`.
bool EncodeJpeg(const std::uint8_t* rows, std::size_t stride, int width, int height,
                std::vector<std::uint8_t>& out);

}  // namespace wendral
