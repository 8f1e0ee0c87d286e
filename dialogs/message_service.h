#pragma once
#include <QString>
#include <functional>
#include <vector>

#include "core/messages.h"

class QWidget;

namespace wendral::app {

// Every message the application and its dialogs show goes through ShowMessage: a QMessageBox
// with the caption "Wendral", the text as given, the named buttons and icon. Tests install a
// hook that sees each message instead of a modal box and answers it.

inline constexpr const char* kMessageCaption = "Wendral";

enum class MessageButtons { Ok, YesNo };
enum class MessageIcon { Warning, Information, Question, Stop, Program };
enum class MessageAnswer { Ok, Yes, No };

struct MessageRecord {
    QString text;
    MessageButtons buttons = MessageButtons::Ok;
    MessageIcon icon = MessageIcon::Warning;
};

// An OK message gets the warning icon unless told otherwise, a question the question icon.
MessageAnswer ShowMessage(const QString& text, MessageButtons buttons = MessageButtons::Ok);
MessageAnswer ShowMessage(const QString& text, MessageButtons buttons, MessageIcon icon);
// Shows each message of an engine result in turn, as OK boxes.
void ShowMessages(const Messages& messages);

// The parent of the message boxes (the main frame); none means a top-level box.
void SetMessageParent(QWidget* parent);

// True while one of these boxes is open (or, under a test hook, being answered): input that
// arrives meanwhile must not start another command.
bool MessageBoxOpen();

using MessageHook = std::function<MessageAnswer(const MessageRecord&)>;

// While alive, every message is recorded and answered by `answer` (for OK boxes the answer is
// taken as OK whatever it says; by default questions are answered Yes). Hooks nest: the
// previous one comes back when this one ends.
class ScopedMessageHook {
  public:
    explicit ScopedMessageHook(MessageAnswer answer = MessageAnswer::Yes);
    explicit ScopedMessageHook(MessageHook answer);
    ~ScopedMessageHook();
    ScopedMessageHook(const ScopedMessageHook&) = delete;
    ScopedMessageHook& operator=(const ScopedMessageHook&) = delete;

    const std::vector<MessageRecord>& Records() const { return records_; }
    QStringList Texts() const;
    void Clear() { records_.clear(); }

  private:
    MessageAnswer Answer(const MessageRecord& record);

    MessageHook answer_;
    MessageHook previous_;
    std::vector<MessageRecord> records_;
};

}  // namespace wendral::app
