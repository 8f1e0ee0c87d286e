#pragma once
#include <functional>
#include <string>

#include "core/dest_state.h"
#include "core/messages.h"
#include "core/picture_packet.h"
#include "core/source_view.h"
#include "core/zone.h"

namespace wendral {

// The source side of the engine: how source windows come and go, how their changes reach the
// destination and how the destination goes back to a source. The caller owns the SourceView
// objects (one per source window); `state.SourceViews[1 .. SourceCount]` name the live ones.
// Every command is one call that reports what the caller has to do next.

// Why a guarded source change was held back: PendingSourceChange = source number x 256 + code.
enum SourceChangeCode : int {
    kChangeScrollHorizontal = 1,
    kChangeScrollVertical = 2,
    kChangeEmpty = 4,
    kChangeScale = 5,
    kChangeFit = 6,
    kChangeResize = 7,
    kChangeJustify = 8,
};

inline constexpr const char* kOverwriteQuestion =
    "Modifying a source picture overwrites previous changes to the destination.\n\nIs this ok ???";
inline constexpr const char* kNoFileToReload = "No source file to reload from !!!";

struct SourceOutcome {
    // The guard held the change back and recorded PendingSourceChange; nothing else changed.
    // The application asks kOverwriteQuestion at idle time; the user then repeats the change.
    bool heldBack = false;
    // The command failed; `messages` say why and no picture changed.
    bool failed = false;
    // For the commands that create a source window: the caller keeps the new window. When false
    // the view passed in was never attached (or has been detached again) and can be destroyed.
    bool keepWindow = false;
    bool redrawDestination = false;
    bool redrawSources = false;     // the source windows show something new
    bool redrawMergeAlign = false;  // the merge-align window, if open, redraws
    bool titlesChanged = false;     // some SourceView::Title changed
    Messages messages;

    // Takes in what a further step of the same command did: any flag either set, the messages
    // of both in order.
    void Absorb(SourceOutcome&& from);
};

// What reading a picture file into a document gave.
struct PictureLoadResult {
    bool loaded = false;
    // The reader recorded the path as the document's own, so a reloaded source shows the file's
    // name in its title again.
    bool pathRecorded = false;
    explicit operator bool() const { return loaded; }
};

// Reads a picture file into a document as the open command does (the application and the batch
// bind io's LoadPictureFile). `sourceCount` already counts the source being loaded.
using PictureLoader = std::function<PictureLoadResult(const std::string& path, int sourceCount,
                                                      SourceDocument& doc, Messages& out)>;

// --- The automatic rebuild and its guard ---

// Renders the sources and, unless the destination is locked, makes it a copy of source 1 (one
// source) or the merge of both (two sources).
void RebuildDestination(WendralState& state, Zone& zone, SourceOutcome& out);
SourceOutcome RebuildDestination(WendralState& state, Zone& zone);

// The overwrite guard. When it says no it records PendingSourceChange.
bool SourceChangeAllowed(WendralState& state, int sourceNumber, int code);

// "Restore Destination" from either window: one rebuild even when locked, then ResetZone.
SourceOutcome ForcedRebuild(WendralState& state, Zone& zone);
inline SourceOutcome Restore(WendralState& state, Zone& zone) {
    return ForcedRebuild(state, zone);
}
// Toggles DestLocked; returns the status text the main frame shows.
const char* ToggleLock(WendralState& state);

// --- Source windows coming and going ---

// The numbering a new source frame and its view take: SourceCount + 1, SourceViews entry,
// merge settings back to their defaults. Returns the source number.
int AttachSource(WendralState& state, SourceView& view);

// Opens `path` into `fresh`, a new unattached view whose client size the caller has set (or
// sets in `sizeWindow`, which runs after a successful load and before the first layout).
SourceOutcome OpenSource(WendralState& state, Zone& zone, SourceView& fresh,
                         const std::string& path, const PictureLoader& load,
                         const std::function<void(SourceView&)>& sizeWindow = nullptr);

// A blank white source of the destination's size in `fresh` (client size set by the caller).
SourceOutcome NewSourceCommand(WendralState& state, Zone& zone, SourceView& fresh);

// A source window going away without being closed (the application is ending, or a new window
// is not kept): it leaves the table and the count, and nothing is rebuilt. A view that has been
// closed already (number 0) is left alone.
void DetachSource(WendralState& state, SourceView& view);

// Closing source window `number`: its picture is emptied, the other source is renumbered to
// 1 if need be, the destination rebuilt from what remains. The caller then destroys the view
// it held for that number. PortionLevel returns to 0, so no later portion step can select a
// closed source.
SourceOutcome CloseSource(WendralState& state, Zone& zone, int number);

// --- Commands of one source window (number 1 or 2; guarded ones may be held back) ---

SourceOutcome ScrollSource(WendralState& state, Zone& zone, int number, std::int64_t x,
                           std::int64_t y);
SourceOutcome ScrollSourceTo(WendralState& state, Zone& zone, int number, std::int64_t x,
                             std::int64_t y);
SourceOutcome ResizeSource(WendralState& state, Zone& zone, int number, int clientWidth,
                           int clientHeight);
// The scaling dialog: Begin asks the guard, each applied scale is SetSourceScale (unguarded,
// live), and the dialog's close lays the view out keeping the picture's position.
SourceOutcome BeginSourceScale(WendralState& state, int number);
SourceOutcome SetSourceScale(WendralState& state, Zone& zone, int number, int widthPercent,
                             int heightPercent);
SourceOutcome EndSourceScale(WendralState& state, Zone& zone, int number);
SourceOutcome FitSourceToWindow(WendralState& state, Zone& zone, int number);
SourceOutcome TopLeftJustify(WendralState& state, Zone& zone, int number);
SourceOutcome EmptySourceWindow(WendralState& state, Zone& zone, int number);
SourceOutcome ReloadSource(WendralState& state, Zone& zone, int number, const PictureLoader& load);
// The clipboard: Copy gives the whole source picture as loaded; Paste stores `picture` as the
// source's picture (brought to 24 bits), keeping scale, path and title.
PicturePacket CopySource(const WendralState& state, int number);
SourceOutcome PasteSource(WendralState& state, Zone& zone, int number,
                          const PicturePacket& picture);

// --- From the destination back to a source ---

SourceOutcome LoadFromDestination(WendralState& state, Zone& zone, SourceView& view, bool white);
SourceOutcome DestinationToSource1(WendralState& state, Zone& zone);
// With one source open a second window is made in `fresh` (required then, unused otherwise).
SourceOutcome DestinationToSource2(WendralState& state, Zone& zone, SourceView* fresh);

// --- The pieces of the source document ---

void EmptySource(SourceDocument& doc);
// The document's picture becomes the destination picture, or white at its size.
void FillFromDestination(const WendralState& state, SourceDocument& doc, bool white);

// --- Window titles ---

// The title at the view's initial update, from the document and the window's current title.
std::string InitialSourceTitle(int number, const SourceDocument& doc,
                               const std::string& currentTitle);
std::string EmptiedSourceTitle(int number);
// The title of source 2 once source 1 has closed and it has become source 1.
std::string RenumberedSourceTitle(const std::string& oldTitle);
// The name a window shows for a file: the last component of its path.
std::string DisplayName(const std::string& path);

}  // namespace wendral
