#include "core/rotate.h"

#include <gtest/gtest.h>

#include <cstring>
#include <vector>

#include "merge_test_support.h"
#include "reference/effects.h"

namespace wendral {
namespace {

TEST(RotateDestination, MatchesThePerPixelFormulaAndBlackensWhatNothingTurnsInto) {
    Random15 rng;
    WendralState state;
    Zone zone;
    // The last two: the full picture, and an angle so large that theta keeps few fraction bits.
    const int angles[] = {0, 1, 30, 90, 179, 200, 359, 360, -45, rng.Next() % 360, 30, 2147483647};
    for (int n = 0; n < 12; ++n) {
        const int angle = angles[n];
        const bool full = n == 10;
        const int w = full ? kMaxWidth : 4 * (1 + rng.Next() % 40),
                  h = full ? kMaxHeight : 1 + rng.Next() % 130;
        test::FillDestination(state, w, h, rng);
        if (!full) std::memset(state.DestinationStore() + state.DestBytes(), 0x33, 999);
        state.SnapshotDestination();
        zone.x1 = 1;
        zone.y1 = 2;
        zone.x2 = 3;
        zone.y2 = 4;
        state.BrushingEnabled = 1;
        ASSERT_EQ(RotateDestination(state, zone, angle), ZoneOutcome::Redraw);
        for (int y = 0; y < h; ++y)
            for (int x = 0; x < w; ++x)
                ASSERT_EQ(state.DestPixel(x, y), reference::RotatedPixel(state, angle, x, y))
                    << angle << " at " << x << "," << y;
        if (!full) {
            EXPECT_EQ(state.DestinationStore()[state.DestBytes()], 0);
        }
        EXPECT_FALSE(zone.HasZone());
        EXPECT_EQ(state.DestModified, 1);
        EXPECT_EQ(state.BrushingEnabled, 0);
        if (angle == 0) {
            EXPECT_EQ(
                0, std::memcmp(state.DestinationStore(), state.RestoreStore(), state.DestBytes()));
        }
    }
}

TEST(RotateDestination, QuarterTurnOfAWidePictureLeavesBandsAboveAndBelow) {
    Random15 rng;
    WendralState state;
    Zone zone;
    test::FillDestination(state, 200, 40, rng);
    for (std::size_t i = 0; i < state.DestBytes(); ++i)
        state.DestinationStore()[i] |= 1;  // no black pixel
    state.SnapshotDestination();
    RotateDestination(state, zone, 90);
    EXPECT_NE(state.DestPixel(100, 20).g, 0);
    EXPECT_EQ(state.DestPixel(0, 20), (Bgr{0, 0, 0}));
    EXPECT_EQ(state.DestPixel(199, 20), (Bgr{0, 0, 0}));
}

TEST(RotateDial, PointsOnTheRingGiveAnglesAndOthersNothing) {
    EXPECT_EQ(PointToAngle(108, 113), 0);
    EXPECT_EQ(PointToAngle(156, 161), 90);
    EXPECT_EQ(PointToAngle(108, 209), 180);
    EXPECT_EQ(PointToAngle(60, 161), 270);
    EXPECT_EQ(PointToAngle(70, 130), 310);
    EXPECT_EQ(PointToAngle(108, 106), std::nullopt);
    EXPECT_EQ(PointToAngle(108, 122), std::nullopt);
    EXPECT_EQ(PointToAngle(2000000000, -2000000000), std::nullopt);

    const MarkerBox top = RotateMarkerBox(RotateMarkerAngle(0));
    const MarkerBox right = RotateMarkerBox(RotateMarkerAngle(90));
    const MarkerBox bottom = RotateMarkerBox(RotateMarkerAngle(180));
    EXPECT_LT(top.top, bottom.top);
    EXPECT_GT(right.left, top.left);
    EXPECT_EQ(top.left, 104);
    EXPECT_EQ(top.top, 157 - 47);  // 48 x sin(1.570795) truncates to 47
    EXPECT_EQ(top.right - top.left, 12);
}

TEST(RotateDestination, ScriptRotationSnapshotsFirstAndReportsTheRange) {
    Random15 rng;
    WendralState state;
    Zone zone;
    test::FillDestination(state, 64, 48, rng);
    const std::vector<std::uint8_t> before(state.DestinationStore(),
                                           state.DestinationStore() + state.DestBytes());
    Messages out;
    EXPECT_EQ(RotateCommand(state, zone, 0, out), ZoneOutcome::Redraw);
    EXPECT_TRUE(out.empty());
    EXPECT_EQ(0, std::memcmp(before.data(), state.DestinationStore(), before.size()));
    RotateCommand(state, zone, 360, out);
    ASSERT_EQ(out.size(), 1u);
    EXPECT_EQ(out[0], "Please enter an integer between 0 and 359.");
    RotateCommand(state, zone, 2000000000, out);  // no overflow in the angle
    EXPECT_EQ(out.size(), 2u);
}

}  // namespace
}  // namespace wendral
