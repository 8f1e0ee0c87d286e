#include "io/mail.h"

#include <spawn.h>
#include <sys/wait.h>

#include <cerrno>
#include <chrono>
#include <thread>

extern char** environ;

namespace wendral {

std::string MailProgramMissing(const std::string& program) {
    return "WENDRAL cannot load " + program + ". Send file aborted";
}

namespace {

ProgramRun Ended(int status) {
    ProgramRun run;
    if (WIFEXITED(status)) {
        run.end = ProgramRun::End::Exited;
        run.exitStatus = WEXITSTATUS(status);
    } else {
        run.end = ProgramRun::End::Signalled;
    }
    return run;
}

ProgramRun StartFailure(int error) {
    ProgramRun run;
    switch (error) {
        case ENOENT:
        case EACCES:
        case ENOEXEC:
        case ENOTDIR:
            run.end = ProgramRun::End::NotFound;
            break;
        case ENOMEM:
        case EAGAIN:
            run.end = ProgramRun::End::NoResources;
            break;
        default:
            run.end = ProgramRun::End::Failed;
            break;
    }
    return run;
}

}  // namespace

ProgramRun RunProgram(const std::string& program, const std::vector<std::string>& arguments,
                      const std::function<void()>& whileWaiting) {
    std::vector<char*> argv;
    argv.push_back(const_cast<char*>(program.c_str()));
    for (const std::string& a : arguments) argv.push_back(const_cast<char*>(a.c_str()));
    argv.push_back(nullptr);

    pid_t pid = 0;
    // posix_spawnp reports a program that cannot be found or run as its own error, rather than
    // as an exit status of a child that could not exec.
    if (const int error =
            posix_spawnp(&pid, program.c_str(), nullptr, nullptr, argv.data(), environ);
        error != 0)
        return StartFailure(error);

    int status = 0;
    for (;;) {
        const pid_t done = waitpid(pid, &status, whileWaiting ? WNOHANG : 0);
        if (done == pid) return Ended(status);
        if (done == -1 && errno != EINTR) return ProgramRun{};
        if (done == 0) {
            whileWaiting();
            std::this_thread::sleep_for(std::chrono::milliseconds(20));
        }
    }
}

Messages MailMessages(const ProgramRun& run) {
    switch (run.end) {
        case ProgramRun::End::NotFound:
            return {MailProgramMissing()};
        case ProgramRun::End::NoResources:
            return {kMailNoMemory};
        case ProgramRun::End::Signalled:
            return {kMailAborted};
        case ProgramRun::End::Failed:
            return {kMailGeneralFailure};
        case ProgramRun::End::Exited:
            break;
    }
    switch (run.exitStatus) {
        case 0:
            return {};
        case 2:
        case 5:
            return {kMailAttachmentOpenFailure};
        case 3:
            return {kMailLoginFailure};
        case 6:
            return {kMailAttachmentWriteFailure};
        default:
            return {kMailGeneralFailure};
    }
}

Messages MailFile(const std::string& path, const std::function<void()>& whileWaiting) {
    return MailMessages(RunProgram(kMailProgram, {"--attach", path}, whileWaiting));
}

bool ComposeMail(const std::string& address, const std::string& subject,
                 const std::function<void()>& whileWaiting) {
    const ProgramRun run = RunProgram(kMailProgram, {"--subject", subject, address}, whileWaiting);
    return run.end == ProgramRun::End::Exited && run.exitStatus == 0;
}

}  // namespace wendral
