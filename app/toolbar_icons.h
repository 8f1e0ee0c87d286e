#pragma once
#include <QIcon>
#include <QSize>
#include <functional>
#include <span>

class QMainWindow;
class QMdiSubWindow;
class QObject;
class QString;
class QToolBar;
class QWidget;

namespace wendral::app {

class CommandRouter;
class CommandTarget;

// The button image of command `id`, null for a command without one. The images are drawn for
// 18 x 17 buttons (destination) and 33 x 15 buttons (source frames) and rendered at whatever
// pixel size the screen's scale factor asks for.
QIcon CommandIcon(int id);

// Fills `bar` with the router's actions for `ids` (0: a separator), buttons of `size`.
void FillToolBar(QToolBar& bar, const CommandRouter& router, std::span<const int> ids,
                 const QSize& size);

// A child frame with a toolbar of its own: the frame's widget is an inner main window holding
// the toolbar, filled as FillToolBar does, over the view `makeView` builds as a child of that
// window. The toolbar is made first, so that it comes first in the focus chain.
QToolBar* PutViewUnderToolBar(QMdiSubWindow& frame, const QString& title,
                              const CommandRouter& router, std::span<const int> ids,
                              const QSize& size,
                              const std::function<QWidget*(QMainWindow* inner)>& makeView);

// What every frame made by PutViewUnderToolBar carries: View Toolbar shows and hides its
// toolbar, and the help key anywhere in the frame runs `help` while `receiver` lives.
void AddToolBarFrameCommands(CommandTarget& target, QMdiSubWindow& frame, QToolBar& toolbar,
                             QObject* receiver, std::function<void()> help);

inline constexpr QSize kDestinationButton{18, 17};
inline constexpr QSize kSourceButton{33, 15};

}  // namespace wendral::app
