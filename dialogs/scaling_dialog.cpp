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
    if (value < low || value > high)
        return {std::nullopt, QString(kEnterAnIntegerBetween).arg(low).arg(high)};
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
    for (auto [edit, value] :
         {std::pair{widthEdit_, &WidthValue}, std::pair{heightEdit_, &HeightValue}}) {
        const IntegerField field =
            ReadIntegerField(edit->text(), kMinScalePercent, kMaxScalePercent);
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
    if (const std::optional<SteppedScales> scales =
            StepScales(BaseWidth, BaseHeight, StepCount + d)) {
        StepCount += d;
        WidthValue = scales->width;
        HeightValue = scales->height;
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
