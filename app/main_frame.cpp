#include "app/main_frame.h"

#include <QAction>
#include <QApplication>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QFileInfo>
#include <QHash>
#include <QLabel>
#include <QMdiSubWindow>
#include <QMenu>
#include <QMenuBar>
#include <QMimeData>
#include <QPainter>
#include <QPointer>
#include <QStaticText>
#include <QStatusBar>
#include <QStatusTipEvent>
#include <QStyle>
#include <QToolBar>
#include <QUrl>
#include <algorithm>
#include <optional>
#include <vector>

#include "app/background.h"
#include "app/commands.h"
#include "app/dest_window.h"
#include "app/help_window.h"
#include "app/session_recorder.h"
#include "app/wendral_app.h"
#include "core/command_table.h"
#include "core/effect_commands.h"
#include "core/sources.h"
#include "dialogs/brightness_dialog.h"
#include "dialogs/busy_cursor.h"
#include "dialogs/message_service.h"
#include "dialogs/ref_colour_dialog.h"
#include "dialogs/rotate_dialog.h"
#include "dialogs/special_effects_dialog.h"

namespace wendral::app {
namespace {

// How far each cascaded window starts from the one before: a title bar's height, so that every
// title stays in sight.
int CascadeStep(const QWidget& area) {
    return std::max(20, area.style()->pixelMetric(QStyle::PM_TitleBarHeight, nullptr, &area) + 6);
}

bool IsSourceWindow(QMdiSubWindow* window) {
    const RoutedFrame* frame = CommandRouter::FrameOf(window);
    return frame && frame->Role() == ViewRole::Source;
}

}  // namespace

// Pane 3: a swatch of the reference colour.
class ReferenceSwatch : public QWidget {
  public:
    explicit ReferenceSwatch(CWendralApp& app) : app_(app) { setFixedWidth(20); }
    // Repaints when the colour is not the one shown.
    void Refresh() {
        const Bgr c = app_.State().ReferenceColour;
        if (shown_ && *shown_ == c) return;
        shown_ = c;
        update();
    }

  protected:
    void paintEvent(QPaintEvent*) override {
        const Bgr c = app_.State().ReferenceColour;
        QPainter(this).fillRect(rect(), QColor(c.r, c.g, c.b));
    }

  private:
    CWendralApp& app_;
    std::optional<Bgr> shown_;
};

// Pane 2: the colour readout, which changes with every pixel the pointer or a scroll brings
// under the sample. Its size does not follow its text, so a new text only repaints the pane and
// the status bar is not laid out again.
class ReadoutPane : public QWidget {
  public:
    explicit ReadoutPane(QString text) : text_(std::move(text)) {
        setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Preferred);
    }
    const QString& text() const { return text_; }
    void setText(const QString& text) {
        if (text == text_) return;
        text_ = text;
        update();
    }
    QSize sizeHint() const override {
        return QSize(fontMetrics().horizontalAdvance(kWidest), fontMetrics().height());
    }
    QSize minimumSizeHint() const override { return QSize(1, fontMetrics().height()); }

  protected:
    void paintEvent(QPaintEvent*) override {
        QPainter p(this);
        p.setPen(palette().color(QPalette::WindowText));
        // Word by word, each word laid out once and started on a whole pixel so that its glyphs
        // come from the cache: the text changes with every pixel a scroll or a live preview
        // brings under the sample, and shaping the whole line each time cost 7% of the engine's
        // time for a merge step.
        const QFontMetrics m(font());
        const int space = m.horizontalAdvance(QLatin1Char(' '));
        QPoint at(0, (height() - m.height()) / 2);
        for (const QStringView word : QStringView(text_).split(u' ')) {
            if (!word.isEmpty()) {
                const Word& w = LaidOut(word.toString(), m);
                p.drawStaticText(at, w.text);
                at.rx() += w.advance;
            }
            at.rx() += space;
        }
    }
    void changeEvent(QEvent* event) override {
        if (event->type() == QEvent::FontChange) words_.clear();
        QWidget::changeEvent(event);
    }

  private:
    struct Word {
        QStaticText text;
        int advance = 0;
    };
    const Word& LaidOut(const QString& word, const QFontMetrics& m) {
        auto it = words_.find(word);
        if (it != words_.end()) return *it;
        // The numbers and the words of the readouts are a few hundred; a progress text brings
        // new ones, so the cache starts again rather than grow.
        if (words_.size() >= 1024) words_.clear();
        Word w{QStaticText(word), m.horizontalAdvance(word)};
        w.text.setTextFormat(Qt::PlainText);
        w.text.prepare(QTransform(), font());
        return *words_.insert(word, std::move(w));
    }

    static constexpr const char* kWidest =
        "RGB = 255 255 255  Average REF. Color RGB = 255 255 255";
    QString text_;
    QHash<QString, Word> words_;
};

// While a slow effect runs, pane 2 shows how far it has got. Only the pane is repainted: a turn
// of the event loop would let the idle update put its questions and a click start a command.
class PaneProgress {
  public:
    PaneProgress(WendralState& state, ReadoutPane& pane, QString what) : state_(state) {
        state_.Progress = [&pane, what = std::move(what), shown = -1](double done) mutable {
            const int percent = static_cast<int>(done * 100);
            if (percent == shown) return;
            shown = percent;
            pane.setText(QStringLiteral("%1: %2%").arg(what).arg(percent));
            pane.repaint();
        };
    }
    ~PaneProgress() { state_.Progress = nullptr; }
    PaneProgress(const PaneProgress&) = delete;
    PaneProgress& operator=(const PaneProgress&) = delete;

  private:
    WendralState& state_;
};

QRect CMainFrame::InitialGeometry(const QSize& screen) {
    const int height = screen.height() * 3 / 4;
    const int width = screen.width() * 3 / 4;
    const int top = height / 6;
    const int left = width / 6;
    return QRect(left, top, width, height);
}

CMainFrame::CMainFrame(CWendralApp& app) : app_(app) {
    setWindowTitle(kMainTitle);
    setAcceptDrops(true);
    area_ = new CChildtwo(this);
    setCentralWidget(area_);
    router_ = new CommandRouter(this, this, &app, [this] { return ActiveFrame(); });

    promptPane_ = new QLabel(kReady);
    promptPane_->setFixedWidth(200);
    lockPane_ = new QLabel("Dest Lock");
    // 75 pixels, or what the longer of its two texts needs in this font.
    lockPane_->setFixedWidth(
        std::max(75, lockPane_->fontMetrics().horizontalAdvance("Dest. Unlocked") + 8));
    readoutPane_ = new ReadoutPane("Progress");
    swatch_ = new ReferenceSwatch(app);
    statusBar()->addWidget(promptPane_);
    statusBar()->addPermanentWidget(lockPane_);
    statusBar()->addPermanentWidget(readoutPane_, 1);
    statusBar()->addPermanentWidget(swatch_);
    // Beside the title (which a desktop without decorations does not show): a script is being
    // written.
    recordingPane_ = new QLabel(this);
    recordingPane_->hide();
    statusBar()->addPermanentWidget(recordingPane_);

    BuildMenus();
    RegisterCommands();

    idle_.setSingleShot(true);
    idle_.setInterval(0);
    connect(&idle_, &QTimer::timeout, this, [this] {
        RefreshPanes();
        quiet_.start();
    });
    quiet_.setSingleShot(true);
    quiet_.setInterval(300);
    connect(&quiet_, &QTimer::timeout, this, &CMainFrame::CommitStepWhenOver);
    connect(area_, &QMdiArea::subWindowActivated, this, [this] {
        UpdateTitle();
        QueueIdleUpdate();
    });
    connect(router_, &CommandRouter::CommandRan, this, [this] { QueueIdleUpdate(); });
    // A command ends what came before it as a step of its own and names the step it begins.
    connect(router_, &CommandRouter::CommandStarting, this, [this](int id) {
        if (CDestview* view = app_.DestView()) {
            view->CommitStep();
            view->NoteStep(StepName(id));
        }
    });
    qApp->installEventFilter(this);
    QueueIdleUpdate();
}

CMainFrame::~CMainFrame() {
    // The sub-windows go after this frame's members: nothing they signal on the way may reach
    // the idle timer, which is gone by then.
    qApp->removeEventFilter(this);
    disconnect(area_, nullptr, this, nullptr);
    destroying_ = true;
}

void CMainFrame::BuildMenus() {
    for (const MenuInfo& info : MainMenus()) {
        QMenu* menu = menuBar()->addMenu(QString::fromUtf8(info.title));
        for (int id : info.items) {
            if (id == 0) {
                menu->addSeparator();
                continue;
            }
            if (id == kRecentFile1) {
                // The four entries of the recent-file list; greyed "Recent File" while empty.
                for (int n = 0; n < 4; ++n) menu->addAction(router_->Action(kRecentFile1 + n));
                continue;
            }
            menu->addAction(router_->Action(id));
        }
        // The Edit menu names the step in progress too.
        connect(menu, &QMenu::aboutToShow, this, [this] {
            CommitStepWhenOver();
            router_->Refresh();
        });
        if (std::find(info.items.begin(), info.items.end(), kCascade) != info.items.end()) {
            windowMenu_ = menu;
            connect(menu, &QMenu::aboutToShow, this, &CMainFrame::ListWindows);
        }
    }
}

void CMainFrame::RegisterCommands() {
    OnCommand(kExit, [this] { close(); });
    OnCommand(kCascade, [this] { Cascade(); });
    OnCommand(kTileHorizontal, [this] { Tile(Qt::Horizontal); });
    OnCommand(kTileVertical, [this] { Tile(Qt::Vertical); });
    OnCommand(kNextPane, [this] { area_->activateNextSubWindow(); });
    OnCommand(kPreviousPane, [this] { area_->activatePreviousSubWindow(); });
    OnCommand(
        kViewStatusBar, [this] { statusBar()->setVisible(!statusBar()->isVisible()); },
        [this] {
            return CommandState{true, statusBar()->isVisible()};
        });
    // Help on its own says nothing when its pages cannot be found; the keys page does.
    OnCommand(kHelp, [this] { ShowHelp(kContentsPage, this); });
    OnCommand(kHotKeys, [this] {
        if (!ShowHelp(kKeysPage, this)) ShowMessage(kHotKeyHelpFailed);
    });

    OnCommand(kReferenceColour, [this] { OpenRefColourDialog(); });

    // The Edit-menu effects work on the destination whichever window is active, but follow
    // the active view: with the destination they need what their row needs, with a source or
    // the merge-align view they are off. Those with a dialog open it instead.
    for (const EffectCommand& effect : kEffectCommands) {
        const CommandRow& row = *FindCommandRow(effect.commandId, Carrier::MainFrame);
        const bool slow = row.id == kPencilDraw;
        OnCommand(
            row.id,
            [this, &row, slow] {
                CDestview* view = app_.DestView();
                if (!view) return;
                std::optional<BusyCursor> busy;
                std::optional<PaneProgress> progress;
                if (slow) {
                    busy.emplace();
                    progress.emplace(app_.State(), *readoutPane_, StepName(row.id));
                }
                view->RunCommand(row);
            },
            [this, &row] { return CommandState{EffectsEnabled(row.needs)}; });
    }
    // The three whose dialogs preview on the destination, each run modally.
    const auto dialog = [this](int id, std::function<void(CDestview&)> run) {
        const CommandRow& row = *FindCommandRow(id, Carrier::MainFrame);
        OnCommand(
            id,
            [this, run] {
                if (CDestview* view = app_.DestView()) run(*view);
                app_.StateChanged();
            },
            [this, &row] { return CommandState{EffectsEnabled(row.needs)}; });
    };
    // A recorded session gets each dialog's outcome as its row's line.
    const auto record = [this](int id, std::vector<std::string> args) {
        app_.Recorder().Row(*FindCommandRow(id, Carrier::MainFrame), args);
    };
    dialog(kBrightnessContrast, [this, record](CDestview& v) {
        CBrightnessDlg d(app_.State(), v, this);
        const bool ok = d.exec() == QDialog::Accepted;
        std::vector<std::string> args = d.Model().RowArguments();
        if (!ok) args.push_back("cancel");
        record(kBrightnessContrast, std::move(args));
    });
    dialog(kSpecialEffects, [this, record](CDestview& v) {
        CSpecialEffectsDlg d(app_.State(), v, this);
        d.exec();
        record(kSpecialEffects, d.Model().RowArguments());
    });
    dialog(kRotateDestination, [this, record](CDestview& v) {
        CRotateDlg d(app_.State(), v, this);
        d.exec();
        record(kRotateDestination, d.Model().RowArguments());
    });

    // Undo and redo act on the destination whichever window is active.
    for (const int id : {int(kUndo), int(kRedo)}) {
        const CommandRow& row = *FindCommandRow(id, Carrier::MainFrame);
        OnCommand(
            id,
            [this, &row] {
                if (CDestview* view = app_.DestView()) view->RunCommand(row);
            },
            [this, id] {
                CDestview* view = app_.DestView();
                const History* history = view ? &view->UndoHistory() : nullptr;
                const bool undo = id == kUndo;
                const bool can = history && (undo ? history->CanUndo() : history->CanRedo());
                const QString step =
                    can ? QString::fromStdString(undo ? history->UndoName() : history->RedoName())
                        : QString();
                const QString verb = undo ? QStringLiteral("&Undo") : QStringLiteral("&Redo");
                QString text = step.isEmpty() ? verb : verb + ' ' + step;
                text.replace(QStringLiteral("& "), QStringLiteral("&& "));
                const QString keys = undo ? QStringLiteral("\tCtrl+Z") : QStringLiteral("\tCtrl+Y");
                return CommandState{can, std::nullopt, text + keys};
            });
    }
}

void CMainFrame::OpenRefColourDialog() {
    if (refColourDialog_) {
        refColourDialog_->raise();
        refColourDialog_->activateWindow();
        return;
    }
    auto* dialog = new CRefColourDlg(app_.State(), this);
    refColourDialog_ = dialog;
    // Closed by OK, Escape or the close box, it deletes itself a moment later; from now on the
    // command opens a new one.
    connect(dialog, &QDialog::finished, this, [this] { refColourDialog_ = nullptr; });
    connect(dialog, &CRefColourDlg::ColourChanged, this, [this] {
        const Bgr c = app_.State().ReferenceColour;
        app_.Recorder().Words(
            {"refcolour", std::to_string(c.r), std::to_string(c.g), std::to_string(c.b)});
        QueueIdleUpdate();
    });
    dialog->show();
    dialog->Load();
}

CRefColourDlg* CMainFrame::RefColourDialog() const {
    return refColourDialog_.data();
}

bool CMainFrame::EffectsEnabled(unsigned needs) const {
    switch (router_->ActiveRole()) {
        case ViewRole::Destination:
            return Available(app_.State(), needs);
        case ViewRole::Source:
        case ViewRole::MergeAlign:
            return false;
        case ViewRole::Other:
            break;
    }
    return true;
}

QList<QMdiSubWindow*> CMainFrame::ArrangedWindows() const {
    QList<QMdiSubWindow*> windows;
    for (QMdiSubWindow* w : area_->subWindowList(QMdiArea::StackingOrder))
        if (w->isVisible() && !w->isMinimized()) windows << w;
    return windows;
}

// A source window's size decides what it feeds the destination, so arranging the windows must
// not change it: a smaller window would rebuild the destination smaller, or ask the overwrite
// question. Sizes give way only to an area too small for them.
void CMainFrame::Cascade() {
    const QSize client = area_->viewport()->size();
    const int step = CascadeStep(*area_);
    int i = 0;
    for (QMdiSubWindow* w : ArrangedWindows()) {
        if (w->isMaximized()) w->showNormal();
        const QSize size = w->size().boundedTo(client);
        const QPoint at(std::min(i * step, std::max(0, client.width() - size.width())),
                        std::min(i * step, std::max(0, client.height() - size.height())));
        w->setGeometry(QRect(at, size));
        w->raise();
        ++i;
    }
}

// The source windows keep their extent along the tiling where the area has room for them beside
// the other windows at their smallest; the other windows (the destination, the merge-align view)
// share the rest. Where the room is short every source gives up the same fraction. Across the
// tiling the other windows fill the area and the sources keep their size.
void CMainFrame::Tile(Qt::Orientation orientation) {
    const QList<QMdiSubWindow*> windows = ArrangedWindows();
    if (windows.isEmpty()) return;
    const QSize client = area_->viewport()->size();
    const bool sideBySide = orientation == Qt::Vertical;
    const auto along = [sideBySide](const QSize& s) { return sideBySide ? s.width() : s.height(); };
    const auto across = [sideBySide](const QSize& s) {
        return sideBySide ? s.height() : s.width();
    };
    const int n = static_cast<int>(windows.size());
    const int room = along(client);

    std::vector<int> extent(windows.size(), 0);
    std::vector<bool> source(windows.size(), false);
    long long sources = 0;
    int others = 0;
    int othersLeast = 0;
    for (int i = 0; i < n; ++i) {
        windows[i]->showNormal();
        source[i] = IsSourceWindow(windows[i]);
        if (source[i]) {
            extent[i] = along(windows[i]->size());
            sources += extent[i];
        } else {
            ++others;
            othersLeast += along(windows[i]->minimumSizeHint());
        }
    }
    const int forSources = std::max(0, room - othersLeast);
    if (sources > forSources) {
        long long given = 0;
        for (int i = 0; i < n; ++i)
            if (source[i]) given += extent[i] = static_cast<int>(extent[i] * forSources / sources);
        sources = given;
    }
    int otherIndex = 0;
    const int rest = room - static_cast<int>(sources);
    for (int i = 0; i < n; ++i)
        if (!source[i]) {
            extent[i] = rest * (otherIndex + 1) / others - rest * otherIndex / others;
            ++otherIndex;
        }

    int position = 0;
    for (int i = 0; i < n; ++i) {
        const int wide =
            source[i] ? std::min(across(windows[i]->size()), across(client)) : across(client);
        const QRect r =
            sideBySide ? QRect(position, 0, extent[i], wide) : QRect(0, position, wide, extent[i]);
        windows[i]->setGeometry(r);
        position += extent[i];
    }
}

QPoint CMainFrame::PlaceNewWindow(const QSize& size) const {
    const QRect client(QPoint(0, 0), area_->viewport()->size());
    QList<QRect> taken;
    for (QMdiSubWindow* w : area_->subWindowList())
        if (w->isVisible()) taken << w->geometry();
    const auto free = [&](const QRect& r) {
        if (!client.contains(r)) return false;
        for (const QRect& t : taken)
            if (t.intersects(r)) return false;
        return true;
    };
    for (const QRect& t : taken)
        for (const QPoint at : {QPoint(t.right() + 1, t.top()), QPoint(t.left(), t.bottom() + 1)})
            if (free(QRect(at, size))) return at;
    // Cascaded: the first step no open window starts at (or near), so that none is hidden.
    const int step = CascadeStep(*area_);
    const auto startsNear = [&](const QPoint& at) {
        for (const QRect& t : taken)
            if (std::abs(t.left() - at.x()) < step / 2 && std::abs(t.top() - at.y()) < step / 2)
                return true;
        return false;
    };
    QPoint at;
    for (int i = 0; i < 64; ++i) {
        at = QPoint(std::min(i * step, std::max(0, client.width() - size.width())),
                    std::min(i * step, std::max(0, client.height() - size.height())));
        if (!startsNear(at)) break;
    }
    return at;
}

void CMainFrame::AddSubWindow(QMdiSubWindow* window) {
    area_->addSubWindow(window);
    for (QToolBar* bar : window->findChildren<QToolBar*>())
        router_->BindToolBar(*bar, *window, [this](QMdiSubWindow* w) { BringToTop(w); });
    window->show();
}

void CMainFrame::BringToTop(QMdiSubWindow* window) {
    if (!window) return;
    if (window->isMinimized()) window->showNormal();
    area_->setActiveSubWindow(window);
    window->raise();
}

RoutedFrame* CMainFrame::ActiveFrame() const {
    return CommandRouter::FrameOf(area_->activeSubWindow());
}

void CMainFrame::QueueIdleUpdate() {
    if (!destroying_ && !idle_.isActive()) idle_.start();
}

void CMainFrame::RunIdleUpdate() {
    CommitStepWhenOver();
    RefreshPanes();
}

// A change is one step once it is over: not while a drag or one of our dialogs goes on. A
// scroll bar dragged or a window resized with the mouse is one step too.
void CMainFrame::CommitStepWhenOver() {
    CDestview* view = app_.DestView();
    if (!view) return;
    if (QApplication::activeModalWidget() || view->GestureInProgress() ||
        QApplication::mouseButtons() != Qt::NoButton) {
        quiet_.start();
        return;
    }
    view->CommitStep();
    router_->Refresh();
}

void CMainFrame::RefreshPanes() {
    router_->Refresh();
    UpdateLockPane();
    // Panes 2 and 3 share their id, so the readout runs once for each.
    UpdateColourReadout();
    UpdateColourReadout();
    UpdateTitle();
}

void CMainFrame::UpdateLockPane() {
    WendralState& s = app_.State();
    if (s.DestWidth == 0 || s.DestHeight == 0) {
        s.DestLocked = 0;
        s.BrushingEnabled = 0;
    }
    lockPane_->setText(s.DestLocked == 1 ? "Dest. Locked" : "Dest. Unlocked");
}

QString CMainFrame::ColourReadoutText() const {
    const WendralState& s = app_.State();
    if (s.DestWidth == 0 || s.DestHeight == 0) return kEmptyDestination;
    const Point at = s.CursorSample;
    // A sample left over from a larger picture reads as out of range too: there is no pixel.
    if (at.x < 0 || at.y < 0 || at.x >= s.DestWidth || at.y >= s.DestHeight)
        return kCursorOutOfRange;
    const Bgr p = s.DestPixel(at.x, at.y);
    const Bgr ref = s.ReferenceColour;
    return QStringLiteral("RGB = %1 %2 %3  Average REF. Color RGB = %4 %5 %6")
        .arg(p.r)
        .arg(p.g)
        .arg(p.b)
        .arg(ref.r)
        .arg(ref.g)
        .arg(ref.b);
}

void CMainFrame::UpdateColourReadout() {
    readoutPane_->setText(ColourReadoutText());
    swatch_->Refresh();
    AskOverwriteQuestion();
}

void CMainFrame::AskOverwriteQuestion() {
    WendralState& s = app_.State();
    if (s.PendingSourceChange == 0) {
        LastAskedChange = 0;
        return;
    }
    if (s.PendingSourceChange == LastAskedChange) return;
    // Not on top of a box or a command still on screen: the next idle pass after it asks.
    if (router_->Busy()) return;
    LastAskedChange = s.PendingSourceChange;
    if (ShowMessage(kOverwriteQuestion, MessageButtons::YesNo, MessageIcon::Stop) ==
        MessageAnswer::Yes) {
        ShowMessage(kOverwriteYes);
        s.OverwriteConsent = 1;
    } else {
        ShowMessage(kOverwriteNo);
        s.OverwriteConsent = 0;
    }
}

// The numbered list of open windows at the end of the Window menu, the active one checked.
void CMainFrame::ListWindows() {
    for (QAction* a : windowList_) {
        windowMenu_->removeAction(a);
        delete a;
    }
    windowList_.clear();
    int n = 0;
    for (QMdiSubWindow* w : area_->subWindowList(QMdiArea::CreationOrder)) {
        if (w->isHidden()) continue;
        if (n == 0) windowList_ << windowMenu_->addSeparator();
        ++n;
        const QString title = QString(w->windowTitle()).replace('&', "&&");
        QAction* entry = windowMenu_->addAction(n < 10 ? QStringLiteral("&%1 %2").arg(n).arg(title)
                                                       : QStringLiteral("%1 %2").arg(n).arg(title));
        entry->setStatusTip("Activate this window");
        entry->setCheckable(true);
        entry->setChecked(w == area_->activeSubWindow());
        connect(entry, &QAction::triggered, this, [this, window = QPointer<QMdiSubWindow>(w)] {
            if (window) BringToTop(window);
        });
        windowList_ << entry;
    }
}

void CMainFrame::UpdateTitle() {
    QMdiSubWindow* sub = area_->activeSubWindow();
    QString title = sub && !sub->windowTitle().isEmpty()
                        ? QStringLiteral("%1 - %2").arg(kMainTitle, sub->windowTitle())
                        : QString(kMainTitle);
    const SessionRecorder& recorder = app_.Recorder();
    const QString recording =
        recorder.Recording()
            ? QStringLiteral("[recording %1]").arg(QFileInfo(recorder.Path()).fileName())
            : QString();
    if (!recording.isEmpty()) title += QStringLiteral("  ") + recording;
    if (windowTitle() != title) setWindowTitle(title);
    if (recordingPane_->text() != recording) recordingPane_->setText(recording);
    recordingPane_->setVisible(!recording.isEmpty());
}

QString CMainFrame::PaneText(int pane) const {
    switch (pane) {
        case 0:
            return promptPane_->text();
        case 1:
            return lockPane_->text();
        case 2:
            return readoutPane_->text();
        default:
            return {};
    }
}

bool CMainFrame::event(QEvent* event) {
    // A hovered menu item or button shows its prompt in pane 0 itself. The status bar's own
    // message would hide the pane, and the panes after it would move.
    if (event->type() == QEvent::StatusTip) {
        const QString tip = static_cast<QStatusTipEvent*>(event)->tip();
        promptPane_->setText(tip.isEmpty() ? QString(kReady) : tip);
        return true;
    }
    return QMainWindow::event(event);
}

void CMainFrame::dragEnterEvent(QDragEnterEvent* event) {
    if (event->mimeData()->hasUrls()) event->acceptProposedAction();
}

void CMainFrame::dropEvent(QDropEvent* event) {
    const QList<QUrl> urls = event->mimeData()->urls();
    event->acceptProposedAction();
    for (const QUrl& url : urls)
        if (url.isLocalFile()) app_.OpenSourceFile(url.toLocalFile());
    QueueIdleUpdate();
}

bool CMainFrame::eventFilter(QObject* watched, QEvent* event) {
    // Idle time comes after every input event, wherever in the frame it went.
    switch (event->type()) {
        case QEvent::MouseButtonRelease:
        case QEvent::MouseButtonPress:
        case QEvent::KeyRelease:
        case QEvent::Wheel:
        case QEvent::Resize:
            QueueIdleUpdate();
            break;
        default:
            break;
    }
    return QMainWindow::eventFilter(watched, event);
}

}  // namespace wendral::app
