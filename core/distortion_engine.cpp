#include "core/distortion_engine.h"

#include <algorithm>
#include <climits>

#include "core/portion_merge.h"
#include "core/zone_in_picture.h"

namespace wendral {
namespace {

// A level saturates rather than wrapping after two thousand million presses.
int Stepped(int level, int step) {
    return static_cast<int>(
        std::clamp<long long>(static_cast<long long>(level) + step, INT_MIN, INT_MAX));
}
double Stepped(double level, double step) {
    return level + step;
}

// Where a press asks the zone question: the nudges ask before they take their base picture, so
// a nudge without a zone leaves RestoreStore as it was; the other keys take it first.
enum class Question { BeforeSnapshot, AfterSnapshot };

// The level step of every distortion press. `own` is the key's level; `area` is the zone the
// key draws in, of which the zone question is asked; `render` re-renders it from RestoreStore
// at the new level and says what the caller should do.
template <class Level, class Render>
ZoneOutcome LevelStep(WendralState& state, Zone& zone, Level Zone::*own, Level step,
                      const Zone& area, Question question, Render render) {
    state.DestModified = 1;
    // Every other level to 0 (for a nudge, the other axis's too): pressing this key after
    // another makes the current result the base.
    const Level kept = zone.*own;
    zone.ResetLevels();
    zone.*own = kept;
    if (question == Question::BeforeSnapshot && !area.HasZone())
        return ZoneOutcome::AskZoneQuestion;
    if (zone.*own == 0) state.SnapshotDestination();
    if (!area.HasZone()) return ZoneOutcome::AskZoneQuestion;
    zone.*own = Stepped(zone.*own, step);
    return render(zone.*own);
}

bool Open(const SourceImage* s) {
    return s != nullptr && s->pixels != nullptr;
}

const SourceImage* SourceOfLevel(int level, ShownSources sources) {
    return level > 0 ? sources.one : sources.two;
}

}  // namespace

DistortionEngine::DistortionEngine() = default;
DistortionEngine::~DistortionEngine() = default;

ZoneOutcome DistortionEngine::Press(Distortion key, WendralState& state, Zone& zone,
                                    ShownSources sources) {
    switch (key) {
        case Distortion::NudgeDownward:
            return Nudge(state, zone, true, -1);
        case Distortion::NudgeUpward:
            return Nudge(state, zone, true, +1);
        case Distortion::NudgeRight:
            return Nudge(state, zone, false, -1);
        case Distortion::NudgeLeft:
            return Nudge(state, zone, false, +1);
        case Distortion::TwistRight:
            return Twist(state, zone, +1.0);
        case Distortion::TwistLeft:
            return Twist(state, zone, -1.0);
        case Distortion::Implode:
            return Radial(state, zone, -1);
        case Distortion::Explode:
            return Radial(state, zone, +1);
        case Distortion::Diverge:
            return Pull(state, zone, -1);
        case Distortion::Converge:
            return Pull(state, zone, +1);
        case Distortion::Portion1:
            return Portion(state, zone, sources, +1);
        case Distortion::Portion2:
            return Portion(state, zone, sources, -1);
    }
    return ZoneOutcome::Nothing;
}

ZoneOutcome DistortionEngine::Press(Distortion key, WendralState& state, Zone& zone,
                                    ShownSources sources, int presses) {
    bool redrawn = false;
    for (int i = 0; i < presses; ++i) {
        const ZoneOutcome outcome = Press(key, state, zone, sources);
        if (outcome == ZoneOutcome::AskZoneQuestion) return outcome;
        redrawn = redrawn || outcome == ZoneOutcome::Redraw;
    }
    return redrawn ? ZoneOutcome::Redraw : ZoneOutcome::Nothing;
}

// The nudges and the twist draw in the zone clamped into the picture and ask the zone question
// of it, so a zone left below a smaller picture is no zone to them; the other keys draw the
// stored zone's ellipse cut to the picture and ask of the stored corners.
ZoneOutcome DistortionEngine::Nudge(WendralState& state, Zone& zone, bool vertical, int step) {
    const Zone area = ZoneInPicture(zone, state.DestWidth, state.DestHeight);
    int Zone::*own = vertical ? &Zone::VerticalNudgeLevel : &Zone::HorizontalNudgeLevel;
    return LevelStep(state, zone, own, step, area, Question::BeforeSnapshot, [&](int level) {
        nudge_.Render(state, area, vertical, level);
        return ZoneOutcome::Redraw;
    });
}

ZoneOutcome DistortionEngine::Twist(WendralState& state, Zone& zone, double step) {
    const Zone area = ZoneInPicture(zone, state.DestWidth, state.DestHeight);
    return LevelStep(state, zone, &Zone::TwistLevel, step, area, Question::AfterSnapshot,
                     [&](double level) {
                         twist_.Render(state, area, level);
                         return ZoneOutcome::Redraw;
                     });
}

ZoneOutcome DistortionEngine::Radial(WendralState& state, Zone& zone, int step) {
    return LevelStep(state, zone, &Zone::ImplodeLevel, step, zone, Question::AfterSnapshot,
                     [&](int level) {
                         radial_.Render(state, zone, level);
                         return ZoneOutcome::Redraw;
                     });
}

ZoneOutcome DistortionEngine::Pull(WendralState& state, Zone& zone, int step) {
    return LevelStep(state, zone, &Zone::ColourLevel, step, zone, Question::AfterSnapshot,
                     [&](int level) {
                         pull_.Render(state, zone, level);
                         return ZoneOutcome::Redraw;
                     });
}

// The portion merge follows the same step with its own rules for closed sources (ShownSources).
ZoneOutcome DistortionEngine::Portion(WendralState& state, Zone& zone, ShownSources sources,
                                      int step) {
    const auto blend = [&](int level) {
        // Back at 0 the base picture returns whole, without reading any source.
        if (level == 0) {
            state.RevertDestination();
            return ZoneOutcome::Redraw;
        }
        const SourceImage* source = SourceOfLevel(level, sources);
        if (!Open(source)) {
            zone.PortionLevel = 0;
            return ZoneOutcome::Nothing;
        }
        BlendPortion(state, zone, *source, level);
        return ZoneOutcome::Redraw;
    };
    // A level whose source has closed is finished: its blend becomes part of the next base.
    if (zone.PortionLevel != 0 && !Open(SourceOfLevel(zone.PortionLevel, sources)))
        zone.PortionLevel = 0;
    return LevelStep(state, zone, &Zone::PortionLevel, step, zone, Question::AfterSnapshot, blend);
}

}  // namespace wendral
