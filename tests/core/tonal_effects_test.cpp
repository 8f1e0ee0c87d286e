#include "core/tonal_effects.h"

#include <gtest/gtest.h>

#include "reference/effects.h"

namespace wendral {
namespace {

Bgr Gray(int v) {
    return Bgr{std::uint8_t(v), std::uint8_t(v), std::uint8_t(v)};
}

Bgr AfterCommand(void (*command)(WendralState&), Bgr in) {
    static WendralState state;
    state.DestWidth = 4;
    state.DestHeight = 1;
    for (int x = 0; x < 4; ++x) reference::SetPixel(state, x, 0, in.b, in.g, in.r);
    command(state);
    return state.DestPixel(3, 0);
}

TEST(LuminanceEffect, KnownColours) {
    EXPECT_EQ(Luma(Gray(255)), 254);
    EXPECT_EQ(AfterCommand(ConvertToBlackWhite, Gray(255)), Gray(254));
    EXPECT_EQ(AfterCommand(ConvertToBlackWhite, Gray(0)), Gray(0));
    EXPECT_EQ(AfterCommand(ConvertToBlackWhite, Gray(128)), Gray(127));
    EXPECT_EQ(AfterCommand(ConvertToBlackWhite, Gray(1)), Gray(0));
    EXPECT_EQ(AfterCommand(ConvertToBlackWhite, (Bgr{100, 150, 200})), Gray(159));

    EXPECT_EQ(AfterCommand(InvertBrightness, Gray(0)), Gray(255));
    EXPECT_EQ(AfterCommand(InvertBrightness, Gray(255)), Gray(2));
    EXPECT_EQ(AfterCommand(InvertBrightness, Gray(128)), Gray(129));
    EXPECT_EQ(AfterCommand(InvertBrightness, (Bgr{0, 0, 255})), (Bgr{103, 103, 255}));
    EXPECT_EQ(AfterCommand(InvertBrightness, (Bgr{0, 255, 0})), (Bgr{0, 210, 0}));
    EXPECT_EQ(AfterCommand(InvertBrightness, (Bgr{255, 0, 0})), (Bgr{255, 199, 199}));
}

TEST(LuminanceEffect, BothModesMatchTheFormula) {
    static WendralState fast, slow;
    const int sizes[][2] = {{1, 1}, {4, 1}, {13, 7}, {kMaxWidth, kMaxHeight}};
    for (int mode = 0; mode < 2; ++mode)
        for (const auto& size : sizes) {
            reference::FillRandom(fast, size[0], size[1], 40 + mode);
            reference::FillRandom(slow, size[0], size[1], 40 + mode);
            LuminanceEffect(fast, static_cast<LuminanceMode>(mode));
            reference::Luminance(slow, mode);
            reference::ExpectStoresEqual(fast, slow);
        }
}

TEST(LuminanceEffect, CommandsSnapshotFirstAndMarkTheDestination) {
    static WendralState state;
    reference::FillRandom(state, 8, 2, 6);
    std::vector<std::uint8_t> before(state.DestinationStore(),
                                     state.DestinationStore() + state.DestBytes());
    state.BrushingEnabled = 1;
    InvertBrightness(state);
    EXPECT_TRUE(std::equal(before.begin(), before.end(), state.RestoreStore()));
    EXPECT_EQ(state.DestModified, 1);
    EXPECT_EQ(state.BrushingEnabled, 0);
    // Twice is not the identity: the luma stops at 254 and channels clamp.
    InvertBrightness(state);
    const Bgr red{0, 0, 255};
    EXPECT_EQ(AfterCommand(InvertBrightness, AfterCommand(InvertBrightness, red)),
              (Bgr{62, 62, 214}));

    state.DestWidth = state.DestHeight = 0;
    state.DestModified = 0;
    ConvertToBlackWhite(state);
    EXPECT_EQ(state.DestModified, 1);
}

TEST(PencilDraw, MatchesTheFormulaAndRepeatsFromTheGeneratorsStart) {
    const int sizes[][2] = {{1, 1}, {4, 1}, {1, 5}, {9, 9}, {40, 30}, {64, 48}};
    for (const auto& size : sizes) {
        SCOPED_TRACE(std::to_string(size[0]) + "x" + std::to_string(size[1]));
        for (int kind = 0; kind < 2; ++kind) {
            WendralState first, second, slow;
            for (WendralState* s : {&first, &second, &slow}) {
                if (kind == 0)
                    reference::FillPatches(*s, size[0], size[1], 11);
                else
                    reference::FillRandom(*s, size[0], size[1], 11);
            }
            PencilDrawCommand(first);
            PencilDrawCommand(second);
            slow.SnapshotDestination();
            reference::Pencil(slow);
            reference::ExpectStoresEqual(first, second);
            reference::ExpectStoresEqual(first, slow);
            EXPECT_EQ(first.Random.State(), slow.Random.State());
            // A second drawing continues the sequence and differs from the first.
            if (size[0] * size[1] > 100) {
                std::vector<std::uint8_t> once(first.DestinationStore(),
                                               first.DestinationStore() + first.DestBytes());
                first.RevertDestination();
                PencilDraw(first);
                EXPECT_FALSE(std::equal(once.begin(), once.end(), first.DestinationStore()));
            }
        }
    }
}

TEST(PencilDraw, LongStrokesOnANearlyFlatPictureMatchTheFormula) {
    // Channels within 1 of a flat colour step up-left one pixel at a time, so strokes run to
    // the top or left edge, those from the lower right for their full 400 steps.
    WendralState fast, slow;
    for (WendralState* s : {&fast, &slow}) {
        reference::FillRandom(*s, 420, 420, 12);
        for (int y = 0; y < 420; ++y)
            for (int x = 0; x < 420; ++x) {
                const std::uint8_t* noise = s->RestoreStore() + s->DestOffset(x, y);
                reference::SetPixel(*s, x, y, 100 + (noise[0] & 1), 80 + (noise[1] & 1),
                                    110 + (noise[2] & 1));
            }
        s->SnapshotDestination();
    }
    PencilDraw(fast);
    reference::Pencil(slow);
    reference::ExpectStoresEqual(fast, slow);
}

TEST(PencilDraw, FlatPictureKeepsItsColourAndOnePixelIsNeverPainted) {
    static WendralState state;
    state.DestWidth = 12;
    state.DestHeight = 10;
    for (int y = 0; y < 10; ++y)
        for (int x = 0; x < 12; ++x) reference::SetPixel(state, x, y, 30, 90, 60);
    PencilDrawCommand(state);
    for (int y = 0; y < 10; ++y)
        for (int x = 0; x < 12; ++x) ASSERT_EQ(state.DestPixel(x, y), (Bgr{30, 90, 60}));

    state.DestWidth = state.DestHeight = 1;
    reference::SetPixel(state, 0, 0, 1, 2, 3);
    const std::uint32_t before = state.Random.State();
    PencilDrawCommand(state);
    EXPECT_EQ(state.DestPixel(0, 0), (Bgr{1, 2, 3}));
    EXPECT_NE(state.Random.State(), before);  // the stroke's two draws still happen
}

}  // namespace
}  // namespace wendral
