#include "core/zone_forming.h"

#include <gtest/gtest.h>

#include <cstring>
#include <vector>

#include "core/dest_state.h"
#include "core/destination_commands.h"
#include "core/zone.h"

namespace wendral {
namespace {

struct View {
    WendralState state;
    Zone zone;
    ZoneForming forming;
    View(int w, int h) {
        state.DestWidth = w;
        state.DestHeight = h;
        state.SourceCount = 1;
    }
};

TEST(ZoneForming, DragSetsBothCornersAndClearsTheLevels) {
    View v(100, 80);
    v.zone.VerticalNudgeLevel = 4;
    v.zone.TwistLevel = 2.0;
    ASSERT_TRUE(v.forming.Press(v.state, v.zone, {70, 60}));
    EXPECT_FALSE(v.zone.HasZone());  // nothing to distort while the button is held
    ASSERT_TRUE(v.forming.Release(v.state, v.zone, {10, 5}, 400, 300));
    EXPECT_EQ((Point{v.zone.x1, v.zone.y1}), (Point{70, 60}));
    EXPECT_EQ((Point{v.zone.x2, v.zone.y2}), (Point{10, 5}));
    EXPECT_EQ(v.zone.VerticalNudgeLevel, 0);
    EXPECT_EQ(v.zone.TwistLevel, 0.0);
    EXPECT_FALSE(v.forming.Dragging());
}

TEST(ZoneForming, CornersAreClampedToThePictureAndTheClientArea) {
    View v(100, 80);
    // Past the right and bottom edges of the picture: the last column and row.
    v.forming.Press(v.state, v.zone, {5, 5});
    v.forming.Release(v.state, v.zone, {300, 250}, 400, 300);
    EXPECT_EQ((Point{v.zone.x2, v.zone.y2}), (Point{99, 79}));
    // A client area smaller than the picture stops the release one short of its edge.
    v.forming.Press(v.state, v.zone, {5, 5});
    v.forming.Release(v.state, v.zone, {90, 70}, 60, 50);
    EXPECT_EQ((Point{v.zone.x2, v.zone.y2}), (Point{59, 49}));
    // Left of and above the client area: column and row 0.
    v.forming.Press(v.state, v.zone, {5, 5});
    v.forming.Release(v.state, v.zone, {-30, -7}, 400, 300);
    EXPECT_EQ((Point{v.zone.x2, v.zone.y2}), (Point{0, 0}));
    // A press beside or below the picture anchors on its edge, and the held button shows no
    // zone with a corner beneath the picture.
    v.forming.Press(v.state, v.zone, {150, 120});
    EXPECT_EQ((Point{v.zone.x1, v.zone.y1}), (Point{99, 79}));
    EXPECT_EQ((Point{v.zone.x2, v.zone.y2}), (Point{99, 79}));
    v.forming.Release(v.state, v.zone, {20, 30}, 400, 300);
    EXPECT_EQ((Point{v.zone.x1, v.zone.y1}), (Point{99, 79}));
}

TEST(ZoneForming, ClickWithoutDragIsNoZoneAndTheTitleSaysSo) {
    View v(100, 80);
    v.forming.Press(v.state, v.zone, {40, 30});
    v.forming.Release(v.state, v.zone, {40, 30}, 400, 300);
    EXPECT_FALSE(v.zone.HasZone());
    EXPECT_EQ(DestinationTitle(v.state, v.zone), "Destination Window  <no zone set>");
    // One pixel wide but several high is a zone; several wide but one high is not.
    FormZone(v.state, v.zone, {40, 10}, {40, 50});
    EXPECT_TRUE(v.zone.HasZone());
    FormZone(v.state, v.zone, {10, 20}, {90, 20});
    EXPECT_FALSE(v.zone.HasZone());
}

TEST(ZoneForming, StrayReleaseBrushingAndEmptyPictureFormNoZone) {
    View v(100, 80);
    FormZone(v.state, v.zone, {10, 10}, {50, 60});
    v.zone.ColourLevel = 3;
    const Zone before = v.zone;
    // A release with no press before it leaves the zone and its levels alone.
    EXPECT_FALSE(v.forming.Release(v.state, v.zone, {90, 2}, 400, 300));
    EXPECT_EQ(std::memcmp(&v.zone, &before, sizeof(Zone)), 0);
    // While brushing the left button is the brush's.
    v.state.BrushingEnabled = 1;
    EXPECT_FALSE(v.forming.Press(v.state, v.zone, {20, 20}));
    EXPECT_FALSE(v.forming.Release(v.state, v.zone, {70, 70}, 400, 300));
    EXPECT_EQ(v.zone.x2, 50);
    // Brushing switched on during a drag drops the drag.
    v.state.BrushingEnabled = 0;
    v.forming.Press(v.state, v.zone, {20, 20});
    v.state.BrushingEnabled = 1;
    EXPECT_FALSE(v.forming.Release(v.state, v.zone, {70, 70}, 400, 300));
    EXPECT_FALSE(v.forming.Dragging());
    // With no picture every corner is -1: no zone, nothing outside a picture.
    View empty(0, 0);
    EXPECT_TRUE(FormZone(empty.state, empty.zone, {10, 10}, {50, 60}));
    EXPECT_EQ((Point{empty.zone.x1, empty.zone.y1}), (Point{-1, -1}));
    EXPECT_EQ((Point{empty.zone.x2, empty.zone.y2}), (Point{-1, -1}));
}

TEST(ZoneForming, RubberBandFollowsThePointerWithACappedCross) {
    View v(200, 150);
    EXPECT_FALSE(v.forming.Move(v.state, v.zone, {50, 50}, 400, 300).has_value());  // no press yet
    v.forming.Press(v.state, v.zone, {100, 100});
    auto band = v.forming.Move(v.state, v.zone, {111, 95}, 400, 300);
    ASSERT_TRUE(band.has_value());
    EXPECT_EQ(band->anchor, (Point{100, 100}));
    EXPECT_EQ(band->pointer, (Point{111, 95}));
    EXPECT_EQ(band->centre, (Point{105, 97}));
    EXPECT_EQ(band->horizontalArm, 5);
    EXPECT_EQ(band->verticalArm, 3);  // |floor(-5 / 2)|
    band = v.forming.Move(v.state, v.zone, {-40, 900}, 400, 300);
    EXPECT_EQ(band->pointer, (Point{0, 149}));
    EXPECT_EQ(band->horizontalArm, 20);
    EXPECT_EQ(band->verticalArm, 20);
    // While moving the client clamp allows the client's own edge, the release one less.
    band = v.forming.Move(v.state, v.zone, {190, 140}, 120, 130);
    EXPECT_EQ(band->pointer, (Point{120, 130}));
    EXPECT_EQ(v.zone.x2, 100);  // moving does not change the zone
    v.forming.Release(v.state, v.zone, {190, 140}, 120, 130);
    EXPECT_EQ((Point{v.zone.x2, v.zone.y2}), (Point{119, 129}));
}

TEST(DestinationTitle, MarksModifiedAndMissingZone) {
    Zone none;
    Zone some;
    some.x1 = some.y1 = 1;
    some.x2 = some.y2 = 9;
    EXPECT_EQ(DestinationTitle(0, some, 1), "Destination Window");
    EXPECT_EQ(DestinationTitle(1, some, 2), "Destination Window  <modified>");
    EXPECT_EQ(DestinationTitle(1, none, 1), "Destination Window  <modified>  <no zone set>");
    EXPECT_EQ(DestinationTitle(0, none, 0), "Destination Window");  // no source, no zone mark
}

}  // namespace
}  // namespace wendral
