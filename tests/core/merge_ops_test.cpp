#include "core/merge_ops.h"

#include <gtest/gtest.h>

#include "core/merge_dialog.h"
#include "merge_test_support.h"

namespace wendral {
namespace {

Bgr Apply(const WendralState& state, unsigned bit, Bgr a, Bgr b) {
    const std::uint8_t pa[3] = {a.b, a.g, a.r}, pb[3] = {b.b, b.g, b.r};
    Bgr o;
    // Bits 24-31 carry nothing; a rule must ignore them.
    SelectedMergeRule(bit)->make(state)->Combine(PackPixel(pa) | 0xAB000000u,
                                                 PackPixel(pb) | 0xCD000000u, o.b, o.g, o.r);
    return o;
}

Bgr RandomPixel(Random15& rng) {
    return {static_cast<std::uint8_t>(rng.Next()), static_cast<std::uint8_t>(rng.Next()),
            static_cast<std::uint8_t>(rng.Next())};
}

const Bgr kWhite{255, 255, 255}, kBlack{0, 0, 0};

TEST(MergeRules, WeightedBrightnessTruncatesEachProductBeforeAdding) {
    EXPECT_EQ(WeightedBrightness(1, 0, 0), 7);
    EXPECT_EQ(WeightedBrightness(0, 1, 0), 37);
    EXPECT_EQ(WeightedBrightness(0, 0, 1), 19);
    EXPECT_EQ(WeightedBrightness(1, 1, 1), 63);  // the untruncated sum is 64
}

TEST(MergeRules, AverageBlendsByTheBiasAndNeverReachesWhite) {
    WendralState s;
    s.MergeBias = 127;
    EXPECT_EQ(Apply(s, kMergeAverageBit, kWhite, kWhite), (Bgr{254, 254, 254}));
    s.MergeBias = 0;
    EXPECT_EQ(Apply(s, kMergeAverageBit, {200, 10, 255}, kWhite), (Bgr{199, 9, 254}));
    s.MergeBias = 255;
    EXPECT_EQ(Apply(s, kMergeAverageBit, kWhite, {200, 10, 0}), (Bgr{199, 9, 0}));
}

TEST(MergeRules, GreatestAndLeastFollowTheBiasWithTiesAsStated) {
    Random15 rng;
    WendralState s;
    for (int n = 0; n < 2000; ++n) {
        const Bgr a = RandomPixel(rng), b = RandomPixel(rng);
        s.MergeBias = 0;
        EXPECT_EQ(Apply(s, kMergeGreatestBit, a, b), a);
        EXPECT_EQ(Apply(s, kMergeLeastBit, a, b), (a == kWhite && b == kBlack) ? b : a);
        s.MergeBias = 255;
        EXPECT_EQ(Apply(s, kMergeGreatestBit, a, b), (a == kWhite && b == kBlack) ? a : b);
        EXPECT_EQ(Apply(s, kMergeLeastBit, a, b), b);
    }
    s.MergeBias = 255;
    EXPECT_EQ(Apply(s, kMergeGreatestBit, kWhite, kBlack), kWhite);
    s.MergeBias = 0;
    EXPECT_EQ(Apply(s, kMergeLeastBit, kWhite, kBlack), kBlack);
    // At the middle the brighter pixel wins Greatest and the darker wins Least.
    s.MergeBias = 127;
    EXPECT_EQ(Apply(s, kMergeGreatestBit, {10, 200, 10}, {200, 10, 10}), (Bgr{10, 200, 10}));
    EXPECT_EQ(Apply(s, kMergeLeastBit, {10, 200, 10}, {200, 10, 10}), (Bgr{200, 10, 10}));
}

TEST(MergeRules, SubtractionsAtTheBiasEnds) {
    Random15 rng;
    WendralState s;
    for (int n = 0; n < 500; ++n) {
        const Bgr a = RandomPixel(rng), b = RandomPixel(rng);
        s.MergeBias = 255;
        EXPECT_EQ(Apply(s, kMergeSub12Bit, a, b), kBlack);
        s.MergeBias = 0;
        EXPECT_EQ(Apply(s, kMergeSub21Bit, a, b), kBlack);
        EXPECT_EQ(Apply(s, kMergeSub12Bit, a, b), (Bgr{static_cast<std::uint8_t>(a.b * 127 >> 7),
                                                       static_cast<std::uint8_t>(a.g * 127 >> 7),
                                                       static_cast<std::uint8_t>(a.r * 127 >> 7)}));
        s.MergeBias = 127;
        EXPECT_EQ(Apply(s, kMergeSub12Bit, a, a), kBlack);
        EXPECT_EQ(Apply(s, kMergeSub21Bit, a, a), kBlack);
    }
    s.MergeBias = 127;
    EXPECT_EQ(Apply(s, kMergeSub12Bit, kWhite, kBlack), (Bgr{253, 253, 253}));
    EXPECT_EQ(Apply(s, kMergeSub21Bit, kBlack, kWhite), (Bgr{253, 253, 253}));
    s.MergeBias = 129;  // source 1 now scaled by 126
    EXPECT_EQ(Apply(s, kMergeSub12Bit, kWhite, kBlack), (Bgr{251, 251, 251}));
}

TEST(MergeRules, ReferenceTestMovesWithTheBias) {
    Random15 rng;
    WendralState s;
    for (int n = 0; n < 3000; ++n) {
        s.ReferenceColour = RandomPixel(rng);
        const Bgr ref = s.ReferenceColour;
        // Near the reference, so that both outcomes occur.
        Bgr a = ref;
        a.b = static_cast<std::uint8_t>(std::clamp(ref.b + rng.Next() % 3 - 1, 0, 255));
        a.g = static_cast<std::uint8_t>(std::clamp(ref.g + rng.Next() % 3 - 1, 0, 255));
        a.r = static_cast<std::uint8_t>(std::clamp(ref.r + rng.Next() % 3 - 1, 0, 255));
        const Bgr b = RandomPixel(rng);
        s.MergeBias = 127;
        const bool atLeast = a.b >= ref.b && a.g >= ref.g && a.r >= ref.r;
        EXPECT_EQ(Apply(s, kMergeRef12Bit, a, b), atLeast ? a : b);
        EXPECT_EQ(Apply(s, kMergeRef21Bit, a, b), atLeast ? b : a);
        s.MergeBias = 128;
        const bool above = a.b > ref.b && a.g > ref.g && a.r > ref.r;
        EXPECT_EQ(Apply(s, kMergeRef12Bit, a, b), above ? a : b);
        s.MergeBias = 0;  // a channel must exceed the reference minus 128
        EXPECT_EQ(Apply(s, kMergeRef12Bit, kBlack, b),
                  ref.b < 128 && ref.g < 128 && ref.r < 128 ? kBlack : b);
        s.MergeBias = 255;
        EXPECT_EQ(Apply(s, kMergeRef21Bit, kWhite, b),
                  ref.b < 128 && ref.g < 128 && ref.r < 128 ? b : kWhite);
    }
}

TEST(MergeRules, ContrastStepsAtThresholdEnds) {
    Random15 rng;
    for (int n = 0; n < 1000; ++n) {
        const Bgr p = RandomPixel(rng);
        Bgr o = p;
        ApplyContrast(kContrastRgbBit, ThresholdFromPercent(0), o.b, o.g, o.r);
        EXPECT_EQ(o, (Bgr{static_cast<std::uint8_t>(p.b ? 255 : 0),
                          static_cast<std::uint8_t>(p.g ? 255 : 0),
                          static_cast<std::uint8_t>(p.r ? 255 : 0)}));
        o = p;
        ApplyContrast(kContrastRgbBit, ThresholdFromPercent(100), o.b, o.g, o.r);
        EXPECT_EQ(o, kBlack);
        o = p;
        ApplyContrast(kContrastBwBit, 255, o.b, o.g, o.r);
        EXPECT_EQ(o, kBlack);
        o = p;
        ApplyContrast(kContrastBwBit, 0, o.b, o.g, o.r);
        EXPECT_EQ(o, p == kBlack ? kBlack : kWhite);
        o = p;
        ApplyContrast(kContrastNormalBit, 0, o.b, o.g, o.r);
        EXPECT_EQ(o, p);
    }
    Bgr o{127, 127, 127};
    ApplyContrast(kContrastBwBit, ThresholdFromPercent(50), o.b, o.g, o.r);
    EXPECT_EQ(o, kBlack);
    o = {127, 127, 128};
    ApplyContrast(kContrastBwBit, 127, o.b, o.g, o.r);
    EXPECT_EQ(o, kWhite);
    // Both bits: the rgb step first, then b/w on its result.
    o = {200, 0, 0};
    ApplyContrast(kContrastRgbBit | kContrastBwBit, 100, o.b, o.g, o.r);
    EXPECT_EQ(o, kBlack);
}

TEST(MergeRules, TableNamesEveryRuleOnceWithItsDialogText) {
    unsigned seen = 0;
    for (const MergeRule& r : kMergeRules) {
        EXPECT_EQ(seen & r.bit, 0u);
        seen |= r.bit;
        EXPECT_EQ(SelectedMergeRule(r.bit), &r);
        EXPECT_EQ(MergeRuleNamed(r.batchName), &r);
    }
    EXPECT_EQ(seen, kMergeTypeMask);
    EXPECT_STREQ(SelectedMergeRule(kMergeLeastBit)->dialogText, "Least Pixel      1, 2");
    EXPECT_EQ(SelectedMergeRule(kContrastMask), nullptr);
    EXPECT_EQ(MergeRuleNamed("median"), nullptr);
    EXPECT_EQ(ContrastMethodNamed("bw")->bit, kContrastBwBit);
}

TEST(MergeDialog, ButtonsAndSlidersSetTheSettingsAsTheDialogDoes) {
    WendralState s;
    s.MergeMode = kMergeRef21Bit | kContrastRgbBit;
    s.MergeBias = 40;
    MergeDialogModel dialog(s);
    EXPECT_EQ(s.MergeMode, kMergeAverageBit);
    EXPECT_EQ(s.MergeBias, 40);  // only the slider shows 127 until a button or slider acts
    EXPECT_EQ(dialog.BiasSliderPosition(), 127);
    EXPECT_EQ(dialog.ThresholdPercent(), 50);

    s.MergeBias = 40;
    EXPECT_TRUE(dialog.ChooseContrast(kContrastBwBit));
    EXPECT_EQ(s.MergeMode, kMergeAverageBit | kContrastBwBit);
    EXPECT_EQ(s.MergeBias, 127);
    EXPECT_EQ(s.ContrastThreshold, 127);
    EXPECT_TRUE(dialog.ChooseMergeType(kMergeCopy2Bit));
    EXPECT_EQ(s.MergeMode, kMergeCopy2Bit | kContrastBwBit);

    EXPECT_TRUE(dialog.SlidersMoved(30, 80));  // the threshold slider runs against the percentage
    EXPECT_EQ(s.MergeBias, 30);
    EXPECT_EQ(dialog.ThresholdPercent(), 20);
    EXPECT_EQ(s.ContrastThreshold, 51);
    EXPECT_TRUE(dialog.ChooseMergeType(kMergeSub12Bit));
    EXPECT_EQ(s.MergeBias, 127);
    EXPECT_EQ(s.ContrastThreshold, 51);

    s.MergeMode = kContrastNormalBit;
    s.ContrastThreshold = 9;
    EXPECT_FALSE(dialog.SlidersMoved(10, 0));
    EXPECT_EQ(s.ContrastThreshold, 9);
    Messages out;
    EXPECT_FALSE(dialog.Ok(out));
    ASSERT_EQ(out.size(), 1u);
    EXPECT_EQ(out[0], "Need to select a merge type:\nPlease press one of the left buttons");
    EXPECT_TRUE(dialog.ChooseMergeType(kMergeGreatestBit));
    EXPECT_EQ(s.ContrastThreshold, 255);
    EXPECT_TRUE(dialog.Ok(out));
    EXPECT_EQ(out.size(), 1u);
}

TEST(MergeDialog, ScriptMergeSetsTheSettingsThenMerges) {
    Random15 rng;
    test::SourceBuffer a(rng), b(rng);
    WendralState s;
    Zone zone;
    Messages out;
    EXPECT_EQ(MergeCommand(s, zone, a.Image(40, 30), b.Image(50, 20), *MergeRuleNamed("sub21"), 200,
                           *ContrastMethodNamed("rgb"), 30, out),
              ZoneOutcome::Redraw);
    EXPECT_EQ(s.MergeMode, kMergeSub21Bit | kContrastRgbBit);
    EXPECT_EQ(s.MergeBias, 200);
    EXPECT_EQ(s.ContrastThreshold, 76);
    EXPECT_EQ(s.DestWidth, 40);
    EXPECT_EQ(s.DestHeight, 20);
    EXPECT_TRUE(out.empty());
}

}  // namespace
}  // namespace wendral
