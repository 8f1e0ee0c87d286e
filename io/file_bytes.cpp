#include "io/file_bytes.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <filesystem>

namespace wendral {

FileReadStatus ReadWholeFile(const std::string& path, std::vector<std::uint8_t>& out,
                             std::uint64_t maxBytes) {
    out.clear();
    const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) return errno == ENOENT ? FileReadStatus::NotFound : FileReadStatus::CannotOpen;
    struct stat st {};
    if (::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode)) {
        ::close(fd);
        return FileReadStatus::CannotOpen;
    }
    if (static_cast<std::uint64_t>(st.st_size) > maxBytes) {
        ::close(fd);
        return FileReadStatus::TooLarge;
    }
    out.resize(static_cast<std::size_t>(st.st_size));
    std::size_t got = 0;
    while (got < out.size()) {
        const ssize_t n = ::read(fd, out.data() + got, out.size() - got);
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) break;
        got += static_cast<std::size_t>(n);
    }
    ::close(fd);
    if (got != out.size()) {
        out.clear();
        return FileReadStatus::ReadError;
    }
    return FileReadStatus::Ok;
}

std::string LoadFailureReport(const std::string& path, FileReadStatus status) {
    if (status == FileReadStatus::NotFound)
        return path +
               "\nCannot find this file.\nPlease verify that the correct path and file name are "
               "given.";
    return "Failed to open document.";
}

bool WriteFileAtomically(const std::string& path, const std::uint8_t* data, std::size_t size) {
    namespace fs = std::filesystem;
    const fs::path target(path);
    fs::path folder = target.parent_path();
    if (folder.empty()) folder = ".";
    std::string pattern = (folder / ("." + target.filename().string() + ".XXXXXX")).string();
    const int fd = ::mkstemp(pattern.data());
    if (fd < 0) return false;
    bool ok = true;
    std::size_t done = 0;
    while (ok && done < size) {
        const ssize_t n = ::write(fd, data + done, size - done);
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0)
            ok = false;
        else
            done += static_cast<std::size_t>(n);
    }
    // A replaced file keeps the permissions an ordinary new file would get.
    if (ok) {
        const mode_t mask = ::umask(0);
        ::umask(mask);
        ok = ::fchmod(fd, 0666 & ~mask) == 0;
    }
    if (ok) ok = ::fsync(fd) == 0;
    if (::close(fd) != 0) ok = false;
    if (ok) ok = ::rename(pattern.c_str(), path.c_str()) == 0;
    if (!ok) ::unlink(pattern.c_str());
    return ok;
}

}  // namespace wendral
