#include "dialogs/brightness_dialog.h"

#include <QGridLayout>
#include <QLabel>
#include <QPainter>
#include <QSignalBlocker>
#include <QSlider>

namespace wendral::app {

namespace {

// The marker of a row of channel sliders: a swatch of the channel's colour.
class RowMarker : public QWidget {
  public:
    RowMarker(QColor colour, const QString& name, QWidget* parent)
        : QWidget(parent), colour_(colour) {
        setAccessibleName(name);
        const int side = fontMetrics().height();
        setFixedSize(side, side);
    }

  protected:
    void paintEvent(QPaintEvent*) override {
        QPainter p(this);
        p.setRenderHint(QPainter::Antialiasing);
        const QRectF r = QRectF(rect()).adjusted(1.5, 1.5, -1.5, -1.5);
        p.setPen(QPen(colour_.darker(170), 1));
        p.setBrush(colour_);
        p.drawRoundedRect(r, 3, 3);
    }

  private:
    QColor colour_;
};

const char* SliderName(ToneSlider s) {
    switch (s) {
        case ToneSlider::MasterBrightness:
            return "Brightness of all channels";
        case ToneSlider::RedBrightness:
            return "Red brightness";
        case ToneSlider::GreenBrightness:
            return "Green brightness";
        case ToneSlider::BlueBrightness:
            return "Blue brightness";
        case ToneSlider::MasterContrast:
            return "Contrast of all channels";
        case ToneSlider::RedContrast:
            return "Red contrast";
        case ToneSlider::GreenContrast:
            return "Green contrast";
        case ToneSlider::BlueContrast:
            return "Blue contrast";
        case ToneSlider::GammaBend:
            break;
    }
    return "Gamma adjustment";
}

}  // namespace

CBrightnessDlg::CBrightnessDlg(WendralState& state, DestinationPreview& view, QWidget* parent)
    : SnapshotDialog(kBrightnessDialogTitle, state, view, parent) {
    // Wide enough to place a slider to the step at this font, about twice the original's.
    const int sliderWidth = fontMetrics().averageCharWidth() * 20;
    for (const ToneSliderInfo& info : kToneSliders) {
        auto* slider = new QSlider(Qt::Horizontal, this);
        slider->setObjectName(QStringLiteral("slider%1").arg(info.controlId));
        slider->setAccessibleName(SliderName(info.slider));
        slider->setRange(info.minimum, info.maximum);
        slider->setTickPosition(QSlider::TicksBothSides);
        slider->setTickInterval(info.tickSpacing);
        slider->setSingleStep(1);
        slider->setPageStep(info.tickSpacing);
        slider->setValue(info.initial);
        slider->setMinimumWidth(sliderWidth);
        const ToneSlider which = info.slider;
        connect(slider, &QSlider::valueChanged, this, [this, which](int position) {
            model_.SliderMoved(which, position);
            ShowPositions();
            ShowPreview();
        });
        sliders_[static_cast<int>(which)] = slider;
    }

    auto* grid = new QGridLayout;
    grid->setHorizontalSpacing(fontMetrics().averageCharWidth());
    const auto caption = [this](const char* text) {
        auto* label = new QLabel(text, this);
        label->setAlignment(Qt::AlignHCenter | Qt::AlignBottom);
        return label;
    };
    grid->addWidget(caption("Brightness"), 0, 0);
    grid->addWidget(caption("Contrast"), 0, 2);
    grid->addWidget(Slider(ToneSlider::MasterBrightness), 1, 0);
    grid->addWidget(Slider(ToneSlider::MasterContrast), 1, 2);
    // The masters stand apart from the channels they drive.
    grid->setRowMinimumHeight(2, fontMetrics().height());
    const struct {
        ToneSlider brightness, contrast;
        QColor colour;
        const char* name;
    } rows[] = {
        {ToneSlider::RedBrightness, ToneSlider::RedContrast, QColor(230, 0, 0), "Red"},
        {ToneSlider::GreenBrightness, ToneSlider::GreenContrast, QColor(0, 190, 0), "Green"},
        {ToneSlider::BlueBrightness, ToneSlider::BlueContrast, QColor(0, 60, 240), "Blue"},
    };
    int row = 3;
    for (const auto& r : rows) {
        grid->addWidget(Slider(r.brightness), row, 0);
        grid->addWidget(new RowMarker(r.colour, r.name, this), row, 1, Qt::AlignCenter);
        grid->addWidget(Slider(r.contrast), row, 2);
        ++row;
    }
    grid->setRowMinimumHeight(row++, fontMetrics().height() / 2);
    grid->addWidget(caption("Gamma Adjustment"), row++, 0, 1, 3);
    grid->addWidget(Slider(ToneSlider::GammaBend), row++, 0, 1, 3, Qt::AlignHCenter);

    LayOutWithOkReset(grid, 246, ResetSide::Right);
}

void CBrightnessDlg::ShowPositions() {
    for (const ToneSliderInfo& info : kToneSliders) {
        QSlider* slider = Slider(info.slider);
        const QSignalBlocker quiet(slider);
        slider->setValue(model_.Position(info.slider));
    }
}

}  // namespace wendral::app
