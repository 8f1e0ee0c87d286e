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

        // The trace ends at the first step outside the picture; that step count is known
        // in advance, which leaves only the colour test in the loop.
        const int stepsX = dx > 0 ? (w - 1 - x0) / dx : x0 / -dx;
        const int stepsY = dy > 0 ? (h - 1 - y0) / dy : y0 / -dy;
        const int limit = std::min({400, stepsX, stepsY});
        // |c - c0| > tolerance, as one unsigned comparison (tolerance never falls below 0).
        const auto span = static_cast<unsigned>(2 * tolerance);
        const int lb = b0 - tolerance, lg = g0 - tolerance, lr = r0 - tolerance;
        int n = 0;
        std::ptrdiff_t at = start;
        int sb = 0, sg = 0, sr = 0;
        while (n < limit) {
            at += step;
            const int b = restore[at], g = restore[at + 1], r = restore[at + 2];
            if (static_cast<unsigned>(b - lb) > span || static_cast<unsigned>(g - lg) > span ||
                static_cast<unsigned>(r - lr) > span)
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
void PencilDrawCommand(WendralState& state) {
    RunTonal(state, PencilDraw);
}

}  // namespace wendral
