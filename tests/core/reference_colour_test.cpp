#include "core/reference_colour.h"

#include <gtest/gtest.h>

#include <vector>

#include "core/effect_commands.h"
#include "reference/pixels.h"

namespace wendral {
namespace {

TEST(ReferenceSampling, AveragesThePixelsPassedOver) {
    static WendralState state;
    state.DestWidth = 8;
    state.DestHeight = 4;
    for (int y = 0; y < 4; ++y)
        for (int x = 0; x < 8; ++x) reference::SetPixel(state, x, y, 10, 20, 30);
    reference::SetPixel(state, 6, 3, 0, 0, 0);
    reference::SetPixel(state, 7, 3, 255, 255, 255);
    Zone zone;
    ReferenceSampling sampling;

    const std::vector<Point> uniform{{0, 0}, {1, 0}, {2, 1}, {2, 1}, {5, 3}};
    RefDragCommand(state, zone, sampling, uniform);
    EXPECT_EQ(state.ReferenceColour, (Bgr{10, 20, 30}));
    EXPECT_EQ(state.CursorSample, (Point{5, 3}));

    // The press itself is not sampled; black then white averages to 255 / 2.
    ReferenceSamplingPress(state, sampling, Point{1, 1});
    ReferenceSamplingMove(state, sampling, Point{6, 3});
    EXPECT_EQ(state.ReferenceColour, (Bgr{0, 0, 0}));
    ReferenceSamplingMove(state, sampling, Point{7, 3});
    EXPECT_EQ(state.ReferenceColour, (Bgr{127, 127, 127}));

    // Leaving the picture suspends the run; coming back continues the same average, as does
    // a new press outside the picture.
    ReferenceSamplingMove(state, sampling, Point{8, 0});
    EXPECT_EQ(state.CursorSample, (Point{-1, -1}));
    EXPECT_EQ(state.ReferenceColour, (Bgr{127, 127, 127}));
    ReferenceSamplingPress(state, sampling, Point{-3, 2});
    EXPECT_EQ(state.CursorSample, (Point{-1, -1}));
    ReferenceSamplingMove(state, sampling, Point{6, 3});
    EXPECT_EQ(state.ReferenceColour, (Bgr{85, 85, 85}));
}

TEST(ReferenceSampling, BrushingAndEmptyDragsTakeNoSample) {
    static WendralState state;
    state.DestWidth = 4;
    state.DestHeight = 4;
    std::memset(state.DestinationStore(), 200, state.DestBytes());
    state.ReferenceColour = Bgr{1, 2, 3};
    Zone zone;
    ReferenceSampling sampling;
    state.BrushingEnabled = 1;
    const std::vector<Point> drag{{0, 0}, {1, 1}, {2, 2}};
    RefDragCommand(state, zone, sampling, drag);
    EXPECT_EQ(state.ReferenceColour, (Bgr{1, 2, 3}));
    state.BrushingEnabled = 0;
    const std::vector<Point> outside{{0, 0}, {-1, 0}, {4, 4}};
    RefDragCommand(state, zone, sampling, outside);
    EXPECT_EQ(state.ReferenceColour, (Bgr{1, 2, 3}));
    state.DestWidth = state.DestHeight = 0;
    RefDragCommand(state, zone, sampling, drag);
    EXPECT_EQ(state.ReferenceColour, (Bgr{1, 2, 3}));
}

TEST(ReferenceSampling, ReleaseKeepsTheZoneClearsLevelsAndRefreshesTheDialog) {
    static WendralState state;
    state.DestWidth = 4;
    state.DestHeight = 4;
    std::memset(state.DestinationStore(), 9, state.DestBytes());
    Zone zone;
    zone.x1 = 1, zone.y1 = 1, zone.x2 = 3, zone.y2 = 2;
    zone.ColourLevel = 4;
    zone.TwistLevel = 0.5;
    RefColourDialogState dialog;
    ReferenceSampling sampling;
    const std::vector<Point> drag{{0, 0}, {1, 0}};
    RefDragCommand(state, zone, sampling, drag, &dialog);
    EXPECT_EQ(zone.ColourLevel, 0);
    EXPECT_EQ(zone.TwistLevel, 0.0);
    EXPECT_EQ(zone.x2, 3);
    EXPECT_EQ(zone.y2, 2);
    EXPECT_EQ(dialog.red, 9);
    EXPECT_EQ(dialog.blue, 9);
}

TEST(RefColourDialog, LoadSlidersAndReset) {
    static WendralState state;
    state.ReferenceColour = Bgr{10, 20, 30};
    RefColourDialogState dialog;
    dialog.Load(state);
    EXPECT_EQ(dialog.red, 30);
    EXPECT_EQ(dialog.green, 20);
    EXPECT_EQ(dialog.blue, 10);
    dialog.SlidersChanged(state, 200, 100, 300);
    EXPECT_EQ(state.ReferenceColour, (Bgr{255, 100, 200}));
    state.DestWidth = state.DestHeight = 0;
    dialog.Reset(state);
    EXPECT_EQ(state.ReferenceColour, (Bgr{127, 127, 127}));
    EXPECT_EQ(dialog.red, 127);
    RefColourCommand(state, 1, 2, 3);
    EXPECT_EQ(state.ReferenceColour, (Bgr{3, 2, 1}));
    EXPECT_EQ(state.DestModified, 0);
}

}  // namespace
}  // namespace wendral
