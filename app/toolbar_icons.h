#pragma once
#include <QIcon>
#include <QSize>
#include <span>

class QToolBar;

namespace wendral::app {

class CommandRouter;

// The button image of command `id`, null for a command without one. The images are drawn for
// 18 x 17 buttons (destination) and 33 x 15 buttons (source frames) and rendered at whatever
// pixel size the screen's scale factor asks for.
QIcon CommandIcon(int id);

// Fills `bar` with the router's actions for `ids` (0: a separator), buttons of `size`.
void FillToolBar(QToolBar& bar, const CommandRouter& router, std::span<const int> ids, const QSize& size);

inline constexpr QSize kDestinationButton{18, 17};
inline constexpr QSize kSourceButton{33, 15};

}  // namespace wendral::app
