// Script words: what a recorded line says is what a script reads back, whatever a path holds.
#include <gtest/gtest.h>

#include "core/script_words.h"

namespace wendral {
namespace {

TEST(ScriptWords, JoinedWordsSplitBackAsTheyWere) {
    const std::vector<std::vector<std::string>> lines = {
        {"open", "/tmp/pictures/a.bmp", "640", "480"},
        {"open", "/tmp/my pictures/#1; \"best\".png"},
        {"save", "C:\\odd\\name.bmp", "bmp"},
        {"paste", "1", ""},
    };
    for (const std::vector<std::string>& words : lines) {
        const std::string line = JoinScriptWords(words);
        EXPECT_EQ(SplitScriptWords(line), words) << line;
        EXPECT_EQ(ScriptCommentStart(line + " # note"), line.size() + 1) << line;
        // Through the splitters of script files and -e texts as well.
        const std::vector<ScriptLine> inFile = SplitScript(line + " # note\ninfo");
        ASSERT_EQ(inFile.size(), 2u) << line;
        EXPECT_EQ(SplitScriptWords(inFile[0].text), words) << line;
        const std::vector<ScriptLine> inText = SplitCommandText(line + "; info");
        ASSERT_EQ(inText.size(), 2u) << line;
        EXPECT_EQ(SplitScriptWords(inText[0].text), words) << line;
    }
    EXPECT_EQ(JoinScriptWords(lines[0]), "open /tmp/pictures/a.bmp 640 480");
    EXPECT_EQ(SplitScriptWords("  zone\t1  2 "), (std::vector<std::string>{"zone", "1", "2"}));
}

}  // namespace
}  // namespace wendral
