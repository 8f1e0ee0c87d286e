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
#include "core/nudge_twist.h"
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

    // What the destination view keeps between presses and drags: the nudge and twist caches
    // and the running average of the right-button sampling.
    NudgeTwist nudgeTwist;
    ReferenceSampling sampling;

    // Source window `number` if it is open.
    SourceView* Source(int number);
    // A new source window, not yet a source; kept only if the engine attaches it.
    SourceView& NewWindow();
    // What source `number` shows, or null when it is not open.
    const SourceImage* Shown(int number);

    // Runs a source command as the application would with a user who answers Yes: a change the
    // overwrite guard holds back is consented to and repeated. Views the engine no longer
    // holds are released afterwards.
    CommandResult Run(const std::string& what, const std::function<SourceOutcome()>& command);

private:
    void ReleaseDetached();
    std::vector<std::unique_ptr<SourceView>> windows_;
    SourceImage shown_[3];
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
void RegisterDistortionCommands(CommandTable& table);       // batch_distortions.cpp
void RegisterBrushingCommands(CommandTable& table);         // batch_brushing.cpp
void RegisterMergeCommands(CommandTable& table);            // batch_merging.cpp
void RegisterReferenceColourCommands(CommandTable& table);  // batch_reference_colour.cpp
void RegisterEffectCommands(CommandTable& table);           // batch_effects.cpp
const CommandTable& AllCommands();

// Argument helpers for the families.
bool IsInt(const std::string& word, long long min, long long max);
int ToInt(const std::string& word);
bool IsSourceNumber(const std::string& word);
// Arguments: exactly `count` words, each an integer within its bounds.
std::function<bool(const Args&)> Ints(std::vector<std::pair<long long, long long>> bounds);
// Arguments of a key command: nothing (one press) or a press count K; holding a key down for
// minutes gives no more presses than kMaxPresses.
inline constexpr long long kMaxPresses = 10000;
bool PressCount(const Args& args);
int Presses(const Args& args);
// Mouse positions a script may give; the engine clamps or ignores what lies off the picture.
inline constexpr long long kMaxCoordinate = 1000000;
// Arguments: an even number, at least `minPoints` pairs, of picture coordinates X Y.
std::function<bool(const Args&)> Points(std::size_t minPoints);
std::vector<Point> ToPoints(const Args& args);

// What a destination command needs before it may run; the application disables the command
// otherwise. Any combination of these bits.
enum Needs : unsigned {
    kNeedsPicture = 1,  // DestWidth and DestHeight non-zero
    kNeedsNoBrushing = 2,
    kNeedsSource = 4,  // at least one source open
    kNeedsTwoSources = 8,
};
// The failure that says why command `name` cannot run now, or nothing when it can.
std::optional<CommandResult> Unavailable(const Session& session, const std::string& name,
                                         unsigned needs);

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
