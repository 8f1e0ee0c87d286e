#include "app/command_router.h"

#include <QAction>
#include <QApplication>
#include <QKeyEvent>
#include <QKeySequence>
#include <QLineEdit>
#include <QMdiSubWindow>
#include <QMenuBar>
#include <QPointer>
#include <QStringList>
#include <QToolBar>
#include <QWidget>

#include "app/commands.h"
#include "dialogs/message_service.h"

namespace wendral::app {

CommandTarget::~CommandTarget() = default;

void CommandTarget::OnCommand(int id, std::function<void()> run,
                              std::function<CommandState()> update) {
    handlers_[id] = CommandHandler{std::move(run), std::move(update)};
}

const CommandHandler* CommandTarget::FindHandler(int id) const {
    auto it = handlers_.find(id);
    return it == handlers_.end() ? nullptr : &it->second;
}

RoutedFrame::~RoutedFrame() = default;

struct CommandRouter::FrameAction {
    QPointer<QAction> action;
    QPointer<QMdiSubWindow> frame;
    int id;
};

CommandRouter::CommandRouter(QWidget* window, CommandTarget* mainFrame, CommandTarget* application,
                             std::function<RoutedFrame*()> activeFrame)
    : QObject(window),
      window_(window),
      mainFrame_(mainFrame),
      application_(application),
      activeFrame_(std::move(activeFrame)) {
    for (const CommandInfo& info : AllCommands()) {
        auto* action = new QAction(QString::fromUtf8(info.text), window);
        const QString prompt = QString::fromUtf8(info.prompt ? info.prompt : "");
        const qsizetype cut = prompt.indexOf('\n');
        action->setStatusTip(cut < 0 ? prompt : prompt.left(cut));
        action->setToolTip(cut < 0 ? prompt : prompt.mid(cut + 1));
        if (info.keys) {
            QList<QKeySequence> keys;
            for (const QString& k : QString::fromUtf8(info.keys).split(';'))
                keys << QKeySequence(k);
            action->setShortcuts(keys);
            // The menu texts carry their own hints after "\t".
            action->setShortcutVisibleInContextMenu(false);
        }
        action->setCheckable(info.checkable);
        action->setData(info.id);
        const int id = info.id;
        connect(action, &QAction::triggered, this, [this, id] { Execute(id); });
        window->addAction(action);
        actions_[info.id] = action;
    }
    qApp->installEventFilter(this);
}

CommandRouter::~CommandRouter() {
    qApp->removeEventFilter(this);
}

QAction* CommandRouter::Action(int id) const {
    auto it = actions_.find(id);
    return it == actions_.end() ? nullptr : it->second;
}

std::vector<CommandTarget*> CommandRouter::Chain() const {
    return ChainOf(activeFrame_ ? activeFrame_() : nullptr);
}

std::vector<CommandTarget*> CommandRouter::ChainOf(RoutedFrame* frame) const {
    std::vector<CommandTarget*> chain;
    if (frame) {
        for (CommandTarget* t : {frame->RouteView(), frame->RouteDocument(), frame->RouteFrame()})
            if (t) chain.push_back(t);
    }
    if (mainFrame_) chain.push_back(mainFrame_);
    if (application_) chain.push_back(application_);
    return chain;
}

const CommandHandler* CommandRouter::Resolve(int id) const {
    for (CommandTarget* target : Chain())
        if (const CommandHandler* h = target->FindHandler(id)) return h;
    return nullptr;
}

namespace {

CommandState StateAlong(const std::vector<CommandTarget*>& chain, int id) {
    for (CommandTarget* target : chain)
        if (const CommandHandler* h = target->FindHandler(id))
            return h->update ? h->update() : CommandState{};
    return CommandState{false, std::nullopt};
}

}  // namespace

CommandState CommandRouter::StateOf(int id) const {
    return StateAlong(Chain(), id);
}

RoutedFrame* CommandRouter::FrameOf(QMdiSubWindow* window) {
    if (!window) return nullptr;
    if (auto* frame = dynamic_cast<RoutedFrame*>(window)) return frame;
    return dynamic_cast<RoutedFrame*>(window->widget());
}

ViewRole CommandRouter::ActiveRole() const {
    RoutedFrame* frame = activeFrame_ ? activeFrame_() : nullptr;
    return frame ? frame->Role() : ViewRole::Other;
}

bool CommandRouter::Busy() const {
    return running_ > 0 || MessageBoxOpen();
}

bool CommandRouter::Execute(int id) {
    // What arrives while a command or a box is still on screen is dropped: it is the same key
    // again, or one the user could not yet aim at the box.
    if (Busy()) return false;
    const CommandHandler* h = Resolve(id);
    if (!h || !(h->update ? h->update() : CommandState{}).enabled || !h->run) {
        Refresh();
        return false;
    }
    // The handler may change the chain (a window opens or closes): run a copy.
    const std::function<void()> run = h->run;
    emit CommandStarting(id);
    ++running_;
    run();
    --running_;
    Refresh();
    emit CommandRan(id);
    return true;
}

void CommandRouter::Refresh() {
    if (refreshing_) return;
    refreshing_ = true;
    const auto show = [](QAction* action, const CommandState& s) {
        action->setEnabled(s.enabled);
        if (action->isCheckable()) action->setChecked(s.checked.value_or(false));
        if (s.text && action->text() != *s.text) action->setText(*s.text);
    };
    // Every press ends here: each chain is found once, not once an action.
    const std::vector<CommandTarget*> active = Chain();
    for (auto& [id, action] : actions_) show(action, StateAlong(active, id));
    std::erase_if(frameActions_, [](const FrameAction& f) { return !f.action || !f.frame; });
    QMdiSubWindow* chainFrame = nullptr;
    RoutedFrame* frame = nullptr;
    std::vector<CommandTarget*> chain;
    for (const FrameAction& f : frameActions_) {
        if (f.frame != chainFrame) {
            chainFrame = f.frame;
            frame = FrameOf(chainFrame);
            if (frame) chain = ChainOf(frame);
        }
        if (frame) show(f.action, StateAlong(chain, f.id));
    }
    refreshing_ = false;
}

void CommandRouter::BindToolBar(QToolBar& bar, QMdiSubWindow& frame,
                                std::function<void(QMdiSubWindow*)> activate) {
    for (QAction* shared : bar.actions()) {
        const int id = shared->data().toInt();
        if (shared->isSeparator() || Action(id) != shared) continue;
        auto* own = new QAction(shared->icon(), shared->text(), &bar);
        own->setStatusTip(shared->statusTip());
        own->setToolTip(shared->toolTip());
        own->setCheckable(shared->isCheckable());
        own->setData(id);
        QPointer<QMdiSubWindow> window(&frame);
        connect(own, &QAction::triggered, this, [this, window, id, activate] {
            // A click that lands while something runs is dropped, as keys are.
            if (!window || Busy()) return;
            if (activate) activate(window);
            Execute(id);
        });
        bar.insertAction(shared, own);
        bar.removeAction(shared);
        frameActions_.push_back(FrameAction{own, window, id});
    }
    Refresh();
}

int CommandRouter::TypedCommand(const QString& text) {
    if (text.size() != 1) return 0;
    for (const CommandInfo& info : AllCommands())
        if (info.typed && text == QString::fromUtf8(info.typed)) return info.id;
    return 0;
}

int CommandRouter::KeyCommand(const QKeyEvent& key) const {
    // A key of the keypad is the same key to an accelerator.
    const QKeySequence pressed(
        QKeyCombination(key.modifiers() & ~Qt::KeypadModifier, Qt::Key(key.key())));
    for (const auto& [id, action] : actions_)
        if (action->shortcuts().contains(pressed)) return id;
    return 0;
}

bool CommandRouter::eventFilter(QObject* watched, QEvent* event) {
    // Typed characters are taken at their first delivery, before the widget sees the key, as
    // accelerators are. Only keys meant for the main frame's own windows: a dialog, an edit
    // field or the menu bar the user is walking with the keyboard keeps its keys.
    if (event->type() == QEvent::KeyPress && watched->isWidgetType()) {
        auto* key = static_cast<QKeyEvent*>(event);
        auto* widget = static_cast<QWidget*>(watched);
        if (widget->window() == window_ && !qobject_cast<QLineEdit*>(widget) &&
            !qobject_cast<QMenuBar*>(widget)) {
            if (!(key->modifiers() & (Qt::ControlModifier | Qt::AltModifier | Qt::MetaModifier))) {
                if (const int id = TypedCommand(key->text())) {
                    Execute(id);
                    return true;
                }
            }
            // The accelerator table owns its keys in these windows: the key of a disabled
            // command does nothing (it must not scroll a source view, say). An enabled one
            // arrives here only while its action's state is behind.
            if (const int id = KeyCommand(*key)) {
                if (StateOf(id).enabled) Execute(id);
                return true;
            }
        }
    }
    return QObject::eventFilter(watched, event);
}

}  // namespace wendral::app
