#include "core/rotate.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdint>
#include <cstring>

#include "core/limits.h"
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

// A pixel whose source falls off the picture by more than this, by the rotation computed
// through cos(theta) and sin(theta), falls off it by the per-pixel formula as well: the two
// differ by far less than a millionth of a pixel, even for the largest angles an int gives.
constexpr double kOffPictureSlack = 0.5;

// Which pixels of the row at dy from the centre can take a source pixel at all.
void MarkReachable(int dy, int width, int height, double c, double s, std::uint8_t* reachable) {
    const int cx = width / 2, cy = height / 2;
    for (int x = 0; x < width; ++x) {
        const int dx = x - cx;
        const double u = dx * c + dy * s + cx, v = dy * c - dx * s + cy;
        reachable[x] = u > -1.0 - kOffPictureSlack && u < width + kOffPictureSlack &&
                       v > -1.0 - kOffPictureSlack && v < height + kOffPictureSlack;
    }
}

// One destination row at dy = +m (Above false) or -m (Above true) from the centre, from the
// angles atan2(m, dx) and radii of that distance. atan2 is odd in its first argument, so the
// row above the centre takes the negated angles, which are the very values atan2(-m, dx) gives.
template <bool Above>
void TurnRow(const double* angle, const double* radius, const std::uint8_t* reachable, double theta,
             int width, int height, const std::uint8_t* restore, std::uint8_t* row) {
    const int cx = width / 2, cy = height / 2;
    const std::size_t stride = 3 * static_cast<std::size_t>(width);
    for (int x = 0; x < width; ++x) {
        if (!reachable[x]) continue;
        const double turned = (Above ? -angle[x] : angle[x]) - theta;
        // Both of the same argument, which lets the compiler form them in one call.
        const double c = std::cos(turned), s = std::sin(turned);
        int sx = 0, sy = 0;
        if (TruncInRange(c * radius[x] + cx, width, sx) &&
            TruncInRange(s * radius[x] + cy, height, sy))
            std::memcpy(row + 3 * x,
                        restore + static_cast<std::size_t>(height - 1 - sy) * stride + 3 * sx, 3);
    }
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
    if (theta == 0) {
        for (int y = 0; y < height; ++y)
            std::memcpy(dest + state.DestOffset(0, y), restore + state.DestOffset(0, y),
                        3 * static_cast<std::size_t>(width));
    } else {
        // The two rows at the same distance below and above the centre share one row of
        // angles and radii, which halves the arc tangents; pixels whose source lies clearly
        // off the picture stay black without any.
        const int cx = width / 2, cy = height / 2;
        const double c = std::cos(theta), s = std::sin(theta);
        const int reach = std::max(cy, height - 1 - cy);
        ForEachRowBand(reach + 1, 2 * width, [&](int first, int end) {
            std::array<double, kMaxWidth> angle, radius;
            std::array<std::uint8_t, kMaxWidth> below, above;
            for (int m = first; m < end; ++m) {
                const bool hasBelow = cy + m<height, hasAbove = m> 0 && cy - m >= 0;
                MarkReachable(m, width, height, c, s, below.data());
                MarkReachable(-m, width, height, c, s, above.data());
                for (int x = 0; x < width; ++x) {
                    if (!((hasBelow && below[x]) || (hasAbove && above[x]))) continue;
                    const int dx = x - cx;
                    angle[x] = std::atan2(m, dx);
                    radius[x] = std::sqrt(dx * dx + m * m);
                }
                if (hasBelow)
                    TurnRow<false>(angle.data(), radius.data(), below.data(), theta, width, height,
                                   restore, dest + state.DestOffset(0, cy + m));
                if (hasAbove)
                    TurnRow<true>(angle.data(), radius.data(), above.data(), theta, width, height,
                                  restore, dest + state.DestOffset(0, cy - m));
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
