#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <random>
#include <vector>

#include "core/dest_state.h"
#include "core/distortion_engine.h"
#include "core/zone.h"
#include "core/zone_in_picture.h"
#include "reference/zone_distortions.h"

namespace wendral {
namespace {

using Bytes = std::vector<std::uint8_t>;

struct Bench {
    WendralState state;
    DistortionEngine engine;
    Zone zone;

    void Picture(int w, int h, std::mt19937& rng) {
        state.DestWidth = w;
        state.DestHeight = h;
        std::uint8_t* d = state.DestinationStore();
        for (std::size_t i = 0; i < state.DestBytes(); ++i) d[i] = static_cast<std::uint8_t>(rng());
        // A stale base: the first press must replace it.
        std::memset(state.RestoreStore(), 0xA5, state.DestBytes());
    }
    Bytes Dest() const {
        return Bytes(state.DestinationStore(), state.DestinationStore() + state.DestBytes());
    }
    Bytes Restore() const {
        return Bytes(state.RestoreStore(), state.RestoreStore() + state.DestBytes());
    }
};

constexpr Distortion kAll[] = {Distortion::NudgeDownward, Distortion::NudgeUpward,
                               Distortion::NudgeRight,    Distortion::NudgeLeft,
                               Distortion::TwistRight,    Distortion::TwistLeft};

bool IsTwist(Distortion c) {
    return c == Distortion::TwistRight || c == Distortion::TwistLeft;
}
bool IsVertical(Distortion c) {
    return c == Distortion::NudgeDownward || c == Distortion::NudgeUpward;
}

// Presses `c` once and checks every destination byte against the reference drawn from the base
// the engine now holds, at the level it now holds.
void PressAndCompare(Bench& b, Distortion c) {
    Bytes expected = b.Dest();
    const ZoneOutcome outcome = b.engine.Press(c, b.state, b.zone);
    ASSERT_EQ(outcome, ZoneOutcome::Redraw);
    const Zone area = ZoneInPicture(b.zone, b.state.DestWidth, b.state.DestHeight);
    const int W = b.state.DestWidth, H = b.state.DestHeight;
    if (IsTwist(c))
        reference::Twist(b.state.RestoreStore(), expected.data(), W, H, area, b.zone.TwistLevel);
    else if (IsVertical(c))
        reference::Nudge(b.state.RestoreStore(), expected.data(), W, H, area, true,
                         b.zone.VerticalNudgeLevel);
    else
        reference::Nudge(b.state.RestoreStore(), expected.data(), W, H, area, false,
                         b.zone.HorizontalNudgeLevel);
    ASSERT_EQ(b.Dest(), expected);
}

// Corners of a rectangle handed over in one of the four orders the mouse can give.
void SetCorners(Zone& z, int xa, int ya, int xb, int yb, int order) {
    z.ResetZone();
    z.x1 = order & 1 ? xb : xa;
    z.x2 = order & 1 ? xa : xb;
    z.y1 = order & 2 ? yb : ya;
    z.y2 = order & 2 ? ya : yb;
}

TEST(NudgeTwist, RandomZonesAndPressSequencesMatchTheReference) {
    std::mt19937 rng(7);
    for (int round = 0; round < 48; ++round) {
        Bench b;
        const int W = 8 + static_cast<int>(rng() % 60), H = 6 + static_cast<int>(rng() % 50);
        b.Picture(W, H, rng);
        auto coord = [&](int extent) {
            const unsigned r = rng() % 8;
            return r == 0 ? 0 : r == 1 ? extent - 1 : static_cast<int>(rng() % extent);
        };
        const int xa = coord(W), ya = coord(H);
        int xb = rng() % 6 == 0 ? xa : coord(W);  // now and then one pixel wide
        int yb = coord(H);
        if (yb == ya) yb = ya == 0 ? H - 1 : 0;
        SetCorners(b.zone, xa, ya, xb, yb, round % 4);
        SCOPED_TRACE(::testing::Message() << W << "x" << H << " zone " << b.zone.x1 << ","
                                          << b.zone.y1 << " " << b.zone.x2 << "," << b.zone.y2);
        for (int run = 0; run < 10; ++run) {
            const Distortion c = kAll[rng() % 6];
            const int n = 1 + static_cast<int>(rng() % 9);
            for (int i = 0; i < n; ++i) ASSERT_NO_FATAL_FAILURE(PressAndCompare(b, c));
        }
    }
}

// Deep levels walk through the checkpoints: forward, all the way back past 0, and random
// back-and-forth walks, on both axes.
TEST(NudgeTwist, DeepNudgeLevelsForwardAndBackMatchTheReference) {
    std::mt19937 rng(11);
    struct Walk {
        Distortion deeper, back;
    };
    for (const Walk walk : {Walk{Distortion::NudgeUpward, Distortion::NudgeDownward},
                            Walk{Distortion::NudgeRight, Distortion::NudgeLeft}}) {
        Bench b;
        b.Picture(72, 60, rng);
        SetCorners(b.zone, 3, 2, 69, 57, 3);
        for (int i = 0; i < 45; ++i) ASSERT_NO_FATAL_FAILURE(PressAndCompare(b, walk.deeper));
        for (int i = 0; i < 52; ++i) ASSERT_NO_FATAL_FAILURE(PressAndCompare(b, walk.back));
        for (int run = 0; run < 14; ++run) {
            const Distortion c = rng() % 2 ? walk.deeper : walk.back;
            const int n = 1 + static_cast<int>(rng() % 15);
            for (int i = 0; i < n; ++i) ASSERT_NO_FATAL_FAILURE(PressAndCompare(b, c));
        }
    }
}

// The largest zone fills every cache to capacity.
TEST(NudgeTwist, FullSizePictureWithFullZoneMatchesTheReference) {
    std::mt19937 rng(3);
    Bench b;
    b.Picture(kMaxWidth, kMaxHeight, rng);
    SetCorners(b.zone, 0, 0, kMaxWidth - 1, kMaxHeight - 1, 1);
    for (Distortion c : {Distortion::NudgeUpward, Distortion::NudgeUpward,
                         Distortion::NudgeDownward, Distortion::NudgeLeft, Distortion::NudgeRight,
                         Distortion::NudgeRight, Distortion::TwistRight, Distortion::TwistRight})
        ASSERT_NO_FATAL_FAILURE(PressAndCompare(b, c));
}

// A wide flat zone takes some pixels from above and below its rectangle.
TEST(NudgeTwist, TwistOnAWideFlatZoneMatchesTheReference) {
    std::mt19937 rng(5);
    Bench b;
    b.Picture(840, 60, rng);
    SetCorners(b.zone, 20, 20, 820, 40, 2);
    for (int i = 0; i < 3; ++i) ASSERT_NO_FATAL_FAILURE(PressAndCompare(b, Distortion::TwistRight));
    for (int i = 0; i < 5; ++i) ASSERT_NO_FATAL_FAILURE(PressAndCompare(b, Distortion::TwistLeft));
}

TEST(NudgeTwist, OppositePressesGiveBackTheBasePictureExactly) {
    std::mt19937 rng(13);
    struct Pair {
        Distortion there, back;
    };
    for (const Pair p : {Pair{Distortion::NudgeUpward, Distortion::NudgeDownward},
                         Pair{Distortion::NudgeDownward, Distortion::NudgeUpward},
                         Pair{Distortion::NudgeLeft, Distortion::NudgeRight},
                         Pair{Distortion::NudgeRight, Distortion::NudgeLeft},
                         Pair{Distortion::TwistRight, Distortion::TwistLeft},
                         Pair{Distortion::TwistLeft, Distortion::TwistRight}}) {
        Bench b;
        b.Picture(64, 48, rng);
        SetCorners(b.zone, 5, 4, 60, 44, static_cast<int>(rng() % 4));
        const Bytes base = b.Dest();
        const int n = 1 + static_cast<int>(rng() % 25);
        b.engine.Press(p.there, b.state, b.zone, {}, n);
        EXPECT_NE(b.Dest(), base);
        b.engine.Press(p.back, b.state, b.zone, {}, n);
        EXPECT_EQ(b.Dest(), base);
        EXPECT_EQ(b.Restore(), base);
    }
}

TEST(NudgeTwist, OnePixelWideZoneChangesNoPixelButCountsThePresses) {
    std::mt19937 rng(17);
    Bench b;
    b.Picture(40, 30, rng);
    SetCorners(b.zone, 12, 3, 12, 25, 0);
    const Bytes before = b.Dest();
    EXPECT_EQ(b.engine.Press(Distortion::NudgeUpward, b.state, b.zone, {}, 3), ZoneOutcome::Redraw);
    EXPECT_EQ(b.zone.VerticalNudgeLevel, 3);
    EXPECT_EQ(b.engine.Press(Distortion::NudgeRight, b.state, b.zone, {}, 2), ZoneOutcome::Redraw);
    EXPECT_EQ(b.zone.HorizontalNudgeLevel, -2);
    EXPECT_EQ(b.engine.Press(Distortion::TwistLeft, b.state, b.zone, {}, 4), ZoneOutcome::Redraw);
    EXPECT_EQ(b.zone.TwistLevel, -4.0);
    EXPECT_EQ(b.Dest(), before);
}

TEST(NudgeTwist, WithoutAZoneEveryCommandAsksAndChangesNoPixel) {
    std::mt19937 rng(19);
    for (Distortion c : kAll) {
        Bench b;
        b.Picture(32, 24, rng);
        SetCorners(b.zone, 2, 9, 30, 9, 0);  // y1 = y2: several pixels wide, no zone
        b.zone.ImplodeLevel = 2;
        b.zone.ColourLevel = -1;
        b.zone.PortionLevel = 3;
        b.state.BrushingEnabled = 1;
        const Bytes picture = b.Dest();
        const Bytes oldBase = b.Restore();
        EXPECT_EQ(b.engine.Press(c, b.state, b.zone, {}, 5), ZoneOutcome::AskZoneQuestion);
        EXPECT_EQ(b.Dest(), picture);
        EXPECT_EQ(b.state.DestModified, 1);
        EXPECT_EQ(b.state.BrushingEnabled, 1);
        EXPECT_EQ(b.zone.ImplodeLevel + b.zone.ColourLevel + b.zone.PortionLevel, 0);
        EXPECT_EQ(b.zone.VerticalNudgeLevel + b.zone.HorizontalNudgeLevel, 0);
        EXPECT_EQ(b.zone.TwistLevel, 0.0);
        // A twist takes its base before it looks for the zone, a nudge after.
        EXPECT_EQ(b.Restore(), IsTwist(c) ? picture : oldBase);
    }
    Bench b;
    EXPECT_EQ(b.engine.Press(Distortion::NudgeUpward, b.state, b.zone, {}, 0),
              ZoneOutcome::Nothing);
}

TEST(NudgeTwist, AnotherDistortionMakesTheCurrentResultTheBase) {
    std::mt19937 rng(23);
    Bench b;
    b.Picture(48, 40, rng);
    SetCorners(b.zone, 4, 4, 44, 36, 0);
    b.engine.Press(Distortion::NudgeUpward, b.state, b.zone, {}, 3);
    const Bytes afterUp = b.Dest();
    b.engine.Press(Distortion::NudgeLeft, b.state, b.zone);  // the other axis starts afresh
    EXPECT_EQ(b.zone.VerticalNudgeLevel, 0);
    EXPECT_EQ(b.zone.HorizontalNudgeLevel, 1);
    EXPECT_EQ(b.Restore(), afterUp);
    const Bytes afterLeft = b.Dest();
    b.engine.Press(Distortion::TwistRight, b.state, b.zone);
    EXPECT_EQ(b.zone.HorizontalNudgeLevel, 0);
    EXPECT_EQ(b.Restore(), afterLeft);
    b.engine.Press(Distortion::TwistLeft, b.state, b.zone);  // the twist level carries over
    EXPECT_EQ(b.zone.TwistLevel, 0.0);
    EXPECT_EQ(b.Dest(), afterLeft);
    b.engine.Press(Distortion::NudgeDownward, b.state, b.zone);
    EXPECT_EQ(b.zone.VerticalNudgeLevel, -1);
    EXPECT_EQ(b.Restore(), afterLeft);
}

// A zone from a larger picture works on its part inside the current one; one that lies wholly
// below the picture collapses onto the last row and is no zone.
TEST(NudgeTwist, ZoneFromALargerPictureIsClampedIntoTheCurrentOne) {
    std::mt19937 rng(29);
    for (Distortion c : kAll) {
        Bench b;
        b.Picture(36, 20, rng);
        SetCorners(b.zone, 10, 5, 60, 45, 1);
        ASSERT_NO_FATAL_FAILURE(PressAndCompare(b, c));
        ASSERT_NO_FATAL_FAILURE(PressAndCompare(b, c));
        SetCorners(b.zone, 3, 30, 30, 44, 0);
        EXPECT_EQ(b.engine.Press(c, b.state, b.zone), ZoneOutcome::AskZoneQuestion);
    }
    Bench empty;
    SetCorners(empty.zone, 0, 0, 10, 10, 0);
    EXPECT_EQ(empty.engine.Press(Distortion::TwistRight, empty.state, empty.zone),
              ZoneOutcome::AskZoneQuestion);
}

}  // namespace
}  // namespace wendral
