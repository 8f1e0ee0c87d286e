#include "core/sources.h"

#include <cstring>

#include "core/merge.h"

namespace wendral {

void SourceOutcome::Absorb(SourceOutcome&& from) {
    heldBack = heldBack || from.heldBack;
    failed = failed || from.failed;
    redrawDestination = redrawDestination || from.redrawDestination;
    redrawSources = redrawSources || from.redrawSources;
    redrawMergeAlign = redrawMergeAlign || from.redrawMergeAlign;
    titlesChanged = titlesChanged || from.titlesChanged;
    for (std::string& m : from.messages) messages.push_back(std::move(m));
}
namespace {

SourceView* ViewOf(WendralState& state, int number) {
    if (number < 1 || number > state.SourceCount || number > 2) return nullptr;
    return state.SourceViews[number];
}

SourceOutcome Disabled() {
    SourceOutcome out;
    out.failed = true;
    return out;
}

SourceOutcome HeldBack() {
    SourceOutcome out;
    out.heldBack = true;
    return out;
}

// The end of every command that changes what a source window shows: the destination is rebuilt
// from the sources as they now stand and the source windows are redrawn.
SourceOutcome RebuildAndRedraw(WendralState& state, Zone& zone) {
    SourceOutcome out = RebuildDestination(state, zone);
    out.redrawSources = true;
    return out;
}

// A command that changes what source `number` shows: `change` runs on its view when there is
// one and the guard lets the change go ahead; otherwise the outcome says which stopped it.
template <class Change>
SourceOutcome ChangeSource(WendralState& state, int number, int code, Change change) {
    SourceView* view = ViewOf(state, number);
    if (!view) return Disabled();
    if (!SourceChangeAllowed(state, number, code)) return HeldBack();
    return change(*view);
}

// The view's initial update: title, layout with the picture at the top-left, rebuild.
void InitialUpdate(WendralState& state, Zone& zone, SourceView& view, SourceOutcome& out) {
    view.Title = InitialSourceTitle(view.SourceNumber, view.Document, view.Title);
    view.LayoutSourceView(false);
    RebuildDestination(state, zone, out);
    out.redrawSources = true;
    out.titlesChanged = true;
}

}  // namespace

void RebuildDestination(WendralState& state, Zone& zone, SourceOutcome& out) {
    state.OverwriteConsent = 0;
    state.PendingSourceChange = 0;
    if (state.SourceCount < 1 || !state.SourceViews[1]) return;
    SourceView& one = *state.SourceViews[1];
    one.RenderSourceView();
    const bool two = state.SourceCount == 2 && state.SourceViews[2];
    if (two) state.SourceViews[2]->RenderSourceView();
    if (state.DestLocked == 1) {
        out.redrawMergeAlign = out.redrawMergeAlign || two;
        return;
    }
    if (!two) {
        zone.ResetZone();
        state.TakeDestinationSize(one.SourceShownWidth, one.SourceShownHeight);
        // Source rows run top-down, destination rows bottom-up: each source row is one run of
        // the destination, DestWidth pixels long (which may take one column beyond the shown
        // area, still inside the array).
        const std::size_t run = 3 * static_cast<std::size_t>(state.DestWidth);
        std::uint8_t* dest = state.DestinationStore();
        const std::uint8_t* src = one.SourcePixels();
        for (int y = 0; y < state.DestHeight; ++y)
            std::memcpy(dest + run * static_cast<std::size_t>(state.DestHeight - 1 - y),
                        src + kSourceStride * static_cast<std::size_t>(y), run);
        state.DestModified = 0;
        state.BrushingEnabled = 0;
        out.redrawDestination = true;
        return;
    }
    const ZoneOutcome merged =
        MergeSources(state, zone, one.Image(), state.SourceViews[2]->Image(), out.messages);
    if (merged == ZoneOutcome::Redraw) out.redrawDestination = true;
    out.redrawMergeAlign = true;
}

SourceOutcome RebuildDestination(WendralState& state, Zone& zone) {
    SourceOutcome out;
    RebuildDestination(state, zone, out);
    return out;
}

bool SourceChangeAllowed(WendralState& state, int sourceNumber, int code) {
    if (!state.ChangesAtRisk()) return true;
    state.PendingSourceChange = sourceNumber * 256 + code;
    return false;
}

SourceOutcome ForcedRebuild(WendralState& state, Zone& zone) {
    SourceOutcome out;
    const int locked = state.DestLocked;
    state.DestLocked = 0;
    RebuildDestination(state, zone, out);
    state.DestLocked = locked;
    zone.ResetZone();
    return out;
}

const char* ToggleLock(WendralState& state) {
    state.DestLocked = state.DestLocked == 1 ? 0 : 1;
    return state.DestLocked == 1 ? "Dest. Locked" : "Dest. Unlocked";
}

int AttachSource(WendralState& state, SourceView& view) {
    ++state.SourceCount;
    view.SourceNumber = state.SourceCount;
    if (state.SourceCount <= 2) state.SourceViews[state.SourceCount] = &view;
    view.WidthScale = view.HeightScale = 100;
    view.SourceShownWidth = view.SourceShownHeight = 0;
    view.PictureOrigin = ScrollPoint{};
    state.MergeMode = 1;
    state.MergeBias = 127;
    state.ContrastThreshold = 127;
    return view.SourceNumber;
}

void DetachSource(WendralState& state, SourceView& view) {
    if (view.SourceNumber == 0) return;
    for (int n = 1; n <= 2; ++n)
        if (state.SourceViews[n] == &view) state.SourceViews[n] = nullptr;
    view.SourceNumber = 0;
    if (state.SourceCount > 0) --state.SourceCount;
}

namespace {

// A new window becomes the next source; there is no room for a third.
bool AttachNewSource(WendralState& state, SourceView& fresh, SourceOutcome& out) {
    if (state.SourceCount >= 2) {
        out.failed = true;
        out.messages.push_back(kTwoSourcesMessage);
        return false;
    }
    AttachSource(state, fresh);
    return true;
}

}  // namespace

SourceOutcome OpenSource(WendralState& state, Zone& zone, SourceView& fresh,
                         const std::string& path, const PictureLoader& load,
                         const std::function<void(SourceView&)>& sizeWindow) {
    SourceOutcome out;
    if (!AttachNewSource(state, fresh, out)) return out;
    fresh.Document.SourcePath = path;
    if (!load || !load(path, state.SourceCount, fresh.Document, out.messages)) {
        // It never showed anything: the destination and the other source stay as they were.
        DetachSource(state, fresh);
        out.failed = true;
        return out;
    }
    fresh.Title = DisplayName(path);
    if (sizeWindow) sizeWindow(fresh);
    InitialUpdate(state, zone, fresh, out);
    out.keepWindow = true;
    return out;
}

SourceOutcome NewSourceCommand(WendralState& state, Zone& zone, SourceView& fresh) {
    SourceOutcome out;
    if (!AttachNewSource(state, fresh, out)) return out;
    fresh.Document.SourcePath.clear();
    InitialUpdate(state, zone, fresh, out);
    out.Absorb(LoadFromDestination(state, zone, fresh, true));
    out.keepWindow = true;
    return out;
}

SourceOutcome CloseSource(WendralState& state, Zone& zone, int number) {
    SourceView* view = ViewOf(state, number);
    if (!view) return Disabled();
    SourceOutcome out;
    EmptySource(view->Document);

    // The view goes first: source 2 becomes source 1.
    if (number == 1 && state.SourceCount == 2) {
        SourceView* other = state.SourceViews[2];
        other->Title = RenumberedSourceTitle(other->Title);
        other->SourceNumber = 1;
        state.SourceViews[1] = other;
        out.titlesChanged = true;
    }
    state.SourceViews[state.SourceCount] = nullptr;
    view->SourceNumber = 0;

    // Then the frame.
    --state.SourceCount;
    // A portion level selects a source by its sign; with one source fewer that source may be
    // gone (nothing else resets the level while the destination is locked).
    zone.PortionLevel = 0;
    if (state.SourceCount == 1) RebuildDestination(state, zone, out);
    out.redrawMergeAlign = true;
    state.BrushingEnabled = 0;
    if (state.SourceCount != 0) {
        state.DestModified = 1;
    } else {
        // The empty destination window: no picture and the reference colour back at grey.
        state.DestWidth = 0;
        state.DestHeight = 0;
        state.ReferenceColour = Bgr{127, 127, 127};
        state.DestModified = 0;
        out.redrawDestination = true;
    }
    out.redrawSources = true;
    return out;
}

SourceOutcome ScrollSource(WendralState& state, Zone& zone, int number, std::int64_t x,
                           std::int64_t y) {
    SourceView* view = ViewOf(state, number);
    if (!view) return Disabled();
    const int code =
        x != view->ScrollPosition().x ? kChangeScrollHorizontal : kChangeScrollVertical;
    if (!SourceChangeAllowed(state, number, code)) return HeldBack();
    view->ScrollTo(x, y);
    SourceOutcome out = RebuildAndRedraw(state, zone);
    view->LastScrollPosition = view->ScrollPosition();
    return out;
}

SourceOutcome ScrollSourceTo(WendralState& state, Zone& zone, int number, std::int64_t x,
                             std::int64_t y) {
    SourceView* view = ViewOf(state, number);
    if (!view) return Disabled();
    view->ScrollTo(x, y);
    SourceOutcome out = RebuildAndRedraw(state, zone);
    view->LastScrollPosition = view->ScrollPosition();
    return out;
}

SourceOutcome ResizeSource(WendralState& state, Zone& zone, int number, int clientWidth,
                           int clientHeight) {
    SourceView* view = ViewOf(state, number);
    if (!view) return Disabled();
    // The window changes size whatever the guard says; only the view's response waits.
    view->SetClientSize(clientWidth, clientHeight);
    if (!SourceChangeAllowed(state, number, kChangeResize)) return HeldBack();
    view->LayoutSourceView(true);
    return RebuildAndRedraw(state, zone);
}

SourceOutcome BeginSourceScale(WendralState& state, int number) {
    return ChangeSource(state, number, kChangeScale, [](SourceView&) { return SourceOutcome{}; });
}

SourceOutcome SetSourceScale(WendralState& state, Zone& zone, int number, int widthPercent,
                             int heightPercent) {
    SourceView* view = ViewOf(state, number);
    if (!view || !view->SetScales(widthPercent, heightPercent)) return Disabled();
    return RebuildAndRedraw(state, zone);
}

SourceOutcome EndSourceScale(WendralState& state, Zone& zone, int number) {
    SourceView* view = ViewOf(state, number);
    if (!view) return Disabled();
    view->LayoutSourceView(true);
    return RebuildAndRedraw(state, zone);
}

SourceOutcome FitSourceToWindow(WendralState& state, Zone& zone, int number) {
    return ChangeSource(state, number, kChangeFit, [&](SourceView& view) {
        SourceOutcome out;
        if (!view.FitScales()) return out;
        RebuildDestination(state, zone, out);
        view.LayoutSourceView(false);
        RebuildDestination(state, zone, out);
        out.redrawSources = true;
        return out;
    });
}

SourceOutcome TopLeftJustify(WendralState& state, Zone& zone, int number) {
    return ChangeSource(state, number, kChangeJustify, [&](SourceView& view) {
        view.LayoutSourceView(false);
        return RebuildAndRedraw(state, zone);
    });
}

SourceOutcome EmptySourceWindow(WendralState& state, Zone& zone, int number) {
    return ChangeSource(state, number, kChangeEmpty, [&](SourceView& view) {
        EmptySource(view.Document);
        view.LayoutSourceView(false);
        SourceOutcome out = RebuildAndRedraw(state, zone);
        view.Title = EmptiedSourceTitle(number);
        out.titlesChanged = true;
        return out;
    });
}

SourceOutcome ReloadSource(WendralState& state, Zone& zone, int number, const PictureLoader& load) {
    SourceView* view = ViewOf(state, number);
    if (!view) return Disabled();
    SourceOutcome out;
    const std::string path = view->Document.SourcePath;
    if (path.empty()) {
        out.failed = true;
        out.messages.push_back(kNoFileToReload);
        return out;
    }
    view->SetScales(100, 100);
    const PictureLoadResult loaded =
        load ? load(path, state.SourceCount, view->Document, out.messages) : PictureLoadResult{};
    // A reader that records the path as the document's again brings the file's name back into
    // the title; the others leave the title as it stands.
    if (loaded && loaded.pathRecorded) view->Title = DisplayName(path);
    view->LayoutSourceView(false);
    InitialUpdate(state, zone, *view, out);
    out.failed = !loaded.loaded;
    return out;
}

SourceOutcome LoadFromDestination(WendralState& state, Zone& zone, SourceView& view, bool white) {
    view.SetScales(100, 100);
    state.ContrastThreshold = 127;
    FillFromDestination(state, view.Document, white);
    view.LayoutSourceView(false);
    return RebuildAndRedraw(state, zone);
}

SourceOutcome DestinationToSource1(WendralState& state, Zone& zone) {
    SourceView* view = ViewOf(state, 1);
    if (!view || !state.PicturePresent() || state.BrushingEnabled != 0) return Disabled();
    return LoadFromDestination(state, zone, *view, false);
}

SourceOutcome DestinationToSource2(WendralState& state, Zone& zone, SourceView* fresh) {
    if (state.SourceCount < 1 || state.BrushingEnabled != 0) return Disabled();
    SourceOutcome out;
    if (state.SourceCount == 1) {
        if (!fresh) return Disabled();
        const int width = state.DestWidth;
        const int height = state.DestHeight;
        state.SnapshotDestination();
        SourceOutcome made = NewSourceCommand(state, zone, *fresh);
        out.keepWindow = made.keepWindow;
        out.Absorb(std::move(made));
        state.DestWidth = width;
        state.DestHeight = height;
        state.RevertDestination();
    }
    SourceView* two = ViewOf(state, 2);
    if (!two) return out;
    out.Absorb(LoadFromDestination(state, zone, *two, false));
    return out;
}

void EmptySource(SourceDocument& doc) {
    doc.packet.reset();
}

void FillFromDestination(const WendralState& state, SourceDocument& doc, bool white) {
    // DestWidth is a multiple of 4, so the destination's rows are already the packet's rows.
    doc.packet = MakePicturePacket(state.DestWidth, state.DestHeight,
                                   white ? nullptr : state.DestinationStore());
    if (white) std::memset(doc.packet.data() + PicturePacket::kHeaderSize, 0xFF, state.DestBytes());
    doc.PictureWidth = state.DestWidth;
    doc.PictureHeight = state.DestHeight;
}

std::string InitialSourceTitle(int number, const SourceDocument& doc,
                               const std::string& currentTitle) {
    const std::string start = "Source " + std::to_string(number % 10) + "        ";
    const std::string name =
        doc.PictureWidth == 1 && doc.PictureHeight == 1 ? std::string("(untitled)") : currentTitle;
    if (start.compare(0, 6, name, 0, 6) != 0) return start + name;
    return start;
}

std::string EmptiedSourceTitle(int number) {
    return "Source " + std::to_string(number % 10) + "        (untitled)";
}

std::string RenumberedSourceTitle(const std::string& oldTitle) {
    return "Source1        it was " + oldTitle;
}

std::string DisplayName(const std::string& path) {
    const std::size_t slash = path.find_last_of('/');
    return slash == std::string::npos ? path : path.substr(slash + 1);
}

}  // namespace wendral
