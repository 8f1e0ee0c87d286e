#pragma once
#include <functional>
#include <iosfwd>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "core/dest_state.h"
#include "core/messages.h"
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

// Everything a script works on: the destination state, the destination view's zone and the
// source windows. Every command family reaches the engine through it.
class Session {
public:
    explicit Session(std::ostream& out);
    Session(const Session&) = delete;
    Session& operator=(const Session&) = delete;

    WendralState state;
    Zone zone;
    std::ostream& out;    // what info and pixel print
    PictureLoader load;   // the open command's file reader

    // Source window `number` if it is open.
    SourceView* Source(int number);
    // A new source window, not yet a source; kept only if the engine attaches it.
    SourceView& NewWindow();

    // Runs a source command as the application would with a user who answers Yes: a change the
    // overwrite guard holds back is consented to and repeated. Views the engine no longer
    // holds are released afterwards.
    CommandResult Run(const std::string& what, const std::function<SourceOutcome()>& command);

private:
    void ReleaseDetached();
    std::vector<std::unique_ptr<SourceView>> windows_;
};

// One command of the batch language.
struct Command {
    std::string name;
    std::string usage;                            // e.g. "scale N WS HS"
    std::function<bool(const Args&)> argumentsOk;  // checked before any command runs
    std::function<CommandResult(Session&, const Args&)> run;
};

class CommandTable {
public:
    void Add(Command command);
    const Command* Find(const std::string& name) const;

private:
    std::map<std::string, Command> commands_;
};

// Each family registers its commands in its own file; RegisterAllCommands lists the families.
void RegisterFileCommands(CommandTable& table);    // batch_files.cpp
void RegisterSourceCommands(CommandTable& table);  // batch_sources.cpp
const CommandTable& AllCommands();

// Argument helpers for the families.
bool IsInt(const std::string& word, long long min, long long max);
int ToInt(const std::string& word);
bool IsSourceNumber(const std::string& word);
// Arguments: exactly `count` words, each an integer within its bounds.
std::function<bool(const Args&)> Ints(std::vector<std::pair<long long, long long>> bounds);

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
