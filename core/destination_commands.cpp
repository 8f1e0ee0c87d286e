#include "core/destination_commands.h"

#include <cstddef>
#include <cstdint>
#include <cstring>

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
    // Mirroring keeps every pixel in its own row, and rows have the same place in both stores,
    // so each row is mirrored back from its snapshot while that is still in the cache.
    const std::size_t stride = 3 * static_cast<std::size_t>(w);
    const std::uint8_t* src = state.RestoreStore();
    std::uint8_t* dst = state.DestinationStore();
    state.SnapshotDestinationThen([&](int row) {
        // Locals: the byte stores below could alias anything reached through the captures.
        const int width = w;
        const std::uint8_t* s = src + row * stride + stride - 3;
        std::uint8_t* d = dst + row * stride;
        const auto copy3 = [s, d](int x) {
            d[3 * x] = s[-3 * x];
            d[3 * x + 1] = s[-3 * x + 1];
            d[3 * x + 2] = s[-3 * x + 2];
        };
        // Four bytes a pixel between the row's ends: the fourth read is the first byte of the
        // source pixel to the right, the fourth written the first byte of the destination pixel
        // to the right, which the next copy overwrites. The two ends take three, so that
        // nothing outside the row is read or written.
        copy3(0);
        int x = 1;
        for (; x + 1 < width; ++x) {
            std::uint32_t v;
            std::memcpy(&v, s - 3 * x, 4);
            std::memcpy(d + 3 * x, &v, 4);
        }
        if (x < width) copy3(x);
    });
    return ZoneOutcome::Redraw;
}

}  // namespace wendral
