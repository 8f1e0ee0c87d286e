// One script over many pictures: each picture's run is a process of its own, forked from this
// one, so that every picture starts from a fresh session (the random generator at its first
// state) exactly as a run by hand would, and a picture that fails or crashes takes nothing else
// with it.
#include <sched.h>
#include <sys/mman.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <filesystem>
#include <map>
#include <optional>
#include <ostream>
#include <sstream>

#include "tools/batch_session.h"

namespace wendral::batch {
namespace {

constexpr long long kMaxJobs = 1024;

std::string Stem(const std::string& picture) {
    return std::filesystem::path(picture).stem().string();
}

int DefaultJobs() {
    cpu_set_t cpus;
    if (sched_getaffinity(0, sizeof cpus, &cpus) != 0) return 1;
    return std::max(1, CPU_COUNT(&cpus));
}

int Usage(std::ostream& err, const std::string& message) {
    err << message << '\n' << kUsage << '\n';
    return 2;
}

bool Mentions(const std::vector<ScriptLine>& lines, const char* name) {
    for (const ScriptLine& l : lines)
        if (l.text.find(name) != std::string::npos) return true;
    return false;
}

void WriteAll(int fd, const std::string& text) {
    for (std::size_t done = 0; done < text.size();) {
        const ssize_t n = write(fd, text.data() + done, text.size() - done);
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) return;
        done += static_cast<std::size_t>(n);
    }
}

std::string ReadAll(int fd) {
    std::string text;
    char buffer[4096];
    for (off_t at = 0;;) {
        const ssize_t n = pread(fd, buffer, sizeof buffer, at);
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) return text;
        text.append(buffer, static_cast<std::size_t>(n));
        at += n;
    }
}

// What a child says: its script's output and its messages, each in a memory file that outlives
// the child, so that neither side can block the other however much a script prints.
struct Capture {
    int out = -1;
    int err = -1;
    bool Open() {
        out = memfd_create("wendral-batch-out", MFD_CLOEXEC);
        err = memfd_create("wendral-batch-err", MFD_CLOEXEC);
        return out >= 0 && err >= 0;
    }
    void Close() {
        if (out >= 0) close(out);
        if (err >= 0) close(err);
        out = err = -1;
    }
};

// Runs in the child and never returns: an exception must not unwind into the parent's frames.
[[noreturn]] void RunChild(const std::vector<Step>& steps, const Capture& capture) {
    std::ostringstream out, err;
    int status = 1;
    try {
        Session session(out);
        status = RunSteps(steps, session, err);
    } catch (const std::exception& e) {
        err << e.what() << '\n';
    } catch (...) {
        err << "unexpected error\n";
    }
    WriteAll(capture.out, out.str());
    WriteAll(capture.err, err.str());
    _exit(status);
}

std::string Ending(int status) {
    if (WIFEXITED(status)) return "exit " + std::to_string(WEXITSTATUS(status));
    if (WIFSIGNALED(status)) return std::string("killed by ") + strsignal(WTERMSIG(status));
    return "ended with status " + std::to_string(status);
}

// Keeps at most `jobs` children, reports each picture as it ends, and passes the scripts'
// output on in the pictures' order.
class Runner {
  public:
    Runner(const std::vector<std::string>& pictures, const std::vector<std::vector<Step>>& steps,
           std::ostream& out, std::ostream& err)
        : pictures_(pictures),
          steps_(steps),
          out_(out),
          err_(err),
          outputs_(pictures.size()),
          ended_(pictures.size(), false),
          width_(std::to_string(pictures.size()).size()) {}

    int Run(int jobs) {
        std::size_t next = 0;
        while (next < pictures_.size() || !running_.empty()) {
            while (next < pictures_.size() && running_.size() < static_cast<std::size_t>(jobs)) {
                if (!Start(next)) break;
                ++next;
            }
            if (!running_.empty()) WaitForOne();
        }
        err_ << pictures_.size() << " pictures: " << pictures_.size() - failed_ << " ok, "
             << failed_ << " failed\n";
        return failed_ ? 1 : 0;
    }

  private:
    // False when the picture has to wait for a running child to end first.
    bool Start(std::size_t picture) {
        Capture capture;
        if (capture.Open()) {
            out_.flush();
            err_.flush();
            const pid_t pid = fork();
            if (pid == 0) RunChild(steps_[picture], capture);
            if (pid > 0) {
                running_[pid] = Child{picture, capture};
                return true;
            }
        }
        const std::string why = std::strerror(errno);
        capture.Close();
        if (!running_.empty()) return false;
        End(picture, "cannot start a process: " + why, "", "");
        return true;
    }

    void WaitForOne() {
        int status = 0;
        const pid_t pid = waitpid(-1, &status, 0);
        if (pid < 0) {
            if (errno == EINTR) return;
            // Someone else has reaped them: what they did cannot be known.
            for (auto& [_, child] : running_) {
                child.capture.Close();
                End(child.picture, "lost", "", "");
            }
            running_.clear();
            return;
        }
        const auto it = running_.find(pid);
        if (it == running_.end()) return;
        Child child = it->second;
        running_.erase(it);
        const std::string output = ReadAll(child.capture.out);
        const std::string messages = ReadAll(child.capture.err);
        child.capture.Close();
        const bool ok = WIFEXITED(status) && WEXITSTATUS(status) == 0;
        End(child.picture, ok ? "" : Ending(status), output, messages);
    }

    // `failure` is empty for a picture that went well.
    void End(std::size_t picture, const std::string& failure, std::string output,
             const std::string& messages) {
        ++ended_count_;
        std::string count = std::to_string(ended_count_);
        count.insert(0, width_ - count.size(), ' ');
        err_ << '[' << count << '/' << pictures_.size() << "] ";
        if (failure.empty()) {
            err_ << "ok      " << pictures_[picture] << '\n';
        } else {
            ++failed_;
            err_ << "FAILED  " << pictures_[picture] << " (" << failure << ")\n";
            std::istringstream lines(messages);
            for (std::string line; std::getline(lines, line);) err_ << "    " << line << '\n';
        }
        outputs_[picture] = std::move(output);
        ended_[picture] = true;
        while (written_ < pictures_.size() && ended_[written_]) {
            out_ << outputs_[written_];
            std::string().swap(outputs_[written_++]);
        }
        out_.flush();
    }

    struct Child {
        std::size_t picture;
        Capture capture;
    };
    const std::vector<std::string>& pictures_;
    const std::vector<std::vector<Step>>& steps_;
    std::ostream& out_;
    std::ostream& err_;
    std::map<pid_t, Child> running_;
    std::vector<std::string> outputs_;
    std::vector<bool> ended_;
    std::size_t width_;
    std::size_t written_ = 0;
    std::size_t ended_count_ = 0;
    std::size_t failed_ = 0;
};

}  // namespace

std::string ExpandPictureNames(const std::string& word, const std::string& picture) {
    std::string expanded;
    for (std::size_t i = 0; i < word.size();) {
        if (word.compare(i, 5, "$STEM") == 0) {
            expanded += Stem(picture);
            i += 5;
        } else if (word.compare(i, 3, "$IN") == 0) {
            expanded += picture;
            i += 3;
        } else {
            expanded += word[i++];
        }
    }
    return expanded;
}

int RunEach(const std::vector<std::string>& arguments, std::ostream& out, std::ostream& err) {
    std::size_t i = 0;
    int jobs = DefaultJobs();
    if (i < arguments.size() && arguments[i].starts_with("-j")) {
        std::optional<std::string> n;
        if (arguments[i].size() > 2)
            n = arguments[i].substr(2);
        else if (i + 1 < arguments.size())
            n = arguments[++i];
        if (!n || !IsInt(*n, 1, kMaxJobs))
            return Usage(err,
                         "-j needs a number of processes from 1 to " + std::to_string(kMaxJobs));
        jobs = ToInt(*n);
        ++i;
    }
    if (i == arguments.size() || arguments[i] != "--each") return Usage(err, "-j goes with --each");
    std::size_t end = ++i;
    while (end < arguments.size() && arguments[end] != "--") ++end;
    if (end == arguments.size())
        return Usage(err, "--each needs -- between the pictures and the script");
    const std::vector<std::string> pictures(arguments.begin() + i, arguments.begin() + end);
    const std::span<const std::string> scriptArguments(arguments.begin() + end + 1,
                                                       arguments.end());

    std::vector<ScriptLine> lines;
    if (!ReadScripts(scriptArguments, lines, err)) return 2;
    const bool usesStem = Mentions(lines, "$STEM");
    if (!usesStem && !Mentions(lines, "$IN"))
        return Usage(err, "--each needs a script that uses $IN or $STEM");

    // Every picture's script is checked before the first one runs.
    std::vector<std::vector<Step>> steps;
    std::map<std::string, const std::string*> stems;
    for (const std::string& picture : pictures) {
        std::optional<std::vector<Step>> checked = CheckCommands(
            lines, err,
            [&picture](const std::string& w) { return ExpandPictureNames(w, picture); });
        if (!checked) return 2;
        steps.push_back(std::move(*checked));
        // Two pictures whose outputs share a name would overwrite each other in whatever order
        // their processes end.
        if (!usesStem) continue;
        const auto [it, added] = stems.emplace(Stem(picture), &picture);
        if (!added)
            return Usage(err,
                         *it->second + " and " + picture + " have the same $STEM: " + it->first);
    }
    return Runner(pictures, steps, out, err).Run(jobs);
}

}  // namespace wendral::batch
