#include "core/merge_align.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <vector>

#include "merge_test_support.h"

namespace wendral {
namespace {

using test::SourceBuffer;

// The overlay as its formula reads: each pixel, each channel, stored bottom-up as the window
// shows it.
std::vector<std::uint8_t> ReferenceOverlay(const SourceImage& one, const SourceImage& two,
                                           int width, int height) {
    std::vector<std::uint8_t> out(3 * static_cast<std::size_t>(width) * height);
    for (int i = 0; i < height; ++i)
        for (int j = 0; j < width; ++j)
            for (int c = 0; c < 3; ++c)
                out[3 * (static_cast<std::size_t>(height - 1 - i) * width + j) + c] =
                    static_cast<std::uint8_t>((one.At(j, i)[c] + two.At(j, i)[c]) >> 1);
    return out;
}

TEST(MergeAlignOverlay, MatchesTheFormulaAtTheMergesSize) {
    Random15 rng;
    SourceBuffer a(rng), b(rng);
    struct Case {
        int w1, h1, w2, h2, width, height;
    };
    const Case cases[] = {
        {800, 600, 640, 480, 640, 480},  // the smaller window gives the size
        {503, 400, 900, 700, 504, 400},  // the width rounds up, one column beyond the shown area
        {2048, 1536, 2048, 1536, 2048, 1536}, {1, 1, 5, 5, 0, 1}, {0, 0, 300, 200, 0, 0},
    };
    for (const Case& c : cases) {
        const SourceImage one = a.Image(c.w1, c.h1), two = b.Image(c.w2, c.h2);
        const OverlaySize size = MergeAlignOverlaySize(one, two);
        ASSERT_EQ(size.width, c.width) << c.w1 << " " << c.w2;
        ASSERT_EQ(size.height, c.height) << c.h1 << " " << c.h2;
        // Written top-down with a row stride wider than the row, whose slack stays untouched.
        const std::size_t stride = 3 * static_cast<std::size_t>(size.width) + 5;
        std::vector<std::uint8_t> top(stride * size.height, 0xA5);
        MergeAlignOverlay(one, two, top.data(), stride);
        const std::vector<std::uint8_t> want = ReferenceOverlay(one, two, size.width, size.height);
        for (int i = 0; i < size.height; ++i) {
            const std::uint8_t* row = top.data() + stride * i;
            ASSERT_TRUE(std::equal(
                row, row + 3 * size.width,
                want.begin() + 3 * static_cast<std::ptrdiff_t>(size.height - 1 - i) * size.width))
                << "row " << i << " of " << c.width << " x " << c.height;
            ASSERT_TRUE(std::all_of(row + 3 * size.width, row + stride,
                                    [](std::uint8_t v) { return v == 0xA5; }));
        }
    }
}

}  // namespace
}  // namespace wendral
