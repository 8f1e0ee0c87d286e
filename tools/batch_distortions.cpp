// The zone and the commands that distort it press by press, and flip.
#include "core/colour_pull.h"
#include "core/destination_commands.h"
#include "core/nudge_twist.h"
#include "core/radial_distort.h"
#include "core/zone_forming.h"
#include "tools/batch_session.h"

namespace wendral::batch {
namespace {

// A distortion key pressed K times: enabled with a picture and brushing off, as in the
// destination window.
Command PressCommand(const char* name, std::function<ZoneOutcome(Session&, int)> press) {
    return Command{name, std::string(name) + " [K]", PressCount,
                   [name, press = std::move(press)](Session& s, const Args& a) {
                       if (auto off = Unavailable(s, name, kNeedsPicture | kNeedsNoBrushing))
                           return *off;
                       return FromZoneOutcome(press(s, Presses(a)), {});
                   }};
}

CommandResult FormZoneCommand(Session& s, const Args& a) {
    if (auto off = Unavailable(s, "zone", kNeedsNoBrushing)) return *off;
    FormZone(s.state, s.zone, Point{ToInt(a[0]), ToInt(a[1])}, Point{ToInt(a[2]), ToInt(a[3])});
    return Ok();
}

}  // namespace

void RegisterDistortionCommands(CommandTable& t) {
    constexpr long long c = kMaxCoordinate;
    t.Add(
        {"zone", "zone X1 Y1 X2 Y2", Ints({{-c, c}, {-c, c}, {-c, c}, {-c, c}}), FormZoneCommand});
    for (const ZoneCommandInfo& info : kZoneCommands)
        t.Add(PressCommand(info.batchName, [command = info.command](Session& s, int k) {
            return s.nudgeTwist.Run(command, s.state, s.zone, k);
        }));
    t.Add(PressCommand("implode", [](Session& s, int k) { return Implode(s.state, s.zone, k); }));
    t.Add(PressCommand("explode", [](Session& s, int k) { return Explode(s.state, s.zone, k); }));
    t.Add(PressCommand("converge", [](Session& s, int k) { return Converge(s.state, s.zone, k); }));
    t.Add(PressCommand("diverge", [](Session& s, int k) { return Diverge(s.state, s.zone, k); }));
    t.Add({"flip", "flip", [](const Args& a) { return a.empty(); },
           [](Session& s, const Args&) {
               if (auto off = Unavailable(s, "flip", kNeedsSource | kNeedsNoBrushing)) return *off;
               return FromZoneOutcome(Flip(s.state, s.zone), {});
           }});
}

}  // namespace wendral::batch
