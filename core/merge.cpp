#include "core/merge.h"

#include <algorithm>
#include <array>
#include <cstdint>

#include "core/merge_ops.h"

namespace wendral {

// The whole-picture merge runs each rule as an inlined kernel instead of one virtual Combine
// per pixel. The kernels are the rules' own formulas with the per-merge constants taken out of
// the loop (the bias weights, the weighted-brightness products as tables, the reference
// thresholds), so they give the bytes Combine gives.
namespace {

using Byte = std::uint8_t;

// trunc(x x weight) for every biased channel value 0..510.
struct BrightnessProducts {
    std::array<std::array<int, 511>, 3> t;
    BrightnessProducts() {
        for (int x = 0; x <= 510; ++x) {
            t[0][x] = static_cast<int>(x * 7.04);
            t[1][x] = static_cast<int>(x * 37.76);
            t[2][x] = static_cast<int>(x * 19.2);
        }
    }
};
const BrightnessProducts& Products() {
    static const BrightnessProducts products;
    return products;
}

// Per-channel brightness products of one side, already shifted by that side's bias term.
struct SideTables {
    int t[3][256];
    void Fill(int shift) {
        const BrightnessProducts& p = Products();
        for (int c = 0; c < 3; ++c)
            for (int v = 0; v < 256; ++v) t[c][v] = p.t[c][v + shift];
    }
    int Sum(const Byte* x) const { return t[0][x[0]] + t[1][x[1]] + t[2][x[2]]; }
};

void CopyPixel(const Byte* from, Byte* o) {
    o[0] = from[0];
    o[1] = from[1];
    o[2] = from[2];
}

struct AverageKernel {
    int wa, wb;
    void operator()(const Byte* a, const Byte* b, Byte* o) const {
        for (int c = 0; c < 3; ++c) o[c] = static_cast<Byte>((a[c] * wa + b[c] * wb) >> 8);
    }
};

// Greatest keeps source 2 when source 1 is dimmer, Least keeps source 1 when it is dimmer.
template <bool KeepOneWhenDimmer>
struct BrightnessKernel {
    SideTables one, two;
    void operator()(const Byte* a, const Byte* b, Byte* o) const {
        const bool dimmer = one.Sum(a) < two.Sum(b);
        CopyPixel(dimmer == KeepOneWhenDimmer ? a : b, o);
    }
};

template <bool OneMinusTwo>
struct SubtractKernel {
    int wa, wb;
    void operator()(const Byte* a, const Byte* b, Byte* o) const {
        for (int c = 0; c < 3; ++c) {
            const int pa = a[c] * wa;
            const int pb = b[c] * wb;
            if constexpr (OneMinusTwo)
                o[c] = static_cast<Byte>(pb < pa ? (pa - pb) >> 7 : 0);
            else
                o[c] = static_cast<Byte>(pa < pb ? (pb - pa) >> 7 : 0);
        }
    }
};

template <bool First>
struct CopyKernel {
    void operator()(const Byte* a, const Byte* b, Byte* o) const { CopyPixel(First ? a : b, o); }
};

// ac + 255 - k > Rc + 127 is ac > Rc + k - 128.
template <bool OneWhenAbove>
struct ReferenceKernel {
    int limit[3];
    void operator()(const Byte* a, const Byte* b, Byte* o) const {
        const bool above = a[0] > limit[0] && a[1] > limit[1] && a[2] > limit[2];
        CopyPixel(above == OneWhenAbove ? a : b, o);
    }
};

enum Contrast { kNormal = 0, kRgb = 1, kBw = 2, kRgbThenBw = 3 };

template <int C, class Kernel>
void MergeRows(const Kernel& kernel, int t, const SourceImage& s1, const SourceImage& s2, Byte* dest,
               int width, int height) {
    const std::int64_t t3 = 3 * std::int64_t{t};
    for (int i = 0; i < height; ++i) {
        const Byte* a = s1.At(0, i);
        const Byte* b = s2.At(0, i);
        Byte* o = dest + 3 * static_cast<std::size_t>(height - 1 - i) * static_cast<std::size_t>(width);
        for (int j = 0; j < width; ++j, a += 3, b += 3, o += 3) {
            kernel(a, b, o);
            if constexpr ((C & kRgb) != 0) {
                o[0] = o[0] > t ? 255 : 0;
                o[1] = o[1] > t ? 255 : 0;
                o[2] = o[2] > t ? 255 : 0;
            }
            if constexpr ((C & kBw) != 0) {
                const Byte v = std::int64_t{o[0]} + o[1] + o[2] > t3 ? 255 : 0;
                o[0] = o[1] = o[2] = v;
            }
        }
    }
}

template <class Kernel>
void MergeWith(const Kernel& kernel, unsigned mode, int t, const SourceImage& s1, const SourceImage& s2,
               Byte* dest, int width, int height) {
    const int c = ((mode & kContrastRgbBit) ? kRgb : 0) | ((mode & kContrastBwBit) ? kBw : 0);
    switch (c) {
        case kNormal: MergeRows<kNormal>(kernel, t, s1, s2, dest, width, height); break;
        case kRgb: MergeRows<kRgb>(kernel, t, s1, s2, dest, width, height); break;
        case kBw: MergeRows<kBw>(kernel, t, s1, s2, dest, width, height); break;
        default: MergeRows<kRgbThenBw>(kernel, t, s1, s2, dest, width, height); break;
    }
}

void MergePicture(const WendralState& state, unsigned ruleBit, const SourceImage& s1, const SourceImage& s2,
                  Byte* dest, int width, int height) {
    const unsigned mode = state.MergeMode;
    const int t = state.ContrastThreshold;
    const int k = RuleBias(state);
    int wa = 127, wb = k;
    if (k > 127) {
        wa = 255 - k;
        wb = 127;
    }
    switch (ruleBit) {
        case kMergeAverageBit:
            MergeWith(AverageKernel{255 - k, k}, mode, t, s1, s2, dest, width, height);
            break;
        case kMergeGreatestBit: {
            BrightnessKernel<false> kernel;
            kernel.one.Fill(255 - k);
            kernel.two.Fill(k);
            MergeWith(kernel, mode, t, s1, s2, dest, width, height);
            break;
        }
        case kMergeLeastBit: {
            BrightnessKernel<true> kernel;
            kernel.one.Fill(k);
            kernel.two.Fill(255 - k);
            MergeWith(kernel, mode, t, s1, s2, dest, width, height);
            break;
        }
        case kMergeSub12Bit: MergeWith(SubtractKernel<true>{wa, wb}, mode, t, s1, s2, dest, width, height); break;
        case kMergeSub21Bit: MergeWith(SubtractKernel<false>{wa, wb}, mode, t, s1, s2, dest, width, height); break;
        case kMergeCopy1Bit: MergeWith(CopyKernel<true>{}, mode, t, s1, s2, dest, width, height); break;
        case kMergeCopy2Bit: MergeWith(CopyKernel<false>{}, mode, t, s1, s2, dest, width, height); break;
        case kMergeRef12Bit:
        case kMergeRef21Bit: {
            const Bgr r = state.ReferenceColour;
            const int limit[3] = {r.b + k - 128, r.g + k - 128, r.r + k - 128};
            if (ruleBit == kMergeRef12Bit)
                MergeWith(ReferenceKernel<true>{{limit[0], limit[1], limit[2]}}, mode, t, s1, s2, dest, width, height);
            else
                MergeWith(ReferenceKernel<false>{{limit[0], limit[1], limit[2]}}, mode, t, s1, s2, dest, width, height);
            break;
        }
        default: break;
    }
}

// A source without pixels (a closed window) shows nothing.
int ShownWidth(const SourceImage& s) { return s.pixels ? s.shownWidth : 0; }
int ShownHeight(const SourceImage& s) { return s.pixels ? s.shownHeight : 0; }

}  // namespace

ZoneOutcome MergeSources(WendralState& state, Zone& zone, const SourceImage& source1,
                         const SourceImage& source2, Messages& out) {
    zone.ResetZone();
    state.TakeDestinationSize(std::min(ShownWidth(source1), ShownWidth(source2)),
                              std::min(ShownHeight(source1), ShownHeight(source2)));
    const MergeRule* rule = SelectedMergeRule(state.MergeMode);
    if (rule == nullptr) {
        out.push_back(kNoMergeTypeMessage);
        return ZoneOutcome::Nothing;
    }
    MergePicture(state, rule->bit, source1, source2, state.DestinationStore(), state.DestWidth, state.DestHeight);
    state.DestModified = 0;
    state.BrushingEnabled = 0;
    return ZoneOutcome::Redraw;
}

}  // namespace wendral
