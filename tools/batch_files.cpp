// Commands that read and write picture files, and the two that report the destination.
#include <algorithm>
#include <ostream>

#include "io/picture_formats.h"
#include "io/save.h"
#include "tools/batch_session.h"

namespace wendral::batch {
namespace {

CommandResult Info(Session& s, const Args&) {
    const WendralState& st = s.state;
    s.out << "dest " << st.DestWidth << 'x' << st.DestHeight << " modified=" << st.DestModified
          << " locked=" << st.DestLocked << " brushing=" << st.BrushingEnabled
          << " ref=" << int{st.ReferenceColour.r} << ',' << int{st.ReferenceColour.g} << ','
          << int{st.ReferenceColour.b} << " zone=" << s.zone.x1 << ',' << s.zone.y1 << ','
          << s.zone.x2 << ',' << s.zone.y2 << " sources=" << st.SourceCount << '\n';
    return Ok();
}

CommandResult Pixel(Session& s, const Args& a) {
    const int x = ToInt(a[0]);
    const int y = ToInt(a[1]);
    if (x >= s.state.DestWidth || y >= s.state.DestHeight)
        return Fail("pixel " + a[0] + " " + a[1] + " lies outside the " +
                    std::to_string(s.state.DestWidth) + "x" + std::to_string(s.state.DestHeight) +
                    " destination");
    const Bgr p = s.state.DestPixel(x, y);
    s.out << int{p.r} << ' ' << int{p.g} << ' ' << int{p.b} << '\n';
    return Ok();
}

}  // namespace

void RegisterFileCommands(Vocabulary& t) {
    // The table leaves the format words to io's formats.
    const CommandRow& save = *FindCommandRow(kSaveDestinationAs, Carrier::DestinationDocument);
    t.Add(
        {"save", "save PATH [" + FormatExtensions("|") + "]",
         [](const Args& a) { return a.size() == 1 || (a.size() == 2 && FilterIndexOf(a[1]) != 0); },
         [&save](Session& s, const Args& a) { return s.Run(save, "save", a); }});
    t.Add({"info", "info", [](const Args& a) { return a.empty(); }, Info});
    // A recorded session says how large the application's destination window was: the brush
    // keeps inside it.
    t.Add({"view", "view W H",
           [](const Args& a) {
               return a.size() == 2 && IsInt(a[0], 0, kMaxClientSide) &&
                      IsInt(a[1], 0, kMaxClientSide);
           },
           [](Session& s, const Args& a) {
               s.view = ClientArea{ToInt(a[0]), ToInt(a[1])};
               return Ok();
           }});
    t.Add({"pixel", "pixel X Y",
           [](const Args& a) {
               return a.size() == 2 && IsInt(a[0], 0, kMaxWidth - 1) &&
                      IsInt(a[1], 0, kMaxHeight - 1);
           },
           Pixel});
}

}  // namespace wendral::batch
