#pragma once
// Straightforward per-pixel forms of implode/explode and converge/diverge, written step by step
// from their formulas, for the fast forms to be compared with. Pixels of the zone outside the
// picture are neither read nor written; a level of 0 copies the ellipse back unchanged.
#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstring>
#include <random>

#include "core/dest_state.h"
#include "core/zone.h"

namespace wendral::reference {

inline bool InPicture(const WendralState& s, std::int64_t x, std::int64_t y) {
    return x >= 0 && y >= 0 && x < s.DestWidth && y < s.DestHeight;
}

// Truncation toward zero for positions, refusing what no int can hold.
inline bool TruncatedPosition(double v, std::int64_t* out) {
    if (!std::isfinite(v) || std::fabs(v) > 1e15) return false;
    *out = static_cast<std::int64_t>(v);
    return true;
}

inline void CopyPixel(WendralState& s, std::int64_t x, std::int64_t y, std::int64_t sx, std::int64_t sy) {
    std::memcpy(s.DestinationStore() + s.DestOffset(static_cast<int>(x), static_cast<int>(y)),
                s.RestoreStore() + s.DestOffset(static_cast<int>(sx), static_cast<int>(sy)), 3);
}

inline ZoneOutcome Radial(WendralState& s, Zone& z, int step) {
    s.DestModified = 1;
    z.ColourLevel = 0;
    z.HorizontalNudgeLevel = 0;
    z.VerticalNudgeLevel = 0;
    z.TwistLevel = 0.0;
    z.PortionLevel = 0;
    if (z.ImplodeLevel == 0) s.SnapshotDestination();
    const double H = std::fabs(static_cast<double>(std::int64_t{z.y2} - z.y1));
    if (H == 0) return ZoneOutcome::AskZoneQuestion;
    z.ImplodeLevel = z.ImplodeLevel + step;
    const std::int64_t xmin = z.xmin(), xmax = z.xmax(), ymin = z.ymin(), ymax = z.ymax();
    const std::int64_t xc = (xmin + xmax) >> 1, yc = (ymin + ymax) >> 1;
    if (xmin == xmax) return ZoneOutcome::Redraw;
    const double k = static_cast<double>(std::int64_t{z.y2} - z.y1) / static_cast<double>(std::int64_t{z.x2} - z.x1);
    for (std::int64_t y = ymin; y < ymax; ++y) {
        const double dy = static_cast<double>(y - yc);
        for (std::int64_t x = xmin; x < xmax; ++x) {
            if (!InPicture(s, x, y)) continue;
            const double dx = static_cast<double>(x - xc);
            const double r = std::sqrt((dx * k) * (dx * k) + dy * dy);
            const double m = H - 2 * r;
            if (m < 0) continue;
            if (z.ImplodeLevel == 0) {
                CopyPixel(s, x, y, x, y);
                continue;
            }
            const double u = m / H;
            const double theta = std::atan2(dy, dx);
            const double rho = std::sqrt(dx * dx + dy * dy);
            double g = 1;
            if (z.ImplodeLevel > 0)
                for (int i = 0; i < z.ImplodeLevel; ++i) g = g * 8 / (u + 8);
            else
                for (int i = 0; i < -z.ImplodeLevel; ++i) g = g * (u / 8 + 1);
            std::int64_t sx, sy;
            if (!TruncatedPosition(std::cos(theta) * rho * g + static_cast<double>(xc), &sx)) continue;
            if (!TruncatedPosition(std::sin(theta) * rho * g + static_cast<double>(yc), &sy)) continue;
            if (!(InPicture(s, sx, sy) && xmin <= sx && sx < xmax && ymin <= sy && sy < ymax)) continue;
            CopyPixel(s, x, y, sx, sy);
        }
    }
    return ZoneOutcome::Redraw;
}

inline ZoneOutcome Pull(WendralState& s, Zone& z, int step) {
    s.DestModified = 1;
    z.TwistLevel = 0.0;
    z.ImplodeLevel = 0;
    z.HorizontalNudgeLevel = 0;
    z.VerticalNudgeLevel = 0;
    z.PortionLevel = 0;
    if (z.ColourLevel == 0) s.SnapshotDestination();
    const double H = std::fabs(static_cast<double>(std::int64_t{z.y2} - z.y1));
    if (H == 0) return ZoneOutcome::AskZoneQuestion;
    z.ColourLevel = z.ColourLevel + step;
    const std::int64_t xmin = z.xmin(), xmax = z.xmax(), ymin = z.ymin(), ymax = z.ymax();
    const std::int64_t xc = (xmin + xmax) >> 1, yc = (ymin + ymax) >> 1;
    if (xmin == xmax) return ZoneOutcome::Redraw;
    const double k = static_cast<double>(std::int64_t{z.y2} - z.y1) / static_cast<double>(std::int64_t{z.x2} - z.x1);
    const int ref[3] = {s.ReferenceColour.b, s.ReferenceColour.g, s.ReferenceColour.r};
    for (std::int64_t y = ymin; y < ymax; ++y) {
        const double dy = static_cast<double>(y - yc);
        for (std::int64_t x = xmin; x < xmax; ++x) {
            if (!InPicture(s, x, y)) continue;
            const double dx = static_cast<double>(x - xc);
            const double r = std::sqrt((dx * k) * (dx * k) + dy * dy);
            const double m = H - 2 * r;
            if (m < 0) continue;
            const double q = (m / H) * (m / H);
            const double w = z.ColourLevel * q / 4;
            const double sh = z.ColourLevel >= 0 ? w / (w + 1) : w;
            const std::size_t at = s.DestOffset(static_cast<int>(x), static_cast<int>(y));
            for (int c = 0; c < 3; ++c) {
                const std::int64_t b = s.RestoreStore()[at + c];
                const std::int64_t moved = static_cast<std::int64_t>(static_cast<double>(b - ref[c]) * sh);
                s.DestinationStore()[at + c] = static_cast<std::uint8_t>(std::clamp<std::int64_t>(b - moved, 0, 255));
            }
        }
    }
    return ZoneOutcome::Redraw;
}

// A width x height picture of random bytes; the rest of the store holds `beyond`.
inline void RandomPicture(WendralState& s, int width, int height, std::mt19937& rng, std::uint8_t beyond = 0xA5) {
    s.DestWidth = width;
    s.DestHeight = height;
    std::uint8_t* d = s.DestinationStore();
    std::memset(d, beyond, kStoreBytes);
    std::uniform_int_distribution<int> byte(0, 255);
    for (std::size_t i = 0; i < s.DestBytes(); ++i) d[i] = static_cast<std::uint8_t>(byte(rng));
}

inline bool SameStores(const WendralState& a, const WendralState& b) {
    return std::memcmp(a.DestinationStore(), b.DestinationStore(), kStoreBytes) == 0;
}

}  // namespace wendral::reference
