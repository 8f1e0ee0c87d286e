#pragma once
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace wendral {

// The words of a script line: separated by blanks; a word in double quotes may hold blanks,
// "#" and ";", with \" and \\ standing for a quote and a backslash inside it.
std::vector<std::string> SplitScriptWords(std::string_view line);

// The line that SplitScriptWords reads back as `words`: a word that needs them gets quotes.
std::string JoinScriptWords(std::span<const std::string> words);

// Where a script line's comment starts ("#" outside quotes), or npos.
std::size_t ScriptCommentStart(std::string_view line);

struct ScriptLine {
    int line = 0;      // counted from 1 in its script or -e text
    std::string text;  // without comment, trimmed
};

// Commands of an -e text: separated by ";" or new lines (outside quotes).
std::vector<ScriptLine> SplitCommandText(std::string_view text);
// Commands of a script file: one a line, "#" outside quotes starts a comment.
std::vector<ScriptLine> SplitScript(std::string_view text);

}  // namespace wendral
