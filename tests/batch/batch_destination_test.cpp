// The destination's commands in scripts: every saved file is what the same engine calls give.
#include <gtest/gtest.h>
#include <sys/wait.h>

#include <cstdlib>
#include <memory>
#include <string>
#include <vector>

#include "batch/batch_test_support.h"
#include "core/brushing.h"
#include "core/destination_commands.h"
#include "core/distortion_engine.h"
#include "core/effect_commands.h"
#include "core/merge_dialog.h"
#include "core/rotate.h"
#include "core/sources.h"
#include "core/zone_forming.h"
#include "io/picture_file.h"
#include "io/save.h"

namespace wendral {
namespace {

using namespace testing_batch;

// The engine driven directly, as the batch commands are meant to drive it.
struct Direct {
    WendralState state;
    Zone zone;
    DistortionEngine engine;
    ReferenceSampling sampling;
    std::vector<std::unique_ptr<SourceView>> views;
    SourceImage images[3];

    void Open(const std::string& path, int w, int h) {
        views.push_back(std::make_unique<SourceView>());
        views.back()->SetClientSize(w, h);
        ASSERT_TRUE(OpenSource(state, zone, *views.back(), path, &LoadPictureFile).keepWindow);
    }
    const SourceImage* Shown(int n) {
        if (n > state.SourceCount) return nullptr;
        images[n] = state.SourceViews[n]->Image();
        return &images[n];
    }
    void Drag(int x1, int y1, int x2, int y2) {
        FormZone(state, zone, Point{x1, y1}, Point{x2, y2});
    }
    void Press(Distortion key, int k) { engine.Press(key, state, zone, {Shown(1), Shown(2)}, k); }
    std::vector<std::uint8_t> Saved(const std::string& path) {
        Messages m;
        EXPECT_TRUE(SaveDestination(state, path, PictureFormat::Bmp, m));
        return Bytes(path);
    }
};

// A second picture unlike the first, so that merges and brushes show which source they read.
void WriteOtherBmp(const fs::path& path, int w, int h) {
    WriteBmp(path, w, h, [](int x, int y) {
        return Bgr{static_cast<std::uint8_t>(200 - 2 * y), static_cast<std::uint8_t>(x * y),
                   static_cast<std::uint8_t>(255 - 3 * x)};
    });
}

TEST_F(Batch, ZoneDistortionsAndFlipFollowTheEngine) {
    WriteTestBmp(P("a.bmp"), 120, 90);
    ASSERT_EQ(Run("open " + P("a.bmp") + "; save " + P("plain.bmp") +
                  "; refcolour 200 30 90; zone 100 80 20 10; nudge-up 2; nudge-down; nudge-left 3; "
                  "nudge-right;"
                  " twist-left 2; twist-right; implode; explode 3; converge 2; diverge; save " +
                  P("z.bmp") + "; zone -5 -7 500 400; info; explode 2; twist-right 2; flip; save " +
                  P("f.bmp")),
              0)
        << err_;
    // The second zone was dragged past every edge: it ends on the picture's last column and row.
    EXPECT_NE(out_.find("zone=0,0,119,89"), std::string::npos) << out_;

    Direct d;
    d.Open(P("a.bmp"), 120, 90);
    const std::vector<std::uint8_t> plain = d.Saved(P("ref-plain.bmp"));
    RefColourCommand(d.state, 200, 30, 90);
    d.Drag(100, 80, 20, 10);
    d.Press(Distortion::NudgeUpward, 2);
    d.Press(Distortion::NudgeDownward, 1);
    d.Press(Distortion::NudgeLeft, 3);
    d.Press(Distortion::NudgeRight, 1);
    d.Press(Distortion::TwistLeft, 2);
    d.Press(Distortion::TwistRight, 1);
    d.Press(Distortion::Implode, 1);
    d.Press(Distortion::Explode, 3);
    d.Press(Distortion::Converge, 2);
    d.Press(Distortion::Diverge, 1);
    const std::vector<std::uint8_t> z = d.Saved(P("ref-z.bmp"));
    d.Drag(-5, -7, 500, 400);
    d.Press(Distortion::Explode, 2);
    d.Press(Distortion::TwistRight, 2);
    Flip(d.state, d.zone);

    EXPECT_EQ(Bytes(P("plain.bmp")), plain);
    EXPECT_EQ(Bytes(P("z.bmp")), z);
    EXPECT_EQ(Bytes(P("f.bmp")), d.Saved(P("ref-f.bmp")));
    EXPECT_NE(z, plain);
}

// A window size change rebuilds the destination at the new size and starts every level afresh;
// under the lock the destination, its size and the level in force stay as they were.
TEST_F(Batch, ASourceSizeChangeStartsTheDistortionsAfresh) {
    WriteTestBmp(P("a.bmp"), 64, 48);
    const std::string start = "open " + P("a.bmp") + "; zone 8 8 40 30; nudge-up 2; twist-right; ";
    ASSERT_EQ(Run(start + "window 1 52 40; zone 8 8 40 30; nudge-up; twist-right; info; save " +
                  P("s.bmp")),
              0)
        << err_;
    EXPECT_EQ(out_.rfind("dest 52x40 modified=1", 0), 0u) << out_;
    ASSERT_EQ(Run(start + "lock; window 1 52 40; twist-right; save " + P("l.bmp")), 0) << err_;

    Direct resized;
    resized.Open(P("a.bmp"), 64, 48);
    ResizeSource(resized.state, resized.zone, 1, 52, 40);
    resized.Drag(8, 8, 40, 30);
    resized.Press(Distortion::NudgeUpward, 1);
    resized.Press(Distortion::TwistRight, 1);
    EXPECT_EQ(Bytes(P("s.bmp")), resized.Saved(P("ref-s.bmp")));

    Direct locked;
    locked.Open(P("a.bmp"), 64, 48);
    locked.Drag(8, 8, 40, 30);
    locked.Press(Distortion::NudgeUpward, 2);
    locked.Press(Distortion::TwistRight, 2);
    EXPECT_EQ(Bytes(P("l.bmp")), locked.Saved(P("ref-l.bmp")));
}

TEST_F(Batch, MergesAndPortionsFollowTheEngine) {
    WriteTestBmp(P("a.bmp"), 96, 64);
    WriteOtherBmp(P("b.bmp"), 80, 72);
    // The explode leaves changes of the destination's own, which the merge overwrites as if
    // the user said Yes.
    ASSERT_EQ(
        Run("open " + P("a.bmp") + "; open " + P("b.bmp") +
            "; zone 10 10 60 50; explode 2; merge sub12 bias 100 contrast rgb threshold 30; save " +
            P("m.bmp") + "; merge ref21 threshold 80 contrast bw bias 3; save " + P("n.bmp") +
            "; merge average; zone 5 5 70 60;"
            " portion1 3; portion2; save " +
            P("p.bmp") + "; merge copy2; pixel 33 20"),
        0)
        << err_;

    Direct d;
    d.Open(P("a.bmp"), 96, 64);
    d.Open(P("b.bmp"), 80, 72);
    d.Drag(10, 10, 60, 50);
    d.Press(Distortion::Explode, 2);
    Messages m;
    MergeCommand(d.state, d.zone, *d.Shown(1), *d.Shown(2), *MergeRuleNamed("sub12"), 100,
                 *ContrastMethodNamed("rgb"), 30, m);
    EXPECT_EQ(Bytes(P("m.bmp")), d.Saved(P("ref-m.bmp")));
    MergeCommand(d.state, d.zone, *d.Shown(1), *d.Shown(2), *MergeRuleNamed("ref21"), 3,
                 *ContrastMethodNamed("bw"), 80, m);
    EXPECT_EQ(Bytes(P("n.bmp")), d.Saved(P("ref-n.bmp")));
    MergeCommand(d.state, d.zone, *d.Shown(1), *d.Shown(2), *MergeRuleNamed("average"), 127,
                 *ContrastMethodNamed("normal"), 50, m);
    d.Drag(5, 5, 70, 60);
    d.Press(Distortion::Portion1, 3);
    d.Press(Distortion::Portion2, 1);
    EXPECT_TRUE(m.empty());
    EXPECT_EQ(Bytes(P("p.bmp")), d.Saved(P("ref-p.bmp")));
    EXPECT_NE(Bytes(P("m.bmp")), Bytes(P("n.bmp")));
    // Copy 2 only: the destination is source 2 as shown.
    EXPECT_EQ(out_, "156 148 160\n");
}

TEST_F(Batch, EffectsFollowTheEngine) {
    WriteOtherBmp(P("a.bmp"), 72, 40);
    Direct plain;
    plain.Open(P("a.bmp"), 72, 40);
    const std::vector<std::uint8_t> untouched = plain.Saved(P("plain.bmp"));
    for (const EffectCommand& effect : kEffectCommands) {
        ASSERT_EQ(Run("open " + P("a.bmp") + "; " + effect.name + "; save " + P("e.bmp")), 0)
            << effect.name << err_;
        Direct d;
        d.Open(P("a.bmp"), 72, 40);
        effect.run(d.state);
        EXPECT_EQ(Bytes(P("e.bmp")), d.Saved(P("ref-e.bmp"))) << effect.name;
        EXPECT_NE(Bytes(P("e.bmp")), untouched) << effect.name;
    }

    ASSERT_EQ(
        Run("open " + P("a.bmp") +
            "; zone 3 3 50 30; explode; tone 150 120 128 80 50 64 40; save " + P("t.bmp") +
            "; special 5 3 2 7 9; save " + P("s.bmp") + "; rotate 33; info; save " + P("r.bmp")),
        0)
        << err_;
    EXPECT_NE(out_.find("zone=-1,-1,-1,-1"), std::string::npos) << out_;
    Direct d;
    d.Open(P("a.bmp"), 72, 40);
    d.Drag(3, 3, 50, 30);
    d.Press(Distortion::Explode, 1);
    ToneCommand(d.state, d.zone, 150, 120, 128, 80, 50, 64, 40);
    EXPECT_EQ(Bytes(P("t.bmp")), d.Saved(P("ref-t.bmp")));
    SpecialCommand(d.state, d.zone, 5, 3, 2, 7, 9);
    EXPECT_EQ(Bytes(P("s.bmp")), d.Saved(P("ref-s.bmp")));
    Messages m;
    RotateCommand(d.state, d.zone, 33, m);
    EXPECT_EQ(Bytes(P("r.bmp")), d.Saved(P("ref-r.bmp")));
    EXPECT_NE(Bytes(P("s.bmp")), Bytes(P("t.bmp")));
}

// Every run starts the random generator afresh, in this process and in the real program.
TEST_F(Batch, AScriptRunTwiceGivesTheSameFile) {
    WriteTestBmp(P("a.bmp"), 90, 60);
    const auto script = [&](const std::string& out) {
        return "open " + P("a.bmp") + "; pencil; special 9 4 3 11 15; special 0 2 7 31 6; save " +
               P(out);
    };
    ASSERT_EQ(Run(script("one.bmp")), 0) << err_;
    ASSERT_EQ(Run(script("two.bmp")), 0) << err_;
    const int status = std::system(
        (std::string(WENDRAL_BATCH_PATH) + " -e '" + script("three.bmp") + "'").c_str());
    ASSERT_TRUE(WIFEXITED(status));
    EXPECT_EQ(WEXITSTATUS(status), 0);
    EXPECT_EQ(Bytes(P("one.bmp")), Bytes(P("two.bmp")));
    EXPECT_EQ(Bytes(P("one.bmp")), Bytes(P("three.bmp")));
    EXPECT_FALSE(Bytes(P("one.bmp")).empty());
}

TEST_F(Batch, ReferenceColourAndBrushingFollowTheEngine) {
    WriteTestBmp(P("a.bmp"), 80, 60);
    WriteOtherBmp(P("b.bmp"), 80, 60);
    ASSERT_EQ(Run("refcolour 10 20 30; info"), 0) << err_;
    EXPECT_NE(out_.find(" ref=10,20,30 "), std::string::npos) << out_;

    // The drag samples the picture; its release makes the exploded zone the next base.
    const std::vector<Point> drag{{2, 2}, {6, 2}, {6, 9}, {-3, 4}, {300, 9}, {40, 30}};
    ASSERT_EQ(Run("open " + P("a.bmp") +
                  "; zone 10 8 60 50; explode 2; refdrag 2 2 6 2 6 9 -3 4 300 9 40 30; info;"
                  " explode; converge; save " +
                  P("r.bmp")),
              0)
        << err_;
    Direct r;
    r.Open(P("a.bmp"), 80, 60);
    r.Drag(10, 8, 60, 50);
    r.Press(Distortion::Explode, 2);
    RefDragCommand(r.state, r.zone, r.sampling, drag);
    r.Press(Distortion::Explode, 1);
    r.Press(Distortion::Converge, 1);
    const Bgr ref = r.state.ReferenceColour;
    EXPECT_NE(out_.find(" ref=" + std::to_string(ref.r) + "," + std::to_string(ref.g) + "," +
                        std::to_string(ref.b) + " "),
              std::string::npos)
        << out_;
    EXPECT_NE(ref, (Bgr{127, 127, 127}));
    EXPECT_EQ(Bytes(P("r.bmp")), r.Saved(P("ref-r.bmp")));

    ASSERT_EQ(
        Run("open " + P("a.bmp") + "; open " + P("b.bmp") +
            "; zone 10 10 30 26; explode 2; brushing on; info;"
            " brush 1 20 20 25 22 40 30; brush 2 50 40 60 45 79 59; brushing off; info; save " +
            P("b1.bmp")),
        0)
        << err_;
    EXPECT_NE(out_.find("brushing=1 ref=127,127,127 zone=10,10,30,26"), std::string::npos) << out_;
    EXPECT_NE(out_.find("brushing=0 ref=127,127,127 zone=10,10,10,10"), std::string::npos) << out_;
    Direct b;
    b.Open(P("a.bmp"), 80, 60);
    b.Open(P("b.bmp"), 80, 60);
    b.Drag(10, 10, 30, 26);
    b.Press(Distortion::Explode, 2);
    ASSERT_TRUE(StartBrushing(b.state, b.zone, PictureArea(b.state)).outline.has_value());
    EXPECT_TRUE(
        BrushAlong(b.state, b.zone, 1, {{20, 20}, {25, 22}, {40, 30}}, b.Shown(1), b.Shown(2))
            .empty());
    EXPECT_TRUE(
        BrushAlong(b.state, b.zone, 2, {{50, 40}, {60, 45}, {79, 59}}, b.Shown(1), b.Shown(2))
            .empty());
    StopBrushing(b.state, b.zone);
    EXPECT_EQ(Bytes(P("b1.bmp")), b.Saved(P("ref-b1.bmp")));

    // Brushing from source 2 with one source open paints nothing and says why.
    EXPECT_EQ(Run("open " + P("a.bmp") + "; zone 10 10 30 26; brushing on; brush 2 20 20 30 30"),
              1);
    EXPECT_EQ(err_, std::string("line 4: ") + kNoSource2Message + "\n");
}

TEST_F(Batch, CommandsTheApplicationWouldRefuseFailWithTheirReason) {
    WriteTestBmp(P("a.bmp"), 40, 30);
    const std::string open = "open " + P("a.bmp") + "; ";
    const std::string question = "No Zone set up in the Destination\\nDo you want help on this ?\n";
    EXPECT_EQ(Run(open + "explode"), 1);
    EXPECT_EQ(err_, "line 2: " + question);
    // A click without a drag is no zone; a zone one pixel wide is no brush.
    EXPECT_EQ(Run(open + "zone 5 5 30 5; nudge-left 3"), 1);
    EXPECT_EQ(err_, "line 3: " + question);
    EXPECT_EQ(Run(open + "zone 7 2 7 20; portion1; twist-left"), 0) << err_;
    EXPECT_EQ(Run(open + "zone 7 2 7 20; brushing on"), 1);
    EXPECT_EQ(err_, "line 3: " + question);

    struct Refusal {
        std::string commands, message;
    };
    const Refusal refusals[] = {
        {"implode", "line 1: implode: the destination is empty\n"},
        {"sharpen", "line 1: sharpen: the destination is empty\n"},
        {"flip", "line 1: flip: no source is open\n"},
        {"brushing on", "line 1: brushing on: needs a destination picture and a source\n"},
        {open + "portion2 2", "line 2: portion2: source 2 is not open\n"},
        {open + "merge average", std::string("line 2: ") + kMergeNeedsTwoSourcesMessage + "\n"},
        {open + "brush 1 3 3 9 9", "line 2: brush: brushing is off (brushing on starts it)\n"},
        {open + "rotate 400", std::string("line 2: ") + kRotateRangeMessage + "\n"},
    };
    for (const Refusal& r : refusals) {
        EXPECT_EQ(Run(r.commands), 1) << r.commands;
        EXPECT_EQ(err_, r.message) << r.commands;
    }
    // While brushing the mouse buttons and the zone commands belong to the brush.
    for (const char* held : {"zone 1 1 9 9", "nudge-down", "diverge 2", "flip", "portion1",
                             "refdrag 1 1 2 2", "merge copy1"}) {
        EXPECT_EQ(Run(open + "zone 2 2 20 20; brushing on; " + held), 1) << held;
        const std::string name = std::string(held).substr(0, std::string(held).find(' '));
        EXPECT_EQ(err_, "line 4: " + name +
                            ": not available while brushing is on (brushing off ends it)\n")
            << held;
    }

    // The real program's exit status for the zone question.
    const int status = std::system(
        (std::string(WENDRAL_BATCH_PATH) + " -e '" + open + "implode 4' 2> " + P("err.txt"))
            .c_str());
    ASSERT_TRUE(WIFEXITED(status));
    EXPECT_EQ(WEXITSTATUS(status), 1);
    const std::vector<std::uint8_t> err = Bytes(P("err.txt"));
    EXPECT_EQ(std::string(err.begin(), err.end()), "line 2: " + question);
}

TEST_F(Batch, BadArgumentsStopTheScriptBeforeAnythingRuns) {
    WriteTestBmp(P("a.bmp"), 16, 16);
    // One of each kind of argument the new commands take.
    const char* bad[] = {"zone 1 2 3",
                         "nudge-up 0",
                         "explode 10001",
                         "portion2 x",
                         "twist-left 1 2",
                         "flip 1",
                         "sharpen now",
                         "refcolour 0 0 256",
                         "refdrag 1 2 3",
                         "brushing yes",
                         "brush 3 1 1",
                         "brush 1",
                         "merge blend",
                         "merge average bias",
                         "merge least bias 256",
                         "merge copy1 threshold 101",
                         "merge sub12 bias 1 bias 2",
                         "merge ref12 contrast grey",
                         "tone 128 128 128 64 64 64",
                         "tone 128 128 128 64 64 -256 0",
                         "special 0 0 8 0 0",
                         "special 1 1 1 1",
                         "rotate 12.5"};
    for (const char* b : bad) {
        EXPECT_EQ(Run("open " + P("a.bmp") + "; save " + P("x.bmp") + "; " + b), 2) << b;
        EXPECT_EQ(err_.rfind("line 3: bad arguments: ", 0), 0u) << b << ": " << err_;
        EXPECT_NE(err_.find("\nusage: "), std::string::npos) << b;
        EXPECT_FALSE(fs::exists(P("x.bmp"))) << b;
    }
    Run("tone 1");
    EXPECT_EQ(err_, "line 1: bad arguments: tone 1\nusage: tone BR BG BB KR KG KB G [cancel]\n");
    Run("explode 0");
    EXPECT_EQ(err_, "line 1: bad arguments: explode 0\nusage: explode [K]\n");
}

}  // namespace
}  // namespace wendral
