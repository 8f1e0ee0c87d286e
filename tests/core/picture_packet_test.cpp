#include "core/picture_packet.h"

#include <gtest/gtest.h>

#include "core/dest_state.h"
#include "core/random15.h"

namespace wendral {
namespace {

TEST(PicturePacket, MadePacketsHaveTheBitmapHeaderAndPaddedRows) {
    std::vector<std::uint8_t> rows(360);
    for (std::size_t i = 0; i < rows.size(); ++i) rows[i] = static_cast<std::uint8_t>(i * 7);
    const PicturePacket p = MakePicturePacket(12, 10, rows.data());
    ASSERT_EQ(p.size(), 40u + 360u);
    EXPECT_EQ(p.HeaderSize(), 40u);
    EXPECT_EQ(p.Width(), 12);
    EXPECT_EQ(p.Height(), 10);
    EXPECT_EQ(p.Planes(), 1);
    EXPECT_EQ(p.BitsPerPixel(), 24);
    EXPECT_EQ(p.Compression(), 0u);
    EXPECT_EQ(p.ImageSize(), 360u);
    EXPECT_EQ(p.ColourTableEntries(), 0u);
    EXPECT_EQ(p.PixelBitsOffset(), 40u);
    EXPECT_TRUE(std::equal(rows.begin(), rows.end(), p.data() + 40));

    const PicturePacket small = MakePicturePacket(5, 2, nullptr);
    EXPECT_EQ(RowStride24(5), 16u);
    EXPECT_EQ(small.ImageSize(), 32u);
    EXPECT_EQ(small.size(), 72u);
}

TEST(PicturePacket, ColourTableRuleFollowsHeaderSizeAndDepth) {
    // A 12-byte header with 8 bits: 256 entries of 3 bytes.
    PicturePacket core(std::vector<std::uint8_t>(12 + 256 * 3 + 16, 0));
    core.SetU32(0, 12);
    core.SetU16(4, 4);
    core.SetU16(6, 4);
    core.SetU16(8, 1);
    core.SetU16(10, 8);
    EXPECT_EQ(core.Width(), 4);
    EXPECT_EQ(core.BitsPerPixel(), 8);
    EXPECT_EQ(core.PixelBitsOffset(), 12u + 256u * 3u);

    PicturePacket info = MakePicturePacket(4, 4, nullptr);
    info.SetU16(14, 4);
    EXPECT_EQ(info.PixelBitsOffset(), 40u + 16u * 4u);
    info.SetU32(32, 5);  // colours used
    EXPECT_EQ(info.PixelBitsOffset(), 40u + 5u * 4u);
    info.SetU16(14, 1);
    info.SetU32(32, 0);
    EXPECT_EQ(info.ColourTableEntries(), 2u);
}

TEST(PicturePacket, FieldsBeyondAShortBlockReadAsZero) {
    PicturePacket p(std::vector<std::uint8_t>{40, 0, 0});
    EXPECT_EQ(p.HeaderSize(), 0u);
    EXPECT_EQ(p.Width(), 0);
    EXPECT_EQ(p.BitsPerPixel(), 0);
    EXPECT_TRUE(PicturePacket().empty());
    EXPECT_TRUE(DuplicatePacket(PicturePacket()).empty());
    const PicturePacket a = MakePicturePacket(3, 3, nullptr);
    PicturePacket b = DuplicatePacket(a);
    EXPECT_EQ(a, b);
    b.data()[40] = 1;
    EXPECT_EQ(a.data()[40], 0);
}

TEST(DestinationState, StartsEmptyWithGreyReference) {
    WendralState s;
    EXPECT_EQ(s.DestWidth, 0);
    EXPECT_EQ(s.DestHeight, 0);
    EXPECT_FALSE(s.PicturePresent());
    EXPECT_EQ(s.ReferenceColour, (Bgr{127, 127, 127}));
    EXPECT_EQ(s.MergeMode, 1u);
    EXPECT_EQ(s.MergeBias, 127);
    EXPECT_EQ(s.ContrastThreshold, 127);
    EXPECT_EQ(s.DestModified + s.DestLocked + s.BrushingEnabled + s.SourceCount, 0);
}

TEST(DestinationState, AddressingIsBottomUpWithPackedRows) {
    WendralState s;
    s.DestWidth = 8;
    s.DestHeight = 3;
    EXPECT_EQ(s.DestOffset(0, 2), 0u);          // bottom row first
    EXPECT_EQ(s.DestOffset(0, 0), 2u * 8 * 3);  // top row last
    EXPECT_EQ(s.DestOffset(5, 1), 3u * (8 + 5));
}

TEST(DestinationState, SizeRuleRoundsWidthSoRowsStayAligned) {
    WendralState s;
    const std::pair<int, int> widths[] = {{2048, 2048}, {2047, 2048}, {2046, 2044}, {7, 8},
                                          {5, 4},       {1, 0},       {2, 0},       {4000, 2048}};
    for (auto [shown, expected] : widths) {
        s.TakeDestinationSize(shown, 10);
        EXPECT_EQ(s.DestWidth, expected) << shown;
    }
    s.TakeDestinationSize(100, 5000);
    EXPECT_EQ(s.DestHeight, 1536);
}

TEST(DestinationState, SnapshotThenRevertRestoresEveryByte) {
    WendralState s;
    s.DestWidth = 644;
    s.DestHeight = 10;
    for (std::size_t i = 0; i < s.DestBytes(); ++i)
        s.DestinationStore()[i] = static_cast<std::uint8_t>(i * 31 + 5);
    std::vector<std::uint8_t> before(s.DestinationStore(), s.DestinationStore() + s.DestBytes());
    s.SnapshotDestination();
    std::fill_n(s.DestinationStore(), s.DestBytes(), 0);
    s.RevertDestination();
    EXPECT_TRUE(std::equal(before.begin(), before.end(), s.DestinationStore()));
    EXPECT_TRUE(std::equal(before.begin(), before.end(), s.RestoreStore()));
}

TEST(Random15, FollowsTheLinearCongruentialSequenceFromStateOne) {
    Random15 r;
    std::uint32_t state = 1;
    for (int i = 0; i < 1000; ++i) {
        state = state * 214013u + 2531011u;
        ASSERT_EQ(r.Next(), static_cast<int>((state >> 16) & 0x7FFF));
    }
    Random15 fresh;
    EXPECT_EQ(fresh.Next(), 41);  // the first draw from state 1
}

}  // namespace
}  // namespace wendral
