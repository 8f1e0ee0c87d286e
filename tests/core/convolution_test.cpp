#include "core/convolution.h"

#include <gtest/gtest.h>

#include <string>
#include <utility>
#include <vector>

#include "core/effect_commands.h"
#include "reference/effects.h"

namespace wendral {
namespace {

TEST(Convolution, EveryFilterMatchesTheFormulaAtEverySize) {
    static WendralState fast, slow;
    // Widths around the 16-byte blocks of a row, and pictures with no inner pixel at all.
    const int sizes[][2] = {{1, 1}, {4, 1}, {1, 4},  {2, 2},  {5, 1},   {3, 3},   {6, 3},
                            {7, 4}, {8, 5}, {21, 6}, {40, 9}, {64, 33}, {100, 7}, {333, 5}};
    // Beside the filters, kernels whose division the vector lanes take other ways (a power of
    // two, negative sums, the widest weight) or must leave to the lookup (a negative divisor,
    // an offset beyond 16 bits).
    std::vector<std::pair<std::string, Kernel3>> kernels;
    for (const ConvolutionFilter& f : kConvolutionFilters) kernels.emplace_back(f.name, f.kernel);
    kernels.emplace_back("binomial", Kernel3{{1, 2, 1, 2, 4, 2, 1, 2, 1}, 16, 0});
    kernels.emplace_back("sobel", Kernel3{{-1, -2, -1, 0, 0, 0, 1, 2, 1}, 3, 128});
    kernels.emplace_back("wide", Kernel3{{0, 0, 0, 0, 128, 0, 0, 0, 0}, 127, -5});
    kernels.emplace_back("negative divisor", Kernel3{{1, 1, 1, 1, 1, 1, 1, 1, 1}, -9, 300});
    kernels.emplace_back("far offset", Kernel3{{-1, 0, 0, 0, 2, 0, 0, 0, 0}, 1, -40000});
    std::uint32_t seed = 1;
    for (const auto& [name, kernel] : kernels) {
        for (const auto& size : sizes) {
            for (const InstructionSet set : {InstructionSet::Sse2, InstructionSet::Avx2}) {
                SCOPED_TRACE(name + " " + std::to_string(size[0]) + "x" + std::to_string(size[1]) +
                             " set " + std::to_string(static_cast<int>(set)));
                reference::FillRandom(fast, size[0], size[1], seed);
                reference::FillRandom(slow, size[0], size[1], seed++);
                ASSERT_TRUE(ConvolveDestination(fast, kernel, 3, set));
                reference::Convolve(slow, kernel.weights.data(), kernel.divisor, kernel.offset);
                reference::ExpectStoresEqual(fast, slow);
                EXPECT_EQ(fast.DestModified, 1);
            }
        }
    }
    // The full picture: the last row and column sit at the very end of the store.
    reference::FillRandom(fast, kMaxWidth, kMaxHeight, 99);
    reference::FillRandom(slow, kMaxWidth, kMaxHeight, 99);
    const ConvolutionFilter& sharpen = kConvolutionFilters[0];
    ConvolveDestination(fast, sharpen.kernel);
    reference::Convolve(slow, sharpen.kernel.weights.data(), sharpen.kernel.divisor,
                        sharpen.kernel.offset);
    reference::ExpectStoresEqual(fast, slow);
}

TEST(Convolution, FlatPicturesAndTheUntouchedFrame) {
    static WendralState state;
    const int w = 9, h = 6;
    struct Expect {
        const char* name;
        int inner;  // -1: the flat value itself
    } expects[] = {{"sharpen", -1}, {"emboss", 127}, {"blur", -1}, {"soften", -1}, {"edge", 0}};
    for (const Expect& e : expects) {
        const EffectCommand* command = FindEffectCommand(e.name);
        ASSERT_NE(command, nullptr);
        for (int v : {0, 77, 255}) {
            state.DestWidth = w;
            state.DestHeight = h;
            for (int y = 0; y < h; ++y)
                for (int x = 0; x < w; ++x) reference::SetPixel(state, x, y, v, v, v);
            command->run(state);
            for (int y = 0; y < h; ++y)
                for (int x = 0; x < w; ++x) {
                    const bool frame = x == 0 || y == 0 || x == w - 1 || y == h - 1;
                    const int want = frame || e.inner < 0 ? v : e.inner;
                    ASSERT_EQ(state.DestPixel(x, y),
                              (Bgr{std::uint8_t(want), std::uint8_t(want), std::uint8_t(want)}))
                        << e.name << " " << v << " at " << x << "," << y;
                }
        }
    }
}

TEST(Convolution, SingleBrightPixelAndRepeatedBlur) {
    static WendralState state;
    state.DestWidth = 5;
    state.DestHeight = 5;
    std::memset(state.DestinationStore(), 0, state.DestBytes());
    reference::SetPixel(state, 2, 2, 255, 0, 255);
    FindEffectCommand("edge")->run(state);
    EXPECT_EQ(state.DestPixel(2, 2), (Bgr{255, 0, 255}));
    EXPECT_EQ(state.DestPixel(1, 1), (Bgr{0, 0, 0}));
    EXPECT_EQ(state.DestPixel(3, 2), (Bgr{0, 0, 0}));

    // Each blur starts from the current destination, so the second spreads the first.
    std::memset(state.DestinationStore(), 0, state.DestBytes());
    reference::SetPixel(state, 2, 2, 90, 90, 90);
    FindEffectCommand("blur")->run(state);
    EXPECT_EQ(state.DestPixel(2, 2).g, 10);
    EXPECT_EQ(state.DestPixel(1, 1).g, 10);
    FindEffectCommand("blur")->run(state);
    EXPECT_EQ(state.DestPixel(2, 2).g, 10);  // 90 / 9
    EXPECT_EQ(state.DestPixel(1, 2).g, 6);   // six tens of the first blur, over 9
    EXPECT_EQ(state.DestPixel(1, 1).g, 4);
}

TEST(Convolution, KernelsWhoseSumsWouldNotFitAreRefused) {
    static WendralState state;
    reference::FillRandom(state, 6, 6, 5);
    Kernel3 wide{{100, 0, 0, 0, 0, 0, 0, 0, 29}, 0, 0};
    EXPECT_FALSE(ConvolveDestination(state, wide));
    EXPECT_FALSE(ConvolveDestination(state, kConvolutionFilters[2].kernel, 5));
    EXPECT_EQ(state.DestModified, 0);
    EXPECT_EQ(0, std::memcmp(state.DestinationStore(), state.RestoreStore(), kStoreBytes));
    Kernel3 widest{{64, 0, 0, 0, 0, 0, 0, 0, -64}, 0, 0};
    EXPECT_TRUE(ConvolveDestination(state, widest));
}

}  // namespace
}  // namespace wendral
