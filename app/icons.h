#pragma once
#include <QIcon>
#include <QString>

namespace wendral::app {

// The program's own icon, a framed picture with a swirl: the application's, every window's,
// the About box's.
QIcon ProgramIcon();

// An icon from an SVG built into the program (a ":/icons/..." path), drawn afresh at every
// pixel size asked for, so that each scale factor gets its own sharp rendering. Null when the
// path holds no valid SVG.
QIcon ResourceIcon(const QString& path);

}  // namespace wendral::app
