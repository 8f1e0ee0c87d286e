#include "core/dest_state.h"

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <new>

namespace wendral {

void WendralState::FreeBytes::operator()(std::uint8_t* p) const noexcept { std::free(p); }

WendralState::Store WendralState::ZeroedStore() {
    auto* bytes = static_cast<std::uint8_t*>(std::calloc(kStoreBytes, 1));
    if (!bytes) throw std::bad_alloc();
    return Store(bytes);
}

WendralState::WendralState() : destination_(ZeroedStore()), restore_(ZeroedStore()) {}

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
