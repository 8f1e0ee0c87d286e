#pragma once
#include "core/dest_state.h"
#include "core/effect_support.h"
#include "core/zone.h"

namespace wendral {

// What every dialog that previews on the destination does alike: each preview is drawn over
// the snapshot taken when the dialog opened, so that moving a control back gives back the same
// pixels; Reset puts the snapshot back and OK keeps the preview.
class SnapshotDialogState {
  public:
    // OK: the preview becomes the committed destination.
    void Ok(Zone& zone) {
        zone.ResetZone();
        state_.MarkDestModified();
    }

  protected:
    explicit SnapshotDialogState(WendralState& state) : state_(state) {
        if (PictureFitsStores(state_)) state_.SnapshotDestination();
    }
    void RevertToSnapshot() {
        if (PictureFitsStores(state_)) state_.RevertDestination();
    }

    WendralState& state_;
};

}  // namespace wendral
