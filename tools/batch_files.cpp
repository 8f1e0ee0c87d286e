// Commands that read and write picture files, and the two that report the destination.
#include <algorithm>
#include <ostream>

#include "io/picture_formats.h"
#include "io/save.h"
#include "tools/batch_session.h"

namespace wendral::batch {
namespace {

bool OnePath(const Args& a) { return a.size() == 1; }

CommandResult Open(Session& s, const Args& a) {
    SourceView& fresh = s.NewWindow();
    return s.Run("open", [&] {
        // The window opens at the picture's own size, as far as the grid goes.
        return OpenSource(s.state, s.zone, fresh, a[0], s.load, [](SourceView& v) {
            v.SetClientSize(std::min(v.Document.PictureWidth, kMaxWidth), std::min(v.Document.PictureHeight, kMaxHeight));
        });
    });
}

CommandResult Save(Session& s, const Args& a) {
    if (!s.state.PicturePresent()) return Fail("save: the destination is empty");
    const int filter = a.size() == 2 ? FilterIndexOf(a[1]) : 1;
    const SaveTarget target = ResolveSaveTarget(a[0], filter);
    Messages messages;
    if (!SaveDestination(s.state, target.path, target.format, messages)) {
        if (messages.empty()) messages.push_back("save: cannot write " + target.path);
        return Fail(std::move(messages));
    }
    return Ok();
}

CommandResult Paste(Session& s, const Args& a) {
    const int n = ToInt(a[0]);
    if (!s.Source(n)) return Fail("source " + a[0] + " is not open");
    // The clipboard would hold the picture of the file as the open command reads it.
    SourceDocument clip;
    Messages messages;
    if (!s.load(a[1], s.state.SourceCount, clip, messages)) return Fail(std::move(messages));
    return s.Run("paste", [&] { return PasteSource(s.state, s.zone, n, clip.packet); });
}

CommandResult Info(Session& s, const Args&) {
    const WendralState& st = s.state;
    s.out << "dest " << st.DestWidth << 'x' << st.DestHeight << " modified=" << st.DestModified
          << " locked=" << st.DestLocked << " brushing=" << st.BrushingEnabled << " ref="
          << int{st.ReferenceColour.r} << ',' << int{st.ReferenceColour.g} << ',' << int{st.ReferenceColour.b}
          << " zone=" << s.zone.x1 << ',' << s.zone.y1 << ',' << s.zone.x2 << ',' << s.zone.y2
          << " sources=" << st.SourceCount << '\n';
    return Ok();
}

CommandResult Pixel(Session& s, const Args& a) {
    const int x = ToInt(a[0]);
    const int y = ToInt(a[1]);
    if (x >= s.state.DestWidth || y >= s.state.DestHeight)
        return Fail("pixel " + a[0] + " " + a[1] + " lies outside the " + std::to_string(s.state.DestWidth) + "x" +
                    std::to_string(s.state.DestHeight) + " destination");
    const Bgr p = s.state.DestPixel(x, y);
    s.out << int{p.r} << ' ' << int{p.g} << ' ' << int{p.b} << '\n';
    return Ok();
}

}  // namespace

void RegisterFileCommands(CommandTable& t) {
    t.Add({"open", "open PATH", OnePath, Open});
    t.Add(
        {"save", "save PATH [" + FormatExtensions("|") + "]",
         [](const Args& a) { return a.size() == 1 || (a.size() == 2 && FilterIndexOf(a[1]) != 0); },
         Save});
    t.Add({"paste", "paste N PATH", [](const Args& a) { return a.size() == 2 && IsSourceNumber(a[0]); }, Paste});
    t.Add({"info", "info", [](const Args& a) { return a.empty(); }, Info});
    t.Add({"pixel", "pixel X Y", Ints({{0, kMaxWidth - 1}, {0, kMaxHeight - 1}}), Pixel});
}

}  // namespace wendral::batch
