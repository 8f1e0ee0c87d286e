#pragma once
// What a source view holds, as the window's content is defined, pixel by pixel.
#include <algorithm>
#include <cstdint>
#include <vector>

#include "core/picture_packet.h"
#include "core/source_view.h"

namespace wendral::reference {

// The rendering as the window's content is defined: white over the client rectangle, then
// every picture pixel of the visible part sampled one by one.
inline void Render(const SourceView& v, std::vector<std::uint8_t>& out) {
    const int fullW = v.Client().cx, fullH = v.Client().cy;
    const int cw = std::min(fullW, 2048), ch = std::min(fullH, 1536);
    for (int y = 0; y < ch; ++y)
        for (int x = 0; x < 3 * cw; ++x) out[6144 * static_cast<std::size_t>(y) + x] = 255;
    const PicturePacket& p = v.Document.packet;
    if (p.empty()) return;
    const long long w = p.Width(), h = p.Height();
    const long long sx = v.ScrollPosition().x, sy = v.ScrollPosition().y;
    long long rowStart = fullH - sy, skipRows = 0, colStart = fullW - sx, skipCols = 0;
    if (rowStart < 0) {
        skipRows = -rowStart;
        rowStart = 0;
    }
    if (colStart < 0) {
        skipCols = -colStart;
        colStart = 0;
    }
    const long long scaledW = v.WidthScale * w / 100, scaledH = v.HeightScale * h / 100;
    const long long cols = std::min<long long>(cw - colStart, scaledW - skipCols);
    const long long rows = std::min<long long>(ch - rowStart, scaledH - skipRows);
    const long long rowBytes = 3 * w + w % 4;
    for (long long r = 0; r < rows; ++r) {
        const long long pictureRow = (r + skipRows) * 100 / v.HeightScale;
        const long long packetRow = h - pictureRow - 1;
        const long long firstCol = skipCols * 100 / v.WidthScale;
        for (long long c = 0; c < cols; ++c) {
            const long long pictureCol = firstCol + c * 100 / v.WidthScale;
            for (int k = 0; k < 3; ++k)
                out[6144 * (rowStart + r) + 3 * (colStart + c) + k] =
                    p.data()[40 + packetRow * rowBytes + 3 * pictureCol + k];
        }
    }
}

}  // namespace wendral::reference
