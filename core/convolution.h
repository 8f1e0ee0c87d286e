#pragma once
#include <array>
#include "core/cpu_features.h"

#include "core/command_ids.h"
#include "core/dest_state.h"

namespace wendral {

// A 3 x 3 kernel row by row: the first row weighs the row above the pixel, and within a row
// the first weight is the left neighbour's. A divisor of 0 means the sums are not divided.
struct Kernel3 {
    std::array<int, 9> weights{};
    int divisor = 0;
    int offset = 0;
};

// Every inner pixel of the destination becomes the clamped, divided and offset kernel sum of
// its neighbourhood in RestoreStore; the one-pixel frame is not written. Then
// MarkDestModified. Sums are kept exact in 16 bits, which holds for every kernel whose
// absolute weights add up to at most 128 (all the filters do); any other kernel, or a size
// other than 3, is refused: nothing changes and the result is false. The widest loops `set`
// allows run; all give the same bytes.
bool ConvolveDestination(WendralState& state, const Kernel3& kernel, int kernelSize = 3,
                         InstructionSet set = ProcessorInstructionSet());

struct ConvolutionFilter {
    int commandId;
    const char* name;  // the batch command
    Kernel3 kernel;
};

inline constexpr std::array<ConvolutionFilter, 5> kConvolutionFilters{{
    {kSharpen, "sharpen", {{-1, -1, -1, -1, 15, -1, -1, -1, -1}, 7, 0}},
    {kEmboss, "emboss", {{-1, 0, 0, 0, 0, 0, 0, 0, 1}, 0, 127}},
    {kBlur, "blur", {{1, 1, 1, 1, 1, 1, 1, 1, 1}, 9, 0}},
    {kSoften, "soften", {{1, 1, 1, 1, 8, 1, 1, 1, 1}, 16, 0}},
    {kEdge, "edge", {{-1, -1, -1, -1, 8, -1, -1, -1, -1}, 0, 0}},
}};

// The filter command: SnapshotDestination, then ConvolveDestination with its kernel.
void ApplyFilter(WendralState& state, const ConvolutionFilter& filter);

}  // namespace wendral
