#include "app/command_router.h"

#include <QAction>
#include <QApplication>
#include <QKeyEvent>
#include <QKeySequence>
#include <QLineEdit>
#include <QStringList>
#include <QWidget>

#include "app/commands.h"

namespace wendral::app {

CommandTarget::~CommandTarget() = default;

void CommandTarget::OnCommand(int id, std::function<void()> run, std::function<CommandState()> update) {
    handlers_[id] = CommandHandler{std::move(run), std::move(update)};
}

const CommandHandler* CommandTarget::FindHandler(int id) const {
    auto it = handlers_.find(id);
    return it == handlers_.end() ? nullptr : &it->second;
}

RoutedFrame::~RoutedFrame() = default;

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
            for (const QString& k : QString::fromUtf8(info.keys).split(';')) keys << QKeySequence(k);
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

CommandRouter::~CommandRouter() { qApp->removeEventFilter(this); }

QAction* CommandRouter::Action(int id) const {
    auto it = actions_.find(id);
    return it == actions_.end() ? nullptr : it->second;
}

std::vector<CommandTarget*> CommandRouter::Chain() const {
    std::vector<CommandTarget*> chain;
    if (RoutedFrame* frame = activeFrame_ ? activeFrame_() : nullptr) {
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

CommandState CommandRouter::StateOf(int id) const {
    const CommandHandler* h = Resolve(id);
    if (!h) return CommandState{false, std::nullopt};
    return h->update ? h->update() : CommandState{};
}

ViewRole CommandRouter::ActiveRole() const {
    RoutedFrame* frame = activeFrame_ ? activeFrame_() : nullptr;
    return frame ? frame->Role() : ViewRole::Other;
}

bool CommandRouter::Execute(int id) {
    const CommandHandler* h = Resolve(id);
    if (!h || !(h->update ? h->update() : CommandState{}).enabled || !h->run) {
        Refresh();
        return false;
    }
    // The handler may change the chain (a window opens or closes): run a copy.
    const std::function<void()> run = h->run;
    run();
    Refresh();
    emit CommandRan(id);
    return true;
}

void CommandRouter::Refresh() {
    if (refreshing_) return;
    refreshing_ = true;
    for (auto& [id, action] : actions_) {
        const CommandState s = StateOf(id);
        action->setEnabled(s.enabled);
        if (action->isCheckable()) action->setChecked(s.checked.value_or(false));
    }
    refreshing_ = false;
}

int CommandRouter::TypedCommand(const QString& text) {
    if (text.size() != 1) return 0;
    for (const CommandInfo& info : AllCommands())
        if (info.typed && text == QString::fromUtf8(info.typed)) return info.id;
    return 0;
}

bool CommandRouter::eventFilter(QObject* watched, QEvent* event) {
    // Typed characters are taken at their first delivery, before the widget sees the key, as
    // accelerators are. Only keys meant for the main frame's own windows: a dialog or an edit
    // field keeps its keys.
    if (event->type() == QEvent::KeyPress && watched->isWidgetType()) {
        auto* key = static_cast<QKeyEvent*>(event);
        auto* widget = static_cast<QWidget*>(watched);
        if (!(key->modifiers() & (Qt::ControlModifier | Qt::AltModifier | Qt::MetaModifier)) &&
            widget->window() == window_ && !qobject_cast<QLineEdit*>(widget)) {
            if (const int id = TypedCommand(key->text())) {
                Execute(id);
                return true;
            }
        }
    }
    return QObject::eventFilter(watched, event);
}

}  // namespace wendral::app
