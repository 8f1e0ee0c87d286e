#pragma once
#include "core/cpu_features.h"
#include "core/dest_state.h"
#include "core/messages.h"
#include "core/source_image.h"
#include "core/zone.h"

namespace wendral {

// The whole-picture merge of the two sources as shown, under the merge settings in `state`:
// resets the zone, takes the common size, writes every destination pixel, clears DestModified
// and BrushingEnabled. With no merge type in MergeMode it adds its message to `out`, keeps the
// size and writes no pixel. Returns Redraw when the destination should be redrawn.
ZoneOutcome MergeSources(WendralState& state, Zone& zone, const SourceImage& source1,
                         const SourceImage& source2, Messages& out);

// The same with the processor-specific loops limited to `widest` (and to what the processor
// runs). Every set gives the same bytes; the tests run each.
ZoneOutcome MergeSources(WendralState& state, Zone& zone, const SourceImage& source1,
                         const SourceImage& source2, Messages& out, InstructionSet widest);

}  // namespace wendral
