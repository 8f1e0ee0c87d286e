#pragma once
#include <cstdint>
#include <string>
#include <vector>

#include "core/dest_state.h"
#include "core/pixel.h"
#include "core/zone.h"

namespace wendral {

inline constexpr Bgr kDefaultReferenceColour{127, 127, 127};

// The moments the reference colour returns to its default: the destination view is created,
// the destination is redrawn with no source open, the dialog's Reset.
inline void ResetReferenceColour(WendralState& state) {
    state.ReferenceColour = kDefaultReferenceColour;
}

// The engine side of the reference colour dialog: its own copy of the colour, which its
// three sliders and its swatch show. It never touches the destination picture.
class RefColourDialogState {
  public:
    // Copies ReferenceColour into the dialog (on opening, and on a right-button release
    // while the dialog is open).
    void Load(const WendralState& state);
    // The three slider positions (each held to 0 ... 255) become the dialog's colour and
    // ReferenceColour.
    void SlidersChanged(WendralState& state, int red, int green, int blue);
    void Reset(WendralState& state);
    // The arguments of the script's refcolour command that set the colour the dialog shows:
    // red, green, blue.
    std::vector<std::string> OutcomeArguments() const;

    std::uint8_t red = 127;
    std::uint8_t green = 127;
    std::uint8_t blue = 127;
};

// The running average of a right-button drag, held by the destination view. Before the
// first press inside the picture it is an empty run. The sums are 64-bit so that no drag,
// however long, can overflow them.
struct ReferenceSampling {
    std::int64_t BlueSum = 0;
    std::int64_t GreenSum = 0;
    std::int64_t RedSum = 0;
    std::int64_t SampleCount = 1;  // number of the next sample
};

// Right button pressed at picture position p while brushing is off: a press inside the
// picture starts a new run; outside it only marks CursorSample out of range.
void ReferenceSamplingPress(WendralState& state, ReferenceSampling& sampling, Point p);

// Pointer moved to p while the view holds the mouse and exactly the right button is down (no
// other button, no Shift or Ctrl). Brushing on takes no sample.
void ReferenceSamplingMove(WendralState& state, ReferenceSampling& sampling, Point p);

// Right button released (with or without brushing): the zone keeps its corners but every
// level returns to 0, and an open dialog (null when none) shows the new colour.
void ReferenceSamplingRelease(const WendralState& state, Zone& zone,
                              RefColourDialogState* openDialog);

}  // namespace wendral
