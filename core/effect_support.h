#pragma once
#include "core/dest_state.h"
#include "core/limits.h"

namespace wendral {

// Whether DestWidth x DestHeight is a non-empty picture the stores can hold. The size rule
// never gives anything else, but a size set by hand must not make an effect walk outside
// the stores: such a picture is treated as empty.
inline bool PictureFitsStores(const WendralState& s) {
    return s.DestWidth > 0 && s.DestHeight > 0 && s.DestWidth <= kMaxWidth &&
           s.DestHeight <= kMaxHeight;
}

// Picture rows are stored bottom-up; these give the first byte of row y (from the top).
inline std::uint8_t* DestRow(WendralState& s, int y) {
    return s.DestinationStore() + s.DestOffset(0, y);
}
inline const std::uint8_t* RestoreRow(const WendralState& s, int y) {
    return s.RestoreStore() + s.DestOffset(0, y);
}

}  // namespace wendral
