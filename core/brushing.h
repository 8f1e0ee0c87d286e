#pragma once
#include <optional>
#include <vector>

#include "core/dest_state.h"
#include "core/messages.h"
#include "core/pixel.h"
#include "core/source_image.h"
#include "core/zone.h"

namespace wendral {

inline constexpr const char* kNoSource2Message = "No source 2 window to brush from !.";

// The view's client rectangle, by its right and bottom edges (its width and height).
struct ClientArea {
    int right = 0;
    int bottom = 0;
};
// Without a window (wendral-batch) the client area is the picture itself.
inline ClientArea PictureArea(const WendralState& state) {
    return {state.DestWidth, state.DestHeight};
}

// The dotted rectangle drawn around the brush ellipse: corners (left, top) and (right, bottom),
// both on the outline.
struct BrushOutline {
    int left = 0, top = 0, right = 0, bottom = 0;
    friend bool operator==(const BrushOutline&, const BrushOutline&) = default;
};

// Mouse button flags of a move event.
inline constexpr unsigned kLeftButton = 1;
inline constexpr unsigned kRightButton = 2;

struct BrushingStart {
    // AskZoneQuestion when the zone lacks a width or a height; Nothing otherwise.
    ZoneOutcome outcome = ZoneOutcome::Nothing;
    // Set when brushing came on: the outline to draw at the zone's centre.
    std::optional<BrushOutline> outline;
};

// Brushing needs a picture and a source (otherwise it stays off, silently) and a zone with both
// a width and a height, whose size becomes the brush's.
BrushingStart StartBrushing(WendralState& state, Zone& zone, ClientArea client);
// Turns brushing off and collapses the zone to its anchor; the view then repaints.
void StopBrushing(WendralState& state, Zone& zone);

// Takes the brush size from the zone and moves `at` (for the caller too) so that the brush
// stays inside the client area and the picture; nothing without a picture.
std::optional<BrushOutline> PlaceBrush(const WendralState& state, Zone& zone, Point& at,
                                       ClientArea client);

// Copies the source pixels under the brush ellipse centred on `at` into the destination, at the
// same positions; no snapshot, no level. Only pixels inside the picture are painted, whatever
// the brush size. A closed source (null, or without pixels) paints nothing.
void Paint(WendralState& state, const Zone& zone, Point at, const SourceImage* source);

// One press, drag and release of a mouse button while brushing is on: the left button paints
// from source 1, the right one from source 2. The view repaints the picture before each move
// and then draws the outline the move returns.
class BrushStroke {
  public:
    // `button` is kLeftButton or kRightButton. Returns the message to show, if any.
    Messages Press(const WendralState& state, unsigned button);
    // Painting happens only while a press holds the stroke, with one button alone down.
    std::optional<BrushOutline> Move(WendralState& state, Zone& zone, Point& pointer,
                                     unsigned buttons, const SourceImage* source1,
                                     const SourceImage* source2, ClientArea client);
    // A right-button release also starts the distortions afresh on the current picture.
    void Release(Zone& zone, unsigned button);
    bool Held() const { return held_; }

  private:
    bool held_ = false;
};

// A scripted stroke: the button of source `source` (1 left, 2 right) pressed at points[0],
// moved to each further point, released, in a window whose client area is `client` (none: the
// picture's size).
Messages BrushAlong(WendralState& state, Zone& zone, int source, const std::vector<Point>& points,
                    const SourceImage* source1, const SourceImage* source2,
                    std::optional<ClientArea> client = std::nullopt);

}  // namespace wendral
