#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <functional>
#include <string>
#include <utility>
#include <vector>

#include "core/convolution.h"
#include "core/destination_commands.h"
#include "core/distortion_engine.h"
#include "core/merge.h"
#include "core/merge_ops.h"
#include "core/parallel.h"
#include "core/rotate.h"
#include "core/special_effect.h"
#include "core/tonal_effects.h"
#include "core/tone_curve.h"
#include "merge_test_support.h"
#include "reference/effects.h"

namespace wendral {
namespace {

struct Operation {
    std::string name;
    std::function<void(WendralState&, Zone&)> run;
};

const test::SourceBuffer& Source(int which) {
    static Random15 rng;
    static const test::SourceBuffer one(rng), two(rng);
    return which == 1 ? one : two;
}

std::vector<Operation> BandedOperations() {
    std::vector<Operation> ops;
    for (const ConvolutionFilter& f : kConvolutionFilters)
        ops.push_back({f.name, [&f](WendralState& s, Zone&) { ApplyFilter(s, f); }});
    ops.push_back({"tone", [](WendralState& s, Zone&) {
                       ToneSettings t;
                       t.Brightness = {30, 140, 250};
                       t.Contrast = {-200, 90, 255};
                       t.GammaBend = -77;
                       RenderToneCurve(s, t);
                   }});
    ops.push_back({"black and white", [](WendralState& s, Zone&) { ConvertToBlackWhite(s); }});
    ops.push_back({"inverted brightness", [](WendralState& s, Zone&) { InvertBrightness(s); }});
    ops.push_back({"pencil", [](WendralState& s, Zone&) { PencilDrawCommand(s); }});
    ops.push_back({"flip", [](WendralState& s, Zone& z) { Flip(s, z); }});
    for (int degrees : {30, 181, 270})
        ops.push_back({"rotate " + std::to_string(degrees),
                       [degrees](WendralState& s, Zone& z) { RotateDestination(s, z, degrees); }});
    // All five at once; the streak counters alone; and drops so large that whole rows at the
    // top miss the picture, which carries the row counter past its run.
    for (const SpecialEffectParams& p :
         {SpecialEffectParams{9, 5, 3, 7, 4}, SpecialEffectParams{0, 0, 0, 31, 0},
          SpecialEffectParams{0, 0, 7, 2, 0}})
        ops.push_back({"special " + std::to_string(p.OrDrop) + "," + std::to_string(p.StreakRun),
                       [p](WendralState& s, Zone&) { SpecialEffect(s, p); }});
    for (const MergeRule& rule : kMergeRules)
        for (unsigned contrast : {kContrastNormalBit, kContrastRgbBit, kContrastBwBit})
            ops.push_back({std::string("merge ") + rule.batchName + " " + std::to_string(contrast),
                           [&rule, contrast](WendralState& s, Zone& z) {
                               s.MergeMode = rule.bit | contrast;
                               s.MergeBias = 90;
                               s.ContrastThreshold = 100;
                               s.ReferenceColour = Bgr{40, 200, 120};
                               Messages out;
                               MergeSources(s, z, Source(1).Image(s.DestWidth, s.DestHeight),
                                            Source(2).Image(s.DestWidth, s.DestHeight), out);
                           }});
    // Each key pressed deep and then partly taken back, over a zone that leaves a margin, so
    // the level caches are stepped both ways and the bands meet the zone's edges.
    const std::pair<Distortion, Distortion> keys[] = {
        {Distortion::NudgeUpward, Distortion::NudgeDownward},
        {Distortion::NudgeLeft, Distortion::NudgeRight},
        {Distortion::TwistRight, Distortion::TwistLeft},
        {Distortion::Explode, Distortion::Implode},
        {Distortion::Implode, Distortion::Explode},
        {Distortion::Converge, Distortion::Diverge},
        {Distortion::Diverge, Distortion::Converge},
        {Distortion::Portion1, Distortion::Portion2}};
    for (const auto& key : keys)
        ops.push_back({"distortion " + std::to_string(static_cast<int>(key.first)),
                       [deeper = key.first, back = key.second](WendralState& s, Zone& z) {
                           z.x1 = 1;
                           z.y1 = s.DestHeight - 2;
                           z.x2 = s.DestWidth - 4;
                           z.y2 = 2;
                           s.ReferenceColour = Bgr{40, 200, 120};
                           const SourceImage one = Source(1).Image(s.DestWidth, s.DestHeight),
                                             two = Source(2).Image(s.DestWidth, s.DestHeight);
                           DistortionEngine engine;
                           engine.Press(deeper, s, z, {&one, &two}, 7);
                           engine.Press(back, s, z, {&one, &two}, 2);
                       }});
    return ops;
}

// Restores the thread count the environment gives, whatever the test does.
struct ThreadCountGuard {
    ~ThreadCountGuard() { SetThreadCount(0); }
};

// Every row band must give the bytes, random draws and flags one pass over the picture gives:
// a band reading another's output, a generator started on the wrong draw or a row counter
// carried wrongly across a band boundary all show here. The sizes split into bands of
// different heights (wide and short, odd, narrow and tall), and at least three threads run
// even on a machine with fewer cores.
TEST(Threads, EveryOperationInBandsGivesTheBytesOfOneThread) {
    ThreadCountGuard guard;
    const int many = std::max(3, ThreadCount());
    const int sizes[][2] = {{2048, 160}, {333, 517}, {97, 1536}};
    static WendralState one, all;
    for (const Operation& op : BandedOperations()) {
        for (const auto& size : sizes) {
            SCOPED_TRACE(op.name + " at " + std::to_string(size[0]) + " x " +
                         std::to_string(size[1]));
            WendralState* states[] = {&one, &all};
            for (WendralState* s : states) {
                reference::FillRandom(*s, size[0], size[1],
                                      static_cast<std::uint32_t>(size[0] + size[1]));
                // The drops above need dark rows at the top to miss the picture there.
                for (int y = 0; y < 40; ++y)
                    std::memset(s->DestinationStore() + s->DestOffset(0, y), 0,
                                3 * static_cast<std::size_t>(size[0]));
                s->SnapshotDestination();
                s->Random.SetState(12345);
                s->DestModified = 0;
            }
            Zone zoneOne, zoneAll;
            zoneOne.x1 = zoneAll.x1 = 3;
            zoneOne.y1 = zoneAll.y1 = 4;
            zoneOne.x2 = zoneAll.x2 = 50;
            zoneOne.y2 = zoneAll.y2 = 60;
            SetThreadCount(1);
            op.run(one, zoneOne);
            SetThreadCount(many);
            op.run(all, zoneAll);
            reference::ExpectStoresEqual(one, all);
            EXPECT_EQ(one.Random.State(), all.Random.State());
            EXPECT_EQ(one.DestModified, all.DestModified);
            EXPECT_EQ(one.DestWidth, all.DestWidth);
            EXPECT_EQ(zoneOne.HasZone(), zoneAll.HasZone());
        }
    }
}

}  // namespace
}  // namespace wendral
