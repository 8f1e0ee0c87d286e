#include "io/file_bytes.h"

#include <fcntl.h>
#include <limits.h>
#include <sys/stat.h>
#include <sys/uio.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <filesystem>

#include "core/large_buffer.h"

namespace wendral {

namespace {

// Reads until `size` bytes are in; false when the file ends first or a read fails.
bool ReadFully(int fd, std::uint8_t* to, std::size_t size) {
    std::size_t got = 0;
    while (got < size) {
        const ssize_t n = ::read(fd, to + got, size - got);
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) return false;
        got += static_cast<std::size_t>(n);
    }
    return true;
}

// The pieces as the system's vectored write takes them; pieces that follow each other in memory
// go as one.
std::vector<iovec> Gathered(std::span<const FilePiece> pieces) {
    std::vector<iovec> parts;
    parts.reserve(pieces.size());
    for (const FilePiece& p : pieces) {
        if (p.size == 0) continue;
        if (!parts.empty() &&
            static_cast<const std::uint8_t*>(parts.back().iov_base) + parts.back().iov_len ==
                p.data) {
            parts.back().iov_len += p.size;
            continue;
        }
        parts.push_back(iovec{const_cast<std::uint8_t*>(p.data), p.size});
    }
    return parts;
}

// Writes every part in order, in as few calls as the system's limit on parts allows.
bool WriteFully(int fd, std::vector<iovec> parts) {
    std::size_t first = 0;
    while (first < parts.size()) {
        const int count = static_cast<int>(std::min<std::size_t>(parts.size() - first, IOV_MAX));
        const ssize_t n = ::writev(fd, parts.data() + first, count);
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) return false;
        // A short write leaves the rest of a piece for the next call.
        auto done = static_cast<std::size_t>(n);
        while (first < parts.size() && done >= parts[first].iov_len) done -= parts[first++].iov_len;
        if (done > 0) {
            parts[first].iov_base = static_cast<std::uint8_t*>(parts[first].iov_base) + done;
            parts[first].iov_len -= done;
        }
    }
    return true;
}

}  // namespace

FileReadStatus ReadFileAfterHead(const std::string& path, std::span<std::uint8_t> head,
                                 std::size_t& headRead, std::vector<std::uint8_t>& out,
                                 std::uint64_t maxBytes) {
    out.clear();
    headRead = 0;
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
    const auto size = static_cast<std::size_t>(st.st_size);
    const std::size_t headBytes = std::min(size, head.size());
    if (size > headBytes) {
        // Every byte is read over, so the block's pages are worth having large from the start.
        out.reserve(size - headBytes);
        AdviseLargePages(out.data(), out.capacity());
        out.resize(size - headBytes);
    }
    const bool ok = ReadFully(fd, head.data(), headBytes) && ReadFully(fd, out.data(), out.size());
    ::close(fd);
    if (!ok) {
        out.clear();
        return FileReadStatus::ReadError;
    }
    headRead = headBytes;
    return FileReadStatus::Ok;
}

FileReadStatus ReadWholeFile(const std::string& path, std::vector<std::uint8_t>& out,
                             std::uint64_t maxBytes) {
    std::size_t none = 0;
    return ReadFileAfterHead(path, {}, none, out, maxBytes);
}

std::string LoadFailureReport(const std::string& path, FileReadStatus status) {
    if (status == FileReadStatus::NotFound)
        return path +
               "\nCannot find this file.\nPlease verify that the correct path and file name are "
               "given.";
    return "Failed to open document.";
}

bool WriteFileAtomically(const std::string& path, const std::uint8_t* data, std::size_t size) {
    const FilePiece whole{data, size};
    return WriteFileAtomically(path, std::span<const FilePiece>(&whole, 1));
}

bool WriteFileAtomically(const std::string& path, std::span<const FilePiece> pieces) {
    namespace fs = std::filesystem;
    const fs::path target(path);
    fs::path folder = target.parent_path();
    if (folder.empty()) folder = ".";
    std::string pattern = (folder / ("." + target.filename().string() + ".XXXXXX")).string();
    std::vector<iovec> parts = Gathered(pieces);
    const int fd = ::mkstemp(pattern.data());
    if (fd < 0) return false;
    bool ok = WriteFully(fd, std::move(parts));
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
