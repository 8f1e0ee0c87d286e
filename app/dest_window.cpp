#include "app/dest_window.h"

#include <QCloseEvent>
#include <QGuiApplication>
#include <QMainWindow>
#include <QMouseEvent>
#include <QPainter>
#include <QScreen>
#include <QToolBar>
#include <cstring>

#include "app/background.h"
#include "app/busy_cursor.h"
#include "app/commands.h"
#include "app/main_frame.h"
#include "app/message_service.h"
#include "app/packet_image.h"
#include "app/toolbar_icons.h"
#include "app/wendral_app.h"
#include "core/colour_pull.h"
#include "core/radial_distort.h"
#include "core/sources.h"

namespace wendral::app {

// ---- CDestdoc ----

CDestdoc::CDestdoc(CWendralApp& app) : app_(app) {}

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

struct CDestview::Drag {};

CDestview::CDestview(CWendralApp& app, CDestdoc& doc, QWidget* parent)
    : QWidget(parent), app_(app), doc_(doc), drag_(std::make_unique<Drag>()) {
    WendralState& s = app_.State();
    ShowingStartupHelp = 1;
    s.BrushingEnabled = 0;
    s.DestWidth = s.DestHeight = 0;
    zone_.ResetZone();
    zone_.BrushWidth = zone_.BrushHeight = 20;
    s.DestModified = 0;
    s.ReferenceColour = Bgr{127, 127, 127};
    s.DestLocked = 0;
    setAttribute(Qt::WA_OpaquePaintEvent);
    setMouseTracking(false);
    RegisterCommands();
}

CDestview::~CDestview() { app_.State().DestLocked = 0; }

QSize CDestview::sizeHint() const { return QSize(560, 300); }

bool CDestview::PicturePresent() const { return app_.State().PicturePresent(); }
bool CDestview::NotBrushing() const { return app_.State().BrushingEnabled == 0; }

void CDestview::RegisterCommands() {
    const auto pictureAndNotBrushing = [this] { return CommandState{PicturePresent() && NotBrushing()}; };
    const auto zoneCommand = [this, pictureAndNotBrushing](int id, std::function<ZoneOutcome(WendralState&, Zone&)> f) {
        OnCommand(id, [this, f] { RunZoneCommand([this, f] { return f(app_.State(), zone_); }); },
                  pictureAndNotBrushing);
    };
    zoneCommand(kImplode, [](WendralState& s, Zone& z) { return Implode(s, z); });
    zoneCommand(kExplode, [](WendralState& s, Zone& z) { return Explode(s, z); });
    zoneCommand(kDiverge, [](WendralState& s, Zone& z) { return Diverge(s, z); });
    zoneCommand(kConverge, [](WendralState& s, Zone& z) { return Converge(s, z); });

    OnCommand(kRestoreDestination, [this] { AfterSourceOutcome(Restore(app_.State(), zone_)); },
              pictureAndNotBrushing);
    OnCommand(kLockDestination, [this] { ToggleLock(app_.State()); },
              [this] { return CommandState{PicturePresent()}; });
    OnCommand(
        kEnableBrushing,
        [this] {
            const BrushingStart start =
                StartBrushing(app_.State(), zone_, ClientArea{width(), height()});
            if (start.outcome == ZoneOutcome::AskZoneQuestion) ZoneHelpPrompt();
            brushOutline_ = start.outline;
            update();
        },
        [this] { return CommandState{true, app_.State().BrushingEnabled == 1}; });
    OnCommand(
        kDisableBrushing,
        [this] {
            StopBrushing(app_.State(), zone_);
            brushOutline_.reset();
            UpdateDestinationTitle();
            update();
        },
        [this] { return CommandState{true, app_.State().BrushingEnabled == 0}; });
    OnCommand(kDestinationToSource1,
              [this] {
                  if (SourceWindows* w = app_.Sources()) w->DestinationToSource(1);
              },
              [this] { return CommandState{PicturePresent() && NotBrushing() && app_.Sources() != nullptr}; });
    OnCommand(kDestinationToSource2,
              [this] {
                  if (SourceWindows* w = app_.Sources()) w->DestinationToSource(2);
              },
              [this] {
                  return CommandState{app_.State().SourceCount >= 1 && NotBrushing() && app_.Sources() != nullptr};
              });
}

void CDestview::RunZoneCommand(const std::function<ZoneOutcome()>& command) {
    const ZoneOutcome outcome = command();
    if (outcome == ZoneOutcome::AskZoneQuestion) {
        UpdateDestinationTitle();
        ZoneHelpPrompt();
    } else if (outcome == ZoneOutcome::Redraw) {
        RedrawDestination();
    }
    app_.StateChanged();
}

void CDestview::AfterSourceOutcome(const SourceOutcome& outcome) {
    ShowMessages(outcome.messages);
    if (SourceWindows* w = app_.Sources()) w->SourcesChanged(outcome);
    RedrawDestination();
    app_.StateChanged();
}

void CDestview::ZoneHelpPrompt() {
    if (ShowMessage(kZoneQuestion, MessageButtons::YesNo) == MessageAnswer::Yes)
        // No help viewer is installed with the program.
        ShowMessage(kZoneHelpFailed);
}

void CDestview::DropStartupHelp() {
    doc_.DropStartupHelp();
    ShowingStartupHelp = 0;
    RedrawDestination();
}

void CDestview::UpdateDestinationTitle() {
    const WendralState& s = app_.State();
    QString title = "Destination Window";
    if (s.DestModified == 1) title += "  <modified>";
    if (!zone_.HasZone() && s.SourceCount != 0) title += "  <no zone set>";
    if (title != title_) {
        title_ = title;
        emit TitleChanged(title_);
    }
}

void CDestview::RedrawDestination() {
    imageStale_ = true;
    RedrawDestination(QRect());
}

void CDestview::RedrawDestination(const QRect& changed) {
    if (!changed.isNull()) SyncImage(changed);
    if (ShowingStartupHelp == 0) {
        UpdateDestinationTitle();
        WendralState& s = app_.State();
        if (s.SourceCount == 0) {
            s.DestWidth = s.DestHeight = 0;
            s.ReferenceColour = Bgr{127, 127, 127};
        }
    }
    update();
}

// Only the rows and columns that changed are converted; a new size converts everything.
void CDestview::SyncImage(const QRect& changed) {
    const WendralState& s = app_.State();
    if (!s.PicturePresent()) {
        image_ = QImage();
        imageStale_ = false;
        return;
    }
    if (imageStale_ || image_.width() != s.DestWidth || image_.height() != s.DestHeight) {
        image_ = BottomUpImage(s.DestinationStore(), 3 * static_cast<std::size_t>(s.DestWidth), s.DestWidth,
                               s.DestHeight);
        imageStale_ = false;
        return;
    }
    const QRect part = changed.intersected(image_.rect());
    for (int y = part.top(); y <= part.bottom(); ++y)
        std::memcpy(image_.scanLine(y) + 3 * part.left(), s.DestinationStore() + s.DestOffset(part.left(), y),
                    3 * static_cast<std::size_t>(part.width()));
}

std::optional<QRect> CDestview::RubberBandRect() const { return std::nullopt; }

void CDestview::paintEvent(QPaintEvent*) {
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
    WendralState& s = app_.State();
    if (s.SourceCount == 0) {
        s.DestWidth = s.DestHeight = 0;
        s.ReferenceColour = Bgr{127, 127, 127};
        const QColor light(176, 192, 223);
        p.fillRect(client, light);
        p.setBackgroundMode(Qt::OpaqueMode);
        p.setBackground(light);
        p.setPen(Qt::black);
        p.drawText(QRect(10, 10, client.width(), 30), Qt::AlignLeft | Qt::AlignTop, kEmptyLine1);
        p.drawText(QRect(10, 40, client.width(), 30), Qt::AlignLeft | Qt::AlignTop, kEmptyLine2);
        return;
    }
    if (imageStale_) SyncImage(QRect());
    const QColor hatch(32, 64, 143);
    const auto margin = [&](const QRect& r) {
        p.fillRect(r, Qt::white);
        p.fillRect(r, QBrush(hatch, Qt::DiagCrossPattern));
    };
    if (s.DestWidth < client.width()) margin(QRect(s.DestWidth, 0, client.width() - s.DestWidth, client.height()));
    if (s.DestHeight < client.height())
        margin(QRect(0, s.DestHeight, client.width(), client.height() - s.DestHeight));
    if (!image_.isNull()) p.drawImage(0, 0, image_);
}

void CDestview::mousePressEvent(QMouseEvent* event) { QWidget::mousePressEvent(event); }
void CDestview::mouseMoveEvent(QMouseEvent* event) { QWidget::mouseMoveEvent(event); }
void CDestview::mouseReleaseEvent(QMouseEvent* event) { QWidget::mouseReleaseEvent(event); }

// ---- CDestchild ----

CDestchild::CDestchild(CWendralApp& app) : app_(app), doc_(app) {
    setAttribute(Qt::WA_DeleteOnClose, false);
    inner_ = new QMainWindow;
    inner_->setWindowFlags(Qt::Widget);
    toolbar_ = new QToolBar("Destination", inner_);
    toolbar_->setAllowedAreas(Qt::AllToolBarAreas);
    FillToolBar(*toolbar_, app.MainFrame()->Router(), DestinationToolbar(), kDestinationButton);
    inner_->addToolBar(Qt::TopToolBarArea, toolbar_);
    view_ = new CDestview(app, doc_, inner_);
    inner_->setCentralWidget(view_);
    setWidget(inner_);
    setWindowTitle(kStartupHelpTitle);
    connect(view_, &CDestview::TitleChanged, this, [this](const QString& t) {
        setWindowTitle(t);
        app_.StateChanged();
    });
    OnCommand(
        kViewToolbar, [this] { toolbar_->setVisible(!toolbar_->isVisible()); },
        [this] { return CommandState{true, toolbar_->isVisible()}; });
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
