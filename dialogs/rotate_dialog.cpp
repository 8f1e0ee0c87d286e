#include "dialogs/rotate_dialog.h"

#include <QFocusEvent>
#include <QGridLayout>
#include <QLabel>
#include <QLineEdit>
#include <QMouseEvent>
#include <QPainter>
#include <QPainterPath>
#include <QPushButton>
#include <QRadialGradient>
#include <QVBoxLayout>
#include <climits>
#include <cmath>
#include <optional>

#include "dialogs/busy_cursor.h"
#include "dialogs/message_service.h"
#include "dialogs/scaling_dialog.h"

namespace wendral::app {

namespace {

// The dial's drawing, in pixels from the centre of the marker's track.
constexpr int kSide = 148;
constexpr double kBezel = 71;
constexpr double kTickOuter = 64;
constexpr double kTrackOuter = 55.5;
constexpr double kTrackInner = 40.5;
constexpr double kLabelRadius = 29;
const QColor kTrackGrey(128, 128, 128);
const QColor kMarkerWhite(255, 255, 255);
const QColor kBusyRed(255, 0, 0);
const QColor kDoneBrown(128, 64, 0);

// The centre of the track: the marker's box lies at kMarkerOrigin less the radius vector.
constexpr QPointF kTrackCentre(kMarkerOriginX + kMarkerSize / 2.0,
                               kMarkerOriginY + kMarkerSize / 2.0);

QRectF BoxRect(const DialBox& b) {
    return QRectF(b.left, b.top, b.right - b.left, b.bottom - b.top);
}

// A point at `radius` from the centre in the direction of `degrees`: 0 up, growing clockwise
// as the dial's angles do.
QPointF OnDial(double degrees, double radius) {
    const double a = degrees * M_PI / 180;
    return kTrackCentre + QPointF(radius * std::sin(a), -radius * std::cos(a));
}

QRectF Circle(double radius) {
    return QRectF(kTrackCentre - QPointF(radius, radius), QSizeF(2 * radius, 2 * radius));
}

}  // namespace

// ---- CRotateDial ----

CRotateDial::CRotateDial(const RotateDialogState& model, QWidget* parent)
    : QWidget(parent), model_(model) {
    setObjectName("dial167");
    setAccessibleName("Rotation dial");
    setSizePolicy(QSizePolicy::Fixed, QSizePolicy::Fixed);
    // The dialog takes the mouse on the dial: a drag may start anywhere in it.
    setAttribute(Qt::WA_TransparentForMouseEvents);
}

QSize CRotateDial::sizeHint() const {
    return QSize(kSide, kSide);
}

QPoint CRotateDial::Offset() const {
    return QPoint(width() / 2, height() / 2) - kTrackCentre.toPoint();
}

QPoint CRotateDial::ToDial(const QPoint& widgetPoint) const {
    return widgetPoint - Offset();
}
QPoint CRotateDial::FromDial(const QPoint& dialPoint) const {
    return dialPoint + Offset();
}

void CRotateDial::SetLight(Light light) {
    light_ = light;
    // Red must reach the screen before the picture turns, which holds the event loop.
    if (light == Light::Busy) {
        repaint();
    } else {
        update();
    }
}

void CRotateDial::paintEvent(QPaintEvent*) {
    QPainter p(this);
    p.setRenderHint(QPainter::Antialiasing);
    p.setRenderHint(QPainter::TextAntialiasing);
    p.translate(Offset());

    // The bezel, lit from the top left.
    QLinearGradient metal(OnDial(315, kBezel), OnDial(135, kBezel));
    metal.setColorAt(0, QColor(246, 246, 246));
    metal.setColorAt(1, QColor(132, 136, 142));
    p.setPen(QPen(QColor(90, 94, 100), 1));
    p.setBrush(metal);
    p.drawEllipse(Circle(kBezel - 0.5));
    QRadialGradient face(kTrackCentre, kTickOuter + 1);
    face.setColorAt(0, QColor(62, 67, 75));
    face.setColorAt(1, QColor(34, 37, 42));
    p.setPen(Qt::NoPen);
    p.setBrush(face);
    p.drawEllipse(Circle(kTickOuter + 1.5));

    // Ticks every 10 degrees, longer every 30, longest at the four quarters.
    for (int degrees = 0; degrees < 360; degrees += 10) {
        const bool quarter = degrees % 90 == 0, major = degrees % 30 == 0;
        const double inner = quarter ? kTrackOuter + 0.5
                             : major ? kTrackOuter + 2
                                     : kTrackOuter + 4;
        p.setPen(QPen(quarter ? QColor(255, 255, 255)
                      : major ? QColor(214, 218, 224)
                              : QColor(150, 156, 166),
                      quarter ? 2.2
                      : major ? 1.5
                              : 1.0,
                      Qt::SolidLine, Qt::FlatCap));
        p.drawLine(OnDial(degrees, inner), OnDial(degrees, kTickOuter - 1));
    }

    // The track the marker runs in: the grey it is erased with.
    QPainterPath track;
    track.addEllipse(Circle(kTrackOuter));
    track.addEllipse(Circle(kTrackInner));
    p.setPen(Qt::NoPen);
    p.setBrush(kTrackGrey);
    p.drawPath(track);

    // The degrees at the quarters, inside the track.
    QFont small = font();
    small.setPointSizeF(std::max(6.0, small.pointSizeF() * 0.85));
    p.setFont(small);
    p.setPen(QColor(226, 230, 236));
    const QFontMetricsF metrics(small);
    for (int degrees : {0, 90, 180, 270}) {
        const QString text = QString::number(degrees);
        const QPointF at = OnDial(degrees, kLabelRadius);
        const QSizeF size(metrics.horizontalAdvance(text), metrics.ascent());
        p.drawText(QPointF(at.x() - size.width() / 2, at.y() + size.height() / 2 - 1), text);
    }

    // The busy light in its housing.
    const QRectF light = BoxRect(kBusyLight);
    p.setPen(QPen(QColor(18, 19, 22), 1));
    p.setBrush(QColor(18, 19, 22));
    p.drawRoundedRect(light.adjusted(-2.5, -2.5, 2.5, 2.5), 3, 3);
    p.setRenderHint(QPainter::Antialiasing, false);
    p.fillRect(light, light_ == Light::Busy   ? kBusyRed
                      : light_ == Light::Done ? kDoneBrown
                                              : QColor(52, 46, 42));
    p.setRenderHint(QPainter::Antialiasing);

    // The marker: the old one erased in grey, outline and fill, then the new one in white.
    const auto marker = [&p](const DialBox& box, const QColor& colour) {
        p.setPen(QPen(colour, 1));
        p.setBrush(colour);
        p.drawEllipse(BoxRect(box).adjusted(0.5, 0.5, -0.5, -0.5));
    };
    if (const std::optional<MarkerBox> erased = model_.ErasedMarker()) marker(*erased, kTrackGrey);
    if (const std::optional<MarkerBox> shown = model_.Marker()) marker(*shown, kMarkerWhite);
}

// ---- CRotateDlg ----

CRotateDlg::CRotateDlg(WendralState& state, DestinationPreview& view, QWidget* parent)
    : EffectDialog(kRotateDialogTitle, view, parent), model_(state, view.PreviewZone()) {
    auto* warning = new QLabel(kRotateWarning, this);
    warning->setObjectName("text286");
    warning->setAlignment(Qt::AlignHCenter | Qt::AlignVCenter);

    QPushButton* ok = AddButton(1, "OK");
    QPushButton* cancel = AddButton(2, "Cancel");
    QPushButton* apply = AddButton(253, "Apply");
    connect(ok, &QPushButton::clicked, this, &CRotateDlg::accept);
    connect(cancel, &QPushButton::clicked, this, &CRotateDlg::reject);
    connect(apply, &QPushButton::clicked, this, &CRotateDlg::Apply);

    edit_ = new QLineEdit("0", this);
    edit_->setObjectName("edit228");
    edit_->setAccessibleName("Degrees");
    edit_->setAlignment(Qt::AlignRight);
    edit_->installEventFilter(this);

    dial_ = new CRotateDial(model_, this);
    model_.SetBusyLight([this](bool turning) {
        if (turning) {
            busy_.emplace();
        } else {
            busy_.reset();
        }
        dial_->SetLight(turning ? CRotateDial::Light::Busy : CRotateDial::Light::Done);
    });

    // OK, the field and Cancel share one width, as in a row of equal keys.
    const int cell =
        std::max({ok->sizeHint().width(), cancel->sizeHint().width(),
                  edit_->fontMetrics().horizontalAdvance(QStringLiteral("-0000000")) + 12});
    for (QWidget* w : std::initializer_list<QWidget*>{ok, edit_, cancel}) w->setFixedWidth(cell);
    apply->setFixedWidth(cell + cell / 4);

    auto* grid = new QGridLayout;
    grid->addWidget(ok, 0, 0);
    grid->addWidget(edit_, 0, 1);
    grid->addWidget(cancel, 0, 2);
    grid->addWidget(apply, 1, 0, 1, 3, Qt::AlignHCenter);

    QVBoxLayout* top = TopLayout();
    top->addWidget(warning);
    top->addLayout(grid);
    top->addWidget(dial_, 0, Qt::AlignHCenter);
    setTabOrder(ok, edit_);
    setTabOrder(edit_, cancel);
    setTabOrder(cancel, apply);
    // The dialog opens ready for a number to be typed over the 0.
    edit_->setFocus();
    edit_->selectAll();
}

bool CRotateDlg::Exchange() {
    const IntegerField field = ReadIntegerField(edit_->text(), 0, 359);
    if (field.value) {
        model_.SetRotateAngle(*field.value);
        return true;
    }
    if (const std::optional<int> any = ReadIntegerField(edit_->text(), INT_MIN, INT_MAX).value)
        model_.SetRotateAngle(*any);
    exchanging_ = true;
    ShowMessage(field.refusal);
    exchanging_ = false;
    edit_->setFocus();
    edit_->selectAll();
    return false;
}

void CRotateDlg::Apply() {
    Exchange();
    model_.Rotate();
    ShowPreview();
}

// The check comes first; the picture turns even when it fails, and then the dialog stays.
void CRotateDlg::accept() {
    if (Exchange()) QDialog::accept();
    model_.Rotate();
    ShowPreview();
}

void CRotateDlg::reject() {
    edit_->setText("0");
    model_.Cancel();
    ShowPreview();
    QDialog::reject();
}

void CRotateDlg::PointerTurned(bool turned) {
    if (!turned) return;
    edit_->setText(QString::number(model_.RotateAngle()));
    ShowPreview();
}

QPoint CRotateDlg::DialPoint(const QMouseEvent* event) const {
    return dial_->ToDial(dial_->mapFrom(this, event->position().toPoint()));
}

void CRotateDlg::mousePressEvent(QMouseEvent* event) {
    if (event->button() != Qt::LeftButton) return EffectDialog::mousePressEvent(event);
    const QPoint at = DialPoint(event);
    PointerTurned(model_.Press(at.x(), at.y()));
}

void CRotateDlg::mouseMoveEvent(QMouseEvent* event) {
    const QPoint at = DialPoint(event);
    PointerTurned(model_.Move(at.x(), at.y()));
}

void CRotateDlg::mouseReleaseEvent(QMouseEvent* event) {
    if (event->button() != Qt::LeftButton) return EffectDialog::mouseReleaseEvent(event);
    model_.Release();
}

// Leaving the field by the keyboard reads it. A click on a button leaves it too, but OK and
// Apply read it themselves and Cancel needs nothing of it: one message, not two.
bool CRotateDlg::eventFilter(QObject* watched, QEvent* event) {
    if (watched == edit_ && event->type() == QEvent::FocusOut && !exchanging_) {
        const Qt::FocusReason reason = static_cast<QFocusEvent*>(event)->reason();
        if (reason == Qt::TabFocusReason || reason == Qt::BacktabFocusReason ||
            reason == Qt::ShortcutFocusReason)
            Exchange();
    }
    return EffectDialog::eventFilter(watched, event);
}

}  // namespace wendral::app
