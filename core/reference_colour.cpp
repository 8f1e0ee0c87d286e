#include "core/reference_colour.h"

#include <algorithm>

namespace wendral {
namespace {

bool InsidePicture(const WendralState& state, Point p) {
    return p.x >= 0 && p.y >= 0 && p.x < state.DestWidth && p.y < state.DestHeight &&
           state.DestWidth <= kMaxWidth && state.DestHeight <= kMaxHeight;
}

constexpr Point kOutOfRange{-1, -1};

// Where the pointer samples: nothing while brushing, out of range off the picture (no sample
// then), else the point itself. True when a sample may be taken there.
bool TrackSample(WendralState& state, Point p) {
    if (state.BrushingEnabled) return false;
    const bool inside = InsidePicture(state, p);
    state.CursorSample = inside ? p : kOutOfRange;
    return inside;
}

}  // namespace

void RefColourDialogState::Load(const WendralState& state) {
    red = state.ReferenceColour.r;
    green = state.ReferenceColour.g;
    blue = state.ReferenceColour.b;
}

void RefColourDialogState::SlidersChanged(WendralState& state, int r, int g, int b) {
    blue = static_cast<std::uint8_t>(std::clamp(b, 0, 255));
    green = static_cast<std::uint8_t>(std::clamp(g, 0, 255));
    red = static_cast<std::uint8_t>(std::clamp(r, 0, 255));
    state.ReferenceColour = Bgr{blue, green, red};
}

void RefColourDialogState::Reset(WendralState& state) {
    red = green = blue = 127;
    ResetReferenceColour(state);
}

std::vector<std::string> RefColourDialogState::OutcomeArguments() const {
    return {std::to_string(red), std::to_string(green), std::to_string(blue)};
}

void ReferenceSamplingPress(WendralState& state, ReferenceSampling& sampling, Point p) {
    if (TrackSample(state, p)) sampling = ReferenceSampling{};
}

void ReferenceSamplingMove(WendralState& state, ReferenceSampling& sampling, Point p) {
    if (!TrackSample(state, p)) return;
    const Bgr px = state.DestPixel(p.x, p.y);
    sampling.BlueSum += px.b;
    sampling.GreenSum += px.g;
    sampling.RedSum += px.r;
    state.ReferenceColour = Bgr{static_cast<std::uint8_t>(sampling.BlueSum / sampling.SampleCount),
                                static_cast<std::uint8_t>(sampling.GreenSum / sampling.SampleCount),
                                static_cast<std::uint8_t>(sampling.RedSum / sampling.SampleCount)};
    ++sampling.SampleCount;
}

void ReferenceSamplingRelease(const WendralState& state, Zone& zone,
                              RefColourDialogState* openDialog) {
    zone.ResetLevels();
    if (openDialog) openDialog->Load(state);
}

}  // namespace wendral
