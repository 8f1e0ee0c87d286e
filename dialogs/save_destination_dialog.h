#pragma once
#include <QString>
#include <QStringList>
#include <optional>

class QWidget;

namespace wendral::app {

// A filter string of "text|pattern|text|pattern||" pairs as Qt name filters, in order; a text
// that does not show its pattern in brackets gets it appended.
QStringList QtNameFilters(const QString& pairs);

struct SaveDialogAnswer {
    QString path;
    int filterIndex = 1;  // 1-based, in the order of the filter string
};

// The save dialog of "Save Destination As...": no default extension, no initial name, the
// destination's filter string starting at its first filter, asking before overwriting a file.
// No value when cancelled.
std::optional<SaveDialogAnswer> RunSaveDestinationDialog(QWidget* parent);

}  // namespace wendral::app
