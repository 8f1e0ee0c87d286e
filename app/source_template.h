#pragma once
#include <QList>
#include <QPointer>
#include <QString>
#include <QStringList>
#include <functional>
#include <optional>

#include "app/doc_template.h"
#include "app/wendral_app.h"
#include "core/sources.h"
#include "core/zone.h"

namespace wendral::app {

class CChildFrame;

// The open dialog's filters: io's filter string as Qt filters, "All Files" matching names
// without a dot too.
QStringList OpenFilters();

// Asks for a picture file to open; no value when cancelled. Tests replace it.
using OpenDialogFunction = std::function<std::optional<QString>()>;

// Template 258: makes source windows (frame, view, document and the engine's model together)
// for Open, New, the recent-file list, dropped files and "Destination -> source 2"; carries
// the open and new commands on the application; and reports every source outcome: messages,
// the destination's redraw, the source windows' scroll bars, titles and numbering.
class SourceTemplate : public DocTemplate, public SourceWindows {
  public:
    explicit SourceTemplate(CWendralApp& app);
    ~SourceTemplate() override;

    // The document manager's way in (recent files, dropped files): a file a source already
    // holds only brings that window to the front. An empty path makes a blank source.
    bool OpenDocumentFile(const QString& path) override;

    // "Open Source Window..": the two-source rule, the dialog, then a new window for the file.
    void OpenSourceCommand();
    // "New Source Window": a blank white source of the destination's size.
    bool NewSourceWindow();
    // A new window for `path`, loaded through the picture readers.
    bool OpenInNewWindow(const QString& path);

    void SetOpenDialog(OpenDialogFunction dialog) { openDialog_ = std::move(dialog); }

    // SourceWindows
    void SourcesChanged(const SourceOutcome& outcome) override;
    void SettleNewWindows(const SourceOutcome& outcome) override;
    const PictureLoader& Loader() const override { return loader_; }
    SourceView& MakeSourceWindow(int number) override;
    void SizeSourceWindow(SourceView& view, int number, WindowPurpose purpose) override;

    // Runs a source command of the table with the destination view's context and settles any
    // window it made; the caller reports the outcome.
    SourceOutcome RunSourceCommand(const CommandRow& row, Args args);

    // Shows the outcome's messages, then redraws what it says and refreshes the source windows.
    void Report(const SourceOutcome& outcome);

    // The zone of the destination view, which every rebuild resets.
    Zone& CurrentZone();
    WendralState& State() { return app_.State(); }

    // The live source frames, in the order they were made.
    QList<CChildFrame*> Frames() const;
    // The frame of source `number` (1 or 2), or null.
    CChildFrame* Frame(int number) const;

  private:
    // A frame sized as new source window `number` and shown in the area.
    void ShowNewFrame(CChildFrame& frame, int number);
    void Adopt(CChildFrame* frame);
    void SyncFrameTable();

    CWendralApp& app_;
    PictureLoader loader_;
    OpenDialogFunction openDialog_;
    QList<QPointer<CChildFrame>> frames_;
    // Only while no destination view exists.
    Zone spareZone_;
    DistortionEngine spareEngine_;
    ReferenceSampling spareSampling_;
    QList<CChildFrame*> made_;  // windows made for the command running now
};

}  // namespace wendral::app
