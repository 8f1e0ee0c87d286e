#include "core/source_view.h"

#include <algorithm>
#include <cstring>

#include "core/size_math.h"

namespace wendral {

SourceView::SourceView()
    : pixels_(ZeroedLargeBuffer(kStoreBytes)), columnOffsets_(new std::size_t[kMaxWidth]) {
    // The rebuild may read one column beyond what the last rendering wrote; white there keeps
    // that column defined and looks like the margin it stands for.
    std::memset(pixels_.get(), 0xFF, kStoreBytes);
}

PacketRows Rows24(const PicturePacket& packet) {
    PacketRows rows;
    if (packet.empty() || packet.BitsPerPixel() != 24) return rows;
    const std::int32_t w = packet.Width();
    const std::int32_t h = packet.Height();
    if (w <= 0 || h <= 0) return rows;
    const std::size_t stride = RowStride24(w);
    const auto image = CheckedMul(stride, static_cast<std::uint64_t>(h));
    if (!image) return rows;
    const auto end = CheckedAdd(packet.PixelBitsOffset(), *image);
    if (!end || *end > packet.size()) return rows;
    rows.bits = packet.data() + packet.PixelBitsOffset();
    rows.stride = stride;
    rows.width = w;
    rows.height = h;
    rows.valid = true;
    return rows;
}

void SourceView::SetClientSize(int cx, int cy) {
    client_.cx = std::clamp(cx, 0, kMaxClientSide);
    client_.cy = std::clamp(cy, 0, kMaxClientSide);
}

std::int64_t SourceView::ScaledWidth() const {
    return std::max<std::int64_t>(0, std::int64_t{Document.PictureWidth} * WidthScale / 100);
}

std::int64_t SourceView::ScaledHeight() const {
    return std::max<std::int64_t>(0, std::int64_t{Document.PictureHeight} * HeightScale / 100);
}

ScrollPoint SourceView::ScrollRange() const {
    return ScrollPoint{std::max<std::int64_t>(0, area_.x - client_.cx),
                       std::max<std::int64_t>(0, area_.y - client_.cy)};
}

void SourceView::ScrollTo(std::int64_t x, std::int64_t y) {
    const ScrollPoint range = ScrollRange();
    scroll_.x = std::clamp<std::int64_t>(x, 0, range.x);
    scroll_.y = std::clamp<std::int64_t>(y, 0, range.y);
}

void SourceView::LayoutSourceView(bool keep) {
    const std::int64_t cw = client_.cx;
    const std::int64_t ch = client_.cy;
    PictureOrigin = ScrollPoint{cw, ch};
    area_ = ScrollPoint{ScaledWidth() + 2 * cw, ScaledHeight() + 2 * ch};
    // A view that was never laid out has no position to keep.
    if (keep && laidOut_) {
        ScrollTo(LastScrollPosition.x + (cw - LastClientSize.cx),
                 LastScrollPosition.y + (ch - LastClientSize.cy));
    } else {
        ScrollTo(cw, ch);
    }
    // The position actually reached, so that the next layout keeps the picture where it is
    // rather than where a clamped scroll could not take it.
    LastScrollPosition = scroll_;
    LastClientSize = client_;
    laidOut_ = true;
}

bool SourceView::SetScales(int widthPercent, int heightPercent) {
    if (widthPercent < 1 || heightPercent < 1) return false;
    WidthScale = widthPercent;
    HeightScale = heightPercent;
    return true;
}

bool SourceView::FitScales() {
    if (Document.PictureWidth <= 0 || Document.PictureHeight <= 0) return false;
    const std::int64_t ws = std::int64_t{client_.cx} * 100 / Document.PictureWidth;
    const std::int64_t hs = std::int64_t{client_.cy} * 100 / Document.PictureHeight;
    if (ws < 1 || hs < 1) return false;
    return SetScales(static_cast<int>(ws), static_cast<int>(hs));
}

// Writes each client pixel once: the margins are filled white, the picture rectangle is
// sampled. Rows that sample the same picture row (scales above 100 %) are copies of the row
// above, and at 100 % horizontally a row is one contiguous run of the packet row.
void SourceView::RenderSourceView() {
    ++renders_;
    const std::int64_t cw = std::min(client_.cx, kMaxWidth);
    const std::int64_t ch = std::min(client_.cy, kMaxHeight);
    std::uint8_t* const px = pixels_.get();
    const PacketRows packet = Rows24(Document.packet);

    std::int64_t rowStart = 0, colStart = 0, rows = 0, cols = 0, skipRows = 0, skipCols = 0;
    if (packet.valid) {
        rowStart = std::int64_t{client_.cy} - scroll_.y;
        if (rowStart < 0) {
            skipRows = -rowStart;
            rowStart = 0;
        }
        colStart = std::int64_t{client_.cx} - scroll_.x;
        if (colStart < 0) {
            skipCols = -colStart;
            colStart = 0;
        }
        const std::int64_t scaledW = std::int64_t{WidthScale} * packet.width / 100;
        const std::int64_t scaledH = std::int64_t{HeightScale} * packet.height / 100;
        cols = std::min(cw - colStart, scaledW - skipCols);
        rows = std::min(ch - rowStart, scaledH - skipRows);
        if (cols <= 0 || rows <= 0) rows = cols = 0;
    }

    for (std::int64_t y = 0; y < ch; ++y) {
        std::uint8_t* line = px + kSourceStride * static_cast<std::size_t>(y);
        if (y >= rowStart && y < rowStart + rows) {
            std::memset(line, 0xFF, static_cast<std::size_t>(3 * colStart));
            const std::int64_t right = colStart + cols;
            std::memset(line + 3 * right, 0xFF, static_cast<std::size_t>(3 * (cw - right)));
        } else {
            std::memset(line, 0xFF, static_cast<std::size_t>(3 * cw));
        }
    }

    if (rows > 0) {
        const std::int64_t firstCol = skipCols * 100 / WidthScale;
        const bool direct = WidthScale == 100;
        if (!direct) {
            for (std::int64_t c = 0; c < cols; ++c)
                columnOffsets_[c] = static_cast<std::size_t>(3 * (firstCol + c * 100 / WidthScale));
        }
        const std::size_t runBytes = static_cast<std::size_t>(3 * cols);
        std::int64_t previousRow = -1;
        for (std::int64_t r = 0; r < rows; ++r) {
            const std::int64_t pictureRow = (r + skipRows) * 100 / HeightScale;
            std::uint8_t* dst = px + kSourceStride * static_cast<std::size_t>(rowStart + r) +
                                static_cast<std::size_t>(3 * colStart);
            if (pictureRow == previousRow) {
                std::memcpy(dst, dst - kSourceStride, runBytes);
                continue;
            }
            previousRow = pictureRow;
            const std::uint8_t* src =
                packet.bits +
                packet.stride * static_cast<std::size_t>(packet.height - pictureRow - 1);
            if (direct) {
                std::memcpy(dst, src + 3 * firstCol, runBytes);
            } else {
                const std::size_t* offsets = columnOffsets_.get();
                for (std::int64_t c = 0; c < cols; ++c) {
                    const std::uint8_t* s = src + offsets[c];
                    dst[0] = s[0];
                    dst[1] = s[1];
                    dst[2] = s[2];
                    dst += 3;
                }
            }
        }
    }

    SourceShownWidth = static_cast<int>(cw);
    SourceShownHeight = static_cast<int>(ch);
}

}  // namespace wendral
