#include "core/effect_commands.h"

#include <gtest/gtest.h>

#include <set>
#include <string>

#include "core/distortion_engine.h"
#include "core/special_effect.h"
#include "core/tone_curve.h"
#include "reference/pixels.h"

namespace wendral {
namespace {

// Explode, sharpen, explode again: the second explode must build on the sharpened picture, not
// re-render the old base at a deeper level (which would double the first explosion and wipe
// the sharpening inside the zone).
TEST(EffectCommands, ADistortionAfterAnEffectStartsFromTheEffectsResult) {
    static WendralState state;
    reference::FillRandom(state, 64, 48, 11);
    Zone zone;
    DistortionEngine engine;
    zone.x1 = 10;
    zone.y1 = 8;
    zone.x2 = 50;
    zone.y2 = 40;
    ASSERT_EQ(engine.Press(Distortion::Explode, state, zone, {}, 3), ZoneOutcome::Redraw);
    RunEffectCommand(state, zone, *FindEffectCommand("sharpen"));
    EXPECT_EQ(zone.ImplodeLevel, 0);
    EXPECT_EQ(zone.x1, 10);
    EXPECT_EQ(zone.y2, 40);
    std::vector<std::uint8_t> sharpened(state.DestinationStore(),
                                        state.DestinationStore() + state.DestBytes());

    ASSERT_EQ(engine.Press(Distortion::Explode, state, zone), ZoneOutcome::Redraw);
    // One press on the sharpened picture, taken back by one implode, gives it back exactly.
    EXPECT_TRUE(std::equal(sharpened.begin(), sharpened.end(), state.RestoreStore()));
    ASSERT_EQ(engine.Press(Distortion::Implode, state, zone), ZoneOutcome::Redraw);
    EXPECT_TRUE(std::equal(sharpened.begin(), sharpened.end(), state.DestinationStore()));
}

TEST(EffectCommands, EveryCommandSnapshotsMarksAndKeepsTheZone) {
    std::set<std::string> names;
    std::set<int> ids;
    for (const EffectCommand& c : kEffectCommands) {
        SCOPED_TRACE(c.name);
        EXPECT_TRUE(names.insert(c.name).second);
        EXPECT_TRUE(ids.insert(c.commandId).second);
        EXPECT_GE(c.commandId, 32730);
        EXPECT_LE(c.commandId, 32740);
        EXPECT_EQ(FindEffectCommand(c.name), &c);

        static WendralState state;
        for (int size : {0, 1, 4, 20}) {
            reference::FillRandom(state, size, size ? size - 1 + (size == 1) : 0, 3);
            std::vector<std::uint8_t> before(state.DestinationStore(),
                                             state.DestinationStore() + kStoreBytes);
            state.DestModified = 0;
            state.BrushingEnabled = 1;
            std::memset(state.RestoreStore(), 0, kStoreBytes);
            c.run(state);
            EXPECT_EQ(state.DestModified, 1);
            EXPECT_EQ(state.BrushingEnabled, 0);
            // The snapshot holds the picture as it was; nothing beyond the picture moves.
            EXPECT_TRUE(std::equal(before.begin(), before.begin() + state.DestBytes(),
                                   state.RestoreStore()));
            EXPECT_TRUE(std::equal(before.begin() + state.DestBytes(), before.end(),
                                   state.DestinationStore() + state.DestBytes()));
        }
    }
    EXPECT_EQ(FindEffectCommand("special"), nullptr);
}

TEST(EffectCommands, ToneIsOnePreviewOfTheChannelSlidersThenOk) {
    static WendralState viaCommand, direct;
    reference::FillRandom(viaCommand, 12, 7, 4);
    reference::FillRandom(direct, 12, 7, 4);
    Zone zone;
    zone.x1 = zone.y1 = 0;
    zone.x2 = zone.y2 = 3;
    ToneCommand(viaCommand, zone, 200, 100, 50, 255, -64, 0, -100);
    ToneSettings t;
    t.Brightness = {50, 100, 200};
    t.Contrast = {0, -64, 255};
    t.GammaBend = -100;
    RenderToneCurve(direct, t);
    EXPECT_EQ(0,
              std::memcmp(viaCommand.DestinationStore(), direct.DestinationStore(), kStoreBytes));
    EXPECT_EQ(viaCommand.DestModified, 1);
    EXPECT_FALSE(zone.HasZone());
}

TEST(EffectCommands, SpecialRendersOnceOnlyWhenAParameterIsSet) {
    static WendralState viaCommand, direct;
    reference::FillRandom(viaCommand, 30, 20, 5);
    reference::FillRandom(direct, 30, 20, 5);
    Zone zone;
    SpecialCommand(viaCommand, zone, 0, 0, 0, 0, 0);
    EXPECT_EQ(viaCommand.Random.State(), direct.Random.State());
    EXPECT_EQ(viaCommand.DestModified, 1);

    SpecialCommand(viaCommand, zone, 50, 2, 3, 4, 5);  // 50 stands at the spin button's 31
    SpecialEffect(direct, SpecialEffectParams{31, 2, 3, 4, 5});
    EXPECT_EQ(0,
              std::memcmp(viaCommand.DestinationStore(), direct.DestinationStore(), kStoreBytes));
    EXPECT_EQ(viaCommand.Random.State(), direct.Random.State());
}

}  // namespace
}  // namespace wendral
