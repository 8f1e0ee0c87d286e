#include "dialogs/ref_colour_dialog.h"

#include <QFrame>
#include <QGridLayout>
#include <QLabel>
#include <QPainter>
#include <QPushButton>
#include <QSignalBlocker>
#include <QSlider>

#include "dialogs/dialog_units.h"

namespace wendral::app {
namespace {

constexpr int kRedSlider = 256;
constexpr int kGreenSlider = 257;
constexpr int kBlueSlider = 258;
constexpr int kResetButton = 259;
constexpr int kSwatchSide = 32;

// The square of the dialog's colour under "Ref.  View".
class Swatch : public QWidget {
  public:
    Swatch(const RefColourDialogState& model, QWidget* parent) : QWidget(parent), model_(model) {
        setFixedSize(kSwatchSide, kSwatchSide);
    }
    QColor Colour() const { return QColor(model_.red, model_.green, model_.blue); }

  protected:
    void paintEvent(QPaintEvent*) override { QPainter(this).fillRect(rect(), Colour()); }

  private:
    const RefColourDialogState& model_;
};

// The marker before a slider: a small square of the channel's own colour.
QLabel* RowMarker(const QColor& colour, QSize size, QWidget* parent) {
    QPixmap picture(size);
    picture.fill(colour);
    QPainter p(&picture);
    p.setPen(Qt::black);
    p.drawRect(picture.rect().adjusted(0, 0, -1, -1));
    p.end();
    auto* marker = new QLabel(parent);
    marker->setPixmap(picture);
    return marker;
}

}  // namespace

CRefColourDlg::CRefColourDlg(WendralState& state, QWidget* parent)
    : QDialog(parent), state_(state) {
    setWindowTitle(kRefColourDialogTitle);
    setModal(false);
    setAttribute(Qt::WA_DeleteOnClose);
    const DialogUnits du(*this);

    auto* grid = new QGridLayout(this);
    grid->setContentsMargins(du.X(3), du.Y(4), du.X(3), du.Y(4));
    grid->setHorizontalSpacing(du.X(4));
    grid->setVerticalSpacing(du.Y(4));

    const struct {
        int id;
        QColor marker;
        const char* name;
    } rows[] = {{kRedSlider, Qt::red, "Red"},
                {kGreenSlider, Qt::green, "Green"},
                {kBlueSlider, Qt::blue, "Blue"}};
    for (int row = 0; row < 3; ++row) {
        const QSize markerSize = du.Size(11, 10);
        grid->addWidget(
            RowMarker(rows[row].marker, QSize(markerSize.height(), markerSize.height()), this), row,
            0);
        auto* slider = new QSlider(Qt::Horizontal, this);
        slider->setObjectName(QStringLiteral("slider%1").arg(rows[row].id));
        slider->setAccessibleName(rows[row].name);
        slider->setRange(0, 255);
        slider->setTickPosition(QSlider::TicksBothSides);
        slider->setTickInterval(32);
        slider->setPageStep(32);
        slider->setValue(model_.red);
        slider->setMinimumWidth(du.X(60));
        grid->addWidget(slider, row, 1);
        sliders_[rows[row].id] = slider;
        connect(slider, &QSlider::valueChanged, this, &CRefColourDlg::SlidersChanged);
    }

    auto* ok = new QPushButton("OK", this);
    ok->setDefault(true);
    auto* reset = new QPushButton("Reset", this);
    reset->setAutoDefault(false);
    for (QPushButton* b : {ok, reset}) b->setMinimumWidth(du.X(50));
    buttons_[1] = ok;
    buttons_[kResetButton] = reset;
    grid->addWidget(ok, 0, 2);
    grid->addWidget(reset, 1, 2);
    connect(ok, &QPushButton::clicked, this, &QDialog::accept);
    connect(reset, &QPushButton::clicked, this, &CRefColourDlg::Reset);

    auto* caption = new QLabel("Ref.  View", this);
    caption->setTextFormat(Qt::PlainText);
    caption->setAlignment(Qt::AlignCenter);
    grid->addWidget(caption, 0, 3);
    auto* frame = new QFrame(this);
    frame->setFrameStyle(QFrame::Panel | QFrame::Sunken);
    auto* inFrame = new QGridLayout(frame);
    inFrame->setContentsMargins(2, 2, 2, 2);
    swatch_ = new Swatch(model_, frame);
    swatch_->setObjectName("swatch");
    inFrame->addWidget(swatch_);
    grid->addWidget(frame, 1, 3, 2, 1, Qt::AlignHCenter | Qt::AlignTop);
    grid->setColumnStretch(1, 1);
    // The sliders take what the whole title needs beyond the rest.
    const int titleWidth = DialogUnits::TitleWidth(*this, kRefColourDialogTitle);
    const int extra = titleWidth - grid->sizeHint().width();
    if (extra > 0) grid->setColumnMinimumWidth(1, du.X(60) + extra);
    layout()->setSizeConstraint(QLayout::SetFixedSize);
}

QSlider* CRefColourDlg::Slider(int id) const {
    auto it = sliders_.find(id);
    return it == sliders_.end() ? nullptr : it->second;
}

QPushButton* CRefColourDlg::Button(int id) const {
    auto it = buttons_.find(id);
    return it == buttons_.end() ? nullptr : it->second;
}

QColor CRefColourDlg::SwatchColour() const {
    return static_cast<const Swatch*>(swatch_)->Colour();
}

void CRefColourDlg::Load() {
    model_.Load(state_);
    ShowModel();
}

void CRefColourDlg::ShowModel() {
    for (auto [id, value] :
         {std::pair{kRedSlider, model_.red}, std::pair{kGreenSlider, model_.green},
          std::pair{kBlueSlider, model_.blue}}) {
        // Showing the colour is not a change of it.
        const QSignalBlocker quiet(sliders_[id]);
        sliders_[id]->setValue(value);
    }
    swatch_->update();
}

void CRefColourDlg::SlidersChanged() {
    model_.SlidersChanged(state_, sliders_[kRedSlider]->value(), sliders_[kGreenSlider]->value(),
                          sliders_[kBlueSlider]->value());
    swatch_->update();
    emit ColourChanged();
}

void CRefColourDlg::Reset() {
    model_.Reset(state_);
    ShowModel();
    emit ColourChanged();
}

}  // namespace wendral::app
