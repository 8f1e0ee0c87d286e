#pragma once
#include <QObject>
#include <QString>
#include <functional>
#include <map>
#include <optional>
#include <vector>

class QAction;
class QKeyEvent;
class QMdiSubWindow;
class QToolBar;
class QWidget;

namespace wendral::app {

// What a command looks like at the moment: enabled, and for checkable commands checked.
struct CommandState {
    CommandState(bool enabledNow = true, std::optional<bool> checkedNow = std::nullopt,
                 std::optional<QString> textNow = std::nullopt)
        : enabled(enabledNow), checked(checkedNow), text(std::move(textNow)) {}
    bool enabled;
    std::optional<bool> checked;
    // A menu text that follows the state ("Undo Explode"); none keeps the vocabulary's.
    std::optional<QString> text;
};

struct CommandHandler {
    std::function<void()> run;
    // No update function means always enabled, unchecked.
    std::function<CommandState()> update;
};

// Anything that carries commands: a view, a document, a frame, the main frame, the
// application. It registers its handlers once, usually in its constructor:
//
//     OnCommand(kFlip, [this] { Flip(); },
//               [this] { return CommandState{state().SourceCount >= 1 && !brushing}; });
class CommandTarget {
  public:
    virtual ~CommandTarget();

    void OnCommand(int id, std::function<void()> run, std::function<CommandState()> update = {});
    const CommandHandler* FindHandler(int id) const;

  private:
    std::map<int, CommandHandler> handlers_;
};

// What the router needs of a child frame in the MDI area: its active view, its document and
// itself as targets, and the kind of view it shows (the Edit-menu effects and saving follow
// it). A frame's widget that implements this is found by dynamic_cast from the active
// QMdiSubWindow: either the sub-window itself or the widget inside it.
enum class ViewRole { Destination, Source, MergeAlign, Other };

class RoutedFrame {
  public:
    virtual ~RoutedFrame();
    virtual CommandTarget* RouteView() = 0;
    virtual CommandTarget* RouteDocument() = 0;
    virtual CommandTarget* RouteFrame() = 0;
    virtual ViewRole Role() const = 0;
};

// One QAction per command id of the vocabulary (app/commands.h). A triggered action, or a typed
// character of the vocabulary, runs the handler of the first target that has one, in the order
// active view, its document, its frame, the main frame, the application. A command no target
// handles is disabled. States are refreshed whenever the application reports a change
// (Refresh), and before a menu opens.
//
// A frame's own toolbar has actions of its own (BindToolBar): their states are those of that
// frame's chain, whichever window is active, and a click activates the frame and then runs the
// command there.
//
// One command at a time: while a command runs (its dialogs and boxes included) or a message box
// is open, a command that arrives (a key pressed again, auto-repeat, a shortcut reaching the
// main window before the box has taken the keyboard) is dropped. The key of a disabled command
// does nothing, as an accelerator of a disabled command does, rather than reach the view.
class CommandRouter : public QObject {
    Q_OBJECT
  public:
    // `window` is the main frame: the actions are added to it so that their shortcuts work in
    // every sub-window. `activeFrame` gives the active child frame, or null.
    CommandRouter(QWidget* window, CommandTarget* mainFrame, CommandTarget* application,
                  std::function<RoutedFrame*()> activeFrame);
    ~CommandRouter() override;

    QAction* Action(int id) const;

    // The targets in routing order (missing ones left out), for the active frame or `frame`.
    std::vector<CommandTarget*> Chain() const;
    std::vector<CommandTarget*> ChainOf(RoutedFrame* frame) const;
    const CommandHandler* Resolve(int id) const;
    CommandState StateOf(int id) const;
    // The role of the active frame's view; Other when no frame is active.
    ViewRole ActiveRole() const;

    // Runs the command if it is enabled and nothing else is running; returns whether it ran.
    // Afterwards the states refresh.
    bool Execute(int id);
    // True while a command runs or a message box is open.
    bool Busy() const;

    // Gives the router's actions on `bar` (filled from Action()) actions of `frame`'s own;
    // `activate` brings the frame to the top before one of them runs.
    void BindToolBar(QToolBar& bar, QMdiSubWindow& frame,
                     std::function<void(QMdiSubWindow*)> activate);
    // Applies every command's state to its action now.
    void Refresh();

    // The command a typed character stands for, or 0.
    static int TypedCommand(const QString& text);
    // The command whose shortcut the key is, or 0.
    int KeyCommand(const QKeyEvent& key) const;
    // The routed frame a sub-window is, or holds as its widget; null for any other.
    static RoutedFrame* FrameOf(QMdiSubWindow* window);

  signals:
    // Before and after every command the router runs.
    void CommandStarting(int id);
    void CommandRan(int id);

  protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

  private:
    QWidget* window_;
    CommandTarget* mainFrame_;
    CommandTarget* application_;
    std::function<RoutedFrame*()> activeFrame_;
    struct FrameAction;

    std::map<int, QAction*> actions_;
    std::vector<FrameAction> frameActions_;
    bool refreshing_ = false;
    int running_ = 0;
};

}  // namespace wendral::app
