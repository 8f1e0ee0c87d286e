#include "dialogs/message_service.h"

#include <QApplication>
#include <QMessageBox>
#include <QPointer>
#include <QStringList>

namespace wendral::app {
namespace {

MessageHook& CurrentHook() {
    static MessageHook hook;
    return hook;
}

QPointer<QWidget>& Parent() {
    static QPointer<QWidget> parent;
    return parent;
}

int& OpenBoxes() {
    static int open = 0;
    return open;
}

// Counts a box for the life of the scope.
class OpenBox {
  public:
    OpenBox() { ++OpenBoxes(); }
    ~OpenBox() { --OpenBoxes(); }
    OpenBox(const OpenBox&) = delete;
    OpenBox& operator=(const OpenBox&) = delete;
};

QMessageBox::Icon BoxIcon(MessageIcon icon) {
    switch (icon) {
        case MessageIcon::Information:
            return QMessageBox::Information;
        case MessageIcon::Question:
            return QMessageBox::Question;
        case MessageIcon::Stop:
            return QMessageBox::Critical;
        case MessageIcon::Program:
            return QMessageBox::NoIcon;
        case MessageIcon::Warning:
            break;
    }
    return QMessageBox::Warning;
}

}  // namespace

MessageAnswer ShowMessage(const QString& text, MessageButtons buttons) {
    return ShowMessage(
        text, buttons,
        buttons == MessageButtons::Ok ? MessageIcon::Warning : MessageIcon::Question);
}

MessageAnswer ShowMessage(const QString& text, MessageButtons buttons, MessageIcon icon) {
    const MessageRecord record{text, buttons, icon};
    const OpenBox open;
    if (CurrentHook()) {
        const MessageAnswer answer = CurrentHook()(record);
        if (buttons == MessageButtons::Ok) return MessageAnswer::Ok;
        return answer == MessageAnswer::No ? MessageAnswer::No : MessageAnswer::Yes;
    }
    QMessageBox box(
        BoxIcon(icon), kMessageCaption, text,
        buttons == MessageButtons::Ok ? QMessageBox::Ok : QMessageBox::Yes | QMessageBox::No,
        Parent().data());
    if (icon == MessageIcon::Program) box.setIconPixmap(QApplication::windowIcon().pixmap(48, 48));
    const int result = box.exec();
    if (buttons == MessageButtons::Ok) return MessageAnswer::Ok;
    return result == QMessageBox::Yes ? MessageAnswer::Yes : MessageAnswer::No;
}

void ShowMessages(const Messages& messages) {
    for (const std::string& m : messages) ShowMessage(QString::fromStdString(m));
}

void SetMessageParent(QWidget* parent) {
    Parent() = parent;
}

bool MessageBoxOpen() {
    return OpenBoxes() > 0;
}

ScopedMessageHook::ScopedMessageHook(MessageAnswer answer)
    : ScopedMessageHook(MessageHook([answer](const MessageRecord&) { return answer; })) {}

ScopedMessageHook::ScopedMessageHook(MessageHook answer)
    : answer_(std::move(answer)), previous_(CurrentHook()) {
    CurrentHook() = [this](const MessageRecord& record) { return Answer(record); };
}

ScopedMessageHook::~ScopedMessageHook() {
    CurrentHook() = previous_;
}

MessageAnswer ScopedMessageHook::Answer(const MessageRecord& record) {
    records_.push_back(record);
    return answer_ ? answer_(record) : MessageAnswer::Yes;
}

QStringList ScopedMessageHook::Texts() const {
    QStringList texts;
    for (const MessageRecord& r : records_) texts << r.text;
    return texts;
}

}  // namespace wendral::app
