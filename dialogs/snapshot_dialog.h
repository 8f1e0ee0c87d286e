#pragma once
#include <QHBoxLayout>
#include <QPushButton>
#include <QVBoxLayout>

#include "dialogs/effect_dialog.h"

namespace wendral {
class WendralState;
}

namespace wendral::app {

// An effect dialog over a model that takes its snapshot of the destination as the dialog opens.
// OK (or Enter) commits the last preview, Reset goes back to the snapshot, Escape and the close
// box leave the last preview uncommitted.
template <class State>
class SnapshotDialog : public EffectDialog {
  public:
    const State& Model() const { return model_; }

    void accept() override {
        model_.Ok(view_.PreviewZone());
        ShowPreview();
        QDialog::accept();
    }

  protected:
    enum class ResetSide { Left, Right };

    SnapshotDialog(const QString& title, WendralState& state, DestinationPreview& view,
                   QWidget* parent)
        : EffectDialog(title, view, parent), model_(state, view.PreviewZone()) {}

    // The controls take the model's positions without telling the model.
    virtual void ShowPositions() = 0;

    void Reset() {
        model_.Reset();
        ShowPositions();
        ShowPreview();
    }

    // OK and Reset (control `resetId`) at the two ends of one row, half a line under `controls`.
    // They are made left to right, so that Tab reaches them in the order they stand. Returns the
    // top layout for anything further below.
    QVBoxLayout* LayOutWithOkReset(QLayout* controls, int resetId, ResetSide side) {
        QPushButton* reset = side == ResetSide::Left ? AddButton(resetId, "Reset") : nullptr;
        QPushButton* ok = AddButton(1, "OK");
        if (!reset) reset = AddButton(resetId, "Reset");
        connect(ok, &QPushButton::clicked, this, &SnapshotDialog::accept);
        connect(reset, &QPushButton::clicked, this, &SnapshotDialog::Reset);
        auto* buttons = new QHBoxLayout;
        buttons->addWidget(side == ResetSide::Left ? reset : ok);
        buttons->addStretch();
        buttons->addWidget(side == ResetSide::Left ? ok : reset);

        QVBoxLayout* top = TopLayout();
        top->addLayout(controls);
        top->addSpacing(fontMetrics().height() / 2);
        top->addLayout(buttons);
        return top;
    }

    State model_;
};

}  // namespace wendral::app
