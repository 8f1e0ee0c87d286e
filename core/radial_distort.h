#pragma once
#include "core/dest_state.h"
#include "core/zone.h"

namespace wendral {

// Implode and explode share ImplodeLevel (explode +1, implode -1 per press) and re-render the
// ellipse inscribed in the zone from RestoreStore at the accumulated level. At level 0 the
// ellipse is copied back from RestoreStore unchanged, so a press and its opposite give back the
// base picture exactly.
//
// A zone left over from a larger picture keeps its geometry; only its pixels inside the current
// picture are read or written.
ZoneOutcome Radial(WendralState& state, Zone& zone, int step);
inline ZoneOutcome Implode(WendralState& state, Zone& zone) { return Radial(state, zone, -1); }
inline ZoneOutcome Explode(WendralState& state, Zone& zone) { return Radial(state, zone, +1); }

// `presses` presses in a row, stopping at the first one that does not redraw.
ZoneOutcome Implode(WendralState& state, Zone& zone, int presses);
ZoneOutcome Explode(WendralState& state, Zone& zone, int presses);

}  // namespace wendral
