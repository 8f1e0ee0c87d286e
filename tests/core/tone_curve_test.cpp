#include "core/tone_curve.h"

#include <gtest/gtest.h>

#include <random>

#include "reference/effects.h"

namespace wendral {
namespace {

int Curve(int v, int b, int k, int G) {
    return ToneCurve(v, b, ContrastFactor(k), G);
}

TEST(ToneCurve, ValuesAtKnownSliderPositions) {
    for (int v = 0; v < 256; ++v) EXPECT_EQ(Curve(v, 128, 64, 0), v) << v;
    // Contrast 0 flattens a channel to b - 1.
    EXPECT_EQ(Curve(0, 128, 0, 0), 127);
    EXPECT_EQ(Curve(255, 200, 0, 0), 199);
    // Contrast 255 about the pivot 127.
    EXPECT_EQ(Curve(126, 128, 255, 0), 111);
    EXPECT_EQ(Curve(127, 128, 255, 0), 127);
    EXPECT_EQ(Curve(128, 128, 255, 0), 142);
    EXPECT_EQ(Curve(0, 128, 255, 0), 0);
    // Contrast -64 mirrors: the negative factor's shift rounds down.
    EXPECT_EQ(ContrastFactor(-1), -1);
    EXPECT_EQ(ContrastFactor(1), 0);
    EXPECT_EQ(Curve(255, 128, -64, 0), 0);
    EXPECT_EQ(Curve(0, 128, -64, 0), 254);
    EXPECT_EQ(Curve(100, 128, -64, 0), 154);
    // Brightness at both ends.
    EXPECT_EQ(Curve(0, 255, 64, 0), 254);
    for (int v = 1; v < 256; ++v) EXPECT_EQ(Curve(v, 255, 64, 0), 255);
    for (int v = 0; v < 256; ++v) EXPECT_EQ(Curve(v, 0, 64, 0), 0);
    // Gamma bend at both ends.
    EXPECT_EQ(Curve(0, 128, 64, 255), 63);
    EXPECT_EQ(Curve(64, 128, 64, 255), 79);
    EXPECT_EQ(Curve(128, 128, 64, 255), 127);
    EXPECT_EQ(Curve(255, 128, 64, 255), 255);
    EXPECT_EQ(Curve(0, 128, 64, -255), 0);
    EXPECT_EQ(Curve(64, 128, 64, -255), 48);
    EXPECT_EQ(Curve(128, 128, 64, -255), 128);
    EXPECT_EQ(Curve(255, 128, 64, -255), 192);
}

TEST(ToneCurve, RenderMatchesFormulaOnRandomPicturesAndSettingsOnEveryInstructionSet) {
    static WendralState fast, slow;
    std::mt19937 gen(7);
    // Widths around the 64-pixel blocks of the widest loops and their three vectors, whose
    // last block is partly outside the picture.
    const int sizes[][2] = {{1, 1},  {4, 1},  {1, 3},  {12, 10}, {37, 23},
                            {21, 1}, {22, 1}, {43, 1}, {64, 1},  {65, 3}};
    for (int round = 0; round < 40; ++round) {
        const int w = sizes[round % 10][0], h = sizes[round % 10][1];
        reference::FillRandom(slow, w, h, 100 + round);
        ToneSettings t;
        int b[3], k[3];
        for (int c = 0; c < 3; ++c) {
            b[c] = t.Brightness[c] = static_cast<int>(gen() % 256);
            k[c] = t.Contrast[c] = static_cast<int>(gen() % 511) - 255;
        }
        t.GammaBend = static_cast<int>(gen() % 511) - 255;
        reference::ToneCurve(slow, b, k, t.GammaBend);
        for (const InstructionSet set : kInstructionSets) {
            SCOPED_TRACE(static_cast<int>(set));
            reference::FillRandom(fast, w, h, 100 + round);
            RenderToneCurve(fast, t, set);
            reference::ExpectStoresEqual(fast, slow);
        }
    }
    // Every value through every channel at the full size.
    fast.DestWidth = slow.DestWidth = kMaxWidth;
    fast.DestHeight = slow.DestHeight = kMaxHeight;
    ToneSettings t;
    t.Brightness = {3, 250, 140};
    t.Contrast = {-200, 255, 17};
    t.GammaBend = -99;
    const int b[3] = {3, 250, 140}, k[3] = {-200, 255, 17};
    reference::ToneCurve(slow, b, k, t.GammaBend);
    for (const InstructionSet set : kInstructionSets) {
        SCOPED_TRACE(static_cast<int>(set));
        RenderToneCurve(fast, t, set);
        reference::ExpectStoresEqual(fast, slow);
    }
}

TEST(ToneCurve, PositionsBeyondTheSlidersAreHeldToTheirRanges) {
    static WendralState a, b;
    reference::FillRandom(a, 8, 4, 1);
    reference::FillRandom(b, 8, 4, 1);
    ToneSettings wild;
    wild.Brightness = {1000, -5, 300};
    wild.Contrast = {100000, -100000, 64};
    wild.GammaBend = 1 << 30;
    ToneSettings held;
    held.Brightness = {255, 0, 255};
    held.Contrast = {255, -255, 64};
    held.GammaBend = 255;
    RenderToneCurve(a, wild);
    RenderToneCurve(b, held);
    reference::ExpectStoresEqual(a, b);
}

TEST(BrightnessDialog, PreviewsRenderFromTheSnapshotAndMastersPropagate) {
    static WendralState state;
    reference::FillRandom(state, 16, 8, 3);
    std::vector<std::uint8_t> original(state.DestinationStore(),
                                       state.DestinationStore() + state.DestBytes());
    Zone zone;
    zone.x1 = zone.y1 = 1;
    zone.x2 = zone.y2 = 5;
    zone.ImplodeLevel = 2;

    BrightnessDialogState dialog(state);
    // A channel slider moved first keeps its place: both masters still match.
    dialog.SliderMoved(ToneSlider::RedBrightness, 10);
    EXPECT_EQ(dialog.Position(ToneSlider::RedBrightness), 10);
    dialog.SliderMoved(ToneSlider::MasterBrightness, 200);
    for (ToneSlider s :
         {ToneSlider::RedBrightness, ToneSlider::GreenBrightness, ToneSlider::BlueBrightness})
        EXPECT_EQ(dialog.Position(s), 200);
    dialog.SliderMoved(ToneSlider::GreenBrightness, 128);
    EXPECT_EQ(dialog.Position(ToneSlider::BlueBrightness), 200);  // no second propagation
    for (int y = 0; y < 8; ++y)
        for (int x = 0; x < 16; ++x) {
            const Bgr was{original[state.DestOffset(x, y)], original[state.DestOffset(x, y) + 1],
                          original[state.DestOffset(x, y) + 2]};
            const Bgr now = state.DestPixel(x, y);
            EXPECT_EQ(now.g, was.g);  // green back at the identity: previews do not accumulate
            EXPECT_EQ(now.b, Curve(was.b, 200, 64, 0));
        }
    EXPECT_EQ(state.DestModified, 0);

    // Reset reverts; the moved master propagates again at the next change.
    dialog.Reset();
    EXPECT_TRUE(std::equal(original.begin(), original.end(), state.DestinationStore()));
    EXPECT_EQ(dialog.Position(ToneSlider::MasterBrightness), 128);
    dialog.SliderMoved(ToneSlider::BlueBrightness, 90);
    EXPECT_EQ(dialog.Position(ToneSlider::BlueBrightness), 128);
    EXPECT_TRUE(std::equal(original.begin(), original.end(), state.DestinationStore()));

    state.BrushingEnabled = 1;
    dialog.Ok(zone);
    EXPECT_EQ(state.DestModified, 1);
    EXPECT_EQ(state.BrushingEnabled, 0);
    EXPECT_FALSE(zone.HasZone());
    EXPECT_EQ(zone.ImplodeLevel, 0);
}

}  // namespace
}  // namespace wendral
