// The source windows' commands: making, sizing, scaling, scrolling and closing sources, and
// the transfers between them and the destination.
#include "tools/batch_session.h"

namespace wendral::batch {
namespace {

bool OneSource(const Args& a) { return a.size() == 1 && IsSourceNumber(a[0]); }

// Runs `command` on source N, or fails when that source is not open.
CommandResult OnSource(Session& s, const Args& a, const std::string& what,
                       const std::function<SourceOutcome(int)>& command) {
    const int n = ToInt(a[0]);
    if (!s.Source(n)) return Fail("source " + a[0] + " is not open");
    return s.Run(what, [&] { return command(n); });
}

void Absorb(SourceOutcome& into, SourceOutcome from) {
    into.failed = into.failed || from.failed;
    for (std::string& m : from.messages) into.messages.push_back(std::move(m));
}

CommandResult New(Session& s, const Args&) {
    SourceView& fresh = s.NewWindow();
    fresh.SetClientSize(s.state.DestWidth, s.state.DestHeight);
    return s.Run("new", [&] { return NewSourceCommand(s.state, s.zone, fresh); });
}

CommandResult Window(Session& s, const Args& a) {
    return OnSource(s, a, "window", [&](int n) { return ResizeSource(s.state, s.zone, n, ToInt(a[1]), ToInt(a[2])); });
}

// As the scaling dialog's OK: the guard is asked when the dialog opens, the scale applied,
// and the view laid out again keeping the picture's position.
CommandResult Scale(Session& s, const Args& a) {
    return OnSource(s, a, "scale", [&](int n) {
        SourceOutcome out = BeginSourceScale(s.state, n);
        if (out.heldBack || out.failed) return out;
        Absorb(out, SetSourceScale(s.state, s.zone, n, ToInt(a[1]), ToInt(a[2])));
        Absorb(out, EndSourceScale(s.state, s.zone, n));
        return out;
    });
}

CommandResult Scroll(Session& s, const Args& a) {
    return OnSource(s, a, "scroll", [&](int n) {
        const ScrollPoint origin = s.state.SourceViews[n]->PictureOrigin;
        return ScrollSource(s.state, s.zone, n, origin.x + ToInt(a[1]), origin.y + ToInt(a[2]));
    });
}

CommandResult DestTo(Session& s, const Args& a) {
    if (a[0] == "1") return s.Run("dest-to 1", [&] { return DestinationToSource1(s.state, s.zone); });
    SourceView* fresh = nullptr;
    if (s.state.SourceCount == 1) {
        // A second window starts as large as the first.
        fresh = &s.NewWindow();
        const ClientSize c = s.state.SourceViews[1]->Client();
        fresh->SetClientSize(c.cx, c.cy);
    }
    return s.Run("dest-to 2", [&] { return DestinationToSource2(s.state, s.zone, fresh); });
}

}  // namespace

void RegisterSourceCommands(CommandTable& t) {
    const auto none = [](const Args& a) { return a.empty(); };
    const auto sourceAnd = [](long long min, long long max) {
        return [=](const Args& a) {
            return a.size() == 3 && IsSourceNumber(a[0]) && IsInt(a[1], min, max) && IsInt(a[2], min, max);
        };
    };
    t.Add({"new", "new", none, New});
    t.Add({"window", "window N W H", sourceAnd(0, kMaxClientSide), Window});
    t.Add({"scale", "scale N WS HS", sourceAnd(8, 600), Scale});
    t.Add({"scroll", "scroll N DX DY", sourceAnd(-2147483647LL, 2147483647LL), Scroll});
    t.Add({"fit", "fit N", OneSource, [](Session& s, const Args& a) {
               return OnSource(s, a, "fit", [&](int n) { return FitSourceToWindow(s.state, s.zone, n); });
           }});
    t.Add({"justify", "justify N", OneSource, [](Session& s, const Args& a) {
               return OnSource(s, a, "justify", [&](int n) { return TopLeftJustify(s.state, s.zone, n); });
           }});
    t.Add({"empty", "empty N", OneSource, [](Session& s, const Args& a) {
               return OnSource(s, a, "empty", [&](int n) { return EmptySourceWindow(s.state, s.zone, n); });
           }});
    t.Add({"reload", "reload N", OneSource, [](Session& s, const Args& a) {
               return OnSource(s, a, "reload", [&](int n) { return ReloadSource(s.state, s.zone, n, s.load); });
           }});
    t.Add({"close", "close N", OneSource, [](Session& s, const Args& a) {
               return OnSource(s, a, "close", [&](int n) { return CloseSource(s.state, s.zone, n); });
           }});
    t.Add({"dest-to", "dest-to N", OneSource, DestTo});
    t.Add({"restore", "restore", none, [](Session& s, const Args&) {
               if (s.state.SourceCount < 1) return Fail("restore: no source is open");
               return s.Run("restore", [&] { return ForcedRebuild(s.state, s.zone); });
           }});
    t.Add({"lock", "lock", none, [](Session& s, const Args&) {
               ToggleLock(s.state);
               return Ok();
           }});
}

}  // namespace wendral::batch
