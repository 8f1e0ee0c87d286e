#pragma once
#include <QIcon>
#include <QSize>
#include <span>

class QToolBar;

namespace wendral::app {

class CommandRouter;

// Button images: drawn glyphs, 18 x 17 for the destination toolbar, 33 x 15 for the source one.
QIcon CommandIcon(int id, const QSize& size);

// Fills `bar` with the router's actions for `ids` (0: a separator), buttons of `size`.
void FillToolBar(QToolBar& bar, const CommandRouter& router, std::span<const int> ids, const QSize& size);

inline constexpr QSize kDestinationButton{18, 17};
inline constexpr QSize kSourceButton{33, 15};

}  // namespace wendral::app
