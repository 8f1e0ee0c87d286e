#include "core/tonal_effects.h"

#include <algorithm>

#include "core/effect_support.h"
#include "core/parallel.h"

namespace wendral {
namespace {

// The luma's three products depend on one channel each, so they are tabled once.
struct LumaTables {
    int red[256], green[256], blue[256];
    LumaTables() {
        for (int v = 0; v < 256; ++v) {
            red[v] = static_cast<int>(19.2 * v);
            green[v] = static_cast<int>(37.76 * v);
            blue[v] = static_cast<int>(7.04 * v);
        }
    }
};

const LumaTables& Tables() {
    static const LumaTables tables;
    return tables;
}

std::uint8_t Clamp255(int v) {
    return static_cast<std::uint8_t>(v < 0 ? 0 : (v > 255 ? 255 : v));
}

}  // namespace

void LuminanceEffect(WendralState& state, LuminanceMode mode) {
    if (!PictureFitsStores(state)) return;
    const LumaTables& t = Tables();
    // c + 255 - 2L lies in -253 ... 510; a table clamps it.
    std::uint8_t clamp[764];
    for (int v = 0; v < 764; ++v) clamp[v] = Clamp255(v - 253);
    const std::size_t rowBytes = 3 * static_cast<std::size_t>(state.DestWidth);
    ForEachRowBand(state.DestHeight, state.DestWidth, [&](int first, int end) {
        const std::uint8_t* src = state.RestoreStore() + first * rowBytes;
        std::uint8_t* dst = state.DestinationStore() + first * rowBytes;
        const std::size_t bytes = (end - first) * rowBytes;
        if (mode == LuminanceMode::BlackAndWhite) {
            // Each pixel's bytes are read into locals before anything is stored: a byte store
            // may alias the source as far as the compiler knows, and would force them to be
            // read again.
            for (std::size_t i = 0; i < bytes; i += 3) {
                const int b = src[i], g = src[i + 1], r = src[i + 2];
                const auto l = static_cast<std::uint8_t>((t.blue[b] + t.green[g] + t.red[r]) >> 6);
                dst[i] = dst[i + 1] = dst[i + 2] = l;
            }
        } else {
            for (std::size_t i = 0; i < bytes; i += 3) {
                const int b = src[i], g = src[i + 1], r = src[i + 2];
                const int l = (t.blue[b] + t.green[g] + t.red[r]) >> 6;
                const std::uint8_t* shifted = clamp + (253 + 255 - 2 * l);
                const std::uint8_t ob = shifted[b], og = shifted[g], orr = shifted[r];
                dst[i] = ob;
                dst[i + 1] = og;
                dst[i + 2] = orr;
            }
        }
    });
}

namespace {
template <typename Operation>
void RunTonal(WendralState& state, Operation op) {
    if (PictureFitsStores(state)) state.SnapshotDestination();
    op(state);
    state.MarkDestModified();
}
}  // namespace

void ConvertToBlackWhite(WendralState& state) {
    RunTonal(state, [](WendralState& s) { LuminanceEffect(s, LuminanceMode::BlackAndWhite); });
}
void InvertBrightness(WendralState& state) {
    RunTonal(state, [](WendralState& s) { LuminanceEffect(s, LuminanceMode::InvertedBrightness); });
}
void PencilDrawCommand(WendralState& state) {
    PencilMemory memory(state.DestWidth, state.DestHeight);
    RunTonal(state, [&memory](WendralState& s) { PencilDraw(s, memory); });
}

}  // namespace wendral
