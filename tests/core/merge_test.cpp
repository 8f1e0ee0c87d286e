#include "core/merge.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <vector>

#include "core/merge_ops.h"
#include "merge_test_support.h"
#include "reference/merges.h"

namespace wendral {
namespace {

using test::SourceBuffer;

TEST(MergeSources, FastMergeMatchesCombinePerPixelForEveryRuleAndContrast) {
    Random15 rng;
    SourceBuffer a(rng), b(rng), near(rng);
    // Source 2 a few steps from source 1 in every channel: brightness comparisons close to ties.
    for (std::size_t i = 0; i < kStoreBytes; ++i)
        near.Data()[i] = static_cast<std::uint8_t>(
            std::clamp(a.Image(1, 1).pixels[i] + rng.Next() % 7 - 3, 0, 255));
    const unsigned contrasts[] = {0, kContrastNormalBit, kContrastRgbBit, kContrastBwBit,
                                  kContrastRgbBit | kContrastBwBit};
    WendralState state;
    Zone zone;
    for (int round = 0; round < 12; ++round) {
        // Each instruction set in turn (a set the processor lacks gives the narrower one).
        const InstructionSet sets[] = {InstructionSet::Portable, InstructionSet::Sse2,
                                       InstructionSet::Ssse3, InstructionSet::Avx2};
        const InstructionSet set = sets[round % 4];
        const SourceBuffer& second = round % 6 < 3 ? b : near;
        // Sizes that round the width up read one column beyond the narrower shown area.
        const int w1 = 1 + rng.Next() % 90, w2 = 1 + rng.Next() % 90;
        const int h1 = 1 + rng.Next() % 40, h2 = 1 + rng.Next() % 40;
        const int biases[] = {0, 127, 128, 255, rng.Next() % 256};
        for (const MergeRule& rule : kMergeRules)
            for (unsigned contrast : contrasts)
                for (int bias : biases) {
                    state.MergeMode = rule.bit | contrast;
                    state.MergeBias = bias;
                    // Now and then a threshold beyond the slider's, as a script may leave it.
                    const int far[] = {-1000, -1, 256, 1000};
                    state.ContrastThreshold = rng.Next() % 8 == 0
                                                  ? far[rng.Next() % 4]
                                                  : ThresholdFromPercent(rng.Next() % 101);
                    state.ReferenceColour = {static_cast<std::uint8_t>(rng.Next()),
                                             static_cast<std::uint8_t>(rng.Next()),
                                             static_cast<std::uint8_t>(rng.Next())};
                    Messages out;
                    ASSERT_EQ(
                        MergeSources(state, zone, a.Image(w1, h1), second.Image(w2, h2), out, set),
                        ZoneOutcome::Redraw);
                    EXPECT_TRUE(out.empty());
                    std::vector<std::uint8_t> want(state.DestBytes());
                    reference::Merge(state, a.Image(w1, h1), second.Image(w2, h2), want,
                                     state.DestWidth, state.DestHeight);
                    // A shown width of 1 or 2 rounds to an empty destination.
                    ASSERT_TRUE(want.empty() || std::memcmp(want.data(), state.DestinationStore(),
                                                            want.size()) == 0)
                        << rule.batchName << " contrast " << contrast << " bias " << bias
                        << " round " << round;
                }
    }
}

TEST(MergeSources, TakesTheCommonShownSizeAndResetsZoneAndFlags) {
    Random15 rng;
    SourceBuffer a(rng), b(rng);
    WendralState state;
    Zone zone;
    zone.x1 = 3;
    zone.y1 = 4;
    zone.x2 = 30;
    zone.y2 = 40;
    zone.PortionLevel = -2;
    zone.TwistLevel = 3.0;
    state.DestModified = 1;
    state.BrushingEnabled = 1;
    Messages out;
    MergeSources(state, zone, a.Image(1023, 600), b.Image(1500, 480), out);
    EXPECT_EQ(state.DestWidth, 1024);
    EXPECT_EQ(state.DestHeight, 480);
    EXPECT_EQ(state.DestModified, 0);
    EXPECT_EQ(state.BrushingEnabled, 0);
    EXPECT_FALSE(zone.HasZone());
    EXPECT_EQ(zone.PortionLevel, 0);
    EXPECT_EQ(zone.TwistLevel, 0.0);

    MergeSources(state, zone, a.Image(5000, 4000), b.Image(3000, 2000), out);
    EXPECT_EQ(state.DestWidth, 2048);
    EXPECT_EQ(state.DestHeight, 1536);
    MergeSources(state, zone, a.Image(2, 50), b.Image(300, 50), out);
    EXPECT_EQ(state.DestWidth, 0);
    EXPECT_TRUE(out.empty());
}

TEST(MergeSources, CopyTwoShowsSourceTwoCroppedWithRowsBottomUp) {
    Random15 rng;
    SourceBuffer a(rng), b(rng);
    WendralState state;
    Zone zone;
    state.MergeMode = kMergeCopy2Bit;
    Messages out;
    MergeSources(state, zone, a.Image(640, 480), b.Image(800, 600), out);
    ASSERT_EQ(state.DestWidth, 640);
    ASSERT_EQ(state.DestHeight, 480);
    for (int y : {0, 1, 479})
        for (int x : {0, 7, 639}) {
            const std::uint8_t* s = b.Image(800, 600).At(x, y);
            EXPECT_EQ(state.DestPixel(x, y), (Bgr{s[0], s[1], s[2]})) << x << "," << y;
        }
}

TEST(MergeSources, WithoutMergeTypeKeepsTheSizeWritesNoPixelAndSaysSo) {
    Random15 rng;
    SourceBuffer a(rng), b(rng);
    WendralState state;
    Zone zone;
    std::memset(state.DestinationStore(), 0x5A, kStoreBytes);
    state.DestModified = 1;
    for (unsigned mode : {0u, kContrastRgbBit, kContrastNormalBit | kContrastBwBit}) {
        state.MergeMode = mode;
        Messages out;
        EXPECT_EQ(MergeSources(state, zone, a.Image(101, 70), b.Image(200, 90), out),
                  ZoneOutcome::Nothing);
        ASSERT_EQ(out.size(), 1u);
        EXPECT_EQ(
            out[0],
            "Need to select a merge type before combining pictures.\n Press the white/green 'M'.");
        EXPECT_EQ(state.DestWidth, 100);
        EXPECT_EQ(state.DestHeight, 70);
        EXPECT_EQ(state.DestModified, 1);
    }
    const std::vector<std::uint8_t> untouched(kStoreBytes, 0x5A);
    EXPECT_EQ(0, std::memcmp(untouched.data(), state.DestinationStore(), kStoreBytes));
}

TEST(MergeSources, ClosedSourceGivesAnEmptyDestination) {
    Random15 rng;
    SourceBuffer a(rng);
    WendralState state;
    Zone zone;
    Messages out;
    EXPECT_EQ(MergeSources(state, zone, a.Image(64, 64), SourceImage{nullptr, 64, 64}, out),
              ZoneOutcome::Redraw);
    EXPECT_FALSE(state.PicturePresent());
}

}  // namespace
}  // namespace wendral
