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
int WeightedBrightness(int x0, int x1, int x2);

// A pixel packed as the rules receive it: byte 0 in bits 0-7, byte 1 in 8-15, byte 2 in 16-23.
inline std::uint32_t PackPixel(const std::uint8_t* p) {
    return std::uint32_t{p[0]} | std::uint32_t{p[1]} << 8 | std::uint32_t{p[2]} << 16;
}

// The bias the rules work with. The dialog's slider keeps MergeBias in 0..255; a value set
// outside that range by other means is taken as the nearer end, which keeps every sum a rule
// forms within the range its arithmetic is meant for.
int RuleBias(const WendralState& state);

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

#define WENDRAL_MERGE_RULE(Name)                                                                  \
    class Name final : public CMergeOp {                                                          \
    public:                                                                                       \
        using CMergeOp::CMergeOp;                                                                 \
        ~Name() override;                                                                         \
        void Combine(std::uint32_t p1, std::uint32_t p2, std::uint8_t& o0, std::uint8_t& o1,      \
                     std::uint8_t& o2) const override;                                            \
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
inline int ThresholdFromPercent(int percent) { return percent * 255 / 100; }

}  // namespace wendral
