#pragma once
#include "core/dest_state.h"
#include "core/merge.h"
#include "core/merge_ops.h"
#include "core/messages.h"

namespace wendral {

inline constexpr const char* kMergeNeedsTwoSourcesMessage =
    "Two source windows need to be present before they can be merged.";
inline constexpr const char* kOkWithoutMergeTypeMessage =
    "Need to select a merge type:\nPlease press one of the left buttons";

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

private:
    bool AfterButton();
    bool HasMergeType() const { return (state_.MergeMode & kMergeTypeMask) != 0; }

    WendralState& state_;
    int biasSlider_ = kBiasStart;
    int thresholdSlider_ = kThresholdSliderStart;
    int thresholdPercent_ = 50;
};

// The script command `merge RULE [bias K] [contrast C] [threshold P]`: the settings as the dialog
// sets them (type and contrast chosen, then both sliders), then one merge.
ZoneOutcome MergeCommand(WendralState& state, Zone& zone, const SourceImage& source1, const SourceImage& source2,
                         const MergeRule& rule, int bias, const ContrastMethod& contrast, int thresholdPercent,
                         Messages& out);

}  // namespace wendral
