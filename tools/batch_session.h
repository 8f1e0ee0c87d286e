#pragma once
#include <functional>
#include <iosfwd>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "core/dest_state.h"
#include "core/messages.h"
#include "core/command_table.h"
#include "core/distortion_engine.h"
#include "core/history.h"
#include "core/reference_colour.h"
#include "core/source_image.h"
#include "core/source_view.h"
#include "core/sources.h"
#include "core/zone.h"

namespace wendral::batch {

using Args = std::vector<std::string>;  // the words after the command's name

enum class Status { Ok, Failed, BadArguments };

struct CommandResult {
    Status status = Status::Ok;
    Messages messages;  // printed to standard error when the command failed
};

CommandResult Ok();
CommandResult Fail(std::string message);
CommandResult Fail(Messages messages);
// A destination command's outcome: the zone question fails the command with its text.
CommandResult FromZoneOutcome(ZoneOutcome outcome, Messages messages);

// Everything a script works on: the destination state, the destination view's zone and what
// it keeps between presses and drags, and the source windows. Every command reaches the engine
// through the core command table with this session's context.
class Session : public SourceWindowMaker {
public:
    explicit Session(std::ostream& out);
    Session(const Session&) = delete;
    Session& operator=(const Session&) = delete;

    WendralState state;
    Zone zone;
    DistortionEngine engine;
    ReferenceSampling sampling;
    std::ostream& out;   // what info and pixel print
    PictureLoader load;  // the open command's file reader
    PictureSaver save;   // the save command's writer
    // The destination window's client area, which holds the brush; none: the picture's size.
    std::optional<ClientArea> view;

    // Keeps an undo history from now on: every command after this is a step. A script that
    // never undoes has none, and pays nothing for it.
    void KeepHistory();

    // Source window `number` if it is open.
    SourceView* Source(int number);
    // What source `number` shows, or null when it is not open.
    const SourceImage* Shown(int number);

    // The context the table's commands run in.
    CommandContext Context();

    // Runs a row of the table as the application would with a user who answers Yes: a change
    // the overwrite guard holds back is consented to and repeated. Views the engine no longer
    // holds are released afterwards. `name` starts each message of refusal.
    CommandResult Run(const CommandRow& row, const std::string& name, const Args& args);

    SourceView& MakeSourceWindow(int number) override;
    void SizeSourceWindow(SourceView& view, int number, WindowPurpose purpose) override;

private:
    void ReleaseDetached();
    std::unique_ptr<History> history_;
    std::vector<std::unique_ptr<SourceView>> windows_;
    SourceImage shown_[3];
};

// One command of the batch language.
struct Command {
    std::string name;
    std::string usage;                             // e.g. "scale N WS HS"
    std::function<bool(const Args&)> argumentsOk;  // checked before any command runs
    std::function<CommandResult(Session&, const Args&)> run;
};

class Vocabulary {
public:
    void Add(Command command);
    const Command* Find(const std::string& name) const;
    // Every command's usage, one a line, in the order added.
    std::string Usage() const;

private:
    std::map<std::string, Command> commands_;
    std::vector<std::string> order_;
};

// The words of the core command table, and the batch's own: info, pixel and save's formats
// (batch_files.cpp).
void RegisterFileCommands(Vocabulary& vocabulary);

const Vocabulary& AllCommands();

// --- Running scripts ---

struct ScriptLine {
    int line = 0;      // counted from 1 in its script or -e text
    std::string text;  // without comment
};

// Commands of an -e text: separated by ";" or new lines.
std::vector<ScriptLine> SplitCommandText(const std::string& text);
// Commands of a script file: one a line, "#" starts a comment.
std::vector<ScriptLine> SplitScript(const std::string& text);

inline constexpr const char* kUsage = "usage: wendral-batch [-e COMMANDS] [SCRIPT ...]";

// Checks every command first (unknown or malformed: 2, nothing runs), then runs them in order
// (the first failure: 1). Returns the exit status.
int RunCommands(const std::vector<ScriptLine>& lines, Session& session, std::ostream& err);
// The whole program: options, scripts, commands.
int RunBatch(const std::vector<std::string>& arguments, std::ostream& out, std::ostream& err);

}  // namespace wendral::batch
