#include "core/source_view.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <vector>

#include "core/random15.h"
#include "reference/source_view.h"

namespace wendral {
namespace {

// A w x h 24-bit packet whose pixel (x, y), y from the top, is (x, y, x ^ y) in the low bytes,
// or random bytes when a generator is given.
PicturePacket TestPicture(int w, int h, Random15* random = nullptr) {
    PicturePacket p = MakePicturePacket(w, h, nullptr);
    const std::size_t stride = RowStride24(w);
    for (int y = 0; y < h; ++y) {
        std::uint8_t* row = p.data() + 40 + stride * static_cast<std::size_t>(h - 1 - y);
        for (int x = 0; x < w; ++x) {
            for (int k = 0; k < 3; ++k)
                row[3 * x + k] = random ? static_cast<std::uint8_t>(random->Next())
                                        : static_cast<std::uint8_t>(k == 0   ? x
                                                                    : k == 1 ? y
                                                                             : x ^ y);
        }
    }
    return p;
}

void Load(SourceView& v, PicturePacket p) {
    v.Document.PictureWidth = p.Width();
    v.Document.PictureHeight = p.Height();
    v.Document.packet = std::move(p);
}

Bgr At(const SourceView& v, int x, int y) {
    const std::uint8_t* p = v.Image().At(x, y);
    return Bgr{p[0], p[1], p[2]};
}

Bgr PictureAt(const PicturePacket& p, int x, int y) {
    const std::uint8_t* q = p.data() + 40 +
                            RowStride24(p.Width()) * static_cast<std::size_t>(p.Height() - 1 - y) +
                            3 * x;
    return Bgr{q[0], q[1], q[2]};
}

const Bgr kWhite{255, 255, 255};

TEST(SourceView, ConstructedWhiteAtHundredPercent) {
    SourceView v;
    EXPECT_EQ(v.WidthScale, 100);
    EXPECT_EQ(v.HeightScale, 100);
    EXPECT_TRUE(std::all_of(v.SourcePixels(), v.SourcePixels() + kStoreBytes,
                            [](std::uint8_t b) { return b == 255; }));
}

TEST(SourceView, PictureSmallerThanWindowSitsTopLeftOnWhite) {
    SourceView v;
    Load(v, TestPicture(400, 300));
    v.SetClientSize(600, 500);
    v.LayoutSourceView(false);
    EXPECT_EQ(v.ScrollPosition(), (ScrollPoint{600, 500}));
    EXPECT_EQ(v.PictureOrigin, (ScrollPoint{600, 500}));
    EXPECT_EQ(v.ScrollArea(), (ScrollPoint{400 + 1200, 300 + 1000}));
    v.RenderSourceView();
    EXPECT_EQ(v.SourceShownWidth, 600);
    EXPECT_EQ(v.SourceShownHeight, 500);
    EXPECT_EQ(At(v, 0, 0), PictureAt(v.Document.packet, 0, 0));
    EXPECT_EQ(At(v, 399, 299), PictureAt(v.Document.packet, 399, 299));
    EXPECT_EQ(At(v, 400, 0), kWhite);
    EXPECT_EQ(At(v, 0, 300), kWhite);

    // Scrolled 100 right: picture columns 100.. land at client column 0.
    v.ScrollTo(700, 500);
    v.RenderSourceView();
    EXPECT_EQ(At(v, 0, 10), PictureAt(v.Document.packet, 100, 10));
    EXPECT_EQ(At(v, 299, 10), PictureAt(v.Document.packet, 399, 10));
    EXPECT_EQ(At(v, 300, 10), kWhite);

    // Scrolled 50 left of the origin: 50 white columns first.
    v.ScrollTo(550, 500);
    v.RenderSourceView();
    EXPECT_EQ(At(v, 49, 10), kWhite);
    EXPECT_EQ(At(v, 50, 10), PictureAt(v.Document.packet, 0, 10));
}

TEST(SourceView, ScaledColumnsUseTwoSeparateDivisions) {
    SourceView v;
    Load(v, TestPicture(100, 20));
    v.SetClientSize(60, 20);
    v.SetScales(150, 100);
    v.LayoutSourceView(false);
    v.ScrollTo(60 + 7, 20);  // 7 scaled columns out on the left
    v.RenderSourceView();
    // 7 * 100 / 150 + 1 * 100 / 150 = 4 + 0, where (7 + 1) * 100 / 150 would be 5.
    EXPECT_EQ(At(v, 1, 0), PictureAt(v.Document.packet, 4, 0));

    v.SetScales(50, 50);
    v.LayoutSourceView(false);
    v.RenderSourceView();
    for (int c = 0; c < 50; ++c)
        EXPECT_EQ(At(v, c, 3), PictureAt(v.Document.packet, 2 * c, 6)) << c;
}

TEST(SourceView, HugeWindowIsCutToTheGridAndWritesNothingBeyond) {
    SourceView v;
    Load(v, TestPicture(3000, 2000));
    v.SetClientSize(2500, 1600);
    v.LayoutSourceView(false);
    v.RenderSourceView();
    EXPECT_EQ(v.SourceShownWidth, 2048);
    EXPECT_EQ(v.SourceShownHeight, 1536);
    EXPECT_EQ(At(v, 2047, 1535), PictureAt(v.Document.packet, 2047, 1535));
}

TEST(SourceView, ResizeWithKeepLeavesThePictureInPlace) {
    SourceView v;
    Load(v, TestPicture(400, 300));
    v.SetClientSize(200, 150);
    v.LayoutSourceView(false);
    v.ScrollTo(260, 170);  // picture shifted 60 left, 20 up
    v.LastScrollPosition = v.ScrollPosition();
    v.RenderSourceView();
    const Bgr before = At(v, 10, 10);
    v.SetClientSize(230, 150);
    v.LayoutSourceView(true);
    EXPECT_EQ(v.ScrollPosition(), (ScrollPoint{290, 170}));
    EXPECT_EQ(v.LastClientSize, (ClientSize{230, 150}));
    v.RenderSourceView();
    EXPECT_EQ(At(v, 10, 10), before);
    EXPECT_EQ(At(v, 10, 10), PictureAt(v.Document.packet, 70, 30));

    // Shrinking past the position can only clamp; the kept position is the one reached.
    v.ScrollTo(10, 10);
    v.LastScrollPosition = v.ScrollPosition();
    v.SetClientSize(100, 100);
    v.LayoutSourceView(true);
    EXPECT_EQ(v.ScrollPosition(), (ScrollPoint{0, 0}));
    EXPECT_EQ(v.LastScrollPosition, (ScrollPoint{0, 0}));
}

TEST(SourceView, FitComputesPercentagesAndRefusesDegenerateCases) {
    SourceView v;
    Load(v, TestPicture(1000, 500));
    v.SetClientSize(640, 480);
    EXPECT_TRUE(v.FitScales());
    EXPECT_EQ(v.WidthScale, 64);
    EXPECT_EQ(v.HeightScale, 96);

    // Percentages that come out 0: nothing changes.
    v.SetScales(100, 100);
    v.SetClientSize(5, 480);
    EXPECT_FALSE(v.FitScales());
    EXPECT_EQ(v.WidthScale, 100);

    // A picture filled from an empty destination has no width.
    v.Document.PictureWidth = 0;
    v.Document.PictureHeight = 0;
    EXPECT_FALSE(v.FitScales());
    EXPECT_FALSE(v.SetScales(0, 100));
    EXPECT_FALSE(v.SetScales(100, -3));
    EXPECT_EQ(v.HeightScale, 100);
}

TEST(SourceView, PacketsThatPromiseMoreThanTheyHoldRenderWhite) {
    SourceView v;
    PicturePacket p = TestPicture(40, 30);
    p.SetU32(8, 3000);  // height far beyond the bytes present
    Load(v, p);
    v.SetClientSize(50, 40);
    v.LayoutSourceView(false);
    v.RenderSourceView();
    EXPECT_EQ(At(v, 0, 0), kWhite);
    EXPECT_EQ(v.SourceShownWidth, 50);
}

// The fast rendering against the reference at many scales, scroll positions and sizes; the
// array starts dirty so that a pixel the fast form forgets to write shows.
TEST(SourceView, RenderingMatchesTheReferenceByteForByte) {
    Random15 random;
    SourceView v;
    std::vector<std::uint8_t> expected(kStoreBytes);
    const int sizes[][2] = {{1, 1}, {2, 3}, {7, 5}, {33, 17}, {120, 90}, {257, 131}};
    const int scales[] = {8, 33, 50, 99, 100, 101, 150, 333, 600};
    int cases = 0;
    for (const auto& s : sizes) {
        Load(v, TestPicture(s[0], s[1], &random));
        for (int ws : scales) {
            for (int hs : {scales[random.Next() % 9], ws}) {
                const int cw = 1 + random.Next() % 300, ch = 1 + random.Next() % 200;
                v.SetClientSize(cw, ch);
                v.SetScales(ws, hs);
                v.LayoutSourceView(false);
                const ScrollPoint range = v.ScrollRange();
                for (int k = 0; k < 4; ++k) {
                    v.ScrollTo(random.Next() % (range.x + 1), random.Next() % (range.y + 1));
                    for (std::size_t i = 0; i < kStoreBytes; i += 4099)
                        v.SourcePixels()[i] = static_cast<std::uint8_t>(i);
                    std::memcpy(expected.data(), v.SourcePixels(), kStoreBytes);
                    reference::Render(v, expected);
                    v.RenderSourceView();
                    ASSERT_EQ(std::memcmp(expected.data(), v.SourcePixels(), kStoreBytes), 0)
                        << s[0] << "x" << s[1] << " at " << ws << "% x " << hs << "% in " << cw
                        << "x" << ch << " scrolled " << v.ScrollPosition().x << ","
                        << v.ScrollPosition().y;
                    ++cases;
                }
            }
        }
    }
    EXPECT_GT(cases, 400);
}

}  // namespace
}  // namespace wendral
