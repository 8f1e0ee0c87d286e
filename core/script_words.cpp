#include "core/script_words.h"

#include <algorithm>

namespace wendral {

namespace {

bool Blank(char c) {
    return c == ' ' || c == '\t' || c == '\r';
}

bool NeedsQuotes(const std::string& word) {
    if (word.empty()) return true;
    for (char c : word)
        if (Blank(c) || c == '"' || c == '#' || c == ';' || c == '\\' || c == '\n') return true;
    return false;
}

std::string Trim(std::string_view s) {
    std::size_t a = 0, b = s.size();
    while (a < b && Blank(s[a])) ++a;
    while (b > a && Blank(s[b - 1])) --b;
    return std::string(s.substr(a, b - a));
}

// Where the piece of text starting at `from` ends: at the first of `stops` outside quotes.
std::size_t PieceEnd(std::string_view text, std::size_t from, std::string_view stops) {
    bool quoted = false;
    for (std::size_t i = from; i < text.size(); ++i) {
        if (text[i] == '\n') return i;
        if (quoted && text[i] == '\\') {
            ++i;
        } else if (text[i] == '"') {
            quoted = !quoted;
        } else if (!quoted && stops.find(text[i]) != std::string_view::npos) {
            return i;
        }
    }
    return text.size();
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

std::vector<ScriptLine> SplitCommandText(std::string_view text) {
    std::vector<ScriptLine> lines;
    int number = 1;
    for (std::size_t at = 0;;) {
        const std::size_t end = PieceEnd(text, at, ";");
        lines.push_back(ScriptLine{number++, Trim(text.substr(at, end - at))});
        if (end == text.size()) return lines;
        at = end + 1;
    }
}

std::vector<ScriptLine> SplitScript(std::string_view text) {
    std::vector<ScriptLine> lines;
    int number = 0;
    for (std::size_t at = 0; at < text.size();) {
        std::size_t end = text.find('\n', at);
        if (end == std::string_view::npos) end = text.size();
        std::string_view line = text.substr(at, end - at);
        line = line.substr(0, std::min(line.size(), ScriptCommentStart(line)));
        lines.push_back(ScriptLine{++number, Trim(line)});
        at = end + 1;
    }
    return lines;
}

}  // namespace wendral
