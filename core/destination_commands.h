#pragma once
#include <string>

#include "core/dest_state.h"
#include "core/zone.h"

namespace wendral {

inline constexpr const char* kDestinationTitle = "Destination Window";
inline constexpr const char* kModifiedMark = "  <modified>";
inline constexpr const char* kNoZoneMark = "  <no zone set>";

// The destination document's title: the name, then the modified mark, then the no-zone mark
// while a source is open and the zone's y corners coincide.
std::string DestinationTitle(int destModified, const Zone& zone, int sourceCount);
inline std::string DestinationTitle(const WendralState& state, const Zone& zone) {
    return DestinationTitle(state.DestModified, zone, state.SourceCount);
}

// Flip left-right (command 32818): clears the zone and every level, takes the current picture
// as the base and writes its mirror image into the destination. Sets DestModified only; brushing
// stays as it was. Needs no zone; always asks for a redraw.
ZoneOutcome Flip(WendralState& state, Zone& zone);

}  // namespace wendral
