#pragma once
#include <optional>

#include "core/dest_state.h"
#include "core/messages.h"
#include "core/zone.h"

namespace wendral {

inline constexpr double kRotatePi = 3.14159;
inline constexpr double kRotateMarkerZero = 1.570795;  // where the dial marker shows 0 degrees
inline constexpr const char* kRotateRangeMessage = "Please enter an integer between 0 and 359.";

// The destination turned by `rotateAngle` degrees about its centre, read from RestoreStore
// (the snapshot the dialog took when it opened); the whole store is blackened first, so what
// nothing turns into is black. Ends with the zone reset and the destination marked modified.
ZoneOutcome RotateDestination(WendralState& state, Zone& zone, int rotateAngle);

// The angle a point on the dial's ring (client pixels) stands for; nothing off the ring.
std::optional<int> PointToAngle(int p, int q);

// The dial marker for an angle: its angle in radians and its 12 x 12 bounding box.
struct MarkerBox {
    int left, top, right, bottom;
};
double RotateMarkerAngle(int rotateAngle);
MarkerBox RotateMarkerBox(double markerAngle);

// The script command `rotate DEG`: the rotate dialog opened (its snapshot) and closed with OK.
// A degree count outside 0..359 gives the field's range message and still rotates by it.
ZoneOutcome RotateCommand(WendralState& state, Zone& zone, int degrees, Messages& out);

}  // namespace wendral
