#pragma once

#include "core/zone.h"

namespace wendral::app {

// What a dialog with a live preview needs of the destination window: the zone its OK hands the
// levels back to, and a repaint of the picture while the dialog's event is still running.
class DestinationPreview {
  public:
    virtual ~DestinationPreview() = default;
    virtual Zone& PreviewZone() = 0;
    virtual void ShowPreview() = 0;
};

}  // namespace wendral::app
