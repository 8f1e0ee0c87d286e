#include "app/main_frame.h"

#include <QAction>
#include <QApplication>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QLabel>
#include <QMdiSubWindow>
#include <QMenu>
#include <QMenuBar>
#include <QMimeData>
#include <QPainter>
#include <QStatusBar>
#include <QToolBar>
#include <QUrl>
#include <algorithm>
#include <optional>

#include "app/background.h"
#include "app/busy_cursor.h"
#include "app/commands.h"
#include "app/dest_window.h"
#include "app/message_service.h"
#include "app/wendral_app.h"
#include "core/command_table.h"
#include "core/effect_commands.h"
#include "core/sources.h"
#include "dialogs/ref_colour_dialog.h"

namespace wendral::app {

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
    QSize sizeHint() const override { return QSize(fontMetrics().horizontalAdvance(kWidest), fontMetrics().height()); }
    QSize minimumSizeHint() const override { return QSize(1, fontMetrics().height()); }

protected:
    void paintEvent(QPaintEvent*) override {
        QPainter p(this);
        p.setPen(palette().color(QPalette::WindowText));
        p.drawText(rect(), Qt::AlignLeft | Qt::AlignVCenter, text_);
    }

private:
    static constexpr const char* kWidest = "RGB = 255 255 255  Average REF. Color RGB = 255 255 255";
    QString text_;
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
    router_ = new CommandRouter(
        this, this, &app, [this] { return ActiveFrame(); });

    promptPane_ = new QLabel(kReady);
    promptPane_->setFixedWidth(200);
    lockPane_ = new QLabel("Dest Lock");
    // 75 pixels, or what the longer of its two texts needs in this font.
    lockPane_->setFixedWidth(std::max(75, lockPane_->fontMetrics().horizontalAdvance("Dest. Unlocked") + 8));
    readoutPane_ = new ReadoutPane("Progress");
    swatch_ = new ReferenceSwatch(app);
    statusBar()->addWidget(promptPane_);
    statusBar()->addPermanentWidget(lockPane_);
    statusBar()->addPermanentWidget(readoutPane_, 1);
    statusBar()->addPermanentWidget(swatch_);

    BuildMenus();
    RegisterCommands();

    idle_.setSingleShot(true);
    idle_.setInterval(0);
    connect(&idle_, &QTimer::timeout, this, &CMainFrame::RunIdleUpdate);
    connect(area_, &QMdiArea::subWindowActivated, this, [this] {
        UpdateTitle();
        QueueIdleUpdate();
    });
    connect(router_, &CommandRouter::CommandRan, this, [this] { QueueIdleUpdate(); });
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
        connect(menu, &QMenu::aboutToShow, router_, &CommandRouter::Refresh);
    }
}

void CMainFrame::RegisterCommands() {
    OnCommand(kExit, [this] { close(); });
    OnCommand(kCascade, [this] { area_->cascadeSubWindows(); });
    OnCommand(kTileHorizontal, [this] { Tile(Qt::Horizontal); });
    OnCommand(kTileVertical, [this] { Tile(Qt::Vertical); });
    OnCommand(kNextPane, [this] { area_->activateNextSubWindow(); });
    OnCommand(kPreviousPane, [this] { area_->activatePreviousSubWindow(); });
    OnCommand(
        kViewStatusBar, [this] { statusBar()->setVisible(!statusBar()->isVisible()); },
        [this] { return CommandState{true, statusBar()->isVisible()}; });

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
                if (slow) busy.emplace();
                view->RunCommand(row);
            },
            [this, &row] { return CommandState{EffectsEnabled(row.needs)}; });
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
    connect(dialog, &CRefColourDlg::ColourChanged, this, &CMainFrame::QueueIdleUpdate);
    dialog->show();
    dialog->Load();
}

CRefColourDlg* CMainFrame::RefColourDialog() const {
    return refColourDialog_.data();
}

bool CMainFrame::EffectsEnabled(unsigned needs) const {
    switch (router_->ActiveRole()) {
        case ViewRole::Destination: return Available(app_.State(), needs);
        case ViewRole::Source:
        case ViewRole::MergeAlign: return false;
        case ViewRole::Other: break;
    }
    return true;
}

// Horizontal tiles lie one below the other across the whole width, vertical ones side by side.
void CMainFrame::Tile(Qt::Orientation orientation) {
    QList<QMdiSubWindow*> windows;
    for (QMdiSubWindow* w : area_->subWindowList(QMdiArea::StackingOrder))
        if (w->isVisible() && !w->isMinimized()) windows << w;
    if (windows.isEmpty()) return;
    const QSize client = area_->viewport()->size();
    const int n = static_cast<int>(windows.size());
    for (int i = 0; i < n; ++i) {
        windows[i]->showNormal();
        if (orientation == Qt::Horizontal)
            windows[i]->setGeometry(0, client.height() * i / n, client.width(),
                                    client.height() * (i + 1) / n - client.height() * i / n);
        else
            windows[i]->setGeometry(client.width() * i / n, 0,
                                    client.width() * (i + 1) / n - client.width() * i / n, client.height());
    }
}

void CMainFrame::AddSubWindow(QMdiSubWindow* window) {
    area_->addSubWindow(window);
    window->show();
}

void CMainFrame::BringToTop(QMdiSubWindow* window) {
    if (!window) return;
    if (window->isMinimized()) window->showNormal();
    area_->setActiveSubWindow(window);
    window->raise();
}

RoutedFrame* CMainFrame::ActiveFrame() const {
    QMdiSubWindow* sub = area_->activeSubWindow();
    if (!sub) return nullptr;
    if (auto* frame = dynamic_cast<RoutedFrame*>(sub)) return frame;
    return dynamic_cast<RoutedFrame*>(sub->widget());
}

void CMainFrame::QueueIdleUpdate() {
    if (!destroying_ && !idle_.isActive()) idle_.start();
}

void CMainFrame::RunIdleUpdate() {
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
    if (at.x < 0 || at.y < 0 || at.x >= s.DestWidth || at.y >= s.DestHeight) return kCursorOutOfRange;
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
    LastAskedChange = s.PendingSourceChange;
    if (ShowMessage(kOverwriteQuestion, MessageButtons::YesNo, MessageIcon::Stop) == MessageAnswer::Yes) {
        ShowMessage(kOverwriteYes);
        s.OverwriteConsent = 1;
    } else {
        ShowMessage(kOverwriteNo);
        s.OverwriteConsent = 0;
    }
}

void CMainFrame::UpdateTitle() {
    QMdiSubWindow* sub = area_->activeSubWindow();
    setWindowTitle(sub && !sub->windowTitle().isEmpty() ? QStringLiteral("%1 - %2").arg(kMainTitle, sub->windowTitle())
                                                        : QString(kMainTitle));
}

QString CMainFrame::PaneText(int pane) const {
    switch (pane) {
        case 0: return statusBar()->currentMessage().isEmpty() ? promptPane_->text() : statusBar()->currentMessage();
        case 1: return lockPane_->text();
        case 2: return readoutPane_->text();
        default: return {};
    }
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
        default: break;
    }
    return QMainWindow::eventFilter(watched, event);
}

}  // namespace wendral::app
