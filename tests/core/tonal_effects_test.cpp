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

TEST(LuminanceEffect, BothModesAndTheirCommandsMatchTheFormulaOnEveryInstructionSet) {
    static WendralState fast, slow;
    // Widths around the 64-pixel blocks of the widest loops and their three vectors, whose
    // last block is partly outside the row.
    const int sizes[][2] = {{1, 1},  {4, 1},  {13, 7}, {21, 2},  {22, 3},
                            {43, 1}, {64, 2}, {65, 3}, {150, 5}, {kMaxWidth, kMaxHeight}};
    void (*const commands[])(WendralState&) = {ConvertToBlackWhite, InvertBrightness};
    for (int mode = 0; mode < 2; ++mode)
        for (const auto& size : sizes) {
            SCOPED_TRACE(std::to_string(mode) + " " + std::to_string(size[0]) + "x" +
                         std::to_string(size[1]));
            reference::FillRandom(slow, size[0], size[1], 40 + mode);
            reference::Luminance(slow, mode);
            for (const InstructionSet set : kInstructionSets) {
                SCOPED_TRACE(static_cast<int>(set));
                reference::FillRandom(fast, size[0], size[1], 40 + mode);
                LuminanceEffect(fast, static_cast<LuminanceMode>(mode), set);
                reference::ExpectStoresEqual(fast, slow);
                // The command snapshots first; the snapshot equals what FillRandom left there.
                reference::FillRandom(fast, size[0], size[1], 40 + mode);
                LuminanceCommand(fast, static_cast<LuminanceMode>(mode), set);
                reference::ExpectStoresEqual(fast, slow);
            }
            reference::FillRandom(fast, size[0], size[1], 40 + mode);
            commands[mode](fast);
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

// Smooth ramps with a little noise: the tolerance stays low and strokes stop part way, unlike
// on noise, where most strokes run to their limit unchecked.
void FillRamps(WendralState& s, int w, int h, std::uint32_t seed) {
    reference::FillRandom(s, w, h, seed);
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x) {
            const std::uint8_t* noise = s.RestoreStore() + s.DestOffset(x, y);
            const int blue = x * 255 / std::max(1, w - 1) + (noise[0] & 3);
            const int green = y * 200 / std::max(1, h - 1) + (noise[1] & 1);
            reference::SetPixel(s, x, y, blue & 0xFF, green & 0xFF, (x + y) & 0xFF);
        }
    s.SnapshotDestination();
}

TEST(PencilDraw, MatchesTheFormulaOnEveryShapeOfPicture) {
    enum Fill { Noise, Patches, Ramps };
    const struct {
        int w, h;
        Fill fill;
    } cases[] = {
        {kMaxWidth, kMaxHeight, Noise},  // the whole grid, where the store ends with the picture
        {333, 77, Ramps},
        {77, 333, Ramps},
        {2, 300, Patches},
        {300, 2, Patches},
        {1, 400, Noise},
        {400, 1, Noise},
        {3, 7, Ramps},
        {257, 255, Patches},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(std::to_string(c.w) + "x" + std::to_string(c.h) + " fill " +
                     std::to_string(c.fill));
        static WendralState fast, slow;
        for (WendralState* s : {&fast, &slow}) {
            if (c.fill == Noise) reference::FillRandom(*s, c.w, c.h, 21);
            if (c.fill == Patches) reference::FillPatches(*s, c.w, c.h, 21);
            if (c.fill == Ramps) FillRamps(*s, c.w, c.h, 21);
            s->Random.SetState(0x2468ACE1u + static_cast<std::uint32_t>(c.w));
        }
        PencilDraw(fast);
        reference::Pencil(slow);
        reference::ExpectStoresEqual(fast, slow);
        EXPECT_EQ(fast.Random.State(), slow.Random.State());
    }
}

TEST(PencilDraw, ReportsRisingProgressThatEndsAtOneAndChangesNothing) {
    static WendralState heard, unheard;
    for (WendralState* s : {&heard, &unheard}) reference::FillPatches(*s, 640, 480, 5);
    std::vector<double> reports;
    heard.Progress = [&reports](double done) { reports.push_back(done); };
    PencilDraw(heard);
    PencilDraw(unheard);
    reference::ExpectStoresEqual(heard, unheard);
    ASSERT_GE(reports.size(), 5u);  // 307,200 strokes: the pane moves several times
    EXPECT_TRUE(std::is_sorted(reports.begin(), reports.end()));
    EXPECT_GT(reports.front(), 0.0);
    EXPECT_EQ(reports.back(), 1.0);
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
