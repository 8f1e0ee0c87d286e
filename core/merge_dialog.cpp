#include "core/merge_dialog.h"

#include <algorithm>

namespace wendral {

MergeDialogModel::MergeDialogModel(WendralState& state) : state_(state) {
    state_.MergeMode = kMergeAverageBit;
}

bool MergeDialogModel::ChooseMergeType(unsigned typeBit) {
    state_.MergeMode = (state_.MergeMode & ~kMergeTypeMask) | (typeBit & kMergeTypeMask);
    return AfterButton();
}

bool MergeDialogModel::ChooseContrast(unsigned contrastBit) {
    state_.MergeMode = (state_.MergeMode & ~kContrastMask) | (contrastBit & kContrastMask);
    return AfterButton();
}

bool MergeDialogModel::AfterButton() {
    biasSlider_ = kBiasStart;
    state_.MergeBias = kBiasStart;
    if (!HasMergeType()) return false;
    state_.ContrastThreshold = ThresholdFromPercent(thresholdPercent_);
    return true;
}

bool MergeDialogModel::SlidersMoved(int biasPosition, int thresholdPosition) {
    // The sliders' own ranges.
    biasSlider_ = std::clamp(biasPosition, 0, 255);
    thresholdSlider_ = std::clamp(thresholdPosition, 0, 100);
    state_.MergeBias = biasSlider_;
    thresholdPercent_ = 100 - thresholdSlider_;
    if (!HasMergeType()) return false;
    state_.ContrastThreshold = ThresholdFromPercent(thresholdPercent_);
    return true;
}

bool MergeDialogModel::Ok(Messages& out) {
    if (!HasMergeType()) {
        out.push_back(kOkWithoutMergeTypeMessage);
        return false;
    }
    state_.ContrastThreshold = ThresholdFromPercent(thresholdPercent_);
    return true;
}

ZoneOutcome MergeCommand(WendralState& state, Zone& zone, const SourceImage& source1, const SourceImage& source2,
                         const MergeRule& rule, int bias, const ContrastMethod& contrast, int thresholdPercent,
                         Messages& out) {
    MergeDialogModel dialog(state);
    dialog.ChooseContrast(contrast.bit);
    dialog.ChooseMergeType(rule.bit);
    dialog.SlidersMoved(bias, 100 - std::clamp(thresholdPercent, 0, 100));
    if (!dialog.Ok(out)) return ZoneOutcome::Nothing;
    return MergeSources(state, zone, source1, source2, out);
}

}  // namespace wendral
