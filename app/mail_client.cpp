#include "app/mail_client.h"

#include <QCoreApplication>

#include "io/mail.h"

namespace wendral::app {
namespace {

void KeepPainting() {
    QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
}

}  // namespace

Messages MailFileFromWindows(const QString& path) {
    return MailFile(path.toStdString(), KeepPainting);
}

bool ComposeMailFromWindows(const std::string& address, const std::string& subject) {
    return ComposeMail(address, subject, KeepPainting);
}

}  // namespace wendral::app
