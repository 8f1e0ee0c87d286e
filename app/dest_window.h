#pragma once
#include <QImage>
#include <QMdiSubWindow>
#include <QRegion>
#include <QString>
#include <QWidget>
#include <functional>
#include <optional>

#include "app/command_router.h"
#include "app/doc_template.h"
#include "core/brushing.h"
#include "core/command_table.h"
#include "core/distortion_engine.h"
#include "core/history.h"
#include "core/picture_packet.h"
#include "core/pixel.h"
#include "core/sources.h"
#include "core/zone.h"
#include "dialogs/destination_preview.h"
#include "dialogs/save_destination_dialog.h"

class QPainter;
class QToolBar;

namespace wendral::app {

class CWendralApp;
class CDestview;

inline constexpr const char* kDestinationClosing =
    "Not allowed to close this destination window !.";
inline constexpr const char* kStartupHelpTitle = "Start up help screen";
inline constexpr const char* kEmptyLine1 = "This destination window is empty.";
inline constexpr const char* kEmptyLine2 = "Please load a source picture from the file menu.";
inline constexpr const char* kSaveBeforeSending =
    "WENDRAL needs to save the destination into a file before sending via email.";

// Asks for the file to save the destination in; no value when cancelled. Tests replace it.
using SaveDialogFunction = std::function<std::optional<SaveDialogAnswer>()>;

// The destination document: the start-up help picture while it is shown, and the last saved
// file. It carries "Save Destination As..." and "Send to ...".
class CDestdoc : public CommandTarget {
  public:
    explicit CDestdoc(CWendralApp& app);

    // Opens the start-up help picture; false for a missing or unreadable BMP file.
    bool OpenStartupHelp(const QString& path);
    const PicturePacket& StartupHelp() const { return startupHelp_; }
    const QImage& StartupHelpImage() const { return startupHelpImage_; }
    void DropStartupHelp();

    // The current picture as a packet, as printing and the codec writers take it.
    PicturePacket MakePacket() const;

    // Save As: asks through the dialog function, resolves the name and format, writes the
    // destination. Leaves SavedName empty when cancelled. True when a file was written.
    bool SaveAs();
    // Send to: saves through Save As, then hands the file just written to the mail program.
    void SendTo();
    void SetSaveDialog(SaveDialogFunction dialog) { saveDialog_ = std::move(dialog); }

    QString SavedPath;
    QString SavedName;

  private:
    CWendralApp& app_;
    PicturePacket startupHelp_;
    QImage startupHelpImage_;
    SaveDialogFunction saveDialog_;
};

// The destination view: shows DestinationStore 1:1, forms the zone with the left button,
// samples the reference colour with the right one, brushes, and carries the destination
// commands.
class CDestview : public QWidget, public CommandTarget, public DestinationPreview {
    Q_OBJECT
  public:
    CDestview(CWendralApp& app, CDestdoc& doc, QWidget* parent = nullptr);
    ~CDestview() override;

    Zone& DestZone() { return zone_; }
    // DestinationPreview: a dialog's live preview repaints the picture inside its own event.
    Zone& PreviewZone() override { return zone_; }
    void ShowPreview() override;
    int ShowingStartupHelp = 1;

    // Redraws the whole picture (its title first). Pixels changed by the engine since the last
    // redraw are taken from DestinationStore; `changed`, when given, says which part changed.
    void RedrawDestination();
    void RedrawDestination(const QRect& changed);
    void UpdateDestinationTitle();
    QString Title() const { return title_; }
    // Asks the zone question; on Yes shows the zone's help page.
    void ZoneHelpPrompt();
    // "What now" and the help key: the help page for the state the destination is in.
    void WhatNow();
    void DropStartupHelp();

    // The rectangle drawn over the picture while a zone is being dragged, and the brush.
    std::optional<QRect> RubberBandRect() const;
    std::optional<BrushOutline> BrushOutlineShown() const { return brushOutline_; }

    // Runs a command of the table on the destination and then does what it asks: the zone
    // question, its messages, or a redraw of what it changed (a distortion press converts and
    // repaints only its zone).
    void RunCommand(const CommandRow& row, Args args = {});
    // The two halves of RunCommand: the run (recorded, new windows settled), then what the
    // windows show of it (messages, the zone question, the redraw).
    CommandOutcome Perform(const CommandRow& row, Args args);
    void Present(const CommandRow& row, const CommandOutcome& outcome);
    // What the table's commands work on: the state, this view's zone, engine, sampling and
    // undo history, and what the source windows show.
    CommandContext Context();

    // The undo history of the destination. A step ends when CommitStep finds a change since
    // the last one; it takes the name noted last (a command's, a drag's).
    History& UndoHistory() { return *history_; }
    void NoteStep(const QString& name) { stepName_ = name; }
    // `wholePicture` compares every byte instead of the part redrawn so far, for a caller that
    // ends a step before the view has redrawn what the step changed.
    void CommitStep(bool wholePicture = false);
    // A drag of any button is under way: its changes are one step, committed at its release.
    bool GestureInProgress() const;

    // Rows of DestinationStore converted into the shown image since the view was made: a
    // distortion press converts only the zone's rows, a whole-picture change the rows painted.
    long long ConvertedRows() const { return convertedRows_; }
    // The whole destination as shown, brought up to date.
    const QImage& ShownImage();

    // Reports a rebuilt destination: redraw, title, and what the source windows must show.
    void AfterSourceOutcome(const SourceOutcome& outcome);

    // "Merge Sources: 1 & 2 to Destination", from this view or a source view: the overwrite
    // question, both sources shown afresh, the destination to the top, then the merge dialog,
    // which merges as its settings change.
    void MergeSourcesCommand();
    // One whole-picture merge under the current settings, on the screen before it returns.
    void MergeNow();

    QSize sizeHint() const override;

  signals:
    void TitleChanged(const QString& title);

  protected:
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

  private:
    void RegisterCommands();
    CommandState CommandStateOf(const CommandRow& row) const;
    // Right-button sampling of the reference colour.
    void PressRight(Point at);
    void MoveRight(Point at);
    void ReleaseRight();
    // The reference colour dialog's model while the dialog is open, else null.
    RefColourDialogState* OpenRefColourModel();
    bool MarkStale(const QRect& changed);
    void ConvertStale(const QRegion& wanted);
    QRect ZoneInView() const;
    bool PicturePresent() const;
    bool NotBrushing() const;

    CWendralApp& app_;
    CDestdoc& doc_;
    Zone zone_;
    DistortionEngine engine_;
    std::unique_ptr<History> history_;
    QString stepName_;
    // The part of the picture redrawn since the last step, which is all a step can have
    // changed; the whole picture once any redraw named no part.
    QRect redrawn_;
    bool redrawnAll_ = false;
    bool sampling_ = false;       // the right button is held
    std::vector<Point> gesture_;  // the points of the drag under way, for a recorded session
    void RecordGesture(const char* word, std::vector<std::string> words);
    std::optional<SourceImage> shown_[3];  // what the source windows showed at the last command
    QImage image_;                         // DestinationStore as shown
    QRegion stale_;                        // the part of image_ behind DestinationStore
    // What a press, a brush, a live preview or a source's change made new since the last paint:
    // painted straight from the store, it stays stale. Such a change is painted once before the
    // next replaces it, and going through the shown image would cost it a trip through memory;
    // painted again unchanged, it is converted into the shown image then.
    QRegion passing_;
    QImage passBand_;            // rows on their way to a painter that cannot take them straight
    QImage dotRow_, dotColumn_;  // the outlines' dot pattern, across and down
    long long convertedRows_ = 0;
    QString title_;

    struct Drag;
    std::unique_ptr<Drag> drag_;
    std::optional<BrushOutline> brushOutline_;
};

// The destination's frame: a sub-window with its own toolbar (207) around the view. It cannot
// be closed.
class CDestchild : public QMdiSubWindow, public RoutedFrame, public CommandTarget {
    Q_OBJECT
  public:
    explicit CDestchild(CWendralApp& app);
    ~CDestchild() override;

    CDestview& View() { return *view_; }
    CDestdoc& Document() { return doc_; }
    QToolBar& ToolBar() { return *toolbar_; }

    CommandTarget* RouteView() override { return view_; }
    CommandTarget* RouteDocument() override { return &doc_; }
    CommandTarget* RouteFrame() override { return this; }
    ViewRole Role() const override { return ViewRole::Destination; }

  protected:
    void closeEvent(QCloseEvent* event) override;

  private:
    CWendralApp& app_;
    CDestdoc doc_;
    QToolBar* toolbar_;
    CDestview* view_;
};

// Template 130: makes the destination document, view and frame, and opens the start-up help
// picture in it (an empty path opens none).
class DestinationTemplate : public DocTemplate {
  public:
    explicit DestinationTemplate(CWendralApp& app)
        : DocTemplate(kDestinationTemplate, "Destination"), app_(app) {}
    bool OpenDocumentFile(const QString& path) override;

  private:
    CWendralApp& app_;
};

}  // namespace wendral::app
