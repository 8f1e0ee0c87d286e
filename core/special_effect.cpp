#include "core/special_effect.h"

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <string>

#include "core/effect_support.h"
#include "core/limits.h"

namespace wendral {

void SpecialEffect(WendralState& state, const SpecialEffectParams& params) {
    if (!PictureFitsStores(state)) return;
    const int xorShift = params.XorShift & 0xFF;
    const int sumShift = params.SumShift & 0xFF;
    const int orDrop = params.OrDrop & 0xFF;
    const int streakRun = params.StreakRun & 0xFF;
    const int jitter = params.Jitter & 0xFF;

    // Each displacement depends on one byte-sized value, so it is tabled per render.
    int dyOr[256], dxXor[256], dxSum[256];
    for (int v = 0; v < 256; ++v) {
        dyOr[v] = orDrop * ((v - 127) >> 5);
        dxXor[v] = v < 192 ? xorShift * ((v - 127) >> 2) : 0;
        dxSum[v] = sumShift * ((v - 127) >> 2);
    }
    const int dJitter[4] = {-jitter, 0, jitter, 2 * jitter};

    const int w = state.DestWidth;
    const int h = state.DestHeight;
    const std::uint8_t* restore = state.RestoreStore();
    // A byte store may alias anything as far as the compiler knows: the generator and the
    // picture size are kept in locals, or every pixel would store and reload them, and the
    // generator's chain of multiplications would wait on memory.
    Random15 random = state.Random;
    const std::ptrdiff_t rowBytes = 3 * static_cast<std::ptrdiff_t>(w);
    // The sources of a row are found first and fetched early, then copied: they scatter over
    // hundreds of columns and tens of rows, and waiting for each in turn was most of the time.
    std::int32_t from[kMaxWidth];
    int i = 0;
    for (int y = 0; y < h; ++y) {
        int k = 0;
        const std::uint8_t* src = RestoreRow(state, y);
        for (int x = 0; x < w; ++x, src += 3) {
            from[x] = -1;
            const int B = src[0], G = src[1], R = src[2];
            int r1, r2;
            random.NextPair(r1, r2);
            int ty = y + dyOr[B | (G & R)] + dJitter[r1 & 3];
            int tx = x + dJitter[r2 & 3];
            tx += dxXor[B ^ G ^ R];
            if (ty < 0 || ty >= h || tx < 0 || tx >= w) continue;
            tx += dxSum[(B + G + R) & 0xFF];
            if (k > streakRun) k = 0;
            if (i > streakRun) i = 0;
            tx += k;
            ty += i;
            if (ty < 0 || ty >= h || tx < 0 || tx >= w) continue;
            from[x] = static_cast<std::int32_t>((h - 1 - ty) * rowBytes + 3 * tx);
            __builtin_prefetch(restore + from[x]);
            ++k;
        }
        std::uint8_t* out = DestRow(state, y);
        for (int x = 0; x < w; ++x, out += 3) {
            if (from[x] < 0) continue;
            const std::uint8_t* in = restore + from[x];
            const std::uint8_t b = in[0], g = in[1], r = in[2];
            out[0] = b;
            out[1] = g;
            out[2] = r;
        }
        ++i;
    }
    state.Random = random;
}

SpecialEffectsDialogState::SpecialEffectsDialogState(WendralState& state) : state_(state) {
    if (PictureFitsStores(state_)) state_.SnapshotDestination();
}

SpecialEffectsDialogState::SpecialEffectsDialogState(WendralState& state, Zone& zone)
    : SpecialEffectsDialogState(state) {
    zone.ResetLevels();
}

int& ParamValue(SpecialEffectParams& params, SpecialParam p) {
    switch (p) {
        case SpecialParam::XorShift: return params.XorShift;
        case SpecialParam::SumShift: return params.SumShift;
        case SpecialParam::OrDrop: return params.OrDrop;
        case SpecialParam::StreakRun: return params.StreakRun;
        case SpecialParam::Jitter: break;
    }
    return params.Jitter;
}

int ParamValue(const SpecialEffectParams& params, SpecialParam p) {
    return ParamValue(const_cast<SpecialEffectParams&>(params), p);
}

int SpecialEffectsDialogState::Position(SpecialParam p) const { return ParamValue(params_, p); }

void SpecialEffectsDialogState::SetPosition(SpecialParam p, int position) {
    ParamValue(params_, p) = std::clamp(position, 0, kSpecialParams[static_cast<int>(p)].maximum);
}

void SpecialEffectsDialogState::Render() {
    if (PictureFitsStores(state_)) state_.RevertDestination();
    SpecialEffect(state_, params_);
    ++renders_;
}

void SpecialEffectsDialogState::ParameterChanged(SpecialParam p, int position) {
    SetPosition(p, position);
    Render();
}

void SpecialEffectsDialogState::Ok(Zone& zone) {
    zone.ResetZone();
    state_.MarkDestModified();
}

void SpecialEffectsDialogState::Reset() {
    params_ = SpecialEffectParams{};
    if (PictureFitsStores(state_)) state_.RevertDestination();
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
    for (const SpecialParamInfo& info : kSpecialParams) dialog.SetPosition(info.param, ParamValue(params, info.param));
    for (long long r = 0; r < renders; ++r) dialog.Render();
    dialog.Ok(zone);
}

}  // namespace wendral
