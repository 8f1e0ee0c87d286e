#pragma once
// The brush as its formula, pixel by pixel.
#include <cmath>
#include <cstring>

#include "core/dest_state.h"
#include "core/pixel.h"
#include "core/source_image.h"
#include "core/zone.h"
#include "pixels.h"

namespace wendral::reference {

// The brush written per pixel: every pixel of the brush rectangle inside the ellipse and
// inside the picture takes the source pixel at the same position.
inline void Paint(WendralState& s, const Zone& z, Point at, const SourceImage& src) {
    const int bw = z.BrushWidth, bh = z.BrushHeight;
    const double k = static_cast<double>(bh) / bw;
    for (int i = at.y - bh / 2; i <= at.y + bh / 2 - 1; ++i)
        for (int j = at.x - bw / 2; j <= at.x + bw / 2 - 1; ++j) {
            const double r = std::sqrt(((j - at.x) * k) * ((j - at.x) * k) +
                                       static_cast<double>(i - at.y) * (i - at.y));
            if (bh - 2 * r < 0) continue;
            if (!InPicture(s, j, i)) continue;
            std::memcpy(s.DestinationStore() + s.DestOffset(j, i), src.At(j, i), 3);
        }
}

}  // namespace wendral::reference
