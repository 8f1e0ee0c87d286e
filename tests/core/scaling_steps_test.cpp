#include "core/scaling_steps.h"

#include <gtest/gtest.h>

namespace wendral {
namespace {

struct StepCase {
    int baseWidth, baseHeight, steps;
    std::optional<SteppedScales> want;
};

TEST(StepScales, PowersOfTheBaseInSinglePrecisionTruncatedAndKeptInRange) {
    const StepCase cases[] = {
        {100, 100, 1, SteppedScales{104, 104}},  // 100 x 1.0499999523
        {100, 100, 6, SteppedScales{134, 134}},  // 1.3400954...
        {100, 100, -1, SteppedScales{94, 94}},   // 100 x 0.9499999880, not rounded to 95
        {150, 150, 1, SteppedScales{157, 157}},
        {200, 50, -1, SteppedScales{189, 47}},  // each scale from its own base
        {100, 100, 0, SteppedScales{100, 100}},
        {600, 300, 1, std::nullopt},             // 630 leaves the range
        {8, 100, -1, std::nullopt},              // 7
        {572, 100, 1, SteppedScales{600, 104}},  // 600.59...: truncates to the top itself
        {2000000000, 100, 5, std::nullopt},      // far beyond: refused without overflow
    };
    for (const StepCase& c : cases) {
        const std::optional<SteppedScales> got = StepScales(c.baseWidth, c.baseHeight, c.steps);
        SCOPED_TRACE(testing::Message()
                     << c.baseWidth << " x " << c.baseHeight << " by " << c.steps);
        ASSERT_EQ(got.has_value(), c.want.has_value());
        if (got) {
            EXPECT_EQ(got->width, c.want->width);
            EXPECT_EQ(got->height, c.want->height);
        }
    }
    EXPECT_EQ(kMinScalePercent, 8);
    EXPECT_EQ(kMaxScalePercent, 600);
}

}  // namespace
}  // namespace wendral
