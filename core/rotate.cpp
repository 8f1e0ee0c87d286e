#include "core/rotate.h"

#include <cmath>
#include <cstdint>
#include <cstring>

#include "core/limits.h"

namespace wendral {

namespace {

// trunc(v) when it falls in 0..limit - 1; tested on the double first so that no value outside
// int's range (nor a NaN) is ever converted.
bool TruncInRange(double v, int limit, int& out) {
    if (!(v > -1.0 && v < limit)) return false;
    out = static_cast<int>(v);
    return true;
}

}  // namespace

ZoneOutcome RotateDestination(WendralState& state, Zone& zone, int rotateAngle) {
    // 2 x angle in double: the same value for every angle the dialog takes, and no overflow
    // for any other.
    const double theta = (2.0 * rotateAngle) * kRotatePi / 360;
    std::memset(state.DestinationStore(), 0, kStoreBytes);
    const int width = state.DestWidth, height = state.DestHeight;
    const std::uint8_t* restore = state.RestoreStore();
    std::uint8_t* dest = state.DestinationStore();
    for (int y = 0; y < height; ++y) {
        std::uint8_t* row = dest + state.DestOffset(0, y);
        if (theta == 0) {
            std::memcpy(row, restore + state.DestOffset(0, y), 3 * static_cast<std::size_t>(width));
            continue;
        }
        const int dy = y - height / 2;
        for (int x = 0; x < width; ++x) {
            const int dx = x - width / 2;
            const double phi = std::atan2(dy, dx);
            const double r = std::sqrt(dx * dx + dy * dy);
            const double turned = phi - theta;
            int sx = 0, sy = 0;
            if (TruncInRange(std::cos(turned) * r + width / 2, width, sx) &&
                TruncInRange(std::sin(turned) * r + height / 2, height, sy))
                std::memcpy(row + 3 * x, restore + state.DestOffset(sx, sy), 3);
        }
    }
    zone.ResetZone();
    state.MarkDestModified();
    return ZoneOutcome::Redraw;
}

std::optional<int> PointToAngle(int p, int q) {
    const std::int64_t dp = std::int64_t{p} - 108, dq = std::int64_t{q} - 161;
    const std::int64_t d2 = dp * dp + dq * dq;
    if (d2 <= 1800 || d2 >= 3000) return std::nullopt;
    int angle = static_cast<int>(std::atan2(static_cast<double>(dq), static_cast<double>(dp)) * 180 / kRotatePi) + 90;
    if (angle < 0) angle += 360;
    return angle;
}

double RotateMarkerAngle(int rotateAngle) { return rotateAngle * kRotatePi / 180 + kRotateMarkerZero; }

MarkerBox RotateMarkerBox(double markerAngle) {
    const int left = 104 - static_cast<int>(48 * std::cos(markerAngle));
    const int top = 157 - static_cast<int>(48 * std::sin(markerAngle));
    return MarkerBox{left, top, left + 12, top + 12};
}

ZoneOutcome RotateCommand(WendralState& state, Zone& zone, int degrees, Messages& out) {
    state.SnapshotDestination();
    if (degrees < 0 || degrees > 359) out.push_back(kRotateRangeMessage);
    return RotateDestination(state, zone, degrees);
}

}  // namespace wendral
