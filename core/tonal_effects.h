#pragma once
#include <cstdint>
#include <memory>

#include "core/cpu_features.h"
#include "core/dest_state.h"
#include "core/pixel.h"

namespace wendral {

// Brightness of a pixel, 0 ... 254 (white gives 254): the three weighted products, each
// formed in double and truncated before they are added, shifted right by 6.
inline int Luma(Bgr p) {
    return (static_cast<int>(19.2 * p.r) + static_cast<int>(37.76 * p.g) +
            static_cast<int>(7.04 * p.b)) >>
           6;
}

enum class LuminanceMode { BlackAndWhite = 0, InvertedBrightness = 1 };

// Recolours every pixel from RestoreStore into DestinationStore: black and white writes the
// luma in all three channels; inverted brightness mirrors the luma but keeps the differences
// between the channels. Changes no flag. `set` narrows the processor's instructions (the tests
// run every set).
void LuminanceEffect(WendralState& state, LuminanceMode mode,
                     InstructionSet set = ProcessorInstructionSet());

// The working memory of one pencil drawing of a width x height picture. Had before anything
// changes, so that when it cannot be (std::bad_alloc) the picture, the generator and the base
// are as they were.
class PencilMemory {
  public:
    PencilMemory(int width, int height);
    ~PencilMemory();
    PencilMemory(const PencilMemory&) = delete;
    PencilMemory& operator=(const PencilMemory&) = delete;
    struct Parts;
    Parts& parts() { return *parts_; }

  private:
    std::unique_ptr<Parts> parts_;
};

// Paints DestWidth x DestHeight random strokes read from RestoreStore into DestinationStore,
// drawing two values of state.Random per stroke, and tells state.Progress how far it has got.
// Changes no flag. The first form has its memory first.
void PencilDraw(WendralState& state);
void PencilDraw(WendralState& state, PencilMemory& memory);

// The three commands: SnapshotDestination, the operation, MarkDestModified (the luminance
// commands recolour each row as soon as its snapshot is taken). The pencil's throws
// std::bad_alloc, changing nothing, when its working memory cannot be had.
void ConvertToBlackWhite(WendralState& state);
void InvertBrightness(WendralState& state);
void PencilDrawCommand(WendralState& state);
// Black and white or inverted brightness, `set` narrowing the processor's instructions.
void LuminanceCommand(WendralState& state, LuminanceMode mode,
                      InstructionSet set = ProcessorInstructionSet());

}  // namespace wendral
