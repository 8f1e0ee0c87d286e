#include "core/zone_forming.h"

#include <algorithm>
#include <cstdlib>

#include "core/limits.h"

namespace wendral {
namespace {

// Into 0 .. extent - 1; an empty extent gives -1, the corner of no zone.
int IntoPicture(int v, int extent) {
    return std::min(std::max(v, 0), extent - 1);
}

// Rounds towards minus infinity, unlike integer division, so a cross drawn up or left of the
// anchor is as long as one drawn down or right for an odd extent plus one.
int FloorHalf(int v) {
    return v >= 0 ? v / 2 : -((1 - v) / 2);
}

int CrossArm(int extent) {
    return std::min(std::abs(FloorHalf(extent)), kMaxCrossArm);
}

}  // namespace

bool ZoneForming::Press(const WendralState& state, Zone& zone, Point at) {
    if (state.BrushingEnabled != 0) return false;
    dragging_ = true;
    zone.x1 = zone.x2 = IntoPicture(at.x, state.DestWidth);
    zone.y1 = zone.y2 = IntoPicture(at.y, state.DestHeight);
    return true;
}

std::optional<RubberBand> ZoneForming::Move(const WendralState& state, const Zone& zone, Point at,
                                            int clientWidth, int clientHeight) const {
    if (!dragging_ || !state.PicturePresent()) return std::nullopt;
    // While moving the pointer may reach the client's right and bottom edge itself; the release
    // stops one pixel short of it. Either way the picture's edge comes first when it is nearer.
    const int x = std::min(std::max(std::min(at.x, clientWidth), 0), state.DestWidth - 1);
    const int y = std::min(std::max(std::min(at.y, clientHeight), 0), state.DestHeight - 1);
    return BandBetween(Point{zone.x1, zone.y1}, Point{x, y});
}

RubberBand BandBetween(Point anchor, Point pointer) {
    RubberBand band;
    band.anchor = anchor;
    band.pointer = pointer;
    band.centre = Point{(pointer.x + anchor.x) / 2, (pointer.y + anchor.y) / 2};
    band.horizontalArm = CrossArm(pointer.x - anchor.x);
    band.verticalArm = CrossArm(pointer.y - anchor.y);
    return band;
}

bool ZoneForming::Release(const WendralState& state, Zone& zone, Point at, int clientWidth,
                          int clientHeight) {
    if (!dragging_) return false;
    dragging_ = false;
    if (state.BrushingEnabled != 0) return false;
    const int x = IntoPicture(std::max(std::min(at.x, clientWidth - 1), 0), state.DestWidth);
    const int y = IntoPicture(std::max(std::min(at.y, clientHeight - 1), 0), state.DestHeight);
    // The picture cannot change size during a drag in the view, but a caller driving this
    // object directly can; clamping the anchor again keeps the promise either way.
    const int ax = IntoPicture(zone.x1, state.DestWidth);
    const int ay = IntoPicture(zone.y1, state.DestHeight);
    zone.ResetZone();
    zone.x1 = ax;
    zone.y1 = ay;
    zone.x2 = x;
    zone.y2 = y;
    return true;
}

bool FormZone(const WendralState& state, Zone& zone, Point press, Point release) {
    ZoneForming forming;
    if (!forming.Press(state, zone, press)) return false;
    return forming.Release(state, zone, release, kMaxWidth, kMaxHeight);
}

}  // namespace wendral
