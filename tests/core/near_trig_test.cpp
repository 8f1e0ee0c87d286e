#include "core/near_trig.h"

#include <gtest/gtest.h>

#include <bit>
#include <cmath>
#include <cstdint>
#include <limits>
#include <random>

namespace wendral {
namespace {

// The twist and the rotation copy a pixel from SinCosNear's position whenever the margin decides
// it; that is exact only while the error stays inside the bound the margins are built on. The
// ranges cover the twist's angles at depth, the quadrant edges where the reduction switches,
// and the far end of the range.
TEST(NearTrig, SinCosStayWithinTheirBoundOverTheWholeRange) {
    std::mt19937_64 rng(7);
    const double ranges[][2] = {
        {-4.0, 4.0}, {-200.0, 200.0}, {-kSinCosNearLimit, kSinCosNearLimit}};
    double worst = 0;
    for (const auto& r : ranges) {
        std::uniform_real_distribution<double> pick(r[0], r[1]);
        for (int i = 0; i < 200000; ++i) {
            const double x = pick(rng), y = pick(rng);
            const SinCos near = SinCosNear(x);
            worst = std::max(
                {worst, std::fabs(near.sin - std::sin(x)), std::fabs(near.cos - std::cos(x))});
#if defined(WENDRAL_X86_SIMD)
            // Two lanes at once give each lane's scalar bits.
            __m128d s2, c2;
            SinCosNear2(_mm_set_pd(y, x), s2, c2);
            double sins[2], coss[2];
            _mm_storeu_pd(sins, s2);
            _mm_storeu_pd(coss, c2);
            const SinCos other = SinCosNear(y);
            const double want[] = {near.sin, near.cos, other.sin, other.cos};
            const double got[] = {sins[0], coss[0], sins[1], coss[1]};
            for (int k = 0; k < 4; ++k)
                ASSERT_EQ(std::bit_cast<std::uint64_t>(got[k]),
                          std::bit_cast<std::uint64_t>(want[k]))
                    << x << " " << y;
#endif
        }
    }
    for (int k = -4000; k <= 4000; ++k)
        for (const double x : {std::nextafter(k * M_PI / 4, -1e9), k * M_PI / 4,
                               std::nextafter(k * M_PI / 4, 1e9)}) {
            const SinCos near = SinCosNear(x);
            worst = std::max(
                {worst, std::fabs(near.sin - std::sin(x)), std::fabs(near.cos - std::cos(x))});
        }
    EXPECT_LT(worst, kSinCosNearError);
}

TEST(NearTrig, TruncNearDecidesOnlyWhatEveryValueInTheMarginAgreesOn) {
    const double inf = std::numeric_limits<double>::infinity();
    struct Case {
        double near, margin;
        int limit, expected;
    } cases[] = {
        {5.5, 0.1, 10, 5},
        {5.0, 1e-6, 10, kTruncUnsure},   // on a pixel's edge
        {-0.5, 0.1, 10, 0},              // (-1, 0) truncates to column 0
        {-1.0, 1e-6, 10, kTruncUnsure},  // the picture's left edge
        {-1.5, 0.1, 10, kTruncOff},
        {10.0, 1e-6, 10, kTruncUnsure},  // the right edge
        {10.5, 0.1, 10, kTruncOff},
        {3.2, inf, 10, kTruncUnsure},  // no margin can be trusted
        {std::nan(""), 0.1, 10, kTruncUnsure},
    };
    for (const Case& c : cases)
        EXPECT_EQ(TruncNear(c.near, c.margin, c.limit), c.expected) << c.near << " +- " << c.margin;
}

}  // namespace
}  // namespace wendral
