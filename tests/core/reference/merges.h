#pragma once
// Per-pixel forms of the merges: the whole-picture merge as one CMergeOp call and one contrast
// step per pixel, and a portion press's blend as its formula.
#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstring>
#include <memory>
#include <vector>

#include "core/dest_state.h"
#include "core/merge_ops.h"
#include "core/source_image.h"
#include "core/zone.h"

namespace wendral::reference {

// One virtual Combine and one contrast step per pixel: the form the fast merge must match.
inline void Merge(const WendralState& state, const SourceImage& s1, const SourceImage& s2,
                  std::vector<std::uint8_t>& dest, int width, int height) {
    const MergeRule* rule = SelectedMergeRule(state.MergeMode);
    std::unique_ptr<CMergeOp> op = rule->make(state);
    for (int i = 0; i < height; ++i)
        for (int j = 0; j < width; ++j) {
            std::uint8_t o[3];
            op->Combine(PackPixel(s1.At(j, i)), PackPixel(s2.At(j, i)), o[0], o[1], o[2]);
            ApplyContrast(state.MergeMode, state.ContrastThreshold, o[0], o[1], o[2]);
            std::memcpy(&dest[3 * (static_cast<std::size_t>(height - 1 - i) * width + j)], o, 3);
        }
}

// One step's pixels, pixel by pixel from the formula, into `dest` (a copy of the store).
inline void Portion(const WendralState& state, const Zone& zone, const SourceImage& src,
                    std::vector<std::uint8_t>& dest) {
    const double H = std::abs(static_cast<double>(zone.y2 - zone.y1));
    const int left = std::min(zone.x1, zone.x2), right = std::max(zone.x1, zone.x2);
    const int top = std::min(zone.y1, zone.y2), bottom = std::max(zone.y1, zone.y2);
    const int cx = (left + right) >> 1, cy = (top + bottom) >> 1;
    const double k = std::abs(static_cast<double>(zone.PortionLevel));
    const double s =
        static_cast<double>(zone.y2 - zone.y1) / static_cast<double>(zone.x2 - zone.x1);
    for (int i = top; i < bottom; ++i)
        for (int j = left; j < right; ++j) {
            if (i < 0 || i >= state.DestHeight || j < 0 || j >= state.DestWidth)
                continue;  // cut to the picture
            const int di = (i - cy) * (i - cy);
            const double r = std::sqrt(std::pow((j - cx) * s, 2) + di);
            const double d = H - 2.0 * r;
            if (d < 0) continue;
            const double w = k * std::pow(d / H, 2);
            const std::size_t at = state.DestOffset(j, i);
            for (int c = 0; c < 3; ++c) {
                const int base = state.RestoreStore()[at + c];
                const int source = src.At(j, i)[c];
                int v = source;
                if (w < 8.0) v = base + (static_cast<int>((source - base) * w) >> 3);
                dest[at + c] = static_cast<std::uint8_t>(std::clamp(v, 0, 255));
            }
        }
}

}  // namespace wendral::reference
