// The undo history: undone steps leave no trace, redo gives the step back, and a step keeps
// only what it changed.
#include <gtest/gtest.h>

#include <cstring>
#include <functional>
#include <random>
#include <string>
#include <vector>

#include "core/destination_commands.h"
#include "core/distortion_engine.h"
#include "core/effect_commands.h"
#include "core/history.h"
#include "core/zone_forming.h"

namespace wendral {
namespace {

constexpr int kWidth = 96, kHeight = 64;

// One destination as a view holds it.
struct Desk {
    WendralState state;
    Zone zone;
    DistortionEngine engine;

    explicit Desk(std::uint32_t seed) {
        state.DestWidth = kWidth;
        state.DestHeight = kHeight;
        state.SourceCount = 1;
        std::mt19937 rng(seed);
        for (std::size_t i = 0; i < kStoreBytes; i += 97)
            state.DestinationStore()[i] = std::uint8_t(rng());
        for (std::size_t i = 0; i < state.DestBytes(); ++i)
            state.DestinationStore()[i] = std::uint8_t(rng());
        std::memcpy(state.RestoreStore(), state.DestinationStore(), kStoreBytes);
    }
};

// A command of the sequence: a distortion key, a new zone, an effect, flip, lock or a reference
// colour; none draws a random number, which undo does not give back.
using Command = std::function<void(Desk&)>;

Command RandomCommand(std::mt19937& rng) {
    const int kind = std::uniform_int_distribution<int>(0, 15)(rng);
    if (kind < 10) {
        const auto key = static_cast<Distortion>(kind);
        return [key](Desk& d) { d.engine.Press(key, d.state, d.zone); };
    }
    std::uniform_int_distribution<int> xs(-5, kWidth + 5), ys(-5, kHeight + 5), byte(0, 255);
    switch (kind) {
        case 10:
        case 11: {
            const Point a{xs(rng), ys(rng)}, b{xs(rng), ys(rng)};
            return [a, b](Desk& d) { FormZone(d.state, d.zone, a, b); };
        }
        case 12: {
            const EffectCommand& effect = *FindEffectCommand(rng() % 2 ? "blur" : "black-white");
            return [&effect](Desk& d) {
                Messages out;
                RunEffectCommand(d.state, d.zone, effect, out);
            };
        }
        case 13:
            return [](Desk& d) { Flip(d.state, d.zone); };
        case 14:
            return [](Desk& d) { d.state.DestLocked ^= 1; };
        default: {
            const Bgr colour{std::uint8_t(byte(rng)), std::uint8_t(byte(rng)),
                             std::uint8_t(byte(rng))};
            return [colour](Desk& d) { RefColourCommand(d.state, colour.r, colour.g, colour.b); };
        }
    }
}

void ExpectSameDestination(const Desk& a, const Desk& b) {
    ASSERT_TRUE(DestinationFields::Of(a.state, a.zone) == DestinationFields::Of(b.state, b.zone));
    ASSERT_EQ(
        std::memcmp(a.state.DestinationStore(), b.state.DestinationStore(), a.state.DestBytes()),
        0);
    ASSERT_EQ(std::memcmp(a.state.RestoreStore(), b.state.RestoreStore(), a.state.DestBytes()), 0);
}

// Random sequences with undo and redo among the commands end exactly where the same sequence
// without the undone steps ends: the next press after an undo behaves as if the undone step had
// never happened.
TEST(History, UndoneStepsLeaveNoTrace) {
    for (std::uint32_t seed = 1; seed <= 12; ++seed) {
        std::mt19937 rng(seed);
        Desk live(seed);
        History history(live.state, live.zone);
        std::vector<Command> done, undone;
        for (int i = 0; i < 150; ++i) {
            const int roll = std::uniform_int_distribution<int>(0, 9)(rng);
            if (roll < 2) {
                if (history.Undo(live.state, live.zone)) {
                    undone.push_back(done.back());
                    done.pop_back();
                }
            } else if (roll < 3) {
                if (history.Redo(live.state, live.zone)) {
                    done.push_back(undone.back());
                    undone.pop_back();
                }
            } else {
                Command c = RandomCommand(rng);
                c(live);
                if (history.Commit(live.state, live.zone, "step")) {
                    done.push_back(std::move(c));
                    undone.clear();
                }
            }
        }
        Desk replay(seed);
        for (const Command& c : done) c(replay);
        ExpectSameDestination(live, replay);
        ASSERT_EQ(history.Steps(), done.size()) << seed;
    }
}

// The largest destination, filled with a repeatable pattern.
void FillLargestPicture(WendralState& state) {
    state.DestWidth = 2048;
    state.DestHeight = 1536;
    state.SourceCount = 1;
    for (std::size_t i = 0; i < state.DestBytes(); ++i)
        state.DestinationStore()[i] = std::uint8_t(i * 2654435761u >> 13);
}

TEST(History, AStepKeepsOnlyWhatItChangedAndTheBudgetDropsTheOldest) {
    WendralState state;
    Zone zone;
    DistortionEngine engine;
    FillLargestPicture(state);
    History history(state, zone);
    FormZone(state, zone, Point{700, 500}, Point{1299, 899});
    ASSERT_TRUE(history.Commit(state, zone, "Zone"));
    EXPECT_LT(history.LastStepBytes(), 4096u);
    const std::vector<std::uint8_t> before(state.DestinationStore(),
                                           state.DestinationStore() + state.DestBytes());
    // The first press snapshots the whole picture: RestoreStore changes everywhere the old base
    // differed, which here is nowhere outside the zone. The caller names the rows it changed.
    for (int press = 0; press < 3; ++press) {
        engine.Press(Distortion::Explode, state, zone);
        ASSERT_TRUE(history.Commit(state, zone, "Explode", History::Part{700, 500, 600, 400}));
        EXPECT_LT(history.LastStepBytes(), std::size_t{3} << 20) << press;
    }
    EXPECT_EQ(history.UndoName(), "Explode");
    EXPECT_FALSE(history.Commit(state, zone, "Nothing"));

    history.SetBudget(history.Bytes() - 1);
    EXPECT_EQ(history.Steps(), 3u);
    EXPECT_LE(history.Bytes(), history.Budget());
    for (int i = 0; i < 3; ++i) EXPECT_TRUE(history.Undo(state, zone));
    EXPECT_FALSE(history.Undo(state, zone));
    EXPECT_EQ(zone.ImplodeLevel, 0);
    EXPECT_EQ(std::memcmp(state.DestinationStore(), before.data(), before.size()), 0);
    EXPECT_EQ(history.RedoName(), "Explode");
}

// A commit of the whole picture keeps scattered changes, at block and page edges and at the ends
// of the picture, as their blocks alone, and undo and redo give back exactly either side.
TEST(History, ScatteredChangesAcrossTheWholePictureKeepOnlyTheirBlocks) {
    WendralState state;
    Zone zone;
    FillLargestPicture(state);
    const std::vector<std::uint8_t> before(state.DestinationStore(),
                                           state.DestinationStore() + state.DestBytes());
    History history(state, zone);
    const std::size_t offsets[] = {
        0, 63, 64, 4095, 4096, 6143, 3 * 2048 * 700 + 5, state.DestBytes() - 1};
    for (std::size_t at : offsets) state.DestinationStore()[at] ^= 0x5A;
    const std::vector<std::uint8_t> after(state.DestinationStore(),
                                          state.DestinationStore() + state.DestBytes());
    ASSERT_TRUE(history.Commit(state, zone, "Dots"));
    EXPECT_LT(history.LastStepBytes(), 2048u);
    ASSERT_TRUE(history.Undo(state, zone));
    EXPECT_EQ(std::memcmp(state.DestinationStore(), before.data(), before.size()), 0);
    ASSERT_TRUE(history.Redo(state, zone));
    EXPECT_EQ(std::memcmp(state.DestinationStore(), after.data(), after.size()), 0);
    EXPECT_FALSE(history.Commit(state, zone, "Nothing"));
}

}  // namespace
}  // namespace wendral
