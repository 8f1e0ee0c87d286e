#pragma once
#include <array>
#include <cstdint>
#include <string>
#include <vector>

#include "core/cpu_features.h"
#include "core/dest_state.h"
#include "core/snapshot_dialog_state.h"
#include "core/zone.h"

namespace wendral {

// Contrast factor of a contrast position k: k squared over 256, with the sign of k. The shift
// is taken after the negation, so k = -1 gives -1 while k = 1 gives 0.
inline int ContrastFactor(int k) {
    return k > 0 ? (k * k) >> 8 : (-(k * k)) >> 8;
}

// One channel value v through the curve of brightness b, contrast factor K and gamma bend G.
// The bent value is deliberately left unclamped; only the result is clamped.
inline std::uint8_t ToneCurve(int v, int b, int K, int G) {
    const int bend = (v * (v - 255)) >> 8;
    const int g = v + G / 4 + ((G * bend) >> 8);
    const int o = ((K * (g + b - 255) + 2032) >> 4) + b - 128;
    return static_cast<std::uint8_t>(o < 0 ? 0 : (o > 255 ? 255 : o));
}

// Slider positions of one preview, channels in byte order (0 blue, 1 green, 2 red).
struct ToneSettings {
    std::array<int, 3> Brightness{128, 128, 128};  // 0 ... 255
    std::array<int, 3> Contrast{64, 64, 64};       // -255 ... 255
    int GammaBend = 0;                             // -255 ... 255
};

// Renders every destination pixel from RestoreStore through the three channel curves. The
// positions are first held to the sliders' ranges, which keeps every product in range.
// Changes no flag. `set` narrows the processor's instructions (the tests run every set).
void RenderToneCurve(WendralState& state, const ToneSettings& settings,
                     InstructionSet set = ProcessorInstructionSet());

enum class ToneSlider {
    MasterBrightness,
    RedBrightness,
    GreenBrightness,
    BlueBrightness,
    MasterContrast,
    RedContrast,
    GreenContrast,
    BlueContrast,
    GammaBend,
};

struct ToneSliderInfo {
    ToneSlider slider;
    int controlId;
    int minimum;
    int maximum;
    int tickSpacing;
    int initial;  // also the Reset position
};

// The nine sliders of the brightness dialog, in the order of ToneSlider.
inline constexpr std::array<ToneSliderInfo, 9> kToneSliders{{
    {ToneSlider::MasterBrightness, 267, 0, 255, 32, 128},
    {ToneSlider::RedBrightness, 243, 0, 255, 32, 128},
    {ToneSlider::GreenBrightness, 244, 0, 255, 32, 128},
    {ToneSlider::BlueBrightness, 245, 0, 255, 32, 128},
    {ToneSlider::MasterContrast, 268, -255, 255, 64, 64},
    {ToneSlider::RedContrast, 263, -255, 255, 64, 64},
    {ToneSlider::GreenContrast, 264, -255, 255, 64, 64},
    {ToneSlider::BlueContrast, 265, -255, 255, 64, 64},
    {ToneSlider::GammaBend, 269, -255, 255, 32, 0},
}};

// What the brightness dialog knows besides its widgets: the slider positions, the master
// positions last seen by the change handler, and the snapshot taken when it was created.
// The dialog only forwards slider events here and mirrors Position() back into its sliders.
class BrightnessDialogState : public SnapshotDialogState {
  public:
    // Takes the snapshot that every preview renders from.
    explicit BrightnessDialogState(WendralState& state);
    // The same, for a dialog opened over the destination view: the snapshot becomes the base
    // of the zone's distortion levels, so they go back to 0 (the corners stay). Otherwise the
    // next press after the dialog would re-render the zone from a base that already holds the
    // distortion, doubling it.
    BrightnessDialogState(WendralState& state, Zone& zone);

    int Position(ToneSlider s) const { return positions_[static_cast<int>(s)]; }

    // A scroll notification: `s` now stands at `position` (held to its range). A master that
    // moved since it was last seen carries its column's three channel sliders with it; then
    // the whole preview is rendered.
    void SliderMoved(ToneSlider s, int position);
    // The two halves of SliderMoved, for a caller that sets several sliders at once.
    void SetPosition(ToneSlider s, int position);
    void SliderChanged();

    // The settings the next preview would use.
    ToneSettings CurrentSettings() const;

    // The arguments of the command table's "tone" row (BR BG BB KR KG KB G) under which the row
    // gives the destination shown now: the channel positions of the last preview, or the
    // initial ones before any preview and after Reset (both show the snapshot). The row ends
    // with OK; a dialog closed with Escape or its close box shows the same pixels uncommitted.
    std::vector<std::string> RowArguments() const;

    // Reset: every slider to its initial position and the snapshot back into the
    // destination. The remembered masters stay, so a moved master propagates again.
    void Reset();

  private:
    void Propagate();

    std::array<int, 9> positions_;
    ToneSettings shown_;  // what the destination shows now
    int rememberedMasterBrightness_ = 128;
    int rememberedMasterContrast_ = 64;
};

}  // namespace wendral
