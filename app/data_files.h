#pragma once
#include <QString>

namespace wendral::app {

// The data files are named after the program with their own extension ("bmy" the background
// picture, "bmx" the start-up help picture). They are looked for beside the executable, then
// in ../share/wendral/ from it; `directory`, when not empty, is the only place looked in.
// Returns the path of the file found, or the path beside the executable when there is none
// (opening it then fails as a missing file should).
QString DataFilePath(const QString& extension, const QString& directory = {});

}  // namespace wendral::app
