#include "core/merge_dialog.h"

#include <algorithm>

#include "core/source_view.h"

namespace wendral {

bool PrepareMerge(WendralState& state, Messages& out) {
    if (state.SourceCount != 2 || !state.SourceViews[1] || !state.SourceViews[2]) {
        out.push_back(kMergeNeedsTwoSourcesMessage);
        return false;
    }
    state.SourceViews[1]->RenderSourceView();
    state.SourceViews[2]->RenderSourceView();
    return true;
}

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
    return Merges();
}

bool MergeDialogModel::SlidersMoved(int biasPosition, int thresholdPosition) {
    // The sliders' own ranges.
    biasSlider_ = std::clamp(biasPosition, 0, 255);
    thresholdSlider_ = std::clamp(thresholdPosition, 0, 100);
    state_.MergeBias = biasSlider_;
    thresholdPercent_ = 100 - thresholdSlider_;
    return Merges();
}

bool MergeDialogModel::Ok(Messages& out) {
    if (!HasMergeType()) {
        out.push_back(kOkWithoutMergeTypeMessage);
        return false;
    }
    return Merges();
}

bool MergeDialogModel::Merges() {
    if (!HasMergeType()) return false;
    state_.ContrastThreshold = ThresholdFromPercent(thresholdPercent_);
    lastMerge_ = Settings{state_.MergeMode, state_.MergeBias, thresholdPercent_};
    return true;
}

std::optional<std::vector<std::string>> MergeDialogModel::OutcomeArguments() const {
    if (!lastMerge_) return std::nullopt;
    const MergeRule* rule = SelectedMergeRule(lastMerge_->mode);
    if (!rule) return std::nullopt;
    std::vector<std::string> args{rule->batchName, "bias", std::to_string(lastMerge_->bias)};
    for (const ContrastMethod& c : kContrastMethods)
        if (lastMerge_->mode & c.bit) {
            args.insert(args.end(), {"contrast", c.batchName});
            break;
        }
    args.insert(args.end(), {"threshold", std::to_string(lastMerge_->thresholdPercent)});
    return args;
}

ZoneOutcome MergeCommand(WendralState& state, Zone& zone, const SourceImage& source1,
                         const SourceImage& source2, const MergeRule& rule, int bias,
                         const ContrastMethod* contrast, int thresholdPercent, Messages& out) {
    MergeDialogModel dialog(state);
    if (contrast) dialog.ChooseContrast(contrast->bit);
    dialog.ChooseMergeType(rule.bit);
    dialog.SlidersMoved(bias, 100 - std::clamp(thresholdPercent, 0, 100));
    if (!dialog.Ok(out)) return ZoneOutcome::Nothing;
    return MergeSources(state, zone, source1, source2, out);
}

}  // namespace wendral
