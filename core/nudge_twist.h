#pragma once
#include <memory>

#include "core/dest_state.h"
#include "core/zone.h"

namespace wendral {

class NudgeLevelCache;
class TwistGeometryCache;

// The nudge's re-rendering of the zone from RestoreStore at a level, exactly as recomputing
// from the base would, but keeping the source positions of its current level (per zone
// position and per distinct bump factor) and stepping them one level per press, with a few
// checkpoints so that the opposite press, which goes one level back, costs little too.
// The cache depends only on the zone's corners, never on pixels, and is allocated once with
// this object (address space only; pages are touched as zones need them).
class NudgeRenderer {
  public:
    NudgeRenderer();
    ~NudgeRenderer();

    // `area` is the zone clamped into the picture (ZoneInPicture), with y1 != y2.
    void Render(WendralState& state, const Zone& area, bool vertical, int level);

  private:
    std::unique_ptr<NudgeLevelCache> cache_;
};

// The twist's re-rendering of the ellipse inscribed in the zone from RestoreStore at a level,
// keeping the zone's geometry (angle, distance and fall-off of every pixel) from press to
// press. Allocated once, as the nudge's.
class TwistRenderer {
  public:
    TwistRenderer();
    ~TwistRenderer();

    // `area` is the zone clamped into the picture (ZoneInPicture), with y1 != y2.
    void Render(WendralState& state, const Zone& area, double level);

  private:
    std::unique_ptr<TwistGeometryCache> cache_;
};

}  // namespace wendral
