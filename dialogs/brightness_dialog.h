#pragma once
#include <array>

#include "core/tone_curve.h"
#include "dialogs/snapshot_dialog.h"

class QSlider;

namespace wendral::app {

inline constexpr const char* kBrightnessDialogTitle = "Adjust Brightness & Contrast";

// "Adjust Brightness & Contrast": nine sliders over BrightnessDialogState, which took the
// snapshot. Each slider event is one call of the model, whose preview the destination shows
// at once; the sliders mirror the model's positions (a moved master carries its column).
class CBrightnessDlg : public SnapshotDialog<BrightnessDialogState> {
    Q_OBJECT
  public:
    CBrightnessDlg(WendralState& state, DestinationPreview& view, QWidget* parent = nullptr);

    QSlider* Slider(ToneSlider s) const { return sliders_[static_cast<int>(s)]; }

  private:
    void ShowPositions() override;

    std::array<QSlider*, 9> sliders_{};
};

}  // namespace wendral::app
