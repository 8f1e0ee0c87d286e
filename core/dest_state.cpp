#include "core/dest_state.h"

#include <algorithm>
#include <cstring>

namespace wendral {

// Pages the picture never reaches are never touched: a process that works on a small picture,
// or opens and saves one, does not pay for clearing 18 MB.
WendralState::WendralState()
    : destination_(ZeroedLargeBuffer(kStoreBytes)), restore_(ZeroedLargeBuffer(kStoreBytes)) {}

Bgr WendralState::DestPixel(int x, int y) const {
    const std::uint8_t* p = destination_.get() + DestOffset(x, y);
    return Bgr{p[0], p[1], p[2]};
}

// The picture's pixels are one contiguous run at the start of each store, so copying them
// pixel by pixel at equal offsets is one block copy.
void WendralState::SnapshotDestination() {
    ++SnapshotCount;
    std::memcpy(restore_.get(), destination_.get(), DestBytes());
}

void WendralState::RevertDestination() {
    std::memcpy(destination_.get(), restore_.get(), DestBytes());
}

void WendralState::TakeDestinationSize(int shownWidth, int shownHeight) {
    const int w = std::clamp(shownWidth, 0, kMaxWidth);
    const int h = std::clamp(shownHeight, 0, kMaxHeight);
    DestHeight = h;
    DestWidth = DestinationWidthFor(w);
}

}  // namespace wendral
