#pragma once
#include <QAbstractSlider>
#include <array>

#include "core/special_effect.h"
#include "dialogs/snapshot_dialog.h"

class QLabel;

namespace wendral::app {

inline constexpr const char* kSpecialEffectsDialogTitle = "Special Effects";
inline constexpr const char* kVitreousNote =
    "Note that 'vitreous' buttons are best with close up portraits";

// A horizontal spin button: a left and a right arrow side by side, stepping its value by one
// per click (repeating while held) or per arrow key. Each step is a position notification
// (valueChanged); letting go of the arrow or the key is the end notification (StepEnded).
class CSpinButton : public QAbstractSlider {
    Q_OBJECT
  public:
    explicit CSpinButton(QWidget* parent = nullptr);

    // The left (-1) or right (+1) arrow.
    QRect ArrowRect(int direction) const;

    QSize sizeHint() const override;
    QSize minimumSizeHint() const override { return sizeHint(); }

  signals:
    void StepEnded();

  protected:
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void leaveEvent(QEvent* event) override;
    void keyReleaseEvent(QKeyEvent* event) override;

  private:
    int ArrowAt(const QPoint& at) const;

    int pressed_ = 0;  // the arrow held down, 0 for none
    int hovered_ = 0;
};

// "Special Effects": five spin buttons over SpecialEffectsDialogState, which took the
// snapshot. Every notification of a spin button renders a preview from the snapshot, a click
// two of them; the number beside each button shows its position. OK (or Enter) commits, Reset
// returns to the snapshot and zeroes the positions, Escape and the close box leave the last
// preview uncommitted.
class CSpecialEffectsDlg : public SnapshotDialog<SpecialEffectsDialogState> {
    Q_OBJECT
  public:
    CSpecialEffectsDlg(WendralState& state, DestinationPreview& view, QWidget* parent = nullptr);

    CSpinButton* Spin(SpecialParam p) const { return spins_[static_cast<int>(p)]; }
    QLabel* Value(SpecialParam p) const { return values_[static_cast<int>(p)]; }

  private:
    void Render();
    void ShowPositions() override;

    std::array<CSpinButton*, 5> spins_{};
    std::array<QLabel*, 5> values_{};
};

}  // namespace wendral::app
