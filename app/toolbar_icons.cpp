#include "app/toolbar_icons.h"

#include <QAction>
#include <QMainWindow>
#include <QMdiSubWindow>
#include <QShortcut>
#include <QToolBar>

#include "app/command_router.h"
#include "app/commands.h"
#include "app/help_window.h"
#include "app/icons.h"

namespace wendral::app {
namespace {

struct ButtonImage {
    int id;
    const char* name;  // data/toolbar/<name>.svg, built in under :/icons/toolbar/
};

// Redo's image (redo.svg) is drawn and built in, waiting for its command.
constexpr ButtonImage kButtonImages[] = {
    {kNudgeDownward, "nudge_down"},
    {kNudgeUpward, "nudge_up"},
    {kNudgeLeft, "nudge_left"},
    {kNudgeRight, "nudge_right"},
    {kTwistLeft, "twist_left"},
    {kTwistRight, "twist_right"},
    {kImplode, "implode"},
    {kExplode, "explode"},
    {kDiverge, "diverge"},
    {kConverge, "converge"},
    {kPortion1, "portion_1"},
    {kPortion2, "portion_2"},
    {kMergeSources, "merge_sources"},
    {kDestinationToSource1, "destination_to_source_1"},
    {kDestinationToSource2, "destination_to_source_2"},
    {kFlip, "flip"},
    {kEnableBrushing, "brushing_on"},
    {kDisableBrushing, "brushing_off"},
    {kLockDestination, "lock"},
    {kRestoreDestination, "restore"},
    {kWhatNow, "what_now"},
    {kUndo, "undo"},
    {kRedo, "redo"},
    {kSetScale, "set_scale"},
    {kTopLeftJustify, "top_left_justify"},
    {kSynchroniseSize, "synchronise_size"},
    {kScaleToFit, "scale_to_fit"},
    {kEmptySource, "empty_source"},
    {kExplainButtons, "explain_buttons"},
};

}  // namespace

QIcon CommandIcon(int id) {
    for (const ButtonImage& b : kButtonImages)
        if (b.id == id) return ResourceIcon(QStringLiteral(":/icons/toolbar/%1.svg").arg(b.name));
    return {};
}

void FillToolBar(QToolBar& bar, const CommandRouter& router, std::span<const int> ids,
                 const QSize& size) {
    bar.setIconSize(size);
    for (int id : ids) {
        if (id == 0) {
            bar.addSeparator();
            continue;
        }
        QAction* action = router.Action(id);
        if (!action) continue;
        if (action->icon().isNull()) action->setIcon(CommandIcon(id));
        bar.addAction(action);
    }
}

QToolBar* PutViewUnderToolBar(QMdiSubWindow& frame, const QString& title,
                              const CommandRouter& router, std::span<const int> ids,
                              const QSize& size,
                              const std::function<QWidget*(QMainWindow* inner)>& makeView) {
    auto* inner = new QMainWindow;
    inner->setWindowFlags(Qt::Widget);
    auto* toolbar = new QToolBar(title, inner);
    toolbar->setAllowedAreas(Qt::AllToolBarAreas);
    FillToolBar(*toolbar, router, ids, size);
    inner->addToolBar(Qt::TopToolBarArea, toolbar);
    inner->setCentralWidget(makeView(inner));
    frame.setWidget(inner);
    return toolbar;
}

void AddToolBarFrameCommands(CommandTarget& target, QMdiSubWindow& frame, QToolBar& toolbar,
                             QObject* receiver, std::function<void()> help) {
    target.OnCommand(
        kViewToolbar, [&toolbar] { toolbar.setVisible(!toolbar.isVisible()); },
        [&toolbar] {
            return CommandState{true, toolbar.isVisible()};
        });
    auto* key = new QShortcut(kHelpKey, &frame, nullptr, nullptr, Qt::WidgetWithChildrenShortcut);
    QObject::connect(key, &QShortcut::activated, receiver, std::move(help));
}

}  // namespace wendral::app
