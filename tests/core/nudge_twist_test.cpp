#include "core/nudge_twist.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <random>
#include <vector>

#include "core/dest_state.h"
#include "core/zone.h"
#include "core/zone_in_picture.h"

namespace wendral {
namespace {

using Bytes = std::vector<std::uint8_t>;

std::size_t At(int x, int y, int w, int h) {
    return 3 * (static_cast<std::size_t>(h - 1 - y) * static_cast<std::size_t>(w) + static_cast<std::size_t>(x));
}

// The nudge written straight from its formula: every visited pixel's source position is
// recomputed from its own position with |L| steps.
void ReferenceNudge(const std::uint8_t* restore, std::uint8_t* dest, int W, int H, const Zone& z, bool vertical,
                    int L) {
    const int xmin = z.xmin(), xmax = z.xmax(), ymin = z.ymin(), ymax = z.ymax();
    const int xc = (xmin + xmax) / 2, yc = (ymin + ymax) / 2;
    auto copy = [&](int dx, int dy, int sx, int sy) { std::memcpy(dest + At(dx, dy, W, H), restore + At(sx, sy, W, H), 3); };
    if (vertical) {
        for (int x = xmin; x <= xmax - 1; ++x) {
            float w = 8.0f * static_cast<float>(x - xc) / static_cast<float>(xmax - xmin);
            float f = 1 + w * w * w * w;
            auto visit = [&](int y) {
                float J = static_cast<float>(y);
                const float fmin = static_cast<float>(ymin), fmax = static_cast<float>(ymax), fc = static_cast<float>(yc);
                for (int n = 0; n < std::abs(L); ++n) {
                    float d;
                    if (J > fc)
                        d = fmax - J;
                    else
                        d = J - fmin;
                    d = d / 32;
                    float s = d / f;
                    if (L > 0)
                        J = J + s;
                    else
                        J = J - s;
                }
                int sy = static_cast<int>(J);
                copy(x, y, x, sy);
            };
            if (L > 0)
                for (int y = ymin; y <= ymax - 1; ++y) visit(y);
            else
                for (int y = ymax; y >= ymin + 1; --y) visit(y);
        }
    } else {
        for (int y = ymin; y <= ymax - 1; ++y) {
            float w = 8.0f * static_cast<float>(y - yc) / static_cast<float>(ymax - ymin);
            float f = 1 + w * w * w * w;
            auto visit = [&](int x) {
                float J = static_cast<float>(x);
                const float fmin = static_cast<float>(xmin), fmax = static_cast<float>(xmax), fc = static_cast<float>(xc);
                for (int n = 0; n < std::abs(L); ++n) {
                    float d;
                    if (J > fc)
                        d = fmax - J;
                    else
                        d = J - fmin;
                    d = d / 32;
                    float s = d / f;
                    if (L > 0)
                        J = J + s;
                    else
                        J = J - s;
                }
                int sx = static_cast<int>(J);
                copy(x, y, sx, y);
            };
            if (L > 0)
                for (int x = xmin; x <= xmax - 1; ++x) visit(x);
            else
                for (int x = xmax; x >= xmin + 1; --x) visit(x);
        }
    }
}

// The twist written straight from its formula, in double precision, except at level 0: there
// the ellipse is copied back unchanged, since the formula's round trip through atan2, cos and sin
// truncates some pixels onto their neighbours even without any turn.
void ReferenceTwist(const std::uint8_t* restore, std::uint8_t* dest, int W, int Hgt, const Zone& z, double level) {
    const int xmin = z.xmin(), xmax = z.xmax(), ymin = z.ymin(), ymax = z.ymax();
    const int xc = (xmin + xmax) / 2, yc = (ymin + ymax) / 2;
    const double H = std::abs(static_cast<double>(z.y2 - z.y1));
    if (z.x2 == z.x1) return;  // no column is visited
    const double k = static_cast<double>(z.y2 - z.y1) / static_cast<double>(z.x2 - z.x1);
    for (int y = ymin; y <= ymax - 1; ++y) {
        const double dy = y - yc;
        for (int x = xmin; x <= xmax - 1; ++x) {
            const double dx = x - xc;
            const double r = std::sqrt((dx * k) * (dx * k) + dy * dy);
            const double m = H - 2 * r;
            if (m < 0) continue;
            if (level == 0.0) {
                std::memcpy(dest + At(x, y, W, Hgt), restore + At(x, y, W, Hgt), 3);
                continue;
            }
            const double q = (m / H) * (m / H);
            const double theta = std::atan2(dy, dx);
            const double rho = std::sqrt(dx * dx + dy * dy);
            const double phi = theta - 3.14159 * level * q / 8;
            const int sx = static_cast<int>(std::cos(phi) * rho + xc);
            const int sy = static_cast<int>(std::sin(phi) * rho + yc);
            if (0 <= sx && sx < W && 0 <= sy && sy < Hgt)
                std::memcpy(dest + At(x, y, W, Hgt), restore + At(sx, sy, W, Hgt), 3);
        }
    }
}

struct Bench {
    WendralState state;
    NudgeTwist engine;
    Zone zone;

    void Picture(int w, int h, std::mt19937& rng) {
        state.DestWidth = w;
        state.DestHeight = h;
        std::uint8_t* d = state.DestinationStore();
        for (std::size_t i = 0; i < state.DestBytes(); ++i) d[i] = static_cast<std::uint8_t>(rng());
        // A stale base: the first press must replace it.
        std::memset(state.RestoreStore(), 0xA5, state.DestBytes());
    }
    Bytes Dest() const { return Bytes(state.DestinationStore(), state.DestinationStore() + state.DestBytes()); }
    Bytes Restore() const { return Bytes(state.RestoreStore(), state.RestoreStore() + state.DestBytes()); }
};

constexpr ZoneCommand kAll[] = {ZoneCommand::NudgeDownward, ZoneCommand::NudgeUpward, ZoneCommand::NudgeRight,
                                ZoneCommand::NudgeLeft,     ZoneCommand::TwistRight,  ZoneCommand::TwistLeft};

bool IsTwist(ZoneCommand c) { return c == ZoneCommand::TwistRight || c == ZoneCommand::TwistLeft; }
bool IsVertical(ZoneCommand c) { return c == ZoneCommand::NudgeDownward || c == ZoneCommand::NudgeUpward; }

// Presses `c` once and checks every destination byte against the reference drawn from the base
// the engine now holds, at the level it now holds.
void PressAndCompare(Bench& b, ZoneCommand c) {
    Bytes expected = b.Dest();
    const ZoneOutcome outcome = b.engine.Run(c, b.state, b.zone);
    ASSERT_EQ(outcome, ZoneOutcome::Redraw);
    const Zone area = ZoneInPicture(b.zone, b.state.DestWidth, b.state.DestHeight);
    const int W = b.state.DestWidth, H = b.state.DestHeight;
    if (IsTwist(c))
        ReferenceTwist(b.state.RestoreStore(), expected.data(), W, H, area, b.zone.TwistLevel);
    else if (IsVertical(c))
        ReferenceNudge(b.state.RestoreStore(), expected.data(), W, H, area, true, b.zone.VerticalNudgeLevel);
    else
        ReferenceNudge(b.state.RestoreStore(), expected.data(), W, H, area, false, b.zone.HorizontalNudgeLevel);
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
        SCOPED_TRACE(::testing::Message() << W << "x" << H << " zone " << b.zone.x1 << "," << b.zone.y1 << " "
                                          << b.zone.x2 << "," << b.zone.y2);
        for (int run = 0; run < 10; ++run) {
            const ZoneCommand c = kAll[rng() % 6];
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
        ZoneCommand deeper, back;
    };
    for (const Walk walk : {Walk{ZoneCommand::NudgeUpward, ZoneCommand::NudgeDownward},
                            Walk{ZoneCommand::NudgeRight, ZoneCommand::NudgeLeft}}) {
        Bench b;
        b.Picture(72, 60, rng);
        SetCorners(b.zone, 3, 2, 69, 57, 3);
        for (int i = 0; i < 45; ++i) ASSERT_NO_FATAL_FAILURE(PressAndCompare(b, walk.deeper));
        for (int i = 0; i < 52; ++i) ASSERT_NO_FATAL_FAILURE(PressAndCompare(b, walk.back));
        for (int run = 0; run < 14; ++run) {
            const ZoneCommand c = rng() % 2 ? walk.deeper : walk.back;
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
    for (ZoneCommand c : {ZoneCommand::NudgeUpward, ZoneCommand::NudgeUpward, ZoneCommand::NudgeDownward,
                          ZoneCommand::NudgeLeft, ZoneCommand::NudgeRight, ZoneCommand::NudgeRight,
                          ZoneCommand::TwistRight, ZoneCommand::TwistRight})
        ASSERT_NO_FATAL_FAILURE(PressAndCompare(b, c));
}

// A wide flat zone takes some pixels from above and below its rectangle.
TEST(NudgeTwist, TwistOnAWideFlatZoneMatchesTheReference) {
    std::mt19937 rng(5);
    Bench b;
    b.Picture(840, 60, rng);
    SetCorners(b.zone, 20, 20, 820, 40, 2);
    for (int i = 0; i < 3; ++i) ASSERT_NO_FATAL_FAILURE(PressAndCompare(b, ZoneCommand::TwistRight));
    for (int i = 0; i < 5; ++i) ASSERT_NO_FATAL_FAILURE(PressAndCompare(b, ZoneCommand::TwistLeft));
}

TEST(NudgeTwist, OppositePressesGiveBackTheBasePictureExactly) {
    std::mt19937 rng(13);
    struct Pair {
        ZoneCommand there, back;
    };
    for (const Pair p : {Pair{ZoneCommand::NudgeUpward, ZoneCommand::NudgeDownward},
                         Pair{ZoneCommand::NudgeDownward, ZoneCommand::NudgeUpward},
                         Pair{ZoneCommand::NudgeLeft, ZoneCommand::NudgeRight},
                         Pair{ZoneCommand::NudgeRight, ZoneCommand::NudgeLeft},
                         Pair{ZoneCommand::TwistRight, ZoneCommand::TwistLeft},
                         Pair{ZoneCommand::TwistLeft, ZoneCommand::TwistRight}}) {
        Bench b;
        b.Picture(64, 48, rng);
        SetCorners(b.zone, 5, 4, 60, 44, static_cast<int>(rng() % 4));
        const Bytes base = b.Dest();
        const int n = 1 + static_cast<int>(rng() % 25);
        b.engine.Run(p.there, b.state, b.zone, n);
        EXPECT_NE(b.Dest(), base);
        b.engine.Run(p.back, b.state, b.zone, n);
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
    EXPECT_EQ(b.engine.Run(ZoneCommand::NudgeUpward, b.state, b.zone, 3), ZoneOutcome::Redraw);
    EXPECT_EQ(b.zone.VerticalNudgeLevel, 3);
    EXPECT_EQ(b.engine.Run(ZoneCommand::NudgeRight, b.state, b.zone, 2), ZoneOutcome::Redraw);
    EXPECT_EQ(b.zone.HorizontalNudgeLevel, -2);
    EXPECT_EQ(b.engine.Run(ZoneCommand::TwistLeft, b.state, b.zone, 4), ZoneOutcome::Redraw);
    EXPECT_EQ(b.zone.TwistLevel, -4.0);
    EXPECT_EQ(b.Dest(), before);
}

TEST(NudgeTwist, WithoutAZoneEveryCommandAsksAndChangesNoPixel) {
    std::mt19937 rng(19);
    for (ZoneCommand c : kAll) {
        Bench b;
        b.Picture(32, 24, rng);
        SetCorners(b.zone, 2, 9, 30, 9, 0);  // y1 = y2: several pixels wide, no zone
        b.zone.ImplodeLevel = 2;
        b.zone.ColourLevel = -1;
        b.zone.PortionLevel = 3;
        b.state.BrushingEnabled = 1;
        const Bytes picture = b.Dest();
        const Bytes oldBase = b.Restore();
        EXPECT_EQ(b.engine.Run(c, b.state, b.zone, 5), ZoneOutcome::AskZoneQuestion);
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
    EXPECT_EQ(b.engine.Run(ZoneCommand::NudgeUpward, b.state, b.zone, 0), ZoneOutcome::Nothing);
}

TEST(NudgeTwist, AnotherDistortionMakesTheCurrentResultTheBase) {
    std::mt19937 rng(23);
    Bench b;
    b.Picture(48, 40, rng);
    SetCorners(b.zone, 4, 4, 44, 36, 0);
    b.engine.Run(ZoneCommand::NudgeUpward, b.state, b.zone, 3);
    const Bytes afterUp = b.Dest();
    b.engine.Run(ZoneCommand::NudgeLeft, b.state, b.zone);  // the other axis starts afresh
    EXPECT_EQ(b.zone.VerticalNudgeLevel, 0);
    EXPECT_EQ(b.zone.HorizontalNudgeLevel, 1);
    EXPECT_EQ(b.Restore(), afterUp);
    const Bytes afterLeft = b.Dest();
    b.engine.Run(ZoneCommand::TwistRight, b.state, b.zone);
    EXPECT_EQ(b.zone.HorizontalNudgeLevel, 0);
    EXPECT_EQ(b.Restore(), afterLeft);
    b.engine.Run(ZoneCommand::TwistLeft, b.state, b.zone);  // the twist level carries over
    EXPECT_EQ(b.zone.TwistLevel, 0.0);
    EXPECT_EQ(b.Dest(), afterLeft);
    b.engine.Run(ZoneCommand::NudgeDownward, b.state, b.zone);
    EXPECT_EQ(b.zone.VerticalNudgeLevel, -1);
    EXPECT_EQ(b.Restore(), afterLeft);
}

// A zone from a larger picture works on its part inside the current one; one that lies wholly
// below the picture collapses onto the last row and is no zone.
TEST(NudgeTwist, ZoneFromALargerPictureIsClampedIntoTheCurrentOne) {
    std::mt19937 rng(29);
    for (ZoneCommand c : kAll) {
        Bench b;
        b.Picture(36, 20, rng);
        SetCorners(b.zone, 10, 5, 60, 45, 1);
        ASSERT_NO_FATAL_FAILURE(PressAndCompare(b, c));
        ASSERT_NO_FATAL_FAILURE(PressAndCompare(b, c));
        SetCorners(b.zone, 3, 30, 30, 44, 0);
        EXPECT_EQ(b.engine.Run(c, b.state, b.zone), ZoneOutcome::AskZoneQuestion);
    }
    Bench empty;
    SetCorners(empty.zone, 0, 0, 10, 10, 0);
    EXPECT_EQ(empty.engine.Run(ZoneCommand::TwistRight, empty.state, empty.zone), ZoneOutcome::AskZoneQuestion);
}

}  // namespace
}  // namespace wendral
