#pragma once
#include <QDialog>
#include <map>

#include "core/reference_colour.h"

class QPushButton;
class QSlider;

namespace wendral::app {

inline constexpr const char* kRefColourDialogTitle = "REFERENCE COLOR Adjustment";

// "REFERENCE COLOR Adjustment": three sliders that set ReferenceColour as they move, Reset, and
// a swatch of the colour. A view of RefColourDialogState; modeless, so the user keeps working
// (and right-dragging) in the destination while it is open. It deletes itself when closed by
// OK, Escape or the close box.
class CRefColourDlg : public QDialog {
    Q_OBJECT
  public:
    explicit CRefColourDlg(WendralState& state, QWidget* parent = nullptr);

    RefColourDialogState& Model() { return model_; }
    // Takes ReferenceColour into the dialog: on opening, and after a right-button drag.
    void Load();
    // The sliders and the swatch show the model.
    void ShowModel();

    // The sliders 256 (red), 257 (green), 258 (blue); null for any other id.
    QSlider* Slider(int id) const;
    // OK (1) and Reset (259); null for any other id.
    QPushButton* Button(int id) const;
    // The colour the swatch shows.
    QColor SwatchColour() const;

  signals:
    // ReferenceColour changed through the dialog.
    void ColourChanged();

  private:
    void SlidersChanged();
    void Reset();

    WendralState& state_;
    RefColourDialogState model_;
    std::map<int, QSlider*> sliders_;
    std::map<int, QPushButton*> buttons_;
    QWidget* swatch_;
};

}  // namespace wendral::app
