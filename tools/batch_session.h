#pragma once
#include <functional>
#include <iosfwd>
#include <map>
#include <memory>
#include <optional>
#include <span>
#include <string>
#include <vector>

#include "core/command_table.h"
#include "core/dest_state.h"
#include "core/distortion_engine.h"
#include "core/history.h"
#include "core/messages.h"
#include "core/reference_colour.h"
#include "core/script_words.h"
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

inline constexpr const char* kUsage =
    "usage: wendral-batch [-e COMMANDS] [SCRIPT ...]\n"
    "       wendral-batch [-j N] --each PICTURE... -- [-e COMMANDS] [SCRIPT ...]";

// Reads the -e texts and script files of a command line, in order, into `lines`. Anything else,
// or a script that cannot be read, is reported on `err`: false.
bool ReadScripts(std::span<const std::string> arguments, std::vector<ScriptLine>& lines,
                 std::ostream& err);

// A command that passed the check, with its arguments as they will run.
struct Step {
    const ScriptLine* line;
    const Command* command;
    Args args;
};
// Gives the argument word that runs for a word as written (--each puts a picture's names in).
using WordExpander = std::function<std::string(const std::string&)>;
// Checks every command: an unknown or malformed one is reported on `err` and nothing is given.
// The steps point into `lines`.
std::optional<std::vector<Step>> CheckCommands(const std::vector<ScriptLine>& lines,
                                               std::ostream& err,
                                               const WordExpander& expand = nullptr);
// Runs checked steps in order; the first failure ends the run (1, or 2 for arguments the
// command itself refuses). Returns the exit status.
int RunSteps(const std::vector<Step>& steps, Session& session, std::ostream& err);
// Checks every command first (unknown or malformed: 2, nothing runs), then runs them in order
// (the first failure: 1). Returns the exit status.
int RunCommands(const std::vector<ScriptLine>& lines, Session& session, std::ostream& err);
// The whole program: options, scripts, commands; --each goes to RunEach.
int RunBatch(const std::vector<std::string>& arguments, std::ostream& out, std::ostream& err);

// --- One script over many pictures (batch_each.cpp) ---

// `word` with "$IN" replaced by `picture` and "$STEM" by its file name without folder and
// extension, in one pass from the left: what is put in is never read again.
std::string ExpandPictureNames(const std::string& word, const std::string& picture);
// wendral-batch [-j N] --each PICTURE... -- [-e COMMANDS] [SCRIPT ...]: the script once per
// picture, each in a process of its own forked from this one, at most N at a time. Every
// picture's script is checked before any runs (2). Progress and the failing pictures' messages
// go to `err`, the scripts' output to `out` in the pictures' order. 1 if any picture failed.
// The children are forked without exec: call it from a process that has started no threads.
int RunEach(const std::vector<std::string>& arguments, std::ostream& out, std::ostream& err);

}  // namespace wendral::batch
