#include "core/tone_curve.h"

#include <algorithm>
#include <initializer_list>
#include <string>

#include "core/byte_lookup.h"
#include "core/effect_support.h"
#include "core/parallel.h"

namespace wendral {
namespace {

using ToneTables = std::uint8_t[3][256];

#if defined(WENDRAL_X86_SIMD)
// The lanes of vector v of a block that hold channel c.
constexpr std::uint64_t ChannelLanes(int v, int c) {
    std::uint64_t lanes = 0;
    for (int j = 0; j < 64; ++j)
        if ((64 * v + j) % 3 == c) lanes |= std::uint64_t{1} << j;
    return lanes;
}

// Every lane of a vector goes through all three tables and keeps its own channel's entry:
// sorting the bytes into one plane per channel and back costs more permutes than it saves.
struct ToneBlock {
    byte_lookup::Table channel[3];

    WENDRAL_TARGET_AVX512VBMI void operator()(const __m512i* in, __m512i* out) const {
        static constexpr std::uint64_t kGreen[3] = {ChannelLanes(0, 1), ChannelLanes(1, 1),
                                                    ChannelLanes(2, 1)};
        static constexpr std::uint64_t kRed[3] = {ChannelLanes(0, 2), ChannelLanes(1, 2),
                                                  ChannelLanes(2, 2)};
        for (int v = 0; v < 3; ++v) {
            const __mmask64 upper = _mm512_movepi8_mask(in[v]);
            const __m512i b = byte_lookup::Lookup(channel[0], in[v], upper);
            const __m512i g = byte_lookup::Lookup(channel[1], in[v], upper);
            const __m512i r = byte_lookup::Lookup(channel[2], in[v], upper);
            out[v] = _mm512_mask_blend_epi8(kRed[v], _mm512_mask_blend_epi8(kGreen[v], b, g), r);
        }
    }
};

WENDRAL_TARGET_AVX512VBMI void ToneSpanAvx512(const ToneTables& table, const std::uint8_t* src,
                                              std::uint8_t* dst, std::size_t bytes) {
    ToneBlock block;
    for (int c = 0; c < 3; ++c) block.channel[c] = byte_lookup::LoadTable(table[c]);
    byte_lookup::ForEachBlock(src, dst, bytes, block);
}
#endif

void ToneSpan(const ToneTables& table, const std::uint8_t* src, std::uint8_t* dst,
              std::size_t bytes, InstructionSet set) {
#if defined(WENDRAL_X86_SIMD)
    if (set >= InstructionSet::Avx512Vbmi) return ToneSpanAvx512(table, src, dst, bytes);
#else
    (void)set;
#endif
    // All loads of a pixel before its stores: a byte store may alias the source and the
    // tables as far as the compiler knows.
    for (std::size_t i = 0; i < bytes; i += 3) {
        const std::uint8_t b = table[0][src[i]], g = table[1][src[i + 1]], r = table[2][src[i + 2]];
        dst[i] = b;
        dst[i + 1] = g;
        dst[i + 2] = r;
    }
}

}  // namespace

void RenderToneCurve(WendralState& state, const ToneSettings& settings, InstructionSet set) {
    if (!PictureFitsStores(state)) return;
    // A curve maps one byte to one byte, so each channel becomes a 256-entry table and a
    // slider event costs three lookups per pixel.
    ToneTables table;
    const int G = std::clamp(settings.GammaBend, -255, 255);
    for (int c = 0; c < 3; ++c) {
        const int b = std::clamp(settings.Brightness[c], 0, 255);
        const int K = ContrastFactor(std::clamp(settings.Contrast[c], -255, 255));
        for (int v = 0; v < 256; ++v) table[c][v] = ToneCurve(v, b, K, G);
    }
    const InstructionSet widest = InstructionSetUpTo(set);
    const std::size_t rowBytes = 3 * static_cast<std::size_t>(state.DestWidth);
    ForEachRowBand(state.DestHeight, state.DestWidth, [&](int first, int end) {
        ToneSpan(table, state.RestoreStore() + first * rowBytes,
                 state.DestinationStore() + first * rowBytes, (end - first) * rowBytes, widest);
    });
}

BrightnessDialogState::BrightnessDialogState(WendralState& state) : SnapshotDialogState(state) {
    for (const ToneSliderInfo& s : kToneSliders) positions_[static_cast<int>(s.slider)] = s.initial;
}

BrightnessDialogState::BrightnessDialogState(WendralState& state, Zone& zone)
    : BrightnessDialogState(state) {
    zone.ResetLevels();
}

void BrightnessDialogState::Propagate() {
    const auto carry = [this](ToneSlider master, int& remembered,
                              std::initializer_list<ToneSlider> channels) {
        const int m = Position(master);
        if (m == remembered) return;
        remembered = m;
        for (ToneSlider s : channels) positions_[static_cast<int>(s)] = m;
    };
    carry(ToneSlider::MasterBrightness, rememberedMasterBrightness_,
          {ToneSlider::RedBrightness, ToneSlider::GreenBrightness, ToneSlider::BlueBrightness});
    carry(ToneSlider::MasterContrast, rememberedMasterContrast_,
          {ToneSlider::RedContrast, ToneSlider::GreenContrast, ToneSlider::BlueContrast});
}

ToneSettings BrightnessDialogState::CurrentSettings() const {
    ToneSettings t;
    t.Brightness = {Position(ToneSlider::BlueBrightness), Position(ToneSlider::GreenBrightness),
                    Position(ToneSlider::RedBrightness)};
    t.Contrast = {Position(ToneSlider::BlueContrast), Position(ToneSlider::GreenContrast),
                  Position(ToneSlider::RedContrast)};
    t.GammaBend = Position(ToneSlider::GammaBend);
    return t;
}

void BrightnessDialogState::SetPosition(ToneSlider s, int position) {
    const ToneSliderInfo& info = kToneSliders[static_cast<int>(s)];
    positions_[static_cast<int>(s)] = std::clamp(position, info.minimum, info.maximum);
}

void BrightnessDialogState::SliderChanged() {
    Propagate();
    shown_ = CurrentSettings();
    RenderToneCurve(state_, shown_);
}

void BrightnessDialogState::SliderMoved(ToneSlider s, int position) {
    SetPosition(s, position);
    SliderChanged();
}

void BrightnessDialogState::Reset() {
    for (const ToneSliderInfo& s : kToneSliders) positions_[static_cast<int>(s.slider)] = s.initial;
    shown_ = ToneSettings{};
    RevertToSnapshot();
}

std::vector<std::string> BrightnessDialogState::RowArguments() const {
    const ToneSettings& t = shown_;
    std::vector<std::string> words;
    for (int v : {t.Brightness[2], t.Brightness[1], t.Brightness[0], t.Contrast[2], t.Contrast[1],
                  t.Contrast[0], t.GammaBend})
        words.push_back(std::to_string(v));
    return words;
}

}  // namespace wendral
