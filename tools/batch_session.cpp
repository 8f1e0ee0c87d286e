#include "tools/batch_session.h"

#include <algorithm>
#include <charconv>
#include <fstream>
#include <optional>
#include <ostream>
#include <sstream>

#include "core/limits.h"
#include "io/picture_file.h"
#include "io/save.h"

namespace wendral::batch {

CommandResult Ok() {
    return CommandResult{};
}

CommandResult Fail(std::string message) {
    return CommandResult{Status::Failed, Messages{std::move(message)}};
}

CommandResult Fail(Messages messages) {
    return CommandResult{Status::Failed, std::move(messages)};
}

Session::Session(std::ostream& output)
    : out(output), load(&LoadPictureFile), save(&SaveScriptedDestination) {}

SourceView* Session::Source(int number) {
    if (number < 1 || number > 2 || number > state.SourceCount) return nullptr;
    return state.SourceViews[number];
}

SourceView& Session::MakeSourceWindow(int) {
    windows_.push_back(std::make_unique<SourceView>());
    return *windows_.back();
}

// A script has no screen: an opened picture gets a window of its own size as far as the grid
// goes, a blank source the destination's size, and a second window the first one's size.
void Session::SizeSourceWindow(SourceView& view, int, WindowPurpose purpose) {
    switch (purpose) {
        case WindowPurpose::Opened:
            view.SetClientSize(std::min(view.Document.PictureWidth, kMaxWidth),
                               std::min(view.Document.PictureHeight, kMaxHeight));
            break;
        case WindowPurpose::Blank:
            view.SetClientSize(state.DestWidth, state.DestHeight);
            break;
        case WindowPurpose::FromDestination: {
            const ClientSize c = state.SourceViews[1]->Client();
            view.SetClientSize(c.cx, c.cy);
            break;
        }
    }
}

const SourceImage* Session::Shown(int number) {
    const SourceView* view = Source(number);
    if (!view) return nullptr;
    shown_[number] = view->Image();
    return &shown_[number];
}

CommandContext Session::Context() {
    return CommandContext{state,
                          zone,
                          engine,
                          sampling,
                          [this] {
                              return ShownSources{Shown(1), Shown(2)};
                          },
                          view.value_or(PictureArea(state)),
                          load,
                          save,
                          this,
                          nullptr,
                          history_.get()};
}

void Session::KeepHistory() {
    if (!history_) history_ = std::make_unique<History>(state, zone);
}

void Session::ReleaseDetached() {
    std::erase_if(windows_, [this](const std::unique_ptr<SourceView>& w) {
        for (int n = 1; n <= state.SourceCount && n <= 2; ++n)
            if (state.SourceViews[n] == w.get()) return false;
        return true;
    });
}

CommandResult Session::Run(const CommandRow& row, const std::string& name, const Args& args) {
    if (const std::optional<std::string> why = Unavailability(state, row.needs))
        return Fail(name + ": " + *why);
    CommandContext context = Context();
    CommandOutcome outcome = row.run(context, args);
    if (outcome.throughSources && outcome.source.heldBack) {
        state.OverwriteConsent = 1;
        outcome = row.run(context, args);
    }
    ReleaseDetached();
    if (history_ && row.id != kUndo && row.id != kRedo) history_->Commit(state, zone, name);
    Messages failure = ScriptFailure(name, outcome);
    return failure.empty() ? Ok() : Fail(std::move(failure));
}

void Vocabulary::Add(Command command) {
    if (!commands_.contains(command.name)) order_.push_back(command.name);
    std::string name = command.name;
    commands_[name] = std::move(command);
}

const Command* Vocabulary::Find(const std::string& name) const {
    const auto it = commands_.find(name);
    return it == commands_.end() ? nullptr : &it->second;
}

std::string Vocabulary::Usage() const {
    std::string usage;
    for (const std::string& name : order_) usage += "  " + commands_.at(name).usage + "\n";
    return usage;
}

namespace {

// Messages may span lines; in the report each stays on its own line.
std::string OneLine(const std::string& text) {
    std::string s;
    for (char c : text) {
        if (c == '\n')
            s += "\\n";
        else
            s += c;
    }
    return s;
}

}  // namespace

std::optional<std::vector<Step>> CheckCommands(const std::vector<ScriptLine>& lines,
                                               std::ostream& err, const WordExpander& expand) {
    const Vocabulary& table = AllCommands();
    std::vector<Step> steps;
    for (const ScriptLine& line : lines) {
        std::vector<std::string> words = SplitScriptWords(line.text);
        if (words.empty()) continue;
        const Command* command = table.Find(words[0]);
        if (!command) {
            err << "line " << line.line << ": unknown command: " << words[0] << '\n'
                << kUsage << '\n';
            return std::nullopt;
        }
        Args args(words.begin() + 1, words.end());
        if (expand)
            for (std::string& a : args) a = expand(a);
        if (command->argumentsOk && !command->argumentsOk(args)) {
            err << "line " << line.line
                << ": bad arguments: " << (expand ? expand(line.text) : line.text) << '\n'
                << "usage: " << command->usage << '\n';
            return std::nullopt;
        }
        steps.push_back(Step{&line, command, std::move(args)});
    }
    return steps;
}

int RunSteps(const std::vector<Step>& steps, Session& session, std::ostream& err) {
    for (const Step& step : steps)
        if (step.command->name == "undo" || step.command->name == "redo") session.KeepHistory();
    for (const Step& step : steps) {
        const CommandResult result = step.command->run(session, step.args);
        if (result.status == Status::Ok) continue;
        for (const std::string& m : result.messages)
            err << "line " << step.line->line << ": " << OneLine(m) << '\n';
        if (result.status == Status::BadArguments) {
            err << "usage: " << step.command->usage << '\n';
            return 2;
        }
        return 1;
    }
    return 0;
}

int RunCommands(const std::vector<ScriptLine>& lines, Session& session, std::ostream& err) {
    const std::optional<std::vector<Step>> steps = CheckCommands(lines, err);
    return steps ? RunSteps(*steps, session, err) : 2;
}

bool ReadScripts(std::span<const std::string> arguments, std::vector<ScriptLine>& lines,
                 std::ostream& err) {
    for (std::size_t i = 0; i < arguments.size(); ++i) {
        const std::string& a = arguments[i];
        if (a == "-e") {
            if (i + 1 == arguments.size()) {
                err << "-e needs commands\n" << kUsage << '\n';
                return false;
            }
            for (ScriptLine& l : SplitCommandText(arguments[++i])) lines.push_back(std::move(l));
        } else if (a.size() > 1 && a[0] == '-') {
            err << "unknown option: " << a << '\n' << kUsage << '\n';
            return false;
        } else {
            std::ifstream file(a, std::ios::binary);
            if (!file) {
                err << "cannot read script: " << a << '\n' << kUsage << '\n';
                return false;
            }
            std::ostringstream text;
            text << file.rdbuf();
            for (ScriptLine& l : SplitScript(text.str())) lines.push_back(std::move(l));
        }
    }
    return true;
}

int RunBatch(const std::vector<std::string>& arguments, std::ostream& out, std::ostream& err) {
    if (!arguments.empty() && (arguments[0] == "--each" || arguments[0].starts_with("-j")))
        return RunEach(arguments, out, err);
    std::vector<ScriptLine> lines;
    if (!ReadScripts(arguments, lines, err)) return 2;
    Session session(out);
    return RunCommands(lines, session, err);
}

}  // namespace wendral::batch
