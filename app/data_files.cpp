#include "app/data_files.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>

namespace wendral::app {

QString DataFilePath(const QString& extension, const QString& directory) {
    const QString name = QStringLiteral("wendral.") + extension;
    if (!directory.isEmpty()) return QDir(directory).filePath(name);
    const QDir beside(QCoreApplication::applicationDirPath());
    const QString first = beside.filePath(name);
    if (QFileInfo::exists(first)) return first;
    const QString installed =
        QDir::cleanPath(beside.filePath(QStringLiteral("../share/wendral/") + name));
    if (QFileInfo::exists(installed)) return installed;
    return first;
}

}  // namespace wendral::app
