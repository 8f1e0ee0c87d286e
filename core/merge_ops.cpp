#include "core/merge_ops.h"

#include <algorithm>
#include <cstring>

namespace wendral {

int WeightedBrightness(int x0, int x1, int x2) {
    return static_cast<int>(x0 * 7.04) + static_cast<int>(x1 * 37.76) + static_cast<int>(x2 * 19.2);
}

int RuleBias(const WendralState& state) { return std::clamp(state.MergeBias, 0, 255); }

namespace {

int Channel(std::uint32_t p, int c) { return static_cast<int>((p >> (8 * c)) & 0xFFu); }

void Write(std::uint32_t p, std::uint8_t& o0, std::uint8_t& o1, std::uint8_t& o2) {
    o0 = static_cast<std::uint8_t>(Channel(p, 0));
    o1 = static_cast<std::uint8_t>(Channel(p, 1));
    o2 = static_cast<std::uint8_t>(Channel(p, 2));
}

// The two subtractions scale one operand down as the bias moves away from the middle.
void SubtractWeights(int k, int& wa, int& wb) {
    if (k <= 127) {
        wa = 127;
        wb = k;
    } else {
        wa = 255 - k;
        wb = 127;
    }
}

// Every channel of source 1 above its reference channel, the threshold moved by the bias.
bool AboveReference(std::uint32_t p1, int k, Bgr ref) {
    const int r[3] = {ref.b, ref.g, ref.r};
    for (int c = 0; c < 3; ++c)
        if (!(Channel(p1, c) + 255 - k > r[c] + 127)) return false;
    return true;
}

template <class Op>
std::unique_ptr<CMergeOp> Make(const WendralState& state) {
    return std::make_unique<Op>(state);
}

}  // namespace

CMergeOp::~CMergeOp() = default;
void CMergeOp::Combine(std::uint32_t, std::uint32_t, std::uint8_t&, std::uint8_t&, std::uint8_t&) const {}

CMergeAverage::~CMergeAverage() = default;
void CMergeAverage::Combine(std::uint32_t p1, std::uint32_t p2, std::uint8_t& o0, std::uint8_t& o1,
                            std::uint8_t& o2) const {
    const int k = RuleBias(state_);
    std::uint8_t* o[3] = {&o0, &o1, &o2};
    for (int c = 0; c < 3; ++c)
        *o[c] = static_cast<std::uint8_t>((Channel(p1, c) * (255 - k) + Channel(p2, c) * k) >> 8);
}

// Greatest and Least compare the weighted brightness of each pixel with the bias added to every
// channel: the source the bias favours looks brighter (Greatest) or darker (Least).
static int BiasedBrightness(std::uint32_t p, int bias) {
    return WeightedBrightness(Channel(p, 0) + bias, Channel(p, 1) + bias, Channel(p, 2) + bias);
}

CMergeGreatest::~CMergeGreatest() = default;
void CMergeGreatest::Combine(std::uint32_t p1, std::uint32_t p2, std::uint8_t& o0, std::uint8_t& o1,
                             std::uint8_t& o2) const {
    const int k = RuleBias(state_);
    Write(BiasedBrightness(p1, 255 - k) < BiasedBrightness(p2, k) ? p2 : p1, o0, o1, o2);
}

CMergeLeast::~CMergeLeast() = default;
void CMergeLeast::Combine(std::uint32_t p1, std::uint32_t p2, std::uint8_t& o0, std::uint8_t& o1,
                          std::uint8_t& o2) const {
    const int k = RuleBias(state_);
    Write(BiasedBrightness(p1, k) < BiasedBrightness(p2, 255 - k) ? p1 : p2, o0, o1, o2);
}

CMergeSub12::~CMergeSub12() = default;
void CMergeSub12::Combine(std::uint32_t p1, std::uint32_t p2, std::uint8_t& o0, std::uint8_t& o1,
                          std::uint8_t& o2) const {
    int wa = 0, wb = 0;
    SubtractWeights(RuleBias(state_), wa, wb);
    std::uint8_t* o[3] = {&o0, &o1, &o2};
    for (int c = 0; c < 3; ++c) {
        const int pa = Channel(p1, c) * wa;
        const int pb = Channel(p2, c) * wb;
        *o[c] = static_cast<std::uint8_t>(pb < pa ? (pa - pb) >> 7 : 0);
    }
}

CMergeSub21::~CMergeSub21() = default;
void CMergeSub21::Combine(std::uint32_t p1, std::uint32_t p2, std::uint8_t& o0, std::uint8_t& o1,
                          std::uint8_t& o2) const {
    int wa = 0, wb = 0;
    SubtractWeights(RuleBias(state_), wa, wb);
    std::uint8_t* o[3] = {&o0, &o1, &o2};
    for (int c = 0; c < 3; ++c) {
        const int pa = Channel(p1, c) * wa;
        const int pb = Channel(p2, c) * wb;
        *o[c] = static_cast<std::uint8_t>(pa < pb ? (pb - pa) >> 7 : 0);
    }
}

CMergeCopy1::~CMergeCopy1() = default;
void CMergeCopy1::Combine(std::uint32_t p1, std::uint32_t, std::uint8_t& o0, std::uint8_t& o1,
                          std::uint8_t& o2) const {
    Write(p1, o0, o1, o2);
}

CMergeCopy2::~CMergeCopy2() = default;
void CMergeCopy2::Combine(std::uint32_t, std::uint32_t p2, std::uint8_t& o0, std::uint8_t& o1,
                          std::uint8_t& o2) const {
    Write(p2, o0, o1, o2);
}

CMergeRef12::~CMergeRef12() = default;
void CMergeRef12::Combine(std::uint32_t p1, std::uint32_t p2, std::uint8_t& o0, std::uint8_t& o1,
                          std::uint8_t& o2) const {
    Write(AboveReference(p1, RuleBias(state_), state_.ReferenceColour) ? p1 : p2, o0, o1, o2);
}

CMergeRef21::~CMergeRef21() = default;
void CMergeRef21::Combine(std::uint32_t p1, std::uint32_t p2, std::uint8_t& o0, std::uint8_t& o1,
                          std::uint8_t& o2) const {
    Write(AboveReference(p1, RuleBias(state_), state_.ReferenceColour) ? p2 : p1, o0, o1, o2);
}

const std::array<MergeRule, 9> kMergeRules = {{
    {kMergeAverageBit, 210, "Average Pixel 1, 2", "average", &Make<CMergeAverage>},
    {kMergeGreatestBit, 208, "Greatest Pixel 1 , 2", "greatest", &Make<CMergeGreatest>},
    {kMergeLeastBit, 211, "Least Pixel      1, 2", "least", &Make<CMergeLeast>},
    {kMergeSub12Bit, 213, "Subtract Pixel 1 - 2", "sub12", &Make<CMergeSub12>},
    {kMergeSub21Bit, 214, "Subtract Pixel 2 - 1", "sub21", &Make<CMergeSub21>},
    {kMergeCopy1Bit, 224, "Copy 1 only", "copy1", &Make<CMergeCopy1>},
    {kMergeCopy2Bit, 225, "Copy 2 only", "copy2", &Make<CMergeCopy2>},
    {kMergeRef12Bit, 293, "If 1 > Ref. then 1 else 2", "ref12", &Make<CMergeRef12>},
    {kMergeRef21Bit, 294, "If 1 > Ref. then 2 else 1", "ref21", &Make<CMergeRef21>},
}};

const std::array<ContrastMethod, 3> kContrastMethods = {{
    {kContrastNormalBit, 221, "Normal Contrast", "normal"},
    {kContrastBwBit, 219, "Infinite contast b/w", "bw"},
    {kContrastRgbBit, 220, "Infinite contrast rgb", "rgb"},
}};

const MergeRule* SelectedMergeRule(unsigned mode) {
    for (const MergeRule& r : kMergeRules)
        if (mode & r.bit) return &r;
    return nullptr;
}

const MergeRule* MergeRuleNamed(const char* batchName) {
    for (const MergeRule& r : kMergeRules)
        if (std::strcmp(r.batchName, batchName) == 0) return &r;
    return nullptr;
}

const ContrastMethod* ContrastMethodNamed(const char* batchName) {
    for (const ContrastMethod& m : kContrastMethods)
        if (std::strcmp(m.batchName, batchName) == 0) return &m;
    return nullptr;
}

void ApplyContrast(unsigned mode, int t, std::uint8_t& o0, std::uint8_t& o1, std::uint8_t& o2) {
    if (mode & kContrastRgbBit) {
        o0 = o0 > t ? 255 : 0;
        o1 = o1 > t ? 255 : 0;
        o2 = o2 > t ? 255 : 0;
    }
    if (mode & kContrastBwBit) {
        // In 64 bits so that a threshold far outside 0..255 cannot overflow.
        const std::uint8_t v = std::int64_t{o0} + o1 + o2 > 3 * std::int64_t{t} ? 255 : 0;
        o0 = o1 = o2 = v;
    }
}

}  // namespace wendral
