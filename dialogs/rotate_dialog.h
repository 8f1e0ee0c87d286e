#pragma once
#include <QWidget>
#include <optional>

#include "dialogs/busy_cursor.h"

#include "core/rotate.h"
#include "dialogs/effect_dialog.h"

class QLineEdit;

namespace wendral::app {

inline constexpr const char* kRotateDialogTitle = "Rotate Destination Image";
inline constexpr const char* kRotateWarning = "Warning: offside corners/edges can be lost.";

// Picture 167, the dial: a face with degree ticks, the grey track the marker runs in (which is
// also the ring the mouse acts on), the marker, and the busy light over the centre. Its points
// map to the client pixels the dial's geometry is given in (core/rotate.h), so the marker, the
// ring and the light are where the engine says, whatever the dialog's layout.
class CRotateDial : public QWidget {
    Q_OBJECT
  public:
    enum class Light { Off, Busy, Done };

    explicit CRotateDial(const RotateDialogState& model, QWidget* parent = nullptr);

    // The busy light: red while the picture turns, brown after, unlit before the first turn.
    void SetLight(Light light);
    Light LightShown() const { return light_; }

    // Between this widget's points and the dial's client pixels.
    QPoint ToDial(const QPoint& widgetPoint) const;
    QPoint FromDial(const QPoint& dialPoint) const;

    QSize sizeHint() const override;
    QSize minimumSizeHint() const override { return sizeHint(); }

  protected:
    void paintEvent(QPaintEvent* event) override;

  private:
    QPoint Offset() const;

    const RotateDialogState& model_;
    Light light_ = Light::Off;
};

// "Rotate Destination Image": a degree field, Apply, OK, Cancel and the dial over
// RotateDialogState, which took the snapshot. Every rotation turns the snapshot afresh: Apply
// by the typed angle, a point on the dial's ring by its angle (dragging the marker turns the
// picture live), OK by the typed angle as it closes, Cancel (Escape, the close box) by 0.
class CRotateDlg : public EffectDialog {
    Q_OBJECT
  public:
    CRotateDlg(WendralState& state, DestinationPreview& view, QWidget* parent = nullptr);

    QLineEdit* AngleEdit() const { return edit_; }
    CRotateDial* Dial() const { return dial_; }
    const RotateDialogState& Model() const { return model_; }

    void accept() override;
    void reject() override;

  protected:
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

  private:
    // Reads the field into RotateAngle as the framework's integer exchange does: an integer out
    // of 0..359 is taken all the same, other text leaves the angle. A refusal is shown and the
    // field gets the focus back; false then.
    bool Exchange();
    void Apply();
    // After a point of the mouse: when it turned the picture, the angle in the field and the
    // picture on the screen.
    void PointerTurned(bool turned);
    QPoint DialPoint(const QMouseEvent* event) const;

    RotateDialogState model_;
    QLineEdit* edit_;
    CRotateDial* dial_;
    bool exchanging_ = false;
    std::optional<BusyCursor> busy_;  // while the picture turns
};

}  // namespace wendral::app
