#include "tools/batch_session.h"

#include <algorithm>
#include <charconv>
#include <fstream>
#include <ostream>
#include <sstream>

#include "io/picture_file.h"

namespace wendral::batch {

CommandResult Ok() { return CommandResult{}; }

CommandResult Fail(std::string message) { return CommandResult{Status::Failed, Messages{std::move(message)}}; }

CommandResult Fail(Messages messages) { return CommandResult{Status::Failed, std::move(messages)}; }

CommandResult FromZoneOutcome(ZoneOutcome outcome, Messages messages) {
    if (outcome == ZoneOutcome::AskZoneQuestion) messages.push_back(kZoneQuestion);
    if (messages.empty()) return Ok();
    return Fail(std::move(messages));
}

Session::Session(std::ostream& output) : out(output), load(&LoadPictureFile) {}

SourceView* Session::Source(int number) {
    if (number < 1 || number > 2 || number > state.SourceCount) return nullptr;
    return state.SourceViews[number];
}

SourceView& Session::NewWindow() {
    windows_.push_back(std::make_unique<SourceView>());
    return *windows_.back();
}

const SourceImage* Session::Shown(int number) {
    const SourceView* view = Source(number);
    if (!view) return nullptr;
    shown_[number] = view->Image();
    return &shown_[number];
}

void Session::ReleaseDetached() {
    std::erase_if(windows_, [this](const std::unique_ptr<SourceView>& w) {
        for (int n = 1; n <= state.SourceCount && n <= 2; ++n)
            if (state.SourceViews[n] == w.get()) return false;
        return true;
    });
}

CommandResult Session::Run(const std::string& what, const std::function<SourceOutcome()>& command) {
    SourceOutcome outcome = command();
    if (outcome.heldBack) {
        state.OverwriteConsent = 1;
        outcome = command();
    }
    ReleaseDetached();
    if (outcome.failed && outcome.messages.empty()) return Fail(what + " is not available now");
    if (outcome.failed || !outcome.messages.empty()) return Fail(std::move(outcome.messages));
    return Ok();
}

void CommandTable::Add(Command command) {
    std::string name = command.name;
    commands_[name] = std::move(command);
}

const Command* CommandTable::Find(const std::string& name) const {
    const auto it = commands_.find(name);
    return it == commands_.end() ? nullptr : &it->second;
}

bool IsInt(const std::string& word, long long min, long long max) {
    long long v = 0;
    const char* end = word.data() + word.size();
    const auto [p, ec] = std::from_chars(word.data(), end, v);
    return ec == std::errc() && p == end && !word.empty() && v >= min && v <= max;
}

int ToInt(const std::string& word) {
    int v = 0;
    std::from_chars(word.data(), word.data() + word.size(), v);
    return v;
}

bool IsSourceNumber(const std::string& word) { return word == "1" || word == "2"; }

std::function<bool(const Args&)> Ints(std::vector<std::pair<long long, long long>> bounds) {
    return [bounds = std::move(bounds)](const Args& args) {
        if (args.size() != bounds.size()) return false;
        for (std::size_t i = 0; i < args.size(); ++i)
            if (!IsInt(args[i], bounds[i].first, bounds[i].second)) return false;
        return true;
    };
}

bool PressCount(const Args& a) {
    return a.empty() || (a.size() == 1 && IsInt(a[0], 1, kMaxPresses));
}

int Presses(const Args& a) {
    return a.empty() ? 1 : ToInt(a[0]);
}

std::function<bool(const Args&)> Points(std::size_t minPoints) {
    return [minPoints](const Args& args) {
        if (args.size() % 2 != 0 || args.size() < 2 * minPoints) return false;
        return std::all_of(args.begin(), args.end(), [](const std::string& w) {
            return IsInt(w, -kMaxCoordinate, kMaxCoordinate);
        });
    };
}

std::vector<Point> ToPoints(const Args& args) {
    std::vector<Point> points;
    for (std::size_t i = 0; i + 1 < args.size(); i += 2)
        points.push_back(Point{ToInt(args[i]), ToInt(args[i + 1])});
    return points;
}

std::optional<CommandResult> Unavailable(const Session& s, const std::string& name,
                                         unsigned needs) {
    const WendralState& st = s.state;
    if ((needs & kNeedsSource) && st.SourceCount < 1) return Fail(name + ": no source is open");
    if ((needs & kNeedsTwoSources) && st.SourceCount < 2)
        return Fail(name + ": source 2 is not open");
    if ((needs & kNeedsPicture) && !st.PicturePresent())
        return Fail(name + ": the destination is empty");
    if ((needs & kNeedsNoBrushing) && st.BrushingEnabled != 0)
        return Fail(name + ": not available while brushing is on (brushing off ends it)");
    return std::nullopt;
}

namespace {

std::string Trim(const std::string& s) {
    const std::size_t a = s.find_first_not_of(" \t\r");
    if (a == std::string::npos) return {};
    const std::size_t b = s.find_last_not_of(" \t\r");
    return s.substr(a, b - a + 1);
}

std::vector<std::string> Words(const std::string& text) {
    std::istringstream in(text);
    std::vector<std::string> words;
    for (std::string w; in >> w;) words.push_back(w);
    return words;
}

// Messages may span lines; in the report each stays on its own line.
std::string OneLine(const std::string& text) {
    std::string s;
    for (char c : text) {
        if (c == '\n') s += "\\n";
        else s += c;
    }
    return s;
}

}  // namespace

std::vector<ScriptLine> SplitCommandText(const std::string& text) {
    std::vector<ScriptLine> lines;
    std::string piece;
    int number = 1;
    for (std::size_t i = 0; i <= text.size(); ++i) {
        if (i == text.size() || text[i] == ';' || text[i] == '\n') {
            lines.push_back(ScriptLine{number++, Trim(piece)});
            piece.clear();
        } else {
            piece += text[i];
        }
    }
    return lines;
}

std::vector<ScriptLine> SplitScript(const std::string& text) {
    std::vector<ScriptLine> lines;
    std::istringstream in(text);
    int number = 0;
    for (std::string line; std::getline(in, line);) {
        ++number;
        const std::size_t hash = line.find('#');
        if (hash != std::string::npos) line.erase(hash);
        lines.push_back(ScriptLine{number, Trim(line)});
    }
    return lines;
}

int RunCommands(const std::vector<ScriptLine>& lines, Session& session, std::ostream& err) {
    const CommandTable& table = AllCommands();
    struct Step {
        const ScriptLine* line;
        const Command* command;
        Args args;
    };
    std::vector<Step> steps;
    for (const ScriptLine& line : lines) {
        std::vector<std::string> words = Words(line.text);
        if (words.empty()) continue;
        const Command* command = table.Find(words[0]);
        if (!command) {
            err << "line " << line.line << ": unknown command: " << words[0] << '\n' << kUsage << '\n';
            return 2;
        }
        Args args(words.begin() + 1, words.end());
        if (command->argumentsOk && !command->argumentsOk(args)) {
            err << "line " << line.line << ": bad arguments: " << line.text << '\n'
                << "usage: " << command->usage << '\n';
            return 2;
        }
        steps.push_back(Step{&line, command, std::move(args)});
    }
    for (const Step& step : steps) {
        const CommandResult result = step.command->run(session, step.args);
        if (result.status == Status::Ok) continue;
        for (const std::string& m : result.messages) err << "line " << step.line->line << ": " << OneLine(m) << '\n';
        if (result.status == Status::BadArguments) {
            err << "usage: " << step.command->usage << '\n';
            return 2;
        }
        return 1;
    }
    return 0;
}

int RunBatch(const std::vector<std::string>& arguments, std::ostream& out, std::ostream& err) {
    std::vector<ScriptLine> lines;
    for (std::size_t i = 0; i < arguments.size(); ++i) {
        const std::string& a = arguments[i];
        if (a == "-e") {
            if (i + 1 == arguments.size()) {
                err << "-e needs commands\n" << kUsage << '\n';
                return 2;
            }
            for (ScriptLine& l : SplitCommandText(arguments[++i])) lines.push_back(std::move(l));
        } else if (a.size() > 1 && a[0] == '-') {
            err << "unknown option: " << a << '\n' << kUsage << '\n';
            return 2;
        } else {
            std::ifstream file(a, std::ios::binary);
            if (!file) {
                err << "cannot read script: " << a << '\n' << kUsage << '\n';
                return 2;
            }
            std::ostringstream text;
            text << file.rdbuf();
            for (ScriptLine& l : SplitScript(text.str())) lines.push_back(std::move(l));
        }
    }
    Session session(out);
    return RunCommands(lines, session, err);
}

}  // namespace wendral::batch
