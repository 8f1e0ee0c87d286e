#include "core/script_words.h"

namespace wendral {

namespace {

bool Blank(char c) { return c == ' ' || c == '\t' || c == '\r'; }

bool NeedsQuotes(const std::string& word) {
    if (word.empty()) return true;
    for (char c : word)
        if (Blank(c) || c == '"' || c == '#' || c == ';' || c == '\\' || c == '\n') return true;
    return false;
}

}  // namespace

std::vector<std::string> SplitScriptWords(std::string_view line) {
    std::vector<std::string> words;
    std::size_t i = 0;
    while (i < line.size()) {
        if (Blank(line[i])) {
            ++i;
            continue;
        }
        std::string word;
        if (line[i] == '"') {
            for (++i; i < line.size() && line[i] != '"'; ++i) {
                if (line[i] == '\\' && i + 1 < line.size()) ++i;
                word += line[i];
            }
            ++i;  // the closing quote, if any
        } else {
            for (; i < line.size() && !Blank(line[i]); ++i) word += line[i];
        }
        words.push_back(std::move(word));
    }
    return words;
}

std::string JoinScriptWords(std::span<const std::string> words) {
    std::string line;
    for (const std::string& w : words) {
        if (!line.empty()) line += ' ';
        if (!NeedsQuotes(w)) {
            line += w;
            continue;
        }
        line += '"';
        for (char c : w) {
            if (c == '"' || c == '\\') line += '\\';
            line += c;
        }
        line += '"';
    }
    return line;
}

std::size_t ScriptCommentStart(std::string_view line) {
    bool quoted = false;
    for (std::size_t i = 0; i < line.size(); ++i) {
        if (quoted && line[i] == '\\') {
            ++i;
        } else if (line[i] == '"') {
            quoted = !quoted;
        } else if (line[i] == '#' && !quoted) {
            return i;
        }
    }
    return std::string_view::npos;
}

}  // namespace wendral
