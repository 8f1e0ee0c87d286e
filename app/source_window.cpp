#include "app/source_window.h"

#include <QClipboard>
#include <QCloseEvent>
#include <QFileInfo>
#include <QGuiApplication>
#include <QMainWindow>
#include <QMouseEvent>
#include <QPainter>
#include <QScrollBar>
#include <QToolBar>
#include <algorithm>
#include <climits>
#include <cstdlib>

#include "app/commands.h"
#include "app/dest_window.h"
#include "app/help_window.h"
#include "app/main_frame.h"
#include "app/pixel_rows.h"
#include "app/printing.h"
#include "app/session_recorder.h"
#include "app/source_clipboard.h"
#include "app/source_template.h"
#include "app/toolbar_icons.h"
#include "app/wendral_app.h"
#include "core/command_table.h"
#include "core/sources.h"
#include "dialogs/busy_cursor.h"
#include "dialogs/message_service.h"
#include "dialogs/scaling_dialog.h"
#include "io/picture_file.h"

namespace wendral::app {
namespace {

// A scroll bar holds an int; a scale set by fitting can make the area larger than that.
int BarValue(std::int64_t v) {
    return static_cast<int>(std::clamp<std::int64_t>(v, 0, INT_MAX));
}

}  // namespace

// ---- CWendralDoc ----

CWendralDoc::CWendralDoc(SourceDocument& document) : document_(document) {
    OnCommand(
        kSaveDestinationAs, [] {}, [] { return CommandState{false}; });
}

// ---- CWendralView ----

CWendralView::CWendralView(CWendralApp& app, SourceTemplate& owner, SourceView& model,
                           QWidget* parent)
    : QAbstractScrollArea(parent), app_(app), owner_(owner), model_(model) {
    // The scroll area always exceeds the client area (it has a margin of the client's size on
    // each side), so both bars are always there and the client size does not depend on them.
    setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    viewport()->setAttribute(Qt::WA_OpaquePaintEvent);
    setFocusPolicy(Qt::StrongFocus);
    RegisterCommands();
}

// The table's source-view commands act on this view's source; the scale opens its dialog and
// copy and paste go through the clipboard.
void CWendralView::RegisterCommands() {
    const auto numberedRule = [this](const CommandRow& row) {
        return [this, &row] {
            return CommandState{Available(app_.State(), row.needs) && model_.SourceNumber != 0};
        };
    };
    for (const CommandRow& row : CommandTable()) {
        if (row.carrier != Carrier::SourceView || !row.run || row.id == kSetScale ||
            row.id == kPaste)
            continue;
        if (row.id == kRestoreDestination) {
            OnCommand(
                row.id, [this, &row] { owner_.Report(owner_.RunSourceCommand(row, {})); },
                [this, &row] { return CommandState{Available(app_.State(), row.needs)}; });
            continue;
        }
        OnCommand(
            row.id, [this, &row] { RunOnThisSource(row); }, numberedRule(row));
    }
    OnCommand(
        kSetScale, [this] { SetScale(); },
        numberedRule(*FindCommandRow(kSetScale, Carrier::SourceView)));
    // The merge runs from a source window whatever the state; it says itself what it lacks.
    OnCommand(kMergeSources, [this] {
        if (CDestview* dest = app_.DestView()) dest->MergeSourcesCommand();
    });
    OnCommand(
        kCopy, [this] { Copy(); },
        [this] { return CommandState{!model_.Document.packet.empty()}; });
    OnCommand(
        kPaste, [this] { Paste(); },
        [] { return CommandState{OffersPicture(QGuiApplication::clipboard()->mimeData())}; });
    app_.Printing().AddViewCommands(
        *this, this,
        [this] {
            const QString path = QString::fromStdString(model_.Document.SourcePath);
            return path.isEmpty() ? QStringLiteral("Source %1").arg(model_.SourceNumber)
                                  : QFileInfo(path).completeBaseName();
        },
        [this](QPainter& p, const PageMetrics& page) { PaintSourcePage(p, page, model_); });
    OnCommand(kExplainButtons, [this] { ExplainButtons(); });
}

void CWendralView::ExplainButtons() {
    if (!ShowHelpTopic(SourceWindowTopic(app_.State()), app_.MainFrame()))
        ShowMessage(kLaunchHelpFailed);
}

SourceOutcome CWendralView::RunOnThisSource(const CommandRow& row) {
    if (model_.SourceNumber == 0) return SourceOutcome{};
    const std::string number = std::to_string(model_.SourceNumber);
    const SourceOutcome outcome = owner_.RunSourceCommand(row, std::span(&number, 1));
    owner_.Report(outcome);
    return outcome;
}

void CWendralView::SetScale() {
    const int n = model_.SourceNumber;
    if (n == 0) return;
    SourceOutcome begin = BeginSourceScale(owner_.State(), n);
    if (begin.heldBack || begin.failed) {
        owner_.Report(begin);
        return;
    }
    CScalingDialog dialog(
        model_.WidthScale, model_.HeightScale,
        [this, n](int w, int h) {
            owner_.Report(wendral::SetSourceScale(owner_.State(), owner_.CurrentZone(), n, w, h));
        },
        window());
    dialog.exec();
    const SourceOutcome end = EndSourceScale(owner_.State(), owner_.CurrentZone(), n);
    owner_.Report(end);
    // The scale as the dialog left it; the position the layout kept is said outright.
    const ScrollPoint at = model_.ScrollPosition();
    app_.Recorder().Words({"scale", std::to_string(n), std::to_string(model_.WidthScale),
                           std::to_string(model_.HeightScale)});
    app_.Recorder().Words(
        {"scroll-to", std::to_string(n), std::to_string(at.x), std::to_string(at.y)});
}

void CWendralView::Copy() {
    if (model_.SourceNumber == 0) return;
    BusyCursor busy;
    const PicturePacket copy = CopySource(owner_.State(), model_.SourceNumber);
    if (!copy.empty()) QGuiApplication::clipboard()->setMimeData(PictureMimeData(copy));
}

void CWendralView::Paste() {
    if (model_.SourceNumber == 0) return;
    PicturePacket picture;
    {
        BusyCursor busy;
        picture = PictureFromMimeData(QGuiApplication::clipboard()->mimeData());
    }
    if (picture.empty()) return;
    const SourceOutcome outcome =
        PasteSource(owner_.State(), owner_.CurrentZone(), model_.SourceNumber, picture);
    SessionRecorder& recorder = app_.Recorder();
    // The clipboard is no file: what it gave is kept beside the script.
    if (recorder.Recording() && !outcome.failed && !outcome.heldBack)
        recorder.Words({"paste", std::to_string(model_.SourceNumber),
                        recorder.Beside(model_.Document.packet, "paste")});
    owner_.Report(outcome);
}

void CWendralView::TakeClientSize() {
    model_.SetClientSize(viewport()->width(), viewport()->height());
}

void CWendralView::MirrorModel() {
    mirroring_ = true;
    const ScrollPoint range = model_.ScrollRange();
    const ScrollPoint page = model_.PageStep();
    const ScrollPoint line = model_.LineStep();
    const ScrollPoint at = model_.ScrollPosition();
    const auto mirror = [](QScrollBar* bar, std::int64_t max, std::int64_t pageStep,
                           std::int64_t lineStep, std::int64_t value) {
        bar->setRange(0, BarValue(max));
        bar->setPageStep(std::max(1, BarValue(pageStep)));
        // A line step of 0 (an area under 100 pixels) would make the arrows dead.
        bar->setSingleStep(std::max(1, BarValue(lineStep)));
        bar->setValue(BarValue(value));
    };
    mirror(horizontalScrollBar(), range.x, page.x, line.x, at.x);
    mirror(verticalScrollBar(), range.y, page.y, line.y, at.y);
    mirroring_ = false;
    ShowModel();
}

// The rendering gives screen pixel (x, y) from picture position (x + scroll x, y + scroll y)
// scaled, rows always, columns at 100 % only (a scaled column's first source column is
// truncated apart from the rest). So after a scroll, and when nothing else changed, what the
// viewport shows is what it showed, shifted, and only the uncovered strips need painting.
// Shifting moves the window's image on one core, though: where the rows are painted straight
// into it, on every core, painting the whole view again is the faster of the two.
void CWendralView::ShowModel() {
    const std::uint64_t renders = model_.RenderCount();
    const QSize size(model_.SourceShownWidth, model_.SourceShownHeight);
    const ScrollPoint at = model_.ScrollPosition();
    if (renders == shownRenders_ && size == shownSize_) return;
    const std::int64_t dx = shownScroll_.x - at.x, dy = shownScroll_.y - at.y;
    const bool shifted = scrolling_ && renders == shownRenders_ + 1 && size == shownSize_ &&
                         !outline_ && (dx == 0 || model_.WidthScale == 100) &&
                         std::abs(dx) < size.width() && std::abs(dy) < size.height() &&
                         !PaintsStraight(*viewport());
    shownRenders_ = renders;
    shownSize_ = size;
    shownScroll_ = at;
    if (shifted) {
        viewport()->scroll(static_cast<int>(dx), static_cast<int>(dy), QRect(QPoint(0, 0), size));
    } else {
        viewport()->update();
    }
}

void CWendralView::scrollContentsBy(int, int) {
    if (mirroring_) return;
    const int n = model_.SourceNumber;
    const ScrollPoint wanted{horizontalScrollBar()->value(), verticalScrollBar()->value()};
    if (!initialised_ || n == 0 || wanted == model_.ScrollPosition()) {
        MirrorModel();
        return;
    }
    // A held-back scroll puts the bars back where the model still is.
    scrolling_ = true;
    if (CDestview* dest = app_.DestView()) dest->NoteStep(QStringLiteral("Scroll"));
    const SourceOutcome outcome =
        ScrollSource(owner_.State(), owner_.CurrentZone(), n, wanted.x, wanted.y);
    if (!outcome.heldBack && !outcome.failed)
        app_.Recorder().Words(
            {"scroll-to", std::to_string(n), std::to_string(wanted.x), std::to_string(wanted.y)});
    owner_.Report(outcome);
    scrolling_ = false;
}

bool CWendralView::viewportEvent(QEvent* event) {
    if (event->type() == QEvent::Resize) ViewportResized();
    return QAbstractScrollArea::viewportEvent(event);
}

void CWendralView::ViewportResized() {
    const ClientSize now{viewport()->width(), viewport()->height()};
    if (!initialised_ || model_.SourceNumber == 0) {
        TakeClientSize();
        return;
    }
    if (now == model_.Client()) return;
    if (CDestview* dest = app_.DestView()) dest->NoteStep(QStringLiteral("Window Size"));
    const SourceOutcome outcome =
        ResizeSource(owner_.State(), owner_.CurrentZone(), model_.SourceNumber, now.cx, now.cy);
    if (!outcome.heldBack && !outcome.failed)
        app_.Recorder().Words({"window", std::to_string(model_.SourceNumber),
                               std::to_string(now.cx), std::to_string(now.cy)});
    owner_.Report(outcome);
}

void CWendralView::paintEvent(QPaintEvent* event) {
    QPainter p(viewport());
    // What the window shows is SourcePixels: the picture at its scale and position with white
    // around it. Beyond the grid the window shows white, as the destination holds nothing there.
    const QRect shown(0, 0, model_.SourceShownWidth, model_.SourceShownHeight);
    for (const QRect& beyond : event->region() - shown) p.fillRect(beyond, Qt::white);
    PaintRows(p, model_.SourcePixels(), kSourceStride, event->region() & shown, scratch_);
    if (outline_) {
        p.setPen(QPen(Qt::black, 0, Qt::DotLine));
        p.setBrush(Qt::NoBrush);
        p.drawRect(outline_->adjusted(0, 0, -1, -1));
    }
}

std::optional<QRect> CWendralView::OtherSourceOutline() const {
    const WendralState& s = app_.State();
    if (s.SourceCount != 2) return std::nullopt;
    const int other = model_.SourceNumber == 1 ? 2 : 1;
    const SourceView* view = s.SourceViews[other];
    if (!view) return std::nullopt;
    return QRect(0, 0, view->Client().cx, view->Client().cy);
}

void CWendralView::mousePressEvent(QMouseEvent* event) {
    if (event->button() != Qt::LeftButton) return QAbstractScrollArea::mousePressEvent(event);
    if (model_.SourceNumber == 0) return;
    markPosition_ = model_.ScrollPosition();
    outline_ = OtherSourceOutline();
    viewport()->update();
}

void CWendralView::mouseMoveEvent(QMouseEvent* event) {
    if (!(event->buttons() & Qt::LeftButton) || model_.SourceNumber == 0) return;
    // The other window may have changed size meanwhile.
    outline_ = OtherSourceOutline();
    viewport()->update();
}

void CWendralView::mouseReleaseEvent(QMouseEvent* event) {
    if (event->button() != Qt::LeftButton) return QAbstractScrollArea::mouseReleaseEvent(event);
    if (model_.SourceNumber == 0) return;
    outline_.reset();
    viewport()->update();
}

// ---- CChildFrame ----

CChildFrame::CChildFrame(CWendralApp& app, SourceTemplate& owner)
    : app_(app), owner_(owner), model_(std::make_unique<SourceView>()), doc_(model_->Document) {
    setAttribute(Qt::WA_DeleteOnClose);
    // Source windows are never maximised: their size is part of what they show.
    setWindowFlags(Qt::SubWindow | Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
                   Qt::WindowMinimizeButtonHint | Qt::WindowCloseButtonHint);
    toolbar_ = PutViewUnderToolBar(
        *this, "Source", app.MainFrame()->Router(), SourceToolbar(), kSourceButton,
        [&](QMainWindow* inner) { return view_ = new CWendralView(app, owner, *model_, inner); });
    RegisterCommands();
    // From the first source frame on, the destination window shows the destination picture.
    if (CDestview* dest = app.DestView(); dest && dest->ShowingStartupHelp == 1)
        dest->DropStartupHelp();
}

// A frame closed by the user has left the engine already (closeEvent); one destroyed with the
// application or never kept reports that it is gone.
CChildFrame::~CChildFrame() {
    DetachSource(app_.State(), *model_);
}

void CChildFrame::RegisterCommands() {
    OnCommand(kCloseSource, [this] { close(); });
    OnCommand(kReloadSource, [this] {
        if (SourceNumber() == 0) return;
        const SourceOutcome outcome =
            view_->RunOnThisSource(*FindCommandRow(kReloadSource, Carrier::SourceFrame));
        // The bitmap reader enters its file in the recent-file list again.
        if (!outcome.failed && FormatFromName(model_->Document.SourcePath) == PictureFormat::Bmp)
            app_.AddRecentFile(QString::fromStdString(model_->Document.SourcePath));
    });
    OnCommand(
        kSynchroniseSize, [this] { SynchroniseSize(); },
        [this] {
            return CommandState{Available(
                app_.State(), FindCommandRow(kSynchroniseSize, Carrier::SourceFrame)->needs)};
        });
    AddToolBarFrameCommands(*this, *this, *toolbar_, view_,
                            [view = view_] { view->ExplainButtons(); });
}

void CChildFrame::SynchroniseSize() {
    const int number = SourceNumber();
    if (app_.State().SourceCount != 2 || number == 0) return;
    CChildFrame* other = owner_.Frame(number == 1 ? 2 : 1);
    if (!other) return;
    resize(other->size());
    raise();
    show();
}

void CChildFrame::Retitle() {
    const QString title = QString::fromStdString(model_->Title);
    if (windowTitle() != title) setWindowTitle(title);
}

void CChildFrame::closeEvent(QCloseEvent* event) {
    if (SourceNumber() != 0) {
        const int number = SourceNumber();
        const SourceOutcome outcome = CloseSource(owner_.State(), owner_.CurrentZone(), number);
        app_.Recorder().Words({"close", std::to_string(number)});
        owner_.Report(outcome);
    }
    event->accept();
}

}  // namespace wendral::app
