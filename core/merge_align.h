#pragma once
#include <cstddef>
#include <cstdint>

#include "core/source_image.h"

namespace wendral {

// The merge-align window's overlay: both sources as their windows show them, top-left corners
// together, each at half strength. Its size is the one the whole-picture merge gives the
// destination (the common shown size, the width rounded as the destination's), so that what
// the user lines up here is what the merge combines.
struct OverlaySize {
    int width = 0;
    int height = 0;
};
OverlaySize MergeAlignOverlaySize(const SourceImage& one, const SourceImage& two);

// Writes the overlay, top row first, into `out`: row i starts at byte i x `stride`, and each
// channel is (source-1 channel + source-2 channel) >> 1. Like the merge it may read one column
// beyond the narrower shown area, still inside SourcePixels.
void MergeAlignOverlay(const SourceImage& one, const SourceImage& two, std::uint8_t* out,
                       std::size_t stride);

}  // namespace wendral
