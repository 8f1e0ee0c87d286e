#pragma once
// Straightforward per-pixel forms of the zone distortions, written step by step from their
// formulas, for the fast forms to be compared with.
//
// Nudge and Twist render one level from RestoreStore into `dest`, on the zone clamped into the
// picture. Radial and Pull are whole presses, level step included; pixels of their zone outside
// the picture are neither read nor written, and a level of 0 copies the ellipse back unchanged.
#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <cstring>

#include "core/dest_state.h"
#include "core/zone.h"
#include "pixels.h"

namespace wendral::reference {

// Byte offset of pixel (x, y) in a bottom-up store of w x h pixels.
inline std::size_t At(int x, int y, int w, int h) {
    return 3 * (static_cast<std::size_t>(h - 1 - y) * static_cast<std::size_t>(w) +
                static_cast<std::size_t>(x));
}

// The nudge written straight from its formula: every visited pixel's source position is
// recomputed from its own position with |L| steps.
inline void Nudge(const std::uint8_t* restore, std::uint8_t* dest, int W, int H, const Zone& z,
                  bool vertical, int L) {
    const int xmin = z.xmin(), xmax = z.xmax(), ymin = z.ymin(), ymax = z.ymax();
    const int xc = (xmin + xmax) / 2, yc = (ymin + ymax) / 2;
    auto copy = [&](int dx, int dy, int sx, int sy) {
        std::memcpy(dest + At(dx, dy, W, H), restore + At(sx, sy, W, H), 3);
    };
    // |L| steps along the nudged axis, from position `p` between `lo` and `hi` around `c`.
    auto stepped = [&](int p, int lo, int hi, int c, float f) {
        float J = static_cast<float>(p);
        const float fmin = static_cast<float>(lo), fmax = static_cast<float>(hi),
                    fc = static_cast<float>(c);
        for (int n = 0; n < std::abs(L); ++n) {
            float d;
            if (J > fc)
                d = fmax - J;
            else
                d = J - fmin;
            d = d / 32;
            float s = d / f;
            if (L > 0)
                J = J + s;
            else
                J = J - s;
        }
        return static_cast<int>(J);
    };
    if (vertical) {
        for (int x = xmin; x <= xmax - 1; ++x) {
            float w = 8.0f * static_cast<float>(x - xc) / static_cast<float>(xmax - xmin);
            float f = 1 + w * w * w * w;
            auto visit = [&](int y) { copy(x, y, x, stepped(y, ymin, ymax, yc, f)); };
            if (L > 0)
                for (int y = ymin; y <= ymax - 1; ++y) visit(y);
            else
                for (int y = ymax; y >= ymin + 1; --y) visit(y);
        }
    } else {
        for (int y = ymin; y <= ymax - 1; ++y) {
            float w = 8.0f * static_cast<float>(y - yc) / static_cast<float>(ymax - ymin);
            float f = 1 + w * w * w * w;
            auto visit = [&](int x) { copy(x, y, stepped(x, xmin, xmax, xc, f), y); };
            if (L > 0)
                for (int x = xmin; x <= xmax - 1; ++x) visit(x);
            else
                for (int x = xmax; x >= xmin + 1; --x) visit(x);
        }
    }
}

// The twist written straight from its formula, in double precision, except at level 0: there
// the ellipse is copied back unchanged, since the formula's round trip through atan2, cos and sin
// truncates some pixels onto their neighbours even without any turn.
inline void Twist(const std::uint8_t* restore, std::uint8_t* dest, int W, int Hgt, const Zone& z,
                  double level) {
    const int xmin = z.xmin(), xmax = z.xmax(), ymin = z.ymin(), ymax = z.ymax();
    const int xc = (xmin + xmax) / 2, yc = (ymin + ymax) / 2;
    const double H = std::abs(static_cast<double>(z.y2 - z.y1));
    if (z.x2 == z.x1) return;  // no column is visited
    const double k = static_cast<double>(z.y2 - z.y1) / static_cast<double>(z.x2 - z.x1);
    for (int y = ymin; y <= ymax - 1; ++y) {
        const double dy = y - yc;
        for (int x = xmin; x <= xmax - 1; ++x) {
            const double dx = x - xc;
            const double r = std::sqrt((dx * k) * (dx * k) + dy * dy);
            const double m = H - 2 * r;
            if (m < 0) continue;
            if (level == 0.0) {
                std::memcpy(dest + At(x, y, W, Hgt), restore + At(x, y, W, Hgt), 3);
                continue;
            }
            const double q = (m / H) * (m / H);
            const double theta = std::atan2(dy, dx);
            const double rho = std::sqrt(dx * dx + dy * dy);
            const double phi = theta - 3.14159 * level * q / 8;
            const int sx = static_cast<int>(std::cos(phi) * rho + xc);
            const int sy = static_cast<int>(std::sin(phi) * rho + yc);
            if (0 <= sx && sx < W && 0 <= sy && sy < Hgt)
                std::memcpy(dest + At(x, y, W, Hgt), restore + At(sx, sy, W, Hgt), 3);
        }
    }
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
    const double k = static_cast<double>(std::int64_t{z.y2} - z.y1) /
                     static_cast<double>(std::int64_t{z.x2} - z.x1);
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
            if (!TruncatedPosition(std::cos(theta) * rho * g + static_cast<double>(xc), &sx))
                continue;
            if (!TruncatedPosition(std::sin(theta) * rho * g + static_cast<double>(yc), &sy))
                continue;
            if (!(InPicture(s, sx, sy) && xmin <= sx && sx < xmax && ymin <= sy && sy < ymax))
                continue;
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
    const double k = static_cast<double>(std::int64_t{z.y2} - z.y1) /
                     static_cast<double>(std::int64_t{z.x2} - z.x1);
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
                const std::int64_t moved =
                    static_cast<std::int64_t>(static_cast<double>(b - ref[c]) * sh);
                s.DestinationStore()[at + c] =
                    static_cast<std::uint8_t>(std::clamp<std::int64_t>(b - moved, 0, 255));
            }
        }
    }
    return ZoneOutcome::Redraw;
}

}  // namespace wendral::reference
