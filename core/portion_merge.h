#pragma once
#include "core/dest_state.h"
#include "core/source_image.h"
#include "core/zone.h"

namespace wendral {

// The portion merge's re-rendering of the ellipse inscribed in the zone from RestoreStore:
// `source` blended in with the strength |level| (level != 0), fully at the centre from a
// strength of 8 on and not at all on the rim. The zone needs y1 != y2; a zone left over from a
// larger picture keeps its geometry and only its pixels inside the current picture are read or
// written.
void BlendPortion(WendralState& state, const Zone& zone, const SourceImage& source, int level);

}  // namespace wendral
