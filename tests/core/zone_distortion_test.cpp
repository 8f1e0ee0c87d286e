#include <gtest/gtest.h>

#include <climits>
#include <cstring>
#include <random>
#include <vector>

#include "core/distortion_engine.h"
#include "core/ellipse_renderer.h"
#include "reference/zone_distortions.h"

namespace wendral {
namespace {

struct Family {
    const char* name;
    Distortion up, down;  // the keys that step the level by +1 and by -1
    ZoneOutcome (*slow)(WendralState&, Zone&, int);

    ZoneOutcome Fast(DistortionEngine& engine, WendralState& s, Zone& z, int step) const {
        return engine.Press(step > 0 ? up : down, s, z);
    }
};
const Family kRadial{"radial", Distortion::Explode, Distortion::Implode, reference::Radial};
const Family kPull{"pull", Distortion::Converge, Distortion::Diverge, reference::Pull};
const Family kFamilies[] = {kRadial, kPull};

Zone RandomZone(std::mt19937& rng, int width, int height) {
    std::uniform_int_distribution<int> xs(0, width - 1), ys(0, height - 1);
    Zone z;
    z.x1 = xs(rng);
    z.x2 = xs(rng);
    z.y1 = ys(rng);
    z.y2 = ys(rng);
    return z;
}

// Runs the same presses on two copies of one picture, the fast form on one and the reference
// on the other, and compares every byte of the stores after each press.
void ExpectSamePresses(DistortionEngine& engine, const Family& f, int width, int height, Zone zone,
                       const std::vector<int>& steps, std::uint32_t seed,
                       Bgr reference = Bgr{127, 127, 127}) {
    static WendralState fast, slow;
    std::mt19937 a(seed), b(seed);
    reference::RandomPicture(fast, width, height, a);
    reference::RandomPicture(slow, width, height, b);
    fast.ReferenceColour = slow.ReferenceColour = reference;
    Zone zf = zone, zs = zone;
    for (std::size_t i = 0; i < steps.size(); ++i) {
        const ZoneOutcome of = f.Fast(engine, fast, zf, steps[i]);
        const ZoneOutcome os = f.slow(slow, zs, steps[i]);
        ASSERT_EQ(of, os);
        ASSERT_EQ(zf.ImplodeLevel, zs.ImplodeLevel);
        ASSERT_EQ(zf.ColourLevel, zs.ColourLevel);
        ASSERT_TRUE(reference::SameStores(fast, slow))
            << f.name << " " << width << "x" << height << " zone (" << zone.x1 << "," << zone.y1
            << ")-(" << zone.x2 << "," << zone.y2 << ") press " << i;
    }
}

TEST(ZoneDistortion, FastFormsMatchTheFormulaOnRandomPicturesZonesAndPresses) {
    std::mt19937 rng(20240611);
    DistortionEngine engine;
    for (const Family& f : kFamilies) {
        for (int trial = 0; trial < 40; ++trial) {
            const int width = 4 * std::uniform_int_distribution<int>(1, 40)(rng);
            const int height = std::uniform_int_distribution<int>(2, 120)(rng);
            const Zone zone = RandomZone(rng, width, height);
            std::vector<int> steps;
            // Runs of one direction with turns, through level 0 and past it.
            int dir = rng() % 2 ? 1 : -1;
            for (int i = 0, n = 4 + rng() % 14; i < n; ++i) {
                if (rng() % 4 == 0) dir = -dir;
                steps.push_back(dir);
            }
            ExpectSamePresses(
                engine, f, width, height, zone, steps, rng(),
                Bgr{static_cast<std::uint8_t>(rng()), static_cast<std::uint8_t>(rng()),
                    static_cast<std::uint8_t>(rng())});
        }
    }
}

TEST(ZoneDistortion, FastFormsMatchOnLargeZonesAndAtDeepLevels) {
    DistortionEngine engine;
    for (const Family& f : kFamilies) {
        ExpectSamePresses(engine, f, 640, 480, Zone{.x1 = 639, .y1 = 479, .x2 = 0, .y2 = 0},
                          {1, 1, 1, -1, -1, -1, -1, -1}, 7);
        ExpectSamePresses(engine, f, 400, 60, Zone{.x1 = 3, .y1 = 59, .x2 = 396, .y2 = 1},
                          std::vector<int>(12, -1), 8);
        // The widest picture, so that the largest column offsets from the centre are met.
        ExpectSamePresses(engine, f, kMaxWidth, 40,
                          Zone{.x1 = 0, .y1 = 0, .x2 = kMaxWidth - 1, .y2 = 39}, {1, 1, -1, -1, -1},
                          9);
    }
    // Deep levels: implode's factor overflows to infinity at the centre and explode's reaches 0;
    // diverge's products leave the int range. Every position is tested before it is converted.
    for (int preset : {-7000, 7000}) {
        static WendralState fast, slow;
        std::mt19937 a(3), b(3);
        reference::RandomPicture(fast, 64, 48, a);
        reference::RandomPicture(slow, 64, 48, b);
        Zone zf{.x1 = 2, .y1 = 3, .x2 = 60, .y2 = 45};
        Zone zs = zf;
        zf.ImplodeLevel = zs.ImplodeLevel = preset;
        fast.SnapshotDestination();
        slow.SnapshotDestination();
        for (int step : {-1, 1, 1}) {
            kRadial.Fast(engine, fast, zf, step);
            reference::Radial(slow, zs, step);
            ASSERT_TRUE(reference::SameStores(fast, slow)) << preset << " " << step;
        }
        zf.ColourLevel = zs.ColourLevel = preset * 300000;
        for (int step : {-1, 1}) {
            kPull.Fast(engine, fast, zf, step);
            reference::Pull(slow, zs, step);
            ASSERT_TRUE(reference::SameStores(fast, slow)) << preset << " " << step;
        }
    }
}

// Converge, diverge, implode and explode give the formula's bytes with every loop a processor
// may run: near the reference colour and where diverge's products meet their limit; at shallow
// levels and where implode's factors overflow, over a zone whose rows split unevenly around
// the centre.
TEST(ZoneDistortion, ColourPullAndRadialGiveTheFormulaOnEveryInstructionSet) {
    for (const InstructionSet set :
         {InstructionSet::Portable, InstructionSet::Sse2, InstructionSet::Avx2}) {
        PullRenderer pull(set);
        RadialRenderer radial(set);
        for (const int preset : {4, -6, -2100000, 2100000, 9, -3, -7000}) {
            const bool radialLevel = preset > -10000 && preset < 10000;
            static WendralState fast, slow;
            std::mt19937 a(11), b(11);
            reference::RandomPicture(fast, 300, 90, a);
            reference::RandomPicture(slow, 300, 90, b);
            fast.ReferenceColour = slow.ReferenceColour = Bgr{30, 128, 220};
            const Zone zone{.x1 = 3, .y1 = 85, .x2 = 290, .y2 = 2};
            Zone zs = zone, zr = zone;
            zs.ColourLevel = preset;
            zr.ImplodeLevel = preset;
            fast.SnapshotDestination();
            slow.SnapshotDestination();
            const int step = preset > 0 ? 1 : -1;
            reference::Pull(slow, zs, step);
            pull.Render(fast, zone, preset + step);
            ASSERT_TRUE(reference::SameStores(fast, slow))
                << static_cast<int>(set) << " pull at level " << preset + step;
            if (!radialLevel) continue;
            reference::Radial(slow, zr, step);
            radial.Render(fast, zone, preset + step);
            ASSERT_TRUE(reference::SameStores(fast, slow))
                << static_cast<int>(set) << " radial at level " << preset + step;
        }
    }
}

// Two pictures with the same zone at different levels, pressed in turn, through one engine
// and through one engine each (two destination views): whatever one press leaves behind for the
// next must not leak into the other's picture.
TEST(ZoneDistortion, InterleavedPicturesWithOneZoneStayExact) {
    static WendralState fastA, fastB, slowA, slowB;
    for (const bool twoEngines : {false, true}) {
        DistortionEngine first, second;
        DistortionEngine& engineA = first;
        DistortionEngine& engineB = twoEngines ? second : first;
        std::mt19937 r1(1), r2(1), r3(2), r4(2);
        reference::RandomPicture(fastA, 96, 80, r1);
        reference::RandomPicture(slowA, 96, 80, r2);
        reference::RandomPicture(fastB, 96, 80, r3);
        reference::RandomPicture(slowB, 96, 80, r4);
        const Zone zone{.x1 = 90, .y1 = 5, .x2 = 4, .y2 = 77};
        for (const Family& f : kFamilies) {
            Zone zfa = zone, zsa = zone, zfb = zone, zsb = zone;
            const int sa[] = {1, 1, 1, 1, -1, 1, 1}, sb[] = {1, -1, -1, 1, 1, 1, 1};
            for (int i = 0; i < 7; ++i) {
                f.Fast(engineA, fastA, zfa, sa[i]);
                f.slow(slowA, zsa, sa[i]);
                f.Fast(engineB, fastB, zfb, sb[i]);
                f.slow(slowB, zsb, sb[i]);
                ASSERT_TRUE(reference::SameStores(fastA, slowA))
                    << f.name << " " << i << " " << twoEngines;
                ASSERT_TRUE(reference::SameStores(fastB, slowB))
                    << f.name << " " << i << " " << twoEngines;
            }
        }
    }
}

// A zone kept from a larger picture: its geometry stays, its work is cut to the picture, and
// nothing past the picture's bytes in either store changes.
TEST(ZoneDistortion, StaleZoneLargerThanThePictureStaysInsideIt) {
    const Zone zones[] = {
        {.x1 = -50, .y1 = -20, .x2 = 100, .y2 = 90},
        {.x1 = 2040, .y1 = 1500, .x2 = 10, .y2 = 4},
        {.x1 = 30, .y1 = 1, .x2 = 3000, .y2 = 2000},
        {.x1 = 5, .y1 = -100, .x2 = 35, .y2 = 20}};  // the centre above the picture
    DistortionEngine engine;
    for (const Family& f : kFamilies)
        for (const Zone& z : zones)
            ExpectSamePresses(engine, f, 40, 30, z, {1, 1, -1, -1, -1, 1}, 11);

    static WendralState s;
    std::mt19937 rng(5);
    reference::RandomPicture(s, 40, 30, rng, 0x5A);
    std::memset(s.RestoreStore(), 0x5A, kStoreBytes);
    Zone z = zones[1];
    for (int i = 0; i < 3; ++i) {
        engine.Press(Distortion::Implode, s, z);
        engine.Press(Distortion::Diverge, s, z);
    }
    for (std::size_t i = s.DestBytes(); i < kStoreBytes; i += 997) {
        ASSERT_EQ(s.DestinationStore()[i], 0x5A) << i;
        ASSERT_EQ(s.RestoreStore()[i], 0x5A) << i;
    }
}

TEST(ZoneDistortion, OppositePressesGiveBackTheBasePictureExactly) {
    std::mt19937 rng(99);
    static WendralState s;
    DistortionEngine engine;
    for (const Family& f : kFamilies) {
        for (int trial = 0; trial < 25; ++trial) {
            const int width = 4 * std::uniform_int_distribution<int>(1, 50)(rng);
            const int height = std::uniform_int_distribution<int>(2, 150)(rng);
            reference::RandomPicture(s, width, height, rng);
            std::vector<std::uint8_t> base(s.DestinationStore(),
                                           s.DestinationStore() + s.DestBytes());
            Zone z = RandomZone(rng, width, height);
            const int dir = trial % 2 ? 1 : -1;
            const int n = 1 + trial % 6;
            for (int i = 0; i < n; ++i) f.Fast(engine, s, z, dir);
            for (int i = 0; i < n; ++i) f.Fast(engine, s, z, -dir);
            ASSERT_EQ(std::memcmp(s.DestinationStore(), base.data(), base.size()), 0)
                << f.name << " " << trial;
        }
    }
}

TEST(ZoneDistortion, PixelsOfTheReferenceColourNeverChange) {
    static WendralState s;
    std::mt19937 rng(4);
    reference::RandomPicture(s, 80, 60, rng);
    s.ReferenceColour = Bgr{10, 200, 99};
    for (int y = 0; y < 60; y += 3)
        for (int x = y % 5; x < 80; x += 4)
            std::memcpy(s.DestinationStore() + s.DestOffset(x, y), &s.ReferenceColour, 3);
    const std::vector<std::uint8_t> before(s.DestinationStore(),
                                           s.DestinationStore() + s.DestBytes());
    Zone z{.x1 = 79, .y1 = 0, .x2 = 0, .y2 = 59};
    DistortionEngine engine;
    for (int step : {1, 1, 1, 1, 1, -1, -1, -1, -1, -1, -1, -1, -1, -1, -1, -1, -1, -1, -1}) {
        kPull.Fast(engine, s, z, step);
        for (int y = 0; y < 60; y += 3)
            for (int x = y % 5; x < 80; x += 4)
                ASSERT_EQ(s.DestPixel(x, y), s.ReferenceColour)
                    << x << "," << y << " level " << z.ColourLevel;
    }
    // Diverge pushed the other pixels of the ellipse somewhere.
    EXPECT_NE(std::memcmp(s.DestinationStore(), before.data(), before.size()), 0);
}

TEST(ZoneDistortion, KnownValuesAtTheCentre) {
    static WendralState s;
    s.DestWidth = 120;
    s.DestHeight = 100;
    // White picture, grey reference: one converge moves the centre a fifth of the way.
    std::memset(s.DestinationStore(), 255, s.DestBytes());
    Zone z{.x1 = 10, .y1 = 0, .x2 = 110, .y2 = 100};
    DistortionEngine engine;
    ASSERT_EQ(engine.Press(Distortion::Converge, s, z), ZoneOutcome::Redraw);
    EXPECT_EQ(s.DestPixel(60, 50), (Bgr{230, 230, 230}));
    EXPECT_EQ(s.DestPixel(60, 0), (Bgr{255, 255, 255}));  // on the rim
    EXPECT_EQ(s.DestPixel(11, 1), (Bgr{255, 255, 255}));  // corner outside the ellipse
    z.ColourLevel = 0;
    engine.Press(Distortion::Diverge, s, z);
    // From the new base, a quarter further away: 230 + 25.75 truncated.
    EXPECT_EQ(s.DestPixel(60, 50), (Bgr{255, 255, 255}));

    // A picture whose blue byte is its column: one explode on a circle of diameter 100 makes the
    // pixel 40 to the right of the centre take the colour from 39 to the right.
    for (int y = 0; y < 100; ++y)
        for (int x = 0; x < 120; ++x) {
            const std::uint8_t px[3] = {static_cast<std::uint8_t>(x), 0, 0};
            std::memcpy(s.DestinationStore() + s.DestOffset(x, y), px, 3);
        }
    Zone c{.x1 = 10, .y1 = 0, .x2 = 110, .y2 = 100};
    ASSERT_EQ(engine.Press(Distortion::Explode, s, c), ZoneOutcome::Redraw);
    EXPECT_EQ(s.DestPixel(100, 50).b, 99);
    EXPECT_EQ(s.DestPixel(60, 50).b, 60);
    engine.Press(Distortion::Implode, s, c, {}, 2);
    EXPECT_EQ(s.DestPixel(100, 50).b, 101);  // level -1: 40 × (1 + 0.2 / 8) = 41 out
}

TEST(ZoneDistortion, WithoutAZoneTheQuestionIsAskedAndNoPixelChanges) {
    static WendralState s;
    std::mt19937 rng(8);
    reference::RandomPicture(s, 32, 20, rng);
    const std::vector<std::uint8_t> before(s.DestinationStore(),
                                           s.DestinationStore() + s.DestBytes());
    Zone z{.x1 = 3, .y1 = 7, .x2 = 30, .y2 = 7};
    z.TwistLevel = 2.0;
    z.HorizontalNudgeLevel = 3;
    z.ColourLevel = 4;
    DistortionEngine engine;
    EXPECT_EQ(engine.Press(Distortion::Explode, s, z), ZoneOutcome::AskZoneQuestion);
    EXPECT_EQ(z.ImplodeLevel, 0);
    EXPECT_EQ(z.ColourLevel, 0);
    EXPECT_EQ(z.TwistLevel, 0.0);
    EXPECT_EQ(z.HorizontalNudgeLevel, 0);
    EXPECT_EQ(s.DestModified, 1);
    EXPECT_EQ(engine.Press(Distortion::Converge, s, z, {}, 5), ZoneOutcome::AskZoneQuestion);
    EXPECT_EQ(z.ColourLevel, 0);
    EXPECT_EQ(std::memcmp(s.DestinationStore(), before.data(), before.size()), 0);
    // The base was taken on the way: the picture as it stood.
    EXPECT_EQ(std::memcmp(s.RestoreStore(), before.data(), before.size()), 0);

    // A zone without width is a zone: the level moves, no pixel does.
    Zone thin{.x1 = 5, .y1 = 2, .x2 = 5, .y2 = 18};
    EXPECT_EQ(engine.Press(Distortion::Implode, s, thin, {}, 3), ZoneOutcome::Redraw);
    EXPECT_EQ(thin.ImplodeLevel, -3);
    EXPECT_EQ(engine.Press(Distortion::Diverge, s, thin), ZoneOutcome::Redraw);
    EXPECT_EQ(thin.ColourLevel, -1);
    EXPECT_EQ(thin.ImplodeLevel, 0);
    EXPECT_EQ(std::memcmp(s.DestinationStore(), before.data(), before.size()), 0);
}

// A level at an end of its range stays there rather than wrapping round to the other end.
TEST(ZoneDistortion, LevelsStopAtTheEndsOfTheirRange) {
    static WendralState s;
    std::mt19937 rng(12);
    reference::RandomPicture(s, 40, 30, rng);
    const std::vector<std::uint8_t> pixels(kStoreBytes, 0x3C);
    const SourceImage source{pixels.data(), 40, 30};
    struct Case {
        Distortion key;
        int Zone::*level;
        int end;
    };
    const Case cases[] = {{Distortion::Converge, &Zone::ColourLevel, INT_MAX},
                          {Distortion::Diverge, &Zone::ColourLevel, INT_MIN},
                          {Distortion::Portion1, &Zone::PortionLevel, INT_MAX},
                          {Distortion::Portion2, &Zone::PortionLevel, INT_MIN}};
    DistortionEngine engine;
    for (const Case& c : cases) {
        Zone z{.x1 = 2, .y1 = 3, .x2 = 36, .y2 = 27};
        z.*c.level = c.end;
        EXPECT_EQ(engine.Press(c.key, s, z, {&source, &source}), ZoneOutcome::Redraw);
        EXPECT_EQ(z.*c.level, c.end);
    }
}

}  // namespace
}  // namespace wendral
