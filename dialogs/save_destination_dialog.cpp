#include "dialogs/save_destination_dialog.h"

#include <QFileDialog>

#include "io/picture_formats.h"

namespace wendral::app {

QStringList QtNameFilters(const QString& pairs) {
    QStringList parts = pairs.split('|');
    while (!parts.isEmpty() && parts.last().isEmpty()) parts.removeLast();
    QStringList filters;
    for (qsizetype i = 0; i + 1 < parts.size(); i += 2) {
        const QString& text = parts[i];
        const QString pattern = QString(parts[i + 1]).replace(';', ' ');
        filters << (text.contains('(' + pattern + ')') ? text : text + " (" + pattern + ")");
    }
    return filters;
}

std::optional<SaveDialogAnswer> RunSaveDestinationDialog(QWidget* parent) {
    const QStringList filters = QtNameFilters(QString::fromStdString(SaveFilter()));
    QFileDialog dialog(parent, "Save Destination As");
    dialog.setAcceptMode(QFileDialog::AcceptSave);
    dialog.setFileMode(QFileDialog::AnyFile);
    dialog.setNameFilters(filters);
    dialog.selectNameFilter(filters.value(0));
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) return std::nullopt;
    const qsizetype index = filters.indexOf(dialog.selectedNameFilter());
    return SaveDialogAnswer{dialog.selectedFiles().first(),
                            index < 0 ? 1 : static_cast<int>(index) + 1};
}

}  // namespace wendral::app
