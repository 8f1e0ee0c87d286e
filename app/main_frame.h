#pragma once
#include <QMainWindow>
#include <QPointer>
#include <QRect>
#include <QSize>
#include <QTimer>

#include "app/command_router.h"

class QLabel;
class QMdiSubWindow;
class QMenu;

namespace wendral::app {

class CChildtwo;
class CRefColourDlg;
class CWendralApp;
class ReadoutPane;
class ReferenceSwatch;

inline constexpr const char* kMainTitle = "Wendral Application";
inline constexpr const char* kReady = "Ready";
inline constexpr const char* kCursorOutOfRange = "Cursor out of range.";
inline constexpr const char* kEmptyDestination = "Empty destination window";
inline constexpr const char* kOverwriteYes =
    "The next change to a source WILL overwrite your destination changes.";
inline constexpr const char* kOverwriteNo =
    "You have elected to retain the destination changes.\nYour options are therefore to save the "
    "destination to a "
    "file or send it to a source window";

// The multiple-document main window: the sub-window area with the background picture behind
// it, the menus of the command vocabulary, the status bar with its four panes, and the
// Edit-menu effects. Its panes and the command states refresh from a zero-delay timer that
// every change queues (QueueIdleUpdate), and after every input event.
class CMainFrame : public QMainWindow, public CommandTarget {
    Q_OBJECT
  public:
    explicit CMainFrame(CWendralApp& app);
    ~CMainFrame() override;

    // The place at start: height and width 3/4 of the screen, top height / 6, left width / 6.
    static QRect InitialGeometry(const QSize& screen);

    CommandRouter& Router() { return *router_; }
    CChildtwo& MdiArea() { return *area_; }
    QAction* Action(int id) const { return router_->Action(id); }

    // Adds a frame's sub-window to the area (shown, not yet activated). The buttons of its
    // toolbars follow that frame's own view, and a click on one activates the frame first.
    void AddSubWindow(QMdiSubWindow* window);
    // Where a new window of `size` goes: beside the open windows where the area has room,
    // otherwise at the first cascade step no open window starts at.
    QPoint PlaceNewWindow(const QSize& size) const;
    // Activates `window` and brings it to the top of the sub-windows.
    void BringToTop(QMdiSubWindow* window);
    RoutedFrame* ActiveFrame() const;

    // Queues one idle update: the command states and the status panes.
    void QueueIdleUpdate();
    // The idle update itself (tests call it directly; it also ends the undo step in progress).
    void RunIdleUpdate();

    // Window > Cascade: the windows overlap by steps, each keeping its size unless the area is
    // smaller. Tile: horizontal tiles lie one below the other, vertical ones side by side.
    void Cascade();
    void Tile(Qt::Orientation orientation);

    // The texts of the panes: 0 prompts, 1 the lock, 2 the colour readout.
    QString PaneText(int pane) const;
    int LastAskedChange = 0;

    // The rule of the Edit-menu effects (32730 to 32740): with the destination view active,
    // what the command `needs`; off with a source or the merge-align view.
    bool EffectsEnabled(unsigned needs) const;

    // The colour readout for the current state.
    QString ColourReadoutText() const;

    // "Setup Reference Color": opens the one reference colour dialog, or brings it to the front.
    void OpenRefColourDialog();
    // The open reference colour dialog, or null.
    CRefColourDlg* RefColourDialog() const;

  protected:
    bool event(QEvent* event) override;
    void dragEnterEvent(QDragEnterEvent* event) override;
    void dropEvent(QDropEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

  private:
    void BuildMenus();
    void RegisterCommands();
    void RefreshPanes();
    void CommitStepWhenOver();
    void UpdateLockPane();
    void UpdateColourReadout();
    void AskOverwriteQuestion();
    void UpdateTitle();
    void ListWindows();
    // The sub-windows a cascade or a tiling arranges, bottom first.
    QList<QMdiSubWindow*> ArrangedWindows() const;

    CWendralApp& app_;
    CChildtwo* area_;
    CommandRouter* router_;
    QLabel* promptPane_;
    QLabel* lockPane_;
    QLabel* recordingPane_;
    ReadoutPane* readoutPane_;
    ReferenceSwatch* swatch_;
    QMenu* windowMenu_ = nullptr;
    QList<QAction*> windowList_;  // the Window menu's numbered entries, and their separator
    QPointer<CRefColourDlg> refColourDialog_;
    QTimer idle_;
    // Ends the undo step once the user pauses: a burst of wheel scrolls or key repeats costs
    // its comparison of the stores once, not at every event.
    QTimer quiet_;
    bool destroying_ = false;
};

}  // namespace wendral::app
