#pragma once
#include <QDialog>
#include <QString>
#include <map>

#include "dialogs/destination_preview.h"

class QPushButton;
class QVBoxLayout;

namespace wendral::app {

class DestinationPreview;

// What the destination effect dialogs share: each is modal, works on the destination that
// `view` shows, and shows every new preview at once.
class EffectDialog : public QDialog {
    Q_OBJECT
  public:
    EffectDialog(const QString& title, DestinationPreview& view, QWidget* parent);

    // A button by its control id, or null.
    QPushButton* Button(int id) const;

  protected:
    QPushButton* AddButton(int id, const QString& text);
    // The dialog's top layout: the dialog keeps the size its contents need, and is never so
    // narrow that a title bar cuts its title short.
    QVBoxLayout* TopLayout();
    // The destination view repaints the new pixels before the event that made them returns, so
    // the preview follows a dragged control step by step.
    void ShowPreview();

    DestinationPreview& view_;

  private:
    std::map<int, QPushButton*> buttons_;
};

}  // namespace wendral::app
