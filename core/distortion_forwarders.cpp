// Forwarder: removed once callers use DistortionEngine.
// The entry points the application and wendral-batch called before the distortion engine;
// each now presses the engine's keys, with the stopping rule of DistortionEngine::Press.
#include "core/colour_pull.h"
#include "core/distortion_engine.h"
#include "core/nudge_twist.h"
#include "core/portion_merge.h"
#include "core/radial_distort.h"

namespace wendral {
namespace {

// Forwarder: removed once callers use DistortionEngine.
DistortionEngine& ForwarderEngine() {
    static DistortionEngine engine;
    return engine;
}

Distortion KeyOf(ZoneCommand command) {
    switch (command) {
        case ZoneCommand::NudgeDownward:
            return Distortion::NudgeDownward;
        case ZoneCommand::NudgeUpward:
            return Distortion::NudgeUpward;
        case ZoneCommand::NudgeRight:
            return Distortion::NudgeRight;
        case ZoneCommand::NudgeLeft:
            return Distortion::NudgeLeft;
        case ZoneCommand::TwistRight:
            return Distortion::TwistRight;
        case ZoneCommand::TwistLeft:
            return Distortion::TwistLeft;
    }
    return Distortion::NudgeDownward;
}

}  // namespace

NudgeTwist::NudgeTwist() : engine_(std::make_unique<DistortionEngine>()) {}
NudgeTwist::~NudgeTwist() = default;

ZoneOutcome NudgeTwist::NudgeDownward(WendralState& state, Zone& zone) {
    return engine_->Press(Distortion::NudgeDownward, state, zone);
}
ZoneOutcome NudgeTwist::NudgeUpward(WendralState& state, Zone& zone) {
    return engine_->Press(Distortion::NudgeUpward, state, zone);
}
ZoneOutcome NudgeTwist::NudgeRight(WendralState& state, Zone& zone) {
    return engine_->Press(Distortion::NudgeRight, state, zone);
}
ZoneOutcome NudgeTwist::NudgeLeft(WendralState& state, Zone& zone) {
    return engine_->Press(Distortion::NudgeLeft, state, zone);
}
ZoneOutcome NudgeTwist::TwistRight(WendralState& state, Zone& zone) {
    return engine_->Press(Distortion::TwistRight, state, zone);
}
ZoneOutcome NudgeTwist::TwistLeft(WendralState& state, Zone& zone) {
    return engine_->Press(Distortion::TwistLeft, state, zone);
}
ZoneOutcome NudgeTwist::Run(ZoneCommand command, WendralState& state, Zone& zone) {
    return engine_->Press(KeyOf(command), state, zone);
}
ZoneOutcome NudgeTwist::Run(ZoneCommand command, WendralState& state, Zone& zone, int presses) {
    return engine_->Press(KeyOf(command), state, zone, {}, presses);
}

ZoneOutcome Radial(WendralState& state, Zone& zone, int step) {
    return ForwarderEngine().Press(step < 0 ? Distortion::Implode : Distortion::Explode, state,
                                   zone);
}
ZoneOutcome Implode(WendralState& state, Zone& zone) {
    return ForwarderEngine().Press(Distortion::Implode, state, zone);
}
ZoneOutcome Explode(WendralState& state, Zone& zone) {
    return ForwarderEngine().Press(Distortion::Explode, state, zone);
}
ZoneOutcome Implode(WendralState& state, Zone& zone, int presses) {
    return ForwarderEngine().Press(Distortion::Implode, state, zone, {}, presses);
}
ZoneOutcome Explode(WendralState& state, Zone& zone, int presses) {
    return ForwarderEngine().Press(Distortion::Explode, state, zone, {}, presses);
}

ZoneOutcome Pull(WendralState& state, Zone& zone, int step) {
    return ForwarderEngine().Press(step < 0 ? Distortion::Diverge : Distortion::Converge, state,
                                   zone);
}
ZoneOutcome Converge(WendralState& state, Zone& zone) {
    return ForwarderEngine().Press(Distortion::Converge, state, zone);
}
ZoneOutcome Diverge(WendralState& state, Zone& zone) {
    return ForwarderEngine().Press(Distortion::Diverge, state, zone);
}
ZoneOutcome Converge(WendralState& state, Zone& zone, int presses) {
    return ForwarderEngine().Press(Distortion::Converge, state, zone, {}, presses);
}
ZoneOutcome Diverge(WendralState& state, Zone& zone, int presses) {
    return ForwarderEngine().Press(Distortion::Diverge, state, zone, {}, presses);
}

ZoneOutcome PortionToDestination1(WendralState& state, Zone& zone, const SourceImage* source1,
                                  const SourceImage* source2) {
    return ForwarderEngine().Press(Distortion::Portion1, state, zone, {source1, source2});
}
ZoneOutcome PortionToDestination2(WendralState& state, Zone& zone, const SourceImage* source1,
                                  const SourceImage* source2) {
    return ForwarderEngine().Press(Distortion::Portion2, state, zone, {source1, source2});
}
ZoneOutcome PortionCommand(WendralState& state, Zone& zone, const SourceImage* source1,
                           const SourceImage* source2, int direction, int presses) {
    return ForwarderEngine().Press(direction < 0 ? Distortion::Portion2 : Distortion::Portion1,
                                   state, zone, {source1, source2}, presses);
}

}  // namespace wendral
