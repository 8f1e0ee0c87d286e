#pragma once
#include "core/dest_state.h"
#include "core/zone.h"

namespace wendral {

// Converge and diverge share ColourLevel (converge +1, diverge -1 per press) and recompute the
// ellipse inscribed in the zone from RestoreStore, pulling each channel towards (or pushing it
// away from) ReferenceColour, most at the centre and not at all on the rim.
//
// A zone left over from a larger picture keeps its geometry; only its pixels inside the current
// picture are read or written.
ZoneOutcome Pull(WendralState& state, Zone& zone, int step);
inline ZoneOutcome Converge(WendralState& state, Zone& zone) { return Pull(state, zone, +1); }
inline ZoneOutcome Diverge(WendralState& state, Zone& zone) { return Pull(state, zone, -1); }

// `presses` presses in a row, stopping at the first one that does not redraw.
ZoneOutcome Converge(WendralState& state, Zone& zone, int presses);
ZoneOutcome Diverge(WendralState& state, Zone& zone, int presses);

}  // namespace wendral
