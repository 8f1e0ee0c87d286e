#include "core/tonal_effects.h"

#include <algorithm>
#include <cstdlib>

#include "core/effect_support.h"

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

std::uint8_t Clamp255(int v) { return static_cast<std::uint8_t>(v < 0 ? 0 : (v > 255 ? 255 : v)); }

}  // namespace

void LuminanceEffect(WendralState& state, LuminanceMode mode) {
    if (!PictureFitsStores(state)) return;
    const LumaTables& t = Tables();
    const std::uint8_t* src = state.RestoreStore();
    std::uint8_t* dst = state.DestinationStore();
    const std::size_t bytes = state.DestBytes();
    if (mode == LuminanceMode::BlackAndWhite) {
        for (std::size_t i = 0; i < bytes; i += 3) {
            const auto l =
                static_cast<std::uint8_t>((t.blue[src[i]] + t.green[src[i + 1]] + t.red[src[i + 2]]) >> 6);
            dst[i] = dst[i + 1] = dst[i + 2] = l;
        }
    } else {
        for (std::size_t i = 0; i < bytes; i += 3) {
            const int l = (t.blue[src[i]] + t.green[src[i + 1]] + t.red[src[i + 2]]) >> 6;
            const int d = 255 - 2 * l;
            dst[i] = Clamp255(src[i] + d);
            dst[i + 1] = Clamp255(src[i + 1] + d);
            dst[i + 2] = Clamp255(src[i + 2] + d);
        }
    }
}

void PencilDraw(WendralState& state) {
    if (!PictureFitsStores(state)) return;
    const int w = state.DestWidth;
    const int h = state.DestHeight;
    // One step down the picture is one row back in the bottom-up store.
    const std::ptrdiff_t rowBytes = 3 * static_cast<std::ptrdiff_t>(w);
    const std::uint8_t* restore = state.RestoreStore();
    std::uint8_t* dest = state.DestinationStore();
    int tolerance = 0;
    const long strokes = static_cast<long>(w) * h;
    for (long s = 0; s < strokes; ++s) {
        const int x0 = (state.Random.Next() * w) >> 15;
        const int y0 = (state.Random.Next() * h) >> 15;
        const std::ptrdiff_t start = static_cast<std::ptrdiff_t>(state.DestOffset(x0, y0));
        const int b0 = restore[start], g0 = restore[start + 1], r0 = restore[start + 2];

        const int sum = b0 + g0 + r0;
        const int dy = sum <= 240 ? -2 : sum <= 384 ? -1 : sum <= 528 ? 1 : 2;
        const int spread = std::max({b0, g0, r0}) - std::min({b0, g0, r0});
        const int dx = spread <= 15 ? -2 : spread <= 31 ? -1 : spread <= 47 ? 1 : 2;
        const std::ptrdiff_t step = 3 * dx - dy * rowBytes;

        int x = x0, y = y0, n = 0;
        std::ptrdiff_t at = start;
        int sb = 0, sg = 0, sr = 0;
        while (n < 400) {
            x += dx;
            y += dy;
            if (x < 0 || x >= w || y < 0 || y >= h) break;
            at += step;
            const int b = restore[at], g = restore[at + 1], r = restore[at + 2];
            if (std::abs(b - b0) > tolerance || std::abs(g - g0) > tolerance ||
                std::abs(r - r0) > tolerance)
                break;
            sb += b;
            sg += g;
            sr += r;
            ++n;
        }
        if (n > 10 && tolerance > 0)
            --tolerance;
        else
            ++tolerance;
        if (n == 0) continue;
        // Every painted pixel was traced inside the picture, so painting needs no bounds test.
        const auto cb = static_cast<std::uint8_t>(sb / n), cg = static_cast<std::uint8_t>(sg / n),
                   cr = static_cast<std::uint8_t>(sr / n);
        at = start;
        for (int k = 0; k < n; ++k, at += step) {
            dest[at] = cb;
            dest[at + 1] = cg;
            dest[at + 2] = cr;
        }
    }
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
void PencilDrawCommand(WendralState& state) { RunTonal(state, PencilDraw); }

}  // namespace wendral
