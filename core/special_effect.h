#pragma once
#include <array>

#include "core/dest_state.h"
#include "core/zone.h"

namespace wendral {

// The five spin-button positions; the renderer uses the low 8 bits of each.
struct SpecialEffectParams {
    int XorShift = 0;   // 0 ... 31
    int SumShift = 0;   // 0 ... 15
    int OrDrop = 0;     // 0 ... 7
    int StreakRun = 0;  // 0 ... 31
    int Jitter = 0;     // 0 ... 15
};

// Renders the whole destination from RestoreStore: each pixel takes the colour of a position
// displaced by its own colour, by the row and column streak counters and by two draws of
// state.Random (made for every pixel, whatever the parameters). A displaced position outside
// the picture leaves the pixel as it is. Changes no flag.
void SpecialEffect(WendralState& state, const SpecialEffectParams& params);

enum class SpecialParam { XorShift, SumShift, OrDrop, StreakRun, Jitter };

struct SpecialParamInfo {
    SpecialParam param;
    int controlId;
    const char* name;
    int maximum;  // the range starts at 0; 0 is also the initial and Reset value
};

// The spin buttons from top to bottom.
inline constexpr std::array<SpecialParamInfo, 5> kSpecialParams{{
    {SpecialParam::XorShift, 283, "XorShift", 31},
    {SpecialParam::SumShift, 284, "SumShift", 15},
    {SpecialParam::OrDrop, 281, "OrDrop", 7},
    {SpecialParam::StreakRun, 285, "StreakRun", 31},
    {SpecialParam::Jitter, 291, "Jitter", 15},
}};

// The engine side of the special effects dialog: the positions of its spin buttons and the
// snapshot taken when it was created.
class SpecialEffectsDialogState {
  public:
    explicit SpecialEffectsDialogState(WendralState& state);  // takes the snapshot

    const SpecialEffectParams& Params() const { return params_; }
    int Position(SpecialParam p) const;

    // A scroll notification: `p` now stands at `position` (held to its range); the preview is
    // rendered from the snapshot.
    void ParameterChanged(SpecialParam p, int position);
    // The two halves of ParameterChanged, for a caller that sets several positions at once.
    void SetPosition(SpecialParam p, int position);
    void Render();
    void Ok(Zone& zone);
    // Every position back to 0 and the snapshot back into the destination.
    void Reset();

  private:
    WendralState& state_;
    SpecialEffectParams params_;
};

}  // namespace wendral
