#pragma once
#include <cstdint>
#include <vector>

#include "core/dest_state.h"
#include "core/limits.h"
#include "core/random15.h"
#include "core/source_image.h"

namespace wendral::test {

// A full-capacity SourcePixels buffer filled with random bytes.
class SourceBuffer {
  public:
    explicit SourceBuffer(Random15& rng) : bytes_(kStoreBytes) {
        for (auto& b : bytes_) b = static_cast<std::uint8_t>(rng.Next() >> 3);
    }
    SourceImage Image(int shownWidth, int shownHeight) const {
        return SourceImage{bytes_.data(), shownWidth, shownHeight};
    }
    std::uint8_t* Data() { return bytes_.data(); }

  private:
    std::vector<std::uint8_t> bytes_;
};

// A destination of the given size with random content.
inline void FillDestination(WendralState& state, int width, int height, Random15& rng) {
    state.DestWidth = width;
    state.DestHeight = height;
    std::uint8_t* d = state.DestinationStore();
    for (std::size_t i = 0; i < state.DestBytes(); ++i)
        d[i] = static_cast<std::uint8_t>(rng.Next() >> 3);
}

}  // namespace wendral::test
