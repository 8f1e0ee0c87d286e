#pragma once
#include <functional>
#include <string>
#include <vector>

#include "core/messages.h"

namespace wendral {

// The desktop's helper (xdg-utils) that opens a new message in the user's mail program.
inline constexpr const char* kMailProgram = "xdg-email";

inline constexpr const char* kSendAborted = "Send file aborted";
inline constexpr const char* kMailAborted = "Send Mail aborted";
inline constexpr const char* kMailGeneralFailure = "general failure";
inline constexpr const char* kMailLoginFailure = "login failure";
inline constexpr const char* kMailNoMemory = "Insufficient memory";
inline constexpr const char* kMailAttachmentOpenFailure = "attachment open failure";
inline constexpr const char* kMailAttachmentWriteFailure = "attachment write failure";

// "WENDRAL cannot load <program>. Send file aborted"
std::string MailProgramMissing(const std::string& program = kMailProgram);

// How a run of a helper program ended.
struct ProgramRun {
    enum class End {
        Exited,       // it ran and returned `exitStatus`
        NotFound,     // no such program on PATH, or not one that may be run
        NoResources,  // the system could not start another process
        Signalled,    // it was ended by a signal before it returned
        Failed,       // it could not be started or waited for, for another reason
    };
    End end = End::Failed;
    int exitStatus = 0;
};

// Runs `program`, looked up on PATH, with `arguments`, and waits until it ends. While it runs,
// `whileWaiting` (when given) is called every few milliseconds, so that a caller with windows
// can keep them painted; without it the call simply blocks.
ProgramRun RunProgram(const std::string& program, const std::vector<std::string>& arguments,
                      const std::function<void()>& whileWaiting = {});

// What the user is told about a hand-over to the mail program that ended as `run` says: nothing
// when the mail program took the message, otherwise one message.
//
//   xdg-email's exit status             message
//   0  success                          none
//   1  error in the command line        "general failure"
//   2  the attachment does not exist    "attachment open failure"
//   3  no mail program to open          "login failure" (no mail program is set up to send with)
//   4  the mail program failed          "general failure"
//   5  the attachment cannot be read    "attachment open failure"
//   6  a file cannot be written         "attachment write failure"
//   any other status                    "general failure"
//   ended by a signal (closed, killed)  "Send Mail aborted"
//   no process could be started         "Insufficient memory"
//   xdg-email not found                 MailProgramMissing()
Messages MailMessages(const ProgramRun& run);

// Hands the file at `path` to the mail program as the attachment of a new message, and waits
// until the program returns; the messages the user is to see.
Messages MailFile(const std::string& path, const std::function<void()>& whileWaiting = {});

// Opens a new message to `address` with `subject` in the mail program; true when it took it.
bool ComposeMail(const std::string& address, const std::string& subject,
                 const std::function<void()>& whileWaiting = {});

}  // namespace wendral
