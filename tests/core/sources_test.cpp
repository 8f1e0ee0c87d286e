#include "core/sources.h"

#include <gtest/gtest.h>

#include <cstring>
#include <memory>
#include <vector>

#include "core/distortion_engine.h"
#include "core/zone_forming.h"

namespace wendral {
namespace {

PicturePacket Gradient(int w, int h) {
    PicturePacket p = MakePicturePacket(w, h, nullptr);
    const std::size_t stride = RowStride24(w);
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x) {
            std::uint8_t* q = p.data() + 40 + stride * static_cast<std::size_t>(h - 1 - y) + 3 * x;
            q[0] = static_cast<std::uint8_t>(x);
            q[1] = static_cast<std::uint8_t>(y);
            q[2] = static_cast<std::uint8_t>(x * 7 + y);
        }
    return p;
}

// Stands in for the file reader: every path gives a picture of the size its name says.
struct FakeFiles {
    int loads = 0;
    bool fail = false;
    bool recordsPath = true;  // as the bitmap reader does
    int w = 0, h = 0;
    PictureLoader Loader() {
        return [this](const std::string& path, int count, SourceDocument& doc, Messages& out) {
            ++loads;
            doc.SourcePath = path;
            if (count > 2) {
                out.push_back(kTwoSourcesMessage);
                return PictureLoadResult{};
            }
            if (fail) {
                out.push_back("Not a valid picture file");
                return PictureLoadResult{};
            }
            doc.packet = Gradient(w, h);
            doc.PictureWidth = w;
            doc.PictureHeight = h;
            return PictureLoadResult{true, recordsPath};
        };
    }
};

struct Engine {
    WendralState state;
    Zone zone;
    DistortionEngine engine;
    FakeFiles files;
    std::unique_ptr<SourceView> views[2] = {std::make_unique<SourceView>(),
                                            std::make_unique<SourceView>()};

    SourceOutcome Open(int slot, int pw, int ph, int cw, int ch,
                       const std::string& path = "/pics/cat.bmp") {
        files.w = pw;
        files.h = ph;
        views[slot]->SetClientSize(cw, ch);
        return OpenSource(state, zone, *views[slot], path, files.Loader());
    }
    Bgr Shown(int n, int x, int y) const {
        const std::uint8_t* p = state.SourceViews[n]->Image().At(x, y);
        return Bgr{p[0], p[1], p[2]};
    }
};

TEST(RebuildDestination, OneSourceCopiesTheWindowWithTheSizeRule) {
    Engine e;
    SourceOutcome out = e.Open(0, 800, 600, 500, 400);
    ASSERT_TRUE(out.keepWindow);
    EXPECT_TRUE(out.redrawDestination);
    EXPECT_EQ(e.state.SourceCount, 1);
    EXPECT_EQ(e.state.DestWidth, 500);
    EXPECT_EQ(e.state.DestHeight, 400);
    for (int y : {0, 17, 399})
        for (int x : {0, 250, 499}) EXPECT_EQ(e.state.DestPixel(x, y), e.Shown(1, x, y));
    EXPECT_EQ(e.state.DestPixel(3, 5), (Bgr{3, 5, 26}));

    // 503 wide: the destination is 504 wide, its last column from beyond the shown area.
    e.zone.x1 = 1, e.zone.y1 = 1, e.zone.x2 = 5, e.zone.y2 = 5;
    e.state.MarkDestModified();
    e.state.OverwriteConsent = 1;
    out = ResizeSource(e.state, e.zone, 1, 503, 400);
    EXPECT_FALSE(out.heldBack);
    EXPECT_EQ(e.state.DestWidth, 504);
    EXPECT_EQ(e.state.DestPixel(503, 7), e.Shown(1, 503, 7));
    EXPECT_FALSE(e.zone.HasZone());
    EXPECT_EQ(e.state.DestModified, 0);
    EXPECT_EQ(e.state.OverwriteConsent, 0);

    // A picture of 2047 columns in a window of its size: the extra column is white.
    Engine f;
    f.Open(0, 2047, 10, 2047, 10);
    EXPECT_EQ(f.state.DestWidth, 2048);
    EXPECT_EQ(f.state.DestPixel(2047, 3), (Bgr{255, 255, 255}));
    EXPECT_EQ(f.state.DestPixel(2046, 3),
              (Bgr{static_cast<std::uint8_t>(2046), 3, static_cast<std::uint8_t>(2046 * 7 + 3)}));

    // A window one or two pixels wide leaves the destination empty.
    ResizeSource(f.state, f.zone, 1, 2, 10);
    EXPECT_EQ(f.state.DestWidth, 0);
    EXPECT_FALSE(f.state.PicturePresent());
}

TEST(RebuildDestination, SmallPictureGivesWhiteMargins) {
    Engine e;
    e.Open(0, 300, 200, 500, 400);
    EXPECT_EQ(e.state.DestWidth, 500);
    EXPECT_EQ(e.state.DestPixel(299, 199),
              (Bgr{43, 199, static_cast<std::uint8_t>(299 * 7 + 199)}));
    EXPECT_EQ(e.state.DestPixel(300, 10), (Bgr{255, 255, 255}));
    EXPECT_EQ(e.state.DestPixel(10, 200), (Bgr{255, 255, 255}));
}

// A level re-renders the zone from RestoreStore, laid out for the size it was taken at: no rebuild
// may change the size and leave a level standing.
TEST(RebuildDestination, ASizeChangeStartsEveryLevelAfresh) {
    Engine e;
    e.Open(0, 60, 40, 60, 40);
    FormZone(e.state, e.zone, Point{4, 4}, Point{40, 30});
    e.engine.Press(Distortion::Explode, e.state, e.zone, {}, 2);
    ASSERT_EQ(e.zone.ImplodeLevel, 2);
    e.state.OverwriteConsent = 1;
    ResizeSource(e.state, e.zone, 1, 52, 36);
    EXPECT_EQ(e.state.DestWidth, 52);
    EXPECT_EQ(e.zone.ImplodeLevel, 0);
    EXPECT_FALSE(e.zone.HasZone());

    // Two sources: the merge at the new common size.
    e.Open(1, 30, 20, 30, 20);
    ASSERT_EQ(e.state.DestWidth, 28);
    FormZone(e.state, e.zone, Point{2, 2}, Point{20, 16});
    e.engine.Press(Distortion::Explode, e.state, e.zone, {}, 1);
    e.state.OverwriteConsent = 1;
    ResizeSource(e.state, e.zone, 2, 24, 16);
    EXPECT_EQ(e.state.DestWidth, 24);
    EXPECT_EQ(e.state.DestHeight, 16);
    EXPECT_EQ(e.zone.ImplodeLevel, 0);
    EXPECT_FALSE(e.zone.HasZone());

    // Locked, the destination keeps its size, so the level in force still fits its base.
    FormZone(e.state, e.zone, Point{2, 2}, Point{20, 14});
    e.engine.Press(Distortion::Explode, e.state, e.zone, {}, 1);
    ToggleLock(e.state);
    ResizeSource(e.state, e.zone, 1, 20, 12);
    EXPECT_EQ(e.state.DestWidth, 24);
    EXPECT_EQ(e.zone.ImplodeLevel, 1);
    EXPECT_TRUE(e.zone.HasZone());
}

TEST(SourceChangeGuard, HoldsBackUntilConsentAndEachConsentCoversOneRebuild) {
    Engine e;
    e.Open(0, 800, 600, 200, 100);
    const Bgr before = e.state.DestPixel(0, 0);
    e.state.MarkDestModified();  // as a nudge would

    SourceOutcome out = ScrollSource(e.state, e.zone, 1, 250, 100);
    EXPECT_TRUE(out.heldBack);
    EXPECT_EQ(e.state.PendingSourceChange, 1 * 256 + kChangeScrollHorizontal);
    EXPECT_EQ(e.state.SourceViews[1]->ScrollPosition(), (ScrollPoint{200, 100}));
    EXPECT_EQ(e.state.DestPixel(0, 0), before);

    // Each guarded command records its own code; none of them changes anything.
    const ClientSize client = e.state.SourceViews[1]->Client();
    EXPECT_TRUE(FitSourceToWindow(e.state, e.zone, 1).heldBack);
    EXPECT_EQ(e.state.PendingSourceChange, 256 + kChangeFit);
    EXPECT_TRUE(TopLeftJustify(e.state, e.zone, 1).heldBack);
    EXPECT_EQ(e.state.PendingSourceChange, 256 + kChangeJustify);
    EXPECT_TRUE(EmptySourceWindow(e.state, e.zone, 1).heldBack);
    EXPECT_EQ(e.state.PendingSourceChange, 256 + kChangeEmpty);
    EXPECT_TRUE(e.state.SourceViews[1]->Document.packet);
    EXPECT_TRUE(BeginSourceScale(e.state, 1).heldBack);
    EXPECT_EQ(e.state.PendingSourceChange, 256 + kChangeScale);
    EXPECT_EQ(e.state.SourceViews[1]->Client(), client);
    EXPECT_EQ(e.state.SourceViews[1]->WidthScale, 100);

    // A held-back resize still resizes the window, but does not lay out or rebuild.
    EXPECT_TRUE(ResizeSource(e.state, e.zone, 1, 300, 100).heldBack);
    EXPECT_EQ(e.state.PendingSourceChange, 256 + kChangeResize);
    EXPECT_EQ(e.state.SourceViews[1]->Client(), (ClientSize{300, 100}));
    EXPECT_EQ(e.state.DestWidth, 200);

    e.state.OverwriteConsent = 1;
    out = ScrollSource(e.state, e.zone, 1, 250, 100);
    EXPECT_FALSE(out.heldBack);
    EXPECT_EQ(e.state.SourceViews[1]->LastScrollPosition, (ScrollPoint{250, 100}));
    EXPECT_EQ(e.state.OverwriteConsent, 0);
    EXPECT_EQ(e.state.PendingSourceChange, 0);
    EXPECT_EQ(e.state.DestModified, 0);
    // The next change needs no consent: the destination is unmodified again.
    EXPECT_FALSE(ScrollSource(e.state, e.zone, 1, 260, 100).heldBack);
    EXPECT_EQ(e.state.DestPixel(0, 0), e.Shown(1, 0, 0));
}

TEST(Lock, SourceChangesPassButLeaveTheDestinationUntilRestore) {
    Engine e;
    e.Open(0, 400, 300, 100, 80);
    e.state.MarkDestModified();
    EXPECT_STREQ(ToggleLock(e.state), "Dest. Locked");
    const Bgr before = e.state.DestPixel(0, 0);

    EXPECT_FALSE(ScrollSource(e.state, e.zone, 1, 150, 80).heldBack);
    EXPECT_EQ(e.state.DestPixel(0, 0), before);
    EXPECT_EQ(e.state.DestModified, 1);
    EXPECT_EQ(e.state.DestWidth, 100);
    EXPECT_EQ(e.Shown(1, 0, 0), (Bgr{50, 0, 94}));  // the view itself did scroll

    e.zone.x1 = 0, e.zone.y1 = 0, e.zone.x2 = 4, e.zone.y2 = 4, e.zone.ImplodeLevel = 3;
    const SourceOutcome out = Restore(e.state, e.zone);
    EXPECT_TRUE(out.redrawDestination);
    EXPECT_EQ(e.state.DestPixel(0, 0), (Bgr{50, 0, 94}));
    EXPECT_EQ(e.state.DestModified, 0);
    EXPECT_EQ(e.state.DestLocked, 1);
    EXPECT_FALSE(e.zone.HasZone());
    EXPECT_EQ(e.zone.ImplodeLevel, 0);
    EXPECT_STREQ(ToggleLock(e.state), "Dest. Unlocked");
}

TEST(SourceCommands, FitJustifyEmptyAndReload) {
    Engine e;
    e.Open(0, 1000, 500, 640, 480);
    EXPECT_EQ(e.state.SourceViews[1]->Title, "Source 1        cat.bmp");
    FitSourceToWindow(e.state, e.zone, 1);
    SourceView& v = *e.state.SourceViews[1];
    EXPECT_EQ(v.WidthScale, 64);
    EXPECT_EQ(v.HeightScale, 96);
    EXPECT_EQ(v.ScrollPosition(), (ScrollPoint{640, 480}));
    // The scaled picture fills the window: its last pixel samples picture (998, 498).
    EXPECT_EQ(e.state.DestPixel(639, 479),
              (Bgr{static_cast<std::uint8_t>(998), static_cast<std::uint8_t>(498),
                   static_cast<std::uint8_t>(998 * 7 + 498)}));

    ScrollSourceTo(e.state, e.zone, 1, 700, 500);
    EXPECT_EQ(v.LastScrollPosition, (ScrollPoint{700, 500}));
    TopLeftJustify(e.state, e.zone, 1);
    EXPECT_EQ(v.ScrollPosition(), (ScrollPoint{640, 480}));

    SourceOutcome out = EmptySourceWindow(e.state, e.zone, 1);
    EXPECT_FALSE(v.Document.packet);
    EXPECT_EQ(v.Title, "Source 1        (untitled)");
    EXPECT_EQ(e.state.DestWidth, 640);
    EXPECT_EQ(e.state.DestPixel(5, 5), (Bgr{255, 255, 255}));

    out = ReloadSource(e.state, e.zone, 1, e.files.Loader());
    EXPECT_FALSE(out.failed);
    EXPECT_EQ(v.WidthScale, 100);
    EXPECT_EQ(v.Title, "Source 1        cat.bmp");
    EXPECT_EQ(e.state.DestPixel(5, 5), (Bgr{5, 5, 40}));

    // A reloaded file whose reader does not record the path keeps the title that begins with
    // "Source".
    e.files.recordsPath = false;
    v.Document.SourcePath = "/pics/cat.jpg";
    v.Title = "Source 1        cat.jpg";
    ReloadSource(e.state, e.zone, 1, e.files.Loader());
    EXPECT_EQ(v.Title, "Source 1        ");

    e.files.fail = true;
    out = ReloadSource(e.state, e.zone, 1, e.files.Loader());
    EXPECT_TRUE(out.failed);
    ASSERT_EQ(out.messages.size(), 1u);

    v.Document.SourcePath.clear();
    out = ReloadSource(e.state, e.zone, 1, e.files.Loader());
    EXPECT_TRUE(out.failed);
    EXPECT_EQ(out.messages, Messages{kNoFileToReload});
}

TEST(SourceCommands, FailedOrRefusedOpensLeaveEverythingAsItWas) {
    Engine e;
    e.files.fail = true;
    SourceOutcome out = e.Open(0, 10, 10, 10, 10);
    EXPECT_FALSE(out.keepWindow);
    EXPECT_EQ(e.state.SourceCount, 0);
    EXPECT_EQ(e.state.SourceViews[1], nullptr);

    e.files.fail = false;
    e.Open(0, 40, 30, 40, 30);
    e.state.MarkDestModified();
    e.files.fail = true;
    out = e.Open(1, 10, 10, 10, 10);
    EXPECT_FALSE(out.keepWindow);
    EXPECT_EQ(e.state.SourceCount, 1);
    EXPECT_EQ(e.state.DestModified, 1);
    EXPECT_EQ(e.state.DestWidth, 40);
}

TEST(SourceCommands, NewSourceIsWhiteAtTheDestinationSize) {
    Engine e;
    e.views[0]->SetClientSize(0, 0);
    SourceOutcome out = NewSourceCommand(e.state, e.zone, *e.views[0]);
    EXPECT_TRUE(out.keepWindow);
    SourceView& v = *e.state.SourceViews[1];
    EXPECT_EQ(v.Title, "Source 1        (untitled)");
    EXPECT_EQ(v.Document.PictureWidth, 0);
    EXPECT_FALSE(FitSourceToWindow(e.state, e.zone, 1).failed);  // nothing to fit, nothing divides
    EXPECT_EQ(v.WidthScale, 100);

    Engine f;
    f.Open(0, 64, 48, 64, 48);
    f.state.ContrastThreshold = 3;
    EXPECT_TRUE(LoadFromDestination(f.state, f.zone, *f.state.SourceViews[1], true).redrawSources);
    EXPECT_EQ(f.state.ContrastThreshold, 127);
    const PicturePacket& p = f.state.SourceViews[1]->Document.packet;
    EXPECT_EQ(p.Width(), 64);
    EXPECT_EQ(p.Height(), 48);
    EXPECT_EQ(p.ImageSize(), 64u * 48 * 3);
    EXPECT_TRUE(
        std::all_of(p.data() + 40, p.data() + p.size(), [](std::uint8_t b) { return b == 255; }));
    EXPECT_EQ(f.state.SourceViews[1]->Document.SourcePath, "/pics/cat.bmp");
}

TEST(SourceCommands, DestinationToSource1TakesTheDestinationAtHundredPercent) {
    Engine e;
    e.Open(0, 300, 200, 100, 60);
    SourceView& v = *e.state.SourceViews[1];
    SetSourceScale(e.state, e.zone, 1, 200, 50);
    // Change the destination, then send it back.
    std::memset(e.state.DestinationStore(), 9, e.state.DestBytes());
    e.state.MarkDestModified();
    EXPECT_FALSE(DestinationToSource1(e.state, e.zone).failed);
    EXPECT_EQ(v.WidthScale, 100);
    EXPECT_EQ(v.HeightScale, 100);
    EXPECT_EQ(v.Document.PictureWidth, 100);
    EXPECT_EQ(e.state.DestPixel(50, 30), (Bgr{9, 9, 9}));
    EXPECT_EQ(e.state.DestModified, 0);

    e.state.BrushingEnabled = 1;
    EXPECT_TRUE(DestinationToSource1(e.state, e.zone).failed);
}

TEST(SourceTitles, FollowTheNamingRules) {
    SourceDocument fresh;
    EXPECT_EQ(InitialSourceTitle(2, fresh, "anything"), "Source 2        (untitled)");
    SourceDocument loaded;
    loaded.PictureWidth = 5;
    EXPECT_EQ(InitialSourceTitle(1, loaded, "dog.jpg"), "Source 1        dog.jpg");
    EXPECT_EQ(InitialSourceTitle(1, loaded, "Source 1        dog.jpg"), "Source 1        ");
    EXPECT_EQ(RenumberedSourceTitle("Source 2        dog.jpg"),
              "Source1        it was Source 2        dog.jpg");
    EXPECT_EQ(DisplayName("/a/b/c.png"), "c.png");
    EXPECT_EQ(DisplayName("c.png"), "c.png");
}

TEST(CloseSource, LastSourceEmptiesTheDestination) {
    Engine e;
    e.Open(0, 30, 20, 30, 20);
    e.state.ReferenceColour = Bgr{1, 2, 3};
    e.zone.PortionLevel = 2;
    const SourceOutcome out = CloseSource(e.state, e.zone, 1);
    EXPECT_TRUE(out.redrawDestination);
    EXPECT_EQ(e.state.SourceCount, 0);
    EXPECT_EQ(e.state.DestWidth, 0);
    EXPECT_EQ(e.state.DestHeight, 0);
    EXPECT_EQ(e.state.ReferenceColour, (Bgr{127, 127, 127}));
    EXPECT_EQ(e.state.DestModified, 0);
    EXPECT_EQ(e.zone.PortionLevel, 0);
    EXPECT_FALSE(e.views[0]->Document.packet);
    EXPECT_TRUE(CloseSource(e.state, e.zone, 1).failed);
}

TEST(CloseSource, SourceTwoBecomesSourceOneAndTheDestinationIsRebuiltFromIt) {
    Engine e;
    e.Open(0, 40, 30, 40, 30, "/pics/cat.bmp");
    e.Open(1, 24, 16, 24, 16, "/pics/dog.jpg");
    ASSERT_EQ(e.state.SourceCount, 2);
    SourceView* two = e.views[1].get();
    EXPECT_EQ(two->Title, "Source 2        dog.jpg");
    EXPECT_FALSE(e.Open(0, 8, 8, 8, 8).keepWindow);  // a third source is refused
    EXPECT_EQ(e.state.SourceViews[1], e.views[0].get());

    e.zone.PortionLevel = -3;  // would select source 2
    e.state.DestLocked = 1;
    const SourceOutcome out = CloseSource(e.state, e.zone, 1);
    EXPECT_TRUE(out.titlesChanged);
    EXPECT_EQ(e.state.SourceCount, 1);
    EXPECT_EQ(e.state.SourceViews[1], two);
    EXPECT_EQ(e.state.SourceViews[2], nullptr);
    EXPECT_EQ(two->SourceNumber, 1);
    EXPECT_EQ(two->Title, "Source1        it was Source 2        dog.jpg");
    EXPECT_EQ(e.zone.PortionLevel, 0);
    EXPECT_EQ(e.state.DestModified, 1);

    // Unlocked, the remaining source is copied again, then the destination counts as modified.
    e.state.DestLocked = 0;
    e.views[0] = std::make_unique<SourceView>();
    e.Open(0, 40, 30, 40, 30);
    CloseSource(e.state, e.zone, 2);
    EXPECT_EQ(e.state.SourceViews[1], two);
    EXPECT_EQ(e.state.DestWidth, 24);
    EXPECT_EQ(e.state.DestPixel(23, 15), e.Shown(1, 23, 15));
    EXPECT_EQ(e.state.DestModified, 1);
}

TEST(CloseSource, AWindowGoneWithoutClosingOnlyLeavesTheTable) {
    Engine e;
    e.Open(0, 40, 30, 40, 30);
    e.Open(1, 24, 16, 24, 16);
    const auto picture = [&] {
        const std::uint8_t* d = e.state.DestinationStore();
        return std::vector<std::uint8_t>(d, d + e.state.DestBytes());
    };
    const std::vector<std::uint8_t> before = picture();
    const int width = e.state.DestWidth, modified = e.state.DestModified;
    DetachSource(e.state, *e.views[0]);
    EXPECT_EQ(e.state.SourceCount, 1);
    EXPECT_EQ(e.state.SourceViews[1], nullptr);
    EXPECT_EQ(e.views[0]->SourceNumber, 0);
    // Nothing is rebuilt.
    EXPECT_EQ(e.state.DestWidth, width);
    EXPECT_EQ(e.state.DestModified, modified);
    EXPECT_EQ(picture(), before);
    // Once gone (or closed) it is not counted again.
    DetachSource(e.state, *e.views[0]);
    EXPECT_EQ(e.state.SourceCount, 1);
    CloseSource(e.state, e.zone, 2);
    DetachSource(e.state, *e.views[1]);
    EXPECT_EQ(e.state.SourceCount, 0);
}

TEST(SourceCommands, DestinationToSource2MakesSourceTwoFromTheFormerDestination) {
    Engine e;
    e.Open(0, 40, 30, 40, 30);
    std::memset(e.state.DestinationStore(), 77, e.state.DestBytes());
    e.views[1]->SetClientSize(40, 30);
    const SourceOutcome out = DestinationToSource2(e.state, e.zone, e.views[1].get());
    EXPECT_TRUE(out.keepWindow);
    ASSERT_EQ(e.state.SourceCount, 2);
    const SourceView& two = *e.state.SourceViews[2];
    EXPECT_EQ(&two, e.views[1].get());
    EXPECT_EQ(two.WidthScale, 100);
    EXPECT_EQ(two.Document.PictureWidth, 40);
    EXPECT_EQ(two.Document.PictureHeight, 30);
    EXPECT_EQ(two.Document.packet.data()[40 + 5], 77);
    EXPECT_EQ(e.Shown(2, 39, 29), (Bgr{77, 77, 77}));
    EXPECT_EQ(two.Title, "Source 2        (untitled)");
}

}  // namespace
}  // namespace wendral
