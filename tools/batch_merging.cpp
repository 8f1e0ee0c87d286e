// Merging the two sources: over the whole picture, or blended into the zone step by step.
#include <optional>

#include "core/merge_dialog.h"
#include "core/merge_ops.h"
#include "core/portion_merge.h"
#include "tools/batch_session.h"

namespace wendral::batch {
namespace {

struct MergeSettings {
    const MergeRule* rule = nullptr;
    int bias = MergeDialogModel::kBiasStart;
    const ContrastMethod* contrast = ContrastMethodNamed("normal");
    int thresholdPercent = 50;
};

// RULE, then each option at most once, in any order.
std::optional<MergeSettings> ParseMerge(const Args& a) {
    if (a.empty() || a.size() % 2 == 0) return std::nullopt;
    MergeSettings m;
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

// The merge command answered Yes to its overwrite question: with two sources shown afresh, the
// dialog's settings and its OK.
CommandResult Merge(Session& s, const Args& a) {
    if (auto off = Unavailable(s, "merge", kNeedsSource | kNeedsNoBrushing)) return *off;
    if (s.state.SourceCount != 2) return Fail(kMergeNeedsTwoSourcesMessage);
    const MergeSettings m = *ParseMerge(a);
    s.state.SourceViews[1]->RenderSourceView();
    s.state.SourceViews[2]->RenderSourceView();
    Messages messages;
    MergeCommand(s.state, s.zone, *s.Shown(1), *s.Shown(2), *m.rule, m.bias, *m.contrast,
                 m.thresholdPercent, messages);
    if (!messages.empty()) return Fail(std::move(messages));
    return Ok();
}

Command Portion(int direction) {
    const std::string name = direction > 0 ? "portion1" : "portion2";
    const unsigned needs = (direction > 0 ? kNeedsSource : kNeedsTwoSources) | kNeedsNoBrushing;
    return Command{
        name, name + " [K]", PressCount, [=](Session& s, const Args& a) {
            if (auto off = Unavailable(s, name, needs)) return *off;
            return FromZoneOutcome(
                PortionCommand(s.state, s.zone, s.Shown(1), s.Shown(2), direction, Presses(a)), {});
        }};
}

}  // namespace

void RegisterMergeCommands(CommandTable& t) {
    t.Add({"merge",
           "merge average|greatest|least|sub12|sub21|copy1|copy2|ref12|ref21 [bias K] "
           "[contrast normal|bw|rgb] [threshold P]",
           [](const Args& a) { return ParseMerge(a).has_value(); }, Merge});
    t.Add(Portion(+1));
    t.Add(Portion(-1));
}

}  // namespace wendral::batch
