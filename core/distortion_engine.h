#pragma once
#include <memory>

#include "core/dest_state.h"
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
// source is not open.
struct ShownSources {
    const SourceImage* one = nullptr;
    const SourceImage* two = nullptr;
};

class NudgeTwist;

// The distortion engine of one destination view: the level step that every distortion press
// follows, and the caches that make the presses fast. It lives beside the zone, one per
// destination (the application's view, a batch session, a test), and keeps no state anywhere
// else.
class DistortionEngine {
public:
    DistortionEngine();
    ~DistortionEngine();
    DistortionEngine(const DistortionEngine&) = delete;
    DistortionEngine& operator=(const DistortionEngine&) = delete;

    // One press of the key.
    ZoneOutcome Press(Distortion key, WendralState& state, Zone& zone, ShownSources sources = {});
    // `presses` presses in a row, as holding the key gives: stops at the first press that asks
    // the zone question (the rest would ask it again); otherwise Redraw when any press changed
    // the picture. Nothing when presses <= 0.
    ZoneOutcome Press(Distortion key, WendralState& state, Zone& zone, ShownSources sources,
                      int presses);

private:
    std::unique_ptr<NudgeTwist> nudgeTwist_;
};

}  // namespace wendral
