#include "core/inscribed_ellipse.h"

#include <algorithm>
#include <cmath>

namespace wendral {

namespace {

// Smallest and largest distance from c over the integers [lo, hi).
void DistanceRange(std::int64_t lo, std::int64_t hi, std::int64_t c, std::int64_t* nearest,
                   std::int64_t* farthest) {
    if (c < lo)
        *nearest = lo - c;
    else if (c >= hi)
        *nearest = c - (hi - 1);
    else
        *nearest = 0;
    *farthest = std::max(c > lo ? c - lo : lo - c, c > hi - 1 ? c - (hi - 1) : (hi - 1) - c);
}

}  // namespace

InscribedEllipse MakeInscribedEllipse(const Zone& zone, int destWidth, int destHeight) {
    InscribedEllipse e;
    e.xmin = zone.xmin();
    e.xmax = zone.xmax();
    e.ymin = zone.ymin();
    e.ymax = zone.ymax();
    // Sums and differences of corners in 64 bits: corners are never trusted to be small. The
    // centre is rounded down, also for a zone reaching left of or above the picture.
    e.xc = (e.xmin + e.xmax) >> 1;
    e.yc = (e.ymin + e.ymax) >> 1;
    const std::int64_t h = std::int64_t{zone.y2} - zone.y1;
    const std::int64_t w = std::int64_t{zone.x2} - zone.x1;
    e.H = std::fabs(static_cast<double>(h));
    e.k = w != 0 ? static_cast<double>(h) / static_cast<double>(w) : 0.0;
    e.x0 = static_cast<int>(std::clamp<std::int64_t>(e.xmin, 0, destWidth));
    e.x1 = static_cast<int>(std::clamp<std::int64_t>(e.xmax, 0, destWidth));
    e.y0 = static_cast<int>(std::clamp<std::int64_t>(e.ymin, 0, destHeight));
    e.y1 = static_cast<int>(std::clamp<std::int64_t>(e.ymax, 0, destHeight));
    return e;
}

double InscribedEllipse::Margin(double dx, double dy) const {
    const double t = dx * k;
    const double r = std::sqrt(t * t + dy * dy);
    return H - 2 * r;
}

// The margin only falls as |dx| grows (every step of it rounds monotonically), so the row's
// inside pixels are the ones within some distance of the centre column: found by bisection.
void InscribedEllipse::RowSpan(int y, int* xa, int* xb) const {
    *xa = *xb = x0;
    if (Empty()) return;
    const double dy = static_cast<double>(y - yc);
    std::int64_t nearest, farthest;
    DistanceRange(x0, x1, xc, &nearest, &farthest);
    if (Margin(static_cast<double>(nearest), dy) < 0) return;
    std::int64_t in = nearest, out = farthest + 1;  // Margin(in) >= 0; out is beyond every column
    if (Margin(static_cast<double>(farthest), dy) >= 0)
        in = farthest;
    else
        out = farthest;
    while (out - in > 1) {
        const std::int64_t mid = in + (out - in) / 2;
        if (Margin(static_cast<double>(mid), dy) < 0)
            out = mid;
        else
            in = mid;
    }
    *xa = static_cast<int>(std::max<std::int64_t>(x0, xc - in));
    *xb = static_cast<int>(std::min<std::int64_t>(x1, xc + in + 1));
    if (*xa > *xb) *xa = *xb;
}

QuadrantCells MakeQuadrantCells(const InscribedEllipse& e) {
    QuadrantCells c;
    if (e.Empty()) return c;
    std::int64_t nx, fx, ny, fy;
    DistanceRange(e.x0, e.x1, e.xc, &nx, &fx);
    DistanceRange(e.y0, e.y1, e.yc, &ny, &fy);
    c.adx0 = nx;
    c.ady0 = ny;
    c.cols = fx - nx + 1;
    c.rows = fy - ny + 1;
    return c;
}

}  // namespace wendral
