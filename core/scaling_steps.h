#pragma once
#include <optional>

#include "core/source_view.h"  // kMinScalePercent, kMaxScalePercent

namespace wendral {

struct SteppedScales {
    int width;
    int height;
};

// The scaling dialog's step buttons: the base scales times 1.05 to the power `stepCount`
// (0.95 to the power -stepCount below zero), the factor built up in single precision one
// multiplication at a time and each product truncated toward zero. No value when either scale
// would leave the range: the dialog then refuses the step.
std::optional<SteppedScales> StepScales(int baseWidth, int baseHeight, int stepCount);

}  // namespace wendral
