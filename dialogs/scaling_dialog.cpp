#include "dialogs/scaling_dialog.h"

#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

#include "dialogs/message_service.h"

namespace wendral::app {

IntegerField ReadIntegerField(const QString& text, int low, int high) {
    bool ok = false;
    const int value = text.trimmed().toInt(&ok);
    if (!ok) return {std::nullopt, kEnterAnInteger};
    if (value < low || value > high) return {std::nullopt, QString(kEnterAnIntegerBetween).arg(low).arg(high)};
    return {value, {}};
}

CScalingDialog::CScalingDialog(int widthScale, int heightScale, ApplyScale apply, QWidget* parent)
    : QDialog(parent),
      WidthValue(widthScale),
      HeightValue(heightScale),
      BaseWidth(widthScale),
      BaseHeight(heightScale),
      OpeningWidth(widthScale),
      OpeningHeight(heightScale),
      apply_(std::move(apply)) {
    setWindowTitle("Scaling Source Window");
    setModal(true);
    widthEdit_ = new QLineEdit(this);
    heightEdit_ = new QLineEdit(this);
    widthEdit_->setObjectName("edit203");
    heightEdit_->setObjectName("edit205");

    const auto button = [this](int id, const QString& text) {
        auto* b = new QPushButton(text, this);
        b->setObjectName(QStringLiteral("button%1").arg(id));
        b->setAutoDefault(false);
        buttons_[id] = b;
        return b;
    };
    QPushButton* ok = button(1, "OK");
    ok->setDefault(true);
    connect(ok, &QPushButton::clicked, this, &CScalingDialog::accept);
    connect(button(2, "Cancel"), &QPushButton::clicked, this, &CScalingDialog::reject);
    connect(button(341, "Apply"), &QPushButton::clicked, this, &CScalingDialog::Apply);
    const std::pair<int, int> steps[] = {{249, -5}, {250, -1}, {251, 1}, {252, 5}};
    const char* labels[] = {"<<", "<", ">", ">>"};
    auto* stepRow = new QHBoxLayout;
    for (int i = 0; i < 4; ++i) {
        const int d = steps[i].second;
        QPushButton* b = button(steps[i].first, labels[i]);
        connect(b, &QPushButton::clicked, this, [this, d] { Step(d); });
        stepRow->addWidget(b);
    }

    auto* grid = new QGridLayout(this);
    grid->addWidget(new QLabel("Width Scale %"), 0, 0);
    grid->addWidget(widthEdit_, 0, 1);
    grid->addWidget(new QLabel("Height Scale %"), 1, 0);
    grid->addWidget(heightEdit_, 1, 1);
    grid->addLayout(stepRow, 2, 0, 1, 2);
    auto* buttonRow = new QHBoxLayout;
    buttonRow->addWidget(ok);
    buttonRow->addWidget(buttons_[2]);
    buttonRow->addWidget(buttons_[341]);
    grid->addLayout(buttonRow, 3, 0, 1, 2);
    ShowValues();
}

QPushButton* CScalingDialog::Button(int id) const {
    auto it = buttons_.find(id);
    return it == buttons_.end() ? nullptr : it->second;
}

void CScalingDialog::ShowValues() {
    widthEdit_->setText(QString::number(WidthValue));
    heightEdit_->setText(QString::number(HeightValue));
}

bool CScalingDialog::Exchange() {
    for (auto [edit, value] : {std::pair{widthEdit_, &WidthValue}, std::pair{heightEdit_, &HeightValue}}) {
        const IntegerField field = ReadIntegerField(edit->text(), kMinScalePercent, kMaxScalePercent);
        if (!field.value) {
            ShowMessage(field.refusal);
            edit->setFocus();
            edit->selectAll();
            return false;
        }
        *value = *field.value;
    }
    return true;
}

void CScalingDialog::Step(int d) {
    const int width = WidthValue, height = HeightValue, count = StepCount;
    StepCount += d;
    float factor = 1.0f;
    if (StepCount > 0)
        for (int i = 0; i < StepCount; ++i) factor = factor * 1.05f;
    else
        for (int i = 0; i < -StepCount; ++i) factor = factor * 0.95f;
    // The factor is single precision; the scale times the factor is not rounded back to
    // single precision, which would turn 100 x 0.9499999880 into 95 rather than 94.
    const double w = static_cast<double>(BaseWidth) * static_cast<double>(factor);
    const double h = static_cast<double>(BaseHeight) * static_cast<double>(factor);
    // Compared before truncating, so that a scale far out of range is never converted to int:
    // trunc(v) > 600 exactly when v >= 601, and trunc(v) < 8 exactly when v < 8.
    const bool inRange = w < kMaxScalePercent + 1.0 && h < kMaxScalePercent + 1.0 && w >= kMinScalePercent &&
                         h >= kMinScalePercent;
    if (!inRange) {
        WidthValue = width;
        HeightValue = height;
        StepCount = count;
    } else {
        WidthValue = static_cast<int>(w);
        HeightValue = static_cast<int>(h);
    }
    if (apply_) apply_(WidthValue, HeightValue);
    ShowValues();
}

void CScalingDialog::Apply() {
    if (!Exchange()) return;
    if (apply_) apply_(WidthValue, HeightValue);
    BaseWidth = WidthValue;
    BaseHeight = HeightValue;
    StepCount = 0;
}

void CScalingDialog::accept() {
    if (!Exchange()) return;
    if (apply_) apply_(WidthValue, HeightValue);
    QDialog::accept();
}

void CScalingDialog::reject() {
    if (apply_) apply_(OpeningWidth, OpeningHeight);
    QDialog::reject();
}

}  // namespace wendral::app
