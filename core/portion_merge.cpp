#include "core/portion_merge.h"

#include <algorithm>
#include <array>
#include <climits>
#include <cmath>
#include <cstdint>
#include <cstdlib>

#include "core/limits.h"

namespace wendral {

namespace {

bool Open(const SourceImage* s) { return s != nullptr && s->pixels != nullptr; }

const SourceImage* SourceOfLevel(int level, const SourceImage* source1, const SourceImage* source2) {
    return level > 0 ? source1 : source2;
}

int BlendChannel(int base, int source, double w) {
    int v = source;
    if (w < 8.0) {
        const int t = static_cast<int>((source - base) * w);
        v = base + (t >> 3);
    }
    return std::clamp(v, 0, 255);
}

ZoneOutcome PortionStep(WendralState& state, Zone& zone, const SourceImage* source1, const SourceImage* source2,
                        int direction) {
    state.DestModified = 1;
    const int level = zone.PortionLevel;
    zone.ResetLevels();
    zone.PortionLevel = level;
    if (zone.PortionLevel != 0 && !Open(SourceOfLevel(zone.PortionLevel, source1, source2))) zone.PortionLevel = 0;
    if (zone.PortionLevel == 0) state.SnapshotDestination();

    const double h = std::abs(static_cast<double>(zone.y2) - zone.y1);
    if (h == 0) return ZoneOutcome::AskZoneQuestion;
    const int left = zone.xmin(), right = zone.xmax(), top = zone.ymin(), bottom = zone.ymax();
    // In 64 bits: corners left from an earlier picture may lie anywhere.
    const std::int64_t cx = (std::int64_t{left} + right) >> 1, cy = (std::int64_t{top} + bottom) >> 1;

    // The level saturates rather than wrapping after two thousand million presses.
    if (zone.PortionLevel != (direction > 0 ? INT_MAX : INT_MIN)) zone.PortionLevel += direction;
    if (zone.PortionLevel == 0) {
        state.RevertDestination();
        return ZoneOutcome::Redraw;
    }
    const SourceImage* source = SourceOfLevel(zone.PortionLevel, source1, source2);
    if (!Open(source)) {
        zone.PortionLevel = 0;
        return ZoneOutcome::Nothing;
    }
    const double k = std::abs(static_cast<double>(zone.PortionLevel));
    const double s = (static_cast<double>(zone.y2) - zone.y1) / (static_cast<double>(zone.x2) - zone.x1);

    // A zone is formed inside the picture; one left from an earlier, larger picture is cut to it
    // so that no pixel outside the stores is read or written.
    const int j0 = std::max(left, 0), j1 = std::min(right, state.DestWidth);
    const int i0 = std::max(top, 0), i1 = std::min(bottom, state.DestHeight);
    if (j0 >= j1 || i0 >= i1) return ZoneOutcome::Redraw;

    // The column term of the distance is the same on every row.
    std::array<double, kMaxWidth> columnTerm;
    for (int j = j0; j < j1; ++j) {
        const double x = static_cast<double>(j - cx) * s;
        columnTerm[j] = x * x;
    }
    const std::uint8_t* restore = state.RestoreStore();
    std::uint8_t* dest = state.DestinationStore();
    for (int i = i0; i < i1; ++i) {
        const double rowTerm = static_cast<double>((i - cy) * (i - cy));
        const std::size_t row = state.DestOffset(0, i);
        const std::uint8_t* src = source->At(0, i);
        for (int j = j0; j < j1; ++j) {
            const double r = std::sqrt(columnTerm[j] + rowTerm);
            const double d = h - 2.0 * r;
            if (d < 0) continue;
            const double q = d / h;
            const double w = k * (q * q);
            const std::uint8_t* b = restore + row + 3 * j;
            const std::uint8_t* p = src + 3 * j;
            std::uint8_t* o = dest + row + 3 * j;
            for (int c = 0; c < 3; ++c) o[c] = static_cast<std::uint8_t>(BlendChannel(b[c], p[c], w));
        }
    }
    return ZoneOutcome::Redraw;
}

}  // namespace

ZoneOutcome PortionToDestination1(WendralState& state, Zone& zone, const SourceImage* source1,
                                  const SourceImage* source2) {
    return PortionStep(state, zone, source1, source2, +1);
}

ZoneOutcome PortionToDestination2(WendralState& state, Zone& zone, const SourceImage* source1,
                                  const SourceImage* source2) {
    return PortionStep(state, zone, source1, source2, -1);
}

ZoneOutcome PortionCommand(WendralState& state, Zone& zone, const SourceImage* source1, const SourceImage* source2,
                           int direction, int presses) {
    ZoneOutcome outcome = ZoneOutcome::Nothing;
    for (int n = 0; n < presses; ++n) {
        outcome = PortionStep(state, zone, source1, source2, direction < 0 ? -1 : +1);
        if (outcome == ZoneOutcome::AskZoneQuestion) break;
    }
    return outcome;
}

}  // namespace wendral
