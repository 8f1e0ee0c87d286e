#include "core/special_effect.h"

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <string>

#include "core/effect_support.h"
#include "core/limits.h"
#include "core/parallel.h"

namespace wendral {

namespace {

// Each displacement depends on one byte-sized value, so it is tabled per render.
struct Displacements {
    int dyOr[256], dxXor[256], dxSum[256];
    int dJitter[4];
    int w, h;

    Displacements(const SpecialEffectParams& params, int width, int height) : w(width), h(height) {
        const int xorShift = params.XorShift & 0xFF;
        const int sumShift = params.SumShift & 0xFF;
        const int orDrop = params.OrDrop & 0xFF;
        const int jitter = params.Jitter & 0xFF;
        for (int v = 0; v < 256; ++v) {
            dyOr[v] = orDrop * ((v - 127) >> 5);
            dxXor[v] = v < 192 ? xorShift * ((v - 127) >> 2) : 0;
            dxSum[v] = sumShift * ((v - 127) >> 2);
        }
        dJitter[0] = -jitter;
        dJitter[1] = 0;
        dJitter[2] = jitter;
        dJitter[3] = 2 * jitter;
    }

    // The position the colour at p and the two draws send pixel (x, y) to before the colour
    // sum and the streak counters move it on; false when it is off the picture already.
    bool First(const std::uint8_t* p, int x, int y, int r1, int r2, int& tx, int& ty) const {
        const int B = p[0], G = p[1], R = p[2];
        ty = y + dyOr[B | (G & R)] + dJitter[r1 & 3];
        tx = x + dJitter[r2 & 3];
        tx += dxXor[B ^ G ^ R];
        return !(ty < 0 || ty >= h || tx < 0 || tx >= w);
    }
};

}  // namespace

void SpecialEffect(WendralState& state, const SpecialEffectParams& params) {
    if (!PictureFitsStores(state)) return;
    const int streakRun = params.StreakRun & 0xFF;
    const int w = state.DestWidth;
    const int h = state.DestHeight;
    const Displacements d(params, w, h);
    const std::uint8_t* restore = state.RestoreStore();
    const Random15 start = state.Random;
    const std::uint64_t drawsPerRow = 2 * static_cast<std::uint64_t>(w);

    // The row streak counter runs on down the picture and goes back to 0 only in a row where
    // some pixel passes the first test, so each row's value depends on every row above it.
    // Which rows have such a pixel is found first (usually at their first pixel), the
    // counters follow in one short pass, and then the rows can be rendered in any order.
    bool reaches[kMaxHeight];
    ForEachRowBand(h, w, [&](int first, int end) {
        Random15 random = start;
        random.Skip(drawsPerRow * first);
        for (int y = first; y < end; ++y) {
            Random15 next = random;
            next.Skip(drawsPerRow);
            reaches[y] = false;
            const std::uint8_t* src = RestoreRow(state, y);
            for (int x = 0; x < w && !reaches[y]; ++x, src += 3) {
                int r1, r2, tx, ty;
                random.NextPair(r1, r2);
                reaches[y] = d.First(src, x, y, r1, r2, tx, ty);
            }
            random = next;
        }
    });
    int rowStreak[kMaxHeight];
    for (int y = 0, i = 0; y < h; ++y, ++i) {
        if (reaches[y] && i > streakRun) i = 0;
        rowStreak[y] = i;
    }

    const std::ptrdiff_t rowBytes = 3 * static_cast<std::ptrdiff_t>(w);
    ForEachRowBand(h, w, [&](int first, int end) {
        // A byte store may alias anything as far as the compiler knows: the generator, the
        // tables and the picture size are kept in locals, or every pixel would store and reload
        // them, and the generator's chain of multiplications would wait on memory.
        const Displacements t = d;
        const int width = w, height = h, run = streakRun;
        const std::ptrdiff_t stride = rowBytes;
        const std::uint8_t* const pixels = restore;
        Random15 random = start;
        random.Skip(drawsPerRow * first);
        // The sources of a row are found first and fetched early, then copied: they scatter
        // over hundreds of columns and tens of rows, and waiting for each in turn was most of
        // the time.
        std::int32_t from[kMaxWidth];
        for (int y = first; y < end; ++y) {
            int k = 0;
            const int i = rowStreak[y];
            const std::uint8_t* src = RestoreRow(state, y);
            for (int x = 0; x < width; ++x, src += 3) {
                from[x] = -1;
                int r1, r2, tx, ty;
                random.NextPair(r1, r2);
                if (!t.First(src, x, y, r1, r2, tx, ty)) continue;
                tx += t.dxSum[(src[0] + src[1] + src[2]) & 0xFF];
                if (k > run) k = 0;
                tx += k;
                ty += i;
                if (ty < 0 || ty >= height || tx < 0 || tx >= width) continue;
                from[x] = static_cast<std::int32_t>((height - 1 - ty) * stride + 3 * tx);
                __builtin_prefetch(pixels + from[x]);
                ++k;
            }
            std::uint8_t* out = DestRow(state, y);
            for (int x = 0; x < width; ++x, out += 3) {
                if (from[x] < 0) continue;
                const std::uint8_t* in = pixels + from[x];
                const std::uint8_t b = in[0], g = in[1], r = in[2];
                out[0] = b;
                out[1] = g;
                out[2] = r;
            }
        }
    });
    state.Random = start;
    state.Random.Skip(drawsPerRow * h);
}

SpecialEffectsDialogState::SpecialEffectsDialogState(WendralState& state)
    : SnapshotDialogState(state) {}

SpecialEffectsDialogState::SpecialEffectsDialogState(WendralState& state, Zone& zone)
    : SpecialEffectsDialogState(state) {
    zone.ResetLevels();
}

int& ParamValue(SpecialEffectParams& params, SpecialParam p) {
    switch (p) {
        case SpecialParam::XorShift:
            return params.XorShift;
        case SpecialParam::SumShift:
            return params.SumShift;
        case SpecialParam::OrDrop:
            return params.OrDrop;
        case SpecialParam::StreakRun:
            return params.StreakRun;
        case SpecialParam::Jitter:
            break;
    }
    return params.Jitter;
}

int ParamValue(const SpecialEffectParams& params, SpecialParam p) {
    return ParamValue(const_cast<SpecialEffectParams&>(params), p);
}

int SpecialEffectsDialogState::Position(SpecialParam p) const {
    return ParamValue(params_, p);
}

void SpecialEffectsDialogState::SetPosition(SpecialParam p, int position) {
    ParamValue(params_, p) = std::clamp(position, 0, kSpecialParams[static_cast<int>(p)].maximum);
}

void SpecialEffectsDialogState::Render() {
    RevertToSnapshot();
    SpecialEffect(state_, params_);
    ++renders_;
}

void SpecialEffectsDialogState::ParameterChanged(SpecialParam p, int position) {
    SetPosition(p, position);
    Render();
}

void SpecialEffectsDialogState::Reset() {
    params_ = SpecialEffectParams{};
    RevertToSnapshot();
}

std::vector<std::string> SpecialEffectsDialogState::RowArguments() const {
    std::vector<std::string> words;
    bool anyMoved = false;
    for (const SpecialParamInfo& info : kSpecialParams) {
        words.push_back(std::to_string(Position(info.param)));
        anyMoved = anyMoved || Position(info.param) != 0;
    }
    if (renders_ != (anyMoved ? 1 : 0)) words.push_back(std::to_string(renders_));
    return words;
}

void ReplaySpecialSession(WendralState& state, Zone& zone, const SpecialEffectParams& params,
                          long long renders) {
    SpecialEffectsDialogState dialog(state, zone);
    for (const SpecialParamInfo& info : kSpecialParams)
        dialog.SetPosition(info.param, ParamValue(params, info.param));
    for (long long r = 0; r < renders; ++r) dialog.Render();
    dialog.Ok(zone);
}

}  // namespace wendral
