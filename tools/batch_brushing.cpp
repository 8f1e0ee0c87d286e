// Brushing source pixels back into the destination.
#include "core/brushing.h"
#include "tools/batch_session.h"

namespace wendral::batch {
namespace {

CommandResult Brushing(Session& s, const Args& a) {
    if (a[0] == "off") {
        StopBrushing(s.state, s.zone);
        return Ok();
    }
    const BrushingStart start = StartBrushing(s.state, s.zone, PictureArea(s.state));
    if (start.outcome == ZoneOutcome::AskZoneQuestion) return FromZoneOutcome(start.outcome, {});
    // The window would stay as it is without a word; a script is told.
    if (s.state.BrushingEnabled == 0)
        return Fail("brushing on: needs a destination picture and a source");
    return Ok();
}

CommandResult Brush(Session& s, const Args& a) {
    if (s.state.BrushingEnabled == 0) return Fail("brush: brushing is off (brushing on starts it)");
    const Args coordinates(a.begin() + 1, a.end());
    Messages messages =
        BrushAlong(s.state, s.zone, ToInt(a[0]), ToPoints(coordinates), s.Shown(1), s.Shown(2));
    if (!messages.empty()) return Fail(std::move(messages));
    return Ok();
}

}  // namespace

void RegisterBrushingCommands(CommandTable& t) {
    t.Add({"brushing", "brushing on|off",
           [](const Args& a) { return a.size() == 1 && (a[0] == "on" || a[0] == "off"); },
           Brushing});
    const auto points = Points(1);
    t.Add({"brush", "brush N X Y [X Y ...]",
           [points](const Args& a) {
               return !a.empty() && IsSourceNumber(a[0]) && points(Args(a.begin() + 1, a.end()));
           },
           Brush});
}

}  // namespace wendral::batch
