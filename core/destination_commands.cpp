#include "core/destination_commands.h"

#include <cstddef>
#include <cstdint>

#include "core/limits.h"
#include "core/parallel.h"

namespace wendral {

std::string DestinationTitle(int destModified, const Zone& zone, int sourceCount) {
    std::string title = kDestinationTitle;
    if (destModified == 1) title += kModifiedMark;
    if (!zone.HasZone() && sourceCount != 0) title += kNoZoneMark;
    return title;
}

ZoneOutcome Flip(WendralState& state, Zone& zone) {
    state.DestModified = 1;
    zone.ResetZone();
    const int w = state.DestWidth;
    const int h = state.DestHeight;
    // A size outside the grid would make even the snapshot run past the stores.
    if (w <= 0 || h <= 0 || w > kMaxWidth || h > kMaxHeight) return ZoneOutcome::Redraw;
    state.SnapshotDestination();
    // Mirroring keeps every pixel in its own row, and rows have the same place in both stores.
    const std::size_t stride = 3 * static_cast<std::size_t>(w);
    const std::uint8_t* src = state.RestoreStore();
    std::uint8_t* dst = state.DestinationStore();
    ForEachRowBand(h, w, [&](int first, int end) {
        for (int row = first; row < end; ++row) {
            const std::uint8_t* s = src + row * stride + stride - 3;
            std::uint8_t* d = dst + row * stride;
            for (int x = 0; x < w; ++x, d += 3, s -= 3) {
                d[0] = s[0];
                d[1] = s[1];
                d[2] = s[2];
            }
        }
    });
    return ZoneOutcome::Redraw;
}

}  // namespace wendral
