// Setting the reference colour: its dialog's sliders, or sampling with the right button.
#include "core/effect_commands.h"
#include "core/reference_colour.h"
#include "tools/batch_session.h"

namespace wendral::batch {

void RegisterReferenceColourCommands(CommandTable& t) {
    t.Add({"refcolour", "refcolour R G B", Ints({{0, 255}, {0, 255}, {0, 255}}),
           [](Session& s, const Args& a) {
               RefColourCommand(s.state, ToInt(a[0]), ToInt(a[1]), ToInt(a[2]));
               return Ok();
           }});
    t.Add({"refdrag", "refdrag X Y [X Y ...]", Points(1), [](Session& s, const Args& a) {
               // While brushing the right button paints from source 2 instead.
               if (auto off = Unavailable(s, "refdrag", kNeedsNoBrushing)) return *off;
               const std::vector<Point> points = ToPoints(a);
               RefDragCommand(s.state, s.zone, s.sampling, points);
               return Ok();
           }});
}

}  // namespace wendral::batch
