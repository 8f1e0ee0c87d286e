#pragma once
#include <algorithm>

namespace wendral {

// What a destination command asks of its caller once it has run.
enum class ZoneOutcome {
    Redraw,           // the destination changed: redraw it
    AskZoneQuestion,  // there is no zone: ask kZoneQuestion (no pixel changed)
    Nothing,          // nothing to show
};

inline constexpr const char* kZoneQuestion =
    "No Zone set up in the Destination\nDo you want help on this ?";

// The zone of the destination view and the levels that count presses of the distortion
// commands since their base picture (RestoreStore) was taken. The corners are kept as the
// mouse gave them; every user takes the min and max.
struct Zone {
    int PortionLevel = 0;
    int ColourLevel = 0;
    int HorizontalNudgeLevel = 0;
    int VerticalNudgeLevel = 0;
    int ImplodeLevel = 0;
    double TwistLevel = 0.0;
    int BrushWidth = 20;
    int BrushHeight = 20;
    int x1 = -1, y1 = -1;  // anchor corner
    int x2 = -1, y2 = -1;  // moving corner

    int xmin() const { return std::min(x1, x2); }
    int xmax() const { return std::max(x1, x2); }
    int ymin() const { return std::min(y1, y2); }
    int ymax() const { return std::max(y1, y2); }
    bool HasZone() const { return y1 != y2; }

    void ResetLevels() {
        PortionLevel = ColourLevel = HorizontalNudgeLevel = VerticalNudgeLevel = ImplodeLevel = 0;
        TwistLevel = 0.0;
    }
    void ResetZone() {
        ResetLevels();
        x1 = y1 = x2 = y2 = -1;
    }
    friend bool operator==(const Zone&, const Zone&) = default;
};

}  // namespace wendral
