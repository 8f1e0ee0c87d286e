#include "core/brushing.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <random>
#include <vector>

#include "reference/brushing.h"
#include "reference/pixels.h"

namespace wendral {
namespace {

struct Fixture {
    std::vector<std::uint8_t> pixels1, pixels2;
    SourceImage source1, source2;
    explicit Fixture(std::mt19937& rng) : pixels1(kStoreBytes), pixels2(kStoreBytes) {
        for (auto& b : pixels1) b = static_cast<std::uint8_t>(rng());
        for (auto& b : pixels2) b = static_cast<std::uint8_t>(rng());
        source1 = {pixels1.data(), kMaxWidth, kMaxHeight};
        source2 = {pixels2.data(), kMaxWidth, kMaxHeight};
    }
};

TEST(Brushing, PaintCopiesExactlyTheSourcePixelsUnderTheEllipse) {
    std::mt19937 rng(31);
    Fixture f(rng);
    static WendralState fast, slow;
    for (int trial = 0; trial < 60; ++trial) {
        const int w = 4 * std::uniform_int_distribution<int>(1, 60)(rng);
        const int h = std::uniform_int_distribution<int>(1, 200)(rng);
        std::mt19937 a(trial), b(trial);
        reference::RandomPicture(fast, w, h, a);
        reference::RandomPicture(slow, w, h, b);
        Zone z;
        // Brushes up to twice the picture, anywhere near or beyond its edges.
        z.BrushWidth = std::uniform_int_distribution<int>(1, 2 * w)(rng);
        z.BrushHeight = std::uniform_int_distribution<int>(1, 2 * h)(rng);
        const Point at{std::uniform_int_distribution<int>(-w, 2 * w)(rng),
                       std::uniform_int_distribution<int>(-h, 2 * h)(rng)};
        Paint(fast, z, at, &f.source1);
        reference::Paint(slow, z, at, f.source1);
        ASSERT_TRUE(reference::SameStores(fast, slow)) << trial;
        EXPECT_EQ(fast.DestModified, 1);
    }
    // A closed source paints nothing.
    const std::vector<std::uint8_t> before(fast.DestinationStore(),
                                           fast.DestinationStore() + fast.DestBytes());
    Zone z;
    Paint(fast, z, Point{5, 5}, nullptr);
    EXPECT_EQ(std::memcmp(fast.DestinationStore(), before.data(), before.size()), 0);
}

TEST(Brushing, TheBrushIsClampedToStayInsideThePicture) {
    static WendralState s;
    s.DestWidth = 200;
    s.DestHeight = 100;
    Zone z{.x1 = 50, .y1 = 30, .x2 = 10, .y2 = 10};  // 40 x 20
    const ClientArea client{300, 250};
    Point p{199, 99};
    auto o = PlaceBrush(s, z, p, client);
    ASSERT_TRUE(o);
    EXPECT_EQ(z.BrushWidth, 40);
    EXPECT_EQ(z.BrushHeight, 20);
    EXPECT_EQ(p, (Point{179, 89}));
    EXPECT_EQ(*o, (BrushOutline{159, 79, 199, 99}));
    p = Point{-30, 4};
    o = PlaceBrush(s, z, p, client);
    EXPECT_EQ(p, (Point{20, 10}));
    EXPECT_EQ(*o, (BrushOutline{0, 0, 40, 20}));
    // A client area narrower than the picture holds the brush inside itself.
    p = Point{150, 50};
    PlaceBrush(s, z, p, ClientArea{120, 250});
    EXPECT_EQ(p, (Point{99, 50}));
    // Without a picture there is no outline.
    static WendralState empty;
    EXPECT_FALSE(PlaceBrush(empty, z, p, client));
}

TEST(Brushing, StartAndStop) {
    static WendralState s;
    Zone z{.x1 = 10, .y1 = 10, .x2 = 50, .y2 = 30};
    // No picture or no source: stays off without a question.
    BrushingStart start = StartBrushing(s, z, ClientArea{100, 100});
    EXPECT_EQ(start.outcome, ZoneOutcome::Nothing);
    EXPECT_FALSE(start.outline);
    EXPECT_EQ(s.BrushingEnabled, 0);
    s.DestWidth = 100;
    s.DestHeight = 80;
    s.SourceCount = 1;
    Zone thin{.x1 = 10, .y1 = 10, .x2 = 10, .y2 = 30};  // a zone here, but no width
    EXPECT_EQ(StartBrushing(s, thin, PictureArea(s)).outcome, ZoneOutcome::AskZoneQuestion);
    EXPECT_EQ(s.BrushingEnabled, 0);

    start = StartBrushing(s, z, PictureArea(s));
    EXPECT_EQ(s.BrushingEnabled, 1);
    ASSERT_TRUE(start.outline);
    EXPECT_EQ(*start.outline, (BrushOutline{10, 10, 50, 30}));

    StopBrushing(s, z);
    EXPECT_EQ(s.BrushingEnabled, 0);
    EXPECT_FALSE(z.HasZone());
    EXPECT_EQ(z.x2, 10);
}

TEST(Brushing, StrokesPaintOnMovesFromTheSourceOfTheButton) {
    std::mt19937 rng(77);
    Fixture f(rng);
    static WendralState s;
    reference::RandomPicture(s, 120, 90, rng);
    s.SourceCount = 1;
    Zone z{.x1 = 10, .y1 = 10, .x2 = 30, .y2 = 20};
    ASSERT_TRUE(StartBrushing(s, z, PictureArea(s)).outline);
    const std::vector<std::uint8_t> before(s.DestinationStore(),
                                           s.DestinationStore() + s.DestBytes());

    // With one source the right button says so once and paints nothing.
    EXPECT_EQ(BrushAlong(s, z, 2, {{40, 40}, {50, 40}, {60, 40}}, &f.source1, &f.source2),
              (Messages{kNoSource2Message}));
    EXPECT_EQ(std::memcmp(s.DestinationStore(), before.data(), before.size()), 0);
    // A press alone paints nothing either.
    EXPECT_TRUE(BrushAlong(s, z, 1, {{40, 40}}, &f.source1, &f.source2).empty());
    EXPECT_EQ(std::memcmp(s.DestinationStore(), before.data(), before.size()), 0);

    // A drag to the bottom right corner paints there, the brush stopped half a brush inside.
    BrushAlong(s, z, 1, {{40, 40}, {500, 500}}, &f.source1, &f.source2);
    EXPECT_EQ(0,
              std::memcmp(s.DestinationStore() + s.DestOffset(105, 84), f.source1.At(105, 84), 3));
    EXPECT_EQ(0, std::memcmp(s.DestinationStore() + s.DestOffset(40, 40),
                             before.data() + s.DestOffset(40, 40), 3));
    EXPECT_EQ(s.DestModified, 1);
    EXPECT_EQ(s.BrushingEnabled, 1);

    // Both buttons down paint nothing; the right button with two sources paints from source 2.
    s.SourceCount = 2;
    BrushStroke stroke;
    EXPECT_TRUE(stroke.Press(s, kRightButton).empty());
    Point p{60, 45};
    ASSERT_TRUE(
        stroke.Move(s, z, p, kLeftButton | kRightButton, &f.source1, &f.source2, PictureArea(s)));
    EXPECT_NE(0, std::memcmp(s.DestinationStore() + s.DestOffset(60, 45), f.source2.At(60, 45), 3));
    stroke.Move(s, z, p, kRightButton, &f.source1, &f.source2, PictureArea(s));
    EXPECT_EQ(0, std::memcmp(s.DestinationStore() + s.DestOffset(60, 45), f.source2.At(60, 45), 3));
    z.ImplodeLevel = 3;
    stroke.Release(z, kRightButton);
    EXPECT_EQ(z.ImplodeLevel, 0);
    EXPECT_FALSE(stroke.Move(s, z, p, kRightButton, &f.source1, &f.source2, PictureArea(s)));

    // With brushing off a stroke does nothing.
    StopBrushing(s, z);
    EXPECT_FALSE(stroke.Press(s, kLeftButton).size());
    EXPECT_FALSE(stroke.Held());
}

}  // namespace
}  // namespace wendral
