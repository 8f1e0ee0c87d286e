#pragma once
#include <functional>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "core/brushing.h"
#include "core/command_ids.h"
#include "core/dest_state.h"
#include "core/distortion_engine.h"
#include "core/history.h"
#include "core/reference_colour.h"
#include "core/sources.h"
#include "core/zone.h"

namespace wendral {

// The commands of the system, one row each: its id, the word wendral-batch uses, the rule that
// enables it and the call that runs it. The application's views, its menus' enabling and
// wendral-batch all walk this table, so the two cannot drift apart; the application adds only
// texts, tips and icons.

// What a command needs before it may run. The application disables it otherwise, and
// wendral-batch refuses it with the reason. Any combination of the bits.
enum Needs : unsigned {
    kNeedsNothing = 0,
    kNeedsPicture = 1,  // DestWidth and DestHeight non-zero
    kNeedsNoBrushing = 2,
    kNeedsSource = 4,  // at least one source open
    kNeedsTwoSources = 8,
};
bool Available(const WendralState& state, unsigned needs);
// Why a command with `needs` cannot run now, in words ("the destination is empty"); nothing
// when it can.
std::optional<std::string> Unavailability(const WendralState& state, unsigned needs);

// Which part of the application carries the command (where its handler sits in the routing).
enum class Carrier {
    DestinationView,
    DestinationDocument,
    SourceView,
    SourceFrame,
    MainFrame,
    Application,
    Mouse,   // a drag or a scroll: no id, no menu item
    Script,  // only a recorded session says it: the state the application was in
};

// Commands whose menu item or button shows a check mark.
enum class Check { None, WhileBrushing, WhileNotBrushing };
bool Checked(const WendralState& state, Check check);

// What a successful run changed in the destination, so that only that part is shown anew.
enum class Changes { Nothing, Zone, Picture };

// Why a source window is made, which decides the size it gets.
enum class WindowPurpose { Opened, Blank, FromDestination };

// How new source windows come to be: the application makes frames, wendral-batch plain views.
class SourceWindowMaker {
  public:
    virtual ~SourceWindowMaker() = default;
    // A new window that is to become source `number`; not attached until a command keeps it
    // (SourceOutcome::keepWindow), and released by the maker otherwise.
    virtual SourceView& MakeSourceWindow(int number) = 0;
    // Gives the new window its client size: for an opened picture once the picture is known.
    virtual void SizeSourceWindow(SourceView& view, int number, WindowPurpose purpose) = 0;
};

// Saves the destination under `path`; `format` is one of the save formats' words or empty for
// the default. Bound to io by the callers.
using PictureSaver = std::function<bool(const WendralState& state, const std::string& path,
                                        const std::string& format, Messages& out)>;

// Everything a command works on: the destination view's state and what it keeps between
// presses and drags, and what the sources show.
struct CommandContext {
    WendralState& state;
    Zone& zone;
    DistortionEngine& engine;
    ReferenceSampling& sampling;
    // The pixels each source window shows now, null when that source is not open.
    std::function<ShownSources()> sources;
    // The destination view's client area, which holds the brush.
    ClientArea client;
    PictureLoader load;
    PictureSaver save;
    SourceWindowMaker* windows = nullptr;
    // The reference colour dialog while it is open, which a right-button release refreshes.
    RefColourDialogState* refColourDialog = nullptr;
    // The destination's undo history, where it keeps one.
    History* history = nullptr;
};

// What a command reports to its caller.
struct CommandOutcome {
    ZoneOutcome zone = ZoneOutcome::Nothing;
    // Commands that change the sources report as source commands do (messages, redraws, a
    // change held back by the overwrite guard, windows kept). For the others only `messages`
    // and `failed` are used.
    SourceOutcome source;
    bool throughSources = false;
    // Brushing just started: where the brush shows.
    std::optional<BrushOutline> brushOutline;
    // The command did nothing, and the application shows no message for that (its button is
    // simply without effect); wendral-batch reports it with this reason.
    std::string refusal;
};

// The words after the command's word.
using Args = std::span<const std::string>;

struct CommandRow {
    int id;  // 0 for the mouse's commands
    // The wendral-batch word; null when only the application carries the command. Two rows
    // may share a word when `firstArgument` tells them apart ("brushing on", "dest-to 1").
    const char* word;
    const char* firstArgument;
    const char* synopsis;  // the arguments after the word, for the usage text
    unsigned needs;
    Carrier carrier;
    Check check;
    Changes changes;
    // Whether the words after the word (the first argument included) are well formed.
    std::function<bool(Args)> argumentsOk;
    // Runs the command; null where only the application can (a help page, a dialog's opening).
    std::function<CommandOutcome(CommandContext&, Args)> run;
};

// Every row, in a fixed order.
std::span<const CommandRow> CommandTable();
// The row of `id` carried by `carrier`, or null.
const CommandRow* FindCommandRow(int id, Carrier carrier);
// The row of the batch word and its first argument, or null.
const CommandRow* FindCommandWord(std::string_view word, Args args);
// Every batch word once, in table order.
std::vector<std::string> CommandWords();

// How a script line names its row in messages: the word, with its first argument where two rows
// share the word ("brushing on").
std::string ScriptName(const CommandRow& row);
// What a script line that ran as `name` reports when its outcome is not a success (the refusal,
// the messages, the zone question); empty when it succeeded. The overwrite guard's hold is not
// a failure: a script answers Yes and runs the change again.
Messages ScriptFailure(const std::string& name, const CommandOutcome& outcome);

// Argument helpers the rows share.
bool IsInt(std::string_view word, long long min, long long max);
int ToInt(std::string_view word);
// Holding a key down for minutes gives no more presses than this.
inline constexpr long long kMaxPresses = 10000;
// Mouse positions a script may give; the engine clamps or ignores what lies off the picture.
inline constexpr long long kMaxCoordinate = 1000000;
// The press count of a key command: nothing for one press, or K.
int Presses(Args args);
// Points given as X Y pairs.
std::vector<Point> ToPoints(Args args);

}  // namespace wendral
