#pragma once
#include <QDialog>
#include <functional>
#include <map>

#include "core/merge_dialog.h"

class QAbstractButton;
class QPushButton;
class QSlider;

namespace wendral::app {

inline constexpr const char* kMergeDialogTitle =
    "Merge Source 1 and Source 2    ====>>>>   Destination";

// "Merge Source 1 and Source 2 ====>>>> Destination" (dialog 212): the merge type, the contrast
// method, the bias and the threshold. It is a view of MergeDialogModel: each click or slider
// notification is one call of the model, and whenever the model says so `merge` runs the
// whole-picture merge at once, so the destination follows the dialog live. Escape and the
// close box cancel, keeping the last merge and the settings.
class CMergeDlg : public QDialog {
    Q_OBJECT
  public:
    CMergeDlg(WendralState& state, std::function<void()> merge, QWidget* parent = nullptr);

    MergeDialogModel& Model() { return model_; }
    // The radio buttons by their ids (224, 225, 208, 210, 211, 213, 214, 293, 294, 221, 219,
    // 220) and OK (1); null for any other id.
    QAbstractButton* Control(int id) const;
    QSlider* BiasSlider() const { return bias_; }
    QSlider* ThresholdSlider() const { return threshold_; }

    void accept() override;

  private:
    // After a model call: the sliders show the model, and a merge runs when it asked for one.
    void Follow(bool mergeNow);

    MergeDialogModel model_;
    std::function<void()> merge_;
    std::map<int, QAbstractButton*> controls_;
    QSlider* bias_;
    QSlider* threshold_;
};

}  // namespace wendral::app
