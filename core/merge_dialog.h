#pragma once
#include <optional>
#include <string>
#include <vector>

#include "core/dest_state.h"
#include "core/merge.h"
#include "core/merge_ops.h"
#include "core/messages.h"

namespace wendral {

inline constexpr const char* kMergeOverwriteQuestion =
    "Merging now will overwrite the changes to the destination.\nIs this OK ??";
inline constexpr const char* kMergeNeedsTwoSourcesMessage =
    "Two source windows need to be present before they can be merged.";
inline constexpr const char* kOkWithoutMergeTypeMessage =
    "Need to select a merge type:\nPlease press one of the left buttons";

// The merge command before its dialog opens: with two sources, both render afresh so that they
// hold what their windows show now, and true is returned; otherwise the message is added.
bool PrepareMerge(WendralState& state, Messages& out);

// What the merge settings dialog does to the merge settings. The Qt dialog forwards its
// clicks and slider notifications here and runs MergeSources whenever a call returns true.
class MergeDialogModel {
  public:
    static constexpr int kBiasStart = 127;
    static constexpr int kThresholdSliderStart = 50;

    // Opening a merge always restarts at Average with normal contrast; MergeBias is left as
    // it is until the first click or slider move.
    explicit MergeDialogModel(WendralState& state);

    bool ChooseMergeType(unsigned typeBit);
    bool ChooseContrast(unsigned contrastBit);
    // Any notification of either slider; both positions are read, whichever moved.
    bool SlidersMoved(int biasPosition, int thresholdPosition);
    // True when the dialog closes and merges once more; false keeps it open with a message.
    bool Ok(Messages& out);

    int BiasSliderPosition() const { return biasSlider_; }
    int ThresholdSliderPosition() const { return thresholdSlider_; }
    int ThresholdPercent() const { return thresholdPercent_; }

    // The arguments of the script's merge command that make the last merge this dialog asked
    // for, from the state the dialog opened on: "average bias 40 threshold 50", with
    // "contrast C" only when a contrast button was chosen. Nothing while it has asked for no
    // merge: MergeMode then only went back to Average, which no script command does alone.
    std::optional<std::vector<std::string>> OutcomeArguments() const;

  private:
    bool AfterButton();
    // Every change that merges ends here: the threshold from its percentage, and the
    // settings remembered as the dialog's outcome.
    bool Merges();
    bool HasMergeType() const { return (state_.MergeMode & kMergeTypeMask) != 0; }

    struct Settings {
        unsigned mode;
        int bias;
        int thresholdPercent;
    };

    WendralState& state_;
    int biasSlider_ = kBiasStart;
    int thresholdSlider_ = kThresholdSliderStart;
    int thresholdPercent_ = 50;
    std::optional<Settings> lastMerge_;
};

// The script command `merge RULE [bias K] [contrast C] [threshold P]`: the settings as the dialog
// sets them (type and contrast chosen, then both sliders), then one merge. A null `contrast`
// leaves the contrast buttons untouched, as a dialog closed without choosing one does.
ZoneOutcome MergeCommand(WendralState& state, Zone& zone, const SourceImage& source1,
                         const SourceImage& source2, const MergeRule& rule, int bias,
                         const ContrastMethod* contrast, int thresholdPercent, Messages& out);
inline ZoneOutcome MergeCommand(WendralState& state, Zone& zone, const SourceImage& source1,
                                const SourceImage& source2, const MergeRule& rule, int bias,
                                const ContrastMethod& contrast, int thresholdPercent,
                                Messages& out) {
    return MergeCommand(state, zone, source1, source2, rule, bias, &contrast, thresholdPercent,
                        out);
}

}  // namespace wendral
