#pragma once
#include <QDialog>
#include <functional>
#include <map>
#include <optional>

#include "core/scaling_steps.h"

class QLineEdit;
class QPushButton;

namespace wendral::app {

inline constexpr const char* kEnterAnInteger = "Please enter an integer.";
inline constexpr const char* kEnterAnIntegerBetween = "Please enter an integer between %1 and %2.";

// The text of an integer edit field as the dialogs read it, or the message that refuses it
// (nothing when it converts and lies in [low, high]).
struct IntegerField {
    std::optional<int> value;
    QString refusal;
};
IntegerField ReadIntegerField(const QString& text, int low, int high);

// "Scaling Source Window": the width and height scale of one source view. Every scale it
// settles on, whether stepped, applied or restored by Cancel, goes to `apply` at once, so the
// destination follows the dialog live.
class CScalingDialog : public QDialog {
    Q_OBJECT
  public:
    using ApplyScale = std::function<void(int widthPercent, int heightPercent)>;
    CScalingDialog(int widthScale, int heightScale, ApplyScale apply, QWidget* parent = nullptr);

    int WidthValue;
    int HeightValue;
    int StepCount = 0;
    int BaseWidth;
    int BaseHeight;
    int OpeningWidth;
    int OpeningHeight;

    // "<<" -5, "<" -1, ">" +1, ">>" +5 (StepScales); a refused step keeps the values but is
    // still applied.
    void Step(int d);

    QLineEdit* WidthEdit() const { return widthEdit_; }
    QLineEdit* HeightEdit() const { return heightEdit_; }
    QPushButton* Button(int id) const;  // 1 OK, 2 Cancel, 341 Apply, 249 .. 252 the steps

    void accept() override;
    void reject() override;

  private:
    // Edits into WidthValue and HeightValue; on a refusal the message is shown, the focus goes
    // back to that edit and false is returned.
    bool Exchange();
    void ShowValues();
    void Apply();

    ApplyScale apply_;
    QLineEdit* widthEdit_;
    QLineEdit* heightEdit_;
    std::map<int, QPushButton*> buttons_;
};

}  // namespace wendral::app
