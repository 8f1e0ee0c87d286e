#pragma once
#include "core/dest_state.h"
#include "core/source_image.h"
#include "core/zone.h"

namespace wendral {

// One press of "Portion 1 to Destination" (towards source 1) or "Portion 2 to Destination"
// (towards source 2): the ellipse inscribed in the zone re-rendered from RestoreStore with the
// accumulated PortionLevel.
//
// A source that is not open is passed as null (or with null pixels) and is never read. When
// the level in force blends a source that has since closed, that blend stays in the picture
// as it is and the press starts a fresh level from it, as after any other finished operation;
// a press that would blend a closed source changes no pixel and leaves PortionLevel at 0.
ZoneOutcome PortionToDestination1(WendralState& state, Zone& zone, const SourceImage* source1,
                                  const SourceImage* source2);
ZoneOutcome PortionToDestination2(WendralState& state, Zone& zone, const SourceImage* source1,
                                  const SourceImage* source2);

// The script commands `portion1 K` and `portion2 K`: K presses; stops at the first press that
// asks the zone question and returns what the last press asked.
ZoneOutcome PortionCommand(WendralState& state, Zone& zone, const SourceImage* source1, const SourceImage* source2,
                           int direction, int presses);

}  // namespace wendral
