#include "dialogs/merge_dialog.h"

#include <QButtonGroup>
#include <QFrame>
#include <QGridLayout>
#include <QGuiApplication>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QRadioButton>
#include <QScreen>
#include <QSlider>
#include <QVBoxLayout>
#include <algorithm>

#include "dialogs/dialog_units.h"
#include "dialogs/message_service.h"

namespace wendral::app {
namespace {

QLabel* Caption(const QString& text, QWidget* parent) {
    auto* label = new QLabel(text, parent);
    label->setTextFormat(Qt::PlainText);
    label->setAlignment(Qt::AlignCenter);
    label->setFrameShape(QFrame::Box);
    label->setContentsMargins(6, 1, 6, 1);
    return label;
}

QLabel* CentredText(const QString& text, QWidget* parent) {
    auto* label = new QLabel(text, parent);
    label->setTextFormat(Qt::PlainText);
    label->setAlignment(Qt::AlignCenter);
    return label;
}

QFrame* SunkenFrame(QWidget* parent) {
    auto* frame = new QFrame(parent);
    frame->setFrameStyle(QFrame::Box | QFrame::Sunken);
    return frame;
}

// A slider with ticks above and below, in a thin border of its own.
QSlider* BorderedSlider(int id, int maximum, int start, int tickEvery, int minimumWidth,
                        QLayout& into, QWidget* parent) {
    auto* border = new QFrame(parent);
    border->setFrameStyle(QFrame::Box | QFrame::Plain);
    auto* slider = new QSlider(Qt::Horizontal, border);
    slider->setObjectName(QStringLiteral("slider%1").arg(id));
    slider->setRange(0, maximum);
    slider->setTickPosition(QSlider::TicksBothSides);
    slider->setTickInterval(tickEvery);
    slider->setPageStep(tickEvery);
    slider->setValue(start);
    slider->setMinimumWidth(minimumWidth);
    auto* layout = new QHBoxLayout(border);
    layout->setContentsMargins(2, 1, 2, 1);
    layout->addWidget(slider);
    into.addWidget(border);
    return slider;
}

}  // namespace

CMergeDlg::CMergeDlg(WendralState& state, std::function<void()> merge, QWidget* parent)
    : QDialog(parent), model_(state), merge_(std::move(merge)) {
    setWindowTitle(kMergeDialogTitle);
    setModal(true);
    const DialogUnits du(*this);

    const auto radio = [this](int id, const char* text, QWidget* owner) {
        auto* b = new QRadioButton(QString::fromUtf8(text), owner);
        b->setObjectName(QStringLiteral("radio%1").arg(id));
        controls_[id] = b;
        return b;
    };

    // Each frame holds its radio buttons, indented as the ones above it, and at its foot a
    // slider under its caption.
    const int frameMargin = du.X(7);
    const int indent = du.X(15);
    const auto frameColumns = [&](QFrame* frame, QVBoxLayout*& buttons) {
        auto* column = new QVBoxLayout(frame);
        column->setContentsMargins(frameMargin, du.Y(4), frameMargin, du.Y(4));
        buttons = new QVBoxLayout;
        buttons->setContentsMargins(indent - frameMargin, 0, 0, 0);
        column->addLayout(buttons);
        column->addStretch(1);
        return column;
    };

    // Merge method: the two copies above a sunken frame holding the other rules and the bias.
    auto* types = new QButtonGroup(this);
    auto* typeFrame = SunkenFrame(this);
    QVBoxLayout* typeButtons = nullptr;
    QVBoxLayout* typeColumn = frameColumns(typeFrame, typeButtons);
    const MergeRule& copy1 = *SelectedMergeRule(kMergeCopy1Bit);
    const MergeRule& copy2 = *SelectedMergeRule(kMergeCopy2Bit);
    QRadioButton* copies[2] = {radio(copy1.controlId, copy1.dialogText, this),
                               radio(copy2.controlId, copy2.dialogText, this)};
    types->addButton(copies[0], static_cast<int>(copy1.bit));
    types->addButton(copies[1], static_cast<int>(copy2.bit));
    // The rules in the frame, top to bottom, as the dialog lists them.
    for (unsigned bit : {kMergeGreatestBit, kMergeAverageBit, kMergeLeastBit, kMergeSub12Bit,
                         kMergeSub21Bit, kMergeRef12Bit, kMergeRef21Bit}) {
        const MergeRule& r = *SelectedMergeRule(bit);
        QRadioButton* b = radio(r.controlId, r.dialogText, typeFrame);
        types->addButton(b, static_cast<int>(r.bit));
        typeButtons->addWidget(b);
    }
    typeColumn->addWidget(CentredText("Src 1    <-- -  BIAS  --- >    Src 2", typeFrame));
    bias_ = BorderedSlider(287, 255, MergeDialogModel::kBiasStart, 32, du.X(100), *typeColumn,
                           typeFrame);

    // Contrast method: normal above a sunken frame holding the infinite ones and the threshold.
    auto* contrasts = new QButtonGroup(this);
    auto* contrastFrame = SunkenFrame(this);
    QVBoxLayout* contrastButtons = nullptr;
    QVBoxLayout* contrastColumn = frameColumns(contrastFrame, contrastButtons);
    QRadioButton* normal = nullptr;
    for (const ContrastMethod& c : kContrastMethods) {
        const bool inFrame = c.bit != kContrastNormalBit;
        QRadioButton* b =
            radio(c.controlId, c.dialogText, inFrame ? static_cast<QWidget*>(contrastFrame) : this);
        contrasts->addButton(b, static_cast<int>(c.bit));
        if (inFrame)
            contrastButtons->addWidget(b);
        else
            normal = b;
    }
    contrastColumn->addWidget(CentredText("Infinite contrast threshold %", contrastFrame));
    threshold_ = BorderedSlider(288, 100, MergeDialogModel::kThresholdSliderStart, 10, du.X(100),
                                *contrastColumn, contrastFrame);

    auto* ok = new QPushButton("OK", this);
    ok->setObjectName("button1");
    ok->setDefault(true);
    ok->setMinimumWidth(du.X(50));
    controls_[1] = ok;

    auto* grid = new QGridLayout;
    grid->setHorizontalSpacing(du.X(9));
    grid->setVerticalSpacing(du.Y(3));
    grid->addWidget(Caption("Merge method", this), 0, 0, Qt::AlignHCenter);
    grid->addWidget(Caption("Contrast Method", this), 0, 1, Qt::AlignHCenter);
    const auto indented = [indent](QWidget* w) {
        auto* row = new QHBoxLayout;
        row->setContentsMargins(indent, 0, 0, 0);
        row->addWidget(w);
        return row;
    };
    grid->addLayout(indented(copies[0]), 1, 0);
    grid->addLayout(indented(copies[1]), 2, 0);
    grid->addLayout(indented(normal), 2, 1);
    grid->addWidget(typeFrame, 3, 0);
    grid->addWidget(contrastFrame, 3, 1);
    grid->setRowStretch(3, 1);
    grid->setColumnStretch(0, 1);
    grid->setColumnStretch(1, 1);

    auto* outer = new QVBoxLayout(this);
    outer->setContentsMargins(du.X(5), du.Y(4), du.X(5), du.Y(4));
    // Wide enough for the whole title, which says what goes where, with the window's buttons.
    const int titleWidth = DialogUnits::TitleWidth(*this, kMergeDialogTitle);
    for (int column : {0, 1}) grid->setColumnMinimumWidth(column, titleWidth / 2);
    outer->addLayout(grid, 1);
    outer->addWidget(ok, 0, Qt::AlignHCenter);
    layout()->setSizeConstraint(QLayout::SetFixedSize);

    QAbstractButton* average = controls_[SelectedMergeRule(kMergeAverageBit)->controlId];
    average->setChecked(true);
    normal->setChecked(true);

    // The controls in the dialog's own order: the rules, the contrast methods, OK, then the
    // threshold before the bias.
    QWidget* order[] = {controls_[224],
                        controls_[225],
                        controls_[208],
                        controls_[210],
                        controls_[211],
                        controls_[213],
                        controls_[214],
                        controls_[293],
                        controls_[294],
                        controls_[221],
                        controls_[219],
                        controls_[220],
                        ok,
                        threshold_,
                        bias_};
    for (std::size_t i = 1; i < std::size(order); ++i) setTabOrder(order[i - 1], order[i]);
    average->setFocus();

    connect(types, &QButtonGroup::idClicked, this,
            [this](int bit) { Follow(model_.ChooseMergeType(static_cast<unsigned>(bit))); });
    connect(contrasts, &QButtonGroup::idClicked, this,
            [this](int bit) { Follow(model_.ChooseContrast(static_cast<unsigned>(bit))); });
    // Every movement of either slider, by mouse, wheel or key, even one that leaves it where it
    // was, before the slider takes its new value.
    for (QSlider* s : {bias_, threshold_})
        connect(s, &QSlider::actionTriggered, this, [this] {
            Follow(model_.SlidersMoved(bias_->sliderPosition(), threshold_->sliderPosition()));
        });
    connect(ok, &QPushButton::clicked, this, &CMergeDlg::accept);

    // The dialog's place, from the main window's corner, kept on the screen.
    adjustSize();
    QPoint at = du.Point(400, 400);
    if (parent) at += parent->window()->geometry().topLeft();
    if (const QScreen* screen = parent ? parent->screen() : QGuiApplication::primaryScreen()) {
        const QRect room = screen->availableGeometry();
        at.setX(std::clamp(at.x(), room.left(),
                           std::max(room.left(), room.right() - frameGeometry().width())));
        at.setY(std::clamp(at.y(), room.top(),
                           std::max(room.top(), room.bottom() - frameGeometry().height())));
    }
    move(at);
}

QAbstractButton* CMergeDlg::Control(int id) const {
    auto it = controls_.find(id);
    return it == controls_.end() ? nullptr : it->second;
}

void CMergeDlg::Follow(bool mergeNow) {
    // setValue, unlike a user's move, notifies nothing.
    bias_->setValue(model_.BiasSliderPosition());
    threshold_->setValue(model_.ThresholdSliderPosition());
    if (mergeNow && merge_) merge_();
}

void CMergeDlg::accept() {
    Messages messages;
    if (!model_.Ok(messages)) {
        ShowMessages(messages);
        return;
    }
    QDialog::accept();
    if (merge_) merge_();
}

}  // namespace wendral::app
