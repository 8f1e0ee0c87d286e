#include "core/rotate.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdint>
#include <cstring>
#include <limits>

#include "core/limits.h"
#include "core/near_trig.h"
#include "core/parallel.h"

namespace wendral {

namespace {

// trunc(v) when it falls in 0..limit - 1; tested on the double first so that no value outside
// int's range (nor a NaN) is ever converted.
bool TruncInRange(double v, int limit, int& out) {
    if (!(v > -1.0 && v < limit)) return false;
    out = static_cast<int>(v);
    return true;
}

// The source of a destination pixel by the formula, from its angle atan2(dy, dx) from the centre
// and its radius: the angle turned back by theta.
bool FormulaSource(double angle, double radius, double theta, int width, int height, int& sx,
                   int& sy) {
    const double turned = angle - theta;
    // Both of the same argument, which lets the compiler form them in one call.
    const double c = std::cos(turned), s = std::sin(turned);
    return TruncInRange(c * radius + width / 2, width, sx) &&
           TruncInRange(s * radius + height / 2, height, sy);
}

// For angles up to this size the formula's source position and dx cos(theta) + dy sin(theta)
// (and dy cos(theta) - dx sin(theta)) differ by less than 1e-10 of a pixel: each is within a
// few units in the last place of cos, sin and atan2 times the radius (below 2^11) of the exact
// rotation. A margin ten thousand times that leaves the formula only the pixels whose source
// lies right on a pixel's edge.
constexpr double kLinearAngleLimit = 16.0;
constexpr double kLinearMargin = 1.0e-6;

}  // namespace

ZoneOutcome RotateDestination(WendralState& state, Zone& zone, int rotateAngle) {
    // 2 x angle in double: the same value for every angle the dialog takes, and no overflow
    // for any other.
    const double theta = (2.0 * rotateAngle) * kRotatePi / 360;
    std::memset(state.DestinationStore(), 0, kStoreBytes);
    const int width = state.DestWidth, height = state.DestHeight;
    const std::uint8_t* restore = state.RestoreStore();
    std::uint8_t* dest = state.DestinationStore();
    if (theta == 0) {
        for (int y = 0; y < height; ++y)
            std::memcpy(dest + state.DestOffset(0, y), restore + state.DestOffset(0, y),
                        3 * static_cast<std::size_t>(width));
    } else {
        // Each pixel's source by the rotation's linear form first; the formula itself only
        // where that cannot tell the pixel. Angles beyond any the dialog gives take the
        // formula everywhere.
        const int cx = width / 2, cy = height / 2;
        const double c = std::cos(theta), s = std::sin(theta);
        const double margin = std::fabs(theta) <= kLinearAngleLimit
                                  ? kLinearMargin
                                  : std::numeric_limits<double>::infinity();
        const std::size_t stride = 3 * static_cast<std::size_t>(width);
        // The rows at the same distance m below and above the centre share the arc tangents
        // the formula needs (atan2 is odd in its first argument, so the row above takes the
        // negated angles, which are the very values atan2(-m, dx) gives). At quarter turns
        // every pixel needs them.
        const int reach = std::max(cy, height - 1 - cy);
        ForEachRowBand(reach + 1, 2 * width, [&](int first, int end) {
            std::array<double, kMaxWidth> angle;
            std::array<int, kMaxWidth> angleOf;  // the m whose angle angle[x] holds, or -1
            angleOf.fill(-1);
            for (int m = first; m < end; ++m) {
                for (int side = 0; side < (m == 0 ? 1 : 2); ++side) {
                    const int dy = side == 0 ? m : -m;
                    const int y = cy + dy;
                    if (y < 0 || y >= height) continue;
                    std::uint8_t* row = dest + state.DestOffset(0, y);
                    const auto copy = [&](int x, std::size_t at) {
                        std::memcpy(row + 3 * x, restore + at, 3);
                    };
                    // The formula, for a pixel the linear form cannot tell.
                    const auto formula = [&](int x) {
                        const int dx = x - cx;
                        if (angleOf[x] != m) {
                            angle[x] = std::atan2(m, dx);
                            angleOf[x] = m;
                        }
                        const double radius = std::sqrt(dx * dx + m * m);
                        int sx = 0, sy = 0;
                        if (FormulaSource(dy < 0 ? -angle[x] : angle[x], radius, theta, width,
                                          height, sx, sy))
                            copy(x, static_cast<std::size_t>(height - 1 - sy) * stride + 3 * sx);
                    };
                    int x = 0;
#if defined(WENDRAL_X86_SIMD)
                    const __m128d cs = _mm_set1_pd(c), ss = _mm_set1_pd(s);
                    const __m128d dys = _mm_set1_pd(dy), cxs = _mm_set1_pd(cx),
                                  cys = _mm_set1_pd(cy);
                    for (; x + 1 < width; x += 2) {
                        const __m128d dx = _mm_set_pd(x + 1 - cx, x - cx);
                        const __m128d u =
                            _mm_add_pd(_mm_add_pd(_mm_mul_pd(dx, cs), _mm_mul_pd(dys, ss)), cxs);
                        const __m128d v =
                            _mm_add_pd(_mm_sub_pd(_mm_mul_pd(dys, cs), _mm_mul_pd(dx, ss)), cys);
                        const NearSources2 near = TruncNear2(u, v, margin, width, height);
                        for (int k = 0; k < 2; ++k) {
                            if ((near.insideMask >> k) & 1)
                                copy(x + k, static_cast<std::size_t>(near.at[k]));
                            else if (!((near.offMask >> k) & 1))
                                formula(x + k);
                        }
                    }
#endif
                    for (; x < width; ++x) {
                        const int dx = x - cx;
                        const int sx = TruncNear(dx * c + dy * s + cx, margin, width);
                        const int sy = TruncNear(dy * c - dx * s + cy, margin, height);
                        if (sx == kTruncOff || sy == kTruncOff) continue;
                        if (sx == kTruncUnsure || sy == kTruncUnsure)
                            formula(x);
                        else
                            copy(x, static_cast<std::size_t>(height - 1 - sy) * stride + 3 * sx);
                    }
                }
            }
        });
    }
    zone.ResetZone();
    state.MarkDestModified();
    return ZoneOutcome::Redraw;
}

std::optional<int> PointToAngle(int p, int q) {
    const std::int64_t dp = std::int64_t{p} - kDialCentreX, dq = std::int64_t{q} - kDialCentreY;
    const std::int64_t d2 = dp * dp + dq * dq;
    if (d2 <= kDialRingInnerSquared || d2 >= kDialRingOuterSquared) return std::nullopt;
    int angle = static_cast<int>(std::atan2(static_cast<double>(dq), static_cast<double>(dp)) *
                                 180 / kRotatePi) +
                90;
    if (angle < 0) angle += 360;
    return angle;
}

double RotateMarkerAngle(int rotateAngle) {
    return rotateAngle * kRotatePi / 180 + kRotateMarkerZero;
}

MarkerBox RotateMarkerBox(double markerAngle) {
    const int left = kMarkerOriginX - static_cast<int>(kMarkerRadius * std::cos(markerAngle));
    const int top = kMarkerOriginY - static_cast<int>(kMarkerRadius * std::sin(markerAngle));
    return MarkerBox{left, top, left + kMarkerSize, top + kMarkerSize};
}

ZoneOutcome RotateCommand(WendralState& state, Zone& zone, int degrees, Messages& out) {
    state.SnapshotDestination();
    if (degrees < 0 || degrees > 359) out.push_back(kRotateRangeMessage);
    return RotateDestination(state, zone, degrees);
}

RotateDialogState::RotateDialogState(WendralState& state, Zone& zone) : state_(state), zone_(zone) {
    state_.SnapshotDestination();
}

void RotateDialogState::Rotate() {
    erased_ = RotateMarkerBox(markerAngle_);
    markerAngle_ = RotateMarkerAngle(angle_);
    markerShown_ = true;
    if (light_) light_(true);
    RotateDestination(state_, zone_, angle_);
    rotated_ = angle_;
    if (light_) light_(false);
}

void RotateDialogState::Cancel() {
    angle_ = 0;
    Rotate();
}

bool RotateDialogState::PointTo(int p, int q) {
    const std::optional<int> angle = PointToAngle(p, q);
    if (!angle) return false;
    angle_ = *angle;
    Rotate();
    return true;
}

bool RotateDialogState::Press(int p, int q) {
    dragging_ = true;
    return PointTo(p, q);
}

bool RotateDialogState::Move(int p, int q) {
    return dragging_ && PointTo(p, q);
}

std::optional<MarkerBox> RotateDialogState::Marker() const {
    if (!markerShown_) return std::nullopt;
    return RotateMarkerBox(markerAngle_);
}

std::vector<std::string> RotateDialogState::RowArguments() const {
    return {std::to_string(rotated_)};
}

}  // namespace wendral
