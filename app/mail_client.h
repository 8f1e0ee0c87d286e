#pragma once
#include <QString>
#include <string>

#include "core/messages.h"

namespace wendral::app {

// The windows' hand-overs to the mail program (io/mail.h). While the mail program has the
// message the windows keep painting; input waits until it returns.

// "Send to ...": the file at `path` as the attachment of a new message; what the user is told.
Messages MailFileFromWindows(const QString& path);
// A new message to `address` with `subject`; true when the mail program took it.
bool ComposeMailFromWindows(const std::string& address, const std::string& subject);

}  // namespace wendral::app
