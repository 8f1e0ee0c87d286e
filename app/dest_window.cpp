#include "app/dest_window.h"

#include <QCloseEvent>
#include <QGuiApplication>
#include <QMainWindow>
#include <QMouseEvent>
#include <QPaintEvent>
#include <QPainter>
#include <QScreen>
#include <QSettings>
#include <QToolBar>

#include "app/background.h"
#include "app/commands.h"
#include "app/help_window.h"
#include "app/mail_client.h"
#include "app/main_frame.h"
#include "app/packet_image.h"
#include "app/pixel_rows.h"
#include "app/printing.h"
#include "app/session_recorder.h"
#include "app/toolbar_icons.h"
#include "app/wendral_app.h"
#include "core/destination_commands.h"
#include "core/limits.h"
#include "core/merge.h"
#include "core/merge_dialog.h"
#include "core/reference_colour.h"
#include "core/sources.h"
#include "core/zone_forming.h"
#include "dialogs/busy_cursor.h"
#include "dialogs/merge_dialog.h"
#include "dialogs/message_service.h"
#include "dialogs/ref_colour_dialog.h"
#include "io/mail.h"
#include "io/picture_formats.h"
#include "io/save.h"

namespace wendral::app {

namespace {

// Rows converted and painted together, so that a band is still in the cache when it is painted.
constexpr int kBandRows = 32;

// A source's pixels as the engine reads them, or null when that source is not open.
const SourceImage* SourceImageOf(const WendralState& state, int number,
                                 std::optional<SourceImage>& keep) {
    if (state.SourceCount < number || !state.SourceViews[number]) return nullptr;
    keep = state.SourceViews[number]->Image();
    return &*keep;
}

// Outlines are dotted black on white, so that they show on dark pictures as well as light
// ones: a dot, then two blanks. Each edge is one copy from a strip of that pattern, kept in
// `strip`; a dashed pen cost 7% of a live preview's frame to stroke.
void DottedLine(QPainter& p, QImage& strip, QPoint from, int length, Qt::Orientation along) {
    if (length <= 0) return;
    const bool down = along == Qt::Vertical;
    if ((down ? strip.height() : strip.width()) < length) {
        const int n = std::max(length, 4096);
        strip = QImage(down ? 1 : n, down ? n : 1, QImage::Format_RGB32);
        for (int i = 0; i < n; ++i)
            strip.setPixel(down ? 0 : i, down ? i : 0,
                           i % 3 == 0 ? qRgb(0, 0, 0) : qRgb(255, 255, 255));
    }
    p.drawImage(from, strip, down ? QRect(0, 0, 1, length) : QRect(0, 0, length, 1));
}

// The rectangle whose edges are the columns `left` and `right` and the rows `top` and `bottom`.
void DottedRect(QPainter& p, QImage& row, QImage& column, int left, int top, int right,
                int bottom) {
    const int w = right - left + 1, h = bottom - top + 1;
    DottedLine(p, row, QPoint(left, top), w, Qt::Horizontal);
    DottedLine(p, row, QPoint(left, bottom), w, Qt::Horizontal);
    DottedLine(p, column, QPoint(left, top), h, Qt::Vertical);
    DottedLine(p, column, QPoint(right, top), h, Qt::Vertical);
}

}  // namespace

// ---- CDestdoc ----

CDestdoc::CDestdoc(CWendralApp& app) : app_(app) {
    OnCommand(
        kSaveDestinationAs, [this] { SaveAs(); },
        [this] { return CommandState{app_.State().PicturePresent()}; });
    const CommandRow& send = *FindCommandRow(kSendTo, Carrier::DestinationDocument);
    OnCommand(
        kSendTo, [this] { SendTo(); },
        [this, &send] { return CommandState{Available(app_.State(), send.needs)}; });
}

bool CDestdoc::SaveAs() {
    SavedName.clear();
    const std::optional<SaveDialogAnswer> choice =
        saveDialog_ ? saveDialog_() : RunSaveDestinationDialog(app_.MainFrame());
    if (!choice) return false;
    const SaveTarget target = ResolveSaveTarget(choice->path.toStdString(), choice->filterIndex);
    SavedPath = QString::fromStdString(target.path);
    SavedName = QString::fromStdString(target.name);
    Messages messages;
    bool written = false;
    {
        BusyCursor busy;
        written = SaveDestination(app_.State(), target.path, target.format, messages);
    }
    if (written) {
        const PictureFormatInfo* format = FormatInfo(target.format);
        app_.Recorder().Row(
            *FindCommandRow(kSaveDestinationAs, Carrier::DestinationDocument),
            std::vector<std::string>{target.path, format ? format->extension : "bmp"});
    }
    ShowMessages(messages);
    return written;
}

void CDestdoc::SendTo() {
    ShowMessage(kSaveBeforeSending, MessageButtons::Ok, MessageIcon::Information);
    // Only the file this save has just written is sent: a cancelled dialog or a failed write
    // sends nothing, not the file of an earlier save.
    if (!SaveAs()) {
        ShowMessage(kSendAborted);
        return;
    }
    for (const std::string& m : MailFileFromWindows(SavedPath))
        ShowMessage(QString::fromStdString(m), MessageButtons::Ok, MessageIcon::Stop);
}

bool CDestdoc::OpenStartupHelp(const QString& path) {
    BusyCursor busy;
    startupHelp_ = ReadBmpPacketFile(path);
    startupHelpImage_ = PacketImage(startupHelp_);
    if (startupHelpImage_.isNull()) startupHelp_.reset();
    return !startupHelp_.empty();
}

void CDestdoc::DropStartupHelp() {
    startupHelp_.reset();
    startupHelpImage_ = QImage();
}

PicturePacket CDestdoc::MakePacket() const {
    const WendralState& s = app_.State();
    return MakePicturePacket(s.DestWidth, s.DestHeight, s.DestinationStore());
}

// ---- CDestview ----

// What the mouse is doing: forming a zone, sampling, or brushing.
struct CDestview::Drag {
    ZoneForming forming;
    std::optional<RubberBand> band;
    BrushStroke stroke;
    ReferenceSampling sampling;
};

CDestview::CDestview(CWendralApp& app, CDestdoc& doc, QWidget* parent)
    : QWidget(parent), app_(app), doc_(doc), drag_(std::make_unique<Drag>()) {
    WendralState& s = app_.State();
    ShowingStartupHelp = 1;
    s.BrushingEnabled = 0;
    s.DestWidth = s.DestHeight = 0;
    zone_.ResetZone();
    zone_.BrushWidth = zone_.BrushHeight = 20;
    s.DestModified = 0;
    ResetReferenceColour(s);
    s.DestLocked = 0;
    setAttribute(Qt::WA_OpaquePaintEvent);
    setMouseTracking(false);
    // Steps keep only what they changed, so the default budget holds hundreds of presses.
    const qulonglong budgetMiB =
        QSettings()
            .value(QStringLiteral("history/budgetMiB"), qulonglong{History::kDefaultBudget >> 20})
            .toULongLong();
    history_ = std::make_unique<History>(s, zone_, std::size_t(budgetMiB) << 20);
    RegisterCommands();
}

void CDestview::CommitStep(bool wholePicture) {
    const QString name = std::exchange(stepName_, QString());
    std::optional<History::Part> part;
    if (!std::exchange(redrawnAll_, false) && !wholePicture)
        part = History::Part{redrawn_.x(), redrawn_.y(), redrawn_.width(), redrawn_.height()};
    redrawn_ = QRect();
    history_->Commit(app_.State(), zone_,
                     (name.isEmpty() ? QStringLiteral("Change") : name).toStdString(), part);
}

bool CDestview::GestureInProgress() const {
    return drag_->forming.Dragging() || drag_->stroke.Held() || sampling_;
}

CDestview::~CDestview() {
    app_.State().DestLocked = 0;
}

QSize CDestview::sizeHint() const {
    return QSize(560, 300);
}

bool CDestview::PicturePresent() const {
    return app_.State().PicturePresent();
}
bool CDestview::NotBrushing() const {
    return app_.State().BrushingEnabled == 0;
}

// Every destination command of the table runs through RunCommand; the merge opens its dialog
// and "What now" its help page instead.
void CDestview::RegisterCommands() {
    for (const CommandRow& row : CommandTable()) {
        if (row.carrier != Carrier::DestinationView || !row.run) continue;
        if (row.id == kMergeSources) {
            OnCommand(
                row.id, [this] { MergeSourcesCommand(); },
                [this, &row] { return CommandStateOf(row); });
            continue;
        }
        OnCommand(
            row.id, [this, &row] { RunCommand(row); },
            [this, &row] { return CommandStateOf(row); });
    }
    const CommandRow& whatNow = *FindCommandRow(kWhatNow, Carrier::DestinationView);
    OnCommand(
        kWhatNow, [this] { WhatNow(); }, [this, &whatNow] { return CommandStateOf(whatNow); });
    app_.Printing().AddViewCommands(
        *this, this, [] { return QStringLiteral("Destination"); },
        [this](QPainter& p, const PageMetrics& page) {
            const QImage* help = ShowingStartupHelp == 1 ? &doc_.StartupHelpImage() : nullptr;
            PaintDestinationPage(p, page, app_.State(), help);
        });
}

CommandState CDestview::CommandStateOf(const CommandRow& row) const {
    const WendralState& s = app_.State();
    if (row.check == Check::None) return CommandState{Available(s, row.needs)};
    return CommandState{Available(s, row.needs), Checked(s, row.check)};
}

CommandContext CDestview::Context() {
    WendralState& s = app_.State();
    SourceWindows* windows = app_.Sources();
    return CommandContext{
        s,
        zone_,
        engine_,
        drag_->sampling,
        [this] {
            const WendralState& st = app_.State();
            return ShownSources{SourceImageOf(st, 1, shown_[1]), SourceImageOf(st, 2, shown_[2])};
        },
        ClientArea{width(), height()},
        windows ? windows->Loader() : PictureLoader(),
        &SaveScriptedDestination,
        windows,
        OpenRefColourModel(),
        history_.get()};
}

void CDestview::RunCommand(const CommandRow& row, Args args) {
    Present(row, Perform(row, args));
}

CommandOutcome CDestview::Perform(const CommandRow& row, Args args) {
    CommandContext context = Context();
    const CommandOutcome outcome = row.run(context, args);
    RecordCommand(app_, row, args, outcome);
    if (outcome.throughSources)
        if (SourceWindows* w = app_.Sources()) w->SettleNewWindows(outcome.source);
    return outcome;
}

void CDestview::Present(const CommandRow& row, const CommandOutcome& outcome) {
    if (outcome.throughSources) {
        AfterSourceOutcome(outcome.source);
        return;
    }
    ShowMessages(outcome.source.messages);
    if (app_.State().BrushingEnabled == 0) {
        brushOutline_.reset();
    } else if (outcome.brushOutline) {
        brushOutline_ = outcome.brushOutline;
    }
    switch (outcome.zone) {
        case ZoneOutcome::AskZoneQuestion:
            UpdateDestinationTitle();
            ZoneHelpPrompt();
            break;
        case ZoneOutcome::Redraw: {
            const QRect zone = row.changes == Changes::Zone ? ZoneInView() : QRect();
            if (zone.isEmpty()) {
                RedrawDestination();
            } else {
                RedrawDestination(zone);
            }
            break;
        }
        case ZoneOutcome::Nothing:
            UpdateDestinationTitle();
            update();
            break;
    }
    app_.StateChanged();
}

// The zone's corners are inclusive; the commands work on the part inside the picture.
QRect CDestview::ZoneInView() const {
    const WendralState& s = app_.State();
    if (!zone_.HasZone() || !s.PicturePresent()) return QRect();
    return QRect(QPoint(zone_.xmin(), zone_.ymin()), QPoint(zone_.xmax(), zone_.ymax()))
        .intersected(QRect(0, 0, s.DestWidth, s.DestHeight));
}

void CDestview::AfterSourceOutcome(const SourceOutcome& outcome) {
    ShowMessages(outcome.messages);
    if (SourceWindows* w = app_.Sources()) w->SourcesChanged(outcome);
    RedrawDestination();
    passing_ = rect();
    app_.StateChanged();
}

void CDestview::MergeSourcesCommand() {
    WendralState& s = app_.State();
    // The lock keeps the destination from the sources' changes, not from this command.
    if (s.ChangesAtRisk() && ShowMessage(kMergeOverwriteQuestion, MessageButtons::YesNo,
                                         MessageIcon::Stop) != MessageAnswer::Yes)
        return;
    Messages messages;
    if (!PrepareMerge(s, messages)) {
        ShowMessages(messages);
        return;
    }
    app_.MainFrame()->BringToTop(app_.DestFrame());
    CMergeDlg dialog(
        s, [this] { MergeNow(); }, app_.MainFrame());
    dialog.exec();
    // Opening the dialog sets the settings even when it merges nothing.
    if (const auto merged = dialog.Model().OutcomeArguments())
        app_.Recorder().Row(*FindCommandRow(kMergeSources, Carrier::DestinationView), *merged);
    app_.Recorder().Words({"settings", std::to_string(s.MergeMode), std::to_string(s.MergeBias),
                           std::to_string(s.ContrastThreshold)});
    app_.StateChanged();
}

void CDestview::MergeNow() {
    WendralState& s = app_.State();
    std::optional<SourceImage> one, two;
    const SourceImage* first = SourceImageOf(s, 1, one);
    const SourceImage* second = SourceImageOf(s, 2, two);
    if (!first || !second) return;
    Messages messages;
    const ZoneOutcome outcome = MergeSources(s, zone_, *first, *second, messages);
    ShowMessages(messages);
    // The merge ended any brushing.
    brushOutline_.reset();
    if (outcome == ZoneOutcome::Redraw) {
        ShowPreview();
    } else {
        UpdateDestinationTitle();
    }
    app_.StateChanged();
}

void CDestview::ShowPreview() {
    RedrawDestination();
    // Painted inside the dialog's event, so that a dragged slider shows each result as it is
    // made, not the last of a burst.
    passing_ = rect();
    repaint();
}

RefColourDialogState* CDestview::OpenRefColourModel() {
    CRefColourDlg* dialog = app_.MainFrame() ? app_.MainFrame()->RefColourDialog() : nullptr;
    return dialog ? &dialog->Model() : nullptr;
}

void CDestview::ZoneHelpPrompt() {
    if (ShowMessage(kZoneQuestion, MessageButtons::YesNo) == MessageAnswer::Yes &&
        !ShowHelp(kZonePage, app_.MainFrame()))
        ShowMessage(kPopUpHelpFailed);
}

void CDestview::WhatNow() {
    if (!ShowHelpTopic(WhatNowTopic(app_.State(), zone_), app_.MainFrame()))
        ShowMessage(kPopUpHelpFailed);
}

void CDestview::DropStartupHelp() {
    doc_.DropStartupHelp();
    ShowingStartupHelp = 0;
    RedrawDestination();
}

void CDestview::UpdateDestinationTitle() {
    const QString title = QString::fromStdString(DestinationTitle(app_.State(), zone_));
    if (title != title_) {
        title_ = title;
        emit TitleChanged(title_);
    }
}

void CDestview::RedrawDestination() {
    RedrawDestination(QRect());
}

void CDestview::RedrawDestination(const QRect& changed) {
    if (changed.isNull()) {
        redrawnAll_ = true;
    } else {
        redrawn_ |= changed;
    }
    const bool part = MarkStale(changed) && ShowingStartupHelp == 0;
    if (part) passing_ += changed;
    // Closing the last source empties the destination (its size and reference colour); the
    // redraw only shows it.
    if (ShowingStartupHelp == 0) UpdateDestinationTitle();
    // The brush outline moves with its stroke, so a brushed part still repaints everything.
    if (part && NotBrushing()) {
        update(changed);
    } else {
        update();
    }
}

// A change only marks its part of the shown image stale: the paint converts what it exposes, so
// a picture hidden behind other windows, or scrolled out of sight, costs nothing. True when only
// `changed` is stale anew; a new size or a null `changed` makes the whole image stale.
bool CDestview::MarkStale(const QRect& changed) {
    const WendralState& s = app_.State();
    if (!s.PicturePresent()) {
        image_ = QImage();
        stale_ = QRegion();
        return false;
    }
    if (image_.width() != s.DestWidth || image_.height() != s.DestHeight) {
        image_ = QImage(s.DestWidth, s.DestHeight, QImage::Format_RGB32);
        stale_ = image_.rect();
        return false;
    }
    if (changed.isNull()) {
        stale_ = image_.rect();
        return false;
    }
    stale_ += changed.intersected(image_.rect());
    return true;
}

// Converts the stale part of `wanted`. The image is kept in the screen's own 32-bit form, so
// that painting it is a plain copy: the blue, green, red bytes are widened once here, not on
// every paint.
void CDestview::ConvertStale(const QRegion& wanted) {
    const WendralState& s = app_.State();
    if (image_.isNull() || stale_.isEmpty()) return;
    const QRegion now = stale_.intersected(wanted);
    if (now.isEmpty()) return;
    for (const QRect& part : now) {
        convertedRows_ += part.height();
        const std::size_t columns = static_cast<std::size_t>(part.width());
        for (int y = part.top(); y <= part.bottom(); ++y)
            WidenRow(s.DestinationStore() + s.DestOffset(part.left(), y),
                     reinterpret_cast<std::uint32_t*>(image_.scanLine(y)) + part.left(), columns);
    }
    stale_ -= now;
}

const QImage& CDestview::ShownImage() {
    if (app_.State().PicturePresent() && image_.isNull()) MarkStale(QRect());
    ConvertStale(image_.rect());
    return image_;
}

std::optional<QRect> CDestview::RubberBandRect() const {
    if (!drag_->band) return std::nullopt;
    const RubberBand& b = *drag_->band;
    return QRect(QPoint(std::min(b.anchor.x, b.pointer.x), std::min(b.anchor.y, b.pointer.y)),
                 QPoint(std::max(b.anchor.x, b.pointer.x), std::max(b.anchor.y, b.pointer.y)));
}

void CDestview::paintEvent(QPaintEvent* event) {
    QPainter p(this);
    const QRect client = rect();
    if (ShowingStartupHelp == 1) {
        if (title_ != kStartupHelpTitle) {
            title_ = kStartupHelpTitle;
            emit TitleChanged(title_);
        }
        p.fillRect(client, Qt::white);
        const QImage& help = doc_.StartupHelpImage();
        if (!help.isNull()) DrawPicturePacket(p, help.rect(), help, help.rect());
        return;
    }
    const WendralState& s = app_.State();
    if (s.SourceCount == 0) {
        const QColor light(176, 192, 223);
        p.fillRect(client, light);
        p.setBackgroundMode(Qt::OpaqueMode);
        p.setBackground(light);
        p.setPen(Qt::black);
        p.drawText(QRect(10, 10, client.width(), 30), Qt::AlignLeft | Qt::AlignTop, kEmptyLine1);
        p.drawText(QRect(10, 40, client.width(), 30), Qt::AlignLeft | Qt::AlignTop, kEmptyLine2);
        return;
    }
    if (image_.isNull() || image_.width() != s.DestWidth || image_.height() != s.DestHeight)
        MarkStale(QRect());
    const QColor hatch(32, 64, 143);
    const auto margin = [&](const QRect& r) {
        p.fillRect(r, Qt::white);
        p.fillRect(r, QBrush(hatch, Qt::DiagCrossPattern));
    };
    if (s.DestWidth < client.width())
        margin(QRect(s.DestWidth, 0, client.width() - s.DestWidth, client.height()));
    if (s.DestHeight < client.height())
        margin(QRect(0, s.DestHeight, client.width(), client.height() - s.DestHeight));
    // Only the exposed part of the picture is converted and copied to the screen. What is new
    // since the last paint goes straight from the store; the rest comes from the shown image.
    const QRegion passing = std::exchange(passing_, QRegion());
    const QRect exposed = event->rect().intersected(image_.rect());
    QRegion straight;
    for (int top = exposed.top(); !image_.isNull() && top <= exposed.bottom(); top += kBandRows) {
        const QRect band(exposed.left(), top, exposed.width(),
                         std::min(kBandRows, exposed.bottom() + 1 - top));
        if ((QRegion(band) - stale_).isEmpty() && (QRegion(band) - passing).isEmpty()) {
            straight += band;
            convertedRows_ += band.height();
            continue;
        }
        ConvertStale(event->region().intersected(band));
        p.drawImage(band.topLeft(), image_, band);
    }
    if (!straight.isEmpty())
        PaintRows(p, s.DestinationStore() + s.DestOffset(0, 0),
                  -3 * static_cast<std::ptrdiff_t>(s.DestWidth), straight, passBand_);

    // While dragging the band follows the pointer; once formed, the zone keeps its band on the
    // screen so that the user sees what the next key acts on. It is never drawn into the
    // picture, so nothing saved, printed or copied carries it.
    std::optional<RubberBand> band = drag_->band;
    if (!band && zone_.HasZone() && s.BrushingEnabled == 0 && s.PicturePresent())
        band = BandBetween(Point{zone_.x1, zone_.y1}, Point{zone_.x2, zone_.y2});
    if (band) {
        const RubberBand& b = *band;
        DottedRect(p, dotRow_, dotColumn_, std::min(b.anchor.x, b.pointer.x),
                   std::min(b.anchor.y, b.pointer.y), std::max(b.anchor.x, b.pointer.x),
                   std::max(b.anchor.y, b.pointer.y));
        DottedLine(p, dotRow_, QPoint(b.centre.x - b.horizontalArm, b.centre.y),
                   2 * b.horizontalArm + 1, Qt::Horizontal);
        DottedLine(p, dotColumn_, QPoint(b.centre.x, b.centre.y - b.verticalArm),
                   2 * b.verticalArm + 1, Qt::Vertical);
    }
    if (brushOutline_ && s.BrushingEnabled == 1) {
        const BrushOutline& o = *brushOutline_;
        DottedRect(p, dotRow_, dotColumn_, o.left, o.top, o.right, o.bottom);
    }
}

namespace {

unsigned ButtonFlags(Qt::MouseButtons buttons) {
    return (buttons & Qt::LeftButton ? kLeftButton : 0u) |
           (buttons & Qt::RightButton ? kRightButton : 0u);
}

Point At(const QMouseEvent* event) {
    const QPoint p = event->position().toPoint();
    return Point{p.x(), p.y()};
}

}  // namespace

void CDestview::PressRight(Point at) {
    sampling_ = true;
    gesture_ = {at};
    ReferenceSamplingPress(app_.State(), drag_->sampling, at);
}

void CDestview::MoveRight(Point at) {
    gesture_.push_back(at);
    ReferenceSamplingMove(app_.State(), drag_->sampling, at);
    // The colour readout and the swatch follow the drag.
    app_.StateChanged();
}

void CDestview::ReleaseRight() {
    const bool sampled = std::exchange(sampling_, false);
    ReferenceSamplingRelease(app_.State(), zone_, OpenRefColourModel());
    if (CRefColourDlg* dialog = app_.MainFrame() ? app_.MainFrame()->RefColourDialog() : nullptr)
        dialog->ShowModel();
    NoteStep(QStringLiteral("Colour Sampling"));
    // A release that sampled nothing (the left button was down too, or the brush had the right
    // button) still starts the distortions afresh; the brush's own line says so already.
    if (sampled)
        RecordGesture("refdrag", {});
    else if (app_.State().BrushingEnabled == 0 && zone_.HasZone())
        app_.Recorder().Words({"levels", "0", "0", "0", "0", "0", "0"});
}

// A drag that reached the engine, as the script word that repeats it: the press's point, then
// each move's.
void CDestview::RecordGesture(const char* word, std::vector<std::string> words) {
    words.insert(words.begin(), word);
    for (const Point& p : std::exchange(gesture_, {})) {
        words.push_back(std::to_string(p.x));
        words.push_back(std::to_string(p.y));
    }
    app_.Recorder().Words(std::move(words));
}

void CDestview::mousePressEvent(QMouseEvent* event) {
    WendralState& s = app_.State();
    if (ShowingStartupHelp == 1) return;
    const unsigned button = ButtonFlags(event->button());
    if (s.BrushingEnabled == 1) {
        if (button != 0) {
            gesture_ = {At(event)};
            ShowMessages(drag_->stroke.Press(s, button));
        }
    } else if (event->button() == Qt::LeftButton) {
        drag_->band.reset();
        drag_->forming.Press(s, zone_, At(event));
        update();
    } else if (event->button() == Qt::RightButton) {
        PressRight(At(event));
    }
    app_.StateChanged();
}

void CDestview::mouseMoveEvent(QMouseEvent* event) {
    WendralState& s = app_.State();
    const unsigned buttons = ButtonFlags(event->buttons());
    if (s.BrushingEnabled == 1) {
        if (!drag_->stroke.Held()) return;
        Point pointer = At(event);
        gesture_.push_back(pointer);
        std::optional<SourceImage> one, two;
        const std::optional<BrushOutline> outline =
            drag_->stroke.Move(s, zone_, pointer, buttons, SourceImageOf(s, 1, one),
                               SourceImageOf(s, 2, two), ClientArea{width(), height()});
        if (outline) {
            brushOutline_ = outline;
            // Only the pixels under the brush changed.
            RedrawDestination(QRect(QPoint(outline->left, outline->top),
                                    QPoint(outline->right, outline->bottom)));
        }
        return;
    }
    // The button flags are exactly the right button alone only with no other button (the middle
    // one included) and neither Shift nor Ctrl held.
    const bool rightAlone = event->buttons() == Qt::RightButton &&
                            !(event->modifiers() & (Qt::ShiftModifier | Qt::ControlModifier));
    if (drag_->forming.Dragging() && !rightAlone) {
        drag_->band = drag_->forming.Move(s, zone_, At(event), width(), height());
        update();
    } else if (rightAlone) {
        MoveRight(At(event));
    }
}

void CDestview::mouseReleaseEvent(QMouseEvent* event) {
    WendralState& s = app_.State();
    const unsigned button = ButtonFlags(event->button());
    if (button != 0 && drag_->stroke.Held()) {
        drag_->stroke.Release(zone_, button);
        NoteStep(QStringLiteral("Brush Stroke"));
        if (button == kLeftButton || s.SourceCount >= 2) {
            RecordGesture("brush", {button == kLeftButton ? "1" : "2"});
        } else {
            // Without a source 2 the right button paints nothing; its release still starts the
            // distortions afresh.
            gesture_.clear();
            app_.Recorder().Words({"levels", "0", "0", "0", "0", "0", "0"});
        }
    }
    if (event->button() == Qt::LeftButton) {
        drag_->band.reset();
        if (drag_->forming.Release(s, zone_, At(event), width(), height())) {
            UpdateDestinationTitle();
            NoteStep(QStringLiteral("Zone"));
            app_.Recorder().Words({"zone", std::to_string(zone_.x1), std::to_string(zone_.y1),
                                   std::to_string(zone_.x2), std::to_string(zone_.y2)});
        }
        update();
    } else if (event->button() == Qt::RightButton) {
        ReleaseRight();
    }
    app_.StateChanged();
}

// The brush keeps inside the window: a recorded session says how large it is.
void CDestview::resizeEvent(QResizeEvent* event) {
    QWidget::resizeEvent(event);
    app_.Recorder().Words({"view", std::to_string(width()), std::to_string(height())});
}

// ---- CDestchild ----

CDestchild::CDestchild(CWendralApp& app) : app_(app), doc_(app) {
    setAttribute(Qt::WA_DeleteOnClose, false);
    toolbar_ = PutViewUnderToolBar(
        *this, "Destination", app.MainFrame()->Router(), DestinationToolbar(), kDestinationButton,
        [&](QMainWindow* inner) { return view_ = new CDestview(app, doc_, inner); });
    setWindowTitle(kStartupHelpTitle);
    connect(view_, &CDestview::TitleChanged, this, [this](const QString& t) {
        setWindowTitle(t);
        app_.StateChanged();
    });
    AddToolBarFrameCommands(*this, *this, *toolbar_, view_, [view = view_] { view->WhatNow(); });
    QSize screen(1024, 768);
    if (QScreen* primary = QGuiApplication::primaryScreen()) screen = primary->size();
    resize(screen.width() * 5 / 8, screen.height() * 5 / 8);
    app.SetDestination(this);
}

CDestchild::~CDestchild() {
    if (app_.DestFrame() == this) app_.SetDestination(nullptr);
}

void CDestchild::closeEvent(QCloseEvent* event) {
    ShowMessage(kDestinationClosing);
    event->ignore();
}

// ---- Template 130 ----

bool DestinationTemplate::OpenDocumentFile(const QString& path) {
    auto* frame = new CDestchild(app_);
    if (!path.isEmpty() && !frame->Document().OpenStartupHelp(path)) {
        delete frame;
        return false;
    }
    app_.MainFrame()->AddSubWindow(frame);
    app_.MainFrame()->BringToTop(frame);
    return true;
}

}  // namespace wendral::app
