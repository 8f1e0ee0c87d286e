#include "core/portion_merge.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <vector>

#include "merge_test_support.h"

namespace wendral {
namespace {

using test::SourceBuffer;

// One step's pixels, pixel by pixel from the formula, into `dest` (a copy of the store).
void ReferenceRender(const WendralState& state, const Zone& zone, const SourceImage& src, std::vector<std::uint8_t>& dest) {
    const double H = std::abs(static_cast<double>(zone.y2 - zone.y1));
    const int left = std::min(zone.x1, zone.x2), right = std::max(zone.x1, zone.x2);
    const int top = std::min(zone.y1, zone.y2), bottom = std::max(zone.y1, zone.y2);
    const int cx = (left + right) >> 1, cy = (top + bottom) >> 1;
    const double k = std::abs(static_cast<double>(zone.PortionLevel));
    const double s = static_cast<double>(zone.y2 - zone.y1) / static_cast<double>(zone.x2 - zone.x1);
    for (int i = top; i < bottom; ++i)
        for (int j = left; j < right; ++j) {
            if (i < 0 || i >= state.DestHeight || j < 0 || j >= state.DestWidth) continue;  // cut to the picture
            const int di = (i - cy) * (i - cy);
            const double r = std::sqrt(std::pow((j - cx) * s, 2) + di);
            const double d = H - 2.0 * r;
            if (d < 0) continue;
            const double w = k * std::pow(d / H, 2);
            const std::size_t at = state.DestOffset(j, i);
            for (int c = 0; c < 3; ++c) {
                const int base = state.RestoreStore()[at + c];
                const int source = src.At(j, i)[c];
                int v = source;
                if (w < 8.0) v = base + (static_cast<int>((source - base) * w) >> 3);
                dest[at + c] = static_cast<std::uint8_t>(std::clamp(v, 0, 255));
            }
        }
}

std::vector<std::uint8_t> Store(const WendralState& s) {
    return std::vector<std::uint8_t>(s.DestinationStore(), s.DestinationStore() + s.DestBytes());
}

TEST(PortionMerge, PressesMatchThePerPixelFormulaOnRandomZonesAndLevels) {
    Random15 rng;
    SourceBuffer a(rng), b(rng);
    const SourceImage one = a.Image(2048, 1536), two = b.Image(2048, 1536);
    WendralState state;
    Zone zone;
    for (int round = 0; round < 12; ++round) {
        const int w = 8 + rng.Next() % 150, h = 8 + rng.Next() % 120;
        test::FillDestination(state, w, h, rng);
        zone.ResetZone();
        // Corners in every order.
        zone.x1 = rng.Next() % w;
        zone.x2 = rng.Next() % w;
        zone.y1 = rng.Next() % h;
        zone.y2 = rng.Next() % h;
        if (zone.y1 == zone.y2) zone.y2 = (zone.y1 + 1) % h;
        const std::vector<std::uint8_t> base = Store(state);
        for (int press = 0; press < 14; ++press) {
            const bool towardsOne = rng.Next() % 3 != 0;
            const ZoneOutcome got = towardsOne ? PortionToDestination1(state, zone, &one, &two)
                                               : PortionToDestination2(state, zone, &one, &two);
            ASSERT_EQ(got, ZoneOutcome::Redraw);
            ASSERT_EQ(0, std::memcmp(state.RestoreStore(), base.data(), base.size()));
            std::vector<std::uint8_t> want = base;
            if (zone.PortionLevel != 0) ReferenceRender(state, zone, zone.PortionLevel > 0 ? one : two, want);
            ASSERT_EQ(Store(state), want) << "round " << round << " level " << zone.PortionLevel;
        }
    }
}

// Zones left from a larger picture: corners and centres off the picture on any side.
TEST(PortionMerge, ZonesReachingPastThePictureMatchTheFormulaInsideIt) {
    Random15 rng;
    SourceBuffer a(rng), b(rng);
    const SourceImage one = a.Image(2048, 1536), two = b.Image(2048, 1536);
    WendralState state;
    Zone zone;
    for (int round = 0; round < 16; ++round) {
        const int w = 4 + rng.Next() % 90, h = 4 + rng.Next() % 70;
        test::FillDestination(state, w, h, rng);
        zone.ResetZone();
        zone.x1 = rng.Next() % (3 * w) - w;
        zone.x2 = rng.Next() % (3 * w) - w;
        zone.y1 = rng.Next() % (3 * h) - h;
        zone.y2 = rng.Next() % (3 * h) - h;
        if (zone.y1 == zone.y2) ++zone.y2;
        const std::vector<std::uint8_t> base = Store(state);
        for (int press = 0; press < 10; ++press) {
            const bool towardsOne = rng.Next() % 4 != 0;
            towardsOne ? PortionToDestination1(state, zone, &one, &two) : PortionToDestination2(state, zone, &one, &two);
            std::vector<std::uint8_t> want = base;
            if (zone.PortionLevel != 0) ReferenceRender(state, zone, zone.PortionLevel > 0 ? one : two, want);
            ASSERT_EQ(Store(state), want) << "round " << round << " level " << zone.PortionLevel;
        }
    }
}

TEST(PortionMerge, CentreMovesAnEighthThenReachesTheSourceAndTheOppositePressUndoes) {
    Random15 rng;
    SourceBuffer a(rng), b(rng);
    const SourceImage one = a.Image(200, 200), two = b.Image(200, 200);
    WendralState state;
    Zone zone;
    test::FillDestination(state, 200, 150, rng);
    zone.x1 = 110;
    zone.y1 = 120;
    zone.x2 = 10;
    zone.y2 = 20;  // drawn from bottom-right to top-left
    zone.ColourLevel = 3;
    const std::vector<std::uint8_t> before = Store(state);
    const Bgr centre0 = state.DestPixel(60, 70), corner0 = state.DestPixel(10, 20);
    const std::uint8_t* s = one.At(60, 70);

    ASSERT_EQ(PortionToDestination1(state, zone, &one, &two), ZoneOutcome::Redraw);
    EXPECT_EQ(zone.ColourLevel, 0);
    EXPECT_EQ(state.DestModified, 1);
    const Bgr c1 = state.DestPixel(60, 70);
    EXPECT_EQ(c1.b, centre0.b + ((s[0] - centre0.b) >> 3));
    EXPECT_EQ(c1.r, centre0.r + ((s[2] - centre0.r) >> 3));
    EXPECT_EQ(state.DestPixel(10, 20), corner0);

    ASSERT_EQ(PortionToDestination2(state, zone, &one, &two), ZoneOutcome::Redraw);
    EXPECT_EQ(Store(state), before);
    for (int n = 0; n < 8; ++n) PortionToDestination1(state, zone, &one, &two);
    EXPECT_EQ(state.DestPixel(60, 70), (Bgr{s[0], s[1], s[2]}));

    // Same zone drawn the other way round gives the same picture.
    const std::vector<std::uint8_t> eight = Store(state);
    state.RevertDestination();
    zone.ResetZone();
    zone.x1 = 10;
    zone.y1 = 20;
    zone.x2 = 110;
    zone.y2 = 120;
    EXPECT_EQ(PortionCommand(state, zone, &one, &two, +1, 8), ZoneOutcome::Redraw);
    EXPECT_EQ(Store(state), eight);
}

TEST(PortionMerge, NoZoneAsksTheQuestionAfterTheSnapshotAndZeroWidthBlendsNothing) {
    Random15 rng;
    SourceBuffer a(rng);
    const SourceImage one = a.Image(64, 64);
    WendralState state;
    Zone zone;
    test::FillDestination(state, 64, 64, rng);
    const std::vector<std::uint8_t> before = Store(state);
    EXPECT_EQ(PortionCommand(state, zone, &one, nullptr, +1, 3), ZoneOutcome::AskZoneQuestion);
    EXPECT_EQ(zone.PortionLevel, 0);
    EXPECT_EQ(state.DestModified, 1);
    EXPECT_EQ(0, std::memcmp(state.RestoreStore(), before.data(), before.size()));
    zone.x1 = zone.x2 = 30;
    zone.y1 = 5;
    zone.y2 = 50;
    EXPECT_EQ(PortionToDestination1(state, zone, &one, nullptr), ZoneOutcome::Redraw);
    EXPECT_EQ(Store(state), before);
}

TEST(PortionMerge, ClosedSourceIsNeverReadAndItsBlendBecomesTheNewBase) {
    Random15 rng;
    SourceBuffer a(rng), b(rng);
    const SourceImage one = a.Image(80, 80), two = b.Image(80, 80);
    WendralState state;
    Zone zone;
    test::FillDestination(state, 80, 60, rng);
    zone.x1 = 5;
    zone.y1 = 5;
    zone.x2 = 70;
    zone.y2 = 55;
    PortionCommand(state, zone, &one, &two, -1, 3);
    const std::vector<std::uint8_t> blended = Store(state);

    // Source 2 closes: a press towards 1 starts afresh from the blended picture.
    ASSERT_EQ(PortionToDestination1(state, zone, &one, nullptr), ZoneOutcome::Redraw);
    EXPECT_EQ(zone.PortionLevel, 1);
    EXPECT_EQ(0, std::memcmp(state.RestoreStore(), blended.data(), blended.size()));
    std::vector<std::uint8_t> want = blended;
    ReferenceRender(state, zone, one, want);
    EXPECT_EQ(Store(state), want);

    // Back to 0 needs no source; a press that would blend the closed one changes nothing.
    EXPECT_EQ(PortionToDestination2(state, zone, &one, nullptr), ZoneOutcome::Redraw);
    EXPECT_EQ(Store(state), blended);
    EXPECT_EQ(PortionToDestination2(state, zone, &one, nullptr), ZoneOutcome::Nothing);
    EXPECT_EQ(zone.PortionLevel, 0);
    const SourceImage closed{nullptr, 80, 80};
    EXPECT_EQ(PortionToDestination2(state, zone, &one, &closed), ZoneOutcome::Nothing);
    EXPECT_EQ(Store(state), blended);
}

TEST(PortionMerge, ZoneBeyondASmallerPictureIsCutToIt) {
    Random15 rng;
    SourceBuffer a(rng);
    const SourceImage one = a.Image(2048, 1536);
    WendralState state;
    Zone zone;
    test::FillDestination(state, 40, 30, rng);
    std::memset(state.DestinationStore() + state.DestBytes(), 0x77, kStoreBytes - state.DestBytes());
    zone.x1 = 20;
    zone.y1 = 10;
    zone.x2 = 1900;
    zone.y2 = 1400;
    EXPECT_EQ(PortionCommand(state, zone, &one, nullptr, +1, 8), ZoneOutcome::Redraw);
    for (std::size_t i = state.DestBytes(); i < kStoreBytes; i += 997) ASSERT_EQ(state.DestinationStore()[i], 0x77);
}

}  // namespace
}  // namespace wendral
