#pragma once
#include <array>
#include <span>
#include <string_view>

#include "core/dest_state.h"
#include "core/messages.h"
#include "core/pixel.h"
#include "core/reference_colour.h"
#include "core/zone.h"

namespace wendral {

// The destination effects that run at once, without a dialog: rows of the command table
// (core/command_table.h), which the menus and wendral-batch walk.
struct EffectCommand {
    int commandId;
    const char* name;  // the batch command
    void (*run)(WendralState&);
};

extern const std::array<EffectCommand, 8> kEffectCommands;

// The entry called `name`, or null.
const EffectCommand* FindEffectCommand(std::string_view name);

// What the user is told when an effect cannot have the working memory it needs.
inline constexpr const char* kEffectMemoryMessage =
    "There is not enough memory for this effect. The picture has not been changed.";

// Runs the effect as its command does. The effect has just taken a new snapshot, so a
// distortion level left from before would re-render its zone from a base that already holds
// the distortion, doubling it and wiping the effect inside the zone: every level goes back to
// 0 (the corners stay) and the next press starts from the picture as it now is. An effect
// whose working memory cannot be had changes nothing and says kEffectMemoryMessage; returns
// false then.
bool RunEffectCommand(WendralState& state, Zone& zone, const EffectCommand& effect, Messages& out);

// The calls behind the batch commands that stand for a dialog or a drag.

// The reference colour dialog's sliders set to red, green, blue (each held to 0 ... 255).
void RefColourCommand(WendralState& state, int red, int green, int blue);

// A right-button drag: press at the first point, a move to each further point, release.
// With no point nothing happens.
void RefDragCommand(WendralState& state, Zone& zone, ReferenceSampling& sampling,
                    std::span<const Point> points, RefColourDialogState* openDialog = nullptr);

// The brightness dialog opened, its channel sliders set (blue, green and red brightness and
// contrast as named, masters untouched), one preview rendered, then OK; or, with `ok` false,
// closed with Escape, which keeps the preview uncommitted.
void ToneCommand(WendralState& state, Zone& zone, int redBrightness, int greenBrightness,
                 int blueBrightness, int redContrast, int greenContrast, int blueContrast,
                 int gammaBend, bool ok = true);

// The special effects dialog opened, the five positions set, then OK. Reaching any non-zero
// position takes a click, so one preview is rendered then; all zeros is OK without a click,
// which renders nothing and draws no random value.
void SpecialCommand(WendralState& state, Zone& zone, int xorShift, int sumShift, int orDrop,
                    int streakRun, int jitter);

}  // namespace wendral
