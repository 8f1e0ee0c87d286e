#include <gtest/gtest.h>

#include <sys/wait.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "batch/batch_test_support.h"
#include "core/sources.h"
#include "io/picture_file.h"
#include "io/save.h"
#include "tools/batch_session.h"

namespace wendral {
namespace {

using namespace testing_batch;

TEST(BatchScripts, SplitIntoNumberedCommands) {
    const auto e = SplitCommandText("open a.bmp; info\n  pixel 1 2 ;");
    ASSERT_EQ(e.size(), 4u);
    EXPECT_EQ(e[0].text, "open a.bmp");
    EXPECT_EQ(e[2].text, "pixel 1 2");
    EXPECT_EQ(e[2].line, 3);
    EXPECT_EQ(e[3].text, "");

    const auto s = SplitScript("# a picture\nopen a.bmp # the first\n\r\ninfo\n");
    ASSERT_EQ(s.size(), 4u);
    EXPECT_EQ(s[0].text, "");
    EXPECT_EQ(s[1].text, "open a.bmp");
    EXPECT_EQ(s[3].line, 4);
    EXPECT_EQ(s[3].text, "info");
}

TEST_F(Batch, OpenTakesThePictureSizeAndInfoAndPixelReportTheDestination) {
    WriteTestBmp(P("wide.bmp"), 2047, 5);
    ASSERT_EQ(Run("open " + P("wide.bmp") + "; info; pixel 2047 0; pixel 3 1"), 0) << err_;
    EXPECT_EQ(
        out_,
        "dest 2048x5 modified=0 locked=0 brushing=0 ref=127,127,127 zone=-1,-1,-1,-1 sources=1\n"
        "255 255 255\n"
        "3 1 4\n");

    // Larger than the grid: the window stops at 2048 x 1536.
    WriteTestBmp(P("big.bmp"), 2100, 1600);
    ASSERT_EQ(Run("open " + P("big.bmp") + "; lock; info"), 0) << err_;
    EXPECT_EQ(out_,
              "dest 2048x1536 modified=0 locked=1 brushing=0 ref=127,127,127 zone=-1,-1,-1,-1 "
              "sources=1\n");
}

// The saved file is what the engine and the writer give for the same steps, byte for byte.
TEST_F(Batch, SavedFilesMatchTheEngineDrivenDirectly) {
    WriteTestBmp(P("pic.bmp"), 300, 200);
    ASSERT_EQ(
        Run("open " + P("pic.bmp") + "; window 1 250 180; scale 1 150 75; scroll 1 40 -10; save " +
            P("out.bmp") + "; save " + P("out.dat") + " jpg"),
        0)
        << err_;

    WendralState state;
    Zone zone;
    SourceView view;
    view.SetClientSize(300, 200);
    ASSERT_TRUE(OpenSource(state, zone, view, P("pic.bmp"), &LoadPictureFile).keepWindow);
    ResizeSource(state, zone, 1, 250, 180);
    SetSourceScale(state, zone, 1, 150, 75);
    EndSourceScale(state, zone, 1);
    ScrollSource(state, zone, 1, view.PictureOrigin.x + 40, view.PictureOrigin.y - 10);
    EXPECT_EQ(state.DestWidth, 248);
    Messages messages;
    ASSERT_TRUE(SaveDestination(state, P("ref.bmp"), PictureFormat::Bmp, messages));
    ASSERT_TRUE(SaveDestination(state, P("ref.jpg"), PictureFormat::Jpeg, messages));
    EXPECT_EQ(Bytes(P("out.bmp")), Bytes(P("ref.bmp")));
    EXPECT_FALSE(fs::exists(P("out.dat")));
    EXPECT_EQ(Bytes(P("out.dat.jpg")), Bytes(P("ref.jpg")));
    EXPECT_FALSE(Bytes(P("ref.jpg")).empty());
}

TEST_F(Batch, SourceCommandsFollowTheEngine) {
    WriteTestBmp(P("pic.bmp"), 64, 40);
    // Scrolling moves the picture left; justify puts it back; fit fills a larger window.
    ASSERT_EQ(
        Run("open " + P("pic.bmp") +
            "; scroll 1 10 3; pixel 0 0; justify 1; pixel 0 0; window 1 128 80; "
            "pixel 100 0; fit 1; pixel 127 79; empty 1; pixel 5 5; reload 1; pixel 5 5; info"),
        0)
        << err_;
    EXPECT_EQ(
        out_,
        "10 3 13\n"
        "0 0 0\n"
        "255 255 255\n"
        "63 39 102\n"
        "255 255 255\n"
        "5 5 10\n"
        "dest 128x80 modified=0 locked=0 brushing=0 ref=127,127,127 zone=-1,-1,-1,-1 sources=1\n");

    // A new source in a fresh session has nothing to take: an empty window and destination.
    ASSERT_EQ(Run("new; info; close 1; info"), 0) << err_;
    EXPECT_EQ(
        out_,
        "dest 0x0 modified=0 locked=0 brushing=0 ref=127,127,127 zone=-1,-1,-1,-1 sources=1\n"
        "dest 0x0 modified=0 locked=0 brushing=0 ref=127,127,127 zone=-1,-1,-1,-1 sources=0\n");
}

TEST_F(Batch, ExitStatusAndMessageFormat) {
    WriteTestBmp(P("pic.bmp"), 8, 8);
    // Unknown commands and bad arguments stop everything before anything runs.
    EXPECT_EQ(Run("open " + P("pic.bmp") + "; save " + P("a.bmp") + "; frobnicate 3"), 2);
    EXPECT_NE(err_.find("line 3: unknown command: frobnicate"), std::string::npos) << err_;
    EXPECT_NE(err_.find(batch::kUsage), std::string::npos);
    EXPECT_FALSE(fs::exists(P("a.bmp")));
    for (const char* bad : {"scale 1 601 100", "scale 3 100 100", "pixel -1 0", "save",
                            "save x.bmp gif", "info now", "window 1 10", "scroll 1 a 0"}) {
        EXPECT_EQ(Run(bad), 2) << bad;
        EXPECT_NE(err_.find("usage: "), std::string::npos) << bad;
    }
    // A format word is one of the six extensions as written.
    EXPECT_EQ(Run("save x.bmp BMP"), 2);
    EXPECT_EQ(
        err_,
        "line 1: bad arguments: save x.bmp BMP\nusage: save PATH [bmp|jpg|png|tif|tga|pcx]\n");

    // The first failing command ends the run with its messages, one a line.
    EXPECT_EQ(Run("open " + P("pic.bmp") + "; open " + P("pic.bmp") + "\n open " + P("pic.bmp") +
                  "; save " + P("b.bmp")),
              1);
    EXPECT_EQ(err_,
              "line 3: No more than two source windows allowed at any one time.\\n\\nPlease delete "
              "one of the "
              "source windows in order to load in a new one.\n");
    EXPECT_FALSE(fs::exists(P("b.bmp")));

    EXPECT_EQ(Run("open " + P("missing.png")), 1);
    EXPECT_NE(err_.find("line 1: Not a valid picture file\n"), std::string::npos) << err_;
    EXPECT_EQ(Run("info; pixel 0 0"), 1);
    EXPECT_EQ(err_.rfind("line 2: ", 0), 0u) << err_;
    EXPECT_EQ(Run("fit 2"), 1);
    EXPECT_EQ(err_, "line 1: source 2 is not open\n");
    EXPECT_EQ(Run("new; empty 1; reload 1"), 1);
    EXPECT_EQ(err_, std::string("line 3: ") + kNoFileToReload + "\n");
}

TEST_F(Batch, ScriptFilesThroughTheRealProgram) {
    WriteTestBmp(P("pic.bmp"), 32, 20);
    {
        std::ofstream script(P("s.txt"));
        script << "# make a copy\nopen " << P("pic.bmp") << "\n\ninfo  # report\npixel 31 19\n";
    }
    const std::string command = std::string(WENDRAL_BATCH_PATH) + " " + P("s.txt") + " -e 'save " +
                                P("c.bmp") + "' > " + P("out.txt") + " 2> " + P("err.txt");
    int status = std::system(command.c_str());
    ASSERT_TRUE(WIFEXITED(status));
    EXPECT_EQ(WEXITSTATUS(status), 0);
    const std::vector<std::uint8_t> out = Bytes(P("out.txt"));
    EXPECT_EQ(std::string(out.begin(), out.end()),
              "dest 32x20 modified=0 locked=0 brushing=0 ref=127,127,127 zone=-1,-1,-1,-1 "
              "sources=1\n31 19 50\n");
    EXPECT_TRUE(fs::exists(P("c.bmp")));

    status = std::system(
        (std::string(WENDRAL_BATCH_PATH) + " -e 'pixel 0 0' 2> " + P("err.txt")).c_str());
    EXPECT_EQ(WEXITSTATUS(status), 1);
    status = std::system((std::string(WENDRAL_BATCH_PATH) + " -x 2> " + P("err.txt")).c_str());
    EXPECT_EQ(WEXITSTATUS(status), 2);
    const std::vector<std::uint8_t> err = Bytes(P("err.txt"));
    EXPECT_NE(std::string(err.begin(), err.end()).find(batch::kUsage), std::string::npos);
}

}  // namespace
}  // namespace wendral
