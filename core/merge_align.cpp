#include "core/merge_align.h"

#include <algorithm>

#include "core/dest_state.h"
#include "core/limits.h"

namespace wendral {

OverlaySize MergeAlignOverlaySize(const SourceImage& one, const SourceImage& two) {
    if (!one.pixels || !two.pixels) return {};
    const int width = std::clamp(std::min(one.shownWidth, two.shownWidth), 0, kMaxWidth);
    const int height = std::clamp(std::min(one.shownHeight, two.shownHeight), 0, kMaxHeight);
    return OverlaySize{DestinationWidthFor(width), height};
}

// A mouse move during a drag draws the whole overlay again, so each row is one run of bytes the
// compiler can vectorise: the channels of a pixel need nothing from each other.
void MergeAlignOverlay(const SourceImage& one, const SourceImage& two, std::uint8_t* out,
                       std::size_t stride) {
    const OverlaySize size = MergeAlignOverlaySize(one, two);
    const std::size_t bytes = 3 * static_cast<std::size_t>(size.width);
    for (int i = 0; i < size.height; ++i) {
        const std::uint8_t* a = one.At(0, i);
        const std::uint8_t* b = two.At(0, i);
        std::uint8_t* o = out + stride * static_cast<std::size_t>(i);
        for (std::size_t n = 0; n < bytes; ++n)
            o[n] = static_cast<std::uint8_t>((a[n] + b[n]) >> 1);
    }
}

}  // namespace wendral
