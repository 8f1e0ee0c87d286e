#pragma once
#include <optional>

#include "core/dest_state.h"
#include "core/pixel.h"
#include "core/zone.h"

namespace wendral {

inline constexpr int kMaxCrossArm = 20;

// What the view draws over the picture while the left button is held: a dotted rectangle from
// the anchor corner to the pointer and a cross at the rectangle's centre.
struct RubberBand {
    Point anchor;   // (x1, y1)
    Point pointer;  // the pointer clamped to the client area, then to the picture
    Point centre;
    int horizontalArm = 0;  // half-lengths, drawn from the centre both ways, at most kMaxCrossArm
    int verticalArm = 0;
};

// The band from `anchor` to `pointer`; a formed zone keeps showing the band of its corners.
RubberBand BandBetween(Point anchor, Point pointer);

// Forms the zone from the left button: press, moves while held, release. Positions are picture
// pixels (logical units); the client size is the view's client area in the same units.
//
// The zone never gets a corner outside the picture: the press clamps both corners of its
// one-point zone into the picture (so a press below the picture does not leave a zone with a
// corner under it while the button is held), and the release clamps both corners again. With
// an empty picture every corner is -1, which is no zone. A release that no press of this object
// preceded is ignored: it neither forms nor clears a zone.
class ZoneForming {
  public:
    // Left button down. Ignored (false) while brushing, which owns the left button then.
    bool Press(const WendralState& state, Zone& zone, Point at);
    // Mouse move while the button is held: the rubber band to draw, or none when no press is
    // being dragged or there is no picture. The zone does not change while moving.
    std::optional<RubberBand> Move(const WendralState& state, const Zone& zone, Point at,
                                   int clientWidth, int clientHeight) const;
    // Left button up: sets the zone (every level back to 0) and returns true, after which the
    // view updates the destination title. False when there was no press to end, or brushing was
    // switched on during the drag (the drag is then dropped).
    bool Release(const WendralState& state, Zone& zone, Point at, int clientWidth,
                 int clientHeight);
    bool Dragging() const { return dragging_; }

  private:
    bool dragging_ = false;
};

// The batch form of a drag: left press at `press`, release at `release`, with a client area at
// least as large as any picture. Returns what Release returns.
bool FormZone(const WendralState& state, Zone& zone, Point press, Point release);

}  // namespace wendral
