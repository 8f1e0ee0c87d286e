#include "core/special_effect.h"

#include <gtest/gtest.h>

#include <cstring>
#include <random>

#include "reference/effects.h"

namespace wendral {
namespace {

TEST(SpecialEffect, MatchesTheFormulaAndRepeatsFromTheGeneratorsStart) {
    std::mt19937 gen(3);
    const int sizes[][2] = {{1, 1}, {4, 1}, {1, 4}, {8, 8}, {33, 17}, {80, 60}};
    for (int round = 0; round < 24; ++round) {
        const int w = sizes[round % 6][0], h = sizes[round % 6][1];
        // Ranges beyond the spin buttons too: the renderer takes the low 8 bits.
        SpecialEffectParams p{static_cast<int>(gen() % 40), static_cast<int>(gen() % 20),
                              static_cast<int>(gen() % 10), static_cast<int>(gen() % 40),
                              static_cast<int>(gen() % 20)};
        if (round == 5) p = SpecialEffectParams{300, 257, 263, 259, 258};
        SCOPED_TRACE(round);
        WendralState first, second, slow;
        for (WendralState* s : {&first, &second, &slow})
            (round % 2 ? reference::FillPatches : reference::FillRandom)(*s, w, h, 70 + round);
        SpecialEffect(first, p);
        SpecialEffect(second, p);
        reference::Special(slow, p.XorShift, p.SumShift, p.OrDrop, p.StreakRun, p.Jitter);
        reference::ExpectStoresEqual(first, second);
        reference::ExpectStoresEqual(first, slow);
        EXPECT_EQ(first.Random.State(), slow.Random.State());
    }
    WendralState fast, slow;
    reference::FillRandom(fast, kMaxWidth, kMaxHeight, 5);
    reference::FillRandom(slow, kMaxWidth, kMaxHeight, 5);
    SpecialEffect(fast, SpecialEffectParams{31, 15, 7, 31, 15});
    reference::Special(slow, 31, 15, 7, 31, 15);
    reference::ExpectStoresEqual(fast, slow);
}

TEST(SpecialEffect, StreakRunAloneOffsetsByTheCounters) {
    static WendralState state;
    reference::FillRandom(state, 16, 12, 8);
    SpecialEffect(state, SpecialEffectParams{0, 0, 0, 3, 0});
    for (int y = 0; y < 12; ++y)
        for (int x = 0; x + 3 < 16 && y + 3 < 12; ++x) {
            const std::uint8_t* want = reference::Restore(state, x + x % 4, y + y % 4);
            ASSERT_EQ(state.DestPixel(x, y), (Bgr{want[0], want[1], want[2]})) << x << "," << y;
        }
}

TEST(SpecialEffect, ZeroParametersCopyButStillDrawTwicePerPixel) {
    static WendralState state;
    reference::FillRandom(state, 20, 10, 9);
    std::memset(state.DestinationStore(), 0, state.DestBytes());
    Random15 expected = state.Random;
    for (int n = 0; n < 2 * 20 * 10; ++n) expected.Next();
    SpecialEffect(state, SpecialEffectParams{});
    EXPECT_EQ(0, std::memcmp(state.DestinationStore(), state.RestoreStore(), state.DestBytes()));
    EXPECT_EQ(state.Random.State(), expected.State());
}

// Black rows at the top with a large drop and no jitter: every pixel of them misses the
// picture, so the row streak counter runs past its length there and only the first row that
// reaches the picture sets it back. The pictures are tall enough to be cut into row bands.
TEST(SpecialEffect, RowsThatMissThePictureKeepTheRowCounterRunning) {
    const SpecialEffectParams cases[] = {
        {0, 0, 7, 2, 0}, {0, 0, 7, 31, 0}, {5, 3, 7, 40, 0}, {0, 0, 4, 0, 1}};
    for (const SpecialEffectParams& p : cases) {
        SCOPED_TRACE(p.StreakRun);
        static WendralState fast, slow;
        for (WendralState* s : {&fast, &slow}) {
            reference::FillRandom(*s, 300, 400, 12);
            for (int y = 0; y < 45; ++y)
                std::memset(s->DestinationStore() + s->DestOffset(0, y), 0, 900);
            s->SnapshotDestination();
        }
        SpecialEffect(fast, p);
        reference::Special(slow, p.XorShift, p.SumShift, p.OrDrop, p.StreakRun, p.Jitter);
        reference::ExpectStoresEqual(fast, slow);
        EXPECT_EQ(fast.Random.State(), slow.Random.State());
    }
}

TEST(SpecialEffectsDialog, PreviewsResetAndOk) {
    static WendralState state;
    reference::FillRandom(state, 24, 16, 10);
    std::vector<std::uint8_t> original(state.DestinationStore(),
                                       state.DestinationStore() + state.DestBytes());
    SpecialEffectsDialogState dialog(state);
    dialog.ParameterChanged(SpecialParam::XorShift, 40);
    EXPECT_EQ(dialog.Position(SpecialParam::XorShift), 31);
    dialog.ParameterChanged(SpecialParam::Jitter, 3);
    EXPECT_FALSE(std::equal(original.begin(), original.end(), state.DestinationStore()));
    EXPECT_EQ(state.DestModified, 0);
    dialog.Reset();
    EXPECT_TRUE(std::equal(original.begin(), original.end(), state.DestinationStore()));
    for (const SpecialParamInfo& info : kSpecialParams) EXPECT_EQ(dialog.Position(info.param), 0);

    Zone zone;
    zone.x1 = zone.y1 = 2;
    zone.x2 = zone.y2 = 9;
    dialog.ParameterChanged(SpecialParam::OrDrop, 7);
    dialog.Ok(zone);
    EXPECT_EQ(state.DestModified, 1);
    EXPECT_FALSE(zone.HasZone());
}

}  // namespace
}  // namespace wendral
