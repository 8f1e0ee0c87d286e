#pragma once
#include <array>
#include <cstdint>
#include <memory>

#include "core/dest_state.h"

namespace wendral {

// Bits of MergeMode.
inline constexpr unsigned kMergeAverageBit = 0x001;
inline constexpr unsigned kMergeGreatestBit = 0x002;
inline constexpr unsigned kMergeLeastBit = 0x004;
inline constexpr unsigned kMergeSub12Bit = 0x008;
inline constexpr unsigned kMergeSub21Bit = 0x010;
inline constexpr unsigned kMergeCopy1Bit = 0x020;
inline constexpr unsigned kMergeCopy2Bit = 0x040;
inline constexpr unsigned kMergeRef12Bit = 0x080;
inline constexpr unsigned kMergeRef21Bit = 0x100;
inline constexpr unsigned kMergeTypeMask = 0x1FF;
inline constexpr unsigned kContrastBwBit = 0x200;
inline constexpr unsigned kContrastRgbBit = 0x400;
inline constexpr unsigned kContrastNormalBit = 0x800;
inline constexpr unsigned kContrastMask = 0xE00;

inline constexpr const char* kNoMergeTypeMessage =
    "Need to select a merge type before combining pictures.\n Press the white/green 'M'.";

// trunc(x0 x 7.04) + trunc(x1 x 37.76) + trunc(x2 x 19.2), each product in double.
inline int WeightedBrightness(int x0, int x1, int x2) {
    return static_cast<int>(x0 * 7.04) + static_cast<int>(x1 * 37.76) + static_cast<int>(x2 * 19.2);
}

// A pixel packed as the rules receive it: byte 0 in bits 0-7, byte 1 in 8-15, byte 2 in 16-23.
inline std::uint32_t PackPixel(const std::uint8_t* p) {
    return std::uint32_t{p[0]} | std::uint32_t{p[1]} << 8 | std::uint32_t{p[2]} << 16;
}

// The bias the rules work with. The dialog's slider keeps MergeBias in 0..255; a value set
// outside that range by other means is taken as the nearer end, which keeps every sum a rule
// forms within the range its arithmetic is meant for.
int RuleBias(const WendralState& state);

// The nine rules, each stated once: its formula, with what depends only on the bias and the
// reference colour worked out when the rule is made. The CMergeOp classes below make one at
// every call; the whole-picture merge makes one per merge and runs it on every pixel its
// vector loops do not take (row tails, processors without those loops), and the tests hold
// those loops to the CMergeOp classes. So production and the tests share one statement.

// Average: the blend weight of each source.
struct AverageRule {
    int wa, wb;
    explicit AverageRule(int k) : wa(255 - k), wb(k) {}
    std::uint8_t operator()(int a, int b) const {
        return static_cast<std::uint8_t>((a * wa + b * wb) >> 8);
    }
};

// The subtractions scale one operand down as the bias moves away from the middle; each keeps
// the difference when it is positive, else 0.
template <bool OneMinusTwo>
struct SubtractRule {
    int wa, wb;
    explicit SubtractRule(int k) : wa(k <= 127 ? 127 : 255 - k), wb(k <= 127 ? k : 127) {}
    std::uint8_t operator()(int a, int b) const {
        const int pa = a * wa;
        const int pb = b * wb;
        if constexpr (OneMinusTwo)
            return static_cast<std::uint8_t>(pb < pa ? (pa - pb) >> 7 : 0);
        else
            return static_cast<std::uint8_t>(pa < pb ? (pb - pa) >> 7 : 0);
    }
};
using Subtract12Rule = SubtractRule<true>;
using Subtract21Rule = SubtractRule<false>;

// The rules below keep one source pixel whole; TakesOne says whether it is source 1's.

// Greatest and Least compare the weighted brightness of the two pixels with a bias term added
// to every channel: the source the bias favours looks brighter (Greatest) or darker (Least).
// Greatest keeps source 2 when source 1 is dimmer, so a tie gives source 1; Least keeps
// source 1 when it is dimmer, so a tie gives source 2.
template <bool KeepOneWhenDimmer>
struct BrightnessRule {
    int shiftOne, shiftTwo;  // the bias terms of source 1 and source 2
    bool TakesOne(const std::uint8_t* a, const std::uint8_t* b) const {
        const bool dimmer = WeightedBrightness(a[0] + shiftOne, a[1] + shiftOne, a[2] + shiftOne) <
                            WeightedBrightness(b[0] + shiftTwo, b[1] + shiftTwo, b[2] + shiftTwo);
        return KeepOneWhenDimmer ? dimmer : !dimmer;
    }
};
struct GreatestRule : BrightnessRule<false> {
    explicit GreatestRule(int k) : BrightnessRule<false>{255 - k, k} {}
};
struct LeastRule : BrightnessRule<true> {
    explicit LeastRule(int k) : BrightnessRule<true>{k, 255 - k} {}
};

// The reference rules test whether every channel of source 1, moved by the bias, is above the
// reference colour's; source 2 takes no part in the test.
template <bool OneWhenAbove>
struct ReferenceRule {
    int k;
    Bgr ref;
    bool Above(const std::uint8_t* a) const {
        return a[0] + 255 - k > ref.b + 127 && a[1] + 255 - k > ref.g + 127 &&
               a[2] + 255 - k > ref.r + 127;
    }
    bool TakesOne(const std::uint8_t* a, const std::uint8_t*) const {
        return OneWhenAbove == Above(a);
    }
};
using Reference12Rule = ReferenceRule<true>;
using Reference21Rule = ReferenceRule<false>;

template <bool First>
struct CopyRule {
    bool TakesOne(const std::uint8_t*, const std::uint8_t*) const { return First; }
};

// The two infinite-contrast steps on a rule's outputs, with threshold t.
inline std::uint8_t InfiniteContrastRgb(int o, int t) {
    return o > t ? 255 : 0;
}
inline std::uint8_t InfiniteContrastBw(int o0, int o1, int o2, int t) {
    // In 64 bits so that a threshold far outside 0..255 cannot overflow.
    return std::int64_t{o0} + o1 + o2 > 3 * std::int64_t{t} ? 255 : 0;
}

// The merge rules. Each reads MergeBias and ReferenceColour from the state it was made for at
// every call and keeps nothing between calls, so one instance serves a whole picture.
class CMergeOp {
  public:
    explicit CMergeOp(const WendralState& state) : state_(state) {}
    virtual ~CMergeOp();
    virtual void Combine(std::uint32_t p1, std::uint32_t p2, std::uint8_t& o0, std::uint8_t& o1,
                         std::uint8_t& o2) const;

  protected:
    const WendralState& state_;
};

#define WENDRAL_MERGE_RULE(Name)                                                             \
    class Name final : public CMergeOp {                                                     \
      public:                                                                                \
        using CMergeOp::CMergeOp;                                                            \
        ~Name() override;                                                                    \
        void Combine(std::uint32_t p1, std::uint32_t p2, std::uint8_t& o0, std::uint8_t& o1, \
                     std::uint8_t& o2) const override;                                       \
    };
WENDRAL_MERGE_RULE(CMergeAverage)
WENDRAL_MERGE_RULE(CMergeGreatest)
WENDRAL_MERGE_RULE(CMergeLeast)
WENDRAL_MERGE_RULE(CMergeSub12)
WENDRAL_MERGE_RULE(CMergeSub21)
WENDRAL_MERGE_RULE(CMergeCopy1)
WENDRAL_MERGE_RULE(CMergeCopy2)
WENDRAL_MERGE_RULE(CMergeRef12)
WENDRAL_MERGE_RULE(CMergeRef21)
#undef WENDRAL_MERGE_RULE

// One merge rule as the menus, the dialog, wendral-batch and the tests see it.
struct MergeRule {
    unsigned bit;
    int controlId;           // the dialog's radio button
    const char* dialogText;  // the radio button's text
    const char* batchName;   // the rule's name in a wendral-batch script
    std::unique_ptr<CMergeOp> (*make)(const WendralState&);
};
extern const std::array<MergeRule, 9> kMergeRules;

struct ContrastMethod {
    unsigned bit;
    int controlId;
    const char* dialogText;
    const char* batchName;
};
extern const std::array<ContrastMethod, 3> kContrastMethods;

// The rule of the first type bit set in `mode`, in the order of kMergeRules; null with none.
const MergeRule* SelectedMergeRule(unsigned mode);
const MergeRule* MergeRuleNamed(const char* batchName);
const ContrastMethod* ContrastMethodNamed(const char* batchName);

// The contrast step on the three outputs of a rule, with `mode`'s contrast bits and threshold t.
void ApplyContrast(unsigned mode, int t, std::uint8_t& o0, std::uint8_t& o1, std::uint8_t& o2);

// ContrastThreshold for a threshold percentage 0..100 (50 gives 127).
inline int ThresholdFromPercent(int percent) {
    return percent * 255 / 100;
}

}  // namespace wendral
