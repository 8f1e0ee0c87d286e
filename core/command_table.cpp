#include "core/command_table.h"

#include <algorithm>
#include <charconv>
#include <cstring>

#include "core/destination_commands.h"
#include "core/effect_commands.h"
#include "core/merge_dialog.h"
#include "core/merge_ops.h"
#include "core/rotate.h"
#include "core/special_effect.h"
#include "core/tone_curve.h"
#include "core/zone_forming.h"

namespace wendral {

bool Available(const WendralState& state, unsigned needs) {
    return !Unavailability(state, needs);
}

std::string ScriptName(const CommandRow& row) {
    std::string name = row.word ? row.word : "";
    if (row.firstArgument) name += std::string(" ") + row.firstArgument;
    return name;
}

Messages ScriptFailure(const std::string& name, const CommandOutcome& outcome) {
    if (!outcome.refusal.empty()) return {name + ": " + outcome.refusal};
    if (outcome.source.failed && outcome.source.messages.empty())
        return {name + " is not available now"};
    Messages messages = outcome.source.messages;
    if (outcome.zone == ZoneOutcome::AskZoneQuestion) messages.push_back(kZoneQuestion);
    return messages;
}

std::optional<std::string> Unavailability(const WendralState& state, unsigned needs) {
    if ((needs & kNeedsSource) && state.SourceCount < 1) return "no source is open";
    if ((needs & kNeedsTwoSources) && state.SourceCount < 2) return "source 2 is not open";
    if ((needs & kNeedsPicture) && !state.PicturePresent()) return "the destination is empty";
    if ((needs & kNeedsNoBrushing) && state.BrushingEnabled != 0)
        return "not available while brushing is on (brushing off ends it)";
    return std::nullopt;
}

bool Checked(const WendralState& state, Check check) {
    switch (check) {
        case Check::None:
            return false;
        case Check::WhileBrushing:
            return state.BrushingEnabled == 1;
        case Check::WhileNotBrushing:
            return state.BrushingEnabled == 0;
    }
    return false;
}

bool IsInt(std::string_view word, long long min, long long max) {
    long long v = 0;
    const char* end = word.data() + word.size();
    const auto [p, ec] = std::from_chars(word.data(), end, v);
    return ec == std::errc() && p == end && !word.empty() && v >= min && v <= max;
}

int ToInt(std::string_view word) {
    int v = 0;
    std::from_chars(word.data(), word.data() + word.size(), v);
    return v;
}

int Presses(Args args) {
    return args.empty() ? 1 : ToInt(args[0]);
}

std::vector<Point> ToPoints(Args args) {
    std::vector<Point> points;
    for (std::size_t i = 0; i + 1 < args.size(); i += 2)
        points.push_back(Point{ToInt(args[i]), ToInt(args[i + 1])});
    return points;
}

namespace {

using Bounds = std::vector<std::pair<long long, long long>>;

bool NoArguments(Args a) {
    return a.empty();
}
bool PressCount(Args a) {
    return a.empty() || (a.size() == 1 && IsInt(a[0], 1, kMaxPresses));
}
bool IsSourceNumber(std::string_view word) {
    return word == "1" || word == "2";
}
bool OneSource(Args a) {
    return a.size() == 1 && IsSourceNumber(a[0]);
}

// Exactly one integer within its bounds per word.
std::function<bool(Args)> Ints(Bounds bounds) {
    return [bounds = std::move(bounds)](Args a) {
        if (a.size() != bounds.size()) return false;
        for (std::size_t i = 0; i < a.size(); ++i)
            if (!IsInt(a[i], bounds[i].first, bounds[i].second)) return false;
        return true;
    };
}

// A source number, then integers within their bounds.
std::function<bool(Args)> SourceAnd(Bounds bounds) {
    return [ints = Ints(std::move(bounds))](Args a) {
        return !a.empty() && IsSourceNumber(a[0]) && ints(a.subspan(1));
    };
}

// At least `minPoints` pairs X Y of picture coordinates.
std::function<bool(Args)> Points(std::size_t minPoints) {
    return [minPoints](Args a) {
        if (a.size() % 2 != 0 || a.size() < 2 * minPoints) return false;
        return std::all_of(a.begin(), a.end(), [](const std::string& w) {
            return IsInt(w, -kMaxCoordinate, kMaxCoordinate);
        });
    };
}

CommandOutcome FromZone(ZoneOutcome zone) {
    CommandOutcome out;
    out.zone = zone;
    return out;
}

CommandOutcome FromSources(SourceOutcome source) {
    CommandOutcome out;
    out.source = std::move(source);
    out.throughSources = true;
    return out;
}

CommandOutcome FromMessages(Messages messages) {
    CommandOutcome out;
    out.source.failed = !messages.empty();
    out.source.messages = std::move(messages);
    return out;
}

ShownSources Shown(const CommandContext& c) {
    return c.sources ? c.sources() : ShownSources{};
}

// A source command on source N, which must be open.
CommandOutcome OnSource(CommandContext& c, Args a,
                        const std::function<SourceOutcome(int)>& command) {
    const int n = ToInt(a[0]);
    if (n < 1 || n > c.state.SourceCount || !c.state.SourceViews[n]) {
        SourceOutcome out;
        out.failed = true;
        out.messages.push_back("source " + std::to_string(n) + " is not open");
        return FromSources(std::move(out));
    }
    return FromSources(command(n));
}

// A distortion key: one press, or K from a script.
CommandRow Press(int id, const char* word, Distortion key, unsigned needs, Changes changes) {
    return CommandRow{
        id,
        word,
        nullptr,
        "[K]",
        needs,
        Carrier::DestinationView,
        Check::None,
        changes,
        PressCount,
        [key](CommandContext& c, Args a) {
            return FromZone(c.engine.Press(key, c.state, c.zone, Shown(c), Presses(a)));
        }};
}

CommandRow Effect(const EffectCommand& effect) {
    return CommandRow{effect.commandId,
                      effect.name,
                      nullptr,
                      "",
                      kNeedsPicture,
                      Carrier::MainFrame,
                      Check::None,
                      Changes::Picture,
                      NoArguments,
                      [&effect](CommandContext& c, Args) {
                          CommandOutcome outcome;
                          if (!RunEffectCommand(c.state, c.zone, effect, outcome.source.messages)) {
                              outcome.source.failed = true;
                              return outcome;
                          }
                          return FromZone(ZoneOutcome::Redraw);
                      }};
}

// The merge's words: RULE, then each option at most once, in any order.
struct MergeWords {
    const MergeRule* rule = nullptr;
    int bias = MergeDialogModel::kBiasStart;
    const ContrastMethod* contrast = nullptr;  // no contrast button pressed
    int thresholdPercent = 50;
};

std::optional<MergeWords> ParseMerge(Args a) {
    if (a.empty() || a.size() % 2 == 0) return std::nullopt;
    MergeWords m;
    m.rule = MergeRuleNamed(a[0].c_str());
    if (!m.rule) return std::nullopt;
    bool bias = false, contrast = false, threshold = false;
    for (std::size_t i = 1; i < a.size(); i += 2) {
        const std::string& key = a[i];
        const std::string& value = a[i + 1];
        if (key == "bias" && !bias && IsInt(value, 0, 255)) {
            m.bias = ToInt(value);
            bias = true;
        } else if (key == "contrast" && !contrast && ContrastMethodNamed(value.c_str())) {
            m.contrast = ContrastMethodNamed(value.c_str());
            contrast = true;
        } else if (key == "threshold" && !threshold && IsInt(value, 0, 100)) {
            m.thresholdPercent = ToInt(value);
            threshold = true;
        } else {
            return std::nullopt;
        }
    }
    return m;
}

// The merge dialog's outcome: both sources shown afresh, the settings, OK.
CommandOutcome Merge(CommandContext& c, Args a) {
    Messages messages;
    if (!PrepareMerge(c.state, messages)) return FromMessages(std::move(messages));
    const MergeWords m = *ParseMerge(a);
    const ShownSources shown = Shown(c);
    const ZoneOutcome zone = MergeCommand(c.state, c.zone, *shown.one, *shown.two, *m.rule, m.bias,
                                          m.contrast, m.thresholdPercent, messages);
    CommandOutcome out = FromMessages(std::move(messages));
    out.zone = zone;
    return out;
}

std::function<bool(Args)> ToneArguments() {
    Bounds bounds;
    for (ToneSlider s :
         {ToneSlider::RedBrightness, ToneSlider::GreenBrightness, ToneSlider::BlueBrightness,
          ToneSlider::RedContrast, ToneSlider::GreenContrast, ToneSlider::BlueContrast,
          ToneSlider::GammaBend}) {
        const ToneSliderInfo& info = kToneSliders[static_cast<std::size_t>(s)];
        bounds.emplace_back(info.minimum, info.maximum);
    }
    return Ints(std::move(bounds));
}

std::function<bool(Args)> SpecialArguments() {
    Bounds bounds;
    for (const SpecialParamInfo& info : kSpecialParams) bounds.emplace_back(0, info.maximum);
    return Ints(std::move(bounds));
}

CommandOutcome StartBrushingCommand(CommandContext& c, Args) {
    const BrushingStart start = StartBrushing(c.state, c.zone, c.client);
    CommandOutcome out = FromZone(start.outcome);
    out.brushOutline = start.outline;
    // The window stays as it is without a word; a script is told.
    if (start.outcome != ZoneOutcome::AskZoneQuestion && c.state.BrushingEnabled == 0)
        out.refusal = "needs a destination picture and a source";
    return out;
}

// A new source window's client size: given by a recorded session ("open PATH W H"), or as the
// caller lays out new windows.
void PlaceNewWindow(CommandContext& c, SourceView& view, int number, WindowPurpose purpose,
                    Args size) {
    if (size.size() == 2) {
        view.SetClientSize(ToInt(size[0]), ToInt(size[1]));
    } else {
        c.windows->SizeSourceWindow(view, number, purpose);
    }
}

bool ClientSize(Args a) {
    return a.empty() ||
           (a.size() == 2 && IsInt(a[0], 0, kMaxClientSide) && IsInt(a[1], 0, kMaxClientSide));
}

CommandOutcome DestinationToSecond(CommandContext& c, Args a) {
    SourceView* fresh = nullptr;
    if (c.state.SourceCount == 1 && c.windows) {
        fresh = &c.windows->MakeSourceWindow(2);
        PlaceNewWindow(c, *fresh, 2, WindowPurpose::FromDestination, a.subspan(1));
    }
    return FromSources(DestinationToSource2(c.state, c.zone, fresh));
}

CommandOutcome OpenCommand(CommandContext& c, Args a) {
    if (!c.windows) return FromSources(SourceOutcome{});
    const int number = c.state.SourceCount + 1;
    SourceView& fresh = c.windows->MakeSourceWindow(number);
    return FromSources(OpenSource(c.state, c.zone, fresh, a[0], c.load, [&](SourceView& v) {
        PlaceNewWindow(c, v, number, WindowPurpose::Opened, a.subspan(1));
    }));
}

CommandOutcome NewCommand(CommandContext& c, Args a) {
    if (!c.windows) return FromSources(SourceOutcome{});
    const int number = c.state.SourceCount + 1;
    SourceView& fresh = c.windows->MakeSourceWindow(number);
    PlaceNewWindow(c, fresh, number, WindowPurpose::Blank, a);
    return FromSources(NewSourceCommand(c.state, c.zone, fresh));
}

// A recorded session that starts with a destination of its own: both stores from picture files
// of the destination's size, and whether it counts as changed.
CommandOutcome DestinationCommand(CommandContext& c, Args a) {
    SourceDocument picture, base;
    Messages messages;
    if (!c.load || !c.load(a[0], 1, picture, messages) || !c.load(a[1], 1, base, messages))
        return FromMessages(messages.empty() ? Messages{"cannot read " + a[0]}
                                             : std::move(messages));
    const int w = picture.PictureWidth, h = picture.PictureHeight;
    if (w != base.PictureWidth || h != base.PictureHeight || w > kMaxWidth || h > kMaxHeight ||
        w % 4 != 0)
        return FromMessages({"destination: the two pictures must be of one destination's size"});
    c.state.DestWidth = w;
    c.state.DestHeight = h;
    const std::size_t bytes = c.state.DestBytes();
    std::memcpy(c.state.DestinationStore(), picture.packet.data() + PicturePacket::kHeaderSize,
                bytes);
    std::memcpy(c.state.RestoreStore(), base.packet.data() + PicturePacket::kHeaderSize, bytes);
    c.state.DestModified = ToInt(a[2]);
    return FromZone(ZoneOutcome::Redraw);
}

// The scaling dialog's OK: the guard is asked when the dialog opens, the scale applied, and the
// view laid out again keeping the picture's position.
CommandOutcome ScaleCommand(CommandContext& c, Args a) {
    return OnSource(c, a, [&](int n) {
        SourceOutcome out = BeginSourceScale(c.state, n);
        if (out.heldBack || out.failed) return out;
        out.Absorb(SetSourceScale(c.state, c.zone, n, ToInt(a[1]), ToInt(a[2])));
        out.Absorb(EndSourceScale(c.state, c.zone, n));
        return out;
    });
}

// The clipboard would hold the picture of the file as the open command reads it.
CommandOutcome PasteCommand(CommandContext& c, Args a) {
    return OnSource(c, a, [&](int n) {
        SourceDocument clip;
        SourceOutcome out;
        if (!c.load || !c.load(a[1], c.state.SourceCount, clip, out.messages)) {
            out.failed = true;
            return out;
        }
        return PasteSource(c.state, c.zone, n, clip.packet);
    });
}

CommandOutcome SaveCommand(CommandContext& c, Args a) {
    Messages messages;
    if (c.save && !c.save(c.state, a[0], a.size() == 2 ? a[1] : std::string(), messages) &&
        messages.empty())
        messages.push_back("cannot write " + a[0]);
    return FromMessages(std::move(messages));
}

CommandOutcome Brush(CommandContext& c, Args a) {
    if (c.state.BrushingEnabled == 0) {
        CommandOutcome out;
        out.refusal = "brushing is off (brushing on starts it)";
        return out;
    }
    const ShownSources shown = Shown(c);
    return FromMessages(BrushAlong(c.state, c.zone, ToInt(a[0]), ToPoints(a.subspan(1)), shown.one,
                                   shown.two, c.client));
}

// Undo or redo K steps; a script is told when there is none to take.
CommandOutcome UndoRedo(CommandContext& c, Args a, bool undo) {
    CommandOutcome out;
    for (int k = Presses(a); k > 0; --k) {
        if (!c.history ||
            !(undo ? c.history->Undo(c.state, c.zone) : c.history->Redo(c.state, c.zone))) {
            out.refusal = undo ? "nothing to undo" : "nothing to redo";
            break;
        }
        out.zone = ZoneOutcome::Redraw;
    }
    return out;
}

using Run = std::function<CommandOutcome(CommandContext&, Args)>;

// A source command whose engine call takes only the source number.
Run SourceCall(SourceOutcome (*call)(WendralState&, Zone&, int)) {
    return [call](CommandContext& c, Args a) {
        return OnSource(c, a, [&](int n) { return call(c.state, c.zone, n); });
    };
}

std::vector<CommandRow> MakeTable() {
    constexpr unsigned zoneKey = kNeedsPicture | kNeedsNoBrushing;
    constexpr long long xy = kMaxCoordinate;
    std::vector<CommandRow> t{
        // The destination view's keys and buttons.
        Press(kNudgeDownward, "nudge-down", Distortion::NudgeDownward, zoneKey, Changes::Zone),
        Press(kNudgeUpward, "nudge-up", Distortion::NudgeUpward, zoneKey, Changes::Zone),
        Press(kNudgeRight, "nudge-right", Distortion::NudgeRight, zoneKey, Changes::Zone),
        Press(kNudgeLeft, "nudge-left", Distortion::NudgeLeft, zoneKey, Changes::Zone),
        Press(kTwistRight, "twist-right", Distortion::TwistRight, zoneKey, Changes::Zone),
        Press(kTwistLeft, "twist-left", Distortion::TwistLeft, zoneKey, Changes::Zone),
        Press(kImplode, "implode", Distortion::Implode, zoneKey, Changes::Zone),
        Press(kExplode, "explode", Distortion::Explode, zoneKey, Changes::Zone),
        Press(kDiverge, "diverge", Distortion::Diverge, zoneKey, Changes::Zone),
        Press(kConverge, "converge", Distortion::Converge, zoneKey, Changes::Zone),
        Press(kPortion1, "portion1", Distortion::Portion1, kNeedsSource | kNeedsNoBrushing,
              Changes::Picture),
        Press(kPortion2, "portion2", Distortion::Portion2, kNeedsTwoSources | kNeedsNoBrushing,
              Changes::Picture),
        {kFlip, "flip", nullptr, "", kNeedsSource | kNeedsNoBrushing, Carrier::DestinationView,
         Check::None, Changes::Picture, NoArguments,
         [](CommandContext& c, Args) { return FromZone(Flip(c.state, c.zone)); }},
        {kRestoreDestination, nullptr, nullptr, "", zoneKey, Carrier::DestinationView, Check::None,
         Changes::Picture, NoArguments,
         [](CommandContext& c, Args) { return FromSources(ForcedRebuild(c.state, c.zone)); }},
        {kLockDestination, "lock", nullptr, "", kNeedsPicture, Carrier::DestinationView,
         Check::None, Changes::Nothing, NoArguments,
         [](CommandContext& c, Args) {
             ToggleLock(c.state);
             return CommandOutcome{};
         }},
        {kEnableBrushing, "brushing", "on", "on|off", kNeedsNothing, Carrier::DestinationView,
         Check::WhileBrushing, Changes::Nothing,
         [](Args a) { return a.size() == 1 && a[0] == "on"; },
         [](CommandContext& c, Args a) { return StartBrushingCommand(c, a); }},
        {kDisableBrushing, "brushing", "off", "on|off", kNeedsNothing, Carrier::DestinationView,
         Check::WhileNotBrushing, Changes::Nothing,
         [](Args a) { return a.size() == 1 && a[0] == "off"; },
         [](CommandContext& c, Args) {
             StopBrushing(c.state, c.zone);
             return CommandOutcome{};
         }},
        {kDestinationToSource1, "dest-to", "1", "1|2 [W H]", zoneKey, Carrier::DestinationView,
         Check::None, Changes::Picture, OneSource,
         [](CommandContext& c, Args) {
             return FromSources(DestinationToSource1(c.state, c.zone));
         }},
        {kDestinationToSource2, "dest-to", "2", "N", kNeedsSource | kNeedsNoBrushing,
         Carrier::DestinationView, Check::None, Changes::Picture,
         [](Args a) { return !a.empty() && a[0] == "2" && ClientSize(a.subspan(1)); },
         DestinationToSecond},
        {kMergeSources, "merge", nullptr,
         "average|greatest|least|sub12|sub21|copy1|copy2|ref12|ref21 [bias K] [contrast "
         "normal|bw|rgb] [threshold P]",
         kNeedsSource | kNeedsNoBrushing, Carrier::DestinationView, Check::None, Changes::Picture,
         [](Args a) { return ParseMerge(a).has_value(); }, Merge},
        {kWhatNow, nullptr, nullptr, "", kNeedsNothing, Carrier::DestinationView, Check::None,
         Changes::Nothing, NoArguments, nullptr},

        // The destination document.
        {kSaveDestinationAs, "save", nullptr, "PATH [FORMAT]", kNeedsPicture,
         Carrier::DestinationDocument, Check::None, Changes::Nothing,
         [](Args a) { return a.size() == 1 || a.size() == 2; }, SaveCommand},
        {kSendTo, nullptr, nullptr, "", kNeedsPicture, Carrier::DestinationDocument, Check::None,
         Changes::Nothing, NoArguments, nullptr},

        // The Edit menu's dialogs: the rows run what their OK gives.
        {kReferenceColour, "refcolour", nullptr, "R G B", kNeedsNothing, Carrier::MainFrame,
         Check::None, Changes::Nothing, Ints({{0, 255}, {0, 255}, {0, 255}}),
         [](CommandContext& c, Args a) {
             RefColourCommand(c.state, ToInt(a[0]), ToInt(a[1]), ToInt(a[2]));
             return CommandOutcome{};
         }},
        {kRotateDestination, "rotate", nullptr, "DEG", kNeedsPicture, Carrier::MainFrame,
         Check::None, Changes::Picture, Ints({{-2147483647LL, 2147483647LL}}),
         [](CommandContext& c, Args a) {
             // The dialog's field takes any integer; one outside 0..359 rotates and gives the
             // field's range message.
             Messages messages;
             RotateCommand(c.state, c.zone, ToInt(a[0]), messages);
             CommandOutcome out = FromMessages(std::move(messages));
             out.zone = ZoneOutcome::Redraw;
             return out;
         }},
        // "cancel": the dialog closed with Escape, its preview kept uncommitted.
        {kBrightnessContrast, "tone", nullptr, "BR BG BB KR KG KB G [cancel]", kNeedsPicture,
         Carrier::MainFrame, Check::None, Changes::Picture,
         [seven = ToneArguments()](Args a) {
             return seven(a) || (a.size() == 8 && a[7] == "cancel" && seven(a.first(7)));
         },
         [](CommandContext& c, Args a) {
             ToneCommand(c.state, c.zone, ToInt(a[0]), ToInt(a[1]), ToInt(a[2]), ToInt(a[3]),
                         ToInt(a[4]), ToInt(a[5]), ToInt(a[6]), a.size() == 7);
             return FromZone(ZoneOutcome::Redraw);
         }},
        // The spin buttons top to bottom are XorShift, SumShift, OrDrop, StreakRun, Jitter.
        // RENDERS: how many previews the dialog rendered, each drawing from the generator, when it
        // is not the one (none for all zeros) that OK straight after the settings gives.
        {kSpecialEffects, "special", nullptr, "XOR SUM OR STREAK JITTER [RENDERS]", kNeedsPicture,
         Carrier::MainFrame, Check::None, Changes::Picture,
         [five = SpecialArguments()](Args a) {
             return five(a) || (a.size() == 6 && IsInt(a[5], 0, 1LL << 40) && five(a.first(5)));
         },
         [](CommandContext& c, Args a) {
             if (a.size() == 5) {
                 SpecialCommand(c.state, c.zone, ToInt(a[0]), ToInt(a[1]), ToInt(a[2]), ToInt(a[3]),
                                ToInt(a[4]));
             } else {
                 ReplaySpecialSession(c.state, c.zone,
                                      SpecialEffectParams{ToInt(a[0]), ToInt(a[1]), ToInt(a[2]),
                                                          ToInt(a[3]), ToInt(a[4])},
                                      std::stoll(a[5]));
             }
             return FromZone(ZoneOutcome::Redraw);
         }},
    };
    t.push_back({kUndo, "undo", nullptr, "[K]", kNeedsNothing, Carrier::MainFrame, Check::None,
                 Changes::Picture, PressCount,
                 [](CommandContext& c, Args a) { return UndoRedo(c, a, true); }});
    t.push_back({kRedo, "redo", nullptr, "[K]", kNeedsNothing, Carrier::MainFrame, Check::None,
                 Changes::Picture, PressCount,
                 [](CommandContext& c, Args a) { return UndoRedo(c, a, false); }});
    // The Edit menu's effects that run at once.
    for (const EffectCommand& effect : kEffectCommands) t.push_back(Effect(effect));

    const std::vector<CommandRow> sources{
        {kOpenSource, "open", nullptr, "PATH [W H]", kNeedsNothing, Carrier::Application,
         Check::None, Changes::Picture,
         [](Args a) { return !a.empty() && ClientSize(a.subspan(1)); }, OpenCommand},
        {kNewSource, "new", nullptr, "[W H]", kNeedsNothing, Carrier::Application, Check::None,
         Changes::Picture, ClientSize, NewCommand},
        {kSetScale, "scale", nullptr, "N WS HS", kNeedsSource, Carrier::SourceView, Check::None,
         Changes::Picture,
         SourceAnd({{kMinScalePercent, kMaxScalePercent}, {kMinScalePercent, kMaxScalePercent}}),
         ScaleCommand},
        {kTopLeftJustify, "justify", nullptr, "N", kNeedsSource, Carrier::SourceView, Check::None,
         Changes::Picture, OneSource, SourceCall(TopLeftJustify)},
        {kScaleToFit, "fit", nullptr, "N", kNeedsNothing, Carrier::SourceView, Check::None,
         Changes::Picture, OneSource, SourceCall(FitSourceToWindow)},
        {kEmptySource, "empty", nullptr, "N", kNeedsNothing, Carrier::SourceView, Check::None,
         Changes::Picture, OneSource, SourceCall(EmptySourceWindow)},
        {kRestoreDestination, "restore", nullptr, "", kNeedsSource, Carrier::SourceView,
         Check::None, Changes::Picture, NoArguments,
         [](CommandContext& c, Args) { return FromSources(ForcedRebuild(c.state, c.zone)); }},
        {kPaste, "paste", nullptr, "N PATH", kNeedsNothing, Carrier::SourceView, Check::None,
         Changes::Picture, [](Args a) { return a.size() == 2 && IsSourceNumber(a[0]); },
         PasteCommand},
        {kCopy, nullptr, nullptr, "", kNeedsNothing, Carrier::SourceView, Check::None,
         Changes::Nothing, NoArguments, nullptr},
        {kReloadSource, "reload", nullptr, "N", kNeedsNothing, Carrier::SourceFrame, Check::None,
         Changes::Picture, OneSource,
         [](CommandContext& c, Args a) {
             return OnSource(c, a, [&](int n) { return ReloadSource(c.state, c.zone, n, c.load); });
         }},
        {kCloseSource, "close", nullptr, "N", kNeedsNothing, Carrier::SourceFrame, Check::None,
         Changes::Picture, OneSource, SourceCall(CloseSource)},
        {kSynchroniseSize, nullptr, nullptr, "", kNeedsTwoSources, Carrier::SourceFrame,
         Check::None, Changes::Picture, NoArguments, nullptr},

        // What the mouse does: dragging a zone, sampling, brushing, scrolling, resizing.
        {0, "zone", nullptr, "X1 Y1 X2 Y2", kNeedsNoBrushing, Carrier::Mouse, Check::None,
         Changes::Nothing, Ints({{-xy, xy}, {-xy, xy}, {-xy, xy}, {-xy, xy}}),
         [](CommandContext& c, Args a) {
             FormZone(c.state, c.zone, Point{ToInt(a[0]), ToInt(a[1])},
                      Point{ToInt(a[2]), ToInt(a[3])});
             return CommandOutcome{};
         }},
        // While brushing the right button paints from source 2 instead.
        {0, "refdrag", nullptr, "X Y [X Y ...]", kNeedsNoBrushing, Carrier::Mouse, Check::None,
         Changes::Nothing, Points(1),
         [](CommandContext& c, Args a) {
             RefDragCommand(c.state, c.zone, c.sampling, ToPoints(a), c.refColourDialog);
             return CommandOutcome{};
         }},
        {0, "brush", nullptr, "N X Y [X Y ...]", kNeedsNothing, Carrier::Mouse, Check::None,
         Changes::Picture,
         [points = Points(1)](Args a) {
             return !a.empty() && IsSourceNumber(a[0]) && points(a.subspan(1));
         },
         Brush},
        {0, "scroll", nullptr, "N DX DY", kNeedsNothing, Carrier::Mouse, Check::None,
         Changes::Picture,
         SourceAnd({{-2147483647LL, 2147483647LL}, {-2147483647LL, 2147483647LL}}),
         [](CommandContext& c, Args a) {
             return OnSource(c, a, [&](int n) {
                 const ScrollPoint origin = c.state.SourceViews[n]->PictureOrigin;
                 return ScrollSource(c.state, c.zone, n, origin.x + ToInt(a[1]),
                                     origin.y + ToInt(a[2]));
             });
         }},
        {0, "window", nullptr, "N W H", kNeedsNothing, Carrier::Mouse, Check::None,
         Changes::Picture, SourceAnd({{0, kMaxClientSide}, {0, kMaxClientSide}}),
         [](CommandContext& c, Args a) {
             return OnSource(c, a, [&](int n) {
                 return ResizeSource(c.state, c.zone, n, ToInt(a[1]), ToInt(a[2]));
             });
         }},
    };
    t.insert(t.end(), sources.begin(), sources.end());

    // What a session recorded from the middle starts with: the state the application was in.
    const std::vector<CommandRow> script{
        {0, "random", nullptr, "STATE", kNeedsNothing, Carrier::Script, Check::None,
         Changes::Nothing, Ints({{0, 4294967295LL}}),
         [](CommandContext& c, Args a) {
             c.state.Random.SetState(static_cast<std::uint32_t>(std::stoull(a[0])));
             return CommandOutcome{};
         }},
        {0, "settings", nullptr, "MODE BIAS THRESHOLD", kNeedsNothing, Carrier::Script, Check::None,
         Changes::Nothing, Ints({{0, 0xFFFF}, {0, 255}, {0, 255}}),
         [](CommandContext& c, Args a) {
             c.state.MergeMode = static_cast<unsigned>(ToInt(a[0]));
             c.state.MergeBias = ToInt(a[1]);
             c.state.ContrastThreshold = ToInt(a[2]);
             return CommandOutcome{};
         }},
        {0, "destination", nullptr, "PICTURE BASE MODIFIED", kNeedsNothing, Carrier::Script,
         Check::None, Changes::Picture, [](Args a) { return a.size() == 3 && IsInt(a[2], 0, 1); },
         DestinationCommand},
        // Where a source window is scrolled to, as its scroll bars say.
        {0, "scroll-to", nullptr, "N X Y", kNeedsNothing, Carrier::Script, Check::None,
         Changes::Picture, SourceAnd({{-(1LL << 40), 1LL << 40}, {-(1LL << 40), 1LL << 40}}),
         [](CommandContext& c, Args a) {
             return OnSource(c, a, [&](int n) {
                 return ScrollSource(c.state, c.zone, n, std::stoll(a[1]), std::stoll(a[2]));
             });
         }},
        // The levels of the zone's presses: portion, colour, horizontal and vertical nudge,
        // implode, twist.
        {0, "levels", nullptr, "P C H V I T", kNeedsNothing, Carrier::Script, Check::None,
         Changes::Nothing, Ints(Bounds(6, {-2147483647LL, 2147483647LL})),
         [](CommandContext& c, Args a) {
             Zone& z = c.zone;
             z.PortionLevel = ToInt(a[0]);
             z.ColourLevel = ToInt(a[1]);
             z.HorizontalNudgeLevel = ToInt(a[2]);
             z.VerticalNudgeLevel = ToInt(a[3]);
             z.ImplodeLevel = ToInt(a[4]);
             z.TwistLevel = ToInt(a[5]);
             return CommandOutcome{};
         }},
    };
    t.insert(t.end(), script.begin(), script.end());
    return t;
}

}  // namespace

std::span<const CommandRow> CommandTable() {
    static const std::vector<CommandRow> table = MakeTable();
    return table;
}

const CommandRow* FindCommandRow(int id, Carrier carrier) {
    for (const CommandRow& row : CommandTable())
        if (row.id == id && row.carrier == carrier) return &row;
    return nullptr;
}

const CommandRow* FindCommandWord(std::string_view word, Args args) {
    const CommandRow* any = nullptr;
    for (const CommandRow& row : CommandTable()) {
        if (!row.word || word != row.word) continue;
        if (!row.firstArgument) return &row;
        if (!args.empty() && args[0] == row.firstArgument) return &row;
        any = any ? any : &row;
    }
    return any;
}

std::vector<std::string> CommandWords() {
    std::vector<std::string> words;
    for (const CommandRow& row : CommandTable())
        if (row.word && std::find(words.begin(), words.end(), row.word) == words.end())
            words.emplace_back(row.word);
    return words;
}

}  // namespace wendral
