#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

#include <filesystem>
#include <map>
#include <set>
#include <sstream>
#include <string>
#include <vector>

#include "batch/batch_test_support.h"
#include "tools/batch_session.h"

namespace wendral {
namespace {

using namespace testing_batch;

// The real program in `dir`, as a user would start it there; its output and messages are kept.
int RunProgram(const fs::path& dir, const std::vector<std::string>& arguments, std::string& out,
               std::string& err) {
    const fs::path outFile = dir / ".out", errFile = dir / ".err";
    const pid_t pid = fork();
    if (pid == 0) {
        std::vector<char*> argv{const_cast<char*>(WENDRAL_BATCH_PATH)};
        for (const std::string& a : arguments) argv.push_back(const_cast<char*>(a.c_str()));
        argv.push_back(nullptr);
        const int o = open(outFile.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
        const int e = open(errFile.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
        if (chdir(dir.c_str()) != 0 || o < 0 || e < 0 || dup2(o, 1) < 0 || dup2(e, 2) < 0)
            _exit(127);
        execv(argv[0], argv.data());
        _exit(127);
    }
    int status = 0;
    waitpid(pid, &status, 0);
    const std::vector<std::uint8_t> o = Bytes(outFile), e = Bytes(errFile);
    out.assign(o.begin(), o.end());
    err.assign(e.begin(), e.end());
    fs::remove(outFile);
    fs::remove(errFile);
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

std::set<std::string> FilesIn(const fs::path& dir) {
    std::set<std::string> names;
    for (const auto& entry : fs::directory_iterator(dir)) names.insert(entry.path().filename());
    return names;
}

TEST(BatchEachNames, InAndStemArePutIntoWordsOnce) {
    const struct {
        const char* word;
        const char* picture;
        const char* expanded;
    } cases[] = {
        {"$IN", "my pics/a photo.v2.jpg", "my pics/a photo.v2.jpg"},
        {"out/$STEM-warped.png", "my pics/a photo.v2.jpg", "out/a photo.v2-warped.png"},
        {"$STEM_small$STEM", "/x/b.png", "b_smallb"},
        {"$INFO", "c", "cFO"},
        {"$STEM", "noextension", "noextension"},
        {"$STEM", ".hidden", ".hidden"},
        // A name that reads like a placeholder is put in as it stands.
        {"$IN.$STEM", "$STEM.png", "$STEM.png.$STEM"},
        {"$ST$I", "a.bmp", "$ST$I"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(batch::ExpandPictureNames(c.word, c.picture), c.expanded)
            << c.word << " " << c.picture;
}

// The random effects are among the steps: each picture must start from a fresh session.
std::string WarpScript(const std::string& in, const std::string& out) {
    return "open " + in + "\ninfo\nzone 3 2 25 18\ntwist-left 2\nexplode\npencil\n" +
           "special 3 2 1 4 5\nblur\nsave " + out + ".png png\nsave " + out + "-copy\npixel 1 1\n";
}

TEST_F(Batch, EachPictureGivesWhatItsOwnRunGivesWithAnyNumberOfProcesses) {
    fs::create_directories(dir_ / "pics");
    fs::create_directories(dir_ / "two words");
    WriteTestBmp(P("pics/a.bmp"), 40, 30);
    WriteTestBmp(P("pics/b.bmp"), 64, 48);
    WriteTestBmp(P("two words/c photo.v2.bmp"), 33, 21);
    // A script cannot name a path with spaces; the reference run opens a copy.
    fs::copy_file(P("two words/c photo.v2.bmp"), P("pics/c.bmp"));
    std::ofstream(P("warp.txt")) << "# every picture\n" << WarpScript("$IN", "$STEM");

    fs::create_directories(dir_ / "ref");
    std::string expectedOut;
    for (const char* stem : {"a", "b", "c"}) {
        ASSERT_EQ(Run(WarpScript(P("pics/") + stem + ".bmp", P("ref/") + stem)), 0) << err_;
        expectedOut += out_;
    }
    // Each file made, and the reference file it must equal.
    const std::map<std::string, std::string> made{
        {"a.png", "a.png"},          {"a-copy.bmp", "a-copy.bmp"},
        {"b.png", "b.png"},          {"b-copy.bmp", "b-copy.bmp"},
        {"c photo.v2.png", "c.png"}, {"c photo.v2-copy.bmp", "c-copy.bmp"}};
    std::set<std::string> names;
    for (const auto& [name, _] : made) names.insert(name);

    for (const char* jobs : {"1", "2"}) {
        SCOPED_TRACE(std::string("-j ") + jobs);
        const fs::path run = dir_ / (std::string("run") + jobs);
        fs::create_directories(run);
        std::string out, err;
        ASSERT_EQ(RunProgram(run,
                             {"-j", jobs, "--each", "../pics/a.bmp", "../pics/b.bmp",
                              "../two words/c photo.v2.bmp", "--", "../warp.txt"},
                             out, err),
                  0)
            << err;
        EXPECT_EQ(out, expectedOut);
        EXPECT_NE(err.find("3 pictures: 3 ok, 0 failed\n"), std::string::npos) << err;
        ASSERT_EQ(FilesIn(run), names);
        for (const auto& [name, ref] : made) {
            EXPECT_FALSE(Bytes(run / name).empty()) << name;
            EXPECT_EQ(Bytes(run / name), Bytes(dir_ / "ref" / ref)) << name;
        }
    }
}

TEST_F(Batch, AFailingPictureIsReportedAndTheOthersStillRun) {
    WriteTestBmp(P("a.bmp"), 12, 10);
    WriteTestBmp(P("d.bmp"), 9, 7);
    std::ofstream(P("broken.bmp")) << "BM not a picture";
    std::string out, err;
    EXPECT_EQ(RunProgram(dir_,
                         {"-j", "1", "--each", "a.bmp", "missing.bmp", "broken.bmp", "d.bmp", "--",
                          "-e", "open $IN; save $STEM-out.bmp"},
                         out, err),
              1);
    EXPECT_TRUE(fs::exists(P("a-out.bmp")));
    EXPECT_TRUE(fs::exists(P("d-out.bmp")));
    EXPECT_FALSE(fs::exists(P("missing-out.bmp")));
    EXPECT_FALSE(fs::exists(P("broken-out.bmp")));
    EXPECT_EQ(err.rfind("[1/4] ok      a.bmp\n"
                        "[2/4] FAILED  missing.bmp (exit 1)\n"
                        "    line 1: Not a valid picture file\n"
                        "[3/4] FAILED  broken.bmp (exit 1)\n",
                        0),
              0u)
        << err;
    EXPECT_NE(err.find("[4/4] ok      d.bmp\n4 pictures: 2 ok, 2 failed\n"), std::string::npos)
        << err;
}

// Nothing runs, for any picture, when the command line or the script is malformed.
TEST_F(Batch, MalformedEachGivesTwoBeforeAnyPictureRuns) {
    fs::create_directories(dir_ / "other");
    WriteTestBmp(P("a.bmp"), 8, 8);
    const std::string a = P("a.bmp"), save = "open $IN; save " + P("$STEM-out.bmp");
    const struct {
        std::vector<std::string> arguments;
        const char* message;
    } cases[] = {
        {{"--each", a}, "--each needs -- between the pictures and the script"},
        {{"--each", a, "--"}, "--each needs a script that uses $IN or $STEM"},
        {{"--each", a, "--", "-e", "open " + a + "; save " + P("x.bmp")}, "uses $IN or $STEM"},
        {{"-j", "0", "--each", a, "--", "-e", save},
         "-j needs a number of processes from 1 to 1024"},
        {{"-jx", "--each", a, "--", "-e", save}, "-j needs a number"},
        {{"-j", "2", "-e", save}, "-j goes with --each"},
        {{"--each", a, "--", "-e", save + "; frobnicate"}, "line 3: unknown command: frobnicate"},
        {{"--each", a, "--", "-e", save + "; pixel $STEM 0"}, "line 3: bad arguments: pixel a 0\n"},
        {{"--each", a, "--", P("nosuch.txt")}, "cannot read script: "},
        {{"--each", a, P("other/a.png"), "--", "-e", save}, "have the same $STEM: a\n"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.message);
        std::ostringstream out, err;
        EXPECT_EQ(batch::RunBatch(c.arguments, out, err), 2);
        EXPECT_NE(err.str().find(c.message), std::string::npos) << err.str();
        EXPECT_EQ(FilesIn(dir_), (std::set<std::string>{"a.bmp", "other"}));
    }
}

}  // namespace
}  // namespace wendral
