#pragma once
#include "core/dest_state.h"
#include "core/ellipse_renderer.h"
#include "core/nudge_twist.h"
#include "core/source_image.h"
#include "core/zone.h"

namespace wendral {

// The keys that distort the zone press by press, each re-rendering the zone from RestoreStore
// at its accumulated level.
enum class Distortion {
    NudgeDownward,
    NudgeUpward,
    NudgeRight,
    NudgeLeft,
    TwistRight,
    TwistLeft,
    Implode,
    Explode,
    Diverge,
    Converge,
    Portion1,
    Portion2,
};

// What the portion presses blend from: the pixels each source window shows, null when that
// source is not open (a SourceImage without pixels counts as not open). A closed source is
// never read. When the level in force blends a source that has since closed, that blend stays
// in the picture as it is and the press starts a fresh level from it, as after any other
// finished operation; a press that would blend a closed source changes no pixel and leaves
// PortionLevel at 0.
struct ShownSources {
    const SourceImage* one = nullptr;
    const SourceImage* two = nullptr;
};

// The distortion engine of one destination view: the level step that every distortion press
// follows, and the caches that make the presses fast. It lives beside the zone, one per
// destination (the application's view, a batch session, a test), and keeps no state anywhere
// else: every cache is allocated once with the engine (address space only; pages are touched
// as zones need them), and two engines share nothing.
class DistortionEngine {
  public:
    DistortionEngine();
    ~DistortionEngine();

    // One press of the key.
    ZoneOutcome Press(Distortion key, WendralState& state, Zone& zone, ShownSources sources = {});
    // `presses` presses in a row, as holding the key gives: stops at the first press that asks
    // the zone question (the rest would ask it again); otherwise Redraw when any press changed
    // the picture. Nothing when presses <= 0.
    ZoneOutcome Press(Distortion key, WendralState& state, Zone& zone, ShownSources sources,
                      int presses);

  private:
    ZoneOutcome Nudge(WendralState& state, Zone& zone, bool vertical, int step);
    ZoneOutcome Twist(WendralState& state, Zone& zone, double step);
    ZoneOutcome Radial(WendralState& state, Zone& zone, int step);
    ZoneOutcome Pull(WendralState& state, Zone& zone, int step);
    ZoneOutcome Portion(WendralState& state, Zone& zone, ShownSources sources, int step);

    NudgeRenderer nudge_;
    TwistRenderer twist_;
    RadialRenderer radial_;
    PullRenderer pull_;
};

}  // namespace wendral
