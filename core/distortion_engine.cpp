#include "core/distortion_engine.h"

#include "core/colour_pull.h"
#include "core/nudge_twist.h"
#include "core/portion_merge.h"
#include "core/radial_distort.h"

namespace wendral {

DistortionEngine::DistortionEngine() : nudgeTwist_(std::make_unique<NudgeTwist>()) {}
DistortionEngine::~DistortionEngine() = default;

ZoneOutcome DistortionEngine::Press(Distortion key, WendralState& state, Zone& zone, ShownSources sources) {
    switch (key) {
        case Distortion::NudgeDownward: return nudgeTwist_->NudgeDownward(state, zone);
        case Distortion::NudgeUpward: return nudgeTwist_->NudgeUpward(state, zone);
        case Distortion::NudgeRight: return nudgeTwist_->NudgeRight(state, zone);
        case Distortion::NudgeLeft: return nudgeTwist_->NudgeLeft(state, zone);
        case Distortion::TwistRight: return nudgeTwist_->TwistRight(state, zone);
        case Distortion::TwistLeft: return nudgeTwist_->TwistLeft(state, zone);
        case Distortion::Implode: return Implode(state, zone);
        case Distortion::Explode: return Explode(state, zone);
        case Distortion::Diverge: return Diverge(state, zone);
        case Distortion::Converge: return Converge(state, zone);
        case Distortion::Portion1: return PortionToDestination1(state, zone, sources.one, sources.two);
        case Distortion::Portion2: return PortionToDestination2(state, zone, sources.one, sources.two);
    }
    return ZoneOutcome::Nothing;
}

ZoneOutcome DistortionEngine::Press(Distortion key, WendralState& state, Zone& zone, ShownSources sources,
                                    int presses) {
    bool redrawn = false;
    for (int i = 0; i < presses; ++i) {
        const ZoneOutcome outcome = Press(key, state, zone, sources);
        if (outcome == ZoneOutcome::AskZoneQuestion) return outcome;
        redrawn = redrawn || outcome == ZoneOutcome::Redraw;
    }
    return redrawn ? ZoneOutcome::Redraw : ZoneOutcome::Nothing;
}

}  // namespace wendral
