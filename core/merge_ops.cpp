#include "core/merge_ops.h"

#include <algorithm>
#include <cstring>

namespace wendral {

int RuleBias(const WendralState& state) {
    return std::clamp(state.MergeBias, 0, 255);
}

namespace {

int Channel(std::uint32_t p, int c) {
    return static_cast<int>((p >> (8 * c)) & 0xFFu);
}

template <class Rule>
void PerChannel(const Rule& rule, std::uint32_t p1, std::uint32_t p2, std::uint8_t& o0,
                std::uint8_t& o1, std::uint8_t& o2) {
    o0 = rule(Channel(p1, 0), Channel(p2, 0));
    o1 = rule(Channel(p1, 1), Channel(p2, 1));
    o2 = rule(Channel(p1, 2), Channel(p2, 2));
}

template <class Rule>
void WholePixel(const Rule& rule, std::uint32_t p1, std::uint32_t p2, std::uint8_t& o0,
                std::uint8_t& o1, std::uint8_t& o2) {
    const std::uint8_t a[3] = {static_cast<std::uint8_t>(Channel(p1, 0)),
                               static_cast<std::uint8_t>(Channel(p1, 1)),
                               static_cast<std::uint8_t>(Channel(p1, 2))};
    const std::uint8_t b[3] = {static_cast<std::uint8_t>(Channel(p2, 0)),
                               static_cast<std::uint8_t>(Channel(p2, 1)),
                               static_cast<std::uint8_t>(Channel(p2, 2))};
    const std::uint8_t* kept = rule.TakesOne(a, b) ? a : b;
    o0 = kept[0];
    o1 = kept[1];
    o2 = kept[2];
}

template <class Op>
std::unique_ptr<CMergeOp> Make(const WendralState& state) {
    return std::make_unique<Op>(state);
}

}  // namespace

CMergeOp::~CMergeOp() = default;
void CMergeOp::Combine(std::uint32_t, std::uint32_t, std::uint8_t&, std::uint8_t&,
                       std::uint8_t&) const {}

#define WENDRAL_COMBINE(Name, Form, Rule)                                                      \
    Name::~Name() = default;                                                                   \
    void Name::Combine(std::uint32_t p1, std::uint32_t p2, std::uint8_t& o0, std::uint8_t& o1, \
                       std::uint8_t& o2) const {                                               \
        Form(Rule, p1, p2, o0, o1, o2);                                                        \
    }
WENDRAL_COMBINE(CMergeAverage, PerChannel, AverageRule(RuleBias(state_)))
WENDRAL_COMBINE(CMergeGreatest, WholePixel, GreatestRule(RuleBias(state_)))
WENDRAL_COMBINE(CMergeLeast, WholePixel, LeastRule(RuleBias(state_)))
WENDRAL_COMBINE(CMergeSub12, PerChannel, Subtract12Rule(RuleBias(state_)))
WENDRAL_COMBINE(CMergeSub21, PerChannel, Subtract21Rule(RuleBias(state_)))
WENDRAL_COMBINE(CMergeCopy1, WholePixel, CopyRule<true>())
WENDRAL_COMBINE(CMergeCopy2, WholePixel, CopyRule<false>())
WENDRAL_COMBINE(CMergeRef12, WholePixel,
                (Reference12Rule{RuleBias(state_), state_.ReferenceColour}))
WENDRAL_COMBINE(CMergeRef21, WholePixel,
                (Reference21Rule{RuleBias(state_), state_.ReferenceColour}))
#undef WENDRAL_COMBINE

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
    // The rgb step first, then the b/w step on its result.
    if (mode & kContrastRgbBit) {
        o0 = InfiniteContrastRgb(o0, t);
        o1 = InfiniteContrastRgb(o1, t);
        o2 = InfiniteContrastRgb(o2, t);
    }
    if (mode & kContrastBwBit) o0 = o1 = o2 = InfiniteContrastBw(o0, o1, o2, t);
}

}  // namespace wendral
