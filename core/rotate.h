#pragma once
#include <functional>
#include <optional>
#include <string>
#include <vector>

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

// The dial's geometry, in the client pixels of the dialog it was first drawn in: a dial drawn
// elsewhere maps its points to these. The mouse acts on the ring around the centre whose
// squared distance d2 from it lies strictly between the two bounds.
inline constexpr int kDialCentreX = 108;
inline constexpr int kDialCentreY = 161;
inline constexpr int kDialRingInnerSquared = 1800;
inline constexpr int kDialRingOuterSquared = 3000;

// The angle a point on the dial's ring (client pixels) stands for; nothing off the ring.
std::optional<int> PointToAngle(int p, int q);

// A rectangle of the dial, right and bottom exclusive.
struct DialBox {
    int left, top, right, bottom;
};
using MarkerBox = DialBox;

// The busy light over the dial's centre: red while the picture turns, brown after.
inline constexpr DialBox kBusyLight{99, 152, 119, 172};

// The marker is a circle of kMarkerSize pixels whose box lies at kMarkerOrigin less the
// truncated kMarkerRadius x (cos, sin) of the marker angle: its centre runs round a circle of
// that radius about kMarkerOrigin + kMarkerSize / 2, two pixels off the ring's centre.
inline constexpr int kMarkerOriginX = 104;
inline constexpr int kMarkerOriginY = 157;
inline constexpr int kMarkerRadius = 48;
inline constexpr int kMarkerSize = 12;

// The dial marker for an angle: its angle in radians and its bounding box.
double RotateMarkerAngle(int rotateAngle);
MarkerBox RotateMarkerBox(double markerAngle);

// The engine side of the rotate dialog: the angle its field holds, the dial's marker, the drag
// on the dial's ring, and the snapshot taken when it opened, which every rotation turns afresh.
class RotateDialogState {
  public:
    // Takes the snapshot.
    RotateDialogState(WendralState& state, Zone& zone);

    int RotateAngle() const { return angle_; }
    // The field's exchange: any integer, checked against 0..359 by the field, not here.
    void SetRotateAngle(int degrees) { angle_ = degrees; }

    // RotateDestination with RotateAngle: the marker is erased and drawn at the new angle, the
    // busy light turns red, the picture turns from the snapshot, the light turns brown.
    void Rotate();
    // Cancel: RotateAngle 0, which turns the snapshot back into the destination exactly.
    void Cancel();

    // The left button on the dial, in client pixels. A point on the ring sets RotateAngle and
    // rotates; true when it did.
    bool Press(int p, int q);
    bool Move(int p, int q);
    void Release() { dragging_ = false; }
    bool Dragging() const { return dragging_; }

    // The marker: none before the first rotation; the box the last rotation erased (in grey)
    // before it drew the marker (in white).
    std::optional<MarkerBox> Marker() const;
    std::optional<MarkerBox> ErasedMarker() const { return erased_; }

    // Told true just before the picture turns and false once it has: the busy light.
    void SetBusyLight(std::function<void(bool)> light) { light_ = std::move(light); }

    // The arguments of the command table's "rotate" row (DEG) that give the destination the
    // dialog leaves: every rotation turns the snapshot afresh, so the last one is the outcome,
    // however many came before.
    std::vector<std::string> RowArguments() const;

  private:
    bool PointTo(int p, int q);

    WendralState& state_;
    Zone& zone_;
    int angle_ = 0;
    double markerAngle_ = kRotateMarkerZero;
    bool markerShown_ = false;
    std::optional<MarkerBox> erased_;
    int rotated_ = 0;
    bool dragging_ = false;
    std::function<void(bool)> light_;
};

// The script command `rotate DEG`: the rotate dialog opened (its snapshot) and closed with OK.
// A degree count outside 0..359 gives the field's range message and still rotates by it.
ZoneOutcome RotateCommand(WendralState& state, Zone& zone, int degrees, Messages& out);

}  // namespace wendral
