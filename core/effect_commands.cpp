#include "core/effect_commands.h"

#include <new>

#include "core/command_ids.h"
#include "core/convolution.h"
#include "core/special_effect.h"
#include "core/tonal_effects.h"
#include "core/tone_curve.h"

namespace wendral {

const std::array<EffectCommand, 8> kEffectCommands{{
    {kConvolutionFilters[0].commandId, kConvolutionFilters[0].name,
     [](WendralState& s) { ApplyFilter(s, kConvolutionFilters[0]); }},
    {kConvolutionFilters[1].commandId, kConvolutionFilters[1].name,
     [](WendralState& s) { ApplyFilter(s, kConvolutionFilters[1]); }},
    {kConvolutionFilters[2].commandId, kConvolutionFilters[2].name,
     [](WendralState& s) { ApplyFilter(s, kConvolutionFilters[2]); }},
    {kConvolutionFilters[3].commandId, kConvolutionFilters[3].name,
     [](WendralState& s) { ApplyFilter(s, kConvolutionFilters[3]); }},
    {kConvolutionFilters[4].commandId, kConvolutionFilters[4].name,
     [](WendralState& s) { ApplyFilter(s, kConvolutionFilters[4]); }},
    {kInvertBrightness, "invert-brightness", InvertBrightness},
    {kBlackWhite, "black-white", ConvertToBlackWhite},
    {kPencilDraw, "pencil", PencilDrawCommand},
}};

bool RunEffectCommand(WendralState& state, Zone& zone, const EffectCommand& effect, Messages& out) {
    try {
        effect.run(state);
    } catch (const std::bad_alloc&) {
        out.push_back(kEffectMemoryMessage);
        return false;
    }
    zone.ResetLevels();
    return true;
}

const EffectCommand* FindEffectCommand(std::string_view name) {
    for (const EffectCommand& c : kEffectCommands)
        if (name == c.name) return &c;
    return nullptr;
}

void RefColourCommand(WendralState& state, int red, int green, int blue) {
    RefColourDialogState dialog;
    dialog.Load(state);
    dialog.SlidersChanged(state, red, green, blue);
}

void RefDragCommand(WendralState& state, Zone& zone, ReferenceSampling& sampling,
                    std::span<const Point> points, RefColourDialogState* openDialog) {
    if (points.empty()) return;
    ReferenceSamplingPress(state, sampling, points.front());
    for (const Point& p : points.subspan(1)) ReferenceSamplingMove(state, sampling, p);
    ReferenceSamplingRelease(state, zone, openDialog);
}

void ToneCommand(WendralState& state, Zone& zone, int redBrightness, int greenBrightness,
                 int blueBrightness, int redContrast, int greenContrast, int blueContrast,
                 int gammaBend, bool ok) {
    BrightnessDialogState dialog(state, zone);
    dialog.SetPosition(ToneSlider::RedBrightness, redBrightness);
    dialog.SetPosition(ToneSlider::GreenBrightness, greenBrightness);
    dialog.SetPosition(ToneSlider::BlueBrightness, blueBrightness);
    dialog.SetPosition(ToneSlider::RedContrast, redContrast);
    dialog.SetPosition(ToneSlider::GreenContrast, greenContrast);
    dialog.SetPosition(ToneSlider::BlueContrast, blueContrast);
    dialog.SetPosition(ToneSlider::GammaBend, gammaBend);
    dialog.SliderChanged();
    if (ok) dialog.Ok(zone);
}

void SpecialCommand(WendralState& state, Zone& zone, int xorShift, int sumShift, int orDrop,
                    int streakRun, int jitter) {
    SpecialEffectsDialogState dialog(state);
    dialog.SetPosition(SpecialParam::XorShift, xorShift);
    dialog.SetPosition(SpecialParam::SumShift, sumShift);
    dialog.SetPosition(SpecialParam::OrDrop, orDrop);
    dialog.SetPosition(SpecialParam::StreakRun, streakRun);
    dialog.SetPosition(SpecialParam::Jitter, jitter);
    const SpecialEffectParams& p = dialog.Params();
    if (p.XorShift || p.SumShift || p.OrDrop || p.StreakRun || p.Jitter) dialog.Render();
    dialog.Ok(zone);
}

}  // namespace wendral
