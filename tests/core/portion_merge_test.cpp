#include <gtest/gtest.h>

#include <cstring>
#include <vector>

#include "core/distortion_engine.h"
#include "merge_test_support.h"
#include "reference/merges.h"

namespace wendral {
namespace {

using test::SourceBuffer;

std::vector<std::uint8_t> Store(const WendralState& s) {
    return std::vector<std::uint8_t>(s.DestinationStore(), s.DestinationStore() + s.DestBytes());
}

TEST(PortionMerge, PressesMatchThePerPixelFormulaOnRandomZonesAndLevels) {
    Random15 rng;
    SourceBuffer a(rng), b(rng);
    const SourceImage one = a.Image(2048, 1536), two = b.Image(2048, 1536);
    WendralState state;
    Zone zone;
    DistortionEngine engine;
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
            const ZoneOutcome got =
                towardsOne ? engine.Press(Distortion::Portion1, state, zone, {&one, &two})
                           : engine.Press(Distortion::Portion2, state, zone, {&one, &two});
            ASSERT_EQ(got, ZoneOutcome::Redraw);
            ASSERT_EQ(0, std::memcmp(state.RestoreStore(), base.data(), base.size()));
            std::vector<std::uint8_t> want = base;
            if (zone.PortionLevel != 0)
                reference::Portion(state, zone, zone.PortionLevel > 0 ? one : two, want);
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
    DistortionEngine engine;
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
            engine.Press(towardsOne ? Distortion::Portion1 : Distortion::Portion2, state, zone,
                         {&one, &two});
            std::vector<std::uint8_t> want = base;
            if (zone.PortionLevel != 0)
                reference::Portion(state, zone, zone.PortionLevel > 0 ? one : two, want);
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
    DistortionEngine engine;
    test::FillDestination(state, 200, 150, rng);
    zone.x1 = 110;
    zone.y1 = 120;
    zone.x2 = 10;
    zone.y2 = 20;  // drawn from bottom-right to top-left
    zone.ColourLevel = 3;
    const std::vector<std::uint8_t> before = Store(state);
    const Bgr centre0 = state.DestPixel(60, 70), corner0 = state.DestPixel(10, 20);
    const std::uint8_t* s = one.At(60, 70);

    ASSERT_EQ(engine.Press(Distortion::Portion1, state, zone, {&one, &two}), ZoneOutcome::Redraw);
    EXPECT_EQ(zone.ColourLevel, 0);
    EXPECT_EQ(state.DestModified, 1);
    const Bgr c1 = state.DestPixel(60, 70);
    EXPECT_EQ(c1.b, centre0.b + ((s[0] - centre0.b) >> 3));
    EXPECT_EQ(c1.r, centre0.r + ((s[2] - centre0.r) >> 3));
    EXPECT_EQ(state.DestPixel(10, 20), corner0);

    ASSERT_EQ(engine.Press(Distortion::Portion2, state, zone, {&one, &two}), ZoneOutcome::Redraw);
    EXPECT_EQ(Store(state), before);
    for (int n = 0; n < 8; ++n) engine.Press(Distortion::Portion1, state, zone, {&one, &two});
    EXPECT_EQ(state.DestPixel(60, 70), (Bgr{s[0], s[1], s[2]}));

    // Same zone drawn the other way round gives the same picture.
    const std::vector<std::uint8_t> eight = Store(state);
    state.RevertDestination();
    zone.ResetZone();
    zone.x1 = 10;
    zone.y1 = 20;
    zone.x2 = 110;
    zone.y2 = 120;
    EXPECT_EQ(engine.Press(Distortion::Portion1, state, zone, {&one, &two}, 8),
              ZoneOutcome::Redraw);
    EXPECT_EQ(Store(state), eight);
}

TEST(PortionMerge, NoZoneAsksTheQuestionAfterTheSnapshotAndZeroWidthBlendsNothing) {
    Random15 rng;
    SourceBuffer a(rng);
    const SourceImage one = a.Image(64, 64);
    WendralState state;
    Zone zone;
    DistortionEngine engine;
    test::FillDestination(state, 64, 64, rng);
    const std::vector<std::uint8_t> before = Store(state);
    EXPECT_EQ(engine.Press(Distortion::Portion1, state, zone, {&one, nullptr}, 3),
              ZoneOutcome::AskZoneQuestion);
    EXPECT_EQ(zone.PortionLevel, 0);
    EXPECT_EQ(state.DestModified, 1);
    EXPECT_EQ(0, std::memcmp(state.RestoreStore(), before.data(), before.size()));
    zone.x1 = zone.x2 = 30;
    zone.y1 = 5;
    zone.y2 = 50;
    EXPECT_EQ(engine.Press(Distortion::Portion1, state, zone, {&one, nullptr}),
              ZoneOutcome::Redraw);
    EXPECT_EQ(Store(state), before);
}

TEST(PortionMerge, ClosedSourceIsNeverReadAndItsBlendBecomesTheNewBase) {
    Random15 rng;
    SourceBuffer a(rng), b(rng);
    const SourceImage one = a.Image(80, 80), two = b.Image(80, 80);
    WendralState state;
    Zone zone;
    DistortionEngine engine;
    test::FillDestination(state, 80, 60, rng);
    zone.x1 = 5;
    zone.y1 = 5;
    zone.x2 = 70;
    zone.y2 = 55;
    engine.Press(Distortion::Portion2, state, zone, {&one, &two}, 3);
    const std::vector<std::uint8_t> blended = Store(state);

    // Source 2 closes: a press towards 1 starts afresh from the blended picture.
    ASSERT_EQ(engine.Press(Distortion::Portion1, state, zone, {&one, nullptr}),
              ZoneOutcome::Redraw);
    EXPECT_EQ(zone.PortionLevel, 1);
    EXPECT_EQ(0, std::memcmp(state.RestoreStore(), blended.data(), blended.size()));
    std::vector<std::uint8_t> want = blended;
    reference::Portion(state, zone, one, want);
    EXPECT_EQ(Store(state), want);

    // Back to 0 needs no source; a press that would blend the closed one changes nothing.
    EXPECT_EQ(engine.Press(Distortion::Portion2, state, zone, {&one, nullptr}),
              ZoneOutcome::Redraw);
    EXPECT_EQ(Store(state), blended);
    EXPECT_EQ(engine.Press(Distortion::Portion2, state, zone, {&one, nullptr}),
              ZoneOutcome::Nothing);
    EXPECT_EQ(zone.PortionLevel, 0);
    const SourceImage closed{nullptr, 80, 80};
    EXPECT_EQ(engine.Press(Distortion::Portion2, state, zone, {&one, &closed}),
              ZoneOutcome::Nothing);
    EXPECT_EQ(Store(state), blended);
    // Held down from level 1, the key's first press (back to the base) still has the picture
    // redrawn although the next one changes nothing.
    engine.Press(Distortion::Portion1, state, zone, {&one, nullptr});
    EXPECT_EQ(engine.Press(Distortion::Portion2, state, zone, {&one, nullptr}, 2),
              ZoneOutcome::Redraw);
    EXPECT_EQ(zone.PortionLevel, 0);
    EXPECT_EQ(Store(state), blended);
}

TEST(PortionMerge, ZoneBeyondASmallerPictureIsCutToIt) {
    Random15 rng;
    SourceBuffer a(rng);
    const SourceImage one = a.Image(2048, 1536);
    WendralState state;
    Zone zone;
    DistortionEngine engine;
    test::FillDestination(state, 40, 30, rng);
    std::memset(state.DestinationStore() + state.DestBytes(), 0x77,
                kStoreBytes - state.DestBytes());
    zone.x1 = 20;
    zone.y1 = 10;
    zone.x2 = 1900;
    zone.y2 = 1400;
    EXPECT_EQ(engine.Press(Distortion::Portion1, state, zone, {&one, nullptr}, 8),
              ZoneOutcome::Redraw);
    for (std::size_t i = state.DestBytes(); i < kStoreBytes; i += 997)
        ASSERT_EQ(state.DestinationStore()[i], 0x77);
}

}  // namespace
}  // namespace wendral
