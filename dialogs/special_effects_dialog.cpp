#include "dialogs/special_effects_dialog.h"

#include <QGridLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLinearGradient>
#include <QMouseEvent>
#include <QPainter>
#include <QSignalBlocker>
#include <QStyleOption>
#include <QStylePainter>
#include <QVBoxLayout>

#include "dialogs/busy_cursor.h"

namespace wendral::app {

// ---- CSpinButton ----

CSpinButton::CSpinButton(QWidget* parent) : QAbstractSlider(parent) {
    setOrientation(Qt::Horizontal);
    setFocusPolicy(Qt::StrongFocus);
    setMouseTracking(true);
    setSingleStep(1);
    setPageStep(5);
    setSizePolicy(QSizePolicy::Fixed, QSizePolicy::Fixed);
}

QSize CSpinButton::sizeHint() const {
    const int h = fontMetrics().height() + 8;
    return QSize(2 * h + 2, h);
}

QRect CSpinButton::ArrowRect(int direction) const {
    const int half = width() / 2;
    return direction < 0 ? QRect(0, 0, half, height()) : QRect(half, 0, width() - half, height());
}

int CSpinButton::ArrowAt(const QPoint& at) const {
    if (ArrowRect(-1).contains(at)) return -1;
    if (ArrowRect(1).contains(at)) return 1;
    return 0;
}

void CSpinButton::paintEvent(QPaintEvent*) {
    QStylePainter p(this);
    for (int direction : {-1, 1}) {
        QStyleOptionButton button;
        button.initFrom(this);
        button.rect =
            ArrowRect(direction).adjusted(direction < 0 ? 0 : 1, 0, direction < 0 ? -1 : 0, 0);
        button.state &= ~(QStyle::State_HasFocus | QStyle::State_MouseOver);
        button.state |= pressed_ == direction ? QStyle::State_Sunken : QStyle::State_Raised;
        if (hovered_ == direction && isEnabled()) button.state |= QStyle::State_MouseOver;
        p.drawPrimitive(QStyle::PE_PanelButtonCommand, button);
        QStyleOption arrow;
        arrow.initFrom(this);
        const int inset = button.rect.height() / 4;
        arrow.rect = button.rect.adjusted(inset, inset, -inset, -inset);
        if (pressed_ == direction) arrow.rect.translate(1, 1);
        p.drawPrimitive(
            direction < 0 ? QStyle::PE_IndicatorArrowLeft : QStyle::PE_IndicatorArrowRight, arrow);
    }
    // The style's dotted focus rectangle is hard to see on two small buttons: a ring in the
    // highlight colour round both, as line edits show focus.
    if (hasFocus()) {
        p.setRenderHint(QPainter::Antialiasing);
        p.setPen(QPen(palette().color(QPalette::Highlight), 1.5));
        p.setBrush(Qt::NoBrush);
        p.drawRoundedRect(QRectF(rect()).adjusted(0.75, 0.75, -0.75, -0.75), 3, 3);
    }
}

void CSpinButton::mousePressEvent(QMouseEvent* event) {
    if (event->button() != Qt::LeftButton || pressed_ != 0) return event->ignore();
    pressed_ = ArrowAt(event->position().toPoint());
    if (pressed_ == 0) return;
    update();
    const SliderAction step = pressed_ < 0 ? SliderSingleStepSub : SliderSingleStepAdd;
    triggerAction(step);
    setRepeatAction(step, 400, 100);
}

void CSpinButton::mouseMoveEvent(QMouseEvent* event) {
    const int over = ArrowAt(event->position().toPoint());
    if (over != hovered_) {
        hovered_ = over;
        update();
    }
}

void CSpinButton::leaveEvent(QEvent*) {
    hovered_ = 0;
    update();
}

void CSpinButton::mouseReleaseEvent(QMouseEvent* event) {
    if (event->button() != Qt::LeftButton || pressed_ == 0) return event->ignore();
    setRepeatAction(SliderNoAction);
    pressed_ = 0;
    update();
    emit StepEnded();
}

void CSpinButton::keyReleaseEvent(QKeyEvent* event) {
    switch (event->key()) {
        case Qt::Key_Left:
        case Qt::Key_Right:
        case Qt::Key_Up:
        case Qt::Key_Down:
        case Qt::Key_PageUp:
        case Qt::Key_PageDown:
        case Qt::Key_Home:
        case Qt::Key_End:
            if (!event->isAutoRepeat()) emit StepEnded();
            return;
        default:
            return QAbstractSlider::keyReleaseEvent(event);
    }
}

// ---- CSpecialEffectsDlg ----

namespace {

// Picture 235, behind the spin buttons: a glass-like panel that names what each button does.
class EffectsPicture : public QWidget {
  public:
    using QWidget::QWidget;

  protected:
    void paintEvent(QPaintEvent*) override {
        QPainter p(this);
        p.setRenderHint(QPainter::Antialiasing);
        const QRectF r = QRectF(rect()).adjusted(0.5, 0.5, -0.5, -0.5);
        QLinearGradient glass(r.topLeft(), r.bottomRight());
        glass.setColorAt(0, QColor(236, 243, 250));
        glass.setColorAt(0.5, QColor(214, 228, 242));
        glass.setColorAt(1, QColor(196, 214, 234));
        p.setPen(QPen(QColor(120, 140, 170), 1));
        p.setBrush(glass);
        p.drawRoundedRect(r, 6, 6);
        // Light streaks across the panel, as through ribbed glass.
        p.setClipRect(r.adjusted(2, 2, -2, -2));
        p.setPen(QPen(QColor(255, 255, 255, 90), 3));
        for (qreal x = -r.height(); x < r.width(); x += 23)
            p.drawLine(QPointF(x, r.bottom()), QPointF(x + r.height() * 0.6, r.top()));
    }
};

const char* Caption(SpecialParam p) {
    switch (p) {
        case SpecialParam::XorShift:
            return "Colour shear";
        case SpecialParam::SumShift:
            return "Brightness shear";
        case SpecialParam::OrDrop:
            return "Colour drop";
        case SpecialParam::StreakRun:
            return "Vitreous streaks";
        case SpecialParam::Jitter:
            break;
    }
    return "Vitreous jitter";
}

}  // namespace

CSpecialEffectsDlg::CSpecialEffectsDlg(WendralState& state, DestinationPreview& view,
                                       QWidget* parent)
    : SnapshotDialog(kSpecialEffectsDialogTitle, state, view, parent) {
    auto* grid = new QGridLayout;
    grid->setVerticalSpacing(fontMetrics().height() / 2);
    const int pad = fontMetrics().averageCharWidth() * 2;
    // Added first, so that it lies under the captions and buttons of its cells.
    grid->addWidget(new EffectsPicture(this), 0, 0, static_cast<int>(kSpecialParams.size()) + 2, 2);
    grid->setRowMinimumHeight(0, pad / 2);
    const QString valueWidth = QStringLiteral("000");
    int row = 1;
    for (const SpecialParamInfo& info : kSpecialParams) {
        const int i = static_cast<int>(info.param);
        auto* caption = new QLabel(Caption(info.param), this);
        caption->setContentsMargins(pad, 0, pad, 0);
        auto* spin = new CSpinButton(this);
        spin->setObjectName(QStringLiteral("spin%1").arg(info.controlId));
        spin->setAccessibleName(Caption(info.param));
        spin->setRange(0, info.maximum);
        auto* value = new QLabel("0", this);
        value->setObjectName(QStringLiteral("value%1").arg(info.controlId));
        value->setFrameStyle(QFrame::StyledPanel | QFrame::Sunken);
        value->setAlignment(Qt::AlignCenter);
        value->setMinimumWidth(value->fontMetrics().horizontalAdvance(valueWidth) + 8);
        caption->setBuddy(spin);
        const SpecialParam which = info.param;
        connect(spin, &QAbstractSlider::valueChanged, this, [this, which](int position) {
            const BusyCursor busy;
            model_.ParameterChanged(which, position);
            ShowPositions();
            ShowPreview();
        });
        connect(spin, &CSpinButton::StepEnded, this, &CSpecialEffectsDlg::Render);
        grid->addWidget(caption, row, 0);
        grid->addWidget(spin, row, 1, Qt::AlignLeft | Qt::AlignVCenter);
        grid->addWidget(value, row, 2);
        spins_[i] = spin;
        values_[i] = value;
        ++row;
    }
    grid->setRowMinimumHeight(row, pad / 2);
    grid->setColumnMinimumWidth(1, spins_[0]->sizeHint().width() + pad);

    QVBoxLayout* top = LayOutWithOkReset(grid, 271, ResetSide::Left);
    auto* note = new QLabel(kVitreousNote, this);
    note->setWordWrap(true);
    top->addSpacing(fontMetrics().height() / 2);
    top->addWidget(note);
}

// The end notification renders as the position notification did.
void CSpecialEffectsDlg::Render() {
    const BusyCursor busy;
    model_.Render();
    ShowPreview();
}

void CSpecialEffectsDlg::ShowPositions() {
    for (const SpecialParamInfo& info : kSpecialParams) {
        const int i = static_cast<int>(info.param);
        const QSignalBlocker quiet(spins_[i]);
        spins_[i]->setValue(model_.Position(info.param));
        values_[i]->setText(QString::number(model_.Position(info.param)));
    }
}

}  // namespace wendral::app
