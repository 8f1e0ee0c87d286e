#include "core/scaling_steps.h"

namespace wendral {

std::optional<SteppedScales> StepScales(int baseWidth, int baseHeight, int stepCount) {
    float factor = 1.0f;
    if (stepCount > 0)
        for (int i = 0; i < stepCount; ++i) factor = factor * 1.05f;
    else
        for (int i = 0; i < -stepCount; ++i) factor = factor * 0.95f;
    // The factor is single precision; the scale times the factor is not rounded back to
    // single precision, which would turn 100 x 0.9499999880 into 95 rather than 94.
    const double w = static_cast<double>(baseWidth) * static_cast<double>(factor);
    const double h = static_cast<double>(baseHeight) * static_cast<double>(factor);
    // Compared before truncating, so that a scale far out of range is never converted to int:
    // trunc(v) > 600 exactly when v >= 601, and trunc(v) < 8 exactly when v < 8.
    const bool inRange = w < kMaxScalePercent + 1.0 && h < kMaxScalePercent + 1.0 &&
                         w >= kMinScalePercent && h >= kMinScalePercent;
    if (!inRange) return std::nullopt;
    return SteppedScales{static_cast<int>(w), static_cast<int>(h)};
}

}  // namespace wendral
