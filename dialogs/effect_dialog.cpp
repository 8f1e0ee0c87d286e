#include "dialogs/effect_dialog.h"

#include <QPushButton>
#include <QVBoxLayout>

namespace wendral::app {

EffectDialog::EffectDialog(const QString& title, DestinationPreview& view, QWidget* parent)
    : QDialog(parent), view_(view) {
    setWindowTitle(title);
    setModal(true);
    setWindowFlags(Qt::Dialog | Qt::WindowTitleHint | Qt::WindowCloseButtonHint |
                   Qt::MSWindowsFixedSizeDialogHint);
}

QVBoxLayout* EffectDialog::TopLayout() {
    auto* top = new QVBoxLayout(this);
    top->setSizeConstraint(QLayout::SetFixedSize);
    // Title bars use a bolder font and put an icon and buttons beside the title.
    QFont bold = font();
    bold.setBold(true);
    const int titleWidth =
        QFontMetrics(bold).horizontalAdvance(windowTitle()) + 6 * fontMetrics().height();
    top->addSpacerItem(new QSpacerItem(titleWidth, 0, QSizePolicy::Minimum, QSizePolicy::Fixed));
    return top;
}

QPushButton* EffectDialog::Button(int id) const {
    const auto it = buttons_.find(id);
    return it == buttons_.end() ? nullptr : it->second;
}

// Only button 1 (OK) is the default: Enter anywhere in the dialog presses it.
QPushButton* EffectDialog::AddButton(int id, const QString& text) {
    auto* b = new QPushButton(text, this);
    b->setObjectName(QStringLiteral("button%1").arg(id));
    b->setAutoDefault(false);
    b->setDefault(id == 1);
    buttons_[id] = b;
    return b;
}

void EffectDialog::ShowPreview() {
    view_.ShowPreview();
}

}  // namespace wendral::app
