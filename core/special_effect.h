#pragma once
#include <array>
#include <string>
#include <vector>

#include "core/dest_state.h"
#include "core/snapshot_dialog_state.h"
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

// The position of `p` within a set of parameters.
int& ParamValue(SpecialEffectParams& params, SpecialParam p);
int ParamValue(const SpecialEffectParams& params, SpecialParam p);

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
class SpecialEffectsDialogState : public SnapshotDialogState {
  public:
    explicit SpecialEffectsDialogState(WendralState& state);  // takes the snapshot
    // The same, for a dialog opened over the destination view: the snapshot becomes the base
    // of the zone's distortion levels, which go back to 0 (the corners stay).
    SpecialEffectsDialogState(WendralState& state, Zone& zone);

    const SpecialEffectParams& Params() const { return params_; }
    int Position(SpecialParam p) const;

    // A scroll notification: `p` now stands at `position` (held to its range); the preview is
    // rendered from the snapshot.
    void ParameterChanged(SpecialParam p, int position);
    // The two halves of ParameterChanged, for a caller that sets several positions at once.
    void SetPosition(SpecialParam p, int position);
    // One preview: the snapshot back into the destination, then SpecialEffect. A pixel whose
    // displaced position falls off the picture keeps the value it has, so without the snapshot
    // it would keep what an earlier preview with other positions put there. Each preview draws
    // two random values per pixel whatever the positions.
    void Render();
    // Previews rendered since the dialog opened (Reset does not take back their random draws).
    long long Renders() const { return renders_; }
    // Every position back to 0 and the snapshot back into the destination.
    void Reset();

    // The arguments of the command table's "special" row (XOR SUM OR STREAK JITTER) for the
    // destination and random generator this dialog leaves: the positions, followed by the
    // number of previews when it differs from what the row renders (one, none for all zeros).
    // The five words alone state the outcome exactly only then; the sixth is the form that
    // ReplaySpecialSession runs.
    std::vector<std::string> RowArguments() const;

  private:
    SpecialEffectParams params_;
    long long renders_ = 0;
};

// A special effects dialog session as one statement: opened, the positions set, `renders`
// previews, OK. Every preview starts from the snapshot, so the outcome is the last preview's,
// made with the random values that the earlier previews left: the same bytes and the same
// generator state as any session whose last preview had these positions and that rendered as
// many previews. With renders = 1 (none for all zeros) it is the "special" row.
void ReplaySpecialSession(WendralState& state, Zone& zone, const SpecialEffectParams& params,
                          long long renders);

}  // namespace wendral
