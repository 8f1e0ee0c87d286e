#pragma once
#include <algorithm>

#include "core/limits.h"
#include "core/zone.h"

namespace wendral {

// A zone formed on an earlier, larger picture can have corners beyond the current one (the
// picture shrinks when a source window does). Every zone command works on the corners clamped
// into the current picture, so no command can address a pixel outside the stores; the stored
// corners stay as the mouse left them. An empty picture, or one larger than the stores' grid,
// has no zone. Clamping never turns equal y corners into unequal ones, so it never creates a
// zone; it can collapse one (both y corners beyond the bottom edge), which then counts as none.
inline Zone ZoneInPicture(const Zone& zone, int destWidth, int destHeight) {
    Zone area = zone;
    if (destWidth <= 0 || destHeight <= 0 || destWidth > kMaxWidth || destHeight > kMaxHeight) {
        area.x1 = area.y1 = area.x2 = area.y2 = -1;
        return area;
    }
    area.x1 = std::clamp(zone.x1, 0, destWidth - 1);
    area.x2 = std::clamp(zone.x2, 0, destWidth - 1);
    area.y1 = std::clamp(zone.y1, 0, destHeight - 1);
    area.y2 = std::clamp(zone.y2, 0, destHeight - 1);
    return area;
}

}  // namespace wendral
