#pragma once
#include <memory>

#include "core/dest_state.h"
#include "core/zone.h"

namespace wendral {

enum class ZoneCommand { NudgeDownward, NudgeUpward, NudgeRight, NudgeLeft, TwistRight, TwistLeft };

struct ZoneCommandInfo {
    ZoneCommand command;
    int id;                 // the destination command id
    const char* batchName;  // the script word of wendral-batch
};

inline constexpr ZoneCommandInfo kZoneCommands[] = {
    {ZoneCommand::NudgeDownward, 32773, "nudge-down"}, {ZoneCommand::NudgeUpward, 32774, "nudge-up"},
    {ZoneCommand::NudgeRight, 32775, "nudge-right"},   {ZoneCommand::NudgeLeft, 32776, "nudge-left"},
    {ZoneCommand::TwistRight, 32777, "twist-right"},   {ZoneCommand::TwistLeft, 32778, "twist-left"},
};

class NudgeLevelCache;
class TwistGeometryCache;

// The nudge and twist commands of the destination view. Each press re-renders the zone from
// RestoreStore at the accumulated level, exactly as recomputing from the base would, but:
//  - a nudge keeps the source positions of its current level (per zone position and per
//    distinct bump factor) and steps them one level per press, with a few checkpoints so that
//    the opposite press, which goes one level back, costs little too;
//  - a twist keeps the zone's geometry (angle, distance and fall-off of every pixel).
// Both caches depend only on the zone's corners, never on pixels, and are allocated once with
// this object (address space only; pages are touched as zones need them).
//
// The zone is the stored one clamped into the current picture (ZoneInPicture), so a zone left
// over from a larger picture works on its part inside this one and never reaches outside.
class NudgeTwist {
public:
    NudgeTwist();
    ~NudgeTwist();
    NudgeTwist(const NudgeTwist&) = delete;
    NudgeTwist& operator=(const NudgeTwist&) = delete;

    ZoneOutcome NudgeDownward(WendralState& state, Zone& zone);
    ZoneOutcome NudgeUpward(WendralState& state, Zone& zone);
    ZoneOutcome NudgeRight(WendralState& state, Zone& zone);
    ZoneOutcome NudgeLeft(WendralState& state, Zone& zone);
    ZoneOutcome TwistRight(WendralState& state, Zone& zone);
    ZoneOutcome TwistLeft(WendralState& state, Zone& zone);

    ZoneOutcome Run(ZoneCommand command, WendralState& state, Zone& zone);
    // `presses` presses in a row, as holding the key gives; stops at the first that asks the
    // zone question (the rest would ask it again). Nothing when presses <= 0.
    ZoneOutcome Run(ZoneCommand command, WendralState& state, Zone& zone, int presses);

private:
    ZoneOutcome Nudge(WendralState& state, Zone& zone, bool vertical, int step);
    ZoneOutcome Twist(WendralState& state, Zone& zone, double step);

    std::unique_ptr<NudgeLevelCache> nudge_;
    std::unique_ptr<TwistGeometryCache> twist_;
};

}  // namespace wendral
