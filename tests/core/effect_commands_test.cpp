#include "core/effect_commands.h"

#include <gtest/gtest.h>

#include <sys/resource.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <set>
#include <string>
#include <vector>

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
    Messages out;
    EXPECT_TRUE(RunEffectCommand(state, zone, *FindEffectCommand("sharpen"), out));
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

#if defined(__SANITIZE_ADDRESS__) || defined(__SANITIZE_THREAD__)
#define WENDRAL_SANITIZED 1
#elif defined(__has_feature)
#if __has_feature(address_sanitizer) || __has_feature(thread_sanitizer)
#define WENDRAL_SANITIZED 1
#endif
#endif

// A pencil drawing whose working memory cannot be had must leave everything as it was (the
// picture, its base, the generator, the flags, the zone's levels) and say so, instead of ending
// the program. Run in a child process under a limit on its address space just above what it
// already uses; the exit code says what went wrong.
int PencilUnderAMemoryLimit() {
    static WendralState state;
    reference::FillRandom(state, kMaxWidth, kMaxHeight, 5);
    state.SnapshotDestination();
    state.Random.SetState(99);
    state.DestModified = 0;
    Zone zone;
    zone.x1 = 10;
    zone.y1 = 10;
    zone.x2 = 90;
    zone.y2 = 60;
    zone.TwistLevel = 2.0;
    // The zone's distortion, standing in: the picture differs from its base there.
    for (int y = 10; y < 60; ++y)
        std::memset(state.DestinationStore() + state.DestOffset(10, y), 0x5A, 3 * 80);
    const std::vector<std::uint8_t> dest(state.DestinationStore(),
                                         state.DestinationStore() + kStoreBytes);
    const std::vector<std::uint8_t> restore(state.RestoreStore(),
                                            state.RestoreStore() + kStoreBytes);
    Messages out;
    out.reserve(4);
    long pages = 0;
    if (std::FILE* f = std::fopen("/proc/self/statm", "r")) {
        if (std::fscanf(f, "%ld", &pages) != 1) pages = 0;
        std::fclose(f);
    }
    const rlim_t room = static_cast<rlim_t>(pages) * sysconf(_SC_PAGESIZE) + (16u << 20);
    const rlimit limit{room, room};
    if (pages == 0 || setrlimit(RLIMIT_AS, &limit) != 0) return 2;
    if (RunEffectCommand(state, zone, *FindEffectCommand("pencil"), out)) return 3;
    if (std::memcmp(dest.data(), state.DestinationStore(), kStoreBytes) != 0 ||
        std::memcmp(restore.data(), state.RestoreStore(), kStoreBytes) != 0)
        return 4;
    if (out.size() != 1 || out[0] != kEffectMemoryMessage) return 5;
    if (state.Random.State() != 99 || state.DestModified != 0 || zone.TwistLevel != 2.0) return 6;
    return 0;
}

TEST(EffectCommands, PencilWithoutItsMemoryRefusesAndChangesNothing) {
#if defined(WENDRAL_SANITIZED)
    GTEST_SKIP() << "the sanitizers reserve address space of their own";
#else
    GTEST_FLAG_SET(death_test_style, "threadsafe");
    EXPECT_EXIT(std::_Exit(PencilUnderAMemoryLimit()), ::testing::ExitedWithCode(0), "");
#endif
}

}  // namespace
}  // namespace wendral
